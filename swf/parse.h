// What the movie's readers share: a reader of bytes and bits that never reads past its data, and
// the tag readers of each concern.
#pragma once

#include <QPainterPath>
#include <cstdint>
#include <string>

#include "swf/movie.h"

namespace sf::swf {

// Reads little-endian values and big-endian bit fields from a span of bytes; reading past the
// end throws ESwfError.
class TReader {
 public:
  TReader(const uint8_t* data, size_t size) : p_(data), size_(size) {}

  size_t Left() const { return size_ - at_; }
  size_t Position() const { return at_; }
  const uint8_t* Here() const { return p_ + at_; }
  void Skip(size_t n);
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  int16_t S16() { return int16_t(U16()); }
  std::string String();  // zero-terminated

  // Bit fields: unsigned and signed values of n bits (n up to 32), and 16.16 fixed point.
  void Align() { bits_ = 0; }
  uint32_t UB(int n);
  int32_t SB(int n);
  double FB(int n) { return double(SB(n)) / 65536.0; }

  QRectF Rect();
  QTransform Matrix();
  TColorTransform ColorTransform(bool alpha);
  QColor Rgb();
  QColor Rgba();

 private:
  const uint8_t* p_;
  size_t size_, at_ = 0;
  uint32_t byte_ = 0;
  int bits_ = 0;  // bits of byte_ not yet read
};

[[noreturn]] void Fail(const std::string& why);

// The readers of the tags, each in the source of its concern.
TCharacter ReadShape(TReader& r, int tag);                                   // shapes.cpp
// The area of a path stroked with a line style's caps and join at a width (in the path's units).
QPainterPath LineArea(const TLineStyle& line, double width, const QPainterPath& path);  // shapes.cpp
QImage ReadBitmap(TReader& r, int tag, const QByteArray& jpegTables);        // bitmaps.cpp
bool Opaque(const QImage& bitmap);  // every pixel at full alpha                bitmaps.cpp
std::vector<TAction> ReadActions(TReader& r);                                // actions.cpp

// The deepest sprites may nest in one another, and the most objects a display list draws.
constexpr int kMaxNesting = 16;

}  // namespace sf::swf
