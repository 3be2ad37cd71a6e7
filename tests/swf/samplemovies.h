// Larger movies written with the tests' SWF writer, for the benchmarks and the fuzz target's
// seeds: many curved shapes with gradients and outlines, a stage-sized JPEG bitmap, one movie
// with a little of everything the player draws, and a stage of titles: text fields in an
// embedded font and filtered objects, with a shape tween, a button and sounds.
#pragma once

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <string>

#include "tests/swf/swftags.h"

namespace sftest {

// A line style with an opaque colour (DefineShape3).
inline std::string LineRgba(int width, uint32_t rgb) {
  TBits b;
  b.U16(width);
  b.Rgba(rgb, 255);
  return b.Data();
}

// `count` blobs of eight curves, radius 40 to 120 pixels, about their origins (DefineShape3:
// colours with alpha): solid, translucent, linear and radial gradients, a third outlined; each
// placed once, turned, over a stage of w x h pixels.
inline std::string ShapesMovie(int w, int h, int count, char compression = 'F') {
  std::string tags = Background(0x202830);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
  for (int id = 1; id <= count; ++id) {
    const int r = 800 + int(next() % 1600);  // twips
    const uint32_t c1 = next() << 8 ^ next(), c2 = next() << 8 ^ next();
    std::string fill;
    switch (id % 4) {
      case 0: fill = SolidFill(c1 & 0xFFFFFF, 255); break;
      case 1: fill = SolidFill(c1 & 0xFFFFFF, 128); break;
      default: {  // linear and radial, as wide as the blob
        const double scale = r * 2.0 / 32768;
        fill = GradientFill(id % 4 == 2 ? 0x10 : 0x12, scale, scale, 0, 0, 0, 0,
                            {{0, 0xFF000000 | (c1 & 0xFFFFFF)}, {255, 0xFF000000 | (c2 & 0xFFFFFF)}});
      }
    }
    const bool outlined = id % 3 == 0;
    TShapeRecords rec(1, 1);
    rec.Style(0, 1, outlined ? 1 : 0, true, r, 0);
    for (int k = 0; k < 8; ++k) {
      const double a0 = k * M_PI / 4, a1 = (k + 0.5) * M_PI / 4, a2 = (k + 1) * M_PI / 4;
      const double bulge = k % 2 ? 1.25 : 0.8;
      const int x0 = int(r * std::cos(a0)), y0 = int(r * std::sin(a0));
      const int cx = int(r * bulge * std::cos(a1)), cy = int(r * bulge * std::sin(a1));
      const int x2 = int(r * std::cos(a2)), y2 = int(r * std::sin(a2));
      rec.Curve(cx - x0, cy - y0, x2 - cx, y2 - cy);
    }
    const std::string styles =
        Styles({fill}, outlined ? std::vector<std::string>{LineRgba(60, 0xF0F0F0)} : std::vector<std::string>{});
    TBits shape;
    shape.U16(id);
    shape.Rect(-2 * r, 2 * r, -2 * r, 2 * r);
    shape.Bytes(styles);
    shape.UB(1, 4), shape.UB(1, 4);
    shape.Bytes(rec.End());
    tags += Tag(32, shape.Data(), true);
    TBits place;
    place.U8(0x06);
    place.U16(id), place.U16(id);
    const double turn = (next() % 360) * M_PI / 180;
    place.Matrix(std::cos(turn), std::cos(turn), std::sin(turn), -std::sin(turn), int(next() % uint32_t(w * 20)),
                 int(next() % uint32_t(h * 20)));
    tags += Tag(26, place.Data());
  }
  tags += ShowFrame();
  return Movie(w, h, 30, 1, tags, compression);
}

// One JPEG of the stage's size (w x h pixels) filling the stage, as ffmpeg's movies draw a frame.
inline std::string BitmapMovie(int w, int h) {
  QImage photo(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) photo.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) & 0xFF));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  photo.save(&buffer, "JPG", 85);
  TBits bits;
  bits.U16(1);
  bits.Bytes(jpeg.toStdString());
  TBits fill;
  fill.U8(0x41), fill.U16(1), fill.Matrix(20, 20, 0, 0, 0, 0);
  const std::string tags = Tag(21, bits.Data(), true) +
                           DefineShape(1, 2, w * 20, h * 20, Styles({fill.Data()}, {}), 1, 0,
                                       TShapeRecords(1, 0).Box(0, 0, w * 20, h * 20, 0, 1, -1).End()) +
                           Place(1, 2, 0, 0) + ShowFrame();
  return Movie(w, h, 30, 1, tags);
}

// A little of everything the player reads and draws: two background colours, fills meeting
// along shared edges, DefineShape4 by the non-zero rule with lines that keep their width (miter
// joins, square caps), gradients mixed in linear light with stops sharing ratios, a focal
// gradient, a lossless bitmap fill, a sprite of three frames used as a mask inside a sprite, a
// shape mask, and frame actions (a label, a goto, stop and play).
inline std::string FeaturesMovie(char compression = 'F') {
  std::string t = Background(0x336699) + Background(0xFFFFFF);
  // Two fills meeting along a curved edge, and a line around.
  TShapeRecords split(2, 1);
  split.Style(0, 1, 1, true, 0, 0).Line(800, 0).Style(0, 2, -1).Line(800, 0).Line(0, 800).Line(-800, 0);
  split.Style(0, 1, -1).Line(-800, 0).Line(0, -800).Style(2, 1, 0, true, 800, 0).Curve(300, 400, -300, 400);
  t += DefineShape(3, 1, 1600, 800,
                   Styles({SolidFill(0xCC3300, 255), GradientFill(0x10, 0.05, 0.05, 800, 400, 1, 1,
                                                                  {{0, 0xFFFF0000}, {128, 0xFF00FF00}, {128, 0x800000FF}, {255, 0xFFFFFFFF}})},
                          {LineRgba(40, 0x000000)}),
                   2, 1, split.End());
  // DefineShape4: two overlapping boxes of one fill (non-zero), a focal gradient, lines that
  // keep their width.
  TBits focal;
  focal.U8(0x13);
  focal.Matrix(0.03, 0.03, 0, 0, 400, 400);
  focal.UB(2, 2), focal.UB(0, 2), focal.UB(3, 4);
  focal.U8(0), focal.Rgba(0xFFFF00, 255), focal.U8(0), focal.Rgba(0x00FFFF, 255), focal.U8(255), focal.Rgba(0xFF00FF, 128);
  focal.U16(int16_t(-180));
  TLine2 thin, wide;
  thin.noHScale = thin.noVScale = true, thin.join = 2, thin.startCap = thin.endCap = 2;
  wide.width = 120, wide.noVScale = true, wide.join = 1, wide.startCap = 1;
  TShapeRecords boxes(1, 2);
  boxes.Box(0, 0, 600, 600, 0, 1, 1).Box(300, 300, 600, 600, -1, -1, 2);
  t += DefineShape4(2, 900, 900, true, Styles({focal.Data()}, {LineStyle2(thin), LineStyle2(wide)}), 1, 2, boxes.End());
  // A 2 x 2 lossless bitmap filling a box, repeated and smoothed.
  TBits lossless;
  lossless.U16(3), lossless.U8(5), lossless.U16(2), lossless.U16(2);
  lossless.Bytes(Zlib(std::string("\xFF\xFF\0\0\xFF\0\xFF\0\x80\0\0\x80\xFF\xFF\xFF\xFF", 16)));
  t += Tag(36, lossless.Data(), true);
  TBits bitmapFill;
  bitmapFill.U8(0x40), bitmapFill.U16(3), bitmapFill.Matrix(100, 100, 0, 0, 0, 0);
  t += DefineShape(3, 4, 600, 400, Styles({bitmapFill.Data()}, {}), 1, 0, TShapeRecords(1, 0).Box(0, 0, 600, 400, 0, 1, -1).End());
  // A sprite of three frames that moves a box, used as a mask inside a sprite; a shape mask.
  t += BoxShape(5, 10, 10, 0x00AA00);
  t += Sprite(6, 3, Place(1, 5, 0, 0) + ShowFrame() + Move(1, 200, 0) + ShowFrame() + Move(1, 400, 100) + ShowFrame());
  t += Sprite(7, 2, PlaceClip(1, 6, 3, 100, 100) + Place(2, 1, 0, 0) + Place(3, 4, 200, 0) + ShowFrame() + ShowFrame());
  t += PlaceClip(1, 5, 2, 0, 0) + Place(2, 2, 0, 0) + Place(3, 7, 400, 200) + Place(4, 1, 1000, 600);
  TBits label;
  label.String("again");
  t += Tag(43, label.Data()) + ShowFrame();
  t += PlaceMatrix(5, 4, 2, 0.5, 200, 900) + DoAction(std::string("\x81\x02\x00\x03\x00", 5)) + ShowFrame();
  t += Move(4, 1200, 700) + ShowFrame() + DoAction(StopAction()) + ShowFrame();
  const std::string gotoLabel = std::string("\x8C\x06\x00", 3) + "again" + std::string(1, '\0');
  t += DoAction(gotoLabel + PlayAction()) + ShowFrame();
  return Movie(120, 80, 12, 5, t, compression);
}

// A stage of w x h pixels of titles: `fields` edit fields of HTML in an embedded font (DejaVu
// Sans' outlines, DefineFont3), each a coloured title, a line break and a bold run, wrapped in
// its box; `filtered` boxes of rounded corners under drop shadows, glows, blurs and a colour
// matrix in turn; a shape tween, a button and, in its two frames, a stream of ADPCM sound and an
// event sound. Needs a Qt GUI application for the font.
inline std::string TitlesMovie(int w, int h, int fields, int filtered) {
  std::string tags = Background(0x102030);
  std::vector<std::string> texts;
  QString characters;
  for (int i = 0; i < fields; ++i) {
    texts.push_back("<p align=\"center\"><font color=\"#FFCC33\">Title " + std::to_string(i + 1) +
                    "</font><br><b>A flash slide</b> in an embedded font, wrapped</p>");
    characters += QString::fromStdString(texts.back());
  }
  QString unique;
  for (QChar c : characters)
    if (!unique.contains(c)) unique += c;
  tags += DefineFont2(1, "DejaVu Sans", SystemGlyphs("DejaVu Sans", unique, true), true, 760 * 20, 240 * 20, 0, true);
  const int columns = std::max(1, int(std::ceil(std::sqrt(fields * 2.0))));
  const int rows = std::max(1, (fields + columns - 1) / columns);
  const int cellW = w * 20 / columns, cellH = h * 20 / std::max(rows, 1);
  for (int i = 0; i < fields; ++i) {
    TEditText e;
    e.x1 = cellW - 40, e.y1 = cellH - 40;
    e.fontId = 1, e.height = 18 * 20, e.argb = 0xFFFFFFFF;
    e.wordWrap = e.multiline = e.html = e.outlines = true;
    e.text = texts[size_t(i)];
    tags += DefineEditText(100 + i, e) + Place(1 + i, 100 + i, (i % columns) * cellW + 20, (i / columns) * cellH + 20);
  }
  // A box of rounded corners, 160 x 100 pixels.
  TShapeRecords rounded(1, 0);
  rounded.Style(0, 1, -1, true, 200, 0)
      .Line(2800, 0).Curve(200, 0, 0, 200).Line(0, 1600).Curve(0, 200, -200, 0)
      .Line(-2800, 0).Curve(-200, 0, 0, -200).Line(0, -1600).Curve(0, -200, 200, 0);
  tags += DefineShape(3, 2, 3200, 2000, Styles({SolidFill(0x3388DD, 230)}, {}), 1, 0, rounded.End());
  const float sepia[20] = {0.39f, 0.77f, 0.19f, 0, 0, 0.35f, 0.69f, 0.17f, 0, 0, 0.27f, 0.53f, 0.13f, 0, 0, 0, 0, 0, 1, 0};
  for (int i = 0; i < filtered; ++i) {
    std::string filter;
    switch (i % 4) {
      case 0: filter = ShadowFilter(false, 0xC0000000, 8, 8, 0.785, 6, 1, false, false, true, 3); break;
      case 1: filter = ShadowFilter(true, 0xFFFFEE00, 10, 10, 0, 0, 2, false, false, true, 2); break;
      case 2: filter = BlurFilter(6, 6, 2); break;
      default: filter = ColorMatrixFilter(sepia); break;
    }
    tags += Place3(1000 + i, 2, (i * 7919 % 97) * (w * 20 - 3200) / 97, (i * 104729 % 89) * (h * 20 - 2000) / 89, i % 3 == 0 ? 4 : 0,
                   FilterList({filter}));
  }
  // A shape tween from a red box to a wider green one, and a button of two states.
  TShapeRecords from(1, 0), to(0, 0);
  from.Box(0, 0, 800, 800, 0, 1, -1);
  to.Style(-1, -1, -1, true, 0, 0).Line(1600, 0).Line(0, 400).Line(-1600, 0).Line(0, -400);
  tags += DefineMorphShape(3, 1600, 800, {MorphSolid(0xFFFF0000, 0xFF00FF00)}, {}, 1, 0, from.End(), to.End());
  tags += BoxShape(4, 40, 20, 0xFFFFFF) + BoxShape(5, 40, 20, 0xFFCC00);
  tags += DefineButton2(6, {{1, 4, 1}, {2 | 4, 5, 1}, {8, 4, 1}}, {{0x0008, StopAction()}});
  tags += PlaceRatio(2000, 3, 0) + Place(2001, 6, 400, h * 20 - 800);
  // Sound: an ADPCM stream at 11,025 a second, 918 instants a frame, and an event sound.
  std::vector<int16_t> tone(918 * 2);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(std::lround(6000 * std::sin(double(i) * 0.25)));
  tags += SoundStreamHead2(1, 1, true, false, 918) + DefineSound(7, 1, 1, true, false, uint32_t(tone.size()), Adpcm4(tone));
  tags += SoundStreamBlock(Adpcm4(std::vector<int16_t>(tone.begin(), tone.begin() + 918))) + StartSound(7) + ShowFrame();
  tags += SoundStreamBlock(Adpcm4(std::vector<int16_t>(tone.begin() + 918, tone.end()))) + PlaceRatio(2000, 3, 65535, true) +
          ShowFrame();
  return Movie(w, h, 12, 2, tags);
}

// A movie of the rarer effects: a sprite with a stream of its own beside the movie's, cached as
// a bitmap at half a pixel; bevels, gradient glows and bevels and a convolution; a single-line
// field whose text has breaks; a button with sounds; a sound started by its class name.
inline std::string EffectsMovie() {
  std::vector<int16_t> tone(551 * 4);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(std::lround(6000 * std::sin(double(i) * 0.3)));
  auto block = [&](int i) { return SoundStreamBlock(Pcm16(std::vector<int16_t>(tone.begin() + i * 551, tone.begin() + (i + 1) * 551))); };
  std::string tags = Background(0xFFFFFF) + BoxShape(1, 30, 20, 0x3366CC) + DefineSound(2, 3, 0, true, false, 551, Pcm16(std::vector<int16_t>(tone.begin(), tone.begin() + 551)));
  tags += Sprite(3, 2, SoundStreamHead2(3, 0, true, false, 551) + block(0) + Place(1, 1, 0, 0) + ShowFrame() + block(1) + ShowFrame());
  tags += DefineFont2(4, "Boxes", {BoxGlyph('a', 0, -700, 500, 700, 600), BoxGlyph('b', 0, -600, 400, 600, 500)}, true, 800, 200, 0);
  TEditText e;
  e.x1 = 1200, e.y1 = 600, e.fontId = 4, e.height = 400, e.argb = 0xFF000000, e.align = 0;
  e.wordWrap = e.html = e.outlines = true;
  e.text = "<p align=\"right\">ab<br>ba\nab</p><p>abab abab</p>";
  tags += DefineEditText(5, e);
  tags += DefineButton2(6, {{1 | 2 | 4 | 8, 1, 1}}, {}) + DefineButtonSound(6, {2, 2, 2, 2});
  tags += SymbolClass({{2, "Chime"}, {3, "Spinner"}});
  tags += SoundStreamHead2(3, 0, true, false, 551) + block(2);
  tags += Place3(1, 3, 410, 410, 0, "", 1);
  tags += Place3(2, 1, 1200, 200, 0, FilterList({BevelFilter(0xFF000000, 0xFFFFFFFF, 4, 0.785, 4, 1, true, false, false),
                                                 GradientFilter(false, {{0, 0x00FF0000}, {255, 0xFFFF0000}}, 6, 0, 0, 1, false, false, false)}));
  tags += Place3(3, 1, 200, 1200, 0, FilterList({GradientFilter(true, {{0, 0xFF000000}, {128, 0x00808080}, {255, 0xFFFFFFFF}}, 3, 2.3, 3, 2, false, false, true),
                                                 ConvolutionFilter(3, 3, {0, -1, 0, -1, 5, -1, 0, -1, 0}, 1, 0, 0xFF00FF00, false, false)}));
  tags += Place(4, 5, 1400, 1400) + Place(5, 6, 2000, 200) + StartSound2("Chime") + StartSound2("Spinner") + ShowFrame();
  tags += block(3) + StartSound2("Missing") + ShowFrame();
  return Movie(160, 120, 12, 2, tags);
}

}  // namespace sftest
