// Wavefront RLA / RPF pictures: the colour channels and the first matte as 24- or 32-bit.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// A colour channel description other than "rgb" or "xyz" raises "Invalid color format."; a bad
// header, offset table or scanline raises "Invalid RLA image format.". Channels of up to 16 bits
// are scaled to 8; the first scanline is the picture's bottom row.
QImage DecodeRla(const uint8_t* data, size_t size);

}  // namespace sf
