// Frames of movies written here from the published format, drawn against the pixels they must
// have: long shapes, sprites as masks, the fill rule of DefineShape4, gradient interpolation and
// stops that share a ratio, lines that keep their width, the first background colour, fills of
// one shape that meet, the pixel grid of strokes and gradients, what a compressed header may
// claim, and the picture after a number of ticks.
#include <gtest/gtest.h>

#include <cmath>

#include "swf/player.h"
#include "tests/swf/frames.h"
#include "tests/swf/swfwriter.h"

using namespace sf::swf;
using sftest::At;
using sftest::Draw;
using sftest::Load;
using sftest::Near;
using sftest::TShapeRecords;
using sftest::TStop;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0x000000;

// A shape of one solid fill style: `records` walk its outline with fill 1 on the right.
std::string OneFillShape(int id, int wPixels, int hPixels, uint32_t rgb, const std::string& records) {
  return sftest::DefineShape(1, id, wPixels * 20, hPixels * 20, sftest::Styles({sftest::SolidFill(rgb)}, {}), 1, 0,
                             records);
}

}  // namespace

TEST(SwfShapes, ALongShapeKeepsItsLastEdges) {
  // A 40 x 40 square whose bottom edge runs back in 400 steps of a tenth of a pixel (records of
  // eleven bits): every step counts, and the square is whole at its lower left.
  TShapeRecords r(1, 0);
  r.Style(0, 1, -1, true, 0, 0).Line(800, 0).Line(0, 800);
  for (int i = 0; i < 400; ++i) r.Line(-2, 0);
  r.Line(0, -800);
  const QImage frame = Draw(40, 40, OneFillShape(1, 40, 40, kRed, r.End()) + sftest::Place(1, 1, 0, 0));
  for (int y : {1, 20, 38})
    for (int x : {1, 5, 20, 38}) EXPECT_EQ(At(frame, x, y), kRed) << x << "," << y;
}

TEST(SwfMasks, ASpriteMasksWithAllItDrawsAtItsCurrentFrame) {
  // The mask: a sprite whose box of 10 x 10 pixels stands 5 pixels into it in its first frame
  // and 15 in its second; the sprite is placed at (10, 10) and clips a red box over the stage.
  const std::string sprite = sftest::Sprite(
      10, 2, sftest::Place(1, 2, 100, 100) + sftest::ShowFrame() + sftest::Move(1, 300, 100) + sftest::ShowFrame());
  const std::string tags = sftest::BoxShape(1, 40, 40, kRed) + sftest::BoxShape(2, 10, 10, kBlue) + sprite +
                           sftest::PlaceClip(1, 10, 2, 200, 200) + sftest::Place(2, 1, 0, 0) + sftest::ShowFrame();
  auto movie = Load(sftest::Movie(40, 40, 12, 1, sftest::Background(kWhite) + tags));
  TSwfPlayer player(movie);
  auto draw = [&] {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    Render(image, player, StageTransform(movie->stage, image.size(), 3, 1 | 4), image.rect());
    return image;
  };
  QImage frame = draw();
  EXPECT_EQ(At(frame, 20, 20), kRed);    // inside the sprite's box: (15, 15) to (25, 25)
  EXPECT_EQ(At(frame, 15, 24), kRed);
  EXPECT_EQ(At(frame, 12, 12), kWhite);  // inside the sprite's origin, outside its box
  EXPECT_EQ(At(frame, 26, 20), kWhite);
  EXPECT_EQ(At(frame, 5, 5), kWhite);
  // After a tick the sprite shows its second frame: the mask has moved 10 pixels right.
  player.Advance();
  frame = draw();
  EXPECT_EQ(At(frame, 30, 20), kRed);
  EXPECT_EQ(At(frame, 20, 20), kWhite);
  // A mask sprite inside a sprite: the outer sprite's own transform moves it too.
  const std::string outer = sftest::Sprite(11, 1, sftest::Place(1, 10, 0, 0) + sftest::ShowFrame());
  const QImage nested = Draw(40, 40,
                             sftest::BoxShape(1, 40, 40, kRed) + sftest::BoxShape(2, 10, 10, kBlue) + sprite + outer +
                                 sftest::PlaceClip(1, 11, 2, 100, 0) + sftest::Place(2, 1, 0, 0));
  EXPECT_EQ(At(nested, 12, 7), kRed);  // (5 + 5, 5) to (20, 15)
  EXPECT_EQ(At(nested, 7, 7), kWhite);
}

TEST(SwfShapes, DefineShape4ChoosesItsFillRule) {
  // Two squares of one fill walked the same way overlap in (10, 10) to (20, 20): the non-zero
  // rule fills the overlap, the even-odd rule leaves it empty.
  TShapeRecords r(1, 0);
  r.Box(0, 0, 400, 400, 0, 1, -1).Box(200, 200, 400, 400, -1, -1, -1);
  const std::string records = r.End();
  for (bool nonZero : {true, false}) {
    const std::string shape = sftest::DefineShape4(
        1, 600, 600, nonZero, sftest::Styles({sftest::SolidFill(kRed, 255)}, {}), 1, 0, records);
    const QImage frame = Draw(30, 30, shape + sftest::Place(1, 1, 0, 0));
    EXPECT_EQ(At(frame, 5, 5), kRed) << nonZero;
    EXPECT_EQ(At(frame, 15, 15), nonZero ? kRed : kWhite) << nonZero;
    EXPECT_EQ(At(frame, 25, 25), kRed) << nonZero;
  }
}

TEST(SwfGradients, LinearLightAndStopsThatShareARatio) {
  // Red to blue along 256 pixels: halfway, interpolated in linear light, each channel is half
  // of its light (sRGB 188), not half of its code (128).
  auto box = [](const std::string& fill, int w) {
    return sftest::DefineShape(3, 1, w * 20, 80, sftest::Styles({fill}, {}), 1, 0,
                               TShapeRecords(1, 0).Box(0, 0, w * 20, 80, 0, 1, -1).End()) +
           sftest::Place(1, 1, 0, 0);
  };
  const std::vector<TStop> redBlue = {{0, 0xFFFF0000}, {255, 0xFF0000FF}};
  const QImage linear = Draw(256, 4, box(sftest::LinearAlongX(0, 256 * 20, 0, 1, redBlue), 256));
  EXPECT_TRUE(Near(At(linear, 128, 2), 0xBB00BC, 2));
  EXPECT_TRUE(Near(At(linear, 64, 2), 0xE0008A, 3));  // a quarter: 0.75 and 0.25 of the light
  EXPECT_EQ(At(linear, 0, 2), kRed);
  const QImage plain = Draw(256, 4, box(sftest::LinearAlongX(0, 256 * 20, 0, 0, redBlue), 256));
  EXPECT_TRUE(Near(At(plain, 128, 2), 0x7F0080, 1));

  // Stops of one ratio, the gradient running over 255 pixels from x = 20 so that pixel 20 + i
  // takes the colour of ratio i: a hard edge falls between the stops that share a ratio (the
  // first of them at the ratio itself); at the ends the pad colour is the first stop of the
  // ratio there.
  const QImage inner = Draw(300, 4, box(sftest::LinearAlongX(400, 255 * 20, 0, 0,
                                                              {{0, 0xFFFF0000}, {128, 0xFFFF0000}, {128, 0xFF0000FF},
                                                               {255, 0xFF0000FF}}),
                                        300));
  EXPECT_EQ(At(inner, 20 + 127, 2), kRed);
  EXPECT_EQ(At(inner, 20 + 128, 2), kRed);
  EXPECT_EQ(At(inner, 20 + 129, 2), kBlue);
  const QImage ends = Draw(300, 4, box(sftest::LinearAlongX(400, 255 * 20, 0, 0,
                                                             {{0, 0xFFFF0000}, {0, 0xFF00FF00}, {255, 0xFF0000FF},
                                                              {255, 0xFFFFFFFF}}),
                                       300));
  EXPECT_EQ(At(ends, 5, 2), kRed);                     // padded before the first ratio
  EXPECT_EQ(At(ends, 20, 2), kRed);                    // ratio 0: the first of its stops
  EXPECT_TRUE(Near(At(ends, 21, 2), 0x00FE01, 1));     // then from the last of them on
  EXPECT_EQ(At(ends, 20 + 255, 2), kBlue);             // ratio 255: the first of its stops
  EXPECT_EQ(At(ends, 290, 2), kBlue);                  // and the pad beyond it
}

TEST(SwfShapes, LinesThatDoNotScaleWithTheirShape) {
  // A shape scaled 8 times with a line of one pixel (DefineShape4): a horizontal line that keeps
  // its width in both directions, and vertical lines that keep it in one.
  auto shape = [](const sftest::TLine2& line, bool vertical) {
    TShapeRecords r(0, 1);
    if (vertical) r.Style(-1, -1, 1, true, 40, 0).Line(0, 60);
    else r.Style(-1, -1, 1, true, 0, 40).Line(60, 0);
    return sftest::DefineShape4(1, 100, 100, false, sftest::Styles({}, {sftest::LineStyle2(line)}), 0, 1, r.End());
  };
  sftest::TLine2 both;
  both.noHScale = both.noVScale = true;
  // The line runs along y = 2 + 2 x 8 = 18 from x = 2 to 26: one pixel wide it is row 18 alone.
  QImage frame = Draw(40, 40, shape(both, false) + sftest::PlaceMatrix(1, 1, 8, 8, 40, 40));
  EXPECT_EQ(At(frame, 10, 18), kBlack);
  EXPECT_EQ(At(frame, 10, 17), kWhite);
  EXPECT_EQ(At(frame, 10, 19), kWhite);
  EXPECT_EQ(At(frame, 10, 15), kWhite);
  // Scaled 8 times across and once down, a vertical line at x = 2 + 2 x 8 = 18: without the
  // horizontal scale it is one pixel wide; without the vertical one it is eight.
  sftest::TLine2 noH, noV;
  noH.noHScale = true;
  noV.noVScale = true;
  frame = Draw(40, 40, shape(noH, true) + sftest::PlaceMatrix(1, 1, 8, 1, 40, 0));
  EXPECT_EQ(At(frame, 18, 2), kBlack);
  EXPECT_EQ(At(frame, 16, 2), kWhite);
  EXPECT_EQ(At(frame, 20, 2), kWhite);
  frame = Draw(40, 40, shape(noV, true) + sftest::PlaceMatrix(1, 1, 8, 1, 40, 0));
  EXPECT_EQ(At(frame, 16, 2), kBlack);
  EXPECT_EQ(At(frame, 20, 2), kBlack);
  // The same line that scales: eight pixels wide about y = 18.5, rows 15 to 21 whole.
  frame = Draw(40, 40, shape(sftest::TLine2(), false) + sftest::PlaceMatrix(1, 1, 8, 8, 40, 40));
  EXPECT_EQ(At(frame, 10, 15), kBlack);
  EXPECT_EQ(At(frame, 10, 21), kBlack);
}

TEST(SwfMovie, TheFirstBackgroundColourCounts) {
  auto movie = Load(sftest::Movie(10, 10, 12, 2,
                                  sftest::Background(kRed) + sftest::Background(kBlue) + sftest::ShowFrame() +
                                      sftest::Background(kGreen) + sftest::ShowFrame()));
  EXPECT_EQ(movie->background.rgb() & 0xFFFFFF, kRed);
  EXPECT_EQ(At(RenderFrame(movie, 1), 5, 5), kRed);
}

TEST(SwfShapes, FillsOfOneShapeMeetWithoutASeam) {
  // A 20 x 20 square of four regions, each its own fill style of one colour, meeting along
  // x = 10.3 and y = 9.7 (four in one pixel there): every pixel inside is that colour, opaque
  // or translucent.
  for (uint32_t argb : {0xFFFF0000u, 0x80FFFFFFu}) {
    std::vector<std::string> fills;
    for (int i = 0; i < 4; ++i) fills.push_back(sftest::SolidFill(argb & 0xFFFFFF, int(argb >> 24)));
    // Corners (0, 0), (400, 0), (400, 400), (0, 400); the cross at (206, 194).
    TShapeRecords r(3, 0);
    r.Style(0, 1, -1, true, 0, 0).Line(206, 0).Style(0, 2, -1).Line(194, 0).Line(0, 194);
    r.Style(0, 3, -1).Line(0, 206).Line(-194, 0).Style(0, 4, -1).Line(-206, 0).Line(0, -206);
    r.Style(0, 1, -1).Line(0, -194);
    r.Style(2, 1, -1, true, 206, 0).Line(0, 194);                         // the top's two halves
    r.Style(1, 4, -1, true, 0, 194).Line(206, 0);                         // left: top and bottom
    r.Style(3, 2, -1, true, 400, 194).Line(-194, 0);                      // right: top and bottom
    r.Style(3, 4, -1, true, 206, 194).Line(0, 206);                       // the bottom's two halves
    const std::string shape = sftest::DefineShape(3, 1, 400, 400, sftest::Styles(fills, {}), 3, 0, r.End());
    const QImage frame = RenderFrame(
        Load(sftest::Movie(20, 20, 12, 1, sftest::Background(kBlack) + shape + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame())),
        0);
    const uint32_t inside = At(frame, 3, 3);
    EXPECT_TRUE(Near(inside, argb >> 24 == 255 ? kRed : 0x808080, 1)) << std::hex << inside;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_TRUE(Near(At(frame, x, y), inside, 1)) << x << "," << y;
  }
}

TEST(SwfShapes, StrokesAndGradientsOnThePixelGrid) {
  // A one-pixel black outline around (10, 10) to (30, 30): the line at a whole pixel covers the
  // pixel from there, so the square is 21 pixels of black wide and its neighbours untouched.
  TShapeRecords r(0, 1);
  r.Box(200, 200, 400, 400, -1, -1, 1);
  const QImage frame = Draw(40, 40,
                            sftest::DefineShape(1, 1, 800, 800, sftest::Styles({}, {sftest::LineStyle(20, kBlack)}), 0,
                                                1, r.End()) +
                                sftest::Place(1, 1, 0, 0));
  for (int i : {10, 20, 30}) {
    EXPECT_EQ(At(frame, i, 10), kBlack) << i;
    EXPECT_EQ(At(frame, i, 30), kBlack) << i;
    EXPECT_EQ(At(frame, 10, i), kBlack) << i;
    EXPECT_EQ(At(frame, 30, i), kBlack) << i;
  }
  EXPECT_EQ(At(frame, 20, 9), kWhite);
  EXPECT_EQ(At(frame, 20, 11), kWhite);
  EXPECT_EQ(At(frame, 9, 20), kWhite);
  EXPECT_EQ(At(frame, 31, 20), kWhite);
  EXPECT_EQ(At(frame, 20, 31), kWhite);

  // Black to white over 10 pixels from x = 10, in the three spreads: the gradient's position at
  // a pixel is that of the pixel's coordinate, so the borders fall on whole pixels.
  auto draw = [](int spread) {
    const std::string fill = sftest::LinearAlongX(200, 200, spread, 0, {{0, 0xFF000000}, {255, 0xFFFFFFFF}});
    return Draw(40, 4, sftest::DefineShape(3, 1, 800, 80, sftest::Styles({fill}, {}), 1, 0,
                                           TShapeRecords(1, 0).Box(0, 0, 800, 80, 0, 1, -1).End()) +
                           sftest::Place(1, 1, 0, 0));
  };
  const QImage pad = draw(0), reflect = draw(1), repeat = draw(2);
  EXPECT_EQ(At(pad, 9, 1), kBlack);
  EXPECT_EQ(At(pad, 10, 1), kBlack);
  EXPECT_EQ(At(pad, 12, 1), 0x333333u);  // 0.2 of the way
  EXPECT_EQ(At(pad, 15, 1), 0x808080u);
  EXPECT_EQ(At(pad, 20, 1), kWhite);
  EXPECT_EQ(At(repeat, 10, 1), kBlack);
  EXPECT_EQ(At(repeat, 18, 1), 0xCCCCCCu);
  EXPECT_EQ(At(repeat, 20, 1), kBlack);  // the next period begins
  EXPECT_EQ(At(repeat, 22, 1), 0x333333u);
  EXPECT_EQ(At(repeat, 30, 1), kBlack);
  EXPECT_EQ(At(reflect, 20, 1), kWhite);  // the turn
  EXPECT_EQ(At(reflect, 22, 1), 0xCCCCCCu);
  EXPECT_EQ(At(reflect, 30, 1), kBlack);
  EXPECT_EQ(At(reflect, 0, 1), kWhite);
}

TEST(SwfMovie, ACompressedMovieHoldsWhatItsHeaderClaims) {
  const std::string tags = sftest::Background(kRed) + sftest::ShowFrame();
  for (char compression : {'C', 'Z'}) {
    const std::string movie = sftest::Movie(10, 10, 12, 1, tags, compression);
    EXPECT_EQ(Load(movie)->background.rgb() & 0xFFFFFF, kRed) << compression;
    const uint32_t length = uint8_t(movie[4]) | uint8_t(movie[5]) << 8 | uint8_t(movie[6]) << 16 | uint32_t(uint8_t(movie[7])) << 24;
    auto claiming = [&](uint32_t claim) {
      std::string m = movie;
      for (int i = 0; i < 4; ++i) m[size_t(4 + i)] = char((claim >> (8 * i)) & 0xFF);
      return m;
    };
    // Its data ends before the length its header gives: refused, whatever the claim (one past
    // what a movie may have at all, at once).
    for (uint32_t claim : {length + 1, length + 1000, 1u << 28, 1u << 30, 0xFFFFFFFFu}) {
      try {
        Load(claiming(claim));
        ADD_FAILURE() << compression << " " << claim << " was taken";
      } catch (const ESwfError& e) {
        const std::string why = e.what();
        EXPECT_NE(why.find(claim > (1u << 28) ? "more than a movie may have" : "ends before"), std::string::npos) << why;
      }
    }
    // More data than the header gives: the movie is what the length takes in (here the End tag
    // is cut away, which a movie does without).
    EXPECT_EQ(Load(claiming(length - 2))->background.rgb() & 0xFFFFFF, kRed) << compression;
    // Cut inside the compressed data: refused with a reason, unless all the length takes in is
    // still there (a cut into the stream's own trailer).
    for (size_t cut = 8; cut < movie.size(); ++cut) {
      try {
        auto whole = Load(movie.substr(0, cut));
        EXPECT_GT(cut, movie.size() / 2) << compression;
        EXPECT_EQ(whole->background.rgb() & 0xFFFFFF, kRed) << compression << cut;
      } catch (const ESwfError& e) {
        EXPECT_NE(std::string(e.what()).find("ends before"), std::string::npos) << compression << cut << e.what();
      }
    }
  }
}

TEST(SwfPlayer, ThePictureAfterTicks) {
  // The root stops in its first frame; its sprite of five frames shows a box at x = 0, 4, 8,
  // 12, 16 and goes on playing: after five ticks the box stands at 16.
  std::string frames;
  for (int i = 0; i < 5; ++i) frames += (i == 0 ? sftest::Place(1, 1, 0, 0) : sftest::Move(1, i * 80, 0)) + sftest::ShowFrame();
  const std::string stopped = sftest::BoxShape(1, 4, 4, kRed) + sftest::Sprite(2, 5, frames) + sftest::Place(1, 2, 0, 0) +
                              sftest::DoAction(sftest::StopAction()) + sftest::ShowFrame() + sftest::ShowFrame();
  auto movie = Load(sftest::Movie(20, 4, 12, 2, sftest::Background(kWhite) + stopped));
  for (int ticks = 1; ticks <= 5; ++ticks) {
    const QImage image = RenderTicks(movie, ticks);
    EXPECT_EQ(At(image, (ticks - 1) * 4 + 1, 1), kRed) << ticks;
    EXPECT_EQ(At(image, ticks == 1 ? 5 : 1, 1), kWhite) << ticks;
  }
  EXPECT_EQ(At(RenderTicks(movie, 6), 1, 1), kRed);  // the sprite loops
  EXPECT_EQ(At(RenderFrame(movie, 0), 1, 1), kRed);  // frame 1 as drawn: the sprite's first

  // A root of three frames that moves a box and loops: tick 4 shows frame 1 again.
  const std::string moving = sftest::BoxShape(1, 4, 4, kRed) + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame() +
                             sftest::Move(1, 80, 0) + sftest::ShowFrame() + sftest::Move(1, 160, 0) + sftest::ShowFrame();
  auto looping = Load(sftest::Movie(20, 4, 12, 3, sftest::Background(kWhite) + moving));
  EXPECT_EQ(At(RenderTicks(looping, 3), 9, 1), kRed);
  EXPECT_EQ(RenderTicks(looping, 4), RenderTicks(looping, 1));
  EXPECT_EQ(At(RenderTicks(looping, 4), 1, 1), kRed);
  EXPECT_EQ(RenderTicks(looping, 5), RenderTicks(looping, 2));
}
