#include "imaging/rla.h"

#include <QByteArray>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid RLA image format."); }

int Be16(const uint8_t* p) { return int16_t(uint16_t(p[0] << 8 | p[1])); }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

constexpr size_t kHeader = 740;

}  // namespace

QImage DecodeRla(const uint8_t* data, size_t size) {
  if (size < kHeader) Invalid();
  // The active window holds the pixels; left, right, bottom, top as inclusive bounds.
  const int left = Be16(data + 8), right = Be16(data + 10), bottom = Be16(data + 12), top = Be16(data + 14);
  const int channels = Be16(data + 20), mattes = Be16(data + 22);
  const QByteArray description = QByteArray(reinterpret_cast<const char*>(data + 580), 32).split('\0')[0].trimmed().toLower();
  if (description != "rgb" && description != "xyz") throw EInvalidGraphic("Invalid color format.");
  const int64_t w = int64_t(right) - left + 1, h = int64_t(top) - bottom + 1;
  if (channels < 3 || channels > 16 || mattes < 0 || mattes > 16) Invalid();
  CheckPictureCost(w, h, size, "Invalid RLA image format.");
  // Files from before the bit-depth fields have 8-bit channels.
  int colourBits = Be16(data + 658), matteBits = Be16(data + 662);
  if (colourBits == 0) colourBits = 8;
  if (matteBits == 0) matteBits = 8;
  if (colourBits < 1 || colourBits > 16 || matteBits < 1 || matteBits > 16) Invalid();
  if ((size - kHeader) / 4 < size_t(h)) Invalid();
  // Each scanline holds at least a two-byte length per channel.
  if (uint64_t(w) * uint64_t(h) > uint64_t(size) * 64) Invalid();

  const bool alpha = mattes > 0;
  TColorManager colours;
  colours.sourceSamplesPerPixel = alpha ? 4 : 3;
  colours.sourceScheme = alpha ? TColorScheme::RGBA : TColorScheme::RGB;
  colours.targetScheme = alpha ? TColorScheme::BGRA : TColorScheme::BGR;
  QImage image = colours.CreateBitmap(w, h, size, "Invalid RLA image format.");

  // One unpacked row per channel (samples over 8 bits as a plane of high bytes, then low bytes),
  // narrowed to 8 bits before the conversion.
  const size_t used = alpha ? 4 : 3, width = static_cast<size_t>(w);
  std::vector<std::vector<uint8_t>> packed(used), narrow(used, std::vector<uint8_t>(width));
  std::vector<const uint8_t*> planes(used);
  TRLADecoder rle;
  for (int64_t y = 0; y < h; ++y) {
    size_t at = Be32(data + kHeader + 4 * size_t(y));
    for (int c = 0; c < channels + (alpha ? 1 : 0); ++c) {
      if (at > size || size - at < 2) Invalid();
      const size_t length = uint16_t(Be16(data + at));
      at += 2;
      if (size - at < length) Invalid();
      const bool isMatte = c >= channels;
      if (!isMatte && c >= 3) {  // further colour channels are passed over
        at += length;
        continue;
      }
      const int slot = isMatte ? 3 : c, bits = isMatte ? matteBits : colourBits, bytes = bits > 8 ? 2 : 1;
      std::vector<uint8_t>& row = packed[size_t(slot)];
      row.assign(size_t(w) * size_t(bytes), 0);
      const uint8_t* source = data + at;
      uint8_t* dest = row.data();
      if (!rle.Decode(source, dest, length, row.size())) Invalid();
      at += length;
      const uint32_t max = (1u << bits) - 1;
      uint8_t* out = narrow[size_t(slot)].data();
      for (int64_t x = 0; x < w; ++x) {
        const uint32_t v = bytes == 2 ? uint32_t(row[size_t(x)]) << 8 | row[size_t(w + x)] : row[size_t(x)];
        out[x] = uint8_t(std::min(v, max) * 255 / max);
      }
      planes[size_t(slot)] = out;
    }
    colours.ConvertRow(planes.data(), int(used), image.scanLine(int(h - 1 - y)), int(w));
  }
  // The colour channels are stored multiplied by the matte.
  if (alpha) Unpremultiply(image);
  return image;
}

}  // namespace sf
