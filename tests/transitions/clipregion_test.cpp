// The clip-region reveals and the region wipes tick by tick: the radial sweeps' phases about
// each centre, the ellipses' limits, the corner and multi-wipe counts, the cross, wedge and fan
// phases.
#include <gtest/gtest.h>

#include "tests/transitions/transition.h"

using namespace sf;
using sftest::Index;
using sftest::Transition;

namespace {

// How many pixels of the target show the new picture.
int NewPixels(const Transition& t) {
  int n = 0;
  for (int y = 0; y < t.target.height(); ++y)
    for (int x = 0; x < t.target.width(); ++x) n += t.IsNew(x, y);
  return n;
}

}  // namespace

TEST(ClipFamily, RadialSweepPhasesAboutEachCentre) {
  // 40 x 30 at S = 10: phase 0 runs pos 30, 20, 10, 0 (4 ticks), phase 1 40 ... 0 (5), phase 2
  // 0 ... 30 (4), phase 3 0 ... 40 (5); the 18th tick passes W and draws the whole picture.
  const int W = 40, H = 30, all = W * H;
  const int phaseEnds[] = {4, 9, 13};
  auto run = [&](const char* name, std::vector<int>& newAfterPhase) {
    Transition t(Index(name), W, H, 10);
    for (int tick = 1; tick <= 18; ++tick) {
      const bool done = t.Tick();
      EXPECT_EQ(done, tick == 18) << name << " tick " << tick;
      for (int end : phaseEnds)
        if (tick == end) newAfterPhase.push_back(NewPixels(t));
    }
    EXPECT_EQ(t.target, t.newPic) << name;
    return t;
  };
  std::vector<int> leftBottom, leftTop, rightBottom, rightTop, centre;
  run("Circle left-bottom", leftBottom);  // phases 0 and 1 reveal everything
  EXPECT_EQ(leftBottom, (std::vector<int>{leftBottom[0], all, all}));
  EXPECT_GT(leftBottom[0], all / 2 - W);
  EXPECT_LT(leftBottom[0], all);

  Transition lt = run("Circle left-top", leftTop);  // the half above the diagonal, then nothing
  EXPECT_EQ(leftTop[0], leftTop[1]);              // phases 1 and 2 add nothing
  EXPECT_EQ(leftTop[1], leftTop[2]);
  EXPECT_NEAR(leftTop[0], all / 2, W);

  run("Circle right-bottom", rightBottom);  // phase 0 draws nothing, phase 1 the upper half
  EXPECT_EQ(rightBottom[0], 0);
  EXPECT_NEAR(rightBottom[1], all / 2, W);
  EXPECT_EQ(rightBottom[2], all);  // phase 2 completes it

  run("Circle right-top", rightTop);  // phases 0 and 1 draw nothing
  EXPECT_EQ(rightTop[0], 0);
  EXPECT_EQ(rightTop[1], 0);
  EXPECT_GT(rightTop[2], 0);
  EXPECT_LT(rightTop[2], all);

  run("Circle(Center)", centre);  // the triangles towards the right, top, left and bottom edges
  EXPECT_LT(centre[0], centre[1]);
  EXPECT_LT(centre[1], centre[2]);
  EXPECT_LT(centre[2], all);

  // "Circle(Random)": the engine draws the centre, Random(H) first.
  Transition random(Index("Circle(Random)"), W, H, 10, 9);
  TRandom drawn(9);
  const int cy = drawn.Random(H), cx = drawn.Random(W);
  EXPECT_EQ(random.engine.V.points[0], QPoint(cx, cy));
}

TEST(ClipFamily, EllipsesAndCircle) {
  // 800 x 600: cx = 400, cy = 300, limit = 501; ellipses while pos <= 501.
  Transition e(Index("Ellipse from center"), 800, 600, 1);
  EXPECT_EQ(e.engine.V.limit, 501);
  EXPECT_EQ(e.RunToEnd(), 503);  // pos 0 to 501, then the tick with pos 502 draws the whole
  EXPECT_TRUE(e.dirty[0].isEmpty());  // an ellipse of size 0
  Transition fast(Index("Ellipse from center"), 800, 600, 50);
  EXPECT_EQ(fast.RunToEnd(), 12);  // pos 0, 50, ..., 500; 550 > 501

  // "Ellipse to center" starts with the corners outside the inscribed ellipse.
  Transition to(Index("Ellipse to center"), 800, 600, 50);
  to.Tick();
  EXPECT_TRUE(to.IsNew(0, 0));
  EXPECT_TRUE(to.IsOld(400, 300));
  EXPECT_EQ(to.RunToEnd() + 1, 7);  // pos 300, 250, ..., 50 draw; 0 copies the whole

  // "Ellipse(Random)" grows to the diagonal: from a centre near a corner it still covers all.
  Transition r(Index("Ellipse(Random)"), 300, 200, 25, 3);
  EXPECT_EQ(r.engine.V.limit, 361);  // nearest(sqrt(300² + 200²))
  r.RunToEnd();
  EXPECT_EQ(r.target, r.newPic);
}

TEST(ClipFamily, CornerWipesDiamondsAndTheMultiWipeGrid) {
  // A single corner runs to 2 W, two corners to W; the "to" members start by drawing nothing.
  Transition one(Index("Wipe from left-top"), 100, 60, 10);
  EXPECT_EQ(one.RunToEnd(), 21);
  Transition two(Index("Wipe from right-top/left-bottom"), 100, 60, 10);
  EXPECT_EQ(two.RunToEnd(), 11);
  Transition to(Index("Wipe to right-top/left-bottom"), 100, 60, 10);
  to.Tick();
  EXPECT_TRUE(to.dirty[0].isEmpty());
  EXPECT_EQ(to.RunToEnd() + 1, 11);  // pos 100 ... 10 draw; 0 copies the whole
  // The revealed band widens from the other diagonal towards the two corners.
  Transition mid(Index("Wipe to left-top/right-bottom"), 100, 60, 10);
  for (int i = 0; i < 6; ++i) mid.Tick();
  EXPECT_TRUE(mid.IsNew(50, 30));  // on the other diagonal
  EXPECT_TRUE(mid.IsOld(1, 1));     // near the corners
  EXPECT_TRUE(mid.IsOld(98, 58));

  Transition diamond(Index("Diamond from center"), 90, 60, 15);
  EXPECT_EQ(diamond.RunToEnd(), 7);  // pos 0 ... 75 draw; 90 >= W copies the whole
  EXPECT_EQ(diamond.target, diamond.newPic);

  // "Multi-Wipe from left-top" on 800 x 600: cw = 81, 163 ticks at any speed.
  for (int speed : {1, 50}) {
    Transition grid(Index("Multi-Wipe from left-top"), 800, 600, speed);
    EXPECT_EQ(grid.engine.V.cellW, 81);
    EXPECT_EQ(grid.RunToEnd(), 163) << speed;
  }
  // In every cell the same triangle: after 20 ticks the corner of each cell is new.
  Transition cells(Index("Multi-Wipe from bottom-right"), 200, 100, 1);
  for (int i = 0; i < 21; ++i) cells.Tick();
  const int cw = cells.engine.V.cellW, ch = cells.engine.V.cellH;  // 21 x 11
  for (int column = 1; column <= 9; ++column)
    for (int row = 1; row <= 9; ++row) {
      EXPECT_TRUE(cells.IsNew(column * cw - 1, row * ch - 1)) << column << "," << row;
      EXPECT_TRUE(cells.IsOld(column * cw - 19, row * ch - 9)) << column << "," << row;
    }
}

TEST(RegionFamily, CrossOpensAndCloses) {
  // 100 x 50 at S = 10: cx = 51; pos 0 ... 50 draw (the first an empty cross), 60 copies.
  Transition from(Index("Cross wipe from center"), 100, 50, 10);
  EXPECT_EQ(from.engine.V.cx, 51);
  EXPECT_EQ(from.RunToEnd(), 7);
  EXPECT_TRUE(from.dirty[0].isEmpty());
  EXPECT_EQ(from.target, from.newPic);
  // The cross: after the tick with pos = 20 the bars (31, 0, 71, 50) and (0, 16, 100, 36).
  Transition mid(Index("Cross wipe from center"), 100, 50, 10);
  for (int i = 0; i < 3; ++i) mid.Tick();
  EXPECT_TRUE(mid.IsNew(31, 1) && mid.IsNew(70, 48) && mid.IsNew(1, 16) && mid.IsNew(98, 35));
  EXPECT_TRUE(mid.IsOld(30, 1) && mid.IsOld(71, 48) && mid.IsOld(1, 15) && mid.IsOld(98, 36));

  Transition to(Index("Cross wipe to center"), 100, 50, 10);
  to.Tick();  // the vertical bar (0, 0, 102, H) spans the whole width: nothing is drawn
  EXPECT_TRUE(to.dirty[0].isEmpty());
  EXPECT_EQ(to.RunToEnd() + 1, 7);  // pos 51, 41, ..., 1 draw; -9 copies the whole
}

TEST(RegionFamily, WedgesPassThroughThreePhases) {
  // 20 x 20 at S = 50: each phase lasts one tick; the third draws the whole picture unclipped.
  for (const char* name : {"Wedge wipe right", "Wedge wipe left", "Wedge wipe down", "Wedge wipe up"}) {
    Transition w(Index(name), 20, 20, 50);
    EXPECT_FALSE(w.Tick());
    EXPECT_EQ(w.engine.V.pass, 1) << name;
    EXPECT_FALSE(w.Tick());
    EXPECT_EQ(w.engine.V.pass, 2) << name;
    EXPECT_TRUE(w.Tick());
    EXPECT_EQ(w.target, w.newPic);
  }
  // "Wedge wipe right" at S = 1: phase 0 a triangle from the left edge, phase 1 its free
  // vertices run right along the top and bottom, phase 2 a shrinking wedge at the right edge.
  Transition w(Index("Wedge wipe right"), 60, 40, 1);
  while (w.engine.V.pass == 0) w.Tick();
  EXPECT_TRUE(w.IsNew(0, 20) && w.IsNew(0, 1));
  EXPECT_TRUE(w.IsOld(59, 20));
  while (w.engine.V.pass == 1) w.Tick();
  EXPECT_TRUE(w.IsNew(50, 1) && w.IsNew(50, 38) && w.IsNew(58, 0));
  EXPECT_TRUE(w.IsOld(59, 20));  // the wedge left at the right edge's middle
  w.RunToEnd();
  EXPECT_EQ(w.target, w.newPic);
}

TEST(RegionFamily, FanTurnsOneStepPastTheCentreLine) {
  // 40 x 40 at S = 7: cx = 21; phase 0 pos 1, 8, 15 (22 > 21 starts phase 1 at 0); phase 1
  // pos 0, 7, 14, 21, 28 draw; the next tick finds 35 > cx + S and draws the whole picture.
  for (const char* name : {"Fan wipe", "Fan wipe(Anticlockwise)"}) {
    Transition f(Index(name), 40, 40, 7);
    EXPECT_EQ(f.RunToEnd(), 8) << name;
    EXPECT_EQ(f.target, f.newPic);
  }
  // Clockwise: the first blade runs right along the top edge from its middle.
  Transition cw(Index("Fan wipe"), 40, 40, 7);
  cw.Tick();
  cw.Tick();
  EXPECT_TRUE(cw.IsNew(23, 0));
  EXPECT_TRUE(cw.IsOld(17, 0));
  Transition acw(Index("Fan wipe(Anticlockwise)"), 40, 40, 7);
  acw.Tick();
  acw.Tick();
  EXPECT_TRUE(acw.IsNew(17, 0));
  EXPECT_TRUE(acw.IsOld(23, 0));
}
