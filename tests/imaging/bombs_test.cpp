// Decompression bombs: a small file of every format family that promises a huge picture is
// refused before anything large is allocated for it (measured in a child process), and the
// largest real pictures ImageMagick writes, one flat colour above 16 Mpixels, still decode.
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>
#include <zlib.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "tests/common/childpeak.h"
#include "tests/common/rejection.h"
#include "tests/common/testutil.h"
#include "tests/imaging/pspwriter.h"

using namespace sf;
using sftest::U16;
using sftest::U32;

namespace {

std::string Be16(uint32_t v) { return std::string{char(v >> 8), char(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

std::string Deflated(const std::string& raw) {
  std::string out(compressBound(uLong(raw.size())), '\0');
  uLongf n = uLongf(out.size());
  compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
  out.resize(n);
  return out;
}

std::string PngChunk(const char* type, const std::string& data) {
  const std::string typed = type + data;
  return Be32(uint32_t(data.size())) + typed + Be32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

// A 1-bit grey PNG of 16384 x 16384 zeros: about 33 KB of deflate for 268 Mpixels.
std::string PngBomb() {
  const std::string raw(size_t(16384) * (1 + 2048), '\0');
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", Be32(16384) + Be32(16384) + std::string("\1\0\0\0\0", 5)) +
         PngChunk("IDAT", Deflated(raw)) + PngChunk("IEND", "");
}

// A GIF of 16384 x 16384 whose LZW data of one colour is 10 KB.
std::string GifBomb() {
  std::string g = "GIF89a" + U16(16384) + U16(16384) + std::string("\x80\0\0", 3) + std::string(6, '\0');
  g += "," + U16(0) + U16(0) + U16(16384) + U16(16384) + '\0' + '\2';
  for (int i = 0; i < 40; ++i) g += char(255) + std::string(255, '\0');
  return g + '\0' + ';';
}

std::string PsdBomb() {  // 16384 x 16384 RGB, run-length, a kilobyte of data
  return "8BPS" + Be16(1) + std::string(6, '\0') + Be16(3) + Be32(16384) + Be32(16384) + Be16(8) + Be16(3) + Be32(0) +
         Be32(0) + Be32(0) + Be16(1) + std::string(1024, '\x01');
}

std::string TargaBomb() {  // run-length grey, 16000 x 16000, packets of 128 zeros
  std::string t = std::string("\0\0\x0B", 3) + std::string(9, '\0') + U16(16000) + U16(16000) + '\x08' + '\0';
  for (int i = 0; i < 500; ++i) t += std::string("\xFF\0", 2);
  return t;
}

std::string PcxBomb() {  // 8-bit, run-length, 16000 x 16000
  std::string p = std::string("\x0A\x05\x01\x08", 4) + U16(0) + U16(0) + U16(15999) + U16(15999);
  p.resize(65, '\0');
  p += '\x01' + U16(16000);
  p.resize(128, '\0');
  for (int i = 0; i < 500; ++i) p += std::string("\xFF\0", 2);
  return p;
}

std::string SgiBomb() {  // run-length, 16000 x 16000, one channel
  std::string s = Be16(474) + '\1' + '\1' + Be16(2) + Be16(16000) + Be16(16000) + Be16(1);
  s.resize(512, '\0');
  return s + std::string(1024, '\0');
}

std::string RlaBomb() {  // an active window of 16000 x 16000
  std::string r(740, '\0');
  auto put = [&r](size_t at, int v) { r[at] = char(v >> 8), r[at + 1] = char(v); };
  for (size_t at : {0u, 8u}) put(at + 2, 15999), put(at + 6, 15999);
  put(20, 3);
  r.replace(580, 3, "rgb");
  put(658, 8);
  return r + std::string(1024, '\0');
}

std::string BmpBomb() {  // RLE8, 16000 x 16000, its data the end-of-bitmap code
  const std::string pixels("\0\1", 2);
  const uint32_t offset = 14 + 40 + 1024;
  return "BM" + U32(offset + uint32_t(pixels.size())) + U32(0) + U32(offset) + U32(40) + U32(16000) + U32(16000) + U16(1) +
         U16(8) + U32(1) + U32(uint32_t(pixels.size())) + U32(2835) + U32(2835) + U32(256) + U32(0) + std::string(1024, '\0') +
         pixels;
}

std::string JpegBomb() {  // a real JPEG whose frame header says 16000 x 16000
  QImage small(16, 16, QImage::Format_RGB32);
  small.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  small.save(&buffer, "JPG");
  std::string j = bytes.toStdString();
  const size_t sof = j.find("\xFF\xC0");
  if (sof == std::string::npos) return {};
  j.replace(sof + 5, 4, Be16(16000) + Be16(16000));
  return j;
}

std::string TiffBomb() {  // 16384 x 16384 grey, one strip of 100 bytes
  std::string t = "II" + U16(42) + U32(8);
  const struct {
    uint16_t tag, type;
    uint32_t value;
  } entries[] = {{256, 4, 16384}, {257, 4, 16384}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                 {273, 4, 200},   {277, 3, 1},     {278, 4, 16384}, {279, 4, 100}};
  t += U16(9);
  for (const auto& e : entries) t += U16(e.tag) + U16(e.type) + U32(1) + U32(e.value);
  t += U32(0);
  t.resize(300, '\0');
  return t;
}

std::string PnmBomb() { return "P6\n16000 16000\n255\n" + std::string(100, '\0'); }

std::string PspBomb() {  // the canvas of 16127 x 12292 the fuzzer found, and a layer of 4 x 4
  sftest::TPspWriter w;
  w.width = 16127;
  w.height = 12292;
  w.layerW = w.layerH = 4;
  const std::string plane(16, '\x40');
  return w.File({plane, plane, plane});
}

}  // namespace

TEST(Bombs, SmallFilesPromisingHugePicturesAreRefusedBeforeAllocating) {
  const struct {
    const char* family;
    int code;
    std::string bytes;
    const char* message;
  } bombs[] = {
      {"PNG (deflate)", fcPng, PngBomb(), "Invalid PNG image format."},
      {"GIF (LZW)", fcGif, GifBomb(), "Invalid GIF image format."},
      {"PSD (PackBits)", fcPsd, PsdBomb(), "Invalid PSD or PDD image format."},
      {"Targa (run-length)", fcTarga, TargaBomb(), "Invalid Targa image format."},
      {"PCX (run-length)", fcPcx, PcxBomb(), "Invalid PCX or SCR image format."},
      {"SGI (run-length)", fcSgi, SgiBomb(), "Invalid sgi, bw or rgb(a) image format."},
      {"RLA (run-length)", fcRla, RlaBomb(), "Invalid RLA image format."},
      {"BMP (RLE8)", fcBitmap, BmpBomb(), "Bitmap image is not valid"},
      {"JPEG", fcJpeg, JpegBomb(), "Invalid JPEG image format."},
      {"TIFF", fcTiff, TiffBomb(), "Invalid TIFF image format."},
      {"PPM (raw)", fcPortable, PnmBomb(), "Invalid PBM, PGM or PPM image format."},
      {"PSP (canvas around a small layer)", fcPsp, PspBomb(), "Invalid PSP image format."},
  };
  for (const auto& b : bombs) {
    ASSERT_LT(b.bytes.size(), 64u * 1024) << b.family;
    const sftest::TChildRun run = sftest::InChild([&] {
      return sftest::RejectionOf([&] {
        QImage bitmap;
        LoadPictureStream(QByteArray::fromStdString(b.bytes), bitmap, b.code);
      });
    });
    ASSERT_TRUE(run.exited) << b.family;
    EXPECT_EQ(run.result, b.message) << b.family;
    // Nothing near the picture's size: the largest of them is a megabyte or two of the decoder's
    // own work, against hundreds of megabytes for the bitmap.
    EXPECT_LT(run.peakGrowthKb, 16 * 1024) << b.family;
    std::printf("%-36s %6zu bytes: refused, peak memory +%ld KB\n", b.family, b.bytes.size(), run.peakGrowthKb);
  }
}

TEST(Bombs, TheRuleItself) {
  // 16 Mpixels free, 1,024 more for every byte; never over 2^28.
  EXPECT_NO_THROW(CheckPictureCost(4096, 4096, 0, "x"));
  EXPECT_THROW(CheckPictureCost(4096, 4097, 3, "x"), EInvalidGraphic);  // 4,096 pixels over, 3 bytes
  EXPECT_NO_THROW(CheckPictureCost(4096, 4097, 4, "x"));
  EXPECT_NO_THROW(CheckPictureCost(16384, 16384, (size_t(16384) * 16384 - (1 << 24)) / 1024, "x"));
  EXPECT_THROW(CheckPictureCost(16384, 16384, (size_t(16384) * 16384 - (1 << 24)) / 1024 - 1, "x"), EInvalidGraphic);
  EXPECT_THROW(CheckPictureCost(16385, 16384, size_t(1) << 40, "x"), EInvalidGraphic);
  EXPECT_THROW(CheckPictureCost(0, 10, 100, "x"), EInvalidGraphic);
  EXPECT_THROW(CheckPictureCost(int64_t(1) << 40, int64_t(1) << 40, 100, "x"), EInvalidGraphic);
  EXPECT_EQ(sftest::RejectionOf([] { NewBitmap(-1, 5, QImage::Format_RGB32, 10, "Invalid X image format."); }),
            "Invalid X image format.");
}

TEST(Bombs, TheLargestRealPicturesStillDecode) {
  // One flat colour at 4100 x 4100 (16.8 Mpixels) is what packs tightest in each format that
  // ImageMagick writes with deflate, LZW or JPEG: 2 KB of PNG, 4 KB of TIFF.
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = sftest::ScratchDir("bigreal");
  const QString png = QString::fromStdString(dir + "/flat.png");
  QProcess p;
  p.start("convert", {"-size", "4100x4100", "xc:teal", png});
  ASSERT_TRUE(p.waitForFinished(60000));
  for (const char* ext : {"png", "gif", "tif", "jpg"}) {
    const QString file = QString::fromStdString(dir + "/flat." + ext);
    if (std::string(ext) != "png") {
      p.start("convert", {png, "-compress", std::string(ext) == "tif" ? "lzw" : "undefined", file});
      ASSERT_TRUE(p.waitForFinished(60000));
    }
    QImage bitmap;
    ASSERT_NO_THROW(ASSERT_TRUE(LoadPictureFile(file, bitmap))) << ext;
    EXPECT_EQ(bitmap.size(), QSize(4100, 4100)) << ext;
    std::printf("flat.%s: %lld bytes decode\n", ext, (long long)QFileInfo(file).size());
  }
}
