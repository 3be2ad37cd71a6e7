#include "imaging/sgi.h"

#include <vector>

#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid sgi, bw or rgb(a) image format."); }

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }

// Unpacks one run-length row of `bpc`-byte samples from data[start..) into out (width samples,
// widened to 16 bits).
void SgiRleRow(const uint8_t* data, size_t size, size_t start, int bpc, std::vector<uint16_t>& out) {
  size_t at = start, o = 0;
  auto next = [&]() -> uint32_t {
    if (size - at < size_t(bpc) || at > size) Invalid();
    const uint32_t v = bpc == 2 ? Be16(data + at) : data[at];
    at += size_t(bpc);
    return v;
  };
  while (o < out.size()) {
    const uint32_t c = next();
    const size_t count = c & 0x7F;
    if (count == 0) break;
    if (count > out.size() - o) Invalid();
    if (c & 0x80) {
      for (size_t i = 0; i < count; ++i) out[o++] = uint16_t(next());
    } else {
      const uint16_t v = uint16_t(next());
      for (size_t i = 0; i < count; ++i) out[o++] = v;
    }
  }
}

}  // namespace

QImage DecodeSgi(const uint8_t* data, size_t size) {
  if (size < 512 || Be16(data) != 474) Invalid();
  const int storage = data[2], bpc = data[3];
  const uint32_t dimension = Be16(data + 4), w = Be16(data + 6);
  const uint32_t h = dimension >= 2 ? Be16(data + 8) : 1, z = dimension >= 3 ? Be16(data + 10) : 1;
  if ((storage != 0 && storage != 1) || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3 || w == 0 || h == 0 ||
      z == 0 || z > 4 || int64_t(w) * h > kMaxPicturePixels)
    Invalid();
  // The data must hold what the header promises before the bitmap is made.
  const uint64_t plainBytes = uint64_t(w) * h * z * uint64_t(bpc);
  std::vector<uint32_t> starts;
  if (storage == 0) {
    if (size - 512 < plainBytes) Invalid();
  } else {
    const uint64_t table = uint64_t(h) * z * 4;
    if (size - 512 < 2 * table) Invalid();
    starts.resize(size_t(h) * z);
    for (size_t i = 0; i < starts.size(); ++i) starts[i] = Be32(data + 512 + 4 * i);
    // A run of 127 samples takes at least two samples' bytes.
    if (uint64_t(w) * h * z > uint64_t(size) * 64) Invalid();
  }
  const QImage::Format format = z == 1 ? QImage::Format_Indexed8 : z == 3 ? QImage::Format_RGB32 : QImage::Format_ARGB32;
  QImage image(int(w), int(h), format);
  if (image.isNull()) Invalid();
  if (z == 1) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
    image.setColorTable(table);
  }
  std::vector<std::vector<uint16_t>> rows(z, std::vector<uint16_t>(w));
  auto to8 = [&](uint16_t v) { return bpc == 2 ? int(v) * 255 / 65535 : int(v); };
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t c = 0; c < z; ++c) {
      std::vector<uint16_t>& row = rows[c];
      if (storage == 0) {
        const uint8_t* p = data + 512 + (uint64_t(c) * h + y) * w * uint64_t(bpc);
        for (uint32_t x = 0; x < w; ++x) row[x] = uint16_t(bpc == 2 ? Be16(p + 2 * x) : p[x]);
      } else {
        std::fill(row.begin(), row.end(), 0);
        SgiRleRow(data, size, starts[size_t(c) * h + y], bpc, row);
      }
    }
    uchar* line = image.scanLine(int(h - 1 - y));
    for (uint32_t x = 0; x < w; ++x) {
      if (z == 1) {
        line[x] = uchar(to8(rows[0][x]));
        continue;
      }
      const int r = to8(rows[0][x]), g = to8(rows[z >= 3 ? 1 : 0][x]), b = to8(rows[z >= 3 ? 2 : 0][x]);
      const int a = z == 2 ? to8(rows[1][x]) : z == 4 ? to8(rows[3][x]) : 255;
      reinterpret_cast<QRgb*>(line)[x] = qRgba(r, g, b, a);
    }
  }
  return image;
}

}  // namespace sf
