#include "imaging/pcx.h"

#include <vector>

#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid PCX or SCR image format."); }

int Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

}  // namespace

QImage DecodePcx(const uint8_t* data, size_t size) {
  if (size < 128 || (data[0] != 10 && data[0] != 205)) Invalid();
  const int encoding = data[2], bits = data[3], planes = data[65], bytesPerLine = Le16(data + 66);
  const int xmin = Le16(data + 4), ymin = Le16(data + 6), xmax = Le16(data + 8), ymax = Le16(data + 10);
  const int w = xmax - xmin + 1, h = ymax - ymin + 1;
  CheckPictureCost(w, h, size, "Invalid PCX or SCR image format.");
  const bool indexed = (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
                       (bits == 1 && planes >= 2 && planes <= 4);
  const bool rgb = bits == 8 && (planes == 3 || planes == 4);
  if (!indexed && !rgb) throw EInvalidGraphic("Invalid color format.");
  if (bytesPerLine == 0) Invalid();
  // A line shorter than its pixels (some writers get bytesPerLine wrong) leaves the pixels
  // beyond it at index 0 rather than refusing the whole picture.
  const int lineBits = bytesPerLine * 8;
  const size_t line = size_t(bytesPerLine) * size_t(planes);
  // The data must be able to hold the rows before they are made: a run byte pair gives at most
  // 63 bytes.
  if (uint64_t(line) * uint64_t(h) > uint64_t(size - 128) * (encoding == 1 ? 32 : 1)) Invalid();
  std::vector<uint8_t> raw(line * size_t(h));
  size_t at = 128;
  if (encoding == 1) {
    const uint8_t* source = data + at;
    uint8_t* dest = raw.data();
    if (!TPCXRLEDecoder().Decode(source, dest, size - at, raw.size())) Invalid();
  } else {
    if (size - at < raw.size()) Invalid();
    std::copy(data + at, data + at + raw.size(), raw.begin());
  }

  QImage image = NewBitmap(w, h, indexed ? QImage::Format_Indexed8 : planes == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                           size, "Invalid PCX or SCR image format.");
  if (indexed) {
    QList<QRgb> table;
    const int colours = 1 << (bits * planes);
    if (bits == 8) {
      // The 256-colour palette follows the marker 12 at the end of the file; grey levels without it.
      const bool palette = size >= 128 + 769 && data[size - 769] == 12;
      for (int i = 0; i < 256; ++i)
        table << (palette ? qRgb(data[size - 768 + 3 * i], data[size - 767 + 3 * i], data[size - 766 + 3 * i]) : qRgb(i, i, i));
    } else if (bits == 1 && planes == 1) {
      table << qRgb(0, 0, 0) << qRgb(255, 255, 255);
    } else {
      for (int i = 0; i < colours; ++i) table << qRgb(data[16 + 3 * i], data[17 + 3 * i], data[18 + 3 * i]);
    }
    while (table.size() < 256) table << qRgb(0, 0, 0);
    image.setColorTable(table);
  }
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = raw.data() + size_t(y) * line;
    uchar* out = image.scanLine(y);
    for (int x = 0; x < w; ++x) {
      if (rgb) {
        const bool in = x < bytesPerLine;
        const int r = in ? row[x] : 0, g = in ? row[bytesPerLine + x] : 0, b = in ? row[2 * bytesPerLine + x] : 0;
        reinterpret_cast<QRgb*>(out)[x] = qRgba(r, g, b, planes == 4 && in ? row[3 * bytesPerLine + x] : 255);
        continue;
      }
      int index = 0;
      if ((x + 1) * (planes == 1 ? bits : 1) > lineBits) {
        out[x] = 0;
        continue;
      }
      if (planes == 1) {
        const int perByte = 8 / bits;
        index = (row[x / perByte] >> (8 - bits - bits * (x % perByte))) & ((1 << bits) - 1);
      } else {
        for (int p = 0; p < planes; ++p) index |= ((row[size_t(p) * size_t(bytesPerLine) + size_t(x >> 3)] >> (7 - (x & 7))) & 1) << p;
      }
      out[x] = uchar(index);
    }
  }
  return image;
}

}  // namespace sf
