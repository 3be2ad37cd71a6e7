// SGI: Pillow's hopper files (grey, RGB, run-length, 16 bits) against the reference picture and
// ImageMagick's files against ImageMagick's reading.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/sgi.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kSgi = QString(SHOWFORGE_TESTDATA) + "/sgi/pillow";
QImage Decode(const std::string& b) { return DecodeSgi(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
QImage DecodeFile(const QString& p) { return Decode(sftest::ReadFile(p.toStdString())); }
int Far(const QImage& ours, const QImage& ref, int tolerance) {
  const QImage a = ours.convertToFormat(QImage::Format_RGB32), b = ref.convertToFormat(QImage::Format_RGB32);
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      n += std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
           std::abs(qBlue(p) - qBlue(q)) > tolerance;
    }
  return n;
}
}  // namespace

TEST(SgiSuite, HopperInEveryStorage) {
  if (!QDir(kSgi).exists()) GTEST_SKIP() << "the public picture suites are not at " << kSgi.toStdString();
  // The hopper files hold the picture of Pillow's hopper.ppm (reference/hopper.png is a slightly
  // different rendering of it).
  const QImage reference = QImage(QString(SHOWFORGE_TESTDATA) + "/ppm/pillow/hopper.ppm");
  ASSERT_FALSE(reference.isNull());
  const QImage rgb = DecodeFile(kSgi + "/hopper.rgb");
  EXPECT_EQ(Far(rgb, reference, 0), 0);
  EXPECT_EQ(DecodeFile(kSgi + "/hopper.sgi"), rgb);   // run-length, the same picture
  EXPECT_EQ(Far(DecodeFile(kSgi + "/hopper16.rgb"), reference, 1), 0);
  const QImage grey = DecodeFile(kSgi + "/hopper.bw");
  EXPECT_EQ(grey.format(), QImage::Format_Indexed8);
  EXPECT_EQ(grey.size(), reference.size());
  const QImage transparent = DecodeFile(kSgi + "/transparent.sgi");
  EXPECT_TRUE(transparent.hasAlphaChannel());
  for (const char* f : {"crash-754d9c7ec485ffb76a90eeaab191ef69a2a3a3cd.sgi", "ossfuzz-5730089102868480.sgi"}) {
    try {
      DecodeFile(kSgi + "/" + f);
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Invalid sgi, bw or rgb(a) image format.");
    }
  }
}

TEST(Sgi, ImageMagickFilesAndFaults) {
  if (sftest::HaveImageMagick()) {
    const std::string dir = sftest::ScratchDir("sgi");
    const QString src = QString::fromStdString(dir + "/src.ppm");
    QProcess p;
    p.start("convert", {"-size", "29x13", "gradient:teal-pink", "-swirl", "80", src});
    ASSERT_TRUE(p.waitForFinished(20000));
    for (QStringList options : {QStringList{"-compress", "none"}, QStringList{"-compress", "RLE"},
                                QStringList{"-depth", "16", "-compress", "none"}, QStringList{"-depth", "16"},
                                QStringList{"-colorspace", "gray", "-compress", "none"}}) {
      const QString file = QString::fromStdString(dir + "/out.sgi");
      p.start("convert", QStringList{src} + options + QStringList{"SGI:" + file});
      ASSERT_TRUE(p.waitForFinished(20000));
      p.start("convert", {file, "-depth", "8", "rgb:-"});
      ASSERT_TRUE(p.waitForFinished(20000));
      const QByteArray theirs = p.readAllStandardOutput();
      const QImage ours = Decode(sftest::ReadFile(file.toStdString()));
      ASSERT_EQ(theirs.size(), 29 * 13 * 3) << options.join(' ').toStdString();
      int differing = 0;
      for (int i = 0; i < 29 * 13; ++i) {
        const QRgb q = ours.pixel(i % 29, i / 29);
        const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData()) + 3 * i;
        differing += std::abs(qRed(q) - t[0]) > 1 || std::abs(qGreen(q) - t[1]) > 1 || std::abs(qBlue(q) - t[2]) > 1;
      }
      EXPECT_EQ(differing, 0) << options.join(' ').toStdString();
    }
  }
  std::string header(512, '\0');
  header[0] = 1, header[1] = char(0xDA), header[3] = 1, header[5] = 2, header[7] = 4, header[9] = 2;  // 4 x 2, plain
  EXPECT_THROW(Decode(header), EInvalidGraphic);  // no data
  EXPECT_EQ(Decode(header + std::string(8, '\x40')).size(), QSize(4, 2));
  std::string bad = header + std::string(8, '\x40');
  bad[1] = 0;
  try {
    Decode(bad);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid sgi, bw or rgb(a) image format.");
  }
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(header + std::string(8, '\x40')), loaded, fcSgi));
}
