// One picture decoder, chosen when the target is built (SF_FORMAT_CODE), on any bytes.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/pcd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QImage bitmap;
  try {
#if SF_FORMAT_CODE == 8
    // Photo CD at its smallest base resolution: the default one needs a 786 KB input.
    bitmap = sf::DecodePcd(data, size, 0);
    return 0;
#endif
    sf::LoadPictureStream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), bitmap, SF_FORMAT_CODE);
  } catch (const sf::EInvalidGraphic&) {
  }
  return 0;
}
