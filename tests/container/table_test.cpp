// The offset table and the length field, read through info --json from files laid out byte by
// byte.
#include <QJsonArray>
#include <gtest/gtest.h>

#include "container/projectinfo.h"
#include "tests/common/inforun.h"
#include "tests/common/testutil.h"

using namespace sftest;

namespace {

std::vector<int> Ints(const QJsonValue& v) {
  std::vector<int> out;
  for (const QJsonValue& x : v.toArray()) out.push_back(x.toInt());
  return out;
}

// A file: image, then the table text and a length field (left- or right-aligned).
std::string WithTable(const std::string& image, const std::string& table, bool right = false) {
  return image + table + LengthField(int64_t(table.size()), right);
}

}  // namespace

TEST(OffsetTable, LengthFieldPaddedOnEitherSide) {
  const std::string image(40, 'P');
  for (bool right : {false, true}) {
    std::string table = "520\x80" "630\x80";
    auto r = RunInfo(WriteFile("pad.scr", WithTable(image, table, right)));
    ASSERT_EQ(r.code, 0) << r.err;
    QJsonObject t = r.json["table"].toObject();
    EXPECT_EQ(t["SlideListStart"].toInt(), 20);
    EXPECT_EQ(t["HeaderStart"].toInt(), 30);
    EXPECT_EQ(t["TableStart"].toInt(), 40);
  }
  // Control characters and a NUL end or surround the number as blanks do.
  std::string table = "640\x80";
  std::string file = image + table + std::string("\t") + std::to_string(table.size()) + std::string("\0xxxxx", 6);
  file.resize(image.size() + table.size() + 10, '\0');
  auto r = RunInfo(WriteFile("nul.scr", file));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.json["table"].toObject()["HeaderStart"].toInt(), 40);
}

TEST(OffsetTable, ResourceTagsShareOneListInFileOrderAndOthersAreSkipped) {
  const std::string image(100, 'P');
  std::string table = "310\x80" "120\x80" "0999\x80" "230\x80" "x1\x80" "440\x80" "150\x80" "460\x80" "5100\x80"
                      "6100\x80";
  auto r = RunInfo(WriteFile("mixed.scr", WithTable(image, table)));
  ASSERT_EQ(r.code, 0) << r.err;
  QJsonObject t = r.json["table"].toObject();
  EXPECT_EQ(Ints(t["ResourceOffsets"]), (std::vector<int>{10, 20, 30, 50}));
  EXPECT_EQ(Ints(t["MusicOffsets"]), (std::vector<int>{40, 60}));
  EXPECT_EQ(t["SlideListStart"].toInt(), 100);
}

TEST(OffsetTable, LastRecordWithoutTerminatorIsLost) {
  const std::string image(100, 'P');
  auto r = RunInfo(WriteFile("noterm.scr", WithTable(image, "110\x80" "5100\x80" "6100\x80" "120")));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Ints(r.json["table"].toObject()["ResourceOffsets"]), (std::vector<int>{10}));
}

TEST(OffsetTable, EmptyTableLeavesEveryPositionZero) {
  auto r = RunInfo(WriteFile("empty.scr", "0         "));
  ASSERT_EQ(r.code, 0) << r.err;
  QJsonObject t = r.json["table"].toObject();
  EXPECT_TRUE(t["ResourceOffsets"].toArray().isEmpty());
  EXPECT_TRUE(t["MusicOffsets"].toArray().isEmpty());
  EXPECT_EQ(t["SlideListStart"].toInt(), 0);
  EXPECT_EQ(t["HeaderStart"].toInt(), 0);
  EXPECT_EQ(t["TableStart"].toInt(), 0);
  EXPECT_TRUE(r.json["slides"].toArray().isEmpty());
}

TEST(OffsetTable, NoProjectAppendedKeepsTheConversionError) {
  auto r = RunInfo(WriteFile("plain.exe", std::string("\x7f" "ELF plain program without a show")));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("'out a show' is not a valid integer value"), std::string::npos) << r.err;

  auto tiny = RunInfo(WriteFile("tiny", "12"));
  EXPECT_EQ(tiny.code, 1);  // shorter than a length field: 12 bytes of table cannot fit
  auto none = RunInfo(WriteFile("zero", ""));
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.err.find("'' is not a valid integer value"), std::string::npos) << none.err;

  // A table value that is no integer fails the same way.
  auto bad = RunInfo(WriteFile("badvalue.scr", WithTable(std::string(10, 'P'), "1abc\x80")));
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("'abc' is not a valid integer value"), std::string::npos) << bad.err;
}

TEST(OffsetTable, PositionsOutsideTheFileMakeTheProjectAbsent) {
  const std::string image(100, 'P');
  struct Case {
    std::string file, what;
  } cases[] = {
      {image + "510\x80" + LengthField(99999), "length field"},
      {image + "510\x80" + LengthField(-5), "negative length"},
      {image + std::string(102401, 'x') + LengthField(102401), "more than 102400"},
      {WithTable(image, "5-1\x80" "650\x80"), "SlideListStart -1"},
      {WithTable(image, "560\x80" "650\x80"), "SlideListStart 60"},
      {WithTable(image, "510\x80" "6500\x80"), "HeaderStart 500"},
      {WithTable(image, "1-4\x80" "550\x80" "660\x80"), "ResourceOffsets[0] = -4"},
      {WithTable(image, "155\x80" "550\x80" "660\x80"), "ResourceOffsets[0] = 55"},
      {WithTable(image, "430\x80" "420\x80" "550\x80" "660\x80"), "music file 0 ends at 20"},
      {WithTable(image, "470\x80" "550\x80" "660\x80"), "MusicOffsets[0] = 70"},
  };
  for (const Case& c : cases) {
    auto r = RunInfo(WriteFile("outside.scr", c.file));
    EXPECT_EQ(r.code, 1) << c.what;
    EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.what), std::string::npos) << c.what << " / " << r.err;
  }
  // A header of more than 102,400 bytes.
  std::string big = image + std::string(102401, 'h');
  std::string table = "5100\x80" "6100\x80";
  auto r = RunInfo(WriteFile("bighead.scr", big + table + LengthField(int64_t(table.size()))));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("project header is 102401 bytes"), std::string::npos) << r.err;
}

TEST(OffsetTable, AbsentProjectKeepsDefaultsInTheObject) {
  const std::string image(100, 'P');
  ProjectBuilder b;
  b.header = F(5, "9") + F(30, "Sunset.scr");
  b.extraTable = "1999\x80";  // an offset outside the media area
  sf::TProjectInfo project(QString::fromStdString(WriteFile("absent.scr", b.Build())));
  project.ReadHeader();
  sf::TRandom random;
  project.ReadSlides(random);
  EXPECT_FALSE(project.LoadError().isEmpty());
  EXPECT_EQ(project.DisplaySeconds, 5);
  EXPECT_EQ(project.ProjectName, "");
  EXPECT_EQ(project.Position.TableStart, 0);
  EXPECT_TRUE(project.Position.ResourceOffsets.empty());
  EXPECT_TRUE(project.Slides.empty());
}

TEST(OffsetTable, MissingFileIsNoProjectAtAll) {
  sf::TProjectInfo project("/nonexistent/show.scr");
  EXPECT_FALSE(project.FileOpened());
  project.ReadHeader();
  sf::TRandom random;
  project.ReadSlides(random);
  EXPECT_EQ(project.Version, "1.0");
  EXPECT_TRUE(project.Slides.empty());
  auto r = RunInfo("/nonexistent/show.scr");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot open"), std::string::npos);
}
