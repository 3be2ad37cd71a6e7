// Dr. Halo CUT pictures: 8-bit indexed, with the palette of the .pal file beside them.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// `palette` is the content of the matching .pal file, or null: a picture loaded from a stream (as
// slides are) gets a grey palette with entry i = grey level i. A bad header or rows shorter
// than the data can hold raise "Invalid CUT image format."; a palette file that is not Dr. Halo's
// is passed over (grey levels).
QImage DecodeCut(const uint8_t* data, size_t size, const uint8_t* palette = nullptr, size_t paletteSize = 0);

}  // namespace sf
