// BMP and JPEG pictures written by ImageMagick decode to the pixels ImageMagick reads back.
#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <jerror.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {


QByteArray Magick(const QStringList& args) {
  QProcess p;
  p.start("convert", args);
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return p.readAllStandardOutput();
}

// A 37 x 23 picture with colour in every direction, as ImageMagick makes it.
std::string Source() {
  static const std::string path = [] {
    std::string p = sftest::ScratchDir("pictures") + "/src.ppm";
    Magick({"-size", "37x23", "gradient:red-blue", "-swirl", "120", "-fill", "yellow", "-draw", "circle 10,10 14,14",
            QString::fromStdString(p)});
    return p;
  }();
  return path;
}

// Writes the source with ImageMagick's options into a file; gives its path.
std::string Write(const QStringList& options, const std::string& name) {
  const std::string out = sftest::ScratchDir("picture") + "/" + name;
  const QString target = QString::fromStdString(out);
  QStringList args{QString::fromStdString(Source())};
  args += options;
  args << (options.contains("BMP3") ? "BMP3:" + target : target);
  args.removeAll("BMP3");
  Magick(args);
  return out;
}

// Compares our decoding with ImageMagick's reading of the same file, pixel by pixel.
void ExpectSamePixels(const std::string& file, int code, bool alpha) {
  const QByteArray raw = Magick({QString::fromStdString(file), "-depth", "8", alpha ? "rgba:-" : "rgb:-"});
  QImage bitmap;
  ASSERT_TRUE(LoadPictureStream(QByteArray::fromStdString(sftest::ReadFile(file)), bitmap, code)) << file;
  ASSERT_EQ(bitmap.width(), 37);
  ASSERT_EQ(bitmap.height(), 23);
  const int n = alpha ? 4 : 3;
  ASSERT_EQ(raw.size(), 37 * 23 * n);
  int differing = 0;
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const QRgb p = bitmap.pixel(x, y);
      const auto* q = reinterpret_cast<const uint8_t*>(raw.constData()) + (y * 37 + x) * n;
      if (qRed(p) != q[0] || qGreen(p) != q[1] || qBlue(p) != q[2] || (alpha && qAlpha(p) != q[3])) {
        if (differing++ < 5)
          ADD_FAILURE() << file << " (" << x << "," << y << "): ours " << qRed(p) << "," << qGreen(p) << ","
                        << qBlue(p) << "," << qAlpha(p) << " theirs " << int(q[0]) << "," << int(q[1]) << ","
                        << int(q[2]);
      }
    }
  EXPECT_EQ(differing, 0) << file;
}

int BitCount(const std::string& file) {
  const std::string b = sftest::ReadFile(file);
  return b.size() > 30 ? uint8_t(b[28]) | uint8_t(b[29]) << 8 : -1;
}
int Compression(const std::string& file) { return uint8_t(sftest::ReadFile(file)[30]); }

}  // namespace

TEST(Bitmaps, EveryDepthAndRunLengthDecodeAsAnotherReaderSees) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  struct Case {
    QStringList options;
    const char* name;
    int bits, compression;
    bool alpha;
  } cases[] = {
      {{"-monochrome", "BMP3"}, "b1.bmp", 1, 0, false},
      {{"-colors", "16", "-type", "palette", "-compress", "none", "BMP3"}, "b4.bmp", 4, 0, false},
      {{"-colors", "200", "-type", "palette", "-compress", "none", "BMP3"}, "b8.bmp", 8, 0, false},
      {{"-colors", "200", "-type", "palette", "-compress", "RLE", "BMP3"}, "rle8.bmp", 8, 1, false},
      {{"-type", "truecolor", "BMP3"}, "b24.bmp", 24, 0, false},
      {{"-alpha", "set", "-channel", "A", "-fx", "(i+j)/60", "+channel", "-define", "bmp:format=bmp4"}, "b32.bmp", 32, 3, true},
  };
  for (const Case& c : cases) {
    const std::string file = Write(c.options, c.name);
    ASSERT_EQ(BitCount(file), c.bits) << c.name;  // the file is of the kind the case is about
    ASSERT_EQ(Compression(file), c.compression) << c.name;
    ExpectSamePixels(file, fcBitmap, c.alpha);
  }
}

TEST(Jpeg, BaselineProgressiveAndGreyDecodeAsAnotherReaderSees) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string baseline = Write({"-quality", "85"}, "base.jpg");
  const std::string progressive = Write({"-interlace", "JPEG", "-quality", "70"}, "prog.jpg");
  const std::string grey = Write({"-colorspace", "Gray"}, "grey.jpg");
  const std::string subsampled = Write({"-sampling-factor", "2x2", "-quality", "60"}, "sub.jpg");
  EXPECT_NE(sftest::ReadFile(progressive).find("\xFF\xC2"), std::string::npos);  // a progressive frame
  EXPECT_NE(sftest::ReadFile(baseline).find("\xFF\xC0"), std::string::npos);
  for (const std::string& f : {baseline, progressive, grey, subsampled}) ExpectSamePixels(f, fcJpeg, false);
  QImage g;
  LoadPictureStream(QByteArray::fromStdString(sftest::ReadFile(grey)), g, fcJpeg);
  EXPECT_EQ(g.format(), QImage::Format_Grayscale8);
}

TEST(Pictures, DamagedDataRaisesTheDecodersMessage) {
  QImage bitmap(3, 3, QImage::Format_RGB32);
  bitmap.fill(Qt::red);
  try {
    LoadPictureStream("not a jpeg at all", bitmap, fcJpeg);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(JERR_NO_SOI));  // not a JPEG file
  }
  EXPECT_THROW(LoadPictureStream(QByteArray("\xFF\xD8\xFF\xC0\x00\x11", 6), bitmap, fcJpeg), EInvalidGraphic);
  EXPECT_THROW(LoadPictureStream("BMxx", bitmap, fcBitmap), EInvalidGraphic);
  EXPECT_THROW(LoadPictureStream("", bitmap, fcBitmap), EInvalidGraphic);
  EXPECT_EQ(bitmap.pixel(1, 1), QColor(Qt::red).rgb());  // a rejected picture leaves the bitmap
}

TEST(Pictures, CodesWithoutADecoderLeaveTheBitmap) {
  QImage bitmap(2, 2, QImage::Format_RGB32);
  bitmap.fill(Qt::blue);
  EXPECT_FALSE(LoadPictureStream("x", bitmap, fcUnknown));
  for (int code : {0, 16, 99}) EXPECT_TRUE(LoadPictureStream("x", bitmap, code)) << code;
  EXPECT_EQ(bitmap.pixel(0, 0), QColor(Qt::blue).rgb());
  EXPECT_FALSE(LoadPictureFile("/nonexistent/a.jpg", bitmap));
  EXPECT_FALSE(LoadPictureFile("noextension", bitmap));
}
