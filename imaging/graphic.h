// What every picture decoder shares: the error a rejected picture raises, and the one rule on
// what a picture may cost.
#pragma once

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace sf {

// No decoder makes a bitmap of more pixels than this (a 16384 x 16384 picture): a damaged header
// must not make the program claim gigabytes.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;

// What a picture may cost: this many pixels (a 4096 x 4096 picture) whatever its data...
constexpr int64_t kFreePicturePixels = int64_t(1) << 24;
// ...and this many more for every byte of its data. No photograph or drawing packs tighter: JPEG
// needs about a byte for 256 pixels of one flat colour, and the run-length formats two bytes for
// a run of 128 pixels at most. Deflate and LZW of one flat colour get beyond it (ImageMagick's
// 4100 x 4100 PNG of one colour holds 7,200 pixels in a byte), which the free pixels cover; a
// file that promises hundreds of megapixels from a few kilobytes is a decompression bomb, not a
// slide.
constexpr int64_t kPixelsPerDataByte = 1024;

// A picture that a decoder cannot read; what() is the message the user sees.
class EInvalidGraphic : public std::runtime_error {
 public:
  explicit EInvalidGraphic(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The one rule every decoder applies to the size its header promises, before it allocates the
// bitmap or anything of its size: at most kMaxPicturePixels, and at most kFreePicturePixels plus
// kPixelsPerDataByte for each of the file's `dataSize` bytes. So no file makes the program claim
// more than 64 MB and 4 KB for each of its bytes for a 32-bit bitmap. A picture that breaks it
// raises EInvalidGraphic(invalid), the format's "Invalid %s image format.".
void CheckPictureCost(int64_t width, int64_t height, size_t dataSize, const QString& invalid);

// A bitmap of the promised size and format, after CheckPictureCost; a bitmap the system cannot
// allocate raises EInvalidGraphic(invalid) too.
QImage NewBitmap(int64_t width, int64_t height, QImage::Format format, size_t dataSize, const QString& invalid);

}  // namespace sf
