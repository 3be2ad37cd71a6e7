// Drawing one frame of a 1920 x 1080 flash stage, as the flash control paints it: 200 shapes of
// curves (solid fills, some translucent, linear and radial gradients, outlines), turned and
// spread over the stage; a stage-sized bitmap as ffmpeg's movies carry each frame; and a stage of
// titles: 50 text fields of HTML in an embedded font and 20 objects under filters (drop shadows,
// glows, blurs, a colour matrix; some by a blend mode). A 30 fps movie has 33.3 ms a frame.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "swf/player.h"
#include "tests/swf/samplemovies.h"

namespace {

constexpr int kW = 1920, kH = 1080;

std::shared_ptr<const sf::swf::TSwfMovie> Load(const std::string& bytes) {
  return sf::swf::TSwfMovie::Load(QByteArray::fromStdString(bytes));
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
  static const auto movie = Load(sftest::ShapesMovie(kW, kH, 200));
  DrawFrames(state, movie);
}
void StageBitmap(benchmark::State& state) {
  static const auto movie = Load(sftest::BitmapMovie(kW, kH));
  DrawFrames(state, movie);
}

void Titles50Filtered20(benchmark::State& state) {
  static const auto movie = Load(sftest::TitlesMovie(kW, kH, 50, 20));
  DrawFrames(state, movie);
}
// Reading such a movie: the font's glyphs and the fields laid out.
void LoadTitles50(benchmark::State& state) {
  static const std::string bytes = sftest::TitlesMovie(kW, kH, 50, 20);
  for (auto _ : state) benchmark::DoNotOptimize(Load(bytes));
}

}  // namespace

BENCHMARK(Shapes200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StageBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();
// The CPU time of every thread that draws: the frame's bands are drawn on up to four cores.
BENCHMARK(Titles50Filtered20)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(LoadTitles50)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
