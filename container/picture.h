// Picture format codes and loading a picture by its code.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

namespace sf {

enum TFormatCode : int32_t {
  fcUnknown = -1,
  fcBitmap = 1,
  fcJpeg = 2,
  fcSgi = 3,
  fcAutodesk = 4,
  fcTiff = 5,
  fcTarga = 6,
  fcPcx = 7,
  fcPhotoCd = 8,
  fcPortable = 9,
  fcCut = 10,
  fcGif = 11,
  fcRla = 12,
  fcPsd = 13,
  fcPsp = 14,
  fcPng = 15,
};

// The code of a file name by its extension: lower-cased, one trailing "." dropped, the text
// after the last "." of the file-name part, tested as a prefix against each code's extensions
// in code order (".jpeg" is 2, ".pngx" 15, ".jpe" and a name without a dot -1).
int32_t FormatFromExtension(const QString& fileName);

// Decodes a picture by its code into the bitmap. -1 fails and leaves the bitmap; 0 and codes
// above 15 have no decoder and leave it too, reporting success. TIFF (5) is decoded too:
// authors expect their TIFF slides to show. A picture its decoder rejects
// raises EInvalidGraphic with the decoder's message.
bool LoadPictureStream(const QByteArray& stream, QImage& bitmap, int32_t code);
// The same for a file, the code from FormatFromExtension; a file that cannot be read fails.
bool LoadPictureFile(const QString& fileName, QImage& bitmap);

}  // namespace sf
