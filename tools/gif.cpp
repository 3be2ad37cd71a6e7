#include "tools/gif.h"

#include <unordered_map>
#include <vector>

namespace sf {
namespace {

void U16(QByteArray& b, int v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}

// The palette index of a colour: 6 levels of red, 7 of green, 6 of blue.
uint8_t CubeIndex(QRgb c) {
  const int r = (qRed(c) * 5 + 127) / 255, g = (qGreen(c) * 6 + 127) / 255, b = (qBlue(c) * 5 + 127) / 255;
  return uint8_t(r * 42 + g * 6 + b);
}

// LZW with 8-bit symbols, codes of 9 to 12 bits packed from the low bit, in sub-blocks.
QByteArray Lzw(const std::vector<uint8_t>& pixels) {
  constexpr int kClear = 256, kEnd = 257;
  QByteArray out;
  out.append(char(8));  // the minimum code size
  QByteArray block;
  uint32_t bits = 0;
  int nbits = 0, codeSize = 9, next = 258;
  auto putCode = [&](int code) {
    bits |= uint32_t(code) << nbits;
    nbits += codeSize;
    while (nbits >= 8) {
      block.append(char(bits & 0xFF));
      bits >>= 8;
      nbits -= 8;
      if (block.size() == 255) {
        out.append(char(255));
        out.append(block);
        block.clear();
      }
    }
  };
  std::unordered_map<uint32_t, int> dict;
  dict.reserve(8192);
  putCode(kClear);
  int prefix = -1;
  for (uint8_t p : pixels) {
    if (prefix < 0) {
      prefix = p;
      continue;
    }
    const uint32_t key = uint32_t(prefix) << 8 | p;
    auto it = dict.find(key);
    if (it != dict.end()) {
      prefix = it->second;
      continue;
    }
    putCode(prefix);
    if (next < 4096) {
      dict.emplace(key, next);
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
      ++next;
    } else {
      putCode(kClear);
      dict.clear();
      codeSize = 9;
      next = 258;
    }
    prefix = p;
  }
  if (prefix >= 0) putCode(prefix);
  putCode(kEnd);
  if (nbits > 0) block.append(char(bits & 0xFF));
  if (!block.isEmpty()) {
    out.append(char(block.size()));
    out.append(block);
  }
  out.append(char(0));
  return out;
}

}  // namespace

bool TGifWriter::Open(const QString& path, int width, int height) {
  file_.setFileName(path);
  ok_ = file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
  width_ = width;
  height_ = height;
  QByteArray h("GIF89a");
  U16(h, width);
  U16(h, height);
  h.append(char(0xF7));  // a global table of 256 colours
  h.append(char(0));
  h.append(char(0));
  for (int i = 0; i < 256; ++i) {
    const int r = i / 42, g = (i / 6) % 7, b = i % 6;
    const bool cube = i < 252;
    h.append(char(cube ? r * 255 / 5 : 0));
    h.append(char(cube ? g * 255 / 6 : 0));
    h.append(char(cube ? b * 255 / 5 : 0));
  }
  h.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);  // loop for ever
  Put(h);
  return ok_;
}

bool TGifWriter::AddFrame(const QImage& image, QRect area, int delayCs) {
  if (area.isEmpty()) area = image.rect();
  area &= QRect(0, 0, width_, height_);
  if (area.isEmpty()) area = QRect(0, 0, 1, 1);
  const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  QByteArray f("\x21\xF9\x04\x04", 4);  // graphic control: keep the frame under the next
  U16(f, delayCs);
  f.append(char(0));
  f.append(char(0));
  f.append(char(0x2C));
  U16(f, area.x());
  U16(f, area.y());
  U16(f, area.width());
  U16(f, area.height());
  f.append(char(0));
  std::vector<uint8_t> pixels;
  pixels.reserve(size_t(area.width()) * size_t(area.height()));
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) pixels.push_back(CubeIndex(line[x]));
  }
  f.append(Lzw(pixels));
  Put(f);
  return ok_;
}

bool TGifWriter::Close() {
  Put(QByteArray(1, char(0x3B)));
  file_.close();
  return ok_;
}

}  // namespace sf
