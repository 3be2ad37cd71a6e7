// The program's one pseudo-random generator.
//
// A 32-bit linear congruential generator (seed * 0x08088405 + 1, the value taken from the high
// half of seed * n), so that a run seeded with the same number repeats pixel for pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sf {

void RandSeed(uint32_t seed);
uint32_t CurrentRandSeed();
void Randomize();  // seeds from the clock

// A uniform integer in 0 to n - 1; 0 when n is not positive.
int32_t Random(int32_t n);

// Draws on a copy of the generator's seed, handed back when the run ends: the same numbers, in
// the same order, as calling Random, for loops that draw hundreds of thousands of them. The
// seeds are worked out ahead in batches along 64 interleaved chains, so that the draws do not
// wait on one another. Nothing else may draw while a run is open.
class TRandomRun {
 public:
  TRandomRun() : first_(CurrentRandSeed()) {}
  ~TRandomRun() { RandSeed(filled_ ? seeds_[next_ - 1] : first_); }
  TRandomRun(const TRandomRun&) = delete;
  TRandomRun& operator=(const TRandomRun&) = delete;
  int32_t operator()(int32_t n) {
    if (next_ == kBatch) Refill();
    const uint32_t seed = seeds_[next_++];
    return n <= 0 ? 0 : int32_t((uint64_t(seed) * uint64_t(uint32_t(n))) >> 32);
  }

 private:
  // 64 chains: each step of a chain waits on the multiply before it, and 64 of them keep the
  // multiplier busy.
  static constexpr std::ptrdiff_t kBatch = 4096;
  static constexpr int kChains = 64;
  void Refill();
  uint32_t first_;  // the seed the run began with
  bool filled_ = false;
  // Of a type that no int32_t or uint32_t store can change, so that the place of the next draw
  // can stay in a register while the drawing loop stores its results.
  std::ptrdiff_t next_ = kBatch;
  uint32_t seeds_[kBatch];
};

}  // namespace sf
