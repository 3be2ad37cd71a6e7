// The real program, started while another copy holds the instance lock.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/entry.h"
#include "app/modes.h"
#include "platform/instancelock.h"
#include "tests/common/testutil.h"

namespace {
QProcess* Start(const QStringList& args, const QString& program = SHOWFORGE_BIN, const QString& saverWindow = {}) {
  auto* p = new QProcess;
  p->setProgram(program);
  p->setArguments(args);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("DISPLAY", ":77");
  if (saverWindow.isEmpty()) env.remove("XSCREENSAVER_WINDOW");
  else env.insert("XSCREENSAVER_WINDOW", saverWindow);
  p->setProcessEnvironment(env);
  p->start();
  return p;
}

// Whether the program ended at once, silently, with code 0 (it found its lock taken); else it
// went on to read its show, which the bare player has not ("not a valid integer value").
bool EndedAtOnce(const QStringList& args, const QString& saverWindow = {}) {
  std::unique_ptr<QProcess> p(Start(args, SHOWFORGE_BIN, saverWindow));
  EXPECT_TRUE(p->waitForFinished(10000));
  const QByteArray err = p->readAllStandardError();
  if (p->exitCode() == 0 && err.isEmpty()) return true;
  EXPECT_NE(err.indexOf("is not a valid integer value"), -1) << err.toStdString();
  return false;
}
}  // namespace

TEST(Instance, ShowsInHostWindowsRunBesideTheFullScreenAndEachOther) {
  {
    sf::TNamedMutex fullScreen(sf::kInstanceMutexName);  // a full-screen show or a dialog runs
    ASSERT_FALSE(fullScreen.AlreadyExists());
    EXPECT_FALSE(EndedAtOnce({"-root"}, "0x400001"));
    EXPECT_FALSE(EndedAtOnce({"-window-id", "4711"}));
    EXPECT_FALSE(EndedAtOnce({"/p", "4711"}));
    EXPECT_FALSE(EndedAtOnce({}, "4711"));
    EXPECT_TRUE(EndedAtOnce({"-root"}));  // no saver window: the full screen
  }
  // A show runs in window 4711 of display :77.
  sf::TModeChoice hosted;
  hosted.mode = sf::TRunMode::Preview;
  hosted.hostWindow = 4711;
  sf::TNamedMutex inWindow(sf::InstanceLockName(hosted, ":77"));
  ASSERT_FALSE(inWindow.AlreadyExists());
  EXPECT_TRUE(EndedAtOnce({"-window-id", "4711"}));
  EXPECT_TRUE(EndedAtOnce({"-root"}, "0x1267"));
  EXPECT_TRUE(EndedAtOnce({}, "4711"));
  EXPECT_FALSE(EndedAtOnce({"-window-id", "4712"}));
  EXPECT_FALSE(EndedAtOnce({"/s"}));
  EXPECT_FALSE(EndedAtOnce({"/c"}));
}

TEST(Instance, SecondCopyEndsAtOnceSilentlyWithCodeZero) {
  sf::TNamedMutex first(sf::kInstanceMutexName);  // this test stands for the running copy
  ASSERT_FALSE(first.AlreadyExists());
  for (QStringList args : {QStringList{"/s"}, QStringList{"/c"}, QStringList{"/a"}, QStringList{}}) {
    std::unique_ptr<QProcess> p(Start(args));
    ASSERT_TRUE(p->waitForFinished(10000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_TRUE(p->readAllStandardOutput().isEmpty());
    EXPECT_TRUE(p->readAllStandardError().isEmpty());
  }
}

TEST(Instance, WithoutAnotherCopyTheProgramRuns) {
  // The player with an empty show appended.
  sftest::ProjectBuilder b;
  b.image = sftest::ReadFile(SHOWFORGE_BIN);
  const std::string show = sftest::WriteFile("Empty.scr", b.Build());
  QFile::setPermissions(QString::fromStdString(show), QFile::ReadOwner | QFile::ExeOwner);
  std::unique_ptr<QProcess> p(Start({"/a"}, QString::fromStdString(show)));
  ASSERT_TRUE(p->waitForFinished(10000));
  EXPECT_EQ(p->exitCode(), 1);
  EXPECT_NE(p->readAllStandardError().indexOf("Unknown option '/a'"), -1);
}

TEST(Instance, AProgramWithoutAShowReportsTheConversionError) {
  std::unique_ptr<QProcess> p(Start({"/s"}));
  ASSERT_TRUE(p->waitForFinished(10000));
  EXPECT_EQ(p->exitCode(), 1);
  EXPECT_NE(p->readAllStandardError().indexOf("is not a valid integer value"), -1);
}
