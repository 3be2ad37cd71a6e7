// PSD: the psd-tools and OpenImageIO documents, and ImageMagick's in each layout, against
// ImageMagick's reading of the merged picture.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/psd.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kPsd = QString(SHOWFORGE_TESTDATA) + "/psd";
QImage Decode(const std::string& b) { return DecodePsd(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
// Pixels (RGBA) that differ from ImageMagick's reading of the merged picture by more than tolerance.
int AgainstMagick(const QString& file, int tolerance = 0) {
  QProcess p;
  p.start("convert", {file + "[0]", "-colorspace", "sRGB", "-depth", "8", "rgba:-"});
  p.waitForFinished(30000);
  const QByteArray theirs = p.readAllStandardOutput();
  const QImage ours = Decode(sftest::ReadFile(file.toStdString())).convertToFormat(QImage::Format_ARGB32);
  if (theirs.size() != qsizetype(ours.width()) * ours.height() * 4) return -1;
  int n = 0;
  for (int i = 0; i < ours.width() * ours.height(); ++i) {
    const QRgb q = ours.pixel(i % ours.width(), i / ours.width());
    const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData()) + 4 * i;
    n += std::abs(qRed(q) - t[0]) > tolerance || std::abs(qGreen(q) - t[1]) > tolerance ||
         std::abs(qBlue(q) - t[2]) > tolerance || std::abs(qAlpha(q) - t[3]) > tolerance;
  }
  return n;
}
}  // namespace

TEST(PsdSuite, EveryColourModeDecodes) {
  if (!QDir(kPsd).exists()) GTEST_SKIP() << "the public picture suites are not at " << kPsd.toStdString();
  for (const QString& folder : {QString("psd-tools"), QString("oiio")})
    for (const QString& f : QDir(kPsd + "/" + folder).entryList({"*.psd"}, QDir::Files)) {
      if (f.startsWith("corrupt")) {
        try {
          Decode(sftest::ReadFile((kPsd + "/" + folder + "/" + f).toStdString()));
        } catch (const EInvalidGraphic&) {
        }
        continue;
      }
      EXPECT_NO_THROW(Decode(sftest::ReadFile((kPsd + "/" + folder + "/" + f).toStdString()))) << f.toStdString();
    }
  if (!sftest::HaveImageMagick()) return;
  for (const char* f : {"4x4_8bit_rgb.psd", "4x4_16bit_rgb.psd", "4x4_8bit_cmyk.psd", "4x4_16bit_cmyk.psd",
                        "4x4_8bit_rgba.psd", "4x4_8bit_grayscale.psd", "4x4_16bit_grayscale.psd",
                        "4x4_1bit_bitmap.psd"})
    EXPECT_EQ(AgainstMagick(kPsd + "/psd-tools/" + f, 1), 0) << f;
  for (const char* f : {"psd_rgb_8.psd", "psd_rgba_8.psd", "psd_bitmap.psd", "psd_rgb_16_rle.psd"})
    EXPECT_EQ(AgainstMagick(kPsd + "/oiio/" + f, 1), 0) << f;
  // One picture in every mode: the indexed one equals its RGB twin (ImageMagick cannot read it),
  // L*a*b* comes close.
  const QImage indexed = Decode(sftest::ReadFile((kPsd + "/psd-tools/4x4_8bit_index_color.psd").toStdString()));
  const QImage twin = Decode(sftest::ReadFile((kPsd + "/psd-tools/4x4_8bit_rgb.psd").toStdString()));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const QRgb a = indexed.pixel(x, y), b = twin.pixel(x, y);
      EXPECT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)), 3);
    }
  const QImage rgb = Decode(sftest::ReadFile((kPsd + "/psd-tools/4x4_8bit_rgb.psd").toStdString()));
  const QImage lab = Decode(sftest::ReadFile((kPsd + "/psd-tools/4x4_8bit_lab.psd").toStdString()));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const QRgb a = rgb.pixel(x, y), b = lab.pixel(x, y);
      EXPECT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)), 60);
    }
}

TEST(Psd, ImageMagickLayoutsAndFaults) {
  if (sftest::HaveImageMagick()) {
    // ImageMagick writes these but cannot read them back: they are checked against the picture
    // they were written from (through ImageMagick's own grey and CMYK conversions).
    const std::string dir = sftest::ScratchDir("psd");
    const QString src = QString::fromStdString(dir + "/src.png");
    QProcess p;
    p.start("convert", {"-size", "33x21", "gradient:olive-violet", "-swirl", "90", "-depth", "8", src});
    ASSERT_TRUE(p.waitForFinished(20000));
    struct Case {
      QStringList options;
      QStringList reference;
      int tolerance;
    } cases[] = {
        {{"-compress", "none"}, {}, 0},
        {{"-compress", "RLE"}, {}, 0},
        {{"-colorspace", "gray", "-compress", "RLE"}, {"-colorspace", "gray"}, 1},
        {{"-colorspace", "cmyk", "-compress", "none"}, {}, 2},
    };
    for (const Case& c : cases) {
      const QString file = QString::fromStdString(dir + "/out.psd");
      p.start("convert", QStringList{src} + c.options + QStringList{file});
      ASSERT_TRUE(p.waitForFinished(20000));
      p.start("convert", QStringList{src} + c.reference + QStringList{"-depth", "8", "rgb:-"});
      ASSERT_TRUE(p.waitForFinished(20000));
      const QByteArray want = p.readAllStandardOutput();
      const QImage ours = Decode(sftest::ReadFile(file.toStdString()));
      ASSERT_EQ(ours.size(), QSize(33, 21)) << c.options.join(' ').toStdString();
      ASSERT_EQ(want.size(), 33 * 21 * 3);
      int differing = 0;
      for (int i = 0; i < 33 * 21; ++i) {
        const QRgb q = ours.pixel(i % 33, i / 33);
        const auto* t = reinterpret_cast<const uint8_t*>(want.constData()) + 3 * i;
        differing += std::abs(qRed(q) - t[0]) > c.tolerance || std::abs(qGreen(q) - t[1]) > c.tolerance ||
                     std::abs(qBlue(q) - t[2]) > c.tolerance;
      }
      EXPECT_EQ(differing, 0) << c.options.join(' ').toStdString();
    }
  }
  try {
    Decode("8BPX and more bytes than a header has......");
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid PSD or PDD image format.");
  }
  std::string psd = std::string("8BPS\0\1\0\0\0\0\0\0\0\3\0\0\0\2\0\0\0\2\0\x08\0\3", 26) + std::string(12, '\0');
  psd += std::string("\0\0", 2) + std::string(12, '\x7F');  // raw, 3 channels of 2 x 2
  const QImage image = Decode(psd);
  EXPECT_EQ(image.pixel(1, 1), qRgb(127, 127, 127));
  EXPECT_THROW(Decode(psd.substr(0, psd.size() - 1)), EInvalidGraphic);
  std::string huge = psd;
  huge[17] = 0x40, huge[21] = 0x40;  // 16,384 x 16,384 promised by 12 bytes
  EXPECT_THROW(Decode(huge), EInvalidGraphic);
  // A colour mode the format does not have (the fuzzer's find: it was read as three channels).
  std::string mode = psd;
  mode[24] = char(0x8A), mode[12] = 0, mode[13] = 1;
  try {
    Decode(mode);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid color format.");
  }
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(psd), loaded, fcPsd));
}
