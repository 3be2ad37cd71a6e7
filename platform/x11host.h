// The host window of a preview: a foreign X11 window, asked for its size through the X server
// and watched for resizes and for its end.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QSize>
#include <cstdint>

namespace sf {

// The client size of an X11 window; an empty size when there is no X server or no such window.
QSize X11WindowSize(uint32_t window);

class TX11HostWatch : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  // Watches window (its structure events on the application's X connection). Valid() is false
  // without an X server or when the window does not exist.
  explicit TX11HostWatch(uint32_t window, QObject* parent = nullptr);
  ~TX11HostWatch() override;
  bool Valid() const { return valid_; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  void Resized(QSize size);
  void Gone();

 private:
  uint32_t window_;
  bool valid_ = false;
};

}  // namespace sf
