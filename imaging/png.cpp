#include "imaging/png.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "imaging/decoders.h"
#include "imaging/graphic.h"
#include "imaging/pngfilter.h"
#include "platform/scratch.h"

namespace sf {
namespace {

const char kName[] = "PNG";

[[noreturn]] void Invalid() { throw EInvalidGraphic(QString("Invalid %1 image format.").arg(kName)); }
[[noreturn]] void LoadError() { throw EInvalidGraphic("Load image error!"); }

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

struct Header {
  uint32_t width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  int channels = 0;  // samples per pixel
};

int Channels(int colorType) {
  switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

bool Allowed(int colorType, int depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

struct Picture {
  const Header& h;
  QImage image;
  std::array<QRgb, 256> palette{};
  int paletteSize = 0;
  bool hasKey = false;   // tRNS of grey or RGB: one colour is transparent
  uint16_t key[3] = {0, 0, 0};
  std::array<uint8_t, 256> paletteAlpha;

  explicit Picture(const Header& header) : h(header) { paletteAlpha.fill(255); }

  static int Sample(const uint8_t* row, uint32_t x, int depth) {
    switch (depth) {
      case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
      case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
      case 4: return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15;
      default: return row[x];
    }
  }

  // Writes the unfiltered row `row` of a pass as picture row y, pixel i at x0 + i * dx.
  void PutRow(const uint8_t* row, uint32_t y, uint32_t x0, uint32_t dx, uint32_t count) {
    const int d = h.depth;
    if (image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_RGBA8888) {
      // 8-bit RGB and RGBA rows are the bitmap's own byte order.
      const size_t n = image.format() == QImage::Format_RGB888 ? 3 : 4;
      uchar* out = image.scanLine(int(y)) + x0 * n;
      if (dx == 1) std::memcpy(out, row, count * n);
      else
        for (uint32_t i = 0; i < count; ++i) std::memcpy(out + i * dx * n, row + i * n, n);
      return;
    }
    if (image.format() == QImage::Format_Indexed8) {
      uchar* out = image.scanLine(int(y));
      const int scale = h.colorType == 0 ? 255 / ((1 << d) - 1) : 1;
      for (uint32_t i = 0; i < count; ++i) {
        const int s = d == 16 ? row[2 * i] * 256 + row[2 * i + 1] : Sample(row, i, d);
        out[x0 + i * dx] = uchar(d == 16 ? s * 255 / 65535 : h.colorType == 0 ? s * scale : s);
      }
      return;
    }
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
    auto s16 = [](const uint8_t* p) { return p[0] * 256 + p[1]; };
    auto to8 = [](int v) { return v * 255 / 65535; };
    for (uint32_t i = 0; i < count; ++i) {
      QRgb px = 0;
      if (h.colorType == 3) {
        const int s = Sample(row, i, d);
        px = s < paletteSize ? (palette[size_t(s)] & 0xFFFFFF) | uint32_t(paletteAlpha[size_t(s)]) << 24 : qRgba(0, 0, 0, 255);
      } else if (h.colorType == 0) {
        const int s = d == 16 ? s16(row + 2 * i) : Sample(row, i, d);
        const int g = d == 16 ? to8(s) : s * (255 / ((1 << d) - 1));
        px = qRgba(g, g, g, hasKey && s == key[0] ? 0 : 255);
      } else if (h.colorType == 2) {
        if (d == 8) {
          const uint8_t* p = row + 3 * i;
          px = qRgba(p[0], p[1], p[2], hasKey && p[0] == key[0] && p[1] == key[1] && p[2] == key[2] ? 0 : 255);
        } else {
          const uint8_t* p = row + 6 * i;
          const int r = s16(p), g = s16(p + 2), b = s16(p + 4);
          px = qRgba(to8(r), to8(g), to8(b), hasKey && r == key[0] && g == key[1] && b == key[2] ? 0 : 255);
        }
      } else if (h.colorType == 4) {
        px = d == 8 ? qRgba(row[2 * i], row[2 * i], row[2 * i], row[2 * i + 1])
                    : qRgba(to8(s16(row + 4 * i)), to8(s16(row + 4 * i)), to8(s16(row + 4 * i)), to8(s16(row + 4 * i + 2)));
      } else {
        const uint8_t* p = row + (d == 8 ? 4 : 8) * i;
        px = d == 8 ? qRgba(p[0], p[1], p[2], p[3]) : qRgba(to8(s16(p)), to8(s16(p + 2)), to8(s16(p + 4)), to8(s16(p + 6)));
      }
      out[x0 + i * dx] = px;
    }
  }
};

}  // namespace

QImage DecodePng(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) Invalid();
  Header h;
  bool haveHeader = false, haveData = false, ended = false;
  // Where the compressed stream lies: one IDAT chunk is read where it stands, several are joined.
  std::vector<std::pair<const uint8_t*, size_t>> idat;
  Picture pic(h);
  std::array<uint8_t, 256> trns{};
  size_t trnsSize = 0;
  size_t at = 8;
  while (!ended) {
    if (size - at < 12) LoadError();  // every chunk has a length, a type and a CRC
    const uint32_t length = Be32(data + at);
    if (length > 0x7FFFFFFFu || length > size - at - 12) LoadError();
    const uint8_t* type = data + at + 4;
    const uint8_t* body = type + 4;
    if (libdeflate_crc32(0, type, length + 4) != Be32(body + length)) LoadError();
    auto is = [&](const char* t) { return std::memcmp(type, t, 4) == 0; };
    if (!haveHeader && !is("IHDR")) LoadError();
    if (is("IHDR")) {
      if (haveHeader || length != 13) LoadError();
      h.width = Be32(body);
      h.height = Be32(body + 4);
      h.depth = body[8];
      h.colorType = body[9];
      h.interlace = body[12];
      if (h.width > 16384 || h.height > 16384) Invalid();
      CheckPictureCost(h.width, h.height, size, "Invalid PNG image format.");
      if (body[10] != 0) throw EInvalidGraphic("Unsupport image format!");
      if (!Allowed(h.colorType, h.depth)) throw EInvalidGraphic("Invalid color format.");
      if (body[11] != 0 || h.interlace > 1) LoadError();
      h.channels = Channels(h.colorType);
      haveHeader = true;
    } else if (is("PLTE")) {
      if (length % 3 != 0 || length / 3 > 256 || length == 0 || haveData) LoadError();
      pic.paletteSize = int(length / 3);
      for (int i = 0; i < pic.paletteSize; ++i) pic.palette[size_t(i)] = qRgb(body[3 * i], body[3 * i + 1], body[3 * i + 2]);
    } else if (is("tRNS")) {
      if (length > 256) LoadError();
      std::memcpy(trns.data(), body, length);
      trnsSize = length;
    } else if (is("IDAT")) {
      idat.emplace_back(body, length);
      haveData = true;
    } else if (is("IEND")) {
      ended = true;
    } else if ((type[0] & 0x20) == 0) {
      LoadError();  // a critical chunk this decoder does not know
    }
    at += size_t(length) + 12;
  }
  if (!haveData) LoadError();
  if (h.colorType == 3 && pic.paletteSize == 0) LoadError();
  // Transparency.
  if (h.colorType == 3) {
    for (size_t i = 0; i < trnsSize; ++i) pic.paletteAlpha[i] = trns[i];
  } else if (h.colorType == 0 && trnsSize >= 2) {
    pic.hasKey = true;
    pic.key[0] = uint16_t(trns[0] << 8 | trns[1]);
  } else if (h.colorType == 2 && trnsSize >= 6) {
    pic.hasKey = true;
    for (int c = 0; c < 3; ++c) pic.key[c] = uint16_t(trns[2 * c] << 8 | trns[2 * c + 1]);
  }
  const int bitsPerPixel = h.channels * h.depth;
  const int bpp = std::max(1, bitsPerPixel / 8);  // the filters' byte distance
  auto rowBytes = [&](uint32_t w) { return (size_t(w) * size_t(bitsPerPixel) + 7) / 8; };
  // The passes: all of the picture, or the seven of Adam7.
  struct Pass {
    uint32_t x0, y0, dx, dy;
  };
  static const Pass kAll[1] = {{0, 0, 1, 1}};
  static const Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const Pass* passes = h.interlace ? kAdam7 : kAll;
  const int passCount = h.interlace ? 7 : 1;
  size_t total = 0;
  for (int p = 0; p < passCount; ++p) {
    const uint32_t pw = (h.width - passes[p].x0 + passes[p].dx - 1) / passes[p].dx;
    const uint32_t ph = (h.height - passes[p].y0 + passes[p].dy - 1) / passes[p].dy;
    if (h.width > passes[p].x0 && h.height > passes[p].y0) total += (rowBytes(pw) + 1) * ph;
  }
  size_t packedSize = 0;
  for (const auto& chunk : idat) packedSize += chunk.second;
  // Deflate packs at most 1032 bytes into one: a header that promises more than the data can
  // hold is refused before anything is allocated for it.
  if (total / 1032 > packedSize + 64) LoadError();
  const bool alpha = h.colorType >= 4 || pic.hasKey || (h.colorType == 3 && trnsSize > 0);
  const bool indexed = !alpha && (h.colorType == 3 || h.colorType == 0);
  const bool plainRgb = h.depth == 8 && ((h.colorType == 2 && !pic.hasKey) || h.colorType == 6);
  pic.image = NewBitmap(h.width, h.height,
                        plainRgb  ? (h.colorType == 2 ? QImage::Format_RGB888 : QImage::Format_RGBA8888)
                        : indexed ? QImage::Format_Indexed8
                        : alpha   ? QImage::Format_ARGB32
                                  : QImage::Format_RGB32,
                        size, "Invalid PNG image format.");
  if (indexed) {
    QList<QRgb> table;
    if (h.colorType == 3) {
      for (int i = 0; i < 256; ++i) table << (i < pic.paletteSize ? pic.palette[size_t(i)] : qRgb(0, 0, 0));
    } else {
      for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
    }
    pic.image.setColorTable(table);
  }

  TScratch joined;
  const uint8_t* packed = idat.front().first;
  if (idat.size() > 1) {
    joined = TScratch(packedSize);
    if (joined.data() == nullptr) LoadError();
    size_t at = 0;
    for (const auto& [chunk, length] : idat) {
      std::memcpy(joined.data() + at, chunk, length);
      at += length;
    }
    packed = joined.data();
  }
  // The whole stream inflates in one call to exactly the size the header gives; short, damaged
  // or with data left over, it is refused.
  const TScratch raw(total);
  if (raw.data() == nullptr) LoadError();
  {
    TLZ77Decoder zlib(Z_FINISH);
    zlib.DecodeInit();
    const uint8_t* source = packed;
    uint8_t* dest = raw.data();
    if (!zlib.Decode(source, dest, packedSize, total)) LoadError();
    zlib.DecodeEnd();
  }
  // 8-bit rows whose bytes are the bitmap's own (RGB, RGBA, indices, grey levels on a grey ramp)
  // are unfiltered straight into the bitmap; the others into two row buffers that take turns,
  // each row then converted into the bitmap. The row above a row is where it was unfiltered to.
  const QImage::Format format = pic.image.format();
  const bool direct = !h.interlace && h.depth == 8 &&
                      (format == QImage::Format_RGB888 || format == QImage::Format_RGBA8888 || format == QImage::Format_Indexed8);
  const size_t widest = rowBytes(h.width);
  std::vector<uint8_t> rows(direct ? widest : 3 * widest);  // a row of zeros (above the first), two row buffers
  uchar* const bits = pic.image.bits();
  const size_t stride = size_t(pic.image.bytesPerLine());
  size_t offset = 0;
  for (int p = 0; p < passCount; ++p) {
    const Pass& s = passes[p];
    if (h.width <= s.x0 || h.height <= s.y0) continue;
    const uint32_t pw = (h.width - s.x0 + s.dx - 1) / s.dx, ph = (h.height - s.y0 + s.dy - 1) / s.dy;
    const size_t rb = rowBytes(pw);
    const uint8_t* prev = rows.data();
    for (uint32_t r = 0; r < ph; ++r) {
      const uint8_t* line = raw.data() + offset + r * (rb + 1);
      uint8_t* out = direct ? bits + r * stride : rows.data() + widest * (1 + (r & 1));
      if (!UnfilterRow(line[0], line + 1, out, prev, rb, size_t(bpp))) LoadError();
      if (!direct) pic.PutRow(out, s.y0 + r * s.dy, s.x0, s.dx, pw);
      prev = out;
    }
    offset += (rb + 1) * ph;
  }
  return pic.image;
}

}  // namespace sf
