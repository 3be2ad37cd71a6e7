// Targa against the Truevision suite's and Pillow's reference pictures.
#include <QDir>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/targa.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kTga = QString(SHOWFORGE_TESTDATA) + "/tga";

QImage Decode(const std::string& bytes) {
  return DecodeTarga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
QImage DecodeFile(const QString& path) { return Decode(sftest::ReadFile(path.toStdString())); }

// Pixels that differ as 8-bit RGBA (alpha compared only where the reference has some).
int Differences(const QImage& ours, const QImage& reference, bool alpha) {
  const QImage a = ours.convertToFormat(QImage::Format_ARGB32), b = reference.convertToFormat(QImage::Format_ARGB32);
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (alpha && qAlpha(p) == 0 && qAlpha(q) == 0) continue;
      n += (p & 0xFFFFFF) != (q & 0xFFFFFF) || (alpha && qAlpha(p) != qAlpha(q));
    }
  return n;
}
}  // namespace

TEST(TargaSuite, TruevisionFilesGiveTheirReferences) {
  if (!QDir(kTga).exists()) GTEST_SKIP() << "the public picture suites are not at " << kTga.toStdString();
  const QStringList files = QDir(kTga + "/truevision").entryList({"*.tga"}, QDir::Files, QDir::Name);
  ASSERT_GE(files.size(), 15);
  for (const QString& f : files) {
    const QImage reference(kTga + "/truevision/reference/" + f + ".png");
    if (reference.isNull()) continue;
    const QImage ours = DecodeFile(kTga + "/truevision/" + f);
    EXPECT_EQ(Differences(ours, reference, reference.hasAlphaChannel() && ours.hasAlphaChannel()), 0) << f.toStdString();
  }
}

TEST(TargaSuite, PillowFilesInEveryOrientationAndPacking) {
  if (!QDir(kTga).exists()) GTEST_SKIP() << "the public picture suites are not at " << kTga.toStdString();
  int checked = 0;
  for (const char* kind : {"l", "la", "p", "rgb", "rgba"}) {
    const QImage reference(kTga + "/pillow/200x32_" + kind + ".png");
    ASSERT_FALSE(reference.isNull()) << kind;
    for (const char* variant : {"bl_raw", "bl_rle", "tl_raw", "tl_rle"}) {
      const QString name = QString("200x32_%1_%2.tga").arg(kind, variant);
      const QImage ours = DecodeFile(kTga + "/pillow/" + name);
      EXPECT_EQ(Differences(ours, reference, reference.hasAlphaChannel()), 0) << name.toStdString();
      ++checked;
    }
  }
  EXPECT_EQ(checked, 20);
  EXPECT_EQ(DecodeFile(kTga + "/pillow/1x1_l_bl_rle.tga").size(), QSize(1, 1));
  for (const char* f : {"la.tga", "p_16.tga", "rgb32rle.tga", "rgba16.tga", "tga_id_field.tga"})
    EXPECT_NO_THROW(DecodeFile(kTga + "/pillow/" + f)) << f;
  try {
    DecodeFile(kTga + "/pillow/cross_scan_line_truncated.tga");
    ADD_FAILURE() << "a truncated picture decoded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid Targa image format.");
  }
}

TEST(Targa, PixelFormatsAndFaults) {
  // A 2 x 1 true-colour picture, 24 bits, top-left origin: blue then red (bytes B, G, R).
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = 2;
  tga[14] = 1;
  tga[16] = 24;
  tga[17] = 0x20;
  tga += std::string("\xFF\x00\x00\x00\x00\xFF", 6);
  QImage image = Decode(tga);
  EXPECT_EQ(image.format(), QImage::Format_BGR888);
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
  tga[17] = 0x30;  // right to left
  EXPECT_EQ(Decode(tga).pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_THROW(Decode(tga.substr(0, tga.size() - 1)), EInvalidGraphic);  // one byte short
  // Run-length: one packet of 2 repeated 16-bit pixels (5-5-5, pure green).
  std::string rle(18, '\0');
  rle[2] = 10;
  rle[12] = 2;
  rle[14] = 1;
  rle[16] = 16;
  rle += std::string("\x81\xE0\x03", 3);
  image = Decode(rle);
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
  EXPECT_THROW(Decode(rle.substr(0, rle.size() - 1)), EInvalidGraphic);
  std::string huge = rle;
  huge[12] = char(0xFF), huge[13] = char(0x3F), huge[14] = char(0xFF), huge[15] = char(0x3F);
  EXPECT_THROW(Decode(huge), EInvalidGraphic);  // refused before a bitmap is made
  EXPECT_THROW(Decode("short"), EInvalidGraphic);
  std::string badType = tga;
  badType[2] = 4;
  EXPECT_THROW(Decode(badType), EInvalidGraphic);
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(rle), loaded, fcTarga));
}
