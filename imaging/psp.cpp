#include "imaging/psp.h"

#include <cstring>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid PSP image format."); }

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

enum : uint32_t { kImageBlock = 0, kColorBlock = 2, kLayerStartBlock = 3, kLayerBlock = 4, kChannelBlock = 5 };

// One block: its kind, the part its header calls the initial data (file version 3 only; in
// version 4 each chunk starts with its own length), and its whole body.
struct TBlock {
  uint32_t id;
  const uint8_t* body;
  size_t length, initial;
};

// Walks the blocks of [p, p + size): each starts with "~BK\0"; bytes that are not a block marker
// are passed over until the next "~".
class TBlockReader {
 public:
  TBlockReader(const uint8_t* p, size_t size, int major) : p_(p), size_(size), major_(major) {}
  bool Next(TBlock& block) {
    const size_t header = major_ == 3 ? 14 : 10;
    while (at_ < size_) {
      const void* tilde = std::memchr(p_ + at_, '~', size_ - at_);
      if (tilde == nullptr) break;
      at_ = size_t(static_cast<const uint8_t*>(tilde) - p_);
      if (size_ - at_ < header) break;
      if (std::memcmp(p_ + at_, "~BK\0", 4) != 0) {
        ++at_;
        continue;
      }
      const uint8_t* h = p_ + at_;
      block.id = Le16(h + 4);
      block.initial = major_ == 3 ? Le32(h + 6) : 0;
      block.length = Le32(h + (major_ == 3 ? 10 : 6));
      at_ += header;
      if (block.length > size_ - at_ || block.initial > block.length) Invalid();
      block.body = p_ + at_;
      at_ += block.length;
      return true;
    }
    return false;
  }

 private:
  const uint8_t* p_;
  size_t size_, at_ = 0;
  int major_;
};

struct TAttributes {
  int64_t width = 0, height = 0;
  uint32_t compression = 0, bitDepth = 0;
  bool greyscale = false;
};

// A checked view of a block's bytes.
struct TSpan {
  const uint8_t* p;
  size_t size;
  const uint8_t* At(size_t offset, size_t n) const {
    if (offset > size || size - offset < n) Invalid();
    return p + offset;
  }
};

struct TChannel {
  uint32_t bitmapType, channelType;
  TSpan data;
  size_t unpacked;
};

// Unpacks one channel into out (rowBytes * rows bytes); its stored rows may be padded to four
// bytes, which its unpacked length tells.
void UnpackChannel(const TChannel& c, uint32_t compression, size_t rowBytes, size_t rows, std::vector<uint8_t>& out) {
  const size_t padded = (rowBytes + 3) / 4 * 4;
  size_t stride;
  if (c.unpacked == rowBytes * rows) stride = rowBytes;
  else if (c.unpacked == padded * rows) stride = padded;
  else Invalid();
  // What the channel's data can hold at the format's tightest packing is checked before the
  // channel is unpacked: raw data holds every byte, one count and one byte repeat at most 127
  // bytes, and deflate packs at most 1032 bytes into one.
  const size_t unpacked = stride * rows;
  if (compression == 0 ? c.data.size < unpacked
      : compression == 1 ? unpacked / 127 > c.data.size
                         : unpacked / 1032 > c.data.size + 64)
    Invalid();
  std::vector<uint8_t> raw(unpacked);
  const uint8_t* source = c.data.p;
  uint8_t* dest = raw.data();
  bool ok;
  switch (compression) {
    case 0:
      std::memcpy(raw.data(), c.data.p, raw.size());
      ok = true;
      break;
    case 1:
      ok = TPSPRLEDecoder().Decode(source, dest, c.data.size, raw.size());
      break;
    default: {
      TLZ77Decoder zlib(Z_FINISH);
      zlib.DecodeInit();
      ok = zlib.Decode(source, dest, c.data.size, raw.size());
      zlib.DecodeEnd();
    }
  }
  if (!ok) Invalid();
  out.resize(rowBytes * rows);
  for (size_t y = 0; y < rows; ++y) std::memcpy(out.data() + y * rowBytes, raw.data() + y * stride, rowBytes);
}

}  // namespace

QImage DecodePsp(const uint8_t* data, size_t size) {
  if (size < 36 || QByteArray(reinterpret_cast<const char*>(data), 25).toLower() != "paint shop pro image file") Invalid();
  const int major = int(Le16(data + 32));
  if (major != 3 && major != 4) throw EInvalidGraphic("Unsupport image format!");
  // In version 4 every chunk begins with its own length, which the fields come after.
  const size_t lead = major == 4 ? 4 : 0;

  TAttributes a;
  bool haveAttributes = false;
  QList<QRgb> palette;
  std::vector<TChannel> channels;
  int64_t left = 0, top = 0, layerW = 0, layerH = 0;
  TBlockReader top_level(data + 36, size - 36, major);
  TBlock block;
  while (top_level.Next(block) && channels.empty()) {
    const TSpan body{block.body, block.length};
    if (block.id == kImageBlock) {
      const uint8_t* f = body.At(lead, 28);
      a.width = int32_t(Le32(f));
      a.height = int32_t(Le32(f + 4));
      a.compression = Le16(f + 17);
      a.bitDepth = Le16(f + 19);
      a.greyscale = f[27] != 0;
      if (a.bitDepth != 1 && a.bitDepth != 4 && a.bitDepth != 8 && a.bitDepth != 24)
        throw EInvalidGraphic("Invalid color format.");
      // The canvas counts, not only the layer: where the layer does not cover it, it is white,
      // and a file of a few bytes must not make the program fill gigabytes with white.
      if (a.width > 16384 || a.height > 16384) Invalid();
      CheckPictureCost(a.width, a.height, size, "Invalid PSP image format.");
      if (a.compression == 3) throw EInvalidGraphic("Unsupport image format!");
      if (a.compression > 3) Invalid();
      haveAttributes = true;
    } else if (block.id == kColorBlock) {
      const size_t count = Le32(body.At(lead, 4));
      if (count > 256) Invalid();
      // Entries as Windows keeps them: blue, green, red and a spare byte.
      palette = TColorManager::FilePalette(body.At(lead + 4, count * 4), int(count), 4, true);
    } else if (block.id == kLayerStartBlock && haveAttributes) {
      TBlockReader layers(block.body, block.length, major);
      TBlock layer;
      while (channels.empty() && layers.Next(layer)) {
        if (layer.id != kLayerBlock) continue;
        const TSpan info{layer.body, layer.length};
        // The layer's name (256 characters in version 3; a length and the characters in 4),
        // its type, then its rectangle (left, top, right, bottom; right and bottom exclusive).
        size_t rectAt = 257, subBlocks = layer.initial;
        if (major == 4) {
          const size_t chunk = Le32(info.At(0, 4));
          rectAt = 6 + Le16(info.At(4, 2)) + 1;
          const size_t bitmapInfo = Le32(info.At(chunk, 4));  // the layer bitmap chunk follows
          subBlocks = chunk + bitmapInfo;
          if (chunk < rectAt + 16 || bitmapInfo < 8) Invalid();
        }
        const uint8_t* rect = info.At(rectAt, 16);
        left = int32_t(Le32(rect));
        top = int32_t(Le32(rect + 4));
        layerW = int64_t(int32_t(Le32(rect + 8))) - left;
        layerH = int64_t(int32_t(Le32(rect + 12))) - top;
        if (subBlocks > layer.length) Invalid();
        TBlockReader parts(layer.body + subBlocks, layer.length - subBlocks, major);
        TBlock part;
        while (parts.Next(part)) {
          if (part.id != kChannelBlock) continue;
          const TSpan c{part.body, part.length};
          const uint8_t* f = c.At(lead, 12);
          const size_t dataAt = major == 4 ? Le32(c.At(0, 4)) : part.initial;
          if (dataAt < lead + 12 || dataAt > c.size) Invalid();
          const size_t packed = Le32(f);
          channels.push_back({Le16(f + 8), Le16(f + 10), TSpan{c.p + dataAt, std::min(packed, c.size - dataAt)}, Le32(f + 4)});
        }
        // Only the image bitmap is shown; a layer without one (a vector or adjustment layer) is
        // passed over.
        std::erase_if(channels, [](const TChannel& ch) { return ch.bitmapType != 0; });
      }
    }
  }
  if (!haveAttributes || channels.empty() || layerW > 16384 || layerH > 16384) Invalid();
  CheckPictureCost(layerW, layerH, size, "Invalid PSP image format.");

  const bool rgb = a.bitDepth == 24;
  const int bits = rgb ? 8 : int(a.bitDepth);
  const size_t rowBytes = (size_t(layerW) * size_t(bits) + 7) / 8;
  // The planes the picture needs: red, green and blue, or the one composite channel.
  std::vector<std::vector<uint8_t>> planes(rgb ? 3 : 1);
  std::vector<bool> found(planes.size(), false);
  for (const TChannel& c : channels) {
    const size_t slot = rgb ? size_t(c.channelType) - 1 : 0;
    if ((rgb ? c.channelType < 1 || c.channelType > 3 : c.channelType != 0) || found[slot]) continue;
    UnpackChannel(c, a.compression, rowBytes, size_t(layerH), planes[slot]);
    found[slot] = true;
  }
  for (bool f : found)
    if (!f) Invalid();

  TColorManager colours;
  colours.sourceBitsPerSample = bits;
  colours.sourceSamplesPerPixel = rgb ? 3 : 1;
  colours.sourceScheme = rgb ? TColorScheme::RGB : TColorScheme::Indexed;
  colours.targetScheme = rgb ? TColorScheme::BGR : TColorScheme::Indexed;
  QImage image = colours.CreateBitmap(a.width, a.height, size, "Invalid PSP image format.");
  if (!rgb) {
    QList<QRgb> table = a.greyscale || palette.isEmpty() ? TColorManager::GreyPalette(bits) : palette;
    while (table.size() < 256) table << qRgb(0, 0, 0);
    image.setColorTable(table);
  }
  // Where the layer does not cover the picture it shows white (index 0 in indexed pictures).
  image.fill(rgb ? 0xFFFFFFFFu : 0u);
  const int bytesPerPixel = rgb ? 3 : 1;
  std::vector<uchar> line(size_t(layerW) * size_t(bytesPerPixel));
  for (int64_t y = 0; y < layerH; ++y) {
    const int64_t to = top + y;
    if (to < 0 || to >= a.height) continue;
    const size_t offset = size_t(y) * rowBytes;
    const uint8_t* rows[3] = {planes[0].data() + offset, rgb ? planes[1].data() + offset : nullptr,
                              rgb ? planes[2].data() + offset : nullptr};
    colours.ConvertRow(rows, rgb ? 3 : 1, line.data(), int(layerW));
    const int64_t from = std::max<int64_t>(0, -left), till = std::min<int64_t>(layerW, a.width - left);
    if (from < till)
      std::memcpy(image.scanLine(int(to)) + (left + from) * bytesPerPixel, line.data() + from * bytesPerPixel,
                  size_t(till - from) * size_t(bytesPerPixel));
  }
  return image;
}

}  // namespace sf
