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

}  // namespace sf
