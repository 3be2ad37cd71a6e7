// The program's pseudo-random generator.
//
// A 32-bit linear congruential generator (seed * 0x08088405 + 1, the value taken from the high
// half of seed * n), so that a run seeded with the same number repeats pixel for pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sf {

// One generator. There is none for the whole process: a show's screen owns one (its slide cycle,
// its slide preparation, its music and its transitions draw from it), and each effect preview,
// the tool's commands and the tests own and seed theirs.
class TRandom {
 public:
  explicit TRandom(uint32_t seed = 0) : seed_(seed) {}
  void Seed(uint32_t seed) { seed_ = seed; }
  uint32_t CurrentSeed() const { return seed_; }
  void Randomize();  // seeds from the clock
  // A uniform integer in 0 to n - 1; 0 when n is not positive. The generator steps either way.
  int32_t Random(int32_t n) {
    seed_ = seed_ * 0x08088405u + 1u;
    if (n <= 0) return 0;
    return int32_t((uint64_t(seed_) * uint64_t(uint32_t(n))) >> 32);
  }

 private:
  uint32_t seed_;
};

// n draws of Random(range), range 1 to 256, from seed on, as bytes; returns the seed after the
// last. With the vector instructions the process's fast paths allow. Consecutive seeds are worked out side by side (32, or 64 with AVX-512), so that the
// draws do not wait on one another: for loops that draw hundreds of thousands of them.
uint32_t RandomBytes(uint32_t seed, uint8_t* out, size_t n, uint32_t range);
// The same with at most the given vector instructions (those the processor lacks are left out):
// what a processor with less runs.
enum class TVectorUnit { None, Avx2, Avx512 };

// The fast paths the program may take, read once from the environment at their first use:
// SHOWFORGE_SIMD=portable leaves the vector instructions out, SHOWFORGE_THREADS=1 the work done
// ahead on another core. What they give is the same either way; tests choose them per object.
struct TFastPaths {
  TVectorUnit vectors = TVectorUnit::Avx512;  // at most these: those the processor lacks are left out
  bool threads = true;

  static const TFastPaths& Process();
};
uint32_t RandomBytesWith(TVectorUnit unit, uint32_t seed, uint8_t* out, size_t n, uint32_t range);

// The seed after `draws` draws from seed.
uint32_t SeedAfter(uint32_t seed, uint64_t draws);

}  // namespace sf
