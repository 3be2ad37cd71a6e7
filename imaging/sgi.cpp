#include "imaging/sgi.h"

#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid sgi, bw or rgb(a) image format."); }

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }

}  // namespace

QImage DecodeSgi(const uint8_t* data, size_t size) {
  if (size < 512 || Be16(data) != 474) Invalid();
  const int storage = data[2], bpc = data[3];
  const uint32_t dimension = Be16(data + 4), w = Be16(data + 6);
  const uint32_t h = dimension >= 2 ? Be16(data + 8) : 1, z = dimension >= 3 ? Be16(data + 10) : 1;
  if ((storage != 0 && storage != 1) || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3 || w == 0 || h == 0 ||
      z == 0 || z > 4)
    Invalid();
  CheckPictureCost(w, h, size, "Invalid sgi, bw or rgb(a) image format.");
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
  TColorManager colours;
  colours.sourceBitsPerSample = 8 * bpc;
  colours.sourceSamplesPerPixel = int(z);
  // 8-bit grey stays one byte a pixel: indices into a grey ramp.
  const bool indexed = z == 1 && bpc == 1;
  colours.sourceScheme = indexed  ? TColorScheme::Indexed
                         : z == 1 ? TColorScheme::Grey
                         : z == 2 ? TColorScheme::GreyAlpha
                         : z == 3 ? TColorScheme::RGB
                                  : TColorScheme::RGBA;
  colours.targetScheme = indexed ? TColorScheme::Indexed : z == 2 || z == 4 ? TColorScheme::BGRA : TColorScheme::BGR;
  QImage image = colours.CreateBitmap(w, h, size, "Invalid sgi, bw or rgb(a) image format.");
  if (indexed) image.setColorTable(TColorManager::GreyPalette(8));
  // One row buffer per channel; the file keeps each channel's rows together.
  const size_t rowBytes = size_t(w) * size_t(bpc);
  std::vector<std::vector<uint8_t>> rows(z, std::vector<uint8_t>(rowBytes));
  std::vector<const uint8_t*> planes(z);
  TSGIRLEDecoder rle(bpc);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t c = 0; c < z; ++c) {
      if (storage == 0) {
        planes[c] = data + 512 + (uint64_t(c) * h + y) * rowBytes;
        continue;
      }
      std::vector<uint8_t>& row = rows[c];
      std::fill(row.begin(), row.end(), 0);
      const size_t start = starts[size_t(c) * h + y];
      if (start > size) Invalid();
      const uint8_t* source = data + start;
      uint8_t* dest = row.data();
      if (!rle.Decode(source, dest, size - start, rowBytes)) Invalid();
      planes[c] = row.data();
    }
    colours.ConvertRow(planes.data(), int(z), image.scanLine(int(h - 1 - y)), int(w));  // the first row is the bottom one
  }
  return image;
}

}  // namespace sf
