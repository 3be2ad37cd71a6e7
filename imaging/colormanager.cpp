#include "imaging/colormanager.h"

#include <algorithm>
#include <cmath>

namespace sf {

QRgb CmykToRgb(int c, int m, int y, int k) {
  return qRgb((255 - c) * (255 - k) / 255, (255 - m) * (255 - k) / 255, (255 - y) * (255 - k) / 255);
}

QRgb LabToRgb(int l8, int a8, int b8) {
  const double L = l8 * 100.0 / 255.0, a = a8 - 128.0, b = b8 - 128.0;
  const double fy = (L + 16) / 116, fx = fy + a / 500, fz = fy - b / 200;
  auto f = [](double t) { return t > 6.0 / 29 ? t * t * t : 3 * (6.0 / 29) * (6.0 / 29) * (t - 4.0 / 29); };
  const double X = 0.9642 * f(fx), Y = f(fy), Z = 0.8249 * f(fz);
  // Bradford-adapted D50 XYZ to linear sRGB.
  const double r = 3.1339 * X - 1.6169 * Y - 0.4906 * Z, g = -0.9788 * X + 1.9161 * Y + 0.0335 * Z,
               bl = 0.0719 * X - 0.2290 * Y + 1.4052 * Z;
  auto encode = [](double v) {
    v = std::clamp(v, 0.0, 1.0);
    return int(std::lround(255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055)));
  };
  return qRgb(encode(r), encode(g), encode(bl));
}

QRgb PhotoYccToRgb(int y, int c1, int c2) {
  // Kodak's PhotoYCC: luma scaled by 1.3584, the chroma samples centred on 156 and 137.
  const double L = 1.3584 * y, C1 = 2.2179 * (c1 - 156), C2 = 1.8215 * (c2 - 137);
  auto clamp = [](double v) { return int(std::clamp(std::lround(v), 0L, 255L)); };
  return qRgb(clamp(L + C2), clamp(L - 0.194 * C1 - 0.509 * C2), clamp(L + C1));
}

namespace {

bool IsIndexed(TColorScheme s) { return s == TColorScheme::Indexed; }

int SchemeSamples(TColorScheme s) {
  switch (s) {
    case TColorScheme::Indexed:
    case TColorScheme::Grey: return 1;
    case TColorScheme::GreyAlpha: return 2;
    case TColorScheme::RGB:
    case TColorScheme::BGR:
    case TColorScheme::CIELab:
    case TColorScheme::PhotoYCC: return 3;
    default: return 4;
  }
}

bool HasAlpha(TColorScheme s) {
  return s == TColorScheme::GreyAlpha || s == TColorScheme::RGBA || s == TColorScheme::BGRA;
}

}  // namespace

void TColorManager::Check() const {
  const int b = sourceBitsPerSample;
  const bool sizeOk = b == 1 || b == 2 || b == 4 || b == 8 || b == 16;
  const bool targetOk = targetScheme == TColorScheme::Indexed || targetScheme == TColorScheme::BGR ||
                        targetScheme == TColorScheme::BGRA;
  // Indexed sources go to indexed targets only, and the other way round; packed samples below 8
  // bits are for one-sample pixels; a source must have the samples its layout names.
  if (!sizeOk || !targetOk || IsIndexed(sourceScheme) != IsIndexed(targetScheme) ||
      (b < 8 && sourceSamplesPerPixel != 1) || (IsIndexed(sourceScheme) && b == 16) ||
      sourceSamplesPerPixel < SchemeSamples(sourceScheme) || sourceSamplesPerPixel > 16)
    throw EColorConversionError();
}

QImage::Format TColorManager::TargetFormat() const {
  Check();
  switch (targetScheme) {
    case TColorScheme::Indexed: return QImage::Format_Indexed8;
    case TColorScheme::BGR: return QImage::Format_BGR888;
    default: return QImage::Format_ARGB32;
  }
}

QImage TColorManager::CreateBitmap(int64_t width, int64_t height, size_t dataSize, const QString& invalid) const {
  return NewBitmap(width, height, TargetFormat(), dataSize, invalid);
}

// Sample s of pixel x, narrowed to 8 bits (packed samples keep their value).
int TColorManager::Sample(const uint8_t* const* planes, int planeCount, int x, int s) const {
  const uint8_t* row = planeCount == 1 ? planes[0] : planes[s];
  const size_t i = planeCount == 1 ? size_t(x) * size_t(sourceSamplesPerPixel) + size_t(s) : size_t(x);
  switch (sourceBitsPerSample) {
    case 1: return (row[i >> 3] >> (7 - (i & 7))) & 1;
    case 2: return (row[i >> 2] >> (6 - 2 * (i & 3))) & 3;
    case 4: return (row[i >> 1] >> (i & 1 ? 0 : 4)) & 15;
    case 16: {
      const unsigned v = sourceBigEndian ? unsigned(row[2 * i]) << 8 | row[2 * i + 1] : unsigned(row[2 * i + 1]) << 8 | row[2 * i];
      return int(v * 255 / 65535);
    }
    default: return row[i];
  }
}

void TColorManager::ConvertRow(const uint8_t* const* planes, int planeCount, uchar* target, int width) const {
  Check();
  if (planeCount != 1 && planeCount != sourceSamplesPerPixel) throw EColorConversionError();
  if (targetScheme == TColorScheme::Indexed) {
    for (int x = 0; x < width; ++x) target[x] = uchar(Sample(planes, planeCount, x, 0));
    return;
  }
  const bool alphaOut = targetScheme == TColorScheme::BGRA;
  const int bits = sourceBitsPerSample, maxPacked = (1 << std::min(bits, 8)) - 1;
  auto colour = [&](int x, int s) {
    int v = Sample(planes, planeCount, x, s);
    if (bits < 8) v = v * 255 / maxPacked;  // packed grey levels spread over 0..255
    return gamma ? int(gamma[v]) : v;
  };
  for (int x = 0; x < width; ++x) {
    QRgb c;
    int a = 255;
    switch (sourceScheme) {
      case TColorScheme::Grey:
      case TColorScheme::GreyAlpha: {
        const int g = colour(x, 0);
        c = qRgb(g, g, g);
        break;
      }
      case TColorScheme::RGB:
      case TColorScheme::RGBA: c = qRgb(colour(x, 0), colour(x, 1), colour(x, 2)); break;
      case TColorScheme::BGR:
      case TColorScheme::BGRA: c = qRgb(colour(x, 2), colour(x, 1), colour(x, 0)); break;
      case TColorScheme::CMYK: c = CmykToRgb(colour(x, 0), colour(x, 1), colour(x, 2), colour(x, 3)); break;
      case TColorScheme::CIELab:
        c = LabToRgb(Sample(planes, planeCount, x, 0), Sample(planes, planeCount, x, 1), Sample(planes, planeCount, x, 2));
        break;
      default:  // Photo CD
        c = PhotoYccToRgb(Sample(planes, planeCount, x, 0), Sample(planes, planeCount, x, 1), Sample(planes, planeCount, x, 2));
    }
    if (HasAlpha(sourceScheme)) a = Sample(planes, planeCount, x, SchemeSamples(sourceScheme) - 1);
    uchar* p = target + size_t(x) * (alphaOut ? 4 : 3);
    p[0] = uchar(qBlue(c));
    p[1] = uchar(qGreen(c));
    p[2] = uchar(qRed(c));
    if (alphaOut) p[3] = uchar(a);
  }
}

void Unpremultiply(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int a = qAlpha(line[x]);
      if (a == 255) continue;
      auto div = [a](int c) { return a == 0 ? 0 : std::min(255, (c * 255 + a / 2) / a); };
      line[x] = qRgba(div(qRed(line[x])), div(qGreen(line[x])), div(qBlue(line[x])), a);
    }
  }
}

QList<QRgb> TColorManager::GreyPalette(int bits) {
  QList<QRgb> table;
  const int n = 1 << bits;
  for (int i = 0; i < n; ++i) {
    const int g = n == 1 ? 0 : i * 255 / (n - 1);
    table << qRgb(g, g, g);
  }
  return table;
}

QList<QRgb> TColorManager::FilePalette(const uint8_t* data, int count, int entryBytes, bool bgr) {
  QList<QRgb> table;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = data + size_t(i) * size_t(entryBytes);
    table << (bgr ? qRgb(e[2], e[1], e[0]) : qRgb(e[0], e[1], e[2]));
  }
  return table;
}

}  // namespace sf
