#include "imaging/targa.h"

#include <QSysInfo>
#include <cstring>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid Targa image format."); }

int Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// 5-bit channels widened to 8 bits as v * 255 / 31, rounded.
int Widen5(int v) { return (v * 255 + 15) / 31; }
QRgb From555(int v) { return qRgb(Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31)); }

}  // namespace

QImage DecodeTarga(const uint8_t* p, size_t size) {
  if (size < 18) Invalid();
  const int idLength = p[0], mapType = p[1], type = p[2];
  const int mapFirst = Le16(p + 3), mapLength = Le16(p + 5), mapDepth = p[7];
  const int w = Le16(p + 12), h = Le16(p + 14), depth = p[16], descriptor = p[17];
  const bool rle = type >= 9, mapped = type == 1 || type == 9, grey = type == 3 || type == 11;
  if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) Invalid();
  CheckPictureCost(w, h, size, "Invalid Targa image format.");
  if (mapped ? depth != 8 : grey ? depth != 8 && depth != 16 : depth != 15 && depth != 16 && depth != 24 && depth != 32)
    Invalid();
  size_t at = 18 + size_t(idLength);
  // The colour map (also present, and passed over, in a true-colour picture that has one).
  QList<QRgb> palette;
  if (mapType == 1) {
    const int entry = (mapDepth + 7) / 8;
    if (entry < 2 || entry > 4 || size < at || size - at < size_t(mapLength) * size_t(entry)) Invalid();
    for (int i = 0; i < mapLength; ++i, at += size_t(entry)) {
      const uint8_t* e = p + at;
      palette << (entry == 2 ? From555(Le16(e)) : entry == 3 ? qRgb(e[2], e[1], e[0]) : qRgba(e[2], e[1], e[0], e[3]));
    }
  } else if (mapped) {
    Invalid();
  }
  if (at > size) Invalid();
  const int bytes = (depth + 7) / 8;
  // A run-length packet of two bytes and more gives at most 128 pixels.
  if (rle && uint64_t(w) * uint64_t(h) > uint64_t(size - at) / uint64_t(bytes + 1) * 128 + 128) Invalid();
  // Plain pixels are read where they lie; run-length ones are unpacked first.
  std::vector<uint8_t> unpacked;
  const uint8_t* pixels = p + at;
  if (rle) {
    unpacked.resize(size_t(w) * size_t(h) * size_t(bytes));
    const uint8_t* source = p + at;
    uint8_t* dest = unpacked.data();
    if (!TTargaRLEDecoder(depth).Decode(source, dest, size - at, unpacked.size())) Invalid();
    pixels = unpacked.data();
  } else if ((size - at) / size_t(bytes) / size_t(w) < size_t(h)) {
    Invalid();
  }

  const bool greyAlpha = grey && depth == 16;
  const QImage::Format format = depth == 8 ? QImage::Format_Indexed8
                                : greyAlpha || depth == 32 ? QImage::Format_ARGB32
                                : depth == 24 ? QImage::Format_BGR888
                                              : QImage::Format_RGB32;
  QImage image = NewBitmap(w, h, format, size, "Invalid Targa image format.");
  if (depth == 8) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) {
      const int k = i - mapFirst;  // map entries are numbered from the map's first index
      table << (grey ? qRgb(i, i, i) : k >= 0 && k < palette.size() ? palette[k] : qRgb(0, 0, 0));
    }
    image.setColorTable(table);
  }
  const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = pixels + size_t(topDown ? y : h - 1 - y) * size_t(w) * size_t(bytes);
    uchar* line = image.scanLine(y);
    // Indexed, B-G-R and B-G-R-A rows left to right are the bitmap's own bytes.
    if (!rightToLeft && (format == QImage::Format_Indexed8 || format == QImage::Format_BGR888 ||
                         (format == QImage::Format_ARGB32 && !greyAlpha && QSysInfo::ByteOrder == QSysInfo::LittleEndian))) {
      std::memcpy(line, src, size_t(w) * size_t(bytes));
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = src + size_t(rightToLeft ? w - 1 - x : x) * size_t(bytes);
      switch (format) {
        case QImage::Format_Indexed8: line[x] = s[0]; break;
        case QImage::Format_BGR888: std::memcpy(line + 3 * x, s, 3); break;  // B, G, R as the file has them
        case QImage::Format_RGB32: reinterpret_cast<QRgb*>(line)[x] = From555(Le16(s)); break;
        default:
          reinterpret_cast<QRgb*>(line)[x] = greyAlpha ? qRgba(s[0], s[0], s[0], s[1]) : qRgba(s[2], s[1], s[0], s[3]);
      }
    }
  }
  return image;
}

}  // namespace sf
