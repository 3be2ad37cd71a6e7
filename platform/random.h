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

// n draws of Random(range), range 1 to 256, from seed on, as bytes; returns the seed after the
// last. Consecutive seeds are worked out side by side (32, or 64 with AVX-512), so that the
// draws do not wait on one another: for loops that draw hundreds of thousands of them.
uint32_t RandomBytes(uint32_t seed, uint8_t* out, size_t n, uint32_t range);
// The same with at most the given vector instructions (those the processor lacks are left out):
// what a processor with less runs.
enum class TVectorUnit { None, Avx2, Avx512 };
uint32_t RandomBytesWith(TVectorUnit unit, uint32_t seed, uint8_t* out, size_t n, uint32_t range);

// The seed after `draws` draws from seed.
uint32_t SeedAfter(uint32_t seed, uint64_t draws);

}  // namespace sf
