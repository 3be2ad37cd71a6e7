#include "imaging/pcd.h"

#include <QTransform>
#include <cstring>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid PCD image format."); }

struct TResolution {
  int width, height;
  size_t offset;
};
constexpr TResolution kResolutions[3] = {{192, 128, 8192}, {384, 256, 47104}, {768, 512, 196608}};

}  // namespace

QImage DecodePcd(const uint8_t* data, size_t size, int resolution) {
  if (size < 2048 + 7 || std::memcmp(data + 2048, "PCD_IPI", 7) != 0) Invalid();
  if (resolution < 0 || resolution > 2) throw EInvalidGraphic("Unsupport image format!");
  const TResolution& r = kResolutions[resolution];
  const size_t w = size_t(r.width), pairBytes = 3 * w;  // two luma rows and two half-width chroma rows
  if (size < r.offset || (size - r.offset) / pairBytes < size_t(r.height / 2)) Invalid();

  TColorManager colours;
  colours.sourceSamplesPerPixel = 3;
  colours.sourceScheme = TColorScheme::PhotoYCC;
  colours.targetScheme = TColorScheme::BGR;
  QImage image = colours.CreateBitmap(r.width, r.height, size, "Invalid PCD image format.");
  // Each pair of rows: luma of both rows, then C1 and C2 for the pair at half width; a chroma
  // sample covers 2 x 2 pixels.
  std::vector<uint8_t> c1(w), c2(w);
  for (int pair = 0; pair < r.height / 2; ++pair) {
    const uint8_t* p = data + r.offset + size_t(pair) * pairBytes;
    for (size_t x = 0; x < w; ++x) {
      c1[x] = p[2 * w + x / 2];
      c2[x] = p[2 * w + w / 2 + x / 2];
    }
    for (int row = 0; row < 2; ++row) {
      const uint8_t* planes[3] = {p + size_t(row) * w, c1.data(), c2.data()};
      colours.ConvertRow(planes, 3, image.scanLine(2 * pair + row), r.width);
    }
  }
  // The image pack's attributes say how the picture lies: 1 and 3 are portraits turned on their
  // side, 2 is upside down.
  const int rotation = size > 0x0E02 ? data[0x0E02] & 3 : 0;
  if (rotation != 0) image = image.transformed(QTransform().rotate(rotation == 1 ? -90 : rotation == 2 ? 180 : 90));
  return image;
}

}  // namespace sf
