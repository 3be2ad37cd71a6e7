// Decode throughput of our picture decoders against libpng, giflib and stb_image on the same
// files in the same run, in MB/s of decoded pixels (width x height x 3 bytes for every decoder).
// The pictures are made here: a 1920 x 1080 scene of gradients, edges and noise, like a photo
// with text on it, written as PNG (by Qt: RGB, RGBA with an alpha ramp, and 8-bit palette),
// GIF (by our effect writer), Targa raw and run-length, PSD raw and PackBits, and binary PPM.
// Every decoder gives its own natural result: libpng and ours the file's samples (a palette
// picture as its indices), stb_image its samples with a palette expanded to RGB.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>
#include <stb/stb_image.h>

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/gif.h"
#include "imaging/png.h"
#include "imaging/pnm.h"
#include "imaging/psd.h"
#include "imaging/targa.h"
#include "tools/gif.h"

namespace {

constexpr int kW = 1920, kH = 1080;

QImage Scene() {
  QImage image(kW, kH, QImage::Format_RGB888);
  uint32_t seed = 12345;
  for (int y = 0; y < kH; ++y) {
    uchar* p = image.scanLine(y);
    for (int x = 0; x < kW; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 29);  // 0..7: sensor noise
      p[3 * x] = uchar((x * 255 / kW + noise) & 0xFF);
      p[3 * x + 1] = uchar((y * 255 / kH + noise) & 0xFF);
      p[3 * x + 2] = uchar(((x / 120 + y / 120) % 2 ? 200 : 40) + noise);
    }
  }
  QPainter painter(&image);
  painter.setPen(Qt::white);
  painter.setFont(QFont("DejaVu Sans", 48));
  for (int i = 0; i < 8; ++i) painter.drawText(100, 120 + 120 * i, "ShowForge decoder benchmark");
  return image;
}

std::string Le16(int v) { return std::string{char(v), char(v >> 8)}; }
std::string Be16(int v) { return std::string{char(v >> 8), char(v)}; }
std::string Be32(uint32_t v) { return Be16(int(v >> 16)) + Be16(int(v & 0xFFFF)); }

std::string Targa(const QImage& img, bool rle) {
  std::string f(18, '\0');
  f[2] = char(rle ? 10 : 2);
  f.replace(12, 4, Le16(kW) + Le16(kH));
  f[16] = 24;
  f[17] = 0x20;  // top-left origin
  for (int y = 0; y < kH; ++y) {
    const uchar* p = img.constScanLine(y);
    std::string row;
    for (int x = 0; x < kW; ++x) row += std::string{char(p[3 * x + 2]), char(p[3 * x + 1]), char(p[3 * x])};
    if (!rle) {
      f += row;
      continue;
    }
    for (int x = 0; x < kW;) {  // runs of equal pixels, otherwise raw packets
      int run = 1;
      while (x + run < kW && run < 128 && row.compare(size_t(3 * (x + run)), 3, row, size_t(3 * x), 3) == 0) ++run;
      if (run > 1) {
        f += char(0x80 | (run - 1));
        f += row.substr(size_t(3 * x), 3);
      } else {
        int n = 1;
        while (x + n < kW && n < 128 && row.compare(size_t(3 * (x + n)), 3, row, size_t(3 * (x + n - 1)), 3) != 0) ++n;
        f += char(n - 1);
        f += row.substr(size_t(3 * x), size_t(3 * n));
        run = n;
      }
      x += run;
    }
  }
  return f;
}

std::string Psd(const QImage& img, bool rle) {
  std::string f = "8BPS" + Be16(1) + std::string(6, '\0') + Be16(3) + Be32(kH) + Be32(kW) + Be16(8) + Be16(3);
  f += Be32(0) + Be32(0) + Be32(0) + Be16(rle ? 1 : 0);
  std::string counts, data;
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < kH; ++y) {
      const uchar* p = img.constScanLine(y);
      std::string row;
      for (int x = 0; x < kW; ++x) row += char(p[3 * x + c]);
      if (!rle) {
        data += row;
        continue;
      }
      std::string packed;
      for (int x = 0; x < kW;) {
        int run = 1;
        while (x + run < kW && run < 128 && row[size_t(x + run)] == row[size_t(x)]) ++run;
        if (run > 2) {
          packed += char(1 - run);
          packed += row[size_t(x)];
          x += run;
        } else {
          int n = 1;
          while (x + n < kW && n < 128 && !(x + n + 2 < kW && row[size_t(x + n)] == row[size_t(x + n + 1)] && row[size_t(x + n)] == row[size_t(x + n + 2)])) ++n;
          packed += char(n - 1);
          packed += row.substr(size_t(x), size_t(n));
          x += n;
        }
      }
      counts += Be16(int(packed.size()));
      data += packed;
    }
  return f + counts + data;
}

std::string Ppm(const QImage& img) {
  std::string f = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
  for (int y = 0; y < kH; ++y) f.append(reinterpret_cast<const char*>(img.constScanLine(y)), size_t(kW) * 3);
  return f;
}

std::string Png(const QImage& img) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return bytes.toStdString();
}

// The scene with an alpha channel: a ramp across, with the scene's noise in it.
QImage SceneWithAlpha(const QImage& scene) {
  QImage image = scene.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < kH; ++y) {
    auto* p = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kW; ++x) p[x] = (p[x] & 0xFFFFFF) | uint32_t((x * 255 / kW) ^ (qRed(p[x]) & 7)) << 24;
  }
  return image;
}

std::string Gif(const QImage& img) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/scene.gif";
  sf::TGifWriter writer;
  writer.Open(path, kW, kH);
  writer.AddFrame(img.convertToFormat(QImage::Format_RGB32), QRect(), 0);
  writer.Close();
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll().toStdString();
}

struct TFiles {
  std::string png, pngRgba, pngPalette, gif, tgaRaw, tgaRle, psdRaw, psdRle, ppm;
};

const TFiles& Files() {
  static const TFiles files = [] {
    const QImage scene = Scene();
    return TFiles{Png(scene),          Png(SceneWithAlpha(scene)), Png(scene.convertToFormat(QImage::Format_Indexed8)),
                  Gif(scene),          Targa(scene, false),        Targa(scene, true),
                  Psd(scene, false),   Psd(scene, true),           Ppm(scene)};
  }();
  return files;
}

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

template <typename F>
void Run(benchmark::State& state, F decode) {
  for (auto _ : state) {
    if (!decode()) {
      state.SkipWithError("decode failed");
      return;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 3);
}

bool Ours(QImage (*decoder)(const uint8_t*, size_t), const std::string& file) {
  const QImage image = decoder(U(file), file.size());
  benchmark::DoNotOptimize(image.constBits());
  return image.width() == kW && image.height() == kH;
}

bool Stb(const std::string& file, int channels = 3) {
  int w, h, n;
  stbi_uc* p = stbi_load_from_memory(U(file), int(file.size()), &w, &h, &n, channels);
  benchmark::DoNotOptimize(p);
  stbi_image_free(p);
  return p != nullptr && w == kW && h == kH;
}

// libpng's row reader without transformations: the file's samples as they are.
bool LibPng(const std::string& file) {
  struct TSource {
    const std::string* file;
    size_t at;
  } source{&file, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::unique_ptr<png_byte[]> pixels;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
    auto* s = static_cast<TSource*>(png_get_io_ptr(p));
    if (n > s->file->size() - s->at) png_error(p, "the file ends early");
    std::memcpy(out, s->file->data() + s->at, n);
    s->at += n;
  });
  png_read_info(png, info);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const uint32_t height = png_get_image_height(png, info), width = png_get_image_width(png, info);
  pixels.reset(new png_byte[rowBytes * height]);
  rows.resize(height);
  for (uint32_t y = 0; y < height; ++y) rows[y] = pixels.get() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  benchmark::DoNotOptimize(pixels.get());
  return width == uint32_t(kW);
}

bool GifLib(const std::string& file) {
  struct TSource {
    const std::string* file;
    size_t at;
  } source{&file, 0};
  auto read = [](GifFileType* gif, GifByteType* out, int n) -> int {
    auto* s = static_cast<TSource*>(gif->UserData);
    const size_t take = std::min(size_t(n), s->file->size() - s->at);
    std::memcpy(out, s->file->data() + s->at, take);
    s->at += take;
    return int(take);
  };
  int error = 0;
  GifFileType* gif = DGifOpen(&source, read, &error);
  if (gif == nullptr) return false;
  const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
  benchmark::DoNotOptimize(gif->SavedImages);
  DGifCloseFile(gif, &error);
  return ok;
}

void PngOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePng, Files().png); }); }
void PngLibpng(benchmark::State& s) { Run(s, [] { return LibPng(Files().png); }); }
void PngStb(benchmark::State& s) { Run(s, [] { return Stb(Files().png); }); }
void PngRgbaOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePng, Files().pngRgba); }); }
void PngRgbaLibpng(benchmark::State& s) { Run(s, [] { return LibPng(Files().pngRgba); }); }
void PngRgbaStb(benchmark::State& s) { Run(s, [] { return Stb(Files().pngRgba, 4); }); }
void PngPaletteOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePng, Files().pngPalette); }); }
void PngPaletteLibpng(benchmark::State& s) { Run(s, [] { return LibPng(Files().pngPalette); }); }
void PngPaletteStb(benchmark::State& s) { Run(s, [] { return Stb(Files().pngPalette); }); }
void GifOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodeGif, Files().gif); }); }
void GifGiflib(benchmark::State& s) { Run(s, [] { return GifLib(Files().gif); }); }
void GifStb(benchmark::State& s) { Run(s, [] { return Stb(Files().gif); }); }
void TargaRawOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodeTarga, Files().tgaRaw); }); }
void TargaRawStb(benchmark::State& s) { Run(s, [] { return Stb(Files().tgaRaw); }); }
void TargaRleOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodeTarga, Files().tgaRle); }); }
void TargaRleStb(benchmark::State& s) { Run(s, [] { return Stb(Files().tgaRle); }); }
void PsdRawOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePsd, Files().psdRaw); }); }
void PsdRawStb(benchmark::State& s) { Run(s, [] { return Stb(Files().psdRaw); }); }
void PsdRleOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePsd, Files().psdRle); }); }
void PsdRleStb(benchmark::State& s) { Run(s, [] { return Stb(Files().psdRle); }); }
void PpmOurs(benchmark::State& s) { Run(s, [] { return Ours(sf::DecodePnm, Files().ppm); }); }
void PpmStb(benchmark::State& s) { Run(s, [] { return Stb(Files().ppm); }); }

}  // namespace

BENCHMARK(PngOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PngLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(PngStb)->Unit(benchmark::kMillisecond);
BENCHMARK(PngRgbaOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PngRgbaLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(PngRgbaStb)->Unit(benchmark::kMillisecond);
BENCHMARK(PngPaletteOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PngPaletteLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(PngPaletteStb)->Unit(benchmark::kMillisecond);
BENCHMARK(GifOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(GifGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(GifStb)->Unit(benchmark::kMillisecond);
BENCHMARK(TargaRawOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(TargaRawStb)->Unit(benchmark::kMillisecond);
BENCHMARK(TargaRleOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(TargaRleStb)->Unit(benchmark::kMillisecond);
BENCHMARK(PsdRawOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PsdRawStb)->Unit(benchmark::kMillisecond);
BENCHMARK(PsdRleOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PsdRleStb)->Unit(benchmark::kMillisecond);
BENCHMARK(PpmOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PpmStb)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // fonts for the scene
  benchmark::Initialize(&argc, argv);
  Files();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
