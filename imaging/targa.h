// Truevision Targa pictures: colour-mapped, true-colour and grey, raw or run-length.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// Depth 8 gives an 8-bit indexed bitmap (its colour map, or grey levels), 15 and 16 a 32-bit
// bitmap (each 5-bit channel widened as v * 255 / 31, rounded, as the suite's references have
// them; a 15-bit bitmap would leave the widening to whoever draws it), 24 a 24-bit one and 32 a
// 32-bit one with alpha; grey with alpha (types 3 and 11 at
// depth 16) a 32-bit one. Rows stand as the descriptor's origin says. A picture whose data is
// shorter than its header promises raises "Invalid Targa image format.".
QImage DecodeTarga(const uint8_t* data, size_t size);

}  // namespace sf
