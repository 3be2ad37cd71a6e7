// The Netpbm family: Pillow's files against their reference picture, ImageMagick's files in
// every variant against ImageMagick's reading, and the faults.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "imaging/pnm.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {
const QString kPpm = QString(SHOWFORGE_TESTDATA) + "/ppm/pillow";

QImage Decode(const std::string& bytes) {
  return DecodePnm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
std::string Message(const std::string& bytes) {
  try {
    Decode(bytes);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "decoded";
}
QByteArray Magick(const QStringList& args) {
  QProcess p;
  p.start("convert", args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return p.readAllStandardOutput();
}
}  // namespace

TEST(Netpbm, PillowFilesDecodeAsTheirReference) {
  if (!QDir(kPpm).exists()) GTEST_SKIP() << "the public picture suites are not at " << kPpm.toStdString();
  // hopper.ppm as ImageMagick reads it.
  const QImage rgb = Decode(sftest::ReadFile((kPpm + "/hopper.ppm").toStdString()));
  const QByteArray theirs = Magick({kPpm + "/hopper.ppm", "-depth", "8", "rgb:-"});
  if (!theirs.isEmpty()) {
    ASSERT_EQ(theirs.size(), rgb.width() * rgb.height() * 3);
    int differing = 0;
    for (int i = 0; i < rgb.width() * rgb.height(); ++i) {
      const QRgb p = rgb.pixel(i % rgb.width(), i / rgb.width());
      const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData()) + i * 3;
      differing += qRed(p) != t[0] || qGreen(p) != t[1] || qBlue(p) != t[2];
    }
    EXPECT_EQ(differing, 0);
  }
  // Plain and raw, 8 and 16 bits of one grey picture give one picture.
  const QImage g8 = Decode(sftest::ReadFile((kPpm + "/hopper_8bit.pgm").toStdString()));
  EXPECT_EQ(Decode(sftest::ReadFile((kPpm + "/hopper_8bit_plain.pgm").toStdString())), g8);
  const QImage g16 = Decode(sftest::ReadFile((kPpm + "/hopper_16bit.pgm").toStdString()));
  EXPECT_EQ(Decode(sftest::ReadFile((kPpm + "/hopper_16bit_plain.pgm").toStdString())), g16);
  EXPECT_EQ(Decode(sftest::ReadFile((kPpm + "/hopper_1bit.pbm").toStdString())),
            Decode(sftest::ReadFile((kPpm + "/hopper_1bit_plain.pbm").toStdString())));
  // courB08.pbm is a PNG file under a Netpbm name.
  EXPECT_EQ(Message(sftest::ReadFile((kPpm + "/courB08.pbm").toStdString())), "Invalid PBM, PGM or PPM image format.");
  for (const char* f : {"16_bit_binary.pgm", "hopper_8bit.ppm"})
    EXPECT_FALSE(Decode(sftest::ReadFile((kPpm + "/" + f).toStdString())).isNull()) << f;
  EXPECT_EQ(Message(sftest::ReadFile((kPpm + "/negative_size.ppm").toStdString())),
            "Invalid PBM, PGM or PPM image format.");
}

TEST(Netpbm, EveryVariantAsImageMagickWritesAndReadsIt) {
  if (!sftest::HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = sftest::ScratchDir("pnm");
  const QString src = QString::fromStdString(dir + "/src.ppm");
  Magick({"-size", "23x17", "gradient:orange-navy", "-swirl", "90", src});
  struct Case {
    QStringList options;
    const char* name;
  } cases[] = {
      {{"-compress", "none"}, "p3.ppm"},     {{}, "p6.ppm"},
      {{"-depth", "16"}, "p6-16.ppm"},       {{"-depth", "16", "-compress", "none"}, "p3-16.ppm"},
      {{"-colorspace", "gray"}, "p5.pgm"},   {{"-colorspace", "gray", "-compress", "none"}, "p2.pgm"},
      {{"-colorspace", "gray", "-depth", "16"}, "p5-16.pgm"},
      {{"-monochrome"}, "p4.pbm"},           {{"-monochrome", "-compress", "none"}, "p1.pbm"},
  };
  for (const Case& c : cases) {
    const QString file = QString::fromStdString(dir + "/" + c.name);
    QStringList args{src};
    args += c.options;
    args << file;
    Magick(args);
    const std::string bytes = sftest::ReadFile(file.toStdString());
    ASSERT_FALSE(bytes.empty()) << c.name;
    const QImage ours = Decode(bytes);
    const QByteArray theirs = Magick({file, "-depth", "16", "rgb:-"});
    ASSERT_EQ(theirs.size(), 23 * 17 * 6) << c.name;
    const auto* t = reinterpret_cast<const uint8_t*>(theirs.constData());
    int differing = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 23; ++x, t += 6) {
        auto v = [&](int k) { return (t[2 * k] | t[2 * k + 1] << 8) * 255 / 65535; };  // raw samples: low byte first
        const QRgb p = ours.pixel(x, y);
        differing += std::abs(qRed(p) - v(0)) > 0 || std::abs(qGreen(p) - v(1)) > 0 || std::abs(qBlue(p) - v(2)) > 0;
      }
    EXPECT_EQ(differing, 0) << c.name;
  }
}

TEST(Netpbm, FaultsHaveTheirMessages) {
  EXPECT_EQ(Message("Q6 1 1 255\n\x01\x02\x03"), "Invalid PBM, PGM or PPM image format.");
  EXPECT_EQ(Message("P7 1 1 255\n"), "Invalid PBM, PGM or PPM image format.");
  EXPECT_EQ(Message("P6 0 1 255\n"), "Invalid PBM, PGM or PPM image format.");
  EXPECT_EQ(Message("P6 2 2 0\n"), "Invalid PBM, PGM or PPM image format.");
  EXPECT_EQ(Message("P6 99999 2 255\n"), "Invalid PBM, PGM or PPM image format.");
  EXPECT_EQ(Message("P6 2 2 255\n\x01\x02\x03"), "Read error!");  // fewer bytes than 2 x 2 pixels
  EXPECT_EQ(Message("P3 2 1 255\n1 2 3 4 5"), "Read error!");
  EXPECT_EQ(Message("P1 3 1\n1 0"), "Read error!");
  const QImage comment = Decode("P2 # width next\n2 1 # height\n7\n# samples\n7 0\n");
  ASSERT_EQ(comment.size(), QSize(2, 1));
  EXPECT_EQ(comment.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(comment.pixel(1, 0), qRgb(0, 0, 0));
  const QImage bits = Decode("P1 3 1\n101");  // plain bits need no blanks
  EXPECT_EQ(bits.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(bits.pixel(1, 0), qRgb(255, 255, 255));
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream("P5 1 1 255\n\x80", loaded, fcPortable));
  EXPECT_EQ(loaded.pixel(0, 0), qRgb(128, 128, 128));
}
