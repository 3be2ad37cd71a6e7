#include <gtest/gtest.h>

#include "container/gradient.h"

using namespace sf;

namespace {
QImage Bitmap(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(qRgb(1, 2, 3));
  return img;
}
int Grey(const QImage& img, int x, int y) { return qRed(img.pixel(x, y)); }
}  // namespace

TEST(Gradient, RowsOfStyleZeroRoundHalvesToEven) {
  QImage img = Bitmap(3, 256);
  PaintGradient(0x000000, 0xFFFFFF, 0, img);
  EXPECT_EQ(Grey(img, 0, 0), 0);
  EXPECT_EQ(Grey(img, 1, 128), 128);  // 127.5 rounds to 128
  EXPECT_EQ(Grey(img, 2, 129), 128);  // 128.496 rounds to 128
  EXPECT_EQ(Grey(img, 0, 255), 254);  // the last row is not white
  for (int y = 0; y < 256; ++y) EXPECT_EQ(img.pixel(0, y), img.pixel(2, y));
}

TEST(Gradient, StyleOneRunsFromTheBottom) {
  QImage img = Bitmap(2, 256);
  PaintGradient(0x000000, 0xFFFFFF, 1, img);
  EXPECT_EQ(Grey(img, 0, 0), 255);  // k = 256
  EXPECT_EQ(Grey(img, 0, 255), 1);  // k = 1
}

TEST(Gradient, ChannelsRunSeparately) {
  QImage img = Bitmap(100, 1);
  PaintGradient(RGB(200, 0, 10), RGB(0, 100, 10), 2, img);  // columns left to right
  EXPECT_EQ(img.pixel(0, 0), qRgb(200, 0, 10));
  EXPECT_EQ(img.pixel(50, 0), qRgb(100, 50, 10));
  EXPECT_EQ(img.pixel(99, 0), qRgb(2, 99, 10));
  PaintGradient(RGB(200, 0, 10), RGB(0, 100, 10), 3, img);  // from the right
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 100, 10));            // k = W
  EXPECT_EQ(img.pixel(99, 0), qRgb(198, 1, 10));           // k = 1
}

TEST(Gradient, StyleFourClosesInWithOneRectanglePerStep) {
  QImage img = Bitmap(101, 4);
  PaintGradient(0x000000, 0xFFFFFF, 4, img);
  // 51 rectangles (i, 0, 101 - i, H), n = 50.5 steps: column c shows step min(c, 100 - c).
  EXPECT_EQ(Grey(img, 0, 0), 0);
  EXPECT_EQ(Grey(img, 100, 3), 0);
  EXPECT_EQ(Grey(img, 50, 0), 252);  // the last rectangle (50, 0, 51, H): 50 * 255 / 50.5
  EXPECT_EQ(Grey(img, 49, 0), 247);
  EXPECT_EQ(Grey(img, 51, 0), 247);
  for (int c = 0; c <= 50; ++c) EXPECT_EQ(img.pixel(c, 1), img.pixel(100 - c, 2)) << c;
  PaintGradient(0x000000, 0xFFFFFF, 5, img);  // the same bands, steps from the centre
  EXPECT_EQ(Grey(img, 50, 0), 0);
  EXPECT_EQ(Grey(img, 0, 0), 252);
}

TEST(Gradient, BoxAndEllipseStylesCoverTheBitmapAndKeepTheirOrder) {
  QImage img = Bitmap(80, 40);
  PaintGradient(0x000000, 0xFFFFFF, 8, img);
  EXPECT_EQ(Grey(img, 0, 0), 255);  // outermost: k = L div 2
  // The insets along the short side are Round(r / 2): r = 39 gives 20 and an empty rectangle,
  // so the centre shows r = 38, step 2: Round(2 * 6.375) = 13.
  EXPECT_EQ(Grey(img, 40, 20), 13);
  EXPECT_EQ(Grey(img, 0, 20), 255);  // only r = 0 reaches the left column
  EXPECT_EQ(Grey(img, 1, 0), 249);   // r = 1 has the inset Round(0.5) = 0: step 39 reaches the top
  EXPECT_EQ(Grey(img, 2, 0), 249);
  EXPECT_EQ(Grey(img, 2, 1), 242);   // r = 2: inset 1, step 38
  PaintGradient(0x000000, 0xFFFFFF, 9, img);
  EXPECT_EQ(Grey(img, 0, 0), 0);
  EXPECT_EQ(Grey(img, 40, 20), 242);  // 38 * 6.375
  PaintGradient(0x0000FF, 0x00FF00, 10, img);  // filled with B first
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 255, 0));  // corners lie outside every ellipse
  EXPECT_GT(qRed(img.pixel(40, 20)), 200);      // inner ellipses come near A
  PaintGradient(0x0000FF, 0x00FF00, 11, img);   // filled with A first
  EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_GT(qGreen(img.pixel(40, 20)), 200);
}

TEST(Gradient, DegenerateSizesAndUnknownStylesDrawSafely) {
  for (int style = -1; style <= 12; ++style)
    for (auto [w, h] : {std::pair{1, 1}, {1, 7}, {7, 1}, {2, 2}, {0, 0}}) {
      QImage img = Bitmap(w, h);
      PaintGradient(0x102030, 0x405060, style, img);
      if (w * h > 0 && (style < 0 || style > 11)) {
        EXPECT_EQ(img.pixel(0, 0), qRgb(1, 2, 3));
      }
      if (w * h > 0 && style >= 0 && style <= 11) {
        const QRgb p = img.pixel(0, 0);  // a colour between the two, never garbage
        EXPECT_GE(qRed(p), 0x30);
        EXPECT_LE(qRed(p), 0x60);
      }
    }
}
