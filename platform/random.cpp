#include "platform/random.h"

#include <chrono>

namespace sf {
namespace {
uint32_t g_seed = 0;
}

void RandSeed(uint32_t seed) { g_seed = seed; }
uint32_t CurrentRandSeed() { return g_seed; }

void Randomize() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  auto wall = std::chrono::system_clock::now().time_since_epoch();
  g_seed = uint32_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) ^
           uint32_t(std::chrono::duration_cast<std::chrono::microseconds>(wall).count());
}

int32_t Random(int32_t n) {
  g_seed = g_seed * 0x08088405u + 1u;
  if (n <= 0) return 0;
  return int32_t((uint64_t(g_seed) * uint64_t(uint32_t(n))) >> 32);
}

void TRandomRun::Refill() {
  // Seed k + 64 from seed k: the step applied 64 times, itself a step of the same form.
  uint32_t aN = 1, cN = 0;
  for (int i = 0; i < kChains; ++i) aN *= 0x08088405u, cN = cN * 0x08088405u + 1u;
  // The seed after the last draw taken: the batch's last, or the run's first.
  uint32_t s = filled_ ? seeds_[kBatch - 1] : first_;
  filled_ = true;
  uint32_t chain[kChains];
  for (int i = 0; i < kChains; ++i) chain[i] = s = s * 0x08088405u + 1u;
  for (std::ptrdiff_t k = 0; k < kBatch; k += kChains)
    for (int i = 0; i < kChains; ++i) {
      seeds_[k + i] = chain[i];
      chain[i] = chain[i] * aN + cN;
    }
  next_ = 0;
}

}  // namespace sf
