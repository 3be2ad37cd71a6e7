// Picture loading by format code on any bytes: the first byte picks the code.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "container/picture.h"
#include "imaging/graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t code = int32_t(data[0] % 17) - 1;
  QImage bitmap;
  try {
    sf::LoadPictureStream(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), bitmap, code);
  } catch (const sf::EInvalidGraphic&) {
  }
  return 0;
}
