// The info command as authors use it: the readable listing and the real program's exit codes.
#include <QJsonArray>
#include <QProcess>
#include <gtest/gtest.h>

#include "tests/common/inforun.h"
#include "tests/common/testutil.h"

using namespace sftest;

TEST(InfoCommand, ReadableListingNamesEveryPart) {
  ProjectBuilder b;
  b.AddResource("JPEGDATA");
  b.AddMusic("MUSIC");
  b.header = F(30, "Sunset.scr") + F(1, "tune.mp3") + F(91, "Settings");
  b.slideList = Rec(F(2, "a.jpg") + F(3, "8") + F(8, "Hello") + F(13, "1")) + Rec(F(63, "1"));
  auto r = RunInfo(WriteFile("listing.scr", b.Build()), {"--seed", "1"});
  ASSERT_EQ(r.code, 0) << r.err;
  for (const char* s : {"Offset table", "ResourceOffsets:", "[18]", "MusicOffsets:", "[26]", "ProjectName:",
                        "\"Sunset.scr\"", "MusicFiles:", "[\"tune.mp3\"]", "Texts[49]:", "\"Settings\"",
                        "Slides: 1, background pictures: 1", "Record 0", "Record 1", "Caption:", "\"Hello\"",
                        "CaptionFont:", "bold", "IsBackgroundPicture:"})
    EXPECT_NE(r.out.find(s), std::string::npos) << s;
}

TEST(InfoCommand, ProgramExitCodes) {
  ProjectBuilder b;
  b.slideList = Rec(F(8, "x"));
  const std::string good = WriteFile("good.scr", b.Build());
  const std::string bad = WriteFile("bad.scr", "no project here");
  QProcess p;
  p.start(SHOWFORGE_TOOL_BIN, {"info", QString::fromStdString(good), "--json"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
  EXPECT_EQ(o["slides"].toArray()[0].toObject()["Caption"].toString(), "x");
  EXPECT_TRUE(o.contains("table"));
  EXPECT_TRUE(o.contains("header"));

  p.start(SHOWFORGE_TOOL_BIN, {"info", QString::fromStdString(bad)});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
  EXPECT_NE(p.readAllStandardError().indexOf("'oject here' is not a valid integer value"), -1);

  p.start(SHOWFORGE_TOOL_BIN, {"info"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 2);
  p.start(SHOWFORGE_TOOL_BIN, {"frobnicate"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 2);
}

TEST(InfoCommand, JsonEscapesControlCharactersAndKeepsUnicode) {
  ProjectBuilder b;
  b.header = F(29, "tab\there \"quoted\" back\\slash \x01 \xE9");
  auto r = RunInfo(WriteFile("escapes.scr", b.Build()));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.json["header"].toObject()["Description"].toString(),
            QString::fromUtf8("tab\there \"quoted\" back\\slash \x01 é"));
}
