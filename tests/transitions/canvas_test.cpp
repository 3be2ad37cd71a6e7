// The canvas: clipped copies, stretches, the clip region and the dirty rectangle.
#include <gtest/gtest.h>

#include "platform/canvas.h"
#include "platform/regions.h"

using namespace sf;

namespace {
QImage Numbered(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x, y, 7));
  return img;
}
}  // namespace

TEST(Canvas, CopiesAreClippedToTheSourceAndTheTarget) {
  QImage src = Numbered(10, 10), dst(20, 20, QImage::Format_RGB32);
  dst.fill(Qt::black);
  TCanvas c(dst);
  c.CopyRect(ltrb(5, 5, 15, 15), src, ltrb(-3, -3, 7, 7));  // a part outside the source is not read
  EXPECT_EQ(dst.pixel(5, 5), QColor(Qt::black).rgb());
  EXPECT_EQ(dst.pixel(8, 8), qRgb(0, 0, 7));
  EXPECT_EQ(dst.pixel(14, 14), qRgb(6, 6, 7));
  EXPECT_EQ(c.TakeDirty(), ltrb(8, 8, 15, 15));
  c.CopyRect(ltrb(15, 15, 25, 25), src, ltrb(0, 0, 10, 10));  // runs off the target
  EXPECT_EQ(dst.pixel(19, 19), qRgb(4, 4, 7));
  EXPECT_EQ(c.TakeDirty(), ltrb(15, 15, 20, 20));
  c.CopyRect(ltrb(5, 5, 2, 9), src, ltrb(5, 5, 2, 9));  // inverted: nothing
  c.CopyRect(ltrb(0, 0, 5, 5), src, ltrb(20, 20, 25, 25));  // wholly outside the source
  EXPECT_TRUE(c.TakeDirty().isEmpty());
}

TEST(Canvas, StretchIsNearestNeighbour) {
  QImage src = Numbered(4, 2), dst(8, 6, QImage::Format_RGB32);
  TCanvas c(dst);
  c.StretchDraw(ltrb(0, 0, 8, 6), src);
  EXPECT_EQ(dst.pixel(0, 0), qRgb(0, 0, 7));
  EXPECT_EQ(dst.pixel(1, 2), qRgb(0, 0, 7));
  EXPECT_EQ(dst.pixel(2, 3), qRgb(1, 1, 7));
  EXPECT_EQ(dst.pixel(7, 5), qRgb(3, 1, 7));
  QImage strip(8, 1, QImage::Format_RGB32);
  TCanvas s(strip);
  s.CopyRect(ltrb(0, 0, 8, 1), src, ltrb(0, 1, 4, 2));  // a shorter band stretched to fill
  EXPECT_EQ(strip.pixel(7, 0), qRgb(3, 1, 7));
}

TEST(Canvas, DrawHonoursTheClipRegion) {
  QImage src = Numbered(10, 10), dst(10, 10, QImage::Format_RGB32);
  dst.fill(Qt::black);
  TCanvas c(dst);
  c.SelectClipRgn(QRegion(ltrb(0, 0, 10, 10)).subtracted(QRegion(ltrb(2, 2, 8, 8))));
  c.Draw(0, 0, src);
  c.ClearClip();
  EXPECT_EQ(dst.pixel(1, 1), qRgb(1, 1, 7));
  EXPECT_EQ(dst.pixel(5, 5), QColor(Qt::black).rgb());
  c.Draw(0, 0, src);
  EXPECT_EQ(dst.pixel(5, 5), qRgb(5, 5, 7));
}

TEST(Regions, BuildersFollowTheExclusiveRectangleRule) {
  const QRegion rect = CreateRectRgn(2, 3, 10, 7);
  EXPECT_EQ(rect.boundingRect(), ltrb(2, 3, 10, 7));
  EXPECT_TRUE(CreateRectRgn(5, 5, 5, 9).isEmpty());
  EXPECT_TRUE(CreateRectRgn(5, 5, 2, 9).isEmpty());
  const QRegion ellipse = CreateEllipticRgn(0, 0, 40, 20);
  EXPECT_TRUE(ellipse.contains(QPoint(20, 10)));
  EXPECT_FALSE(ellipse.contains(QPoint(0, 0)));  // corners lie outside
  EXPECT_FALSE(ellipse.contains(QPoint(39, 19)));
  EXPECT_TRUE(ltrb(0, 0, 40, 20).contains(ellipse.boundingRect()));
  // A star drawn in one stroke: the winding rule fills its centre too.
  const QRegion star = CreatePolygonRgn({{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
  EXPECT_TRUE(star.contains(QPoint(50, 50)));
  EXPECT_TRUE(CreatePolygonRgn({{0, 0}, {5, 5}}).isEmpty());
  const QRegion a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 0, 15, 10);
  EXPECT_EQ(CombineRgn(a, b, TRegionMode::Or).boundingRect(), ltrb(0, 0, 15, 10));
  EXPECT_EQ(CombineRgn(a, b, TRegionMode::And).boundingRect(), ltrb(5, 0, 10, 10));
  EXPECT_EQ(CombineRgn(a, b, TRegionMode::Diff).boundingRect(), ltrb(0, 0, 5, 10));
  EXPECT_EQ(OffsetRgn(a, 3, 4).boundingRect(), ltrb(3, 4, 13, 14));
}

TEST(Regions, ScanConversionByPixelCentresAndBands) {
  // A polygon on whole pixels is its rectangle, in one band.
  const QRegion box = CreatePolygonRgn({{2, 3}, {10, 3}, {10, 7}, {2, 7}});
  EXPECT_EQ(box, CreateRectRgn(2, 3, 10, 7));
  EXPECT_EQ(box.rectCount(), 1);
  // A triangle takes the pixels whose centres lie inside it, an edge's right side out: row y
  // (centre y + 0.5) runs from x 0 to y + 0.5, so it holds the y pixels left of x = y.
  const QRegion triangle = CreatePolygonRgn({{0, 0}, {8, 8}, {0, 8}});
  EXPECT_FALSE(triangle.contains(QPoint(0, 0)));
  EXPECT_TRUE(triangle.contains(QPoint(0, 1)));
  EXPECT_TRUE(triangle.contains(QPoint(6, 7)));
  EXPECT_FALSE(triangle.contains(QPoint(7, 7)));
  int pixels = 0;
  for (const QRect& r : triangle) pixels += r.width() * r.height();
  EXPECT_EQ(pixels, 28);  // 0 + 1 + ... + 7
  // Polygons filled together are the union of each filled alone, also where they overlap; a
  // gap between them stays out.
  const std::vector<QPoint> a{{0, 0}, {30, 0}, {0, 20}}, b{{20, 10}, {50, 10}, {20, 40}}, c{{0, 60}, {9, 60}, {0, 70}};
  EXPECT_EQ(CreatePolyPolygonRgn({a, b, c}),
            CombineRgnAll({CreatePolygonRgn(a), CreatePolygonRgn(b), CreatePolygonRgn(c)}));
  // An ellipse's rows are symmetric about its centre; its widest row spans the box.
  const QRegion ellipse = CreateEllipticRgn(0, 0, 41, 21);
  EXPECT_TRUE(ltrb(0, 0, 41, 21).contains(ellipse.boundingRect()));
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 41; ++x) EXPECT_EQ(ellipse.contains(QPoint(x, y)), ellipse.contains(QPoint(40 - x, 20 - y))) << x << "," << y;
  EXPECT_TRUE(ellipse.contains(QPoint(0, 10)) && ellipse.contains(QPoint(40, 10)));
  EXPECT_TRUE(CreateEllipticRgn(5, 5, 5, 9).isEmpty());
}

TEST(Canvas, ColumnRuns) {
  QImage src(16, 4, QImage::Format_RGB32), dst(16, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) src.setPixel(x, y, qRgb(x, y, 1));
  dst.fill(Qt::black);
  TCanvas c(dst);
  // Every other column from column 3 onto column 0, and from column 0 onto column 5: where the
  // two interleave, every column is written; columns beyond either picture are left out.
  c.CopyColumnRuns(src, {{3, 0, 5, 2}, {0, 5, 20, 2}}, 0, 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) {
      QRgb want = qRgb(0, 0, 0);
      if (x % 2 == 0 && x <= 8) want = qRgb(x + 3, y, 1);
      if (x % 2 == 1 && x >= 5) want = qRgb(x - 5, y, 1);
      EXPECT_EQ(dst.pixel(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(c.TakeDirty(), ltrb(0, 0, 16, 4));
}

TEST(Canvas, MarkedPixelsShiftedClippedAndConverted) {
  // A 21 x 7 source whose marks hold the key on a scatter of pixels, other numbers elsewhere;
  // copied shifted onto a 17 x 9 target, every target pixel is the source's exactly where the
  // shifted mark is the key, for shifts that cut every side and rows of every length the
  // vector path takes in eights and the rest.
  const QImage src = Numbered(21, 7);
  const qsizetype stride = 24;
  std::vector<uint8_t> marks(size_t(stride) * 7);
  for (size_t i = 0; i < marks.size(); ++i) marks[i] = uint8_t((i * 7919) % 5);  // key 3: a fifth
  for (const QPoint shift : {QPoint(0, 0), QPoint(-3, 2), QPoint(2, -1), QPoint(-20, 5), QPoint(16, 8), QPoint(17, 0)}) {
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888}) {
      QImage dst(17, 9, format);
      dst.fill(Qt::black);
      TCanvas c(dst);
      c.CopyMarked(src, shift.x(), shift.y(), marks.data(), stride, 3);
      QRect touched;
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x) {
          const int sx = x - shift.x(), sy = y - shift.y();
          const bool in = src.rect().contains(sx, sy) && marks[size_t(sy * stride + sx)] == 3;
          if (in) touched |= QRect(x, y, 1, 1);
          ASSERT_EQ(dst.pixel(x, y) | 0xff000000u, in ? src.pixel(sx, sy) : qRgb(0, 0, 0)) << shift.x() << "," << shift.y() << " at " << x << "," << y;
        }
      const QRect dirty = c.TakeDirty();
      EXPECT_TRUE(touched.isEmpty() ? dirty.isEmpty() : dirty.contains(touched)) << shift.x() << "," << shift.y();
    }
  }
  // No pixel marked with the key: nothing is drawn and nothing repaints.
  QImage dst(17, 9, QImage::Format_RGB32);
  dst.fill(Qt::black);
  TCanvas c(dst);
  c.CopyMarked(src, 0, 0, marks.data(), stride, 9);
  EXPECT_TRUE(c.TakeDirty().isEmpty());
  EXPECT_EQ(dst.pixel(0, 0), qRgb(0, 0, 0));
  // A copy within the bitmap reads the pixels as they were before it.
  QImage self = Numbered(21, 7);
  TCanvas own(self);
  std::vector<uint8_t> all(size_t(stride) * 7, 1);
  own.CopyMarked(self, 1, 0, all.data(), stride, 1);
  EXPECT_EQ(self.pixel(5, 3), src.pixel(4, 3));
  EXPECT_EQ(self.pixel(20, 6), src.pixel(19, 6));
}

TEST(Canvas, MarkedRowsVectorAndPortableAgree) {
  // Rows of every length to 40 from every start: the vector path and the portable one copy
  // exactly the marked pixels, touch nothing past the row, and say whether any was copied.
  std::vector<QRgb> src(64), a(64), b(64);
  std::vector<uint8_t> marks(64);
  for (size_t i = 0; i < 64; ++i) src[i] = QRgb(0x01000000u * i + 0x10101u), marks[i] = uint8_t(i * 37 % 11 == 0 ? 200 : i % 3);
  for (size_t start = 0; start < 8; ++start)
    for (size_t n = 0; n <= 40; ++n)
      for (const uint8_t key : {uint8_t(200), uint8_t(1), uint8_t(7)}) {
        std::fill(a.begin(), a.end(), 0xdeadbeefu), std::fill(b.begin(), b.end(), 0xdeadbeefu);
        bool want = false;
        std::vector<QRgb> expected = a;
        for (size_t i = start; i < start + n; ++i)
          if (marks[i] == key) expected[i] = src[i], want = true;
        EXPECT_EQ(CopyMarkedRow(a.data() + start, src.data() + start, marks.data() + start, n, key), want);
        EXPECT_EQ(CopyMarkedRowPortable(b.data() + start, src.data() + start, marks.data() + start, n, key), want);
        ASSERT_EQ(a, expected) << start << " " << n << " " << int(key);
        ASSERT_EQ(b, expected) << start << " " << n << " " << int(key);
      }
}

TEST(Canvas, RaggedColumnRangesShiftedAndClipped) {
  // Columns 0 to 11 of a 12 x 10 source with ragged ranges (equal neighbours make a rectangle,
  // ranges that run off either picture, empty and inverted ones), shifted by (-2, 3) onto a
  // 9 x 9 target: every target pixel is the source's where its column's range holds the row.
  const QImage src = Numbered(12, 10);
  const std::vector<int32_t> top{0, 2, 2, 2, 2, 5, -4, 9, 3, 6, 0, 1}, bottom{10, 6, 6, 6, 6, 5, 3, 20, 2, 9, 1, 8};
  for (const bool wide : {false, true}) {
    QImage dst(9, 9, QImage::Format_RGB32);
    dst.fill(Qt::black);
    TCanvas c(dst);
    std::vector<int32_t> t = top, b = bottom;
    if (wide) t.assign(12, 1), b.assign(12, 7);  // one rectangle
    c.CopyColumnRanges(src, -2, 3, 0, t, b);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 9; ++x) {
        const int sx = x + 2, sy = y - 3;
        const bool in = sy >= 0 && sy < 10 && t[size_t(sx)] <= sy && sy < b[size_t(sx)];
        EXPECT_EQ(dst.pixel(x, y), in ? src.pixel(sx, sy) : qRgb(0, 0, 0)) << wide << " " << x << "," << y;
      }
  }
}
