#include "container/picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "imaging/graphic.h"
#include "imaging/autodesk.h"
#include "imaging/cut.h"
#include "imaging/gif.h"
#include "imaging/jpeg.h"
#include "imaging/pcd.h"
#include "imaging/pcx.h"
#include "imaging/png.h"
#include "imaging/pnm.h"
#include "imaging/psd.h"
#include "imaging/psp.h"
#include "imaging/rla.h"
#include "imaging/sgi.h"
#include "imaging/targa.h"
#include "imaging/tiff.h"

namespace sf {
namespace {

struct TExtension {
  const char* ext;
  int32_t code;
};

const TExtension kExtensions[] = {
    {".bmp", 1}, {".dib", 1}, {".jpg", 2},  {".jpeg", 2}, {".bw", 3},   {".rgb", 3},  {".rgba", 3},
    {".sgi", 3}, {".cel", 4}, {".pic", 4},  {".tif", 5},  {".tiff", 5}, {".tga", 6},  {".vst", 6},
    {".icb", 6}, {".vda", 6}, {".win", 6},  {".pcx", 7},  {".pcc", 7},  {".scr", 7},  {".pcd", 8},
    {".ppm", 9}, {".pgm", 9}, {".pbm", 9},  {".cut", 10}, {".pal", 10}, {".gif", 11}, {".rla", 12},
    {".rpf", 12}, {".psd", 13}, {".pdd", 13}, {".psp", 14}, {".png", 15},
};

}  // namespace

int32_t FormatFromExtension(const QString& fileName) {
  QString name = fileName.toLower();
  if (name.endsWith('.')) name.chop(1);
  const qsizetype nameStart = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1;
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < nameStart) return fcUnknown;
  const QString ext = name.mid(dot);
  for (const TExtension& e : kExtensions)
    if (ext.startsWith(QLatin1String(e.ext))) return e.code;
  return fcUnknown;
}

namespace {

using TPictureDecoder = QImage (*)(const uint8_t* data, size_t size);

// A picture from a stream has no palette file beside it.
QImage DecodeCutStream(const uint8_t* data, size_t size) { return DecodeCut(data, size); }
QImage DecodePcdDefault(const uint8_t* data, size_t size) { return DecodePcd(data, size); }

// The decoder of each code; null where there is none.
TPictureDecoder DecoderFor(int32_t code) {
  switch (code) {
    case fcJpeg: return DecodeJpeg;
    case fcSgi: return DecodeSgi;
    case fcAutodesk: return DecodeAutodesk;
    case fcTiff: return DecodeTiff;
    case fcTarga: return DecodeTarga;
    case fcPcx: return DecodePcx;
    case fcPhotoCd: return DecodePcdDefault;
    case fcPortable: return DecodePnm;
    case fcCut: return DecodeCutStream;
    case fcGif: return DecodeGif;  // a file that ends before its first image gives an empty picture
    case fcRla: return DecodeRla;
    case fcPsd: return DecodePsd;
    case fcPsp: return DecodePsp;
    case fcPng: return DecodePng;
    default: return nullptr;
  }
}

}  // namespace

bool LoadPictureStream(const QByteArray& stream, QImage& bitmap, int32_t code) {
  if (code == fcUnknown) return false;
  if (code == fcBitmap) {
    // The platform's bitmap reader, after the rule on what a picture may cost: a run-length
    // bitmap can promise far more than its data holds.
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    const QSize size = reader.size();
    if (size.isValid()) CheckPictureCost(size.width(), size.height(), size_t(stream.size()), "Bitmap image is not valid");
    QImage image;
    if (!reader.read(&image)) throw EInvalidGraphic("Bitmap image is not valid");
    bitmap = std::move(image);
    return true;
  }
  if (TPictureDecoder decode = DecoderFor(code)) {
    bitmap = decode(reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size()));
    return true;
  }
  // 0 and codes above 15: nothing is decoded and the bitmap stays as it is.
  return true;
}

bool LoadPictureFile(const QString& fileName, QImage& bitmap) {
  const int32_t code = FormatFromExtension(fileName);
  if (code == fcUnknown) return false;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray stream = file.readAll();
  if (code == fcCut) {
    // A CUT picture's colours are in the .pal file of the same name beside it.
    const QFileInfo info(fileName);
    QByteArray palette;
    for (const char* ext : {".pal", ".PAL", ".Pal"}) {
      QFile pal(info.path() + "/" + info.completeBaseName() + ext);
      if (pal.open(QIODevice::ReadOnly)) {
        palette = pal.readAll();
        break;
      }
    }
    bitmap = DecodeCut(reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size()),
                       palette.isEmpty() ? nullptr : reinterpret_cast<const uint8_t*>(palette.constData()),
                       size_t(palette.size()));
    return true;
  }
  return LoadPictureStream(stream, bitmap, code);
}

}  // namespace sf
