// The mean time of one tick of each built effect over a whole transition at 1920 x 1080,
// speed 25, beside "frame copy": one copy of a whole 1920 x 1080 bitmap onto the target through
// the canvas. Each benchmark's time is per tick (manual timing: a whole transition's time
// divided by its ticks).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <chrono>
#include <string>

#include "platform/random.h"
#include "tools/effectcmd.h"
#include "transitions/engine.h"

namespace {

constexpr int kW = 1920, kH = 1080;

struct Pictures {
  QImage newPic = sf::MakeNewPicture(kW, kH);
  QImage old = sf::MakeOldPicture(kW, kH);
  QImage target = old.copy();
};

Pictures& P() {
  static Pictures p;
  return p;
}

void FrameCopy(benchmark::State& state) {
  sf::TCanvas canvas(P().target);
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    canvas.CopyRect(sf::ltrb(0, 0, kW, kH), P().newPic, sf::ltrb(0, 0, kW, kH));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
}

void Effect(benchmark::State& state, int index) {
  int64_t ticks = 0;
  for (auto _ : state) {
    P().target = P().old.copy();
    sf::TCanvas canvas(P().target);
    sf::TRandom random(1);
    sf::TTransitionEngine engine(random);
    const auto t0 = std::chrono::steady_clock::now();
    engine.Start(index, canvas, P().newPic, P().old, 0, 0, 25);
    int n = 1;
    while (!engine.Step()) ++n;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(seconds / n);
    ticks = n;
  }
  state.counters["ticks"] = double(ticks);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  benchmark::RegisterBenchmark("frame copy", FrameCopy)->UseManualTime()->Unit(benchmark::kMicrosecond);
  for (int i = 0; i < sf::kEffectCount; ++i) {
    const sf::TEffectInfo& e = sf::EffectTable()[size_t(i)];
    if (!e.Built()) continue;
    benchmark::RegisterBenchmark(("effect " + std::to_string(i) + " " + e.name).c_str(), Effect, i)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(3);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
