#include "imaging/pnm.h"

#include <cstring>

#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid PBM, PGM or PPM image format."); }
[[noreturn]] void ReadError() { throw EInvalidGraphic("Read error!"); }

struct Reader {
  const uint8_t* p;
  size_t size, at = 0;

  void SkipSpace() {
    while (at < size) {
      if (p[at] == '#') {
        while (at < size && p[at] != '\n' && p[at] != '\r') ++at;
      } else if (p[at] == ' ' || p[at] == '\t' || p[at] == '\n' || p[at] == '\r' || p[at] == '\v' || p[at] == '\f') {
        ++at;
      } else {
        return;
      }
    }
  }
  // A decimal number of the header or of plain data; fails with `fail` when there is none.
  template <typename Fail>
  uint32_t Number(Fail fail, uint32_t limit) {
    SkipSpace();
    if (at >= size || p[at] < '0' || p[at] > '9') fail();
    uint64_t v = 0;
    while (at < size && p[at] >= '0' && p[at] <= '9') {
      v = v * 10 + uint64_t(p[at++] - '0');
      if (v > limit) fail();
    }
    return uint32_t(v);
  }
};

}  // namespace

QImage DecodePnm(const uint8_t* data, size_t size) {
  if (size < 2 || data[0] != 'P' || data[1] < '1' || data[1] > '6') Invalid();
  const int kind = data[1] - '0';
  Reader r{data, size, 2};
  const bool bitmap = kind == 1 || kind == 4, grey = kind == 2 || kind == 5, plain = kind <= 3;
  const uint32_t w = r.Number(Invalid, 16384), h = r.Number(Invalid, 16384);
  const uint32_t maxval = bitmap ? 1 : r.Number(Invalid, 65535);
  if (maxval == 0) Invalid();
  CheckPictureCost(int64_t(w), int64_t(h), size, "Invalid PBM, PGM or PPM image format.");
  if (!plain) {
    if (r.at >= size) ReadError();
    ++r.at;  // the one white-space character before the raster
  }
  const bool wide = maxval > 255;
  const int samples = bitmap || grey ? 1 : 3;
  // The raster must hold what the header promises before the bitmap is made (plain samples
  // take at least one character each, and all but bits a separator too).
  if (plain && size - r.at < uint64_t(w) * h * uint64_t(samples) * (bitmap ? 1 : 2) - (bitmap ? 0 : 1)) ReadError();
  if (!plain) {
    const uint64_t need = bitmap ? uint64_t((w + 7) / 8) * h : uint64_t(w) * h * uint64_t(samples) * (wide ? 2 : 1);
    if (size - r.at < need) ReadError();
  }
  QImage image = NewBitmap(int64_t(w), int64_t(h), bitmap ? QImage::Format_Mono : grey ? QImage::Format_Indexed8 : QImage::Format_RGB888,
                           size, "Invalid PBM, PGM or PPM image format.");
  if (bitmap) {
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  } else if (grey) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
    image.setColorTable(table);
  }
  auto scale = [&](uint32_t v) { return int((v > maxval ? maxval : v) * 255 / maxval); };
  auto sample = [&]() -> uint32_t {
    if (plain && bitmap) {  // plain bits need no separators
      r.SkipSpace();
      if (r.at >= size || (data[r.at] != '0' && data[r.at] != '1')) ReadError();
      return uint32_t(data[r.at++] - '0');
    }
    if (plain) return r.Number(ReadError, 65535);
    if (wide) {
      const uint32_t v = uint32_t(data[r.at]) << 8 | data[r.at + 1];
      r.at += 2;
      return v;
    }
    return data[r.at++];
  };
  // Raw samples of 8 bits: each level through a table, or, with a maximum of 255, the rows as
  // they are.
  uint8_t levels[256];
  for (uint32_t v = 0; v < 256; ++v) levels[v] = uint8_t(scale(v));
  const size_t lineSamples = size_t(w) * size_t(samples);
  if (!plain && !bitmap && !wide && maxval == 255 && size_t(image.bytesPerLine()) == lineSamples) {
    std::memcpy(image.bits(), data + r.at, lineSamples * h);  // rows without padding: one copy
    return image;
  }
  for (uint32_t y = 0; y < h; ++y) {
    uchar* line = image.scanLine(int(y));
    if (!plain && !bitmap && !wide) {
      if (maxval == 255) std::memcpy(line, data + r.at, lineSamples);
      else
        for (size_t i = 0; i < lineSamples; ++i) line[i] = levels[data[r.at + i]];
      r.at += lineSamples;
      continue;
    }
    if (bitmap && !plain) {
      std::memcpy(line, data + r.at, (w + 7) / 8);
      r.at += (w + 7) / 8;
      continue;
    }
    if (bitmap) {
      std::memset(line, 0, size_t(image.bytesPerLine()));
      for (uint32_t x = 0; x < w; ++x)
        if (sample()) line[x >> 3] |= uchar(0x80 >> (x & 7));
      continue;
    }
    if (grey) {
      for (uint32_t x = 0; x < w; ++x) line[x] = uchar(scale(sample()));
      continue;
    }
    for (size_t i = 0; i < lineSamples; ++i) line[i] = uchar(scale(sample()));
  }
  return image;
}

}  // namespace sf
