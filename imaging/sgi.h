// SGI pictures (.bw, .rgb, .rgba, .sgi): 8 or 16 bits a sample, plain or run-length.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// One channel gives an 8-bit grey-indexed bitmap, two grey with alpha, three 32-bit RGB and four
// 32-bit RGB with alpha; 16-bit samples become value * 255 / 65535. The file's first row is the
// picture's bottom row. "Invalid sgi, bw or rgb(a) image format." for a bad header or short data.
QImage DecodeSgi(const uint8_t* data, size_t size);

}  // namespace sf
