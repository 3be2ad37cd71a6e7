// Photoshop documents (.psd, .pdd): the merged picture.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// Bitmap, grey, indexed and duotone documents give an indexed bitmap; RGB and multichannel a
// 32-bit one (with alpha when a fourth channel is there); CMYK and L*a*b* are converted to RGB.
// 8, 16 and 32 bits a sample (1 for bitmaps), raw or PackBits. "Invalid PSD or PDD image format."
// for a bad header or short data.
QImage DecodePsd(const uint8_t* data, size_t size);

}  // namespace sf
