// Throughput of the authoring steps that copy a show's media, beside a plain copy of the same
// bytes, in one run.
//
//   bench_authoring [--benchmark_...]
//
// A 64 MiB medium packed behind a 1 MiB stand-in player; rehost moves that show's project behind
// another 1 MiB program, extract writes the medium and the manifest into a folder. The plain copy
// is std::filesystem::copy_file of the medium. All work on files the page cache holds.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>

#include "authoring/manifest.h"
#include "authoring/pack.h"
#include "authoring/showfile.h"
#include "platform/tempdir.h"

namespace {

constexpr int64_t kMedium = 64 << 20;

struct Files {
  std::string dir, medium, player, other, show;
  sf::TShowDocument document;
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
    other = dir + "/other";
    std::ofstream(other, std::ios::binary) << std::string((1 << 20) + 4096, 'O');
    const std::string manifest = dir + "/manifest.json";
    std::ofstream(manifest) << R"({"header": {"ProjectName": "Bench.scr"}, "slides": [{"file": "medium.jpg"}]})";
    show = dir + "/show.scr";
    if (!sf::ReadManifest(QString::fromStdString(manifest), document).Ok() ||
        !sf::Pack(document, QString::fromStdString(player), QString::fromStdString(show)).Ok())
      std::abort();
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
  const QString player = QString::fromStdString(F().player), out = QString::fromStdString(F().dir + "/again.scr");
  for (auto _ : state)
    if (!sf::Pack(F().document, player, out).Ok()) state.SkipWithError("pack failed");
  state.SetBytesProcessed(state.iterations() * kMedium);
}

void BM_Rehost(benchmark::State& state) {
  const QString show = QString::fromStdString(F().show), other = QString::fromStdString(F().other),
                out = QString::fromStdString(F().dir + "/moved.scr");
  for (auto _ : state)
    if (!sf::Rehost(show, other, out).Ok()) state.SkipWithError("rehost failed");
  state.SetBytesProcessed(state.iterations() * kMedium);
}

void BM_Extract(benchmark::State& state) {
  const QString show = QString::fromStdString(F().show), out = QString::fromStdString(F().dir + "/extracted");
  for (auto _ : state)
    if (!sf::Extract(show, out).Ok()) state.SkipWithError("extract failed");
  state.SetBytesProcessed(state.iterations() * kMedium);
}

BENCHMARK(BM_PlainFileCopy)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Rehost)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  F();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
