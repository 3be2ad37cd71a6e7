// TIFF in the layouts ImageMagick writes, against ImageMagick's reading.
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/tiff.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
QImage Decode(const std::string& b) { return DecodeTiff(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
}  // namespace

TEST(Tiff, EveryLayoutImageMagickWrites) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  QProcess p;
  const std::string dir = sftest::ScratchDir("tiff");
  const QString src = QString::fromStdString(dir + "/src.png");
  p.start("convert", {"-size", "41x27", "gradient:coral-navy", "-swirl", "120", "(", "+clone", "-fx", "(i+j)/70", ")",
                      "-compose", "CopyOpacity", "-composite", src});
  ASSERT_TRUE(p.waitForFinished(20000));
  struct Case {
    QStringList options;
    const char* name;
    int tolerance;
  } cases[] = {
      {{"-alpha", "off", "-compress", "none"}, "rgb-none", 0},
      {{"-alpha", "off", "-compress", "lzw"}, "rgb-lzw", 0},
      {{"-alpha", "off", "-compress", "zip"}, "rgb-zip", 0},
      {{"-alpha", "off", "-compress", "RLE"}, "rgb-packbits", 0},
      {{"-alpha", "off", "-compress", "jpeg", "-quality", "90"}, "rgb-jpeg", 3},
      {{"-compress", "lzw"}, "rgba-lzw", 0},
      {{"-alpha", "off", "-colorspace", "gray", "-compress", "none"}, "grey", 0},
      {{"-alpha", "off", "-monochrome", "-compress", "group4"}, "bilevel-g4", 0},
      {{"-alpha", "off", "-colors", "16", "-type", "palette", "-compress", "lzw"}, "palette", 1},  // a 16-bit colour map
      {{"-alpha", "off", "-define", "tiff:tile-geometry=16x16", "-compress", "zip"}, "tiles", 0},
      {{"-alpha", "off", "-depth", "16", "-compress", "zip"}, "rgb16", 1},
  };
  for (const Case& c : cases) {
    const QString file = QString::fromStdString(dir + "/" + c.name + ".tif");
    // Eight bits a sample unless the case says 16 (libtiff narrows 16-bit samples by their high
    // byte, ImageMagick by rounding: they differ by one).
    const QStringList depth = c.options.contains("16") ? QStringList{} : QStringList{"-depth", "8"};
    p.start("convert", QStringList{src} + depth + c.options + QStringList{file});
    ASSERT_TRUE(p.waitForFinished(20000));
    p.start("convert", {file, "-depth", "8", "rgba:-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QByteArray theirs = p.readAllStandardOutput();
    const QImage ours = Decode(sftest::ReadFile(file.toStdString()));
    ASSERT_EQ(ours.size(), QSize(41, 27)) << c.name;
    ASSERT_EQ(theirs.size(), 41 * 27 * 4) << c.name;
    int differing = 0;
    for (int i = 0; i < 41 * 27; ++i) {
      const QRgb q = ours.pixel(i % 41, i / 41);
      const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData()) + 4 * i;
      if (t[3] == 0 && qAlpha(q) == 0) continue;
      // Colours of half-transparent pixels may be stored premultiplied: compare them at full alpha.
      const bool opaque = t[3] == 255;
      differing += std::abs(qAlpha(q) - t[3]) > c.tolerance ||
                   (opaque && (std::abs(qRed(q) - t[0]) > c.tolerance || std::abs(qGreen(q) - t[1]) > c.tolerance ||
                               std::abs(qBlue(q) - t[2]) > c.tolerance));
    }
    EXPECT_EQ(differing, 0) << c.name;
  }
}

TEST(Tiff, DamagedFilesAreRefused) {
  for (const std::string& bytes : {std::string(), std::string("II*\0", 4), std::string("MM\0*\0\0\0\x08", 8),
                                   std::string("not a tiff at all")}) {
    try {
      Decode(bytes);
      ADD_FAILURE() << "decoded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Invalid TIFF image format.");
    }
  }
  QImage loaded(2, 2, QImage::Format_RGB32);
  EXPECT_THROW(LoadPictureStream("II*\0garbage", loaded, fcTiff), EInvalidGraphic);
}

TEST(Tiff, AlphaComesOutStraightWhetherStoredAssociatedOrNot) {
  // Unassociated alpha (what ImageMagick and GIMP write) keeps its colour exactly, even nearly
  // transparent; associated alpha is divided out, within the rounding of its stored colour.
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = sftest::ScratchDir("tiffalpha");
  QImage source(3, 1, QImage::Format_ARGB32);
  source.setPixel(0, 0, qRgba(228, 83, 57, 4));
  source.setPixel(1, 0, qRgba(200, 100, 50, 128));
  source.setPixel(2, 0, qRgba(10, 20, 30, 255));
  const QString png = QString::fromStdString(dir + "/src.png");
  ASSERT_TRUE(source.save(png));
  for (const char* alpha : {"unassociated", "associated"}) {
    const QString tif = QString::fromStdString(dir + "/" + alpha + ".tif");
    QProcess p;
    p.start("convert", {png, "-define", QString("tiff:alpha=") + alpha, "-compress", "none", tif});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QImage ours = Decode(sftest::ReadFile(tif.toStdString()));
    ASSERT_EQ(ours.size(), QSize(3, 1)) << alpha;
    const bool exact = std::string(alpha) == "unassociated";
    for (int x = 0; x < 3; ++x) {
      const QRgb want = source.pixel(x, 0), got = ours.pixel(x, 0);
      EXPECT_EQ(qAlpha(got), qAlpha(want)) << alpha << " " << x;
      if (exact || x > 0) {
        const int slack = exact ? 0 : 1;
        EXPECT_NEAR(qRed(got), qRed(want), slack) << alpha << " " << x;
        EXPECT_NEAR(qGreen(got), qGreen(want), slack) << alpha << " " << x;
        EXPECT_NEAR(qBlue(got), qBlue(want), slack) << alpha << " " << x;
      }
    }
  }
}
