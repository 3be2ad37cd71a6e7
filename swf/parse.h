// What the movie's readers share: a reader of bytes and bits that never reads past its data, and
// the tag readers of each concern.
#pragma once

#include <QPainterPath>
#include <cstdint>
#include <functional>
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

// An edge of a SHAPE as its records give it: the fill styles on its two sides and its line style
// (indices into the styles of its group, 1-based; 0 none), and the group of styles it belongs to
// (0 the first; each record that brings new styles starts the next).
struct TShapeEdge {
  TSwfShape::TEdge edge;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  size_t group = 0;
};
// Reads a record's new styles (null where a SHAPE may bring none: glyphs, morph shapes).
using TNewStyles = std::function<void(TReader&)>;
// The records of a SHAPE after its index bits, to the end record.                shapes.cpp
void ReadShapeRecords(TReader& r, int fillBits, int lineBits, const TNewStyles& newStyles, std::vector<TShapeEdge>& out);
// A group of a shape from its styles and its edges.                              shapes.cpp
void AddStyleGroup(TSwfShape& shape, std::vector<TFillStyle> fills, const std::vector<TLineStyle>& lines,
                   const TShapeEdge* edges, size_t count);

// The readers of the tags, each in the source of its concern.
TCharacter ReadShape(TReader& r, int tag);                                   // shapes.cpp
TCharacter ReadMorph(TReader& r, int tag);                                   // shapes.cpp
// A glyph's SHAPE: its edges with fill 1 on the side of its inside.             shapes.cpp
TSwfShape::TGroup ReadGlyph(TReader& r);
// The area of a path stroked with a line style's caps and join at a width (in the path's units).
QPainterPath LineArea(const TLineStyle& line, double width, const QPainterPath& path);  // shapes.cpp
// DefineFont 1 to 3, and DefineFontInfo 1 and 2 applied to a font.                  text.cpp
TCharacter ReadFont(TReader& r, int tag, int version);
void ReadFontInfo(TReader& r, int tag, int version, TFont& font);
// DefineText 1 and 2, DefineEditText, their fonts looked up in the movie read so far.  text.cpp
TCharacter ReadText(TReader& r, int tag, int version, const TSwfMovie& movie, int32_t frame);
TCharacter ReadEditText(TReader& r, int version, const TSwfMovie& movie, int32_t frame);
// DefineButton 1 and 2; DefineButtonCxform and DefineButtonSound applied to one.     buttons.cpp
TCharacter ReadButton(TReader& r, int tag);
void ReadButtonCxform(TReader& r, TButton& button);
void ReadButtonSound(TReader& r, TButton& button);
// A FILTERLIST.                                                                      filters.cpp
TFilterList ReadFilterList(TReader& r);
// DefineSound after its id, a SOUNDINFO, SoundStreamHead 1 and 2, and SoundStreamBlock.  sound.cpp
TSoundData ReadSound(TReader& r);
TSoundInfo ReadSoundInfo(TReader& r);
TSoundData ReadStreamHead(TReader& r);
void AddStreamBlock(TStreamSound& stream, TReader& r, int32_t frame);
QImage ReadBitmap(TReader& r, int tag, const QByteArray& jpegTables);        // bitmaps.cpp
bool Opaque(const QImage& bitmap);  // every pixel at full alpha                bitmaps.cpp
std::vector<TAction> ReadActions(TReader& r);                                // actions.cpp

// The deepest sprites may nest in one another, and the most objects a display list draws.
constexpr int kMaxNesting = 16;

}  // namespace sf::swf
