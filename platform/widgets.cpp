#include "platform/widgets.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace sf {

void SetPasswordChar(QLineEdit* edit, QChar c) {
  edit->setEchoMode(QLineEdit::Password);
  edit->setStyleSheet(QString("QLineEdit { lineedit-password-character: %1; }").arg(c.unicode()));
}

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(r);
  return atom;
}

}  // namespace

void SkipTaskbar(QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (c == nullptr) return;
  // Qt keeps the states it does not manage itself when it maps the window.
  const xcb_window_t id = xcb_window_t(window->winId());
  const xcb_atom_t states[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(c, XCB_PROP_MODE_APPEND, id, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
  xcb_flush(c);
}

void BringToFront(QWidget* window) {
  window->show();
  QWidget* const dialog = QApplication::activeModalWidget();
  QWidget* const popup = QApplication::activePopupWidget();
  if (dialog == nullptr) {
    window->raise();
    if (popup == nullptr) window->activateWindow();  // a popup keeps the keyboard it grabbed
  } else {
    // Modal dialogs open one over the other; Qt knows which is the last one.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != dialog && w->isVisible() && w->isModal()) w->raise();
    dialog->raise();
    dialog->activateWindow();
  }
  if (popup != nullptr) popup->raise();
}

void StandOverShow(QWidget* dialog) {
  constexpr Qt::WindowFlags over = Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;
  for (const QWidget* w : QApplication::topLevelWidgets()) {
    if (w == dialog || !w->isVisible() || w->isModal() || w->windowType() == Qt::Popup) continue;
    if (w->windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
      dialog->setWindowFlags(dialog->windowFlags() | over);
      return;
    }
  }
}

}  // namespace sf
