// A writer of SWF movies from the published file format, for the tests: bit fields, rectangles,
// matrices, colour transforms, shapes with their styles and edges, tags, and the three headers
// (uncompressed, zlib, LZMA).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <lzma.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace sftest {

class TBits {
 public:
  void UB(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = uint8_t(acc_ << 1 | ((v >> i) & 1));
      if (++used_ == 8) Flush();
    }
  }
  void SB(int32_t v, int n) { UB(uint32_t(v), n); }
  void Align() {
    if (used_ > 0) {
      acc_ = uint8_t(acc_ << (8 - used_));
      Flush();
    }
  }
  void U8(int v) {
    Align();
    bytes_ += char(v);
  }
  void U16(int v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
  void U32(uint32_t v) { U16(int(v & 0xFFFF)), U16(int(v >> 16)); }
  void Bytes(const std::string& b) {
    Align();
    bytes_ += b;
  }
  void String(const std::string& s) { Bytes(s + std::string(1, '\0')); }
  void Rgb(uint32_t rgb) { U8(int(rgb >> 16) & 0xFF), U8(int(rgb >> 8) & 0xFF), U8(int(rgb & 0xFF)); }
  void Rgba(uint32_t rgb, int a) { Rgb(rgb), U8(a); }

  // The bits a signed value needs.
  static int SBits(int32_t v) {
    int n = 1;
    while (v < -(int64_t(1) << (n - 1)) || v >= (int64_t(1) << (n - 1))) ++n;
    return n;
  }
  void Rect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
    Align();
    int n = std::max({SBits(xmin), SBits(xmax), SBits(ymin), SBits(ymax)});
    UB(uint32_t(n), 5);
    SB(xmin, n), SB(xmax, n), SB(ymin, n), SB(ymax, n);
    Align();
  }
  // x' = x sx + y r1 + tx, y' = x r0 + y sy + ty; translation in twips.
  void Matrix(double sx, double sy, double r0, double r1, int32_t tx, int32_t ty) {
    Align();
    auto fixed = [](double v) { return int32_t(std::lround(v * 65536)); };
    const bool scale = sx != 1 || sy != 1, rotate = r0 != 0 || r1 != 0;
    UB(scale, 1);
    if (scale) {
      const int n = std::max(SBits(fixed(sx)), SBits(fixed(sy)));
      UB(uint32_t(n), 5), SB(fixed(sx), n), SB(fixed(sy), n);
    }
    UB(rotate, 1);
    if (rotate) {
      const int n = std::max(SBits(fixed(r0)), SBits(fixed(r1)));
      UB(uint32_t(n), 5), SB(fixed(r0), n), SB(fixed(r1), n);
    }
    const int n = std::max(SBits(tx), SBits(ty));
    UB(uint32_t(n), 5), SB(tx, n), SB(ty, n);
    Align();
  }
  void Translate(int32_t tx, int32_t ty) { Matrix(1, 1, 0, 0, tx, ty); }
  // A colour transform with alpha: multiply terms (256 = 1), then add terms.
  void ColorTransform(const int mult[4], const int add[4]) {
    Align();
    UB(1, 1), UB(1, 1), UB(10, 4);
    for (int i = 0; i < 4; ++i) SB(mult[i], 10);
    for (int i = 0; i < 4; ++i) SB(add[i], 10);
    Align();
  }

  const std::string& Data() {
    Align();
    return bytes_;
  }

 private:
  void Flush() {
    bytes_ += char(acc_);
    acc_ = 0;
    used_ = 0;
  }
  std::string bytes_;
  uint8_t acc_ = 0;
  int used_ = 0;
};

inline std::string Tag(int code, const std::string& body, bool longForm = false) {
  TBits t;
  if (body.size() < 63 && !longForm) {
    t.U16(code << 6 | int(body.size()));
  } else {
    t.U16(code << 6 | 0x3F);
    t.U32(uint32_t(body.size()));
  }
  return t.Data() + body;
}

inline std::string ShowFrame() { return Tag(1, ""); }
inline std::string EndTag() { return Tag(0, ""); }

// The edges of a shape: the style changes and edges, in twips, with the bits of the style
// indices; then the end record.
class TShapeRecords {
 public:
  TShapeRecords(int fillBits, int lineBits) : fillBits_(fillBits), lineBits_(lineBits) {}
  // A style change: -1 leaves a style as it is.
  TShapeRecords& Style(int fill0, int fill1, int line, bool move = false, int32_t x = 0, int32_t y = 0) {
    b_.UB(0, 1);
    b_.UB(0, 1);  // no new styles
    b_.UB(line >= 0, 1), b_.UB(fill1 >= 0, 1), b_.UB(fill0 >= 0, 1), b_.UB(move, 1);
    if (move) {
      const int n = std::max(TBits::SBits(x), TBits::SBits(y));
      b_.UB(uint32_t(n), 5), b_.SB(x, n), b_.SB(y, n);
    }
    if (fill0 >= 0) b_.UB(uint32_t(fill0), fillBits_);
    if (fill1 >= 0) b_.UB(uint32_t(fill1), fillBits_);
    if (line >= 0) b_.UB(uint32_t(line), lineBits_);
    return *this;
  }
  // A style change that brings new styles (DefineShape 2 and later); indices refer to them.
  TShapeRecords& NewStyles(const std::string& styles, int fillBits, int lineBits, int fill0, int fill1, int line,
                           int32_t x, int32_t y) {
    b_.UB(0, 1);
    b_.UB(1, 1), b_.UB(1, 1), b_.UB(1, 1), b_.UB(1, 1), b_.UB(1, 1);
    const int n = std::max(TBits::SBits(x), TBits::SBits(y));
    b_.UB(uint32_t(n), 5), b_.SB(x, n), b_.SB(y, n);
    b_.UB(uint32_t(fill0), fillBits_), b_.UB(uint32_t(fill1), fillBits_), b_.UB(uint32_t(line), lineBits_);
    b_.Bytes(styles);
    fillBits_ = fillBits, lineBits_ = lineBits;
    b_.UB(uint32_t(fillBits), 4), b_.UB(uint32_t(lineBits), 4);
    return *this;
  }
  TShapeRecords& Line(int32_t dx, int32_t dy) {
    const int n = std::max({TBits::SBits(dx), TBits::SBits(dy), 2});
    b_.UB(1, 1), b_.UB(1, 1), b_.UB(uint32_t(n - 2), 4);
    b_.UB(1, 1);  // a general line
    b_.SB(dx, n), b_.SB(dy, n);
    return *this;
  }
  TShapeRecords& Curve(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
    const int n = std::max({TBits::SBits(cdx), TBits::SBits(cdy), TBits::SBits(adx), TBits::SBits(ady), 2});
    b_.UB(1, 1), b_.UB(0, 1), b_.UB(uint32_t(n - 2), 4);
    b_.SB(cdx, n), b_.SB(cdy, n), b_.SB(adx, n), b_.SB(ady, n);
    return *this;
  }
  // A rectangle walked clockwise from (x, y).
  TShapeRecords& Box(int32_t x, int32_t y, int32_t w, int32_t h, int fill0, int fill1, int line) {
    Style(fill0, fill1, line, true, x, y);
    return Line(w, 0).Line(0, h).Line(-w, 0).Line(0, -h);
  }
  std::string End() {
    b_.UB(0, 6);
    return b_.Data();
  }

 private:
  TBits b_;
  int fillBits_, lineBits_;
};

// Style arrays: a count, then the styles' bytes as given.
inline std::string Styles(const std::vector<std::string>& fills, const std::vector<std::string>& lines) {
  TBits b;
  b.U8(int(fills.size()));
  for (const std::string& f : fills) b.Bytes(f);
  b.U8(int(lines.size()));
  for (const std::string& l : lines) b.Bytes(l);
  return b.Data();
}
inline std::string SolidFill(uint32_t rgb, int alpha = -1) {
  TBits b;
  b.U8(0);
  if (alpha < 0) b.Rgb(rgb);
  else b.Rgba(rgb, alpha);
  return b.Data();
}
inline std::string LineStyle(int widthTwips, uint32_t rgb) {
  TBits b;
  b.U16(widthTwips);
  b.Rgb(rgb);
  return b.Data();
}

// DefineShape (version 1 to 3): id, bounds, styles, the index bits, the records.
inline std::string DefineShape(int version, int id, int32_t w, int32_t h, const std::string& styles, int fillBits,
                               int lineBits, const std::string& records) {
  TBits b;
  b.U16(id);
  b.Rect(0, w, 0, h);
  b.Bytes(styles);
  b.UB(uint32_t(fillBits), 4), b.UB(uint32_t(lineBits), 4);
  b.Bytes(records);
  return Tag(version == 1 ? 2 : version == 2 ? 22 : 32, b.Data());
}

// SetBackgroundColor.
inline std::string Background(uint32_t rgb) {
  TBits b;
  b.Rgb(rgb);
  return Tag(9, b.Data());
}

// A shape `id`: a box of w x h pixels at the origin in one solid colour.
inline std::string BoxShape(int id, int w, int h, uint32_t rgb) {
  return DefineShape(1, id, w * 20, h * 20, Styles({SolidFill(rgb)}, {}), 1, 0,
                     TShapeRecords(1, 0).Box(0, 0, w * 20, h * 20, 0, 1, -1).End());
}

// PlaceObject2 of a new character, or a move of the object at a depth.
inline std::string Place(int depth, int id, int32_t tx, int32_t ty) {
  TBits b;
  b.U8(0x06);
  b.U16(depth), b.U16(id);
  b.Translate(tx, ty);
  return Tag(26, b.Data());
}
inline std::string Move(int depth, int32_t tx, int32_t ty) {
  TBits b;
  b.U8(0x05);
  b.U16(depth);
  b.Translate(tx, ty);
  return Tag(26, b.Data());
}

// PlaceObject2 of a character that masks the depths above it up to `clipDepth`.
inline std::string PlaceClip(int depth, int id, int clipDepth, int32_t tx, int32_t ty) {
  TBits b;
  b.U8(0x46);  // a clip depth, a matrix, a character
  b.U16(depth), b.U16(id);
  b.Translate(tx, ty);
  b.U16(clipDepth);
  return Tag(26, b.Data());
}

// PlaceObject2 of a character with a whole matrix.
inline std::string PlaceMatrix(int depth, int id, double sx, double sy, int32_t tx, int32_t ty) {
  TBits b;
  b.U8(0x06);
  b.U16(depth), b.U16(id);
  b.Matrix(sx, sy, 0, 0, tx, ty);
  return Tag(26, b.Data());
}

// DefineSprite: its frame count and its own tags (an End tag is added).
inline std::string Sprite(int id, int frames, const std::string& tags) {
  TBits b;
  b.U16(id), b.U16(frames);
  b.Bytes(tags + EndTag());
  return Tag(39, b.Data(), true);
}

// DoAction with the given action records (the end flag is added); the one-byte actions.
inline std::string DoAction(const std::string& records) { return Tag(12, records + std::string(1, '\0')); }
inline std::string StopAction() { return std::string(1, '\x07'); }
inline std::string PlayAction() { return std::string(1, '\x06'); }

// A gradient fill: its type (0x10 linear, 0x12 radial), the matrix from the gradient square
// (-16384 to 16384) to shape twips, the spread (0 pad, 1 reflect, 2 repeat) and interpolation
// (0 RGB, 1 linear RGB) modes, and the stops as ratio and 0xAARRGGBB; `alpha` writes RGBA
// colours (DefineShape3 and 4).
struct TStop {
  int ratio;
  uint32_t argb;
};
inline std::string GradientFill(int type, double sx, double sy, int32_t tx, int32_t ty, int spread, int interpolation,
                                const std::vector<TStop>& stops, bool alpha = true) {
  TBits g;
  g.U8(type);
  g.Matrix(sx, sy, 0, 0, tx, ty);
  g.UB(uint32_t(spread), 2), g.UB(uint32_t(interpolation), 2), g.UB(uint32_t(stops.size()), 4);
  for (const TStop& s : stops) {
    g.U8(s.ratio);
    if (alpha) g.Rgba(s.argb & 0xFFFFFF, int(s.argb >> 24));
    else g.Rgb(s.argb & 0xFFFFFF);
  }
  return g.Data();
}
// A linear gradient that runs along x from `x0` for `length` twips (and is the same at every y).
inline std::string LinearAlongX(int32_t x0, int32_t length, int spread, int interpolation, const std::vector<TStop>& stops,
                                bool alpha = true) {
  return GradientFill(0x10, length / 32768.0, length / 32768.0, x0 + length / 2, 0, spread, interpolation, stops, alpha);
}

// LINESTYLE2 (DefineShape4) with a colour: caps 0 round, 1 none, 2 square; joins 0 round,
// 1 bevel, 2 miter (with its limit).
struct TLine2 {
  int width = 20;
  uint32_t argb = 0xFF000000;
  bool noHScale = false, noVScale = false;
  int startCap = 0, endCap = 0, join = 0;
  double miterLimit = 3;
};
inline std::string LineStyle2(const TLine2& l) {
  TBits b;
  b.U16(l.width);
  b.UB(uint32_t(l.startCap), 2), b.UB(uint32_t(l.join), 2);
  b.UB(0, 1);  // no fill: a colour
  b.UB(l.noHScale, 1), b.UB(l.noVScale, 1);
  b.UB(0, 1), b.UB(0, 5), b.UB(0, 1);  // no pixel hinting, reserved, closed
  b.UB(uint32_t(l.endCap), 2);
  if (l.join == 2) b.U16(int(std::lround(l.miterLimit * 256)));
  b.Rgba(l.argb & 0xFFFFFF, int(l.argb >> 24));
  return b.Data();
}

// DefineShape4: id, bounds (also given as the edge bounds), whether its fills go by the
// non-zero rule, styles, the index bits, the records.
inline std::string DefineShape4(int id, int32_t w, int32_t h, bool nonZero, const std::string& styles, int fillBits,
                                int lineBits, const std::string& records) {
  TBits b;
  b.U16(id);
  b.Rect(0, w, 0, h);
  b.Rect(0, w, 0, h);
  b.UB(0, 5), b.UB(nonZero, 1), b.UB(0, 1), b.UB(1, 1);
  b.Bytes(styles);
  b.UB(uint32_t(fillBits), 4), b.UB(uint32_t(lineBits), 4);
  b.Bytes(records);
  return Tag(83, b.Data(), true);
}

inline std::string Zlib(const std::string& raw) {
  std::string out(compressBound(uLong(raw.size())), '\0');
  uLongf n = uLongf(out.size());
  compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
  out.resize(n);
  return out;
}

// A whole movie: the stage in pixels, the frame rate, the declared frame count, the tags.
inline std::string Movie(int wPixels, int hPixels, double rate, int frames, const std::string& tags,
                         char compression = 'F', int version = 10) {
  TBits body;
  body.Rect(0, wPixels * 20, 0, hPixels * 20);
  body.U16(int(std::lround(rate * 256)));
  body.U16(frames);
  body.Bytes(tags + EndTag());
  const std::string raw = body.Data();
  TBits head;
  head.U8(compression), head.U8('W'), head.U8('S'), head.U8(version);
  head.U32(uint32_t(raw.size() + 8));
  if (compression == 'F') return head.Data() + raw;
  if (compression == 'C') return head.Data() + Zlib(raw);
  // ZWS: the compressed length, the five LZMA property bytes, the raw LZMA stream.
  lzma_stream s = LZMA_STREAM_INIT;
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 6);
  if (lzma_alone_encoder(&s, &options) != LZMA_OK) return {};
  std::string out(raw.size() + raw.size() / 2 + 1024, '\0');
  s.next_in = reinterpret_cast<const uint8_t*>(raw.data());
  s.avail_in = raw.size();
  s.next_out = reinterpret_cast<uint8_t*>(out.data());
  s.avail_out = out.size();
  if (lzma_code(&s, LZMA_FINISH) != LZMA_STREAM_END) return {};
  out.resize(out.size() - s.avail_out);
  lzma_end(&s);
  const std::string props = out.substr(0, 5), stream = out.substr(13);
  TBits z;
  z.U32(uint32_t(stream.size()));
  return head.Data() + z.Data() + props + stream;
}

}  // namespace sftest
