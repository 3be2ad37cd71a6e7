#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
std::vector<TRegValue> Parse(std::string_view text, QString* error = nullptr) {
  std::vector<TRegValue> v;
  QString e;
  bool ok = ParseRegText(text, v, e);
  if (error) *error = e;
  EXPECT_EQ(ok, e.isEmpty());
  return v;
}
}  // namespace

TEST(RegText, ReadsDwordsAndTextsWithEitherLineEnd) {
  for (std::string nl : {"\r\n", "\n"}) {
    auto v = Parse("REGEDIT4" + nl + nl + "[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\X]" + nl +
                   "\"Mouse Move\"=dword:0000000A" + nl + "\"Max\"=dword:ffffffff" + nl +
                   "\"Pwd\"=\"a\\\\b\\\"c\"" + nl + "; a comment" + nl + nl);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].name, "Mouse Move");
    EXPECT_EQ(v[0].type, TRegDataType::Integer);
    EXPECT_EQ(v[0].number, 10);
    EXPECT_EQ(v[1].number, -1);  // a dword reads as a signed 32-bit value
    EXPECT_EQ(v[2].type, TRegDataType::String);
    EXPECT_EQ(v[2].text, "a\\b\"c");
  }
}

TEST(RegText, OtherKindsAreKeptAsOtherAndHexOneIsText) {
  auto v = Parse(
      "REGEDIT4\n[K]\n\"b\"=hex:01,02,\\\n  03\n\"s\"=hex(1):41,0d,0a,42,00\n\"e\"=hex(2):25,00\n\"d\"=-\n");
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].type, TRegDataType::Other);
  EXPECT_EQ(v[1].type, TRegDataType::String);
  EXPECT_EQ(v[1].text, "A\r\nB");
  EXPECT_EQ(v[2].type, TRegDataType::Other);
}

TEST(RegText, DamagedTextIsRejectedWithTheLine) {
  struct Case {
    const char* text;
    const char* line;
  } cases[] = {
      {"", ""},
      {"REGEDIT5\n[K]\n", "line 1"},
      {"REGEDIT4\n\"a\"=dword:1\n", "line 2"},
      {"REGEDIT4\n[K]\n\"a\"=dword:123456789\n", "line 3"},
      {"REGEDIT4\n[K]\n\"a\"=dword:12g\n", "line 3"},
      {"REGEDIT4\n[K]\n\"a=dword:1\n", "line 3"},
      {"REGEDIT4\n[K]\n\"a\"=\"open\n", "line 3"},
      {"REGEDIT4\n[K]\n\"a\"=hex:1,2\n", "line 3"},
      {"REGEDIT4\n[K]\n\"a\"=qword:1\n", "line 3"},
      {"REGEDIT4\n[K\n", "line 2"},
  };
  for (const Case& c : cases) {
    QString error;
    auto v = Parse(c.text, &error);
    EXPECT_TRUE(v.empty()) << c.text;
    EXPECT_FALSE(error.isEmpty()) << c.text;
    EXPECT_TRUE(error.startsWith(c.line)) << c.text << " -> " << error.toStdString();
  }
}

TEST(RegText, LaterValuesReplaceEarlierOnesAndForeignKeysArePassed) {
  auto v = Parse("REGEDIT4\n[K]\n\"a\"=dword:1\n\"A\"=dword:2\n[Other]\n\"a\"=dword:3\n\"z\"=\"x\"\n");
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0].number, 2);
}

TEST(RegText, FormatIsRegedit4WithCrlfAndParsesBack) {
  std::vector<TRegValue> in(3);
  in[0].name = "Enabled password";
  in[0].type = TRegDataType::Integer;
  in[0].number = 10;
  in[1].name = "Pwd";
  in[1].text = QString::fromUtf8("q\"\\é");
  in[2].name = "Line";
  in[2].text = "one\r\ntwo";
  std::string text = FormatRegText("Software\\Quillmoor\\Sunset", in);
  EXPECT_EQ(text.substr(0, 64), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Sunset]\r\n\"Ena");
  EXPECT_NE(text.find("\"Enabled password\"=dword:0000000a\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Pwd\"=\"q\\\"\\\\\xE9\"\r\n"), std::string::npos);  // Windows-1252
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    EXPECT_EQ(text[at - 1], '\r') << at;  // every line ends in CR LF
  auto back = Parse(text);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].text, in[1].text);
  EXPECT_EQ(back[2].text, in[2].text);
}

TEST(RegistryFiles, HostileNamesStayInsideTheirFolder) {
  const QString quillmoor = QDir::cleanPath(TRegistry::RootFolder() + "/HKEY_LOCAL_MACHINE/Software/Quillmoor");
  TRegistry reg;
  for (QString name : {QString("../../../etc/passwd"), QString(".."), QString("."), QString(""), QString("/abs"),
                       QString("a/b"), QString("a\\..\\..\\..\\x"), QString("ctl\x01\n"), QString("%2E%2E"),
                       QString(300, 'n'), QString(150, QChar(0x00E9))}) {
    const QString file = reg.KeyFile("Software\\Quillmoor\\" + name);
    const QString clean = QDir::cleanPath(file);
    EXPECT_EQ(clean, file) << file.toStdString();  // no "." or ".." parts that cleaning would remove
    EXPECT_TRUE(clean.startsWith(quillmoor + "/")) << file.toStdString();
    EXPECT_LE(QFileInfo(file).fileName().toUtf8().size(), 255);
    for (const QString& part : file.mid(quillmoor.size() + 1).split('/')) {
      EXPECT_FALSE(part.isEmpty());
      EXPECT_FALSE(part.startsWith('.')) << part.toStdString();
      for (QChar c : part) EXPECT_GE(c.unicode(), 0x20);
    }
  }
  // Different names never share a file.
  EXPECT_NE(reg.KeyFile("Software\\Quillmoor\\%2E"), reg.KeyFile("Software\\Quillmoor\\."));
  EXPECT_NE(reg.KeyFile("Software\\Quillmoor\\a/b"), reg.KeyFile("Software\\Quillmoor\\a%2Fb"));
  EXPECT_NE(reg.KeyFile("Software\\Quillmoor\\" + QString(300, 'n')),
            reg.KeyFile("Software\\Quillmoor\\" + QString(299, 'n') + "m"));
  EXPECT_EQ(reg.KeyFile("Software\\Quillmoor\\Sunset"), quillmoor + "/Sunset.reg");
}

TEST(RegistryFiles, WriteReadAndKinds) {
  setenv("SHOWFORGE_REGISTRY_DIR", sftest::ScratchDir("reg-kinds").c_str(), 1);
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\T\\K", false));
  EXPECT_TRUE(reg.LastError().isEmpty());
  ASSERT_TRUE(reg.OpenKey("Software\\T\\K", true));
  reg.WriteInteger("n", 7);
  reg.WriteString("s", "text");
  ASSERT_TRUE(reg.CloseKey());
  const auto perms = QFileInfo(reg.KeyFile("Software\\T\\K")).permissions();
  EXPECT_TRUE(perms & QFile::ReadOwner);
  EXPECT_EQ(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());

  ASSERT_TRUE(reg.OpenKey("Software\\T\\K", false));
  EXPECT_EQ(reg.ReadInteger("N"), 7);  // names are compared without regard to case
  EXPECT_TRUE(reg.ReadBool("n"));
  EXPECT_EQ(reg.ReadString("s"), "text");
  EXPECT_EQ(reg.ReadString("missing"), "");
  try {
    reg.ReadInteger("missing");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to get data for 'missing'");
  }
  try {
    reg.ReadInteger("s");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 's'");
  }
  try {
    reg.ReadString("n");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'n'");
  }
  EXPECT_TRUE(reg.CloseKey());
}
