// The real program, started while another copy holds the instance lock.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/entry.h"
#include "platform/instancelock.h"
#include "tests/common/testutil.h"

namespace {
QProcess* Start(const QStringList& args, const QString& program = SHOWFORGE_BIN) {
  auto* p = new QProcess;
  p->setProgram(program);
  p->setArguments(args);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p->setProcessEnvironment(env);
  p->start();
  return p;
}
}  // namespace

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
