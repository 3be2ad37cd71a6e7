// The movie's bitmaps: DefineBits with the movie's JPEGTables, DefineBitsJPEG 2 to 4 (JPEG with
// an alpha plane, or PNG and GIF), DefineBitsLossless 1 and 2 (a colour map of 256 entries at
// most, 15-bit and 32-bit pixels). Every bitmap comes out as 32-bit premultiplied ARGB.
#include <algorithm>
#include <zlib.h>

#include "imaging/gif.h"
#include "imaging/graphic.h"
#include "imaging/jpeg.h"
#include "imaging/png.h"
#include "swf/parse.h"

namespace sf::swf {
namespace {

constexpr int kMaxSide = 16384;

// JPEG data as the movie stores it: writers put an end-of-image and a start-of-image marker
// before it, and tables and image as two streams one after the other. One stream remains.
QByteArray OneJpegStream(QByteArray data) {
  static const QByteArray kBreak("\xFF\xD9\xFF\xD8", 4);
  if (data.startsWith(kBreak)) data.remove(0, 4);
  for (qsizetype at; (at = data.indexOf(kBreak)) >= 0;) data.remove(at, 4);
  return data;
}

QImage Decoded(const QByteArray& data) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
  const size_t n = size_t(data.size());
  QImage image;
  try {
    if (data.startsWith("\x89PNG")) image = DecodePng(p, n);
    else if (data.startsWith("GIF8")) image = DecodeGif(p, n);
    else image = DecodeJpeg(p, n);
  } catch (const EInvalidGraphic& e) {
    Fail(std::string("a bitmap cannot be decoded: ") + e.what());
  }
  if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide) Fail("a bitmap cannot be decoded");
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Inflates exactly `expected` bytes; fewer is a damaged bitmap.
QByteArray Inflate(const uint8_t* data, size_t size, size_t expected) {
  QByteArray out;
  out.resize(qsizetype(expected));
  uLongf produced = uLongf(expected);
  const int result = uncompress(reinterpret_cast<Bytef*>(out.data()), &produced, data, uLong(size));
  if ((result != Z_OK && result != Z_BUF_ERROR) || produced != expected) Fail("a bitmap's zlib data is damaged");
  return out;
}

// The alpha plane of a JPEG: one byte a pixel, straight (the colour is not multiplied by it).
QImage WithAlpha(QImage image, const uint8_t* alpha, size_t size) {
  if (size == 0) return image;
  const QByteArray plane = Inflate(alpha, size, size_t(image.width()) * size_t(image.height()));
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const auto* a = reinterpret_cast<const uint8_t*>(plane.constData()) + size_t(y) * size_t(image.width());
    for (int x = 0; x < image.width(); ++x) line[x] = (line[x] & 0xFFFFFF) | uint32_t(a[x]) << 24;
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QRgb Premultiplied(int r, int g, int b, int a) {
  // Stored premultiplied; a colour above its alpha is not a premultiplied colour: held to it.
  return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
}

QImage Lossless(TReader& r, bool alpha, size_t tagSize) {
  const uint8_t format = r.U8();
  const int w = r.U16(), h = r.U16();
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) Fail("a bitmap's size is out of range");
  try {
    CheckPictureCost(w, h, tagSize, "too large");
  } catch (const EInvalidGraphic&) {
    Fail("a bitmap promises more than its data holds");
  }
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) Fail("a bitmap is too large");
  switch (format) {
    case 3: {
      const size_t colours = size_t(r.U8()) + 1, entry = alpha ? 4 : 3, stride = (size_t(w) + 3) / 4 * 4;
      const QByteArray data = Inflate(r.Here(), r.Left(), colours * entry + stride * size_t(h));
      const auto* table = reinterpret_cast<const uint8_t*>(data.constData());
      QRgb palette[256] = {};
      for (size_t i = 0; i < colours; ++i) {
        const uint8_t* c = table + i * entry;
        palette[i] = alpha ? Premultiplied(c[0], c[1], c[2], c[3]) : qRgb(c[0], c[1], c[2]);
      }
      for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8_t* index = table + colours * entry + size_t(y) * stride;
        for (int x = 0; x < w; ++x) line[x] = palette[index[x]];
      }
      break;
    }
    case 4: {
      if (alpha) Fail("15-bit bitmaps have no alpha");
      const size_t stride = (size_t(w) * 2 + 3) / 4 * 4;
      const QByteArray data = Inflate(r.Here(), r.Left(), stride * size_t(h));
      auto widen = [](int v) { return (v << 3) | (v >> 2); };
      for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + size_t(y) * stride;
        for (int x = 0; x < w; ++x) {
          const int v = p[2 * x] << 8 | p[2 * x + 1];  // 0RRRRRGG GGGBBBBB
          line[x] = qRgb(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
        }
      }
      break;
    }
    case 5: {
      const QByteArray data = Inflate(r.Here(), r.Left(), size_t(w) * size_t(h) * 4);
      for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x, p += 4)
          line[x] = alpha ? Premultiplied(p[1], p[2], p[3], p[0]) : qRgb(p[1], p[2], p[3]);
      }
      break;
    }
    default: Fail("an unknown bitmap format");
  }
  return image;
}

}  // namespace

bool Opaque(const QImage& bitmap) {
  if (bitmap.isNull() || bitmap.format() != QImage::Format_ARGB32_Premultiplied) return false;
  for (int y = 0; y < bitmap.height(); ++y) {
    const auto* line = reinterpret_cast<const uint32_t*>(bitmap.constScanLine(y));
    uint32_t all = 0xFF000000u;
    for (int x = 0; x < bitmap.width(); ++x) all &= line[x];
    if ((all >> 24) != 0xFF) return false;
  }
  return true;
}

QImage ReadBitmap(TReader& r, int tag, const QByteArray& jpegTables) {
  const size_t tagSize = r.Left() + 2;
  auto rest = [&r] { return QByteArray(reinterpret_cast<const char*>(r.Here()), qsizetype(r.Left())); };
  switch (tag) {
    case 6:  // DefineBits: the image's half of a JPEG whose tables the movie gave once
      return Decoded(OneJpegStream(jpegTables + rest()));
    case 21: {  // DefineBitsJPEG2: a whole JPEG, or a PNG or GIF
      const QByteArray data = rest();
      return Decoded(data.startsWith("\x89PNG") || data.startsWith("GIF8") ? data : OneJpegStream(data));
    }
    case 35: case 90: {  // DefineBitsJPEG3 and 4: the image, then its alpha plane
      const uint32_t offset = r.U32();
      if (tag == 90) r.U16();  // the deblocking strength
      if (offset > r.Left()) Fail("a bitmap's alpha lies past its record");
      const QByteArray data(reinterpret_cast<const char*>(r.Here()), qsizetype(offset));
      r.Skip(offset);
      const bool jpeg = !data.startsWith("\x89PNG") && !data.startsWith("GIF8");
      const QImage image = Decoded(jpeg ? OneJpegStream(data) : data);
      return jpeg ? WithAlpha(image, r.Here(), r.Left()) : image;
    }
    default:  // DefineBitsLossless (20) and DefineBitsLossless2 (36)
      return Lossless(r, tag == 36, tagSize);
  }
}

}  // namespace sf::swf
