// Paint Shop Pro pictures of file versions 3 and 4: the first raster layer.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// 1, 4 and 8 bits give an 8-bit indexed bitmap with the file's palette (grey levels for a
// greyscale picture or one without a palette block), 24 bits a 24-bit bitmap. Channels are
// stored raw, run-length or zlib-packed. Messages: "Invalid PSP image format." (header text,
// blocks, layers, channels), "Unsupport image format!" (file version, JPEG channels),
// "Invalid color format." (bit depth).
QImage DecodePsp(const uint8_t* data, size_t size);

}  // namespace sf
