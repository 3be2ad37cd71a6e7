#include "imaging/graphic.h"

#include "platform/scratch.h"

namespace sf {

void CheckPictureCost(int64_t width, int64_t height, size_t dataSize, const QString& invalid) {
  if (width <= 0 || height <= 0 || width > kMaxPicturePixels || height > kMaxPicturePixels) throw EInvalidGraphic(invalid);
  const int64_t pixels = width * height;
  if (pixels > kMaxPicturePixels) throw EInvalidGraphic(invalid);
  // Data of 2^28 bytes justifies any picture allowed at all; below that the product cannot overflow.
  const uint64_t justified = dataSize >= uint64_t(kMaxPicturePixels) ? uint64_t(kMaxPicturePixels)
                                                                     : uint64_t(dataSize) * uint64_t(kPixelsPerDataByte);
  if (pixels > kFreePicturePixels && uint64_t(pixels - kFreePicturePixels) > justified) throw EInvalidGraphic(invalid);
}

QImage NewBitmap(int64_t width, int64_t height, QImage::Format format, size_t dataSize, const QString& invalid) {
  CheckPictureCost(width, height, dataSize, invalid);
  // A photograph's bitmap in large pages: its first touch is most of its cost otherwise.
  QImage image = NewLargeBitmap(int(width), int(height), format);
  if (image.isNull()) throw EInvalidGraphic(invalid);
  return image;
}

}  // namespace sf
