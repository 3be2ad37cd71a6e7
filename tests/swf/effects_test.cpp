// Morph shapes at their ratios, blend modes on a known pair of colours, cached bitmaps on whole
// pixels, and filters measured: a blur's spread, a drop shadow's distance and its blur, knockouts
// and inner shadows, bevels and the gradient filters' colours, a convolution's sums and edges,
// and a colour matrix; in movies written here from the published format.
#include <gtest/gtest.h>

#include <cmath>

#include "swf/player.h"
#include "tests/swf/frames.h"
#include "tests/swf/swftags.h"

using namespace sf::swf;
using sftest::At;
using sftest::Draw;
using sftest::Channel;
using sftest::Load;
using sftest::Near;
using sftest::TShapeRecords;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kBlue = 0x0000FF;

// A box of w x h pixels at the origin in a colour with alpha (DefineShape3).
std::string Box(int id, int w, int h, uint32_t rgb, int alpha = 255) {
  return sftest::DefineShape(3, id, w * 20, h * 20, sftest::Styles({sftest::SolidFill(rgb, alpha)}, {}), 1, 0,
                             TShapeRecords(1, 0).Box(0, 0, w * 20, h * 20, 0, 1, -1).End());
}

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

}  // namespace

TEST(SwfMorph, RatiosZeroHalfAndOne) {
  // From a red box of 20 pixels at x 0 to a blue one at x 40, with a line from 1 to 5 pixels
  // wide along its top from black to black: the ends draw exactly as shapes of the start and
  // end; halfway the box stands at x 20 in the colour between.
  TShapeRecords start(1, 0), end(0, 0);
  start.Box(0, 0, 400, 400, 0, 1, -1);
  end.Style(-1, -1, -1, true, 800, 0).Line(400, 0).Line(0, 400).Line(-400, 0).Line(0, -400);
  const std::string morph = sftest::DefineMorphShape(1, 1200, 400, {sftest::MorphSolid(0xFFFF0000, 0xFF0000FF)}, {}, 1, 0,
                                                     start.End(), end.End());
  auto at = [&](int ratio) { return Draw(80, 30, morph + sftest::PlaceRatio(1, 1, ratio)); };
  const QImage zero = at(0), one = at(65535), half = at(32768);
  EXPECT_EQ(zero, Draw(80, 30, Box(2, 20, 20, kRed) + sftest::Place(1, 2, 0, 0)));
  EXPECT_EQ(one, Draw(80, 30, Box(2, 20, 20, kBlue) + sftest::Place(1, 2, 800, 0)));
  EXPECT_EQ(At(half, 19, 10), kWhite);
  EXPECT_TRUE(Near(At(half, 21, 10), Rgb(128, 0, 127), 1));
  EXPECT_TRUE(Near(At(half, 39, 19), Rgb(128, 0, 127), 1));
  EXPECT_EQ(At(half, 41, 10), kWhite);
  EXPECT_EQ(At(half, 10, 10), kWhite);

  // A placement that moves on to another ratio remakes the shape; one that leaves the ratio keeps it.
  auto movie = Load(sftest::Movie(80, 30, 12, 3,
                                  sftest::Background(kWhite) + morph + sftest::PlaceRatio(1, 1, 0) + sftest::ShowFrame() +
                                      sftest::PlaceRatio(1, 1, 65535, true) + sftest::ShowFrame() +
                                      sftest::Move(1, 0, 200) + sftest::ShowFrame()));
  const QImage second = RenderFrame(movie, 1), third = RenderFrame(movie, 2);
  EXPECT_EQ(At(second, 50, 10), kBlue);
  EXPECT_EQ(At(third, 50, 15), kBlue);  // moved down 10 pixels, still at its end
  EXPECT_EQ(At(third, 50, 5), kWhite);
}

TEST(SwfMorph, EdgesThatCurveAndLinesThatWiden) {
  // A straight top edge that becomes a curve bowing 10 pixels up, and a line from 1 pixel to 9
  // wide along the bottom: halfway the top bows 5 pixels (through its middle at 2.5) and the line
  // is 5 wide.
  TShapeRecords start(1, 1), end(0, 0);
  start.Style(0, 1, -1, true, 0, 400).Line(800, 0).Line(0, 400).Style(-1, -1, 1).Line(-800, 0).Style(-1, -1, 0).Line(0, -400);
  end.Style(-1, -1, -1, true, 0, 400).Curve(400, -400, 400, 400).Line(0, 400).Line(-800, 0).Line(0, -400);
  const std::string morph =
      sftest::DefineMorphShape(1, 800, 800, {sftest::MorphSolid(0xFF000000, 0xFF000000)},
                               {sftest::MorphLine(20, 180, 0xFFFF0000, 0xFFFF0000)}, 1, 1, start.End(), end.End());
  const QImage half = Draw(60, 60, morph + sftest::PlaceRatio(1, 1, 32768));
  // The curve's middle: (20, 20 - 5) at half; its control point at half is 10 pixels up.
  EXPECT_EQ(At(half, 20, 16), kBlack);
  EXPECT_EQ(At(half, 20, 14), kWhite);
  EXPECT_EQ(At(half, 2, 17), kWhite);  // near the ends the bow is small: 18.8 at x 2.5
  EXPECT_TRUE(Near(At(half, 2, 19), kBlack, 16));  // all but the sliver above 19.05
  // The red line along y 40 is 5 pixels wide: 38 to 42 (it lies on the pixel grid).
  EXPECT_EQ(At(half, 20, 38), kRed);
  EXPECT_EQ(At(half, 20, 42), kRed);
  EXPECT_NE(At(half, 20, 44), kRed);
}

TEST(SwfBlend, EachModeOnAKnownPairOfColours) {
  // Below: (200, 100, 50). Above, by each blend mode: (100, 150, 250), opaque; then half
  // transparent for the formula's alpha.
  const uint32_t below = Rgb(200, 100, 50), above = Rgb(100, 150, 250);
  struct TCase {
    int mode;
    int r, g, b;
  };
  const TCase cases[] = {
      {1, 100, 150, 250},   // normal
      {2, 100, 150, 250},   // layer
      {3, 78, 59, 49},      // multiply: s d / 255
      {4, 222, 191, 251},   // screen: s + d - s d / 255
      {5, 200, 150, 250},   // lighten
      {6, 100, 100, 50},    // darken
      {7, 100, 50, 200},    // difference
      {8, 255, 250, 255},   // add, held at 255
      {9, 100, 0, 0},       // subtract: d - s, held at 0
      {10, 55, 155, 205},   // invert: 255 - d
      {13, 188, 118, 98},   // overlay: by the colour below
      {14, 157, 127, 247},  // hardlight: by the colour above
      {11, 200, 100, 50},   // alpha and erase act only inside a layer: nothing here
      {12, 200, 100, 50},
  };
  for (const TCase& c : cases) {
    const QImage frame = Draw(20, 20, Box(1, 20, 20, below) + Box(2, 20, 20, above) + sftest::Place(1, 1, 0, 0) +
                                          sftest::Place3(2, 2, 0, 0, c.mode));
    EXPECT_TRUE(Near(At(frame, 10, 10), Rgb(c.r, c.g, c.b), 1)) << "mode " << c.mode;
  }
  // Half transparent above: what is below shows through by the half the source leaves, the blend
  // by the other half (multiply: 200 × 127/255 + 78.4 × 128/255 = 139).
  const QImage half = Draw(20, 20, Box(1, 20, 20, below) + Box(2, 20, 20, above, 128) + sftest::Place(1, 1, 0, 0) +
                                       sftest::Place3(2, 2, 0, 0, 3));
  EXPECT_TRUE(Near(At(half, 10, 10), Rgb(139, 79, 49), 1));
}

TEST(SwfBlend, AlphaAndEraseInsideALayer) {
  // A sprite drawn as a layer holds a red box, then a box of half its width whose alpha (64)
  // keeps a quarter of it, or (with erase) takes the quarter away; the layer then goes over
  // white. Beside the box, within the layer but outside the object, neither mode acts.
  for (int mode : {11, 12}) {
    const std::string sprite = sftest::Sprite(
        3, 1, sftest::Place(1, 1, 0, 0) + sftest::Place3(2, 2, 0, 0, mode) + sftest::ShowFrame());
    const QImage frame = Draw(20, 20, Box(1, 20, 20, kRed) + Box(2, 10, 20, kBlack, 64) + sprite + sftest::Place3(1, 3, 0, 0, 2));
    const double kept = mode == 11 ? 64 / 255.0 : 191 / 255.0;
    const int g = int(std::lround(255 * (1 - kept)));
    EXPECT_TRUE(Near(At(frame, 5, 10), Rgb(255, g, g), 1)) << mode;
    EXPECT_EQ(At(frame, 15, 10), kRed) << mode;
  }
}

TEST(SwfBlend, CachedBitmapStandsOnWholePixels) {
  // A black box 10 pixels wide placed at x 20.5 (410 twips): drawn as it is, it covers half of
  // columns 20 and 30; cached as a bitmap it lands on whole pixels, 10 black columns and no
  // grey. The flag given as 0 changes nothing, and a cached box inside a sprite at a half pixel
  // lands whole too.
  auto greys = [](const QImage& frame) {
    int n = 0;
    for (int x = 0; x < frame.width(); ++x) n += At(frame, x, 25) != kWhite && At(frame, x, 25) != kBlack;
    return n;
  };
  auto blacks = [](const QImage& frame) {
    int n = 0;
    for (int x = 0; x < frame.width(); ++x) n += At(frame, x, 25) == kBlack;
    return n;
  };
  const std::string box = Box(1, 10, 10, kBlack);
  const QImage plain = Draw(50, 40, box + sftest::Place3(1, 1, 410, 400, 0));
  EXPECT_EQ(greys(plain), 2);
  EXPECT_TRUE(Near(At(plain, 20, 25), Rgb(128, 128, 128), 2));
  EXPECT_TRUE(Near(At(plain, 30, 25), Rgb(128, 128, 128), 2));
  const QImage off = Draw(50, 40, box + sftest::Place3(1, 1, 410, 400, 0, "", 0));
  EXPECT_EQ(greys(off), 2);
  const QImage cached = Draw(50, 40, box + sftest::Place3(1, 1, 410, 400, 0, "", 1));
  EXPECT_EQ(greys(cached), 0);
  EXPECT_EQ(blacks(cached), 10);
  const QImage nested = Draw(50, 40, box + sftest::Sprite(2, 1, sftest::Place3(1, 1, 200, 0, 0, "", 1) + sftest::ShowFrame()) +
                                         sftest::Place3(1, 2, 210, 400, 0));
  EXPECT_EQ(greys(nested), 0);
  EXPECT_EQ(blacks(nested), 10);
}

TEST(SwfFilters, BlurSpreadsByItsWidthEachPass) {
  // A black box from x 40 to 60 blurred 8 pixels wide: the ramp at its left side runs over the
  // 8 pixels from 36 to 43, half way at the box's edge (pixels 39 and 40 make a whole); two
  // passes spread it over 16. Vertically nothing moves.
  for (int passes : {1, 2}) {
    const QImage frame = Draw(100, 100, Box(1, 20, 20, kBlack) +
                                            sftest::Place3(1, 1, 800, 800, 0, sftest::FilterList({sftest::BlurFilter(8, 1, passes)})));
    int first = -1, last = -1;
    for (int x = 0; x < 50; ++x) {
      const int v = Channel(At(frame, x, 50), 0);
      if (v < 255 && first < 0) first = x;
      if (v > 0) last = x;
    }
    EXPECT_EQ(first, 40 - 4 * passes) << passes;
    EXPECT_EQ(last, 40 + 4 * passes - 1) << passes;
    EXPECT_NEAR(255 - Channel(At(frame, 39, 50), 0) + 255 - Channel(At(frame, 40, 50), 0), 255, 2) << passes;
    EXPECT_EQ(At(frame, 50, 39), kWhite) << passes;
    EXPECT_EQ(At(frame, 50, 40), kBlack) << passes;
  }
}

TEST(SwfFilters, DropShadowDistanceAngleBlurAndKnockout) {
  // A black box at (20, 20) to (40, 40); a red shadow 10 pixels away at angle 0 (to the right),
  // unblurred: red from 40 to 50 beside the box, the box over the shadow.
  auto shadow = [](double angle, double blur, bool inner, bool knockout) {
    return Draw(80, 80, Box(1, 20, 20, kBlack) +
                            sftest::Place3(1, 1, 400, 400, 0,
                                           sftest::FilterList({sftest::ShadowFilter(false, 0xFFFF0000, blur, blur, angle, 10, 1,
                                                                                    inner, knockout, true, 1)})));
  };
  const QImage right = shadow(0, 1, false, false);
  EXPECT_EQ(At(right, 30, 30), kBlack);
  EXPECT_EQ(At(right, 39, 30), kBlack);
  EXPECT_EQ(At(right, 40, 30), kRed);
  EXPECT_EQ(At(right, 49, 30), kRed);
  EXPECT_EQ(At(right, 50, 30), kWhite);
  EXPECT_EQ(At(right, 45, 19), kWhite);
  // At a quarter turn it falls below.
  const QImage down = shadow(M_PI / 2, 1, false, false);
  EXPECT_EQ(At(down, 30, 45), kRed);
  EXPECT_EQ(At(down, 45, 30), kWhite);
  // Blurred 8 wide: its right side ramps over 8 pixels about x 50.
  const QImage soft = shadow(0, 8, false, false);
  int first = -1, last = -1;
  for (int x = 40; x < 80; ++x) {
    const QColor c = soft.pixelColor(x, 30);
    if (c.green() < 255 && c.green() > 0 && first < 0) first = x;
    if (c.green() < 255) last = x;
  }
  EXPECT_EQ(first, 46);
  EXPECT_EQ(last, 53);
  // Knocked out: the shadow only, none where the box is.
  const QImage out = shadow(0, 1, false, true);
  EXPECT_EQ(At(out, 30, 30), kWhite);
  EXPECT_EQ(At(out, 45, 30), kRed);
  // Inner: inside the box, where the shadow of what lies around it falls (its left 10 pixels).
  const QImage inner = shadow(0, 1, true, false);
  EXPECT_EQ(At(inner, 25, 30), kRed);
  EXPECT_EQ(At(inner, 35, 30), kBlack);
  EXPECT_EQ(At(inner, 45, 30), kWhite);
}

TEST(SwfFilters, GlowAndColourMatrix) {
  // A green glow blurred 4 wide around a black box reaches 2 pixels beyond it; a colour matrix
  // that swaps red and blue turns a red box blue.
  const QImage glow = Draw(60, 60, Box(1, 20, 20, kBlack) +
                                       sftest::Place3(1, 1, 400, 400, 0,
                                                      sftest::FilterList({sftest::ShadowFilter(true, 0xFF00FF00, 4, 4, 0, 0, 1,
                                                                                               false, false, true, 1)})));
  EXPECT_EQ(At(glow, 30, 30), kBlack);
  EXPECT_EQ(At(glow, 39, 30), kBlack);
  EXPECT_EQ(glow.pixelColor(40, 30), QColor(159, 255, 159));  // 3/8 of the glow: sources 38 (half) and 39
  EXPECT_EQ(glow.pixelColor(41, 30), QColor(223, 255, 223));  // 1/8: 39's half
  EXPECT_EQ(At(glow, 42, 30), kWhite);
  const float swap[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  const QImage swapped =
      Draw(30, 30, Box(1, 20, 20, kRed) + sftest::Place3(1, 1, 0, 0, 0, sftest::FilterList({sftest::ColorMatrixFilter(swap)})));
  EXPECT_EQ(At(swapped, 10, 10), kBlue);
  // Coefficients far past any colour (a movie's non-finite ones are read as 0): red made past the
  // range of an int, green one overflow less another (not a number), blue far below nothing;
  // each channel is held to its range.
  const float wild[20] = {1e30f, 0, 0, 0, 0, 3e38f, 0, 0, -3e38f, 0, -3e38f, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  const QImage held =
      Draw(30, 30, Box(1, 20, 20, kRed) + sftest::Place3(1, 1, 0, 0, 0, sftest::FilterList({sftest::ColorMatrixFilter(wild)})));
  EXPECT_EQ(At(held, 10, 10), kRed);
}

TEST(SwfFilters, BevelLightsTheSideTheLightComesFrom) {
  // A grey box at (20, 20) to (40, 40), bevelled at a quarter of a half turn (light from the top
  // left) 4 pixels deep, unblurred: red highlight, blue shadow. The two samples 2.83 pixels apart
  // along the angle straddle the edge: a pixel just inside the left side sees 59% of the edge's
  // outside, 150 of 255; one just outside it sees the inside whole.
  auto bevel = [](bool inner, bool knockout, bool onTop) {
    return Draw(60, 60, Box(1, 20, 20, 0x808080) +
                            sftest::Place3(1, 1, 400, 400, 0,
                                           sftest::FilterList({sftest::BevelFilter(0xFF0000FF, 0xFFFF0000, 1, M_PI / 4, 4, 1,
                                                                                   inner, knockout, onTop)})));
  };
  const uint32_t kGreyBox = 0x808080;
  const QImage in = bevel(true, false, false);
  // Inside: the highlight along the top and left, the shadow along the bottom and right, the
  // middle untouched; outside nothing.
  EXPECT_TRUE(Near(At(in, 21, 30), Rgb(128 + 105 * 127 / 255, 128 * 150 / 255, 128 * 150 / 255), 2));
  EXPECT_TRUE(Near(At(in, 30, 21), At(in, 21, 30), 0));
  EXPECT_TRUE(Near(At(in, 38, 30), Rgb(128 * 150 / 255, 128 * 150 / 255, 128 + 105 * 127 / 255), 2));
  EXPECT_TRUE(Near(At(in, 30, 38), At(in, 38, 30), 0));
  EXPECT_EQ(At(in, 30, 30), kGreyBox);
  EXPECT_EQ(At(in, 19, 30), kWhite);
  EXPECT_EQ(At(in, 40, 30), kWhite);
  // Outside: the highlight beyond the top and left sides, the shadow beyond the others, the box
  // as it was.
  const QImage out = bevel(false, false, false);
  EXPECT_EQ(At(out, 19, 30), kRed);
  EXPECT_EQ(At(out, 40, 30), kBlue);
  EXPECT_EQ(At(out, 17, 30), kWhite);
  EXPECT_EQ(At(out, 21, 30), kGreyBox);
  EXPECT_EQ(At(out, 38, 30), kGreyBox);
  // Full: both; knocked out, the bevel without the box.
  const QImage full = bevel(false, false, true);
  EXPECT_EQ(At(full, 19, 30), kRed);
  EXPECT_TRUE(Near(At(full, 21, 30), At(in, 21, 30), 0));
  const QImage knocked = bevel(true, true, false);
  EXPECT_EQ(At(knocked, 30, 30), kWhite);
  EXPECT_TRUE(Near(At(knocked, 21, 30), Rgb(255, 255 - 105, 255 - 105), 2));
}

TEST(SwfFilters, GradientGlowAndBevelTakeTheirColoursFromTheGradient) {
  // A black box at (20, 20) to (40, 40). A gradient glow from clear blue (0) through blue (128)
  // to red (255), blurred 4 wide: the pixel beside the box has 3/8 of it (ratio 96, three
  // quarters of the way to blue), the next 1/8 (ratio 32).
  auto glow = [](double strength, bool inner) {
    return Draw(60, 60, Box(1, 20, 20, kBlack) +
                            sftest::Place3(1, 1, 400, 400, 0,
                                           sftest::FilterList({sftest::GradientFilter(
                                               false, {{0, 0x000000FF}, {128, 0xFF0000FF}, {255, 0xFFFF0000}}, 4, 0, 0,
                                               strength, inner, false, false)})));
  };
  const QImage outer = glow(1, false);
  EXPECT_TRUE(Near(At(outer, 40, 30), Rgb(64, 64, 255), 2));
  EXPECT_TRUE(Near(At(outer, 41, 30), Rgb(191, 191, 255), 2));
  EXPECT_EQ(At(outer, 42, 30), kWhite);
  EXPECT_EQ(At(outer, 30, 30), kBlack);
  // Twice as strong, the pixel beside the box reaches ratio 191: half way from blue to red.
  EXPECT_TRUE(Near(At(glow(2, false), 40, 30), Rgb(127, 0, 128), 3));
  // Inner: what lies around the box shines into it, ratio 96 on its last pixel; none outside.
  const QImage inner = glow(1, true);
  EXPECT_TRUE(Near(At(inner, 39, 30), Rgb(0, 0, 191), 2));
  EXPECT_EQ(At(inner, 30, 30), kBlack);
  EXPECT_EQ(At(inner, 40, 30), kWhite);

  // A gradient bevel: the shadow blue (0), the base green (128), the highlight red (255). An inner
  // one draws the base over the box's middle, the highlight and shadow along its sides as the
  // plain bevel puts them, and nothing outside the box.
  auto bevel = [](bool inner, bool onTop) {
    return Draw(60, 60, Box(1, 20, 20, kBlack) +
                            sftest::Place3(1, 1, 400, 400, 0,
                                           sftest::FilterList({sftest::GradientFilter(
                                               true, {{0, 0xFF0000FF}, {128, 0xFF00FF00}, {255, 0xFFFF0000}}, 1, M_PI / 4, 4, 1,
                                               inner, false, onTop)})));
  };
  const QImage in = bevel(true, false);
  EXPECT_EQ(At(in, 30, 30), 0x00FF00u);
  EXPECT_GT(Channel(At(in, 21, 30), 16), 100);  // towards the highlight
  EXPECT_GT(Channel(At(in, 38, 30), 0), 100);   // towards the shadow
  EXPECT_EQ(At(in, 10, 30), kWhite);
  EXPECT_EQ(At(in, 19, 30), kWhite);
  EXPECT_EQ(At(in, 45, 45), kWhite);
  // An outer one leaves the box as it is.
  const QImage out = bevel(false, false);
  EXPECT_EQ(At(out, 30, 30), kBlack);
  EXPECT_EQ(At(out, 19, 30), kRed);
  EXPECT_EQ(At(out, 40, 30), kBlue);
}

TEST(SwfFilters, ConvolutionSumsItsMatrixOverThePicture) {
  // A picture of two boxes side by side, (20, 20) to (30, 40) of red 1 and (30, 20) to (40, 40)
  // of red 3, both with blue 2; a matrix of 1 to 9 row by row (its columns weigh 12, 15 and 18).
  const std::string picture = Box(1, 10, 20, 0x010002) + Box(2, 10, 20, 0x030002) +
                              sftest::Sprite(3, 1, sftest::Place(1, 1, 0, 0) + sftest::Place(2, 2, 200, 0) + sftest::ShowFrame());
  const std::vector<float> weights = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  auto convolve = [&](float divisor, float bias, uint32_t fallback, bool clamp, bool preserveAlpha) {
    return Draw(60, 60, picture + sftest::Place3(1, 3, 400, 400, 0,
                                                 sftest::FilterList({sftest::ConvolutionFilter(
                                                     3, 3, weights, divisor, bias, fallback, clamp, preserveAlpha)})));
  };
  const QImage sum = convolve(1, 0, 0, true, true);
  EXPECT_EQ(At(sum, 25, 30), Rgb(45, 0, 90));                // the sum of the weights, 45, times each
  EXPECT_EQ(At(sum, 29, 30), Rgb(12 + 15 + 18 * 3, 0, 90));  // the right column on red 3
  EXPECT_EQ(At(sum, 30, 30), Rgb(12 + 15 * 3 + 18 * 3, 0, 90));
  EXPECT_EQ(At(sum, 35, 30), Rgb(135, 0, 90));
  // Clamped, the picture's own edge stands in beyond it: its corner as its middle. Nothing is
  // drawn outside the picture.
  EXPECT_EQ(At(sum, 20, 20), Rgb(45, 0, 90));
  EXPECT_EQ(At(sum, 19, 30), kWhite);
  EXPECT_EQ(At(sum, 40, 30), kWhite);
  EXPECT_EQ(At(sum, 30, 19), kWhite);
  // The divisor and the bias: 45 / 9 + 10.
  EXPECT_EQ(At(convolve(9, 10, 0, true, true), 25, 30), Rgb(15, 10, 20));
  // Not clamped: beyond the picture the default colour, red 5 and blue 0. At the left side the
  // left column (12) sees it; in the top left corner the top row (1 + 2 + 3) too.
  const QImage edged = convolve(1, 0, 0xFF050000, false, true);
  EXPECT_EQ(At(edged, 20, 30), Rgb(12 * 5 + 15 + 18, 0, (15 + 18) * 2));
  EXPECT_EQ(At(edged, 20, 20), Rgb((1 + 2 + 3 + 4 + 7) * 5 + 5 + 6 + 8 + 9, 0, (5 + 6 + 8 + 9) * 2));
  EXPECT_EQ(At(edged, 19, 30), kWhite);
  // The alpha convolved too, beyond the picture the default's clear alpha: divided by 45, the
  // left side keeps 33 / 45 of its alpha; preserved, it stays whole.
  const QImage clear = convolve(45, 0, 0x00000000, false, false);
  const double a = 33.0 / 45;
  const int red = int(std::lround(33.0 / 45 / a)), blue = int(std::lround(2 * 33.0 / 45 / a));
  EXPECT_TRUE(Near(At(clear, 20, 30), Rgb(int(std::lround(red * a + 255 * (1 - a))), int(std::lround(255 * (1 - a))),
                                          int(std::lround(blue * a + 255 * (1 - a)))),
                   2));
  EXPECT_EQ(At(clear, 25, 30), Rgb(1, 0, 2));
  // 33 / 45 of red 1 and of blue 2, rounded.
  EXPECT_EQ(At(convolve(45, 0, 0x00000000, false, true), 20, 30), Rgb(1, 0, 1));
}

TEST(SwfFilters, HostileFiltersStayBounded) {
  // The largest blurs and passes on a stage-sized object, a convolution larger than any applied,
  // nested layers and an unknown filter id: the frame is drawn in bounded time and memory.
  sftest::TBits conv;
  conv.U8(5), conv.U8(200), conv.U8(200);
  sftest::Float(conv, 1), sftest::Float(conv, 0);
  for (int i = 0; i < 200 * 200; ++i) sftest::Float(conv, 1);
  conv.Rgba(0, 0), conv.U8(0);
  const std::string huge = sftest::FilterList({sftest::BlurFilter(255, 255, 31), conv.Data(),
                                               sftest::ShadowFilter(false, 0xFF000000, 255, 255, 1, 5000, 255, false, false, true, 31)});
  std::string nested = sftest::Sprite(10, 1, sftest::Place3(1, 1, 0, 0, 4, huge) + sftest::ShowFrame());
  for (int id = 11; id < 20; ++id) nested += sftest::Sprite(id, 1, sftest::Place3(1, id - 1, 0, 0, 3, huge) + sftest::ShowFrame());
  const std::string unknown = sftest::Place3(2, 1, 0, 0, 0, std::string("\x01\x09", 2));
  const QImage frame = Draw(160, 120, Box(1, 160, 120, kRed) + nested + sftest::Place3(1, 19, 0, 0, 2, huge) + unknown);
  EXPECT_EQ(frame.size(), QSize(160, 120));
  // The placement whose filter list cannot be read keeps what came before the list: its box.
  EXPECT_EQ(At(frame, 80, 60), kRed);
}

namespace {

// The player's frame at its stage size on white.
QImage Shown(const TSwfPlayer& player) {
  const QSize size = player.Movie().StageSize();
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  Render(image, player, StageTransform(player.Movie().stage, size, 3, 1 | 4), image.rect());
  return image;
}

}  // namespace

TEST(SwfButtons, UpOverAndDownStatesUnderThePointerAndTheirActions) {
  // A button at (20, 20) inside a sprite at (10, 0): red when up, blue when the pointer is over
  // its hit area (a 20-pixel box), green while pressed; released over it, it stops the timeline
  // that holds it, the sprite's (whose second frame would move the button away), not the
  // movie's. The hit area is bigger than the up state's box: over it the button is hit where the
  // red box is not.
  const std::string shapes = Box(1, 10, 10, kRed) + Box(2, 10, 10, kBlue) + Box(3, 10, 10, 0x00FF00) + Box(4, 20, 20, kBlack);
  const std::string button = sftest::DefineButton2(
      5, {{1, 1, 1}, {2, 2, 1}, {4, 3, 1}, {8, 4, 1}},
      {{0x0008, sftest::StopAction()}});  // OverDownToOverUp: stop
  const std::string sprite = sftest::Sprite(
      6, 2, sftest::Place(1, 5, 400, 400) + sftest::ShowFrame() + sftest::Move(1, 400, 800) + sftest::ShowFrame());
  const auto movie = Load(sftest::Movie(60, 60, 12, 2,
                                        sftest::Background(kWhite) + shapes + button + sprite + sftest::Place(1, 6, 200, 0) +
                                            sftest::ShowFrame() + sftest::ShowFrame()));
  TSwfPlayer player(movie);
  auto twips = [](double x, double y) { return QPointF(x * 20, y * 20); };
  EXPECT_EQ(At(Shown(player), 35, 25), kRed);
  EXPECT_EQ(At(Shown(player), 45, 35), kWhite);
  // Over the hit area beyond the red box: the over state.
  EXPECT_TRUE(player.Pointer(twips(45, 35), false));
  EXPECT_EQ(At(Shown(player), 35, 25), kBlue);
  EXPECT_FALSE(player.Pointer(twips(44, 36), false));  // still over: no change
  // Pressed: down; dragged off: up; back: down; released over it: over, and the movie stops.
  EXPECT_TRUE(player.Pointer(twips(45, 35), true));
  EXPECT_EQ(At(Shown(player), 35, 25), 0x00FF00u);
  player.Pointer(twips(5, 5), true);
  EXPECT_EQ(At(Shown(player), 35, 25), kRed);
  player.Pointer(twips(31, 21), true);
  EXPECT_EQ(At(Shown(player), 35, 25), 0x00FF00u);
  player.Pointer(twips(31, 21), false);
  EXPECT_EQ(At(Shown(player), 35, 25), kBlue);
  player.Tick();
  EXPECT_EQ(player.CurrentFrame(), 1);        // the movie plays on
  EXPECT_EQ(At(Shown(player), 35, 25), kBlue);  // the sprite stopped: the button stays
  // Off it: up again. Just outside the hit area's edge (at 50 after the sprite's 10) is off.
  player.Pointer(twips(50.5, 30), false);
  EXPECT_EQ(At(Shown(player), 35, 25), kRed);
  player.Pointer(twips(49.5, 30), false);
  EXPECT_EQ(At(Shown(player), 35, 25), kBlue);

  // Released off the button after pressing on it: no action runs, the sprite moves it on.
  TSwfPlayer other(movie);
  other.Pointer(twips(35, 25), true);
  other.Pointer(twips(5, 5), false);
  EXPECT_EQ(At(Shown(other), 35, 25), kRed);
  other.Tick();
  EXPECT_EQ(At(Shown(other), 35, 25), kWhite);
  EXPECT_EQ(At(Shown(other), 35, 45), kRed);
}
