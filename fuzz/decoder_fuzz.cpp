// One picture decoder, chosen when the target is built (SF_FORMAT_CODE), on any bytes.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "container/picture.h"
#include "imaging/graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QImage bitmap;
  try {
    sf::LoadPictureStream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), bitmap, SF_FORMAT_CODE);
  } catch (const sf::EInvalidGraphic&) {
  }
  return 0;
}
