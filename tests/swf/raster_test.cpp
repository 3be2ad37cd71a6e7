// The flash player's rasterizer and paints: exact coverage at fractional edges, the two fill
// rules, edges outside the area, hostile coordinates, the area of random polygons; blending by
// coverage, gradient spreads, bitmap sampling; masks; frames drawn in bands (layers shared by
// the bands, frames drawn on several threads at once) equal to the same drawn in strips.
#include <QPainterPath>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <thread>

#include "swf/player.h"
#include "swf/raster.h"
#include "tests/swf/samplemovies.h"

using namespace sf::swf;
using sftest::TBits;
using sftest::TShapeRecords;

namespace {

// Collects a pass's coverage by pixel, the fills' shares of a pixel summed; checks that rows come
// top to bottom and, within a row, left to right, once each pixel.
struct TCollect final : TCoverageSink {
  QRect area;
  std::map<std::pair<int, int>, int> out;
  int lastY = INT32_MIN, lastX = INT32_MIN;
  void Pixel(int y, int x, int c) {
    EXPECT_TRUE(y > lastY || (y == lastY && x > lastX)) << x << "," << y;
    EXPECT_TRUE(area.contains(x, y)) << x << "," << y;
    lastY = y, lastX = x;
    out[{x, y}] += c;
  }
  void Run(int y, int x, int n, uint16_t, const uint8_t* c) override {
    for (int i = 0; i < n; ++i) Pixel(y, x + i, c[i]);
  }
  void Span(int y, int x, int n, uint16_t, uint8_t c) override {
    EXPECT_GT(c, 0);
    for (int i = 0; i < n; ++i) Pixel(y, x + i, c);
  }
  void Mixed(int y, int x, int n, const TShare* shares, int count) override {
    EXPECT_GT(count, 1);
    int sum = 0;
    for (int k = 0; k < count; ++k) sum += shares[k].coverage;
    for (int i = 0; i < n; ++i) Pixel(y, x + i, sum);
  }
};

// The coverage of each pixel of `area` that a path gets, by (x, y).
std::map<std::pair<int, int>, int> Coverage(const QPainterPath& path, QRect area, bool evenOdd = true) {
  TRasterizer r;
  TCollect collect;
  collect.area = area;
  r.Pass(area, evenOdd, [&](TRasterizer& ras) { ras.AddPath(path, QTransform()); }, collect);
  return collect.out;
}

int At(const std::map<std::pair<int, int>, int>& c, int x, int y) {
  const auto it = c.find({x, y});
  return it == c.end() ? 0 : it->second;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath p;
  p.addPolygon(QPolygonF(points));
  p.closeSubpath();
  return p;
}

}  // namespace

TEST(SwfRaster, ExactCoverageAtFractionalEdges) {
  // x from 0.25 to 2.75, y from 0 to 2: three quarters of the outer columns.
  auto c = Coverage(Polygon({{0.25, 0}, {2.75, 0}, {2.75, 2}, {0.25, 2}}), QRect(0, 0, 4, 4));
  for (int y : {0, 1}) {
    EXPECT_EQ(At(c, 0, y), 191);
    EXPECT_EQ(At(c, 1, y), 255);
    EXPECT_EQ(At(c, 2, y), 191);
    EXPECT_EQ(At(c, 3, y), 0);
  }
  EXPECT_EQ(At(c, 1, 2), 0);
  // Half a row high: half of each pixel.
  c = Coverage(Polygon({{0, 0.5}, {3, 0.5}, {3, 1}, {0, 1}}), QRect(0, 0, 3, 2));
  EXPECT_EQ(At(c, 1, 0), 128);
  EXPECT_EQ(At(c, 1, 1), 0);
  // A diagonal through a pixel from corner to corner halves it; the pixels it leaves whole.
  c = Coverage(Polygon({{0, 0}, {3, 0}, {3, 3}}), QRect(0, 0, 3, 3));
  EXPECT_EQ(At(c, 0, 0), 128);
  EXPECT_EQ(At(c, 1, 0), 255);
  EXPECT_EQ(At(c, 2, 0), 255);
  EXPECT_EQ(At(c, 1, 1), 128);
  EXPECT_EQ(At(c, 0, 1), 0);
  // Either direction of walking gives the same coverage.
  EXPECT_EQ(Coverage(Polygon({{0.25, 0}, {0.25, 2}, {2.75, 2}, {2.75, 0}}), QRect(0, 0, 4, 4)),
            Coverage(Polygon({{0.25, 0}, {2.75, 0}, {2.75, 2}, {0.25, 2}}), QRect(0, 0, 4, 4)));
}

TEST(SwfRaster, FillRulesAndEdgesOutsideTheArea) {
  // Two squares one over the other, walked the same way: even-odd leaves their overlap empty,
  // non-zero fills it.
  QPainterPath two = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  two.addPath(Polygon({{2, 0}, {6, 0}, {6, 4}, {2, 4}}));
  const auto evenOdd = Coverage(two, QRect(0, 0, 6, 4), true), nonZero = Coverage(two, QRect(0, 0, 6, 4), false);
  EXPECT_EQ(At(evenOdd, 1, 1), 255);
  EXPECT_EQ(At(evenOdd, 3, 1), 0);
  EXPECT_EQ(At(evenOdd, 5, 1), 255);
  EXPECT_EQ(At(nonZero, 3, 1), 255);

  // A shape that begins far left of the area and leans into it: the pixels left of its right edge
  // are covered from the area's first column; one far right covers nothing inside.
  auto c = Coverage(Polygon({{-1000, 0}, {2.5, 0}, {4.5, 4}, {-1000, 4}}), QRect(0, 0, 8, 4));
  EXPECT_EQ(At(c, 0, 0), 255);
  EXPECT_EQ(At(c, 1, 3), 255);
  EXPECT_EQ(At(c, 2, 0), 191);  // the edge runs from 2.5 to 3 in the first row: its middle at 2.75
  EXPECT_EQ(At(c, 5, 0), 0);
  EXPECT_TRUE(Coverage(Polygon({{100, 0}, {200, 0}, {200, 4}, {100, 4}}), QRect(0, 0, 8, 4)).empty());
  // An area that starts away from the origin.
  c = Coverage(Polygon({{10, 20}, {12, 20}, {12, 21}, {10, 21}}), QRect(10, 20, 5, 5));
  EXPECT_EQ(At(c, 10, 20), 255);
  EXPECT_EQ(At(c, 11, 20), 255);
  EXPECT_EQ(At(c, 12, 20), 0);

  // Hostile coordinates: nothing crashes, and the rasterizer stays clean for the next shape.
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  TRasterizer r;
  TCollect hostile;
  hostile.area = QRect(0, 0, 16, 16);
  r.Pass(hostile.area, false, [&](TRasterizer& ras) {
    ras.AddLine({nan, 0}, {5, 5}, 0, 1);
    ras.AddLine({0, -inf}, {5, inf}, 0, 1);
    ras.AddLine({-1e300, 1}, {1e300, 9}, 0, 1);
    ras.AddLine({1e12, -1e12}, {-1e12, 1e12}, 0, 1);
    ras.AddQuad({nan, 1}, {1e308, -1e308}, {3, 3}, 1, 0);
    ras.AddQuad({-1e300, 1}, {1e300, 1e300}, {3, 3}, 1, 0);
  }, hostile);
  TCollect square;
  square.area = QRect(0, 0, 16, 16);
  r.Pass(square.area, true, [&](TRasterizer& ras) { ras.AddPath(Polygon({{1, 1}, {3, 1}, {3, 3}, {1, 3}}), QTransform()); },
         square);
  EXPECT_EQ(square.out.size(), 4u);
  for (const auto& [xy, c] : square.out) EXPECT_EQ(c, 255);
}

TEST(SwfRaster, RandomPolygonsCoverTheirArea) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> at(-3.0, 35.0);
  for (int trial = 0; trial < 200; ++trial) {
    const QPointF a(at(rng), at(rng)), b(at(rng), at(rng)), c(at(rng), at(rng));
    const QPainterPath triangle = Polygon({a, b, c});
    // The part of the triangle inside the area: clip it with Qt's exact path intersection.
    QPainterPath box;
    box.addRect(0, 0, 32, 32);
    const QPolygonF inside = triangle.intersected(box).toFillPolygon();
    double area = 0;
    for (int i = 0; i + 1 < inside.size(); ++i)
      area += inside[i].x() * inside[i + 1].y() - inside[i + 1].x() * inside[i].y();
    area = std::abs(area) / 2;
    double sum = 0;
    int pixels = 0;
    for (const auto& [xy, v] : Coverage(triangle, QRect(0, 0, 32, 32))) sum += v / 255.0, ++pixels;
    // Each pixel's coverage is rounded to 1/255.
    EXPECT_NEAR(sum, area, 0.01 + pixels / 510.0) << trial;
  }
}

TEST(SwfRaster, PaintsBlendByCoverage) {
  // Half-covered opaque red over blue; a translucent solid over white.
  uint32_t row[4] = {0xFF0000FFu, 0xFF0000FFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  const uint8_t cover[2] = {128, 255};
  TPaint::Solid(QColor(255, 0, 0), TColorTransform()).Blend(row, 0, 2, 0, cover, nullptr);
  EXPECT_EQ(row[0], 0xFF80007Fu);
  EXPECT_EQ(row[1], 0xFFFF0000u);
  TPaint::Solid(QColor(0, 0, 0, 128), TColorTransform()).Blend(row, 2, 2, 0, cover, nullptr);
  EXPECT_EQ(row[2] & 0xFFFFFF, 0xBFBFBFu);  // a quarter of black over white
  EXPECT_EQ(row[3] & 0xFFFFFF, 0x7F7F7Fu);
  // A mask scales the coverage; a colour transform changes the colour first.
  uint32_t masked[2] = {0xFF000000u, 0xFF000000u};
  const uint8_t full[2] = {255, 255}, half[2] = {255, 0};
  TColorTransform greenOnly;
  greenOnly.mult[0] = 0;
  greenOnly.add[1] = 255;
  TPaint::Solid(QColor(255, 0, 0), greenOnly).Blend(masked, 0, 2, 0, full, half);
  EXPECT_EQ(masked[0], 0xFF00FF00u);
  EXPECT_EQ(masked[1], 0xFF000000u);

  // A linear gradient from red (0) to blue (255) across the unit square mapped to x 0 to 32:
  // beyond its end pad keeps blue, repeat starts again, reflect comes back.
  TFillStyle g;
  g.kind = TFillStyle::Linear;
  g.stops = {{0, QColor(255, 0, 0)}, {255, QColor(0, 0, 255)}};
  g.matrix = QTransform::fromScale(32.0 / 32768, 32.0 / 32768) * QTransform::fromTranslate(16, 0);
  uint32_t line[48];
  const std::vector<uint8_t> all(48, 255);
  // A gradient takes its colour at the pixel's coordinate: pixel x lies at t = x / 32.
  auto blue = [](uint32_t p) { return int(p & 0xFF); };
  for (uint8_t spread : {0, 1, 2}) {
    g.spread = spread;
    std::fill(line, line + 48, 0xFF000000u);
    TPaint::Gradient(g, TColorTransform(), QTransform()).Blend(line, 0, 48, 0, all.data(), nullptr);
    EXPECT_EQ(line[0], 0xFFFF0000u) << int(spread);
    EXPECT_EQ(blue(line[8]), 64) << int(spread);  // a quarter: 63.75
    EXPECT_EQ(blue(line[16]), 128) << int(spread);
    const int beyond = blue(line[40]);  // t = 1.25
    EXPECT_EQ(beyond, spread == 0 ? 255 : spread == 1 ? 191 : 64);  // padded, reflected (0.75), repeated (0.25)
  }

  // A 2 x 1 bitmap: at its size every pixel centre takes a pixel exactly, smoothed or not;
  // clipped, nothing beyond it; repeating, it starts again.
  QImage bitmap(2, 1, QImage::Format_ARGB32_Premultiplied);
  bitmap.setPixel(0, 0, 0xFFFF0000u);
  bitmap.setPixel(1, 0, 0xFF00FF00u);
  for (bool smooth : {false, true})
    for (bool repeat : {false, true}) {
      uint32_t px[4] = {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
      TPaint::Bitmap(&bitmap, repeat, smooth, TColorTransform(), QTransform()).Blend(px, 0, 4, 0, all.data(), nullptr);
      EXPECT_EQ(px[0], 0xFFFF0000u) << smooth << repeat;
      EXPECT_EQ(px[1], 0xFF00FF00u) << smooth << repeat;
      EXPECT_EQ(px[2], repeat ? 0xFFFF0000u : 0xFF000000u) << smooth << repeat;
      EXPECT_EQ(px[3], repeat ? 0xFF00FF00u : 0xFF000000u) << smooth << repeat;
    }
  // Smoothed at twice its size: between the two pixel centres the colours mix.
  uint32_t wide[4] = {0, 0, 0, 0};
  TPaint::Bitmap(&bitmap, false, true, TColorTransform(), QTransform::fromScale(2, 2)).Blend(wide, 0, 4, 0, all.data(), nullptr);
  EXPECT_EQ(wide[0], 0xFFFF0000u);
  EXPECT_NEAR(int(wide[1] >> 16 & 0xFF), 191, 2);  // a quarter of the way to green
  EXPECT_NEAR(int(wide[2] >> 16 & 0xFF), 64, 2);
  EXPECT_EQ(wide[3], 0xFF00FF00u);
}

namespace {

std::shared_ptr<const TSwfMovie> LoadMovie(const std::string& bytes) {
  return TSwfMovie::Load(QByteArray::fromStdString(bytes));
}

QImage Draw(const std::shared_ptr<const TSwfMovie>& movie, QSize size, const QRect& clip) {
  TSwfPlayer player(movie);
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  Render(image, player, StageTransform(movie->stage, size, 2, 0), clip);
  return image;
}

// Each frame of a movie drawn whole at 1024 x 768 (in bands, on several threads) is the same as
// drawn strip by strip (each strip one band), and not blank.
void ExpectBandsAsStrips(const std::shared_ptr<const TSwfMovie>& movie) {
  ASSERT_TRUE(movie);
  TSwfPlayer player(movie);
  for (int frame = 0; frame < movie->FrameCount(); ++frame, player.Advance()) {
    QImage whole(1024, 768, QImage::Format_RGB32), strips(1024, 768, QImage::Format_RGB32);
    whole.fill(Qt::white);
    strips.fill(Qt::white);
    const QTransform toDevice = StageTransform(movie->stage, whole.size(), 2, 0);
    Render(whole, player, toDevice, whole.rect());
    for (int top = 0; top < 768; top += 37) Render(strips, player, toDevice, QRect(0, top, 1024, 37));
    EXPECT_EQ(whole, strips) << frame;
    QImage blank(whole.size(), whole.format());
    blank.fill(Qt::white);
    EXPECT_NE(whole, blank) << frame;  // something was drawn
  }
}

}  // namespace

TEST(SwfRaster, MasksAndBands) {
  // A red box over the stage, clipped by a mask: a smaller box at depth 1 that clips depth 2.
  TBits mask;
  mask.U8(0x46);  // a clip depth, a matrix, a character
  mask.U16(1), mask.U16(2);
  mask.Translate(200, 200);
  mask.U16(2);
  const std::string masked = sftest::BoxShape(1, 40, 40, 0xFF0000) + sftest::BoxShape(2, 10, 10, 0x0000FF) +
                             sftest::Tag(26, mask.Data()) + sftest::Place(2, 1, 0, 0) + sftest::ShowFrame();
  const QImage m = Draw(LoadMovie(sftest::Movie(40, 40, 12, 1, masked)), QSize(40, 40), QRect(0, 0, 40, 40));
  EXPECT_EQ(m.pixel(15, 15) & 0xFFFFFF, 0xFF0000u);  // inside the mask
  EXPECT_EQ(m.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);    // outside it: nothing
  EXPECT_EQ(m.pixel(25, 25) & 0xFFFFFF, 0xFFFFFFu);

  // A large frame is drawn in bands on several threads; drawn strip by strip it is the same.
  std::string tags;
  for (int id = 1; id <= 30; ++id) {
    TShapeRecords r(1, 0);
    r.Style(0, 1, -1, true, id * 300, 0);
    r.Curve(4000, 2000, 1000 + id * 100, 9000).Curve(-3000, 1000, -2000 - id * 100, -12000);
    tags += sftest::DefineShape(3, id, 20000, 20000,
                                sftest::Styles({std::string("\0", 1) + std::string(1, char(id * 8)) + "\x40\x80\xC0"}, {}), 1,
                                0, r.End()) +
            sftest::Place(id, id, id * 1000, id * 600);
  }
  // So is a movie of masks, sprites, lines and gradients, at every frame.
  ExpectBandsAsStrips(LoadMovie(sftest::Movie(1024, 768, 12, 1, tags + sftest::ShowFrame())));
  ExpectBandsAsStrips(LoadMovie(sftest::FeaturesMovie()));
}

TEST(SwfRaster, LayersAcrossBandsAndFramesDrawnAtOnce) {
  // Boxes under a blur, a glow and a drop shadow, one by a blend mode, each over several bands:
  // its layer is made once for all the bands it reaches, which take their rows of it; drawn strip
  // by strip, each strip's own layer, it is the same.
  const std::string tags =
      sftest::BoxShape(1, 200, 400, 0x3366CC) + sftest::BoxShape(2, 100, 600, 0xCC9933) +
      sftest::Place3(1, 1, 2000, 1000, 0, sftest::FilterList({sftest::BlurFilter(6, 6, 1)})) +
      sftest::Place3(2, 2, 9000, 500, 3,
                     sftest::FilterList({sftest::ShadowFilter(true, 0xFFFF0000, 8, 8, 0, 0, 2, false, false, true, 1)})) +
      sftest::Place3(3, 1, 12000, 5000, 0,
                     sftest::FilterList({sftest::ShadowFilter(false, 0xC0000000, 5, 5, 0.785, 30, 1, false, false, true, 1)})) +
      sftest::ShowFrame();
  const auto layered = LoadMovie(sftest::Movie(1024, 768, 12, 1, tags));
  ExpectBandsAsStrips(layered);

  // Frames drawn on several threads at once share the band helpers (each takes those that are
  // idle): each frame is the same as drawn alone.
  const auto shapes = LoadMovie(sftest::ShapesMovie(1024, 768, 30));
  const QRect all(0, 0, 1024, 768);
  const QImage alone[2] = {Draw(layered, all.size(), all), Draw(shapes, all.size(), all)};
  QImage drawn[3][2];
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 3; ++t)
      threads.emplace_back([&, t] {
        for (QImage& frame : drawn[t]) frame = Draw(t % 2 ? shapes : layered, all.size(), all);
      });
  }
  for (int t = 0; t < 3; ++t)
    for (const QImage& frame : drawn[t]) EXPECT_EQ(frame, alone[t % 2]) << t;
}
