// Drawing one frame of a 1920 x 1080 flash stage, as the flash control paints it: 200 shapes of
// curves (solid fills, some translucent, linear and radial gradients, outlines), turned and
// spread over the stage; and a stage-sized bitmap as ffmpeg's movies carry each frame. A 30 fps
// movie has 33.3 ms a frame.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "swf/player.h"
#include "tests/swf/swfwriter.h"

namespace {

using sftest::TBits;
using sftest::TShapeRecords;

constexpr int kW = 1920, kH = 1080;

std::string GradientFill(int type, uint32_t a, uint32_t b, int radius) {
  TBits g;
  g.U8(type);
  g.Matrix(radius * 2.0 / 32768, radius * 2.0 / 32768, 0, 0, 0, 0);
  g.UB(0, 2), g.UB(0, 2), g.UB(2, 4);
  g.U8(0), g.Rgba(a, 255), g.U8(255), g.Rgba(b, 255);
  return g.Data();
}

std::string SolidRgba(uint32_t rgb, int alpha) {
  TBits b;
  b.U8(0);
  b.Rgba(rgb, alpha);
  return b.Data();
}

std::string LineRgba(int width, uint32_t rgb) {
  TBits b;
  b.U16(width);
  b.Rgba(rgb, 255);
  return b.Data();
}

// 200 blobs of eight curves, radius 40 to 120 pixels, about their origins (DefineShape3: colours
// with alpha); each placed once, turned, over the stage.
std::shared_ptr<const sf::swf::TSwfMovie> ShapesMovie() {
  std::string tags = sftest::Background(0x202830);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
  for (int id = 1; id <= 200; ++id) {
    const int r = 800 + int(next() % 1600);  // twips
    const uint32_t c1 = next() << 8 ^ next(), c2 = next() << 8 ^ next();
    std::string fill;
    switch (id % 4) {
      case 0: fill = SolidRgba(c1 & 0xFFFFFF, 255); break;
      case 1: fill = SolidRgba(c1 & 0xFFFFFF, 128); break;
      case 2: fill = GradientFill(0x10, c1 & 0xFFFFFF, c2 & 0xFFFFFF, r); break;
      default: fill = GradientFill(0x12, c1 & 0xFFFFFF, c2 & 0xFFFFFF, r); break;
    }
    const bool outlined = id % 3 == 0;
    TShapeRecords rec(1, 1);
    rec.Style(0, 1, outlined ? 1 : 0, true, r, 0);
    for (int k = 0; k < 8; ++k) {
      const double a0 = k * M_PI / 4, a1 = (k + 0.5) * M_PI / 4, a2 = (k + 1) * M_PI / 4;
      const double bulge = k % 2 ? 1.25 : 0.8;
      const int x0 = int(r * std::cos(a0)), y0 = int(r * std::sin(a0));
      const int cx = int(r * bulge * std::cos(a1)), cy = int(r * bulge * std::sin(a1));
      const int x2 = int(r * std::cos(a2)), y2 = int(r * std::sin(a2));
      rec.Curve(cx - x0, cy - y0, x2 - cx, y2 - cy);
    }
    const std::string styles =
        sftest::Styles({fill}, outlined ? std::vector<std::string>{LineRgba(60, 0xF0F0F0)} : std::vector<std::string>{});
    TBits shape;
    shape.U16(id);
    shape.Rect(-2 * r, 2 * r, -2 * r, 2 * r);
    shape.Bytes(styles);
    shape.UB(1, 4), shape.UB(1, 4);
    shape.Bytes(rec.End());
    tags += sftest::Tag(32, shape.Data(), true);
    TBits place;
    place.U8(0x06);
    place.U16(id), place.U16(id);
    const double turn = (next() % 360) * M_PI / 180;
    place.Matrix(std::cos(turn), std::cos(turn), std::sin(turn), -std::sin(turn), int(next() % (kW * 20)),
                 int(next() % (kH * 20)));
    tags += sftest::Tag(26, place.Data());
  }
  tags += sftest::ShowFrame();
  return sf::swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(kW, kH, 30, 1, tags, 'F')));
}

// One JPEG of the stage's size filling the stage, as ffmpeg's movies draw a frame.
std::shared_ptr<const sf::swf::TSwfMovie> BitmapMovie() {
  QImage photo(kW, kH, QImage::Format_RGB32);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) photo.setPixel(x, y, qRgb(x * 255 / kW, y * 255 / kH, (x ^ y) & 0xFF));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  photo.save(&buffer, "JPG", 85);
  TBits bits;
  bits.U16(1);
  bits.Bytes(jpeg.toStdString());
  TBits fill;
  fill.U8(0x41), fill.U16(1), fill.Matrix(20, 20, 0, 0, 0, 0);
  const std::string tags = sftest::Tag(21, bits.Data(), true) +
                           sftest::DefineShape(1, 2, kW * 20, kH * 20, sftest::Styles({fill.Data()}, {}), 1, 0,
                                               TShapeRecords(1, 0).Box(0, 0, kW * 20, kH * 20, 0, 1, -1).End()) +
                           sftest::Place(1, 2, 0, 0) + sftest::ShowFrame();
  return sf::swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(kW, kH, 30, 1, tags, 'F')));
}

// What the control does for a frame at a stage-sized view: the background, then the display list.
void DrawFrames(benchmark::State& state, const std::shared_ptr<const sf::swf::TSwfMovie>& movie) {
  sf::swf::TSwfPlayer player(movie);
  QImage view(kW, kH, QImage::Format_RGB32);
  const QTransform toDevice = sf::swf::StageTransform(movie->stage, view.size(), 0, 0);
  for (auto _ : state) {
    view.fill(movie->background);
    sf::swf::Render(view, player, toDevice, view.rect());
    benchmark::DoNotOptimize(view.constBits());
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void Shapes200(benchmark::State& state) {
  static const auto movie = ShapesMovie();
  DrawFrames(state, movie);
}
void StageBitmap(benchmark::State& state) {
  static const auto movie = BitmapMovie();
  DrawFrames(state, movie);
}

}  // namespace

BENCHMARK(Shapes200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StageBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
