// Paint Shop Pro files of versions 3 and 4: no public samples exist, so they are written here
// from the published layout (file header, "~BK" blocks, general attributes, palette, layer bank
// with the first layer's channels) in every storage and bit depth.
#include <gtest/gtest.h>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "tests/common/rejection.h"
#include "imaging/psp.h"
#include "tests/imaging/pspwriter.h"

using namespace sf;
using sftest::TPspWriter;
using sftest::U16;
using sftest::U32;

namespace {

QImage Decode(const std::string& b) { return DecodePsp(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }

std::string Message(const std::string& b) {
  return sftest::RejectionOf([&] { Decode(b); });
}

int Red(int x, int y) { return (x * 19 + y * 3) & 0xFF; }
int Green(int x, int y) { return x < 7 ? 200 : y * 40; }  // long runs
int Blue(int x, int y) { return (x ^ y) * 11 & 0xFF; }

}  // namespace

TEST(Psp, EveryVersionStorageAndDepth) {
  for (int major : {3, 4})
    for (uint32_t compression : {0u, 1u, 2u}) {
      const std::string where = "version " + std::to_string(major) + ", compression " + std::to_string(compression);
      TPspWriter w;
      w.major = major;
      w.compression = compression;
      const QImage rgb = Decode(w.File({w.Plane(8, Red), w.Plane(8, Green), w.Plane(8, Blue)}));
      ASSERT_EQ(rgb.size(), QSize(13, 5)) << where;
      EXPECT_EQ(rgb.format(), QImage::Format_BGR888);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(rgb.pixel(x, y), qRgb(Red(x, y), Green(x, y), Blue(x, y))) << where << " " << x << "," << y;

      for (uint32_t bits : {1u, 4u, 8u}) {
        w.bits = bits;
        const int mask = (1 << bits) - 1;
        auto index = [mask](int x, int y) { return (x * 5 + y) & mask; };
        // The palette as Windows keeps it: blue, green, red, spare.
        std::string palette;
        for (int i = 0; i <= mask; ++i) palette += std::string{char(i), char(255 - i), char(i * 3), '\0'};
        for (bool pad : {false, true}) {
          w.padRows = pad;
          const QImage indexed = Decode(w.File({w.Plane(int(bits), index)}, palette));
          ASSERT_EQ(indexed.format(), QImage::Format_Indexed8) << where;
          for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(indexed.pixelIndex(x, y), index(x, y)) << where << " bits " << bits;
          const int i = index(3, 2);
          EXPECT_EQ(indexed.pixel(3, 2), qRgb(i * 3 & 0xFF, 255 - i, i)) << where;
        }
        w.padRows = false;
        // A greyscale picture takes a grey ramp of its depth.
        w.greyscale = true;
        const QImage grey = Decode(w.File({w.Plane(int(bits), index)}));
        const int g = index(3, 2) * 255 / mask;
        EXPECT_EQ(grey.pixel(3, 2), qRgb(g, g, g)) << where << " bits " << bits;
        w.greyscale = false;
      }
    }
}

TEST(Psp, LayerPlacementAndFaults) {
  TPspWriter w;
  w.width = 6, w.height = 4, w.left = 2, w.top = 1, w.layerW = 6, w.layerH = 2;
  const std::string placed = w.File({w.Plane(8, Red), w.Plane(8, Green), w.Plane(8, Blue)});
  const QImage image = Decode(placed);
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));  // outside the layer
  EXPECT_EQ(image.pixel(2, 1), qRgb(Red(0, 0), Green(0, 0), Blue(0, 0)));
  EXPECT_EQ(image.pixel(5, 2), qRgb(Red(3, 1), Green(3, 1), Blue(3, 1)));  // clipped on the right
  EXPECT_EQ(image.pixel(2, 3), qRgb(255, 255, 255));
  QImage loaded;
  EXPECT_TRUE(LoadPictureStream(QByteArray::fromStdString(placed), loaded, fcPsp));

  TPspWriter v;
  const std::string good = v.File({v.Plane(8, Red), v.Plane(8, Green), v.Plane(8, Blue)});
  std::string upper = good;
  for (size_t i = 0; i < 25; ++i) upper[i] = char(std::toupper(upper[i]));
  EXPECT_EQ(Decode(upper), Decode(good));  // the header text in any case
  std::string wrong = good;
  wrong[5] = 'X';
  EXPECT_EQ(Message(wrong), "Invalid PSP image format.");
  std::string version = good;
  version[32] = 5;
  EXPECT_EQ(Message(version), "Unsupport image format!");
  v.bits = 16;
  EXPECT_EQ(Message(v.File({v.Plane(8, Red)})), "Invalid color format.");
  v.bits = 24;
  v.compression = 3;
  EXPECT_EQ(Message(v.File({v.Plane(8, Red), v.Plane(8, Green), v.Plane(8, Blue)})), "Unsupport image format!");
  // A missing channel, channel data cut short, a block longer than the file.
  EXPECT_EQ(Message(TPspWriter().File({v.Plane(8, Red), v.Plane(8, Green)})), "Invalid PSP image format.");
  EXPECT_EQ(Message(good.substr(0, good.size() - 2)), "Invalid PSP image format.");
  for (uint32_t c : {1u, 2u}) {
    TPspWriter packed;
    packed.compression = c;
    const std::string f = packed.File({packed.Plane(8, Red), packed.Plane(8, Green), packed.Plane(8, Blue)});
    for (size_t cut : {size_t(3), size_t(40), f.size() - 100}) EXPECT_THROW(Decode(f.substr(0, f.size() - cut)), EInvalidGraphic) << c;
  }
  // A huge picture whose data cannot fill it is refused before the bitmap is made.
  TPspWriter huge;
  huge.width = huge.layerW = 16000, huge.height = huge.layerH = 16000;
  huge.compression = 1;
  EXPECT_EQ(Message(huge.File({"x", "x", "x"})), "Invalid PSP image format.");
}
