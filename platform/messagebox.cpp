#include "platform/messagebox.h"

#include "platform/termination.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace sf {
namespace {
std::function<void(const QString&)>& Sink() {
  static std::function<void(const QString&)> sink;
  return sink;
}
}  // namespace

void SetMessageSink(std::function<void(const QString&)> sink) { Sink() = std::move(sink); }

void ShowMessage(const QString& text) {
  if (Sink()) {
    Sink()(text);
    return;
  }
  // Once the program is told to end, no box opens: the text goes to standard error.
  const QString platform = QGuiApplication::platformName();
  if (!TerminationRequested() && qobject_cast<QApplication*>(QCoreApplication::instance()) && platform != "offscreen" &&
      platform != "minimal") {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    StandOverShow(&box);
    box.exec();
    return;
  }
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace sf
