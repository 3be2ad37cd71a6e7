// The program's one pseudo-random generator.
//
// A 32-bit linear congruential generator (seed * 0x08088405 + 1, the value taken from the high
// half of seed * n), so that a run seeded with the same number repeats pixel for pixel.
#pragma once

#include <cstdint>

namespace sf {

void RandSeed(uint32_t seed);
uint32_t CurrentRandSeed();
void Randomize();  // seeds from the clock

// A uniform integer in 0 to n - 1; 0 when n is not positive.
int32_t Random(int32_t n);

}  // namespace sf
