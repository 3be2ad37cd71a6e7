// Text in movies written here from the published format: DefineText in fonts of box glyphs
// (DefineFont, 2 and 3: a known string's pixels), DefineEditText with its layout and HTML (a
// colour run, a line break, alignment, word wrap), and fields in the system's fonts (drawn in
// their colour within their box, clipped to it).
#include <gtest/gtest.h>

#include <cmath>

#include "swf/player.h"
#include "tests/swf/frames.h"
#include "tests/swf/swftags.h"

using namespace sf::swf;
using sftest::At;
using sftest::Draw;
using sftest::Load;
using sftest::TBits;
using sftest::TShapeRecords;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kGrey = 0x808080;

// A font of box glyphs, 1,024 units to the em (or 20,480): 'I' a bar 200 wide and 800 tall on the
// baseline, 'L' a bar 600 wide and 200 tall on it, ' ' nothing; 'a' to 'f' boxes 500 wide and
// 700 tall, advancing 600.
std::vector<sftest::TFontGlyph> BoxGlyphs(int unit = 1) {
  std::vector<sftest::TFontGlyph> g = {sftest::BoxGlyph('I', 0, -800 * unit, 200 * unit, 800 * unit, 300 * unit),
                                       sftest::BoxGlyph('L', 0, -200 * unit, 600 * unit, 200 * unit, 700 * unit)};
  TShapeRecords none(1, 0);
  g.push_back({sftest::GlyphShape(none), ' ', 300 * unit});
  for (char c = 'a'; c <= 'f'; ++c) g.push_back(sftest::BoxGlyph(uint16_t(c), 0, -700 * unit, 500 * unit, 700 * unit, 600 * unit));
  return g;
}

std::string BoxFont(int id, bool font3 = false) {
  const int unit = font3 ? 20 : 1;
  return sftest::DefineFont2(id, "Boxes", BoxGlyphs(unit), true, 800 * unit, 200 * unit, 0, font3);
}

// The columns of row y whose colour is `rgb`, as runs [from, to).
std::vector<std::pair<int, int>> Runs(const QImage& image, int y, uint32_t rgb) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < image.width(); ++x) {
    if (At(image, x, y) != rgb) continue;
    if (!runs.empty() && runs.back().second == x) ++runs.back().second;
    else runs.emplace_back(x, x + 1);
  }
  return runs;
}

}  // namespace

TEST(SwfText, DefineTextDrawsItsGlyphsWhereTheRecordsPutThem) {
  // "IL" then, in another record that changes only the colour, "I": at a height of 2,048 twips a
  // glyph unit is two twips (a tenth of a pixel). The record starts at x 10 and the baseline at
  // y 100 pixels; the advances come from the record, not the font.
  for (bool font3 : {false, true}) {
    sftest::TTextRecord first;
    first.fontId = 1, first.height = 2048, first.argb = 0xFF000000, first.x = 200, first.y = 2000;
    first.glyphs = {{0, 600}, {1, 1400}};
    sftest::TTextRecord second;
    second.argb = 0xFFFF0000;
    second.glyphs = {{0, 600}};
    const std::string text = sftest::DefineText(2, 1, 4000, 2400, 1, 0, 0, {first, second});
    const QImage frame = Draw(200, 120, BoxFont(1, font3) + text + sftest::Place(1, 2, 0, 0));
    SCOPED_TRACE(font3 ? "DefineFont3" : "DefineFont2");
    // 'I': 20 pixels wide from x 10, 80 tall up to the baseline.
    EXPECT_EQ(Runs(frame, 60, kBlack), (std::vector<std::pair<int, int>>{{10, 30}}));
    EXPECT_EQ(At(frame, 20, 20), kBlack);
    EXPECT_EQ(At(frame, 20, 19), kWhite);
    EXPECT_EQ(At(frame, 20, 100), kWhite);  // nothing below the baseline
    // 'L' at 40: 60 pixels wide and 20 tall; then the red 'I' at 110.
    EXPECT_EQ(Runs(frame, 90, kBlack), (std::vector<std::pair<int, int>>{{10, 30}, {40, 100}}));
    EXPECT_EQ(Runs(frame, 90, kRed), (std::vector<std::pair<int, int>>{{110, 130}}));
    EXPECT_EQ(At(frame, 70, 79), kWhite);
    EXPECT_EQ(At(frame, 70, 80), kBlack);
  }
}

TEST(SwfText, DefineText2MatrixAndAlpha) {
  // The text's matrix moves it 20 pixels right and doubles it; DefineText2's colour has alpha.
  sftest::TTextRecord r;
  r.fontId = 1, r.height = 1024, r.argb = 0x80000000, r.x = 0, r.y = 1000;
  r.glyphs = {{0, 300}};
  const QImage frame = Draw(100, 120, BoxFont(1) + sftest::DefineText(2, 2, 4000, 2400, 2, 400, 0, {r}) + sftest::Place(1, 2, 0, 0));
  // A glyph unit is one twip, doubled: 'I' 20 pixels wide from x 20, from y 20 to the baseline at 100.
  EXPECT_EQ(At(frame, 19, 60), kWhite);
  EXPECT_EQ(At(frame, 20, 60), 0x7F7F7Fu);  // half of black over white
  EXPECT_EQ(At(frame, 39, 99), 0x7F7F7Fu);
  EXPECT_EQ(At(frame, 40, 60), kWhite);
  EXPECT_EQ(At(frame, 30, 19), kWhite);
}

TEST(SwfText, DefineFontWithFontInfo) {
  // DefineFont (1): the glyph offsets, then the shapes; DefineFontInfo gives the codes. A
  // DefineText draws its glyph by index either way.
  const std::vector<sftest::TFontGlyph> glyphs = BoxGlyphs();
  TBits font;
  font.U16(1);
  std::string shapes;
  std::vector<int> offsets;
  for (const auto& g : glyphs) offsets.push_back(int(2 * glyphs.size() + shapes.size())), shapes += g.shape;
  for (int o : offsets) font.U16(o);
  font.Bytes(shapes);
  TBits info;
  info.U16(1), info.U8(5), info.Bytes("Boxes"), info.U8(0x01);
  for (const auto& g : glyphs) info.U16(g.code);
  sftest::TTextRecord r;
  r.fontId = 1, r.height = 1024, r.argb = 0xFF000000, r.x = 200, r.y = 1000;
  r.glyphs = {{1, 700}};
  const QImage frame = Draw(100, 60, sftest::Tag(10, font.Data(), true) + sftest::Tag(13, info.Data()) +
                                         sftest::DefineText(2, 1, 2000, 1200, 1, 0, 0, {r}) + sftest::Place(1, 2, 0, 0));
  // 'L': 600 units (30 pixels) wide from x 10, 10 pixels tall up to the baseline at 50.
  EXPECT_EQ(Runs(frame, 45, kBlack), (std::vector<std::pair<int, int>>{{10, 40}}));
  EXPECT_EQ(At(frame, 20, 39), kWhite);
}

TEST(SwfText, EditTextHtmlRunsAndBreaks) {
  // A field at the stage's origin in the box font at 1,024 twips (a unit a twip): the text starts
  // 2 pixels in (the gutter), each glyph 25 pixels wide and advancing 30; the first baseline is
  // the gutter and the ascent (800) down, 42 pixels; the next one the descent (200), the field's
  // leading (100) and the ascent further: 97 pixels.
  sftest::TEditText e;
  e.x1 = 6000, e.y1 = 4000, e.fontId = 1, e.height = 1024, e.argb = 0xFF000000, e.align = 0, e.leading = 100;
  e.outlines = e.html = e.multiline = true;
  e.text = "<p align=\"left\">ab<font color=\"#FF0000\">cd</font><br>ef</p>";
  const QImage frame = Draw(300, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(frame, 25, kBlack), (std::vector<std::pair<int, int>>{{2, 27}, {32, 57}}));
  EXPECT_EQ(Runs(frame, 25, kRed), (std::vector<std::pair<int, int>>{{62, 87}, {92, 117}}));
  EXPECT_EQ(At(frame, 10, 7), kBlack);  // 35 pixels tall, up to the baseline
  EXPECT_EQ(At(frame, 10, 6), kWhite);
  EXPECT_EQ(At(frame, 10, 42), kWhite);
  // After the break: black again, from the left.
  EXPECT_EQ(Runs(frame, 80, kBlack), (std::vector<std::pair<int, int>>{{2, 27}, {32, 57}}));
  EXPECT_TRUE(Runs(frame, 80, kRed).empty());
  EXPECT_EQ(At(frame, 10, 62), kBlack);
  EXPECT_EQ(At(frame, 10, 61), kWhite);

  // A right-aligned paragraph ends 2 pixels from the right (a margin of 1,000 twips more), and
  // entities are characters.
  e.text = "<p align=\"right\">a&amp;b</p>";
  e.rightMargin = 1000;
  const QImage right = Draw(300, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  // "a", "&" (no glyph: no width), "b": a line of 60 pixels ending at 248, the last glyph's own
  // 5 pixels of its advance beyond it.
  EXPECT_EQ(Runs(right, 25, kBlack), (std::vector<std::pair<int, int>>{{188, 213}, {218, 243}}));

  // Two breaks in a row leave an empty line of the same height: the third line's baseline is
  // two lines (55 pixels each) below the first's, at 152.
  e.text = "<p align=\"left\">ab<br><br>ef</p>";
  e.rightMargin = 0;
  const QImage empty = Draw(300, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_TRUE(Runs(empty, 80, kBlack).empty());
  EXPECT_EQ(At(empty, 10, 151), kBlack);
  EXPECT_EQ(At(empty, 10, 152), kWhite);
  EXPECT_EQ(At(empty, 10, 116), kWhite);
  EXPECT_EQ(At(empty, 10, 117), kBlack);

  // A field's own font draws it though the font has no name (no face to look it up by).
  e.text = "ab";
  e.html = false, e.fontId = 3;
  const QImage unnamed = Draw(300, 200, sftest::DefineFont2(3, "", BoxGlyphs(), true, 800, 200, 0) +
                                            sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(unnamed, 25, kBlack), (std::vector<std::pair<int, int>>{{2, 27}, {32, 57}}));
}

TEST(SwfText, EditTextWrapsWordsAndIndents) {
  // A field 170 pixels wide that wraps, with a left margin of 4 pixels and the first line indented
  // 10 more: "ab cd ef" in glyphs advancing 30 pixels does not fit the first line's 152 pixels;
  // it breaks at the space after "cd".
  sftest::TEditText e;
  e.x1 = 3400, e.y1 = 4000, e.fontId = 1, e.height = 1024, e.argb = 0xFF000000, e.align = 0;
  e.indent = 200, e.leftMargin = 80;
  e.outlines = e.wordWrap = e.multiline = true;
  e.text = "ab cd ef";
  const QImage frame = Draw(200, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(frame, 25, kBlack), (std::vector<std::pair<int, int>>{{16, 41}, {46, 71}, {91, 116}, {121, 146}}));
  EXPECT_EQ(Runs(frame, 80, kBlack), (std::vector<std::pair<int, int>>{{6, 31}, {36, 61}}));
  // Without wrapping the line runs past the field and is cut at its right side.
  e.wordWrap = false;
  const QImage cut = Draw(200, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(cut, 25, kBlack),
            (std::vector<std::pair<int, int>>{{16, 41}, {46, 71}, {91, 116}, {121, 146}, {166, 170}}));
  EXPECT_TRUE(Runs(cut, 80, kBlack).empty());

  // A single-line field draws one line though it wraps its words: cut at its side the same way.
  e.wordWrap = true, e.multiline = false;
  const QImage single = Draw(200, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(single, 25, kBlack), Runs(cut, 25, kBlack));
  EXPECT_TRUE(Runs(single, 80, kBlack).empty());
  // Its breaks, newlines, <br> and paragraphs alike, are dropped: the text runs on in the first
  // paragraph's alignment (the indent, the first line's, stays).
  e.html = true;
  e.text = "<p align=\"left\">a<br>b\nc</p><p align=\"right\">de</p>";
  const QImage joined = Draw(200, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(joined, 25, kBlack), (std::vector<std::pair<int, int>>{{16, 41}, {46, 71}, {76, 101}, {106, 131}, {136, 161}}));
  EXPECT_TRUE(Runs(joined, 80, kBlack).empty());
  // The same text in a multiline field keeps its lines.
  e.multiline = true;
  const QImage lines = Draw(200, 200, BoxFont(1) + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0));
  EXPECT_EQ(Runs(lines, 25, kBlack), (std::vector<std::pair<int, int>>{{16, 41}}));
  EXPECT_EQ(Runs(lines, 80, kBlack), (std::vector<std::pair<int, int>>{{6, 31}}));
}

TEST(SwfText, DeviceFontFieldInItsColourAndBox) {
  // A field in the system's sans at 20 pixels, blue, with a border, at (10, 10) to (110, 50) on
  // grey: its background white, its border black, its text blue, and nothing of it outside.
  sftest::TEditText e;
  e.x0 = 200, e.y0 = 200, e.x1 = 2200, e.y1 = 1000, e.fontId = 1, e.height = 400, e.argb = 0xFF0000FF;
  e.border = true;
  e.text = "HHHH HHHH HHHH HHHH";  // longer than the field: cut at its side
  const QImage frame =
      Draw(140, 70, sftest::DeviceFont(1, "_sans") + sftest::DefineEditText(2, e) + sftest::Place(1, 2, 0, 0), kGrey);
  EXPECT_EQ(At(frame, 10, 30), kBlack);
  EXPECT_EQ(At(frame, 109, 30), kBlack);
  EXPECT_EQ(At(frame, 60, 10), kBlack);
  EXPECT_EQ(At(frame, 60, 49), kBlack);
  EXPECT_EQ(At(frame, 9, 30), kGrey);
  EXPECT_EQ(At(frame, 110, 30), kGrey);
  EXPECT_EQ(At(frame, 60, 50), kGrey);
  EXPECT_EQ(At(frame, 11, 11), kWhite);
  int blue = 0;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) {
      const QColor c = frame.pixelColor(x, y);
      if (c.blue() > 200 && c.red() < 60 && c.green() < 60) {
        ++blue;
        EXPECT_TRUE(x > 11 && x < 109 && y > 11 && y < 49) << x << "," << y;
      }
      if (x < 10 || x >= 110 || y < 10 || y >= 50) {
        EXPECT_EQ(At(frame, x, y), kGrey) << x << "," << y;
      }
    }
  EXPECT_GT(blue, 100);  // the stems of the H's
  // The first H stands at the gutter: its left stem within a few pixels of x 12.
  bool stem = false;
  for (int x = 12; x < 18; ++x) stem |= frame.pixelColor(x, 24).blue() > 200 && frame.pixelColor(x, 24).red() < 60;
  EXPECT_TRUE(stem);
}

TEST(SwfText, DamagedTextIsPassedOver) {
  // A text whose glyph fields claim 40 bits, a field whose font is no font, and records cut
  // short: the movie still plays and draws what it can.
  TBits wide;
  wide.U16(2), wide.Rect(0, 100, 0, 100), wide.Matrix(1, 1, 0, 0, 0, 0), wide.U8(40), wide.U8(40), wide.U8(0);
  sftest::TEditText e;
  e.fontId = 7, e.text = "x", e.outlines = true;
  const std::string whole =
      sftest::DefineText(4, 1, 100, 100, 1, 0, 0, {sftest::TTextRecord{1, 1024, 0xFF000000, 0, 1000, {{0, 300}, {1, 300}}}});
  const std::string cut = sftest::Tag(11, whole.substr(6, 20));  // the body without the long tag head, cut
  const QImage frame = Draw(50, 50, BoxFont(1) + sftest::Tag(11, wide.Data()) + sftest::DefineEditText(3, e) + cut +
                                       sftest::Place(1, 2, 0, 0) + sftest::Place(2, 3, 0, 0) + sftest::Place(3, 4, 0, 0) +
                                       sftest::BoxShape(9, 10, 10, kRed) + sftest::Place(4, 9, 0, 0));
  EXPECT_EQ(At(frame, 5, 5), kRed);
}
