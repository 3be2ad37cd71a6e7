// Photo CD image packs: Pillow's hopper.pcd, and hand-made packs for the three resolutions, the
// stored rotation and the faults.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "tests/common/rejection.h"
#include "imaging/pcd.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

const QString kPcd = QString(SHOWFORGE_TESTDATA) + "/pcd/pillow/hopper.pcd";

QImage Decode(const std::string& b, int resolution = 2) {
  return DecodePcd(reinterpret_cast<const uint8_t*>(b.data()), b.size(), resolution);
}

std::string Message(const std::string& b, int resolution = 2) {
  return sftest::RejectionOf([&] { Decode(b, resolution); });
}

// A pack whose every resolution is mid grey (Y 100, no chroma) with a white top-left pixel.
std::string MakePack() {
  std::string pack(196608 + 768 * 512 * 3 / 2, '\0');
  pack.replace(2048, 7, "PCD_IPI");
  const struct {
    size_t offset;
    size_t w, h;
  } bases[3] = {{8192, 192, 128}, {47104, 384, 256}, {196608, 768, 512}};
  for (const auto& b : bases) {
    for (size_t pair = 0; pair < b.h / 2; ++pair) {
      char* p = pack.data() + b.offset + pair * 3 * b.w;
      std::memset(p, 100, 2 * b.w);
      std::memset(p + 2 * b.w, 156, b.w / 2);
      std::memset(p + 2 * b.w + b.w / 2, 137, b.w / 2);
    }
    pack[b.offset] = char(188);  // 188 * 1.3584 > 255
  }
  return pack;
}

}  // namespace

TEST(PcdSuite, HopperDecodes) {
  if (!QFile::exists(kPcd)) GTEST_SKIP() << "the public picture suites are not at " << kPcd.toStdString();
  const std::string file = sftest::ReadFile(kPcd.toStdString());
  const QImage image = Decode(file);
  EXPECT_EQ(image.size(), QSize(768, 512));
  EXPECT_EQ(image.format(), QImage::Format_BGR888);
  EXPECT_EQ(Decode(file, 0).size(), QSize(192, 128));
  EXPECT_EQ(Decode(file, 1).size(), QSize(384, 256));
  QImage loaded;
  ASSERT_TRUE(LoadPictureFile(kPcd, loaded));
  EXPECT_EQ(loaded, image);
  if (!sftest::HaveImageMagick()) return;
  // ImageMagick reads the same picture with its own colour mapping: the colours must agree in
  // which channel is strong where (the file's chroma planes in the right order and place), and
  // the luma detail must line up.
  const std::string dir = sftest::ScratchDir("pcd");
  QProcess p;
  p.start("convert", {kPcd, QString::fromStdString(dir + "/im.png")});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QImage im(QString::fromStdString(dir + "/im.png"));
  ASSERT_EQ(im.size(), image.size());
  int64_t agree = 0, total = 0;
  for (int y = 0; y < 512; y += 4)
    for (int x = 0; x < 768; x += 4) {
      const QColor a = image.pixelColor(x, y), b = im.pixelColor(x, y);
      auto order = [](const QColor& c) { return (c.red() > c.green()) * 1 + (c.green() > c.blue()) * 2 + (c.red() > c.blue()) * 4; };
      agree += order(a) == order(b) && std::abs(a.lightness() - b.lightness()) < 64;
      ++total;
    }
  EXPECT_GT(agree * 100 / total, 90);
}

TEST(Pcd, ResolutionsRotationAndFaults) {
  std::string pack = MakePack();
  for (int r = 0; r < 3; ++r) {
    const QImage image = Decode(pack, r);
    EXPECT_EQ(image.width(), 192 << r);
    EXPECT_EQ(image.pixel(1, 1), qRgb(136, 136, 136)) << r;  // 100 * 1.3584, no chroma
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << r;  // clipped
  }
  // A portrait pack (rotation 1) is turned upright: the stored top-left ends at the bottom left.
  pack[0x0E02] = 1;
  QImage portrait = Decode(pack);
  EXPECT_EQ(portrait.size(), QSize(512, 768));
  EXPECT_EQ(portrait.pixel(0, 767), qRgb(255, 255, 255));
  pack[0x0E02] = 3;
  portrait = Decode(pack);
  EXPECT_EQ(portrait.size(), QSize(512, 768));
  EXPECT_EQ(portrait.pixel(511, 0), qRgb(255, 255, 255));
  pack[0x0E02] = 2;
  EXPECT_EQ(Decode(pack).pixel(767, 511), qRgb(255, 255, 255));

  EXPECT_EQ(Message(pack, 3), "Unsupport image format!");
  EXPECT_EQ(Message(pack, -1), "Unsupport image format!");
  std::string unmarked = pack;
  unmarked[2050] = 'X';
  EXPECT_EQ(Message(unmarked), "Invalid PCD image format.");
  // The base picture needs all its rows; the smaller ones still decode from a cut file.
  const std::string cut = pack.substr(0, pack.size() - 1);
  EXPECT_EQ(Message(cut), "Invalid PCD image format.");
  EXPECT_EQ(Decode(cut, 1).width(), 384);
  EXPECT_EQ(Message(pack.substr(0, 2050)), "Invalid PCD image format.");
}
