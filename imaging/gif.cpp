#include "imaging/gif.h"

#include <array>
#include <vector>
#include <cctype>
#include <cstring>

#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid GIF image format."); }

struct Reader {
  const uint8_t* p;
  size_t size, at = 0;
  bool Has(size_t n) const { return size - at >= n; }
  uint8_t Byte() {
    if (!Has(1)) Invalid();
    return p[at++];
  }
  int U16() {
    const int lo = Byte();
    return lo | Byte() << 8;
  }
  // The data sub-blocks that follow, joined; ends at a zero-length block or the end of the file.
  void SubBlocks(std::vector<uint8_t>* out) {
    while (Has(1)) {
      const size_t n = p[at++];
      if (n == 0) return;
      const size_t take = std::min(n, size - at);
      if (out) out->insert(out->end(), p + at, p + at + take);
      at += take;
    }
  }
};

QList<QRgb> ColourTable(Reader& r, int entries) {
  QList<QRgb> table;
  if (!r.Has(size_t(entries) * 3)) Invalid();
  for (int i = 0; i < entries; ++i) {
    const int red = r.Byte(), green = r.Byte(), blue = r.Byte();
    table << qRgb(red, green, blue);
  }
  return table;
}

}  // namespace

QImage DecodeGif(const uint8_t* data, size_t size) {
  Reader r{data, size};
  if (size < 13 || std::toupper(data[0]) != 'G' || std::toupper(data[1]) != 'I' || std::toupper(data[2]) != 'F')
    Invalid();
  r.at = 6;
  const int screenW = r.U16(), screenH = r.U16(), flags = r.Byte();
  r.Byte();  // background colour index
  r.Byte();  // aspect ratio
  QList<QRgb> global;
  if (flags & 0x80) global = ColourTable(r, 2 << (flags & 7));
  for (;;) {
    if (!r.Has(1)) Invalid();
    const uint8_t b = r.Byte();
    if (b == ';') return QImage();  // a trailer before any image: an empty picture
    if (b == '!') {
      r.Byte();  // the extension's label, then its sub-blocks
      r.SubBlocks(nullptr);
      continue;
    }
    if (b != ',') continue;
    r.U16();  // left
    r.U16();  // top
    int w = r.U16(), h = r.U16();
    const int imageFlags = r.Byte();
    if (w == 0) w = screenW;
    if (h == 0) h = screenH;
    CheckPictureCost(w, h, r.size, "Invalid GIF image format.");
    QList<QRgb> table = imageFlags & 0x80 ? ColourTable(r, 2 << (imageFlags & 7)) : global;
    if (table.isEmpty())
      for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);  // no colour table at all: grey levels
    while (table.size() < 256) table << qRgb(0, 0, 0);
    const int minCodeSize = r.Byte();
    if (minCodeSize < 1 || minCodeSize > 11) throw EInvalidGraphic("GIF LZW: invalid opcode.");
    std::vector<uint8_t> packed;
    r.SubBlocks(&packed);
    // One code of at least minCodeSize + 1 bits gives at most 4096 pixels: a picture larger than
    // its data could make is refused before it is allocated.
    if (uint64_t(w) * uint64_t(h) > (uint64_t(packed.size()) * 8 / uint64_t(minCodeSize + 1) + 1) * 4096) Invalid();
    std::vector<uint8_t> pixels(size_t(w) * size_t(h), 0);
    const uint8_t* source = packed.data();
    uint8_t* dest = pixels.data();
    TGIFLZWDecoder(minCodeSize).Decode(source, dest, packed.size(), pixels.size());  // short data leaves 0
    QImage image = NewBitmap(w, h, QImage::Format_Indexed8, r.size, "Invalid GIF image format.");
    image.setColorTable(table);
    // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th from 2,
    // every 2nd from 1.
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    int row = 0;
    for (int pass = 0; pass < ((imageFlags & 0x40) ? 4 : 1); ++pass) {
      const int start = (imageFlags & 0x40) ? kStart[pass] : 0, step = (imageFlags & 0x40) ? kStep[pass] : 1;
      for (int y = start; y < h; y += step, ++row)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(row) * size_t(w), size_t(w));
    }
    return image;
  }
}

}  // namespace sf
