#include "imaging/tiff.h"

#include <cstring>
#include <tiffio.h>
#include <vector>

#include "imaging/colormanager.h"
#include "imaging/graphic.h"

namespace sf {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid TIFF image format."); }

// libtiff reads the picture from memory through these.
struct Memory {
  const uint8_t* data;
  toff_t size, at = 0;
};

tsize_t ReadProc(thandle_t h, tdata_t buf, tsize_t n) {
  auto* m = static_cast<Memory*>(h);
  const toff_t left = m->at < m->size ? m->size - m->at : 0;
  const toff_t take = std::min<toff_t>(toff_t(n), left);
  std::memcpy(buf, m->data + m->at, size_t(take));
  m->at += take;
  return tsize_t(take);
}
tsize_t WriteProc(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* m = static_cast<Memory*>(h);
  const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->size;
  m->at = base + off;
  return m->at;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<Memory*>(h)->size; }
int MapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void UnmapProc(thandle_t, tdata_t, toff_t) {}

void Quiet(const char*, const char*, va_list) {}

}  // namespace

QImage DecodeTiff(const uint8_t* data, size_t size) {
  // libtiff reports through process-wide handlers; the program has no console to report to.
  static const bool quiet = [] {
    TIFFSetErrorHandler(Quiet);
    TIFFSetWarningHandler(Quiet);
    return true;
  }();
  (void)quiet;
  Memory memory{data, toff_t(size)};
  TIFF* tif = TIFFClientOpen("picture", "rm", &memory, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                             UnmapProc);
  if (!tif) Invalid();
  uint32_t w = 0, h = 0;
  uint16_t extra = 0;
  uint16_t* extraTypes = nullptr;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  try {
    if (w > 16384 || h > 16384) Invalid();
    CheckPictureCost(w, h, size, "Invalid TIFF image format.");
  } catch (const EInvalidGraphic&) {
    TIFFClose(tif);
    throw;
  }
  // libtiff's RGBA reader multiplies unassociated alpha into the colour. Told that the alpha
  // is associated (a change to the directory in memory only), it hands the stored samples over
  // as they are, which are then the straight colour the picture holds. Associated alpha comes
  // premultiplied, as stored, and is divided out below: bitmaps hold straight alpha.
  bool premultiplied = false;
  if (extra > 0 && extraTypes != nullptr) {
    std::vector<uint16_t> types(extraTypes, extraTypes + extra);
    premultiplied = types[0] == EXTRASAMPLE_ASSOCALPHA;
    if (types[0] == EXTRASAMPLE_UNASSALPHA) {
      types[0] = EXTRASAMPLE_ASSOCALPHA;
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, extra, types.data());
    }
  }
  std::vector<uint32_t> pixels(size_t(w) * size_t(h));
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, pixels.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
  if (!ok) Invalid();
  QImage image = NewBitmap(w, h, extra > 0 ? QImage::Format_ARGB32 : QImage::Format_RGB32, size, "Invalid TIFF image format.");
  for (uint32_t y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
    const uint32_t* src = pixels.data() + size_t(y) * w;
    for (uint32_t x = 0; x < w; ++x)
      line[x] = qRgba(int(TIFFGetR(src[x])), int(TIFFGetG(src[x])), int(TIFFGetB(src[x])), int(TIFFGetA(src[x])));
  }
  if (premultiplied) Unpremultiply(image);
  return image;
}

}  // namespace sf
