// GIF pictures: the first image, 8-bit indexed with its colour table.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// A trailer before any image gives a null picture (no error). Rejections raise EInvalidGraphic
// ("Invalid GIF image format.", "GIF LZW: invalid opcode.").
QImage DecodeGif(const uint8_t* data, size_t size);

}  // namespace sf
