#include "imaging/cut.h"

#include <cstring>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid CUT image format."); }

int Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// A Dr. Halo palette file: a 40-byte header ("AH", file type 10 at 6, the highest index at 12 and the
// highest level of each colour), then R, G, B words in 512-byte blocks that no entry crosses.
QList<QRgb> HaloPalette(const uint8_t* p, size_t size) {
  QList<QRgb> table = TColorManager::GreyPalette(8);
  if (p == nullptr || size < 40 || p[0] != 'A' || p[1] != 'H' || p[6] != 10) return table;
  const int maxIndex = Le16(p + 12), maxLevel[3] = {Le16(p + 14), Le16(p + 16), Le16(p + 18)};
  size_t at = 40;
  for (int i = 0; i <= std::min(maxIndex, 255); ++i) {
    if (at / 512 != (at + 5) / 512) at = (at / 512 + 1) * 512;
    if (size - std::min(size, at) < 6) break;
    int c[3];
    for (int k = 0; k < 3; ++k) c[k] = maxLevel[k] > 0 ? std::min(Le16(p + at + 2 * size_t(k)), maxLevel[k]) * 255 / maxLevel[k] : 0;
    table[i] = qRgb(c[0], c[1], c[2]);
    at += 6;
  }
  return table;
}

}  // namespace

QImage DecodeCut(const uint8_t* data, size_t size, const uint8_t* palette, size_t paletteSize) {
  if (size < 6) Invalid();
  const int w = Le16(data), h = Le16(data + 2);
  // A code byte gives at most 127 pixels, and a row takes at least its end code.
  if (w == 0 || h == 0 || uint64_t(w) * uint64_t(h) > uint64_t(size) * 127) Invalid();
  TColorManager colours;
  colours.targetScheme = TColorScheme::Indexed;
  QImage image = colours.CreateBitmap(w, h, size, "Invalid CUT image format.");
  image.setColorTable(HaloPalette(palette, paletteSize));
  // Dr. Halo writes a word with each row's packed length before it; rows also stand one after
  // the other without it in some descriptions of the format. The first row tells which.
  const uint8_t* end = data + size;
  auto counted = [&] {
    if (size < 8) return false;
    const size_t n = size_t(Le16(data + 6));
    if (n == 0 || n > size - 8 || data[8 + n - 1] != 0) return false;
    std::vector<uint8_t> row(static_cast<size_t>(w));
    const uint8_t* source = data + 8;
    uint8_t* dest = row.data();
    return TCUTRLEDecoder().Decode(source, dest, n, row.size()) && source == data + 8 + n;
  }();
  TCUTRLEDecoder rle;
  const uint8_t* source = data + 6;
  for (int y = 0; y < h; ++y) {
    uint8_t* dest = image.scanLine(y);
    std::memset(dest, 0, size_t(w));
    size_t n = size_t(end - source);
    if (counted) {
      if (n < 2) Invalid();
      const size_t length = size_t(Le16(source));
      source += 2;
      if (length > n - 2) Invalid();
      const uint8_t* next = source + length;
      if (!rle.Decode(source, dest, length, size_t(w))) Invalid();
      source = next;
    } else if (!rle.Decode(source, dest, n, size_t(w))) {
      Invalid();
    }
  }
  return image;
}

}  // namespace sf
