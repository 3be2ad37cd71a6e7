// ZSoft PCX pictures (and the SCR screens of the same layout).
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// 1, 2, 4 and 8 bits in one plane and 1 bit in 2 to 4 planes give an indexed bitmap (the
// header's 16-colour palette, or for 8 bits the 256-colour palette at the end of the file), 8 bits
// in 3 or 4 planes a 32-bit one (with alpha for 4). "Invalid PCX or SCR image format." for a bad
// header or short data, "Invalid color format." for another layout.
QImage DecodePcx(const uint8_t* data, size_t size);

}  // namespace sf
