// PCX: Pillow's files and ImageMagick's in 1, 8 and 24 bits, against ImageMagick's reading.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/pcx.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kPcx = QString(SHOWFORGE_TESTDATA) + "/pcx/pillow";
QImage Decode(const std::string& b) { return DecodePcx(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
// Pixels of our decoding that differ from ImageMagick's reading of the file.
int AgainstMagick(const QString& file) {
  QProcess p;
  p.start("convert", {file + "[0]", "-depth", "8", "rgb:-"});
  p.waitForFinished(20000);
  const QByteArray theirs = p.readAllStandardOutput();
  const QImage ours = Decode(sftest::ReadFile(file.toStdString()));
  if (theirs.size() != qsizetype(ours.width()) * ours.height() * 3) return -1;
  int n = 0;
  for (int i = 0; i < ours.width() * ours.height(); ++i) {
    const QRgb q = ours.pixel(i % ours.width(), i / ours.width());
    const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData()) + 3 * i;
    n += qRed(q) != t[0] || qGreen(q) != t[1] || qBlue(q) != t[2];
  }
  return n;
}
}  // namespace

TEST(PcxSuite, PillowFiles) {
  if (!QDir(kPcx).exists()) GTEST_SKIP() << "the public picture suites are not at " << kPcx.toStdString();
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  for (const char* f : {"odd_stride.pcx", "p_4_planes.pcx"}) EXPECT_EQ(AgainstMagick(kPcx + "/" + f), 0) << f;
  // A signature, black on white by the file's own two-colour palette (ImageMagick reads it
  // inverted).
  const QImage signature = Decode(sftest::ReadFile((kPcx + "/pil184.pcx").toStdString()));
  ASSERT_EQ(signature.size(), QSize(447, 144));
  int black = 0;
  for (int y = 0; y < 144; ++y)
    for (int x = 0; x < 447; ++x) black += signature.pixel(x, y) == qRgb(0, 0, 0);
  EXPECT_GT(black, 2000);
  EXPECT_LT(black, 447 * 144 / 4);
  // Its lines are shorter than its pixels: what they hold is shown, the rest stays index 0.
  EXPECT_EQ(Decode(sftest::ReadFile((kPcx + "/01r_00.pcx").toStdString())).size(), QSize(88, 52));
  try {
    Decode(sftest::ReadFile((kPcx + "/ossfuzz-4836216264589312.pcx").toStdString()));
  } catch (const EInvalidGraphic&) {
  }
}

TEST(Pcx, ImageMagickLayouts) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = sftest::ScratchDir("pcx");
  const QString src = QString::fromStdString(dir + "/src.ppm");
  QProcess p;
  p.start("convert", {"-size", "37x19", "gradient:gold-purple", "-swirl", "100", src});
  ASSERT_TRUE(p.waitForFinished(20000));
  for (QStringList options : {QStringList{"-type", "truecolor"}, QStringList{"-colors", "200", "-type", "palette"},
                              QStringList{"-monochrome"}}) {
    const QString file = QString::fromStdString(dir + "/out.pcx");
    p.start("convert", QStringList{src} + options + QStringList{file});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(AgainstMagick(file), 0) << options.join(' ').toStdString();
  }
}

TEST(Pcx, Faults) {
  std::string pcx(128, '\0');
  pcx[0] = 10, pcx[2] = 1, pcx[3] = 8, pcx[8] = 1, pcx[65] = 1, pcx[66] = 2;  // 2 x 1, 8 bits, RLE
  EXPECT_THROW(Decode(pcx), EInvalidGraphic);               // no data
  const QImage image = Decode(pcx + std::string("\xC2\x07", 2));  // a run of two 7s
  EXPECT_EQ(image.size(), QSize(2, 1));
  EXPECT_EQ(image.pixelIndex(1, 0), 7);
  std::string other = pcx;
  other[0] = 11;
  try {
    Decode(other + "\x01\x02");
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid PCX or SCR image format.");
  }
  other = pcx;
  other[3] = 4, other[65] = 3;
  try {
    Decode(other + "\x01\x02");
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid color format.");
  }
  std::string scr = pcx;
  scr[0] = char(205);
  EXPECT_NO_THROW(Decode(scr + std::string("\xC2\x07", 2)));
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(scr + std::string("\xC2\x07", 2)), loaded, fcPcx));
}
