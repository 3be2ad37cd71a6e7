// showforge-studio [MANIFEST | SHOW.scr | PICTURES_OR_FOLDERS...]: the show maker.
#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QKeyEvent>
#include <clocale>
#include <cstdio>
#include <string_view>

#include "platform/trace.h"
#include "studio/mainwindow.h"

namespace {

// SHOWFORGE_TRACE=studio: when each key press reaches the window (wall-clock milliseconds), so
// that a script can tell how long the window took to answer one it sent.
class TKeyTrace : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    // A key that a widget passes on reaches its parents as the same event: told once.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->timestamp() == last_ && key->key() == lastKey_) return false;
    last_ = key->timestamp();
    lastKey_ = key->key();
    sf::Trace("studio", "key %d handled at %lld", key->key(), static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    return false;
  }

 private:
  quint64 last_ = 0;
  int lastKey_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::fputs("usage: showforge-studio [MANIFEST | SHOW.scr | PICTURES_OR_FOLDERS...]\n"
                 "Makes a picture-show screen saver: a manifest or a show file opens that show,\n"
                 "pictures, movies, clips and folders make a new show of them.\n",
                 stdout);
      return 0;
    }
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setOrganizationName("ShowForge");
  QApplication::setApplicationName("Studio");
  QApplication::setApplicationDisplayName("ShowForge Studio");
  QApplication::setDesktopFileName("showforge-studio");
  QApplication::setWindowIcon(QIcon(":/icons/showforge-studio.png"));
  const QStringList arguments = QApplication::arguments().mid(1);
  TKeyTrace trace;
  if (sf::Traced("studio")) app.installEventFilter(&trace);
  sf::TStudioWindow window;
  window.show();
  window.activateWindow();  // also where no window manager gives it the keyboard
  window.OpenArguments(arguments);
  return app.exec();
}
