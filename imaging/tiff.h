// TIFF pictures through libtiff: the first image, whatever its layout and compression.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// A 32-bit bitmap, with alpha when the picture has an alpha channel. "Invalid TIFF image
// format." for anything libtiff cannot read.
QImage DecodeTiff(const uint8_t* data, size_t size);

}  // namespace sf
