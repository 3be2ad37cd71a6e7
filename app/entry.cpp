#include "app/entry.h"

#include <QApplication>
#include <QScreen>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <thread>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "app/modes.h"
#include "container/projectinfo.h"
#include "platform/convert.h"
#include "platform/instancelock.h"
#include "platform/messagebox.h"
#include "platform/registry.h"
#include "platform/termination.h"
#include "platform/x11host.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "settings/settingdialog.h"

namespace sf {

int RunProgram(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
#ifdef __GLIBC__
  // Two malloc arenas for all threads. The media player's decoding threads come and go with
  // every clip and track, and each new one may take an arena of its own (up to eight a core)
  // that keeps its freed memory: over hours of a show the memory kept grew by the tens of
  // megabytes. Two arenas keep the threads' kept memory to what two of them need.
  mallopt(M_ARENA_MAX, 2);
#endif
  // The command line as the program received it, before Qt takes its own options out of it, and
  // the mode it asks for: the single-copy lock depends on it, and is taken before anything slow.
  QStringList params;
  for (int i = 1; i < argc; ++i) params << QString::fromLocal8Bit(argv[i]);
  const TShowChoice show = TakeShowChoice(params);
  // The file whose show plays: the program's own, or the one --show names, which is only read.
  QString programPath = show.showFile.isEmpty() ? ProgramFilePath() : show.showFile;
  // A show named on the command line plays unless told otherwise, whatever its file is called.
  const QString xscreensaverWindow = qEnvironmentVariable("XSCREENSAVER_WINDOW");
  TModeChoice choice = ChooseMode(params, show.showFile.isEmpty() ? programPath : QString(), xscreensaverWindow);

  // A second copy ends at once, silently: a second full-screen show, a settings dialog beside a
  // show or a show beside a dialog, or a second show in the same host window. Shows in different
  // host windows (a saver's window on each monitor) run side by side.
  TNamedMutex mutex(InstanceLockName(choice, qEnvironmentVariable("DISPLAY")));
  if (mutex.AlreadyExists()) return 0;

  // The font configuration (some forty files of it, 6 ms here) is read on another core while
  // this one starts the application and its connection to the display, which mostly waits on
  // the display: the first slide's caption, the settings dialog's first text find it read. Qt
  // takes this configuration as its own; should it ask before the reading has ended, the
  // library reads a second one for it and keeps one of the two.
  struct TJoined : std::thread {
    using std::thread::thread;
    ~TJoined() { join(); }
  } fontConfiguration([] { FcInit(); });

  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // the media player refuses any other numeric locale
  ExitLoopOnTermination();  // in every mode and state, from here on
  if (!show.error.isEmpty()) {
    ShowMessage(show.error);
    return 1;
  }
  if (programPath.isEmpty()) {
    // No /proc to ask: Qt finds the program's file its own way.
    programPath = QCoreApplication::applicationFilePath();
    if (show.showFile.isEmpty()) choice = ChooseMode(params, programPath, xscreensaverWindow);
  }

  // The project on the program's own file, then the user's settings for it. The project and
  // then the settings are freed after whatever window ran, in that order.
  std::unique_ptr<TProjectInfo> project;
  std::unique_ptr<TRWSetting> settings;
  try {
    project = std::make_unique<TProjectInfo>(programPath);
    project->ReadHeader();
    if (!show.showFile.isEmpty() && (!project->FileOpened() || !project->LoadError().isEmpty())) {
      // A show named on the command line that is not there is a mistake to tell, not a blank screen.
      ShowMessage(!project->FileOpened() ? QString("The file %1 cannot be read.").arg(programPath)
                                         : QString("%1 carries no show that can be played (%2).")
                                               .arg(programPath, project->LoadError()));
      return 1;
    }
    if (!project->LoadError().isEmpty())
      std::fprintf(stderr, "showforge: the show in %s is damaged (%s); it has nothing to play\n",
                   qPrintable(programPath), qPrintable(project->LoadError()));
    settings = std::make_unique<TRWSetting>(project->ProjectName);
    settings->Load();
  } catch (const EConvertError& e) {
    if (!show.showFile.isEmpty())
      ShowMessage(QString("%1 carries no show that can be played (%2).").arg(programPath, QString::fromStdString(e.what())));
    else
      ShowMessage(QString::fromStdString(e.what()));
    return 1;
  } catch (const ERegistryException& e) {
    ShowMessage(QString::fromStdString(e.what()));
    return 1;
  }

  int code = 0;
  switch (choice.mode) {
    case TRunMode::Configure:
      ShowSettingDialog(*project, *settings);
      break;
    case TRunMode::FullScreen:
    case TRunMode::Preview: {
      // Qt's accessibility bridge asks for the session bus when the first window is shown.
      // Where no bus can be reached (none named, none at its usual place, and no dbus-launch to
      // find one through the display), the bus library still forks this process to look for
      // dbus-launch along the PATH, which the first frame waited for (20 to 70 ms here). An
      // address no transport takes makes that connection fail at once. Wherever a bus can be
      // reached nothing changes, and accessibility with it.
      if (SessionBusUnreachable(qgetenv("DBUS_SESSION_BUS_ADDRESS"), qgetenv("XDG_RUNTIME_DIR"), qgetenv("PATH")))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
      // The run window is the main window; the loop runs until the show is closed.
      TRunSetup setup;
      // -root without a saver window is the full-screen show over the root window.
      setup.preview = choice.mode == TRunMode::Preview && !choice.hostIsRoot;
      setup.hostWindow = choice.hostWindow;
      if (setup.preview) {
        QList<QSize> screens;
        for (const QScreen* screen : QGuiApplication::screens())
          screens << (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize();
        setup.screenHost = ScreenSizedHost(X11WindowSize(choice.hostWindow), screens);
      }
      setup.started = started;
      setup.firstSlide = show.firstSlide;
      {
        TShow run(*project, *settings, setup);
        if (show.firstSlide >= run.Screen().FSlideCount) {
          ShowMessage(QString("The show has %1 slides: there is no slide %2 (0 is the first).")
                          .arg(run.Screen().FSlideCount)
                          .arg(show.firstSlide));
          code = 1;
          break;
        }
        SetTerminationHandler([&run] { run.EndShow(); });
        run.Show();
        // The first slide is prepared while the window is shown; a show that ended there (a
        // missing picture, or a signal while its message was up) does not enter the loop.
        if (!run.Closing()) code = app.exec();
        SetTerminationHandler({});
      }
      break;
    }
    case TRunMode::Invalid:
      ShowMessage(choice.error);
      code = 1;
      break;
  }
  project.reset();
  settings.reset();
  return code;
}

}  // namespace sf
