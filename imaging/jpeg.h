// JPEG pictures through libjpeg.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// Decodes baseline, progressive, grey, colour and CMYK pictures. Colour and CMYK give a 32-bit
// bitmap (Format_RGB32), grey an 8-bit one (Format_Grayscale8). A picture libjpeg cannot read
// raises EInvalidGraphic "JPEG error #N" with the library's message number.
QImage DecodeJpeg(const uint8_t* data, size_t size);

}  // namespace sf
