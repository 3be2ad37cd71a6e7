// GIF pictures: the first image, 8-bit indexed with its colour table.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sf {

// A trailer before any image gives a null picture (no error). Rejections raise EInvalidGraphic
// ("Invalid GIF image format.", "GIF LZW: invalid opcode.").
QImage DecodeGif(const uint8_t* data, size_t size);

// Unpacks GIF LZW data (the sub-blocks already joined) of the given initial code size into
// exactly out.size() bytes; data that ends early leaves the rest 0. An impossible code raises
// "GIF LZW: invalid opcode.".
void GifLzwDecode(const uint8_t* data, size_t size, int minCodeSize, std::vector<uint8_t>& out);

}  // namespace sf
