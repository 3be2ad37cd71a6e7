// The run window's private messages: custom events that carry the message number and its two
// parameters, posted or sent as the show posts or sends them.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <cstdint>

namespace sf {

enum TPrivateMessage : int32_t {
  WM_FLASH_ENDED = 0x0485,
  WM_FLASH_STARTFRAME = 0x0486,
  WM_SHOW_CLOSE = 0x0571,
  WM_MUSIC_START = 0x0572,
  WM_MUSIC_STOP = 0x0573,
  WM_MUSIC_PAUSE = 0x0574,
  WM_MUSIC_RESUME = 0x0575,
  WM_SETTINGS_RELOAD = 0x0576,
};

class TMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
  }
  TMessageEvent(int32_t message, intptr_t wParam, intptr_t lParam)
      : QEvent(EventType()), Message(message), WParam(wParam), LParam(lParam) {}
  const int32_t Message;
  const intptr_t WParam, LParam;
};

// Queued: taken by the receiver's event loop after the poster goes on.
inline void PostMessage(QObject* to, int32_t message, intptr_t wParam = 0, intptr_t lParam = 0) {
  QCoreApplication::postEvent(to, new TMessageEvent(message, wParam, lParam));
}
// At once: the receiver handles it before the sender goes on.
inline void SendMessage(QObject* to, int32_t message, intptr_t wParam = 0, intptr_t lParam = 0) {
  TMessageEvent e(message, wParam, lParam);
  QCoreApplication::sendEvent(to, &e);
}

}  // namespace sf
