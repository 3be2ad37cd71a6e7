// Wavefront RLA: OpenImageIO's files at 8, 10 and 16 bits, and hand-made files for the row order,
// the channel description and damaged offsets.
#include <QDir>
#include <gtest/gtest.h>

#include "imaging/graphic.h"
#include "tests/common/rejection.h"
#include "imaging/rla.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {

const QString kRla = QString(SHOWFORGE_TESTDATA) + "/rla/oiio";

QImage Decode(const std::string& b) { return DecodeRla(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
QImage DecodeFile(const QString& name) { return Decode(sftest::ReadFile((kRla + "/" + name).toStdString())); }

std::string Message(const std::string& b) {
  return sftest::RejectionOf([&] { Decode(b); });
}

void Put16(std::string& s, size_t at, int v) {
  s[at] = char(v >> 8);
  s[at + 1] = char(v);
}

// A 2 x 2 RGB picture, 8 bits, one literal run per channel and row; rows[0] is the file's first
// scanline.
// With mattes, each row's matte channel follows its colour channels.
std::string MakeRla(const char* channelText, const uint8_t rows[2][3][2], const uint8_t (*mattes)[2] = nullptr) {
  std::string f(740, '\0');
  for (int at : {0, 8}) Put16(f, size_t(at) + 2, 1), Put16(f, size_t(at) + 6, 1);  // windows 0..1
  Put16(f, 20, 3);
  if (mattes) Put16(f, 22, 1), Put16(f, 662, 8);
  f.replace(580, std::strlen(channelText), channelText);
  Put16(f, 658, 8);
  std::string scan[2];
  for (int y = 0; y < 2; ++y)
    for (int c = 0; c < (mattes ? 4 : 3); ++c) {
      const uint8_t* v = c < 3 ? rows[y][c] : mattes[y];
      scan[y] += std::string{'\0', '\3', char(0xFE)};  // length 3: copy two bytes
      scan[y] += char(v[0]);
      scan[y] += char(v[1]);
    }
  const size_t first = 740 + 8;
  std::string table(8, '\0');
  const size_t offsets[2] = {first, first + scan[0].size()};
  for (int y = 0; y < 2; ++y)
    for (int k = 0; k < 4; ++k) table[size_t(4 * y + k)] = char(offsets[y] >> (24 - 8 * k));
  return f + table + scan[0] + scan[1];
}

}  // namespace

TEST(RlaSuite, OpenImageIoFilesDecode) {
  if (!QDir(kRla).exists()) GTEST_SKIP() << "the public picture suites are not at " << kRla.toStdString();
  const QImage rgb8 = DecodeFile("ginsu_rgb_nc8.rla");
  EXPECT_EQ(rgb8.size(), QSize(512, 512));
  EXPECT_FALSE(rgb8.hasAlphaChannel());
  // The 10- and 16-bit files hold the same picture: scaled to 8 bits they stay within 1 of it.
  for (const char* twin : {"ginsu_rgb_nc10.rla", "ginsu_rgb_nc16.rla"}) {
    const QImage other = DecodeFile(twin);
    ASSERT_EQ(other.size(), rgb8.size());
    int worst = 0;
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) {
        const QRgb a = rgb8.pixel(x, y), b = other.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
      }
    EXPECT_LE(worst, 1) << twin;
  }
  const QImage rgba = DecodeFile("ginsu_rgba_nc8.rla");
  EXPECT_TRUE(rgba.hasAlphaChannel());
  EXPECT_EQ(qAlpha(rgba.pixel(0, 0)), 0);  // the corner is outside the letters
  EXPECT_TRUE(DecodeFile("ginsu_rgba_nc16.rla").hasAlphaChannel());
  EXPECT_TRUE(DecodeFile("ginsu_a_nc8.rla").hasAlphaChannel());
  EXPECT_EQ(DecodeFile("imgmake_rgba_nc8.rla").size(), QSize(512, 512));
  // The letters stand upright: the file's first scanline is the bottom row, and the top of the
  // picture is background while its middle band holds colour.
  int coloured = 0;
  for (int x = 0; x < 512; ++x) coloured += rgb8.pixel(x, 200) != qRgb(0, 0, 0);
  EXPECT_GT(coloured, 50);
  for (const char* crash : {"crash1.rla", "crash2.rla"}) EXPECT_THROW(DecodeFile(crash), EInvalidGraphic) << crash;
}

TEST(Rla, RowOrderChannelTextAndFaults) {
  const uint8_t rows[2][3][2] = {{{1, 2}, {3, 4}, {5, 6}}, {{10, 20}, {30, 40}, {50, 60}}};
  const std::string rla = MakeRla("rgb", rows);
  const QImage image = Decode(rla);
  ASSERT_EQ(image.size(), QSize(2, 2));
  EXPECT_EQ(image.pixel(0, 1), qRgb(1, 3, 5));     // first scanline: bottom row
  EXPECT_EQ(image.pixel(1, 0), qRgb(20, 40, 60));  // second: top row
  EXPECT_EQ(Decode(MakeRla("XYZ", rows)), image);  // compared in lower case
  EXPECT_EQ(Message(MakeRla("cmy", rows)), "Invalid color format.");
  // An offset past the end, a run that needs more bytes than its length gives, a cut file.
  std::string bad = rla;
  bad[740] = char(0x7F);
  EXPECT_EQ(Message(bad), "Invalid RLA image format.");
  bad = rla;
  bad[748 + 1] = 2;  // length 2 for a run of three bytes
  EXPECT_EQ(Message(bad), "Invalid RLA image format.");
  EXPECT_EQ(Message(rla.substr(0, rla.size() - 1)), "Invalid RLA image format.");
  EXPECT_EQ(Message(rla.substr(0, 700)), "Invalid RLA image format.");
  // An empty active window.
  bad = rla;
  Put16(bad, 10, -1);
  EXPECT_EQ(Message(bad), "Invalid RLA image format.");
}

TEST(Rla, ColourUnderAMatteIsStoredPremultipliedAndComesOutStraight) {
  // Stored (13, 0, 9) under matte 23 is the straight colour (144, 0, 100); an opaque pixel keeps
  // its colour, a clear one is black.
  const uint8_t rows[2][3][2] = {{{13, 50}, {0, 60}, {9, 70}}, {{5, 0}, {5, 0}, {5, 0}}};
  const uint8_t mattes[2][2] = {{23, 255}, {0, 0}};
  const QImage image = Decode(MakeRla("rgb", rows, mattes));
  ASSERT_TRUE(image.hasAlphaChannel());
  EXPECT_EQ(image.pixel(0, 1), qRgba(144, 0, 100, 23));
  EXPECT_EQ(image.pixel(1, 1), qRgba(50, 60, 70, 255));
  EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 0));
}
