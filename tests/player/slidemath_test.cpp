// The rules of slide preparation on their own: choice lists, the fit rule, the fill crop,
// text places, tile widths and fonts.
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <set>

#include "platform/random.h"
#include "player/slidemath.h"

using namespace sf;

TEST(SlideMath, ChoiceLists) {
  TRandom random(7);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(PickChoice("2;", random), 2);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(PickChoice("1;2", random), 1);  // the entry after the last ";" is ignored
  EXPECT_EQ(PickChoice("", random), 0);
  EXPECT_EQ(PickChoice("7", random), 0);  // no ";" at all: no entry
  bool five = false, zero = false;  // an entry that is not a number gives 0
  for (int i = 0; i < 50; ++i) {
    const int v = PickChoice(" 5; x;", random);
    five |= v == 5, zero |= v == 0;
    EXPECT_TRUE(v == 5 || v == 0);
  }
  EXPECT_TRUE(five && zero);
  // Both entries come up, with about equal chance; blanks around numbers are fine.
  random.Seed(99);
  int counts[3] = {0, 0, 0};
  for (int i = 0; i < 3000; ++i) ++counts[PickChoice(" 0; 2;", random)];
  EXPECT_EQ(counts[1], 0);
  EXPECT_NEAR(counts[0], 1500, 150);
  EXPECT_NEAR(counts[2], 1500, 150);
}

TEST(SlideMath, MayPickChoiceAgreesWithPickChoice) {
  // What decides whether the desktop is taken at the start: a value it denies must never be
  // drawn, and one it allows must come up.
  TRandom random(5);
  for (const char* list : {"", "7", "1;", "0;1;", " 1 ; 0;", "x;1;", "2;3", "1;1;1;", "-1;4;", ";", " ; ;", "01;"}) {
    std::set<int32_t> drawn;
    for (int i = 0; i < 400; ++i) drawn.insert(PickChoice(list, random));
    for (int32_t value = -2; value <= 5; ++value)
      EXPECT_EQ(MayPickChoice(list, value), drawn.count(value) == 1) << "\"" << list << "\" " << value;
  }
}

TEST(SlideMath, FitRuleAndFillCrop) {
  const QSize area(1024, 768);
  EXPECT_EQ(FitRule({1600, 900}, area), QSize(1024, 576));
  EXPECT_EQ(FitRule({900, 1600}, area), QSize(432, 768));
  EXPECT_EQ(FitRule({800, 600}, area), QSize(800, 600));  // a picture that fits is never enlarged
  // Wider than the box first, then still too high: both sides are brought in.
  EXPECT_EQ(FitRule({2048, 2048}, area), QSize(768, 768));
  EXPECT_EQ(FitRule({1000, 2000}, area), QSize(384, 768));
  EXPECT_EQ(FitRule({1025, 100}, area), QSize(1024, 100));  // 99.90... rounds to 100
  EXPECT_EQ(FillCrop({1600, 900}, area), QRect(0, 0, 1200, 900));
  EXPECT_EQ(FillCrop({900, 1600}, area), QRect(0, 0, 900, 675));
  // An aspect between square and the area's would need more width than the picture has.
  EXPECT_EQ(FillCrop({1000, 900}, area), QRect(0, 0, 1000, 900));
}

TEST(SlideMath, TextPlacesAndTiles) {
  TRandom random(3);  // what random tiles draw from
  const QSize area(1024, 768), text(200, 60);
  EXPECT_EQ(TextPlace(0, area, text, {}), QPoint(412, 0));
  EXPECT_EQ(TextPlace(2, area, text, {}), QPoint(1024 - 200 - 20, 0));
  EXPECT_EQ(TextPlace(3, area, text, {}), QPoint(412, 708));  // ends at the bottom edge
  EXPECT_EQ(TextPlace(5, area, text, {}), QPoint(804, 708));
  EXPECT_EQ(TextPlace(8, area, {201, 61}, {}), QPoint(803, 353));  // div truncates
  EXPECT_EQ(TextPlace(9, area, text, {40, 30}), QPoint(40, 30));
  EXPECT_EQ(TextPlace(10, area, text, {40, 30}), QPoint(0, 0));
  EXPECT_EQ(TextPlace(6, {100, 100}, {300, 10}, {}), QPoint(-100, 45));  // wider than the area

  EXPECT_EQ(TileWidth(1024, 400, false, 4, random), 101);
  EXPECT_EQ(TileWidth(1024, 36, false, 4, random), 16);   // 10 is raised to 16
  EXPECT_EQ(TileWidth(1024, 402, false, 4, random), 101);  // 100.5 rounds to even
  EXPECT_EQ(TileWidth(1024, 400, false, 0, random), 0);    // nothing to divide by: drawn once
  for (int i = 0; i < 50; ++i) {
    const int w = TileWidth(1024, 400, true, 4, random);  // 1024 / (1 to 4) + 1
    EXPECT_TRUE(w == 1025 || w == 513 || w == 342 || w == 257) << w;
  }
  EXPECT_TRUE(ListsBackground(" 0; 3;", 3));
  EXPECT_FALSE(ListsBackground(" 0; 13;", 3));
  EXPECT_FALSE(ListsBackground("3;", 3));  // the blank before the number is part of the entry
}

TEST(SlideMath, Fonts) {
  TFontSpec spec;
  spec.Height = -24;
  spec.Bold = true;
  const QFont f = FontFromSpec(spec);
  EXPECT_EQ(f.pixelSize(), 24);
  EXPECT_TRUE(f.bold());
  spec.Height = 30;  // a cell height: the letters are smaller
  EXPECT_LE(FontFromSpec(spec).pixelSize(), 30);
  EXPECT_LE(QFontMetrics(FontFromSpec(spec)).height(), 31);
}

TEST(SlideMath, VideoShownSizes) {
  const QSize clip(320, 240), previous(77, 55);
  // Modes 0 to 5 on a screen 1024 pixels wide; the height follows the aspect, less one.
  EXPECT_EQ(VideoShownSize(0, clip, 1024, false, previous), QSize(320, 240));
  EXPECT_EQ(VideoShownSize(1, clip, 1024, false, previous), QSize(640, 480));
  EXPECT_EQ(VideoShownSize(2, clip, 1024, false, previous), QSize(256, 191));
  EXPECT_EQ(VideoShownSize(3, clip, 1024, false, previous), QSize(512, 383));
  EXPECT_EQ(VideoShownSize(4, clip, 1024, false, previous), QSize(724, 542));  // Round(1024 / 1.4142)
  EXPECT_EQ(VideoShownSize(5, clip, 1024, false, previous), QSize(1024, 767));
  // A preview is 300 wide whatever the mode; any other mode keeps the previous size.
  EXPECT_EQ(VideoShownSize(5, clip, 1024, true, previous), QSize(300, 224));
  EXPECT_EQ(VideoShownSize(6, clip, 1024, false, previous), previous);
  EXPECT_EQ(VideoShownSize(-1, clip, 1024, false, previous), previous);
  // Halves round to even: 1000 x 1 at mode 3 on 1001 pixels: 500 x Round(0.5) - 1 = -1.
  EXPECT_EQ(VideoShownSize(3, QSize(1000, 3), 1001, false, previous), QSize(500, 1));  // Round(1.5) = 2
  EXPECT_EQ(VideoShownSize(3, QSize(1000, 1), 1001, false, previous), QSize(500, -1));  // Round(0.5) = 0
  EXPECT_EQ(VideoShownSize(3, QSize(0, 240), 1024, false, previous), previous);  // no size known
}
