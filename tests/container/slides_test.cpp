// The slide records: splitting, defaults, random defaults, styles, cut fields, data regions.
#include <QJsonArray>
#include <gtest/gtest.h>
#include <set>

#include "container/colortables.h"
#include "tests/common/inforun.h"
#include "tests/common/testutil.h"

using namespace sftest;

namespace {
InfoRun RunShow(const ProjectBuilder& b, QStringList extra = {"--json", "--seed", "7"}) {
  return RunInfo(WriteFile("slides.scr", b.Build()), extra);
}
QJsonArray Slides(const std::string& slideList) {
  ProjectBuilder b;
  b.slideList = slideList;
  auto r = RunShow(b);
  EXPECT_EQ(r.code, 0) << r.err;
  return r.json["slides"].toArray();
}
bool InPalette(int c) {
  for (int p : sf::kSolidColors)
    if (p == c) return true;
  return false;
}
}  // namespace

TEST(Slides, SplitAtEachRecordEnd) {
  EXPECT_TRUE(Slides("").isEmpty());
  EXPECT_TRUE(Slides(F(8, "no end")).isEmpty());
  QJsonArray s = Slides(Rec(F(8, "one")) + Rec("") + Rec(F(8, "three")) + F(8, "lost"));
  ASSERT_EQ(s.size(), 3);
  EXPECT_EQ(s[0].toObject()["Caption"].toString(), "one");
  EXPECT_EQ(s[1].toObject()["Caption"].toString(), "");
  EXPECT_EQ(s[2].toObject()["Caption"].toString(), "three");
}

TEST(Slides, EmptyRecordHasEveryDefault) {
  QJsonArray s = Slides(Rec(""));
  ASSERT_EQ(s.size(), 1);
  QJsonObject r = s[0].toObject();
  const QJsonObject fixed = QJsonDocument::fromJson(R"({
    "ResourceIndex": 0, "FileName": "", "DataSize": 0, "Transparent": false,
    "MusicDuringSlide": true, "ShowCaption": true, "Caption": "", "CaptionPosition": 0,
    "CaptionX": 0, "CaptionY": 0, "ShowText": true, "Text": "www.showforge.example",
    "TextPosition": 3, "TextX": 0, "TextY": 0, "RandomEffect": true, "EffectSpeed": 25,
    "FormatCode": 2, "BackgroundKinds": "0;", "SolidColor": 0,
    "GradientStyles": " 0; 1; 2; 3; 4; 5; 6; 7; 8; 9; 10; 11;", "SlideKind": 0,
    "VideoSizeMode": 0, "FlashAlignMode": 0, "FlashScaleMode": 0, "FlashBackgroundColor": 0,
    "BackgroundPictureSources": "1;", "BackgroundPictureList": "", "RandomGradientColors": true,
    "RandomBackgroundColor": true, "BackgroundPictureLayout": 2, "IsBackgroundPicture": false,
    "RandomTileCount": true, "FlashEndMode": 3, "FlashEndFrame": 0, "FlashEndSeconds": 0,
    "FlashMouseMove": false, "FlashMouseClick": false})").object();
  for (auto it = fixed.begin(); it != fixed.end(); ++it)
    EXPECT_EQ(r[it.key()], it.value()) << it.key().toStdString();
  QString all;
  for (int i = 0; i <= 160; ++i) all += QString::number(i) + ";";
  EXPECT_EQ(r["EffectList"].toString(), all);
  // The random defaults, and the two fonts.
  const QJsonObject cf = r["CaptionFont"].toObject(), tf = r["TextFont"].toObject();
  EXPECT_EQ(cf["Height"].toInt(), -24);
  EXPECT_EQ(tf["Height"].toInt(), -16);
  EXPECT_EQ(cf["Charset"].toInt(), 1);
  EXPECT_EQ(cf["Name"].toString(), "MS Sans Serif");
  for (const char* style : {"Bold", "Italic", "Underline", "StrikeOut"}) {
    EXPECT_FALSE(cf[style].toBool());
    EXPECT_FALSE(tf[style].toBool());
  }
  EXPECT_TRUE(InPalette(cf["Color"].toInt()));
  EXPECT_TRUE(InPalette(tf["Color"].toInt()));
  EXPECT_GE(r["TileCount"].toInt(), 20);
  EXPECT_LE(r["TileCount"].toInt(), 39);
  EXPECT_EQ(r.size(), fixed.size() + 6);  // + EffectList, the fonts, the gradient colours, TileCount
}

TEST(Slides, RandomDefaultsCoverTheirRangesAndRepeatWithTheSeed) {
  std::string list;
  for (int i = 0; i < 400; ++i) list += Rec("");
  ProjectBuilder b;
  b.slideList = list;
  auto first = RunShow(b), second = RunShow(b), other = RunShow(b, {"--json", "--seed", "8"});
  ASSERT_EQ(first.code, 0);
  EXPECT_EQ(first.out, second.out);
  EXPECT_NE(first.out, other.out);
  std::set<int> tiles, captionColors, pairs;
  for (const QJsonValue& v : first.json["slides"].toArray()) {
    QJsonObject r = v.toObject();
    tiles.insert(r["TileCount"].toInt());
    captionColors.insert(r["CaptionFont"].toObject()["Color"].toInt());
    int pair = -1;
    for (int i = 0; i < 13; ++i)
      if (sf::kGradientPairs[size_t(i)][0] == r["GradientColor1"].toInt() &&
          sf::kGradientPairs[size_t(i)][1] == r["GradientColor2"].toInt())
        pair = i;
    pairs.insert(pair);
  }
  EXPECT_EQ(tiles.size(), 20u);
  EXPECT_EQ(*tiles.begin(), 20);
  EXPECT_EQ(*tiles.rbegin(), 39);
  EXPECT_EQ(captionColors.size(), 13u);
  EXPECT_EQ(pairs, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));  // only the first eight pairs
}

TEST(Slides, StyleDigitsAddUp) {
  QJsonArray s = Slides(Rec(F(13, "41")) + Rec(F(23, "2") + F(23, "3")) + Rec(F(13, "x")) + Rec(F(23, "1234")));
  auto style = [&](int i, const char* font) {
    QJsonObject f = s[i].toObject()[font].toObject();
    return std::vector<bool>{f["Bold"].toBool(), f["Italic"].toBool(), f["Underline"].toBool(),
                             f["StrikeOut"].toBool()};
  };
  EXPECT_EQ(style(0, "CaptionFont"), (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(style(0, "TextFont"), (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(style(1, "TextFont"), (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(style(2, "CaptionFont"), (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(style(3, "TextFont"), (std::vector<bool>{true, true, true, true}));
}

TEST(Slides, FontFieldsReachTheirFont) {
  QJsonArray s = Slides(Rec(F(9, "238") + F(10, "255") + F(11, "-30") + F(12, "Arial") + F(19, "0") +
                            F(20, "65280") + F(21, "12") + F(22, "Courier New")));
  QJsonObject cf = s[0].toObject()["CaptionFont"].toObject(), tf = s[0].toObject()["TextFont"].toObject();
  EXPECT_EQ(cf["Charset"].toInt(), 238);
  EXPECT_EQ(cf["Color"].toInt(), 255);
  EXPECT_EQ(cf["Height"].toInt(), -30);
  EXPECT_EQ(cf["Name"].toString(), "Arial");
  EXPECT_EQ(tf["Charset"].toInt(), 0);
  EXPECT_EQ(tf["Color"].toInt(), 65280);
  EXPECT_EQ(tf["Height"].toInt(), 12);
  EXPECT_EQ(tf["Name"].toString(), "Courier New");
}

TEST(Slides, FixedFieldsAreCutToTheirCapacity) {
  struct Case {
    uint8_t tag;
    const char* name;
    int capacity;
  } cases[] = {{2, "FileName", 255},          {8, "Caption", 100},
               {24, "Text", 4097},            {36, "EffectList", 1024},
               {46, "BackgroundKinds", 10},   {50, "GradientStyles", 50},
               {57, "BackgroundPictureSources", 10}, {58, "BackgroundPictureList", 300}};
  for (const Case& c : cases) {
    std::string exact(size_t(c.capacity), 'e'), longer = std::string(size_t(c.capacity), 'k') + "0123456789";
    QJsonArray s = Slides(Rec(F(c.tag, exact)) + Rec(F(c.tag, longer)));
    EXPECT_EQ(s[0].toObject()[c.name].toString().size(), c.capacity) << c.name;
    EXPECT_EQ(s[1].toObject()[c.name].toString(), QString(c.capacity, 'k')) << c.name;
  }
  // A caption of 150 Windows-1252 characters keeps its first 100, each one character.
  QJsonArray s = Slides(Rec(F(8, std::string(150, '\xE9'))));
  EXPECT_EQ(s[0].toObject()["Caption"].toString(), QString(100, QChar(0xE9)));
}

TEST(Slides, RepeatedTagsLastWinsAndBadIntegersKeepTheirValue) {
  QJsonArray s = Slides(Rec(F(35, "10") + F(35, "40") + F(14, "9") + F(14, "x9") + F(52, "2") + F(7, "") +
                            F(63, "1") + F(200, "unknown") + F(4, "unused")));
  QJsonObject r = s[0].toObject();
  EXPECT_EQ(r["EffectSpeed"].toInt(), 40);
  EXPECT_EQ(r["CaptionPosition"].toInt(), 9);
  EXPECT_EQ(r["SlideKind"].toInt(), 2);
  EXPECT_FALSE(r["ShowCaption"].toBool());
  EXPECT_TRUE(r["IsBackgroundPicture"].toBool());
}

TEST(Slides, LastFieldWithoutTerminatorIsLost) {
  QJsonArray s = Slides(Rec(F(35, "10") + "\x08" "caption without end"));
  EXPECT_EQ(s[0].toObject()["EffectSpeed"].toInt(), 10);
  EXPECT_EQ(s[0].toObject()["Caption"].toString(), "");
}

TEST(Slides, DataOfEverySlideMustLieInTheMediaArea) {
  ProjectBuilder good;
  good.AddResource("abcd");
  good.AddResource("efgh");
  good.slideList = Rec(F(3, "4")) + Rec(F(3, "4")) + Rec("");  // the third slide has no data
  auto r = RunShow(good);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.json["slides"].toArray().size(), 3);

  ProjectBuilder past = good;
  past.slideList = Rec(F(3, "4")) + Rec(F(3, "5"));
  auto p = RunShow(past);
  EXPECT_EQ(p.code, 1);
  EXPECT_NE(p.err.find("slide 1's data (5 bytes at 22) runs past the media area"), std::string::npos) << p.err;

  ProjectBuilder noEntry = good;
  noEntry.slideList = Rec(F(3, "4")) + Rec(F(3, "4")) + Rec(F(3, "1"));
  auto n = RunShow(noEntry);
  EXPECT_EQ(n.code, 1);
  EXPECT_NE(n.err.find("slide 2 has no entry in ResourceOffsets"), std::string::npos) << n.err;

  ProjectBuilder negative = good;
  negative.slideList = Rec(F(3, "-1"));
  EXPECT_EQ(RunShow(negative).code, 1);

  // Media that are not embedded are not in the file: their sizes are not checked.
  ProjectBuilder external = past;
  external.header = F(38, "0");
  EXPECT_EQ(RunShow(external).code, 0);
}

TEST(Slides, InvertedDialogPictureRegionIsDamage) {
  ProjectBuilder b;
  b.AddResource("pic");
  b.resources.push_back(b.resources.back() - 1);  // its end before its start
  b.header = F(9, "1");
  auto r = RunShow(b);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("dialog picture"), std::string::npos) << r.err;
  b.header = F(9, "0");  // not shown: not read, not checked
  EXPECT_EQ(RunShow(b).code, 0);
}
