// PNG pictures.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// Decodes every colour type and bit depth of the standard, interlaced or not, with PLTE and tRNS.
// Indexed pictures give an 8-bit indexed bitmap with their palette, grey ones without
// transparency an 8-bit indexed bitmap with a grey ramp, RGB a 32-bit RGB bitmap, and any
// picture with alpha or tRNS a 32-bit bitmap with alpha. 16-bit samples become value * 255 / 65535.
// No gamma is applied. Rejections raise EInvalidGraphic with the format's messages.
QImage DecodePng(const uint8_t* data, size_t size);

}  // namespace sf
