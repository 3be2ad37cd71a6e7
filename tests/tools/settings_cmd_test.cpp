#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sstream>

#include "settings/rwsetting.h"
#include "tests/common/testutil.h"
#include "tools/commands.h"

using namespace sftest;

namespace {
struct CmdRun {
  int code;
  std::string out, err;
};
CmdRun Settings(QStringList args) {
  std::ostringstream out, err;
  int code = sf::CmdSettings(args, out, err);
  return {code, out.str(), err.str()};
}
}  // namespace

TEST(SettingsCommand, ListsTheEighteenValuesInOrder) {
  setenv("SHOWFORGE_REGISTRY_DIR", ScratchDir("reg-cmd").c_str(), 1);
  sf::TRWSetting s("Sunset.scr");
  s.Password = "pw";
  s.MaxRunMinutes = 12;
  ASSERT_TRUE(s.Save());
  CmdRun r = Settings({"Sunset.scr", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const char* names[] = {"Enabled password", "Pwd", "Mouse Sensitivity", "Mouse Move", "Mouse Left Click",
                         "Mouse Right Click", "Mouse Double Click", "Esc Key", "Enter Key", "Specified Key",
                         "Key Value", "Enabled Music", "Use Max Run Time", "Max Run Time", "transition",
                         "random transition", "transition speed", "newtransition"};
  size_t at = 0;
  for (const char* n : names) {
    size_t found = r.out.find("\"" + std::string(n) + "\":");
    ASSERT_NE(found, std::string::npos) << n;
    EXPECT_GT(found, at) << n;
    at = found;
  }
  QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  EXPECT_EQ(o.size(), 18);
  EXPECT_EQ(o["Pwd"].toString(), "pw");
  EXPECT_EQ(o["Max Run Time"].toInt(), 12);
  EXPECT_EQ(o["Enabled password"].toBool(), false);
}

TEST(SettingsCommand, AShowFileNamesItsOwnProject) {
  setenv("SHOWFORGE_REGISTRY_DIR", ScratchDir("reg-cmd2").c_str(), 1);
  sf::TRWSetting s("Harbour.scr");
  s.MouseSensitivity = 17;
  ASSERT_TRUE(s.Save());
  ProjectBuilder b;
  b.header = F(30, "Harbour.scr");
  const std::string show = WriteFile("renamed-copy.scr", b.Build());
  CmdRun r = Settings({QString::fromStdString(show)});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Software\\Quillmoor\\Harbour"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Mouse Sensitivity: 17"), std::string::npos) << r.out;
}

TEST(SettingsCommand, LoadErrorsExitWithTheStoresMessage) {
  const std::string dir = ScratchDir("reg-cmd3");
  setenv("SHOWFORGE_REGISTRY_DIR", dir.c_str(), 1);
  CmdRun none = Settings({"Nobody.scr"});
  EXPECT_EQ(none.code, 0);
  EXPECT_NE(none.out.find("the defaults hold"), std::string::npos);

  const std::string folder = dir + "/HKEY_LOCAL_MACHINE/Software/Quillmoor";
  ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
  FILE* f = fopen((folder + "/Bad.reg").c_str(), "w");
  fputs("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Bad]\r\n\"Esc Key\"=\"text\"\r\n", f);
  fclose(f);
  CmdRun bad = Settings({"Bad.scr"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("Invalid data type for 'Esc Key'"), std::string::npos) << bad.err;

  f = fopen((folder + "/Broken.reg").c_str(), "w");
  fputs("not a registry file", f);
  fclose(f);
  CmdRun broken = Settings({"Broken.scr"});
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("REGEDIT4"), std::string::npos) << broken.err;
}
