#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/entry.h"
#include "app/modes.h"
#include <QCoreApplication>

using namespace sf;

namespace {
TModeChoice Choose(QStringList params, QString path = "/usr/bin/showforge", QString env = {}) {
  return ChooseMode(params, path, env);
}
}  // namespace

TEST(Modes, NoParametersDependOnTheWholeUpperCasedPath) {
  EXPECT_EQ(Choose({}).mode, TRunMode::FullScreen);
  EXPECT_EQ(Choose({}, "/home/u/Sunset.scr").mode, TRunMode::Configure);
  EXPECT_EQ(Choose({}, "/home/u/SUNSET.SCR").mode, TRunMode::Configure);
  // A substring test on the path, not on the extension.
  EXPECT_EQ(Choose({}, "/home/u/my.screens/show").mode, TRunMode::Configure);
  EXPECT_EQ(Choose({}, "/home/u/show.sc").mode, TRunMode::FullScreen);
  EXPECT_EQ(Choose({}, "/home/u/showscr").mode, TRunMode::FullScreen);
}

TEST(Modes, OnlyTheFirstTwoCharactersOfTheFirstParameterCount) {
  for (const char* c : {"/c", "/C", "/c:4711", "-c", "-C", "/config"}) {
    EXPECT_EQ(Choose({c}).mode, TRunMode::Configure) << c;
    EXPECT_EQ(Choose({c, "4711"}).mode, TRunMode::Configure) << c;
  }
  for (const char* s : {"/s", "/S", "-s", "/screensaver"}) EXPECT_EQ(Choose({s}, "/x/Sunset.scr").mode, TRunMode::FullScreen) << s;
  // The .SCR rule needs the command line empty.
  EXPECT_EQ(Choose({"/s"}, "/x/Sunset.scr").mode, TRunMode::FullScreen);
}

TEST(Modes, PreviewTakesItsHostWindowInEveryForm) {
  struct Case {
    QStringList params;
    uint32_t window;
  } cases[] = {
      {{"/p", "655370"}, 655370},   {{"/P", "655370"}, 655370},  {{"-p", "0x1a00003"}, 0x1a00003},
      {{"/p:1234"}, 1234},          {{"/p 1234"}, 1234},         {{"/P:0X2A"}, 42},
      {{"-window-id", "77"}, 77},   {{"-window-id", "0x4e"}, 0x4e}, {{"/p", "4294967295"}, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    TModeChoice m = Choose(c.params);
    EXPECT_EQ(m.mode, TRunMode::Preview) << c.params.join(' ').toStdString();
    EXPECT_EQ(m.hostWindow, c.window) << c.params.join(' ').toStdString();
    EXPECT_FALSE(m.hostIsRoot);
  }
  TModeChoice root = Choose({"-root"});
  EXPECT_EQ(root.mode, TRunMode::Preview);
  EXPECT_TRUE(root.hostIsRoot);
  // XScreenSaver's hacks get -root and their window in the variable; a variable that names no
  // window leaves the root.
  TModeChoice saver = Choose({"-root"}, "/x/Sunset.scr", "0x1400003");
  EXPECT_EQ(saver.mode, TRunMode::Preview);
  EXPECT_FALSE(saver.hostIsRoot);
  EXPECT_EQ(saver.hostWindow, 0x1400003u);
  EXPECT_TRUE(Choose({"-root"}, "/x/Sunset.scr", "junk").hostIsRoot);
  TModeChoice env = Choose({}, "/x/Sunset.scr", "0x3200007");
  EXPECT_EQ(env.mode, TRunMode::Preview);
  EXPECT_EQ(env.hostWindow, 0x3200007u);
  // An explicit mode wins over the variable.
  EXPECT_EQ(Choose({"/c"}, "/x/a", "123").mode, TRunMode::Configure);
}

TEST(Modes, BadCommandLinesAreRefusedWithAReason) {
  for (QStringList bad : {QStringList{"/p"}, QStringList{"/p", "abc"}, QStringList{"/p", "-5"}, QStringList{"/p", "0"},
                          QStringList{"/p", "4294967296"}, QStringList{"/p", "0x"}, QStringList{"/p", "12ab"},
                          QStringList{"-window-id"}, QStringList{"/a"}, QStringList{"x"}, QStringList{""}}) {
    TModeChoice m = Choose(bad);
    EXPECT_EQ(m.mode, TRunMode::Invalid) << bad.join(' ').toStdString();
    EXPECT_FALSE(m.error.isEmpty());
  }
  EXPECT_EQ(Choose({}, "/x/a", "junk").mode, TRunMode::Invalid);
}

TEST(Modes, AHostAsLargeAsAScreenGetsTheFullScreenLayout) {
  const QList<QSize> screens = {QSize(1920, 1080), QSize(1280, 1024)};
  EXPECT_TRUE(ScreenSizedHost(QSize(1920, 1080), screens));
  EXPECT_TRUE(ScreenSizedHost(QSize(3200, 1080), screens));  // the root over both
  EXPECT_TRUE(ScreenSizedHost(QSize(1280, 1024), screens));  // one saver window a monitor
  EXPECT_FALSE(ScreenSizedHost(QSize(1919, 1080), {QSize(1920, 1080)}));
  EXPECT_FALSE(ScreenSizedHost(QSize(1920, 1079), {QSize(1920, 1080)}));
  EXPECT_FALSE(ScreenSizedHost(QSize(320, 240), screens));    // a settings dialog's preview
  EXPECT_FALSE(ScreenSizedHost(QSize(1920, 1080), {}));
  EXPECT_FALSE(ScreenSizedHost(QSize(1920, 1080), {QSize()}));
}

TEST(Modes, WindowIds) {
  EXPECT_EQ(ParseWindowId("12"), 12u);
  EXPECT_EQ(ParseWindowId(" 0xff "), 255u);
  EXPECT_EQ(ParseWindowId("0x-1"), 0u);
  EXPECT_EQ(ParseWindowId("+5"), 0u);
  EXPECT_EQ(ParseWindowId("0x100000000"), 0u);
}

TEST(Modes, TheSessionBusIsUnreachableOnlyWithoutAnAddressASocketOrDbusLaunch) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray runtime = QFile::encodeName(dir.path());
  const QByteArray none = runtime + "/nothing-here";  // a PATH without dbus-launch
  const bool installed = QFile::exists("/usr/bin/dbus-launch");  // looked for whatever PATH says
  // A named bus, even one that is gone, is the desktop's business: it is kept.
  EXPECT_FALSE(SessionBusUnreachable("unix:path=/run/user/1000/bus", {}, none));
  EXPECT_FALSE(SessionBusUnreachable("unix:path=/nonexistent", "/nonexistent", none));
  EXPECT_EQ(SessionBusUnreachable({}, {}, none), !installed);
  EXPECT_EQ(SessionBusUnreachable("  ", {}, none), !installed);  // blank names nothing
  // In the runtime folder only a socket named "bus" is a bus; a file of that name is not.
  EXPECT_EQ(SessionBusUnreachable({}, runtime, none), !installed);
  QFile plain(dir.filePath("bus"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  EXPECT_EQ(SessionBusUnreachable({}, runtime, none), !installed);
  ASSERT_TRUE(QFile::remove(dir.filePath("bus")));
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un name{};
  name.sun_family = AF_UNIX;
  const QByteArray socketPath = QFile::encodeName(dir.filePath("bus"));
  ASSERT_LT(size_t(socketPath.size()), sizeof name.sun_path);
  std::memcpy(name.sun_path, socketPath.constData(), size_t(socketPath.size()));
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&name), sizeof name), 0);
  EXPECT_FALSE(SessionBusUnreachable({}, runtime, none));
  EXPECT_FALSE(SessionBusUnreachable({}, runtime + "/", none));  // a trailing separator is the same folder
  close(fd);
  if (installed) return;  // the rest asks about a dbus-launch along the PATH only
  // dbus-launch in any folder of the PATH, the last too, can find or start a bus; a file of that
  // name that cannot be run, or a folder, cannot.
  const QByteArray bin = runtime + "/bin";
  ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(bin)));
  QFile launcher(QString::fromLocal8Bit(bin + "/dbus-launch"));
  ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
  launcher.close();
  EXPECT_TRUE(SessionBusUnreachable({}, {}, none + ":" + bin));
  ASSERT_TRUE(launcher.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
  EXPECT_FALSE(SessionBusUnreachable({}, {}, none + ":" + bin));
  EXPECT_FALSE(SessionBusUnreachable({}, {}, bin + ":" + none));
  EXPECT_TRUE(SessionBusUnreachable({}, {}, none + ":" + none + "2"));
  ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(runtime + "/other/dbus-launch")));
  EXPECT_TRUE(SessionBusUnreachable({}, {}, runtime + "/other"));
}

TEST(Modes, AShowFromAnotherFileAndItsFirstSlide) {
  struct Case {
    QStringList params, left;
    QString file;
    int32_t slide;
  } cases[] = {
      {{"--show", "/x/other.bin"}, {}, "/x/other.bin", -1},
      {{"--show", "/x/a b.scr", "/p", "77", "--slide", "2"}, {"/p", "77"}, "/x/a b.scr", 2},
      {{"/s", "--slide=0", "--SHOW=/x/o"}, {"/s"}, "/x/o", 0},
      {{"-window-id", "0x10", "--show", "--slide"}, {"-window-id", "0x10"}, "--slide", -1},  // the value is taken as given
      {{"--slide", "12"}, {}, "", 12},
  };
  for (const auto& c : cases) {
    QStringList params = c.params;
    const TShowChoice show = TakeShowChoice(params);
    EXPECT_TRUE(show.error.isEmpty()) << c.params.join(' ').toStdString() << ": " << show.error.toStdString();
    EXPECT_EQ(params, c.left) << c.params.join(' ').toStdString();
    EXPECT_EQ(show.showFile, c.file);
    EXPECT_EQ(show.firstSlide, c.slide);
  }
  for (const QStringList& bad : {QStringList{"--show"}, QStringList{"/s", "--show="}, QStringList{"--show", "f", "--slide"},
                                 QStringList{"--slide", "-1"}, QStringList{"--slide", "two"}, QStringList{"--slide=+2"},
                                 QStringList{"--slide", "99999999999"}}) {
    QStringList params = bad;
    EXPECT_FALSE(TakeShowChoice(params).error.isEmpty()) << bad.join(' ').toStdString();
  }
  // The rest chooses the mode as ever: /s in the middle of the options is still the first.
  QStringList params{"--show", "/x/show.scr", "/c"};
  ASSERT_TRUE(TakeShowChoice(params).error.isEmpty());
  EXPECT_EQ(Choose(params).mode, TRunMode::Configure);
}

TEST(Modes, TheSingleCopyLockIsOneForTheScreenAndTheDialogAndOneAHostWindow) {
  const QString one = kInstanceMutexName;
  const auto lock = [](QStringList params, QString env = {}, QString display = ":5") {
    return InstanceLockName(Choose(params, "/usr/bin/showforge", env), display);
  };
  // The full screen (also -root without a saver window), the dialog and a mistake share one.
  for (const QStringList& p : {QStringList{}, QStringList{"/s"}, QStringList{"/c"}, QStringList{"-root"},
                               QStringList{"/a"}, QStringList{"/p"}, QStringList{"-window-id", "0"}})
    EXPECT_EQ(lock(p), one) << p.join(' ').toStdString();
  EXPECT_EQ(InstanceLockName(Choose({}, "/x/Sunset.scr"), ":5"), one);
  // XScreenSaver's ways of naming one window give one lock, and it is not the full screen's.
  const QString window = lock({"-root"}, "0x400001");
  EXPECT_NE(window, one);
  EXPECT_EQ(lock({}, "4194305"), window);
  EXPECT_EQ(lock({"-window-id", "0x400001"}), window);
  EXPECT_EQ(lock({"/p", "4194305"}), window);
  EXPECT_EQ(lock({"/p:0x400001"}, "", ":5.0"), window);  // another screen of the same server
  // Another window, or the same id on another server, is another lock.
  EXPECT_NE(lock({"-root"}, "0x400002"), window);
  EXPECT_NE(lock({"-root"}, "0x400001", ":6"), window);
  EXPECT_NE(lock({"-root"}, "0x400001", ":50"), window);
  EXPECT_NE(lock({"-root"}, "0x400001", "host:5"), window);
  // Whatever DISPLAY holds, the name stays one file name in the lock folder.
  for (const QString& display : {QString("/tmp/../x:1"), QString(), QString("a.b:c.d")})
    EXPECT_FALSE(lock({"-root"}, "0x400001", display).contains('/')) << display.toStdString();
}

TEST(Modes, TheProgramFileIsTheOneQtNames) {
  // The mode is chosen before the application object exists, from the same path Qt gives after.
  EXPECT_FALSE(ProgramFilePath().isEmpty());
  EXPECT_EQ(ProgramFilePath(), QCoreApplication::applicationFilePath());
}
