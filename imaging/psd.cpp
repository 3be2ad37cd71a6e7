#include "imaging/psd.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid PSD or PDD image format."); }

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }

struct Reader {
  const uint8_t* p;
  size_t size, at = 0;
  const uint8_t* Take(size_t n) {
    if (size - at < n || at > size) Invalid();
    const uint8_t* q = p + at;
    at += n;
    return q;
  }
};

// A sample of channel row `row` at x, narrowed to 8 bits.
int Sample(const uint8_t* row, uint32_t x, int depth) {
  switch (depth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 16: return int(Be16(row + 2 * x) * 255 / 65535);
    case 32: {  // linear light in 0 to 1, shown through the sRGB curve
      const uint32_t bits = Be32(row + 4 * x);
      float f;
      std::memcpy(&f, &bits, 4);
      const double v = std::isnan(f) ? 0.0 : std::clamp(double(f), 0.0, 1.0);
      return int(std::lround(255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055)));
    }
    default: return row[x];
  }
}

}  // namespace

QImage DecodePsd(const uint8_t* data, size_t size) {
  Reader r{data, size};
  const uint8_t* h = r.Take(26);
  if (std::memcmp(h, "8BPS", 4) != 0 || Be16(h + 4) != 1) Invalid();
  const uint32_t channels = Be16(h + 12), height = Be32(h + 14), width = Be32(h + 18);
  const int depth = int(Be16(h + 22)), mode = int(Be16(h + 24));
  if (channels < 1 || channels > 56 || width > 16384 || height > 16384) Invalid();
  CheckPictureCost(width, height, size, "Invalid PSD or PDD image format.");
  const bool knownMode = mode == 0 || mode == 1 || mode == 2 || mode == 3 || mode == 4 || mode == 7 || mode == 8 || mode == 9;
  if (!knownMode || !(depth == 1 || depth == 8 || depth == 16 || depth == 32) || (depth == 1) != (mode == 0))
    throw EInvalidGraphic("Invalid color format.");
  const uint32_t modeLength = Be32(r.Take(4));
  const uint8_t* modeData = r.Take(modeLength);
  r.Take(Be32(r.Take(4)));  // image resources
  // Layers and masks: a negative layer count says that the first extra channel is the
  // transparency of the merged picture (otherwise extra channels are saved selections).
  const uint32_t layersLength = Be32(r.Take(4));
  const uint8_t* layers = r.Take(layersLength);
  const bool mergedAlpha = layersLength >= 6 && Be32(layers) >= 2 && int16_t(Be16(layers + 4)) < 0;
  const uint32_t compression = Be16(r.Take(2));
  if (compression > 1) throw EInvalidGraphic("Unsupport image format!");

  const size_t rowBytes = (size_t(width) * size_t(depth) + 7) / 8;
  // The channels the picture needs.
  const uint32_t needed = mode == 4 ? 4 : mode == 9 || mode == 3 || mode == 7 ? 3 : 1;
  if (channels < needed) Invalid();
  const bool alpha = (mode == 3 || mode == 7) && channels >= 4 && mergedAlpha;
  const uint32_t used = needed + (alpha ? 1 : 0);
  // Every row of the used channels, unpacked.
  // Plain channels are read where they lie; packed ones are unpacked first.
  std::vector<uint8_t> planes;
  const uint8_t* base = nullptr;
  if (compression == 0) {
    if ((size - r.at) / rowBytes < size_t(used) * height) Invalid();
    base = data + r.at;
  } else {
    planes.resize(size_t(used) * height * rowBytes);
    base = planes.data();
    const uint8_t* counts = r.Take(size_t(channels) * height * 2);
    size_t at = r.at;
    for (uint32_t row = 0; row < used * height; ++row) {
      const size_t n = Be16(counts + 2 * row);
      if (size - at < n) Invalid();
      const uint8_t* source = data + at;
      uint8_t* dest = planes.data() + size_t(row) * rowBytes;
      TPackbitsRLEDecoder().Decode(source, dest, n, rowBytes);  // a short row keeps zeros
      at += n;
    }
  }
  const bool indexed = mode == 0 || mode == 1 || mode == 2 || mode == 8;
  const bool plainRgb = depth == 8 && (mode == 3 || mode == 7) && !alpha;
  QImage image = NewBitmap(width, height,
                           indexed    ? QImage::Format_Indexed8
                           : plainRgb ? QImage::Format_RGB888
                           : alpha    ? QImage::Format_ARGB32
                                      : QImage::Format_RGB32,
                           size, "Invalid PSD or PDD image format.");
  if (indexed) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) {
      if (mode == 0) table << (i == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));  // 1 is black ink
      else if (mode == 2 && modeLength >= 768) table << qRgb(modeData[i], modeData[256 + i], modeData[512 + i]);
      else table << qRgb(i, i, i);
    }
    image.setColorTable(table);
  }
  auto plane = [&](uint32_t c, uint32_t y) { return base + (size_t(c) * height + y) * rowBytes; };
  for (uint32_t y = 0; y < height; ++y) {
    uchar* line = image.scanLine(int(y));
    if (plainRgb) {  // the three channels interleaved as they are
      const uint8_t *red = plane(0, y), *green = plane(1, y), *blue = plane(2, y);
      for (uint32_t x = 0; x < width; ++x, line += 3) line[0] = red[x], line[1] = green[x], line[2] = blue[x];
      continue;
    }
    if (indexed) {
      for (uint32_t x = 0; x < width; ++x) line[x] = uchar(Sample(plane(0, y), x, depth));
      continue;
    }
    auto* out = reinterpret_cast<QRgb*>(line);
    for (uint32_t x = 0; x < width; ++x) {
      const int c0 = Sample(plane(0, y), x, depth), c1 = Sample(plane(1, y), x, depth), c2 = Sample(plane(2, y), x, depth);
      if (mode == 4) {
        // Photoshop stores CMYK inverted: each sample is 255 - ink.
        out[x] = CmykToRgb(255 - c0, 255 - c1, 255 - c2, 255 - Sample(plane(3, y), x, depth));
      } else if (mode == 9) {
        out[x] = LabToRgb(c0, c1, c2);
      } else if (alpha) {
        // The merged colours are blended onto white: take the white back out.
        const int a = Sample(plane(3, y), x, depth);
        auto unblend = [a](int c) { return a == 0 ? 0 : std::clamp((c - (255 - a)) * 255 / a, 0, 255); };
        out[x] = qRgba(unblend(c0), unblend(c1), unblend(c2), a);
      } else {
        out[x] = qRgb(c0, c1, c2);
      }
    }
  }
  return image;
}

}  // namespace sf
