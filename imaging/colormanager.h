// The pixel-format converter the picture decoders share: they describe their source rows, the
// converter turns each into a row of the bitmap.
#pragma once

#include <QImage>
#include <QList>
#include <cstddef>
#include <cstdint>

#include "imaging/graphic.h"

namespace sf {

// A conversion the converter cannot make.
class EColorConversionError : public EInvalidGraphic {
 public:
  EColorConversionError() : EInvalidGraphic("Error!") {}
};

// Bitmaps from the decoders hold straight (unassociated) alpha, QImage::Format_ARGB32: the
// colour of a pixel is its own, whatever its alpha. A format that stores colour multiplied by
// its alpha (TIFF with associated alpha, RLA with a matte) is divided out by its decoder. The
// slide bitmaps take the colour and drop the alpha; `decode` writes it unchanged into its PNG.
//
// Divides the colour of every pixel of a Format_ARGB32 bitmap that holds premultiplied colour
// by its alpha: straight colour, rounded, at most 255; black where alpha is 0.
void Unpremultiply(QImage& image);

enum class TColorScheme { Indexed, Grey, GreyAlpha, RGB, RGBA, BGR, BGRA, CMYK, CIELab, PhotoYCC };

// CMYK inks (0 = none) to RGB: each colour is what the ink and the black leave of white.
QRgb CmykToRgb(int c, int m, int y, int k);
// CIE L*a*b* with 8-bit samples (L 0..255 for 0..100, a and b offset by 128), D50, to sRGB.
QRgb LabToRgb(int l8, int a8, int b8);
// Photo CD luminance and the two chrominance samples to RGB.
QRgb PhotoYccToRgb(int y, int c1, int c2);

class TColorManager {
 public:
  // What a source row holds. Samples of 1, 2 or 4 bits are packed from the high bit down.
  int sourceBitsPerSample = 8;
  int sourceSamplesPerPixel = 1;
  TColorScheme sourceScheme = TColorScheme::Indexed;
  bool sourceBigEndian = true;         // byte order of 16-bit samples
  const uint8_t* gamma = nullptr;      // 256 entries applied to 8-bit colour samples, or none
  // Indexed, BGR or BGRA (8 bits a sample).
  TColorScheme targetScheme = TColorScheme::BGR;

  // The bitmap format of the target: 8-bit indexed, 24-bit BGR or 32-bit BGR with alpha. Raises
  // EColorConversionError when the source cannot be converted to the target.
  QImage::Format TargetFormat() const;
  // A bitmap for the target of the given size, by the rule on what a picture of `dataSize` bytes
  // may cost (NewBitmap).
  QImage CreateBitmap(int64_t width, int64_t height, size_t dataSize, const QString& invalid) const;

  // Converts one row of `width` pixels. `planes` is one pointer to interleaved samples, or one
  // pointer per sample (planeCount == sourceSamplesPerPixel) for pictures stored channel by
  // channel.
  void ConvertRow(const uint8_t* const* planes, int planeCount, uchar* target, int width) const;

  // A grey ramp of 2^bits entries, black to white.
  static QList<QRgb> GreyPalette(int bits);
  // A palette from `count` file entries of `entryBytes` bytes each, the colours in the order
  // R, G, B (or B, G, R when bgr is set).
  static QList<QRgb> FilePalette(const uint8_t* data, int count, int entryBytes, bool bgr);

 private:
  void Check() const;
  int Sample(const uint8_t* const* planes, int planeCount, int x, int s) const;
};

}  // namespace sf
