// Throughput of pack and of GetSlideData beside plain copies of the same bytes, in one run.
//
//   bench_media [--benchmark_...]
//
// A 64 MiB medium is packed into a show behind a small stand-in player; the plain copies are
// std::filesystem::copy_file of the medium (pack's counterpart) and reading the medium into
// memory (GetSlideData's counterpart). All work on files the page cache holds.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "container/projectinfo.h"
#include "platform/tempdir.h"
#include "tools/pack.h"

namespace {

constexpr int64_t kMedium = 64 << 20;

struct Files {
  std::string dir, medium, manifest, player, show;
  Files() {
    dir = sf::PrivateTempDir().toStdString() + "bench";
    std::filesystem::create_directories(dir);
    medium = dir + "/medium.jpg";
    std::string bytes(size_t(kMedium), '\0');
    uint32_t x = 12345;
    for (auto& c : bytes) c = char((x = x * 1103515245u + 12345u) >> 24);
    std::ofstream(medium, std::ios::binary) << bytes;
    player = dir + "/player";
    std::ofstream(player, std::ios::binary) << std::string(1 << 20, 'P');
    manifest = dir + "/manifest.json";
    std::ofstream(manifest) << R"({"header": {"ProjectName": "Bench.scr"}, "slides": [{"file": "medium.jpg"}]})";
    show = dir + "/show.scr";
    std::ostringstream out, err;
    sf::CmdPack({QString::fromStdString(manifest), "-o", QString::fromStdString(show), "--player",
                 QString::fromStdString(player)},
                out, err);
  }
};

Files& F() {
  static Files files;
  return files;
}

void BM_PlainFileCopy(benchmark::State& state) {
  const std::string target = F().dir + "/copy.jpg";
  for (auto _ : state)
    std::filesystem::copy_file(F().medium, target, std::filesystem::copy_options::overwrite_existing);
  state.SetBytesProcessed(state.iterations() * kMedium);
}

void BM_Pack(benchmark::State& state) {
  const QStringList args{QString::fromStdString(F().manifest), "-o", QString::fromStdString(F().dir + "/again.scr"),
                         "--player", QString::fromStdString(F().player)};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (sf::CmdPack(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  }
  state.SetBytesProcessed(state.iterations() * kMedium);
}

void BM_PlainReadToMemory(benchmark::State& state) {
  for (auto _ : state) {
    QFile f(QString::fromStdString(F().medium));
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * kMedium);
}

void BM_GetSlideData(benchmark::State& state) {
  sf::TProjectInfo project(QString::fromStdString(F().show));
  project.ReadHeader();
  sf::TRandom random;
  project.ReadSlides(random);
  QByteArray stream;
  int32_t code = 0;
  for (auto _ : state) {
    if (!project.GetSlideData(0, stream, code) || stream.size() != kMedium) state.SkipWithError("fetch failed");
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(state.iterations() * kMedium);
}

BENCHMARK(BM_PlainFileCopy)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_PlainReadToMemory)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_GetSlideData)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  F();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
