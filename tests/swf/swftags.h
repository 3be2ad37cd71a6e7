// More of the SWF writer, from the published file format: fonts (glyphs drawn by hand or taken
// from a system font's outlines), DefineText and DefineEditText, morph shapes, PlaceObject3 with
// its filters and blend mode, buttons, and sound (DefineSound, StartSound, the stream's head and
// blocks, IMA ADPCM as the format packs it).
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QRawFont>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/swf/swfwriter.h"

namespace sftest {

// --- Fonts ---

// A glyph: its SHAPE (the index bits, then the records, fill 1 on its inside), the character it
// stands for and its advance, in the font's units.
struct TFontGlyph {
  std::string shape;
  uint16_t code;
  int advance;
};

// The SHAPE of a glyph from records written with one fill bit and no line bits.
inline std::string GlyphShape(TShapeRecords& records) {
  TBits b;
  b.UB(1, 4), b.UB(0, 4);
  b.Bytes(records.End());
  return b.Data();
}

// A box glyph: (x, top) to (x + w, top + h) in font units (y grows downwards, the baseline at 0).
inline TFontGlyph BoxGlyph(uint16_t code, int x, int top, int w, int h, int advance) {
  TShapeRecords r(1, 0);
  r.Box(x, top, w, h, 0, 1, -1);
  return {GlyphShape(r), code, advance};
}

// A path's outline as shape records with fill 1 on the right of each edge as the path goes round
// (its contours by the non-zero rule, as fonts draw them); cubic curves become quadratic ones,
// exactly where they came from quadratics, as TrueType's do.
inline std::string PathShape(const QPainterPath& path, double scale) {
  TShapeRecords r(1, 0);
  int32_t x = 0, y = 0;
  auto to = [&](double v) { return int32_t(std::lround(v * scale)); };
  bool started = false;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type == QPainterPath::MoveToElement) {
      x = to(e.x), y = to(e.y);
      r.Style(started ? -1 : 0, started ? -1 : 1, -1, true, x, y);
      started = true;
    } else if (e.type == QPainterPath::LineToElement) {
      const int32_t nx = to(e.x), ny = to(e.y);
      if (nx != x || ny != y) r.Line(nx - x, ny - y);
      x = nx, y = ny;
    } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
      const QPointF p0(x / scale, y / scale), c1(e.x, e.y), c2 = path.elementAt(i + 1), p3 = path.elementAt(i + 2);
      const QPointF q = (3 * (c1 + c2) - p0 - p3) / 4;
      const int32_t cx = to(q.x()), cy = to(q.y()), nx = to(p3.x()), ny = to(p3.y());
      r.Curve(cx - x, cy - y, nx - cx, ny - cy);
      x = nx, y = ny;
      i += 2;
    }
  }
  return GlyphShape(r);
}

// A system font's glyphs for some characters, in units of 1,024 to the em (20,480 for
// DefineFont3).
inline std::vector<TFontGlyph> SystemGlyphs(const QString& family, const QString& characters, bool font3 = false) {
  QFont f(family);
  f.setPixelSize(1024);
  f.setHintingPreference(QFont::PreferNoHinting);
  const QRawFont raw = QRawFont::fromFont(f);
  std::vector<TFontGlyph> glyphs;
  const double scale = font3 ? 20 : 1;
  for (QChar ch : characters) {
    const QList<quint32> index = raw.glyphIndexesForString(QString(ch));
    if (index.isEmpty()) continue;
    const QList<QPointF> advance = raw.advancesForGlyphIndexes(index);
    glyphs.push_back({PathShape(raw.pathForGlyph(index.front()), scale), ch.unicode(),
                      int(std::lround(advance.front().x() * scale))});
  }
  return glyphs;
}

// DefineFont2 (or 3): wide offsets and codes, the layout (ascent, descent, leading and each
// glyph's advance; boxes left empty) when `layout`.
inline std::string DefineFont2(int id, const std::string& name, const std::vector<TFontGlyph>& glyphs, bool layout,
                               int ascent, int descent, int leading, bool font3 = false, bool bold = false,
                               bool italic = false) {
  TBits b;
  b.U16(id);
  b.U8((layout ? 0x80 : 0) | 0x08 | 0x04 | (italic ? 0x02 : 0) | (bold ? 0x01 : 0));
  b.U8(1);  // Latin
  b.U8(int(name.size()));
  b.Bytes(name);
  b.U16(int(glyphs.size()));
  // The offsets, then the code table's, from the start of the offsets.
  uint32_t at = uint32_t(4 * glyphs.size() + 4);
  std::string shapes;
  for (const TFontGlyph& g : glyphs) {
    b.U32(at + uint32_t(shapes.size()));
    shapes += g.shape;
  }
  b.U32(at + uint32_t(shapes.size()));
  b.Bytes(shapes);
  for (const TFontGlyph& g : glyphs) b.U16(g.code);
  if (layout) {
    b.U16(ascent), b.U16(descent), b.U16(leading);
    for (const TFontGlyph& g : glyphs) b.U16(g.advance & 0xFFFF);
    for (size_t i = 0; i < glyphs.size(); ++i) b.Rect(0, 0, 0, 0);
    b.U16(0);  // no kerning
  }
  return Tag(font3 ? 75 : 48, b.Data(), true);
}

// DefineFont2 of a font without glyphs: a system font by name.
inline std::string DeviceFont(int id, const std::string& name) {
  TBits b;
  b.U16(id);
  b.U8(0), b.U8(0), b.U8(int(name.size()));
  b.Bytes(name);
  b.U16(0);
  return Tag(48, b.Data());
}

// --- DefineText ---

struct TTextRecord {
  int fontId = -1, height = 0;
  int64_t argb = -1;  // -1: no colour
  int x = INT_MIN, y = INT_MIN;
  std::vector<std::pair<int, int>> glyphs;  // index, advance (twips)
};

// DefineText (1) or DefineText2 (2: colours with alpha) with its bounds and matrix.
inline std::string DefineText(int id, int version, int32_t w, int32_t h, double scale, int32_t tx, int32_t ty,
                              const std::vector<TTextRecord>& records) {
  TBits b;
  b.U16(id);
  b.Rect(0, w, 0, h);
  b.Matrix(scale, scale, 0, 0, tx, ty);
  int glyphBits = 1, advanceBits = 1;
  for (const TTextRecord& r : records)
    for (const auto& [index, advance] : r.glyphs) {
      while ((1 << glyphBits) <= index) ++glyphBits;
      advanceBits = std::max(advanceBits, TBits::SBits(advance));
    }
  b.U8(glyphBits), b.U8(advanceBits);
  for (const TTextRecord& r : records) {
    const bool font = r.fontId >= 0, colour = r.argb >= 0, x = r.x != INT_MIN, y = r.y != INT_MIN;
    b.U8(0x80 | (font ? 0x08 : 0) | (colour ? 0x04 : 0) | (y ? 0x02 : 0) | (x ? 0x01 : 0));
    if (font) b.U16(r.fontId);
    if (colour) {
      if (version == 2) b.Rgba(uint32_t(r.argb) & 0xFFFFFF, int(uint32_t(r.argb) >> 24));
      else b.Rgb(uint32_t(r.argb) & 0xFFFFFF);
    }
    if (x) b.U16(r.x & 0xFFFF);
    if (y) b.U16(r.y & 0xFFFF);
    if (font) b.U16(r.height);
    b.U8(int(r.glyphs.size()));
    for (const auto& [index, advance] : r.glyphs) b.UB(uint32_t(index), glyphBits), b.SB(advance, advanceBits);
    b.Align();
  }
  b.U8(0);
  return Tag(version == 2 ? 33 : 11, b.Data(), true);
}

// --- DefineEditText ---

struct TEditText {
  int32_t x0 = 0, y0 = 0, x1 = 2000, y1 = 400;  // bounds, twips
  int fontId = -1, height = 240;
  int64_t argb = -1;
  int align = -1;  // -1: no layout; 0 left, 1 right, 2 centre, 3 justify
  int leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
  bool wordWrap = false, multiline = false, html = false, border = false, outlines = false, autoSize = false;
  bool hasText = true;
  std::string text;
};

inline std::string DefineEditText(int id, const TEditText& e) {
  TBits b;
  b.U16(id);
  b.Rect(e.x0, e.x1, e.y0, e.y1);
  b.U8((e.hasText ? 0x80 : 0) | (e.wordWrap ? 0x40 : 0) | (e.multiline ? 0x20 : 0) | 0x08 /* read only */ |
       (e.argb >= 0 ? 0x04 : 0) | (e.fontId >= 0 ? 0x01 : 0));
  b.U8((e.autoSize ? 0x40 : 0) | (e.align >= 0 ? 0x20 : 0) | 0x10 /* no select */ | (e.border ? 0x08 : 0) |
       (e.html ? 0x02 : 0) | (e.outlines ? 0x01 : 0));
  if (e.fontId >= 0) b.U16(e.fontId), b.U16(e.height);
  if (e.argb >= 0) b.Rgba(uint32_t(e.argb) & 0xFFFFFF, int(uint32_t(e.argb) >> 24));
  if (e.align >= 0) {
    b.U8(e.align);
    b.U16(e.leftMargin), b.U16(e.rightMargin), b.U16(e.indent & 0xFFFF), b.U16(e.leading & 0xFFFF);
  }
  b.String("");  // no variable
  if (e.hasText) b.String(e.text);
  return Tag(37, b.Data(), true);
}

// --- Morph shapes ---

// DefineMorphShape: the start and end bounds, the fill styles (each already a MORPHFILLSTYLE),
// line styles (MORPHLINESTYLEs), the start records (with styles) and the end records (edges and
// moves only), each a SHAPE's records after its index bits.
inline std::string MorphSolid(uint32_t startArgb, uint32_t endArgb) {
  TBits b;
  b.U8(0);
  b.Rgba(startArgb & 0xFFFFFF, int(startArgb >> 24));
  b.Rgba(endArgb & 0xFFFFFF, int(endArgb >> 24));
  return b.Data();
}
inline std::string MorphLine(int startWidth, int endWidth, uint32_t startArgb, uint32_t endArgb) {
  TBits b;
  b.U16(startWidth), b.U16(endWidth);
  b.Rgba(startArgb & 0xFFFFFF, int(startArgb >> 24));
  b.Rgba(endArgb & 0xFFFFFF, int(endArgb >> 24));
  return b.Data();
}
inline std::string DefineMorphShape(int id, int32_t w, int32_t h, const std::vector<std::string>& fills,
                                    const std::vector<std::string>& lines, int fillBits, int lineBits,
                                    const std::string& startRecords, const std::string& endRecords) {
  TBits styles;
  styles.U8(int(fills.size()));
  for (const std::string& f : fills) styles.Bytes(f);
  styles.U8(int(lines.size()));
  for (const std::string& l : lines) styles.Bytes(l);
  TBits start;
  start.UB(uint32_t(fillBits), 4), start.UB(uint32_t(lineBits), 4);
  start.Bytes(startRecords);
  TBits end;
  end.UB(0, 4), end.UB(0, 4);
  end.Bytes(endRecords);
  TBits b;
  b.U16(id);
  b.Rect(0, w, 0, h);
  b.Rect(0, w, 0, h);
  const std::string rest = styles.Data() + start.Data();
  b.U32(uint32_t(rest.size()));
  b.Bytes(rest + end.Data());
  return Tag(46, b.Data(), true);
}

// PlaceObject2 of a character with a ratio.
inline std::string PlaceRatio(int depth, int id, int ratio, bool move = false) {
  TBits b;
  b.U8(0x14 | (move ? 0x01 : 0x02));
  b.U16(depth);
  if (!move) b.U16(id);
  b.Matrix(1, 1, 0, 0, 0, 0);
  b.U16(ratio);
  return Tag(26, b.Data());
}

// --- PlaceObject3, filters and blend modes ---

inline void Fixed16(TBits& b, double v) { b.U32(uint32_t(int32_t(std::lround(v * 65536)))); }
inline void Fixed8(TBits& b, double v) { b.U16(int(std::lround(v * 256)) & 0xFFFF); }
inline void Float(TBits& b, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  b.U32(bits);
}

inline std::string BlurFilter(double blurX, double blurY, int passes) {
  TBits b;
  b.U8(1);
  Fixed16(b, blurX), Fixed16(b, blurY);
  b.U8(passes << 3);
  return b.Data();
}
// A drop shadow (0) or glow (2): its colour, blur, angle (radians) and distance (pixels),
// strength, flags and passes.
inline std::string ShadowFilter(bool glow, uint32_t argb, double blurX, double blurY, double angle, double distance,
                                double strength, bool inner, bool knockout, bool composite, int passes) {
  TBits b;
  b.U8(glow ? 2 : 0);
  b.Rgba(argb & 0xFFFFFF, int(argb >> 24));
  Fixed16(b, blurX), Fixed16(b, blurY);
  if (!glow) Fixed16(b, angle), Fixed16(b, distance);
  Fixed8(b, strength);
  b.U8((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | (composite ? 0x20 : 0) | (passes & 0x1F));
  return b.Data();
}
// A bevel (3): its shadow and highlight colours, blur, angle, distance, strength, flags and
// passes.
inline std::string BevelFilter(uint32_t shadowArgb, uint32_t highlightArgb, double blur, double angle, double distance,
                               double strength, bool inner, bool knockout, bool onTop) {
  TBits b;
  b.U8(3);
  b.Rgba(shadowArgb & 0xFFFFFF, int(shadowArgb >> 24));
  b.Rgba(highlightArgb & 0xFFFFFF, int(highlightArgb >> 24));
  Fixed16(b, blur), Fixed16(b, blur), Fixed16(b, angle), Fixed16(b, distance);
  Fixed8(b, strength);
  b.U8((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | 0x20 | (onTop ? 0x10 : 0) | 1);
  return b.Data();
}
// A gradient glow (4) or gradient bevel (7): its stops (ratio, ARGB), then as a bevel's.
inline std::string GradientFilter(bool bevel, const std::vector<std::pair<int, uint32_t>>& stops, double blur, double angle,
                                  double distance, double strength, bool inner, bool knockout, bool onTop) {
  TBits b;
  b.U8(bevel ? 7 : 4);
  b.U8(int(stops.size()));
  for (const auto& [ratio, argb] : stops) b.Rgba(argb & 0xFFFFFF, int(argb >> 24));
  for (const auto& [ratio, argb] : stops) b.U8(ratio);
  Fixed16(b, blur), Fixed16(b, blur), Fixed16(b, angle), Fixed16(b, distance);
  Fixed8(b, strength);
  b.U8((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | 0x20 | (onTop ? 0x10 : 0) | 1);
  return b.Data();
}
// A convolution (5): cols x rows weights row by row, the divisor and bias, the colour beyond the
// picture, clamping and preserving alpha.
inline std::string ConvolutionFilter(int cols, int rows, const std::vector<float>& weights, float divisor, float bias,
                                     uint32_t defaultArgb, bool clamp, bool preserveAlpha) {
  TBits b;
  b.U8(5);
  b.U8(cols), b.U8(rows);
  Float(b, divisor), Float(b, bias);
  for (float w : weights) Float(b, w);
  b.Rgba(defaultArgb & 0xFFFFFF, int(defaultArgb >> 24));
  b.U8((clamp ? 0x02 : 0) | (preserveAlpha ? 0x01 : 0));
  return b.Data();
}
inline std::string ColorMatrixFilter(const float m[20]) {
  TBits b;
  b.U8(6);
  for (int i = 0; i < 20; ++i) Float(b, m[i]);
  return b.Data();
}
inline std::string FilterList(const std::vector<std::string>& filters) {
  TBits b;
  b.U8(int(filters.size()));
  for (const std::string& f : filters) b.Bytes(f);
  return b.Data();
}

// PlaceObject3 of a new character at (tx, ty) twips, with a blend mode (0: none given), a
// filter list (empty: none given) and the cache flag (-1: none given).
inline std::string Place3(int depth, int id, int32_t tx, int32_t ty, int blendMode, const std::string& filterList = "",
                          int cacheAsBitmap = -1) {
  TBits b;
  b.U8(0x06);
  b.U8((blendMode ? 0x02 : 0) | (filterList.empty() ? 0 : 0x01) | (cacheAsBitmap >= 0 ? 0x04 : 0));
  b.U16(depth), b.U16(id);
  b.Translate(tx, ty);
  b.Bytes(filterList);
  if (blendMode) b.U8(blendMode);
  if (cacheAsBitmap >= 0) b.U8(cacheAsBitmap);
  return Tag(70, b.Data());
}

// --- Buttons ---

struct TButtonRecord {
  int states;  // 1 up, 2 over, 4 down, 8 hit
  int id, depth;
  int32_t tx = 0, ty = 0;
};
// DefineButton2 with its records and condition actions (the transitions' two bytes, then the
// actions' records without their end flag).
inline std::string DefineButton2(int id, const std::vector<TButtonRecord>& records,
                                 const std::vector<std::pair<uint16_t, std::string>>& actions) {
  TBits chars;
  for (const TButtonRecord& r : records) {
    chars.U8(r.states);
    chars.U16(r.id), chars.U16(r.depth);
    chars.Translate(r.tx, r.ty);
    const int none[4] = {256, 256, 256, 256}, zero[4] = {0, 0, 0, 0};
    chars.ColorTransform(none, zero);
  }
  chars.U8(0);
  TBits b;
  b.U16(id);
  b.U8(0);
  const std::string records2 = chars.Data();
  b.U16(actions.empty() ? 0 : int(2 + records2.size()));
  b.Bytes(records2);
  for (size_t i = 0; i < actions.size(); ++i) {
    const std::string body = actions[i].second + std::string(1, '\0');
    const bool last = i + 1 == actions.size();
    b.U16(last ? 0 : int(4 + body.size()));
    b.U8(actions[i].first & 0xFF), b.U8(actions[i].first >> 8);
    b.Bytes(body);
  }
  return Tag(34, b.Data(), true);
}

// --- Sound ---

// SOUNDINFO: the loops (1: none given), an in and out point (-1: none), the envelope as
// (pos44, left, right), stop and no-multiple.
struct TSoundInfoW {
  int loops = 1;
  int64_t in = -1, out = -1;
  std::vector<std::array<uint32_t, 3>> envelope;
  bool stop = false, noMultiple = false;
};
inline std::string SoundInfo(const TSoundInfoW& i) {
  TBits b;
  b.U8((i.stop ? 0x20 : 0) | (i.noMultiple ? 0x10 : 0) | (i.envelope.empty() ? 0 : 0x08) | (i.loops != 1 ? 0x04 : 0) |
       (i.out >= 0 ? 0x02 : 0) | (i.in >= 0 ? 0x01 : 0));
  if (i.in >= 0) b.U32(uint32_t(i.in));
  if (i.out >= 0) b.U32(uint32_t(i.out));
  if (i.loops != 1) b.U16(i.loops);
  if (!i.envelope.empty()) {
    b.U8(int(i.envelope.size()));
    for (const auto& p : i.envelope) b.U32(p[0]), b.U16(int(p[1])), b.U16(int(p[2]));
  }
  return b.Data();
}
inline std::string StartSound(int id, const TSoundInfoW& info = {}) {
  TBits b;
  b.U16(id);
  return Tag(15, b.Data() + SoundInfo(info));
}
// The format byte: format, rate code (0 5.5k, 1 11k, 2 22k, 3 44k), 16-bit, stereo.
inline int SoundFormat(int format, int rate, bool is16, bool stereo) {
  return format << 4 | rate << 2 | (is16 ? 2 : 0) | (stereo ? 1 : 0);
}
inline std::string DefineSound(int id, int format, int rate, bool is16, bool stereo, uint32_t samples,
                               const std::string& data) {
  TBits b;
  b.U16(id);
  b.U8(SoundFormat(format, rate, is16, stereo));
  b.U32(samples);
  if (format == 2) b.U16(0);  // MP3's seek samples
  b.Bytes(data);
  return Tag(14, b.Data(), true);
}
inline std::string SoundStreamHead2(int format, int rate, bool is16, bool stereo, int perFrame) {
  TBits b;
  b.U8(SoundFormat(0, rate, is16, stereo));
  b.U8(SoundFormat(format, rate, is16, stereo));
  b.U16(perFrame);
  if (format == 2) b.U16(0);
  return Tag(45, b.Data());
}
inline std::string SoundStreamBlock(const std::string& data) { return Tag(19, data, true); }
// StartSound2: a sound by the name of its class.
inline std::string StartSound2(const std::string& className, const TSoundInfoW& info = {}) {
  TBits b;
  b.String(className);
  return Tag(89, b.Data() + SoundInfo(info));
}
// SymbolClass: classes' names for characters.
inline std::string SymbolClass(const std::vector<std::pair<int, std::string>>& symbols) {
  TBits b;
  b.U16(int(symbols.size()));
  for (const auto& [id, name] : symbols) b.U16(id), b.String(name);
  return Tag(76, b.Data());
}
// DefineButtonSound: the sounds of the pointer leaving the button, coming over it, pressing and
// releasing it (0: none), each with default sound info.
inline std::string DefineButtonSound(int buttonId, const std::array<int, 4>& sounds) {
  TBits b;
  b.U16(buttonId);
  for (int id : sounds) {
    b.U16(id);
    if (id != 0) b.Bytes(SoundInfo({}));
  }
  return Tag(17, b.Data());
}

// 16-bit little-endian samples.
inline std::string Pcm16(const std::vector<int16_t>& samples) {
  std::string s;
  for (int16_t v : samples) s += char(uint16_t(v) & 0xFF), s += char(uint16_t(v) >> 8);
  return s;
}

// Mono IMA ADPCM as SWF packs it: a code size (4 bits: 2), then packets of an initial sample (16
// bits), an initial index (6 bits) and up to 4,095 codes, encoded here from the samples.
inline std::string Adpcm4(const std::vector<int16_t>& samples) {
  static const int kSteps[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
                                 25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
                                 88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
                                 307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
                                 1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
                                 3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
                                 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
  static const int kIndex[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
  TBits b;
  b.UB(2, 2);
  int predicted = 0, index = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (i % 4096 == 0) {  // a packet: the sample as it is
      predicted = samples[i];
      b.SB(predicted, 16), b.UB(uint32_t(index), 6);
      continue;
    }
    const int step = kSteps[index];
    int diff = samples[i] - predicted, code = 0;
    if (diff < 0) code = 8, diff = -diff;
    int delta = step >> 3;
    if (diff >= step) code |= 4, diff -= step, delta += step;
    if (diff >= step >> 1) code |= 2, diff -= step >> 1, delta += step >> 1;
    if (diff >= step >> 2) code |= 1, delta += step >> 2;
    predicted = std::clamp(code & 8 ? predicted - delta : predicted + delta, -32768, 32767);
    index = std::clamp(index + kIndex[code & 7], 0, 88);
    b.UB(uint32_t(code), 4);
  }
  return b.Data();
}

}  // namespace sftest
