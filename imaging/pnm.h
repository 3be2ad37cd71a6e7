// The portable bitmap, greymap and pixmap family (P1 to P6, plain and raw, 8 and 16 bits).
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// P1/P4 give a 1-bit bitmap (white 0, black 1), P2/P5 an 8-bit grey-indexed one, P3/P6 32-bit RGB.
// Samples are scaled as value * 255 / maxval. "Invalid PBM, PGM or PPM image format." for a bad
// header, "Read error!" when the data ends early.
QImage DecodePnm(const uint8_t* data, size_t size);

}  // namespace sf
