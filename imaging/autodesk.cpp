#include "imaging/autodesk.h"

#include <cstring>

#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid Autodesk image format."); }
int Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

}  // namespace

// The 32-byte header (magic 0x9119, width, height, x, y, depth, compression, data size), the
// 768-byte palette, then one byte a pixel, rows top first.
QImage DecodeAutodesk(const uint8_t* data, size_t size) {
  if (size < 32 || Le16(data) != 0x9119) Invalid();
  const int w = Le16(data + 2), h = Le16(data + 4);
  constexpr size_t kPixels = 32 + 768;
  if (w == 0 || h == 0 || size < kPixels || (size - kPixels) / size_t(w) < size_t(h)) Invalid();
  QImage image = NewBitmap(w, h, QImage::Format_Indexed8, size, "Invalid Autodesk image format.");
  QList<QRgb> table;
  auto widen = [](uint8_t v) { return (v & 63) << 2 | (v & 63) >> 4; };
  for (int i = 0; i < 256; ++i) table << qRgb(widen(data[32 + 3 * i]), widen(data[33 + 3 * i]), widen(data[34 + 3 * i]));
  image.setColorTable(table);
  for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), data + kPixels + size_t(y) * size_t(w), size_t(w));
  return image;
}

}  // namespace sf
