// Autodesk Animator cel and picture files.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// An 8-bit indexed bitmap with the file's palette (6-bit VGA levels widened to 8 bits).
// "Invalid Autodesk image format." for a wrong magic number or short data.
QImage DecodeAutodesk(const uint8_t* data, size_t size);

}  // namespace sf
