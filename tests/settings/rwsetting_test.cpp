#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/registry.h"
#include "settings/rwsetting.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    root = QString::fromStdString(sftest::ScratchDir("registry"));
    setenv("SHOWFORGE_REGISTRY_DIR", root.toLocal8Bit().constData(), 1);
  }
  QString KeyFile(const QString& name) { return root + "/HKEY_LOCAL_MACHINE/Software/Quillmoor/" + name + ".reg"; }
  void WriteKey(const QString& name, const std::string& values) {
    QDir().mkpath(QFileInfo(KeyFile(name)).path());
    QFile f(KeyFile(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\" + name.toStdString() + "]\r\n" + values;
    f.write(text.data(), qint64(text.size()));
  }
  QStringList FilesUnderRoot() {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    return files;
  }
  QString root;
};

void ExpectDefaults(const TRWSetting& s) {
  EXPECT_FALSE(s.PasswordEnabled);
  EXPECT_EQ(s.Password, "");
  EXPECT_EQ(s.MouseSensitivity, 5);
  EXPECT_TRUE(s.CloseOnMouseMove);
  EXPECT_FALSE(s.CloseOnLeftClick);
  EXPECT_TRUE(s.CloseOnRightClick);
  EXPECT_TRUE(s.CloseOnDoubleClick);
  EXPECT_TRUE(s.CloseOnEsc);
  EXPECT_TRUE(s.CloseOnEnter);
  EXPECT_FALSE(s.CloseOnKey);
  EXPECT_EQ(s.CloseKey, "A");
  EXPECT_TRUE(s.MusicEnabled);
  EXPECT_FALSE(s.UseMaxRunTime);
  EXPECT_EQ(s.MaxRunMinutes, 60);
  QString all;
  for (int i = 0; i <= 160; ++i) all += QString::number(i) + ";";
  EXPECT_EQ(s.Transitions, all);
  EXPECT_TRUE(s.RandomTransition);
  EXPECT_EQ(s.TransitionSpeed, 25);
  EXPECT_FALSE(s.UseOwnTransitions);
}

}  // namespace

TEST_F(Settings, NoKeyGivesTheDefaultsAndWritesNothing) {
  TRWSetting s("Sunset.scr");
  EXPECT_FALSE(s.Load());
  EXPECT_TRUE(s.LastError().isEmpty());
  ExpectDefaults(s);
  EXPECT_TRUE(FilesUnderRoot().isEmpty());
}

TEST_F(Settings, SaveThenLoadReturnsEveryValue) {
  TRWSetting s("Sunset.scr");
  s.PasswordEnabled = true;
  s.Password = QString::fromUtf8("s3cr\"et\\ é");
  s.MouseSensitivity = 19;
  s.CloseOnMouseMove = false;
  s.CloseOnLeftClick = true;
  s.CloseOnRightClick = false;
  s.CloseOnDoubleClick = false;
  s.CloseOnEsc = false;
  s.CloseOnEnter = false;
  s.CloseOnKey = true;
  s.CloseKey = "q";
  s.MusicEnabled = false;
  s.UseMaxRunTime = true;
  s.MaxRunMinutes = 999;
  s.Transitions = "3;17;120;";
  s.RandomTransition = false;
  s.TransitionSpeed = 50;
  s.UseOwnTransitions = true;
  ASSERT_TRUE(s.Save()) << s.LastError().toStdString();

  TRWSetting t("Sunset.scr");
  ASSERT_TRUE(t.Load());
  EXPECT_EQ(t.PasswordEnabled, true);
  EXPECT_EQ(t.Password, s.Password);
  EXPECT_EQ(t.MouseSensitivity, 19);
  EXPECT_EQ(t.CloseOnMouseMove, false);
  EXPECT_EQ(t.CloseOnLeftClick, true);
  EXPECT_EQ(t.CloseOnRightClick, false);
  EXPECT_EQ(t.CloseOnDoubleClick, false);
  EXPECT_EQ(t.CloseOnEsc, false);
  EXPECT_EQ(t.CloseOnEnter, false);
  EXPECT_EQ(t.CloseOnKey, true);
  EXPECT_EQ(t.CloseKey, "q");
  EXPECT_EQ(t.MusicEnabled, false);
  EXPECT_EQ(t.UseMaxRunTime, true);
  EXPECT_EQ(t.MaxRunMinutes, 999);
  EXPECT_EQ(t.Transitions, "3;17;120;");
  EXPECT_EQ(t.RandomTransition, false);
  EXPECT_EQ(t.TransitionSpeed, 50);
  EXPECT_EQ(t.UseOwnTransitions, true);

  // The eighteen values, in their order and kinds, in a file only its owner can read.
  const std::string text = sftest::ReadFile(KeyFile("Sunset").toStdString());
  const char* order[] = {"\"Enabled password\"=dword:00000001", "\"Pwd\"=\"s3cr\\\"et\\\\ \xE9\"",
                         "\"Mouse Sensitivity\"=dword:00000013", "\"Mouse Move\"=dword:00000000",
                         "\"Mouse Left Click\"=", "\"Mouse Right Click\"=", "\"Mouse Double Click\"=",
                         "\"Esc Key\"=", "\"Enter Key\"=", "\"Specified Key\"=", "\"Key Value\"=\"q\"",
                         "\"Enabled Music\"=", "\"Use Max Run Time\"=", "\"Max Run Time\"=dword:000003e7",
                         "\"transition\"=\"3;17;120;\"", "\"random transition\"=",
                         "\"transition speed\"=dword:00000032", "\"newtransition\"=dword:00000001"};
  size_t at = 0;
  for (const char* v : order) {
    size_t found = text.find(std::string(v), at);
    ASSERT_NE(found, std::string::npos) << v;
    at = found;
  }
  EXPECT_EQ(QFileInfo(KeyFile("Sunset")).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

TEST_F(Settings, KeyNameDropsOnlyTheLastExtension) {
  EXPECT_EQ(TRWSetting("My.Show.scr").SubKey(), "Software\\Quillmoor\\My.Show");
  EXPECT_EQ(TRWSetting("Sunset.scr").SubKey(), "Software\\Quillmoor\\Sunset");
  EXPECT_EQ(TRWSetting("NoDot").SubKey(), "Software\\Quillmoor\\NoDot");
  EXPECT_EQ(TRWSetting("C:\\Shows.d\\Plain").SubKey(), "Software\\Quillmoor\\C:\\Shows.d\\Plain");
  EXPECT_EQ(TRWSetting("").SubKey(), "Software\\Quillmoor\\");
  TRWSetting s("My.Show.scr");
  ASSERT_TRUE(s.Save());
  EXPECT_TRUE(QFileInfo(KeyFile("My.Show")).isFile());
}

TEST_F(Settings, AnyNonZeroDwordReadsAsTrue) {
  WriteKey("Sunset", "\"Mouse Move\"=dword:00000007\r\n\"Esc Key\"=dword:00000000\r\n");
  TRWSetting s("Sunset.scr");
  ASSERT_TRUE(s.Load());
  EXPECT_TRUE(s.CloseOnMouseMove);
  EXPECT_FALSE(s.CloseOnEsc);
}

TEST_F(Settings, MissingValuesKeepTheirDefaultsButTextsReadEmpty) {
  WriteKey("Sunset", "\"Mouse Sensitivity\"=dword:00000002\r\n\"Pwd\"=\"p\"\r\n");
  TRWSetting s("Sunset.scr");
  s.Password = "old";
  ASSERT_TRUE(s.Load());
  EXPECT_EQ(s.MouseSensitivity, 2);
  EXPECT_EQ(s.Password, "p");
  // A missing text reads as empty, not as the field's value before the load.
  EXPECT_EQ(s.CloseKey, "");
  EXPECT_EQ(s.Transitions, "");
  s.MouseSensitivity = 5;
  s.Password.clear();
  s.CloseKey = "A";
  s.Transitions = TRWSetting("x").Transitions;
  ExpectDefaults(s);
}

TEST_F(Settings, WrongKindStopsTheLoadAfterTheValuesBeforeIt) {
  WriteKey("Sunset", "\"Enabled password\"=dword:00000001\r\n\"Pwd\"=\"x\"\r\n\"Mouse Move\"=\"yes\"\r\n"
                     "\"Esc Key\"=dword:00000000\r\n");
  TRWSetting s("Sunset.scr");
  try {
    s.Load();
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Mouse Move'");
  }
  EXPECT_TRUE(s.PasswordEnabled);
  EXPECT_EQ(s.Password, "x");
  EXPECT_TRUE(s.CloseOnEsc);  // after the error: not read

  WriteKey("Text", "\"Pwd\"=dword:00000001\r\n");
  TRWSetting t("Text.scr");
  EXPECT_THROW(t.Load(), ERegistryException);
}

TEST_F(Settings, HostileProjectNamesStayInsideTheFolder) {
  const QString quillmoor = QDir::cleanPath(root + "/HKEY_LOCAL_MACHINE/Software/Quillmoor");
  for (const char* name : {"../../../outside.scr", "..", "/etc/passwd.scr", "a\\..\\..\\..\\b.scr", "\x01\n.scr",
                           "", "..\\..\\x", "../.scr"}) {
    TRWSetting s(name);
    s.Password = "kept";
    ASSERT_TRUE(s.Save()) << name << ": " << s.LastError().toStdString();
    TRWSetting t(name);
    ASSERT_TRUE(t.Load()) << name;
    EXPECT_EQ(t.Password, "kept");
  }
  for (const QString& f : FilesUnderRoot())
    EXPECT_TRUE(QDir::cleanPath(f).startsWith(quillmoor + "/")) << f.toStdString();
  EXPECT_FALSE(QFileInfo(root + "/outside.reg").exists());
  EXPECT_FALSE(QFileInfo(QFileInfo(root).path() + "/outside.reg").exists());
}

TEST_F(Settings, CrashWhileSavingLeavesThePreviousKeyWhole) {
  TRWSetting before("Sunset.scr");
  before.Password = "old password";
  before.MouseSensitivity = 11;
  ASSERT_TRUE(before.Save());
  const std::string previous = sftest::ReadFile(KeyFile("Sunset").toStdString());

  // The child dies half-way through writing the new key.
  EXPECT_EXIT(
      {
        SetRegistryWriteHookForTesting([](int) { _exit(9); });
        TRWSetting after("Sunset.scr");
        after.Password = "new password";
        after.MouseSensitivity = 3;
        after.Save();
        _exit(0);
      },
      ::testing::ExitedWithCode(9), "");

  EXPECT_EQ(sftest::ReadFile(KeyFile("Sunset").toStdString()), previous);
  TRWSetting loaded("Sunset.scr");
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.Password, "old password");
  EXPECT_EQ(loaded.MouseSensitivity, 11);
  // The half-written file is left behind under a name no key uses, and the next save succeeds.
  loaded.MouseSensitivity = 4;
  ASSERT_TRUE(loaded.Save());
  TRWSetting again("Sunset.scr");
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.MouseSensitivity, 4);
}

TEST_F(Settings, DamagedKeyFileIsReportedAndReplacedOnSave) {
  WriteKey("Sunset", "\"Mouse Move\"=dword:zz\r\n");
  TRWSetting s("Sunset.scr");
  EXPECT_FALSE(s.Load());
  EXPECT_NE(s.LastError().indexOf("line 4"), -1) << s.LastError().toStdString();
  ExpectDefaults(s);
  s.MouseSensitivity = 8;
  ASSERT_TRUE(s.Save());
  EXPECT_TRUE(QFileInfo(KeyFile("Sunset") + ".damaged").isFile());  // kept, not lost
  TRWSetting t("Sunset.scr");
  ASSERT_TRUE(t.Load());
  EXPECT_EQ(t.MouseSensitivity, 8);
}

TEST_F(Settings, SaveFailsWhenTheKeyCannotBeWritten) {
  // A file where the key's folder should be: no folder can be made there, not even by root.
  QDir().mkpath(root + "/HKEY_LOCAL_MACHINE/Software");
  QFile blocker(root + "/HKEY_LOCAL_MACHINE/Software/Quillmoor");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  TRWSetting s("Sunset.scr");
  EXPECT_FALSE(s.Save());
  EXPECT_FALSE(s.LastError().isEmpty());
  EXPECT_FALSE(s.Load());
}

TEST_F(Settings, SaveKeepsValuesOfOtherProgramsUnchanged) {
  WriteKey("Sunset", "\"Mouse Move\"=dword:00000000\r\n\"Extra\"=hex(2):25,00,41,00\r\n\"Note\"=\"hi\"\r\n");
  TRWSetting s("Sunset.scr");
  ASSERT_TRUE(s.Load());
  ASSERT_TRUE(s.Save());
  const std::string text = sftest::ReadFile(KeyFile("Sunset").toStdString());
  EXPECT_NE(text.find("\"Extra\"=hex(2):25,00,41,00\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Note\"=\"hi\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Mouse Move\"=dword:00000000\r\n"), std::string::npos) << text;
}
