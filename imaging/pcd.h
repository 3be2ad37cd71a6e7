// Kodak Photo CD image packs: one of the three base resolutions as a 24-bit picture.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace sf {

// resolution 0 = 192 x 128, 1 = 384 x 256, 2 = 768 x 512 (the default); any other index raises
// "Unsupport image format!". Without "PCD_IPI" at offset 2048, or with data too short for the
// chosen resolution, "Invalid PCD image format.". A portrait image pack comes out turned upright
// (width and height swapped).
QImage DecodePcd(const uint8_t* data, size_t size, int resolution = 2);

}  // namespace sf
