// PNG against PngSuite: the primary pictures decode to their reference renderings, the 16-bit
// ones to their samples scaled to 8 bits, the corrupt ones are refused.
#include <QDir>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/png.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

const QString kSuite = QString(SHOWFORGE_TESTDATA) + "/png/pngsuite";

QImage Decode(const QString& path) {
  const std::string bytes = sftest::ReadFile(path.toStdString());
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

QStringList Files(const QString& folder) {
  QStringList files = QDir(kSuite + "/" + folder).entryList({"*.png"}, QDir::Files, QDir::Name);
  for (QString& f : files) f = kSuite + "/" + folder + "/" + f;
  return files;
}

// Compares two pictures as 8-bit RGBA; fully transparent pixels only by their alpha.
int Differences(const QImage& ours, const QImage& theirs, const QString& name) {
  const QImage a = ours.convertToFormat(QImage::Format_ARGB32), b = theirs.convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(a.size(), b.size()) << name.toStdString();
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (p != q && !(qAlpha(p) == 0 && qAlpha(q) == 0)) {
        if (n++ < 3)
          ADD_FAILURE() << name.toStdString() << " (" << x << "," << y << "): ours " << std::hex << p << " theirs " << q;
      }
    }
  return n;
}

#define NEED_SUITE()                                                                                   \
  if (!QDir(kSuite).exists()) GTEST_SKIP() << "the public picture suites are not at " << kSuite.toStdString()

}  // namespace

TEST(PngSuite, PrimaryPicturesMatchTheirReferences) {
  NEED_SUITE();
  const QStringList files = Files("primary");
  ASSERT_GT(files.size(), 50);
  for (const QString& f : files) {
    const QImage reference(kSuite + "/primary_check/" + QFileInfo(f).fileName());
    ASSERT_FALSE(reference.isNull()) << f.toStdString();
    EXPECT_EQ(Differences(Decode(f), reference, f), 0);
  }
}

TEST(PngSuite, SixteenBitSamplesAreScaledToEightBits) {
  NEED_SUITE();
  // Qt's own PNG reader gives the 16-bit samples as they are (ImageMagick applies gAMA), but
  // not for 16-bit RGB with a tRNS key (tbbn2c16, tbgn2c16): those are checked for the key
  // alone, white, which the standard makes transparent.
  for (const QString& f : Files("16bit")) {
    if (QFileInfo(f).fileName().startsWith("tb") && QFileInfo(f).fileName().contains("2c16")) {
      const QImage ours = Decode(f);
      int keyed = 0;
      for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
          const QRgb p = ours.pixel(x, y);
          const bool white = (p & 0xFFFFFF) == 0xFFFFFF;
          EXPECT_EQ(qAlpha(p), white ? 0 : 255) << f.toStdString() << " " << x << "," << y;
          keyed += white;
        }
      EXPECT_GT(keyed, 0);
      continue;
    }
    const QImage theirs = QImage(f).convertToFormat(QImage::Format_RGBA64);
    const QImage ours = Decode(f).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(ours.size(), theirs.size()) << f.toStdString();
    int differing = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QRgba64 t = reinterpret_cast<const QRgba64*>(theirs.constScanLine(y))[x];
        const QRgb p = ours.pixel(x, y);
        auto v = [](quint16 c) { return int(c) * 255 / 65535; };
        if (qAlpha(p) == 0 && t.alpha() == 0) continue;
        differing += qRed(p) != v(t.red()) || qGreen(p) != v(t.green()) || qBlue(p) != v(t.blue()) ||
                     qAlpha(p) != v(t.alpha());
      }
    EXPECT_EQ(differing, 0) << f.toStdString();
  }
}

TEST(PngSuite, CorruptFilesAreRefused) {
  NEED_SUITE();
  const QStringList files = Files("corrupt");
  EXPECT_EQ(files.size(), 14);
  for (const QString& f : files) EXPECT_THROW(Decode(f), EInvalidGraphic) << f.toStdString();
  // Apple's CgBI files begin with a critical chunk of their own.
  for (const QString& f : Files("iphone")) EXPECT_THROW(Decode(f), EInvalidGraphic) << f.toStdString();
}

TEST(PngSuite, AncillaryChunksArePassedOver) {
  NEED_SUITE();
  for (const QString& f : Files("unused")) {
    QImage ours;
    ASSERT_NO_THROW(ours = Decode(f)) << f.toStdString();
    QImage theirs(f);
    if (theirs.depth() <= 32) {
      EXPECT_EQ(Differences(ours, theirs, f), 0);
    }
  }
}

TEST(Png, MessagesOfTheRejections) {
  NEED_SUITE();
  std::string good = sftest::ReadFile((kSuite + "/primary/basn2c08.png").toStdString());
  auto message = [](std::string bytes) {
    try {
      DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    } catch (const EInvalidGraphic& e) {
      return std::string(e.what());
    }
    return std::string("decoded");
  };
  EXPECT_EQ(message(good), "decoded");
  EXPECT_EQ(message("not a png"), "Invalid PNG image format.");
  std::string crc = good;
  crc[40] ^= 1;  // inside IHDR or the first chunk after it: its CRC no longer matches
  EXPECT_EQ(message(crc), "Load image error!");
  for (size_t cut : {size_t(8), size_t(20), good.size() / 2, good.size() - 1})
    EXPECT_EQ(message(good.substr(0, cut)), "Load image error!") << cut;
  EXPECT_EQ(message(""), "Invalid PNG image format.");
  // The code of the loader picks this decoder.
  QImage bitmap;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(good), bitmap, fcPng));
  EXPECT_EQ(bitmap.size(), QSize(32, 32));
}
