// Random lines and dither, composited reveals, grid cells, fixed-pace effects and phased moves
// tick by tick: their tick counts, what the first and last ticks draw, and the states between.
#include <gtest/gtest.h>

#include <set>

#include "tests/transitions/transition.h"

using namespace sf;
using sftest::Index;
using sftest::Transition;

namespace {

bool AllOld(const Transition& t) { return t.target == t.old; }

}  // namespace

TEST(DitherFamily, LinesAndPixels) {
  // Every row once, one a tick, in random order.
  Transition rows(Index("Lines(Horizontal)"), 37, 23, 50);
  EXPECT_EQ(rows.RunToEnd(), 23);
  std::set<int> seen;
  for (const QRect& r : rows.dirty) {
    EXPECT_EQ(r.height(), 1);
    EXPECT_EQ(r.width(), 37);
    seen.insert(r.top());
  }
  EXPECT_EQ(seen.size(), 23u);
  EXPECT_TRUE(rows.engine.V.work.empty());
  EXPECT_EQ(rows.engine.V.work.capacity(), 0u);  // freed by the step that emptied it
  Transition columns(Index("Lines(Vertical)"), 37, 23, 1);
  EXPECT_EQ(columns.RunToEnd(), 37);
  EXPECT_EQ(Transition(Index("Random crossLines"), 1, 30, 5).RunToEnd(), 1);
  Transition cross(Index("Random crossLines"), 30, 20, 5);
  EXPECT_EQ(cross.RunToEnd(), 30);

  // "Increase show": 43 ticks; on the six ticks where the sub-pass has passed 5 nothing is
  // drawn; the sprinkled pixels accumulate.
  Transition inc(Index("Increase show"), 90, 60, 25);
  int quiet = 0, before = 0;
  for (int tick = 1; tick <= 42; ++tick) {
    ASSERT_FALSE(inc.Tick()) << tick;
    int now = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 90; ++x) now += inc.IsNew(x, y);
    EXPECT_GE(now, before);
    if (inc.dirty.back().isEmpty()) {
      ++quiet;
      EXPECT_EQ(tick % 7, 0) << tick;
    }
    before = now;
  }
  EXPECT_EQ(quiet, 6);
  EXPECT_LT(before, 90 * 60);
  EXPECT_TRUE(inc.Tick());  // the 43rd tick draws the whole picture
  EXPECT_EQ(inc.target, inc.newPic);

  // Every tick sprinkles exactly the pixels of the walk as it is written: column bands from pos,
  // rows from sub, the column offset drawn before the row advance, the band advance after the
  // band; at sizes that end bands and rows anywhere, and after the generator was used before.
  for (const QSize size : {QSize(90, 60), QSize(7, 301), QSize(333, 5), QSize(701, 401)}) {
    Transition walked(Index("Increase show"), size.width(), size.height(), 25, 77);
    walked.random.Random(3);  // the effect draws from wherever the generator stands
    QImage expected = walked.target.copy();
    uint32_t seed = walked.random.CurrentSeed();
    for (int pos = 0; pos <= 5; ++pos) {
      for (int sub = 0; sub <= 6; ++sub) {
        if (sub <= 5) {
          sf::TRandom written(seed);
          for (int x = pos; x < size.width(); x += written.Random(6))
            for (int y = sub; y < size.height(); y += written.Random(6)) {
              const int o = x + written.Random(6);
              if (o < size.width()) expected.setPixel(o, y, walked.newPic.pixel(o, y));
            }
          seed = written.CurrentSeed();
        }
        ASSERT_FALSE(walked.Tick());
        ASSERT_EQ(walked.target, expected) << size.width() << "x" << size.height() << " pos " << pos << " sub " << sub;
        ASSERT_EQ(walked.random.CurrentSeed(), seed) << "the effect left the generator elsewhere";
      }
    }
  }
}

TEST(DitherFamily, SprinkleWalksAheadOnlyFromWhereTheGeneratorStands) {
  // Twenty transitions' worth of walks on one sprinkler, so that the ticks' numbers run out and
  // start again; before every fifth walk something else draws from the generator, and the walk
  // made ahead from the old seed must give way. Each walk marks exactly the pixels of the plain
  // walk, with its own number, and leaves the generator after its last draw: with and without
  // the vector instructions and the walk ahead, whatever the machine has.
  const int w = 37, h = 23;
  for (const TVectorUnit vectors : {TVectorUnit::Avx512, TVectorUnit::Avx2, TVectorUnit::None})
    for (const bool threads : {true, false}) {
      effects::TSprinkler sprinkler(w, h, TFastPaths{vectors, threads});
      if (!threads) {
        EXPECT_FALSE(sprinkler.WalksAhead());
      }
      TRandom random(4242);
      for (int n = 0; n < 20 * 36; ++n) {
        const int pos = n / 6 % 6, sub = n % 6;
        if (n % 5 == 4) random.Random(9);
        const uint32_t from = random.CurrentSeed();
        std::vector<bool> want(size_t(w * h));
        TRandom plain(from);
        effects::TSprinkler::WalkPlain(plain, w, h, pos, sub, [&](int x, int y) { want[size_t(y * w + x)] = true; });
        const effects::TSprinkler::TMarks marks = sprinkler.Walk(random, pos, sub);
        ASSERT_EQ(random.CurrentSeed(), plain.CurrentSeed()) << n;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(marks.plane[size_t(y) * marks.stride + size_t(x)] == marks.key, want[size_t(y * w + x)])
                << "walk " << n << " at " << x << "," << y << " vectors " << int(vectors) << " threads " << threads;
      }
    }
}

TEST(DitherFamily, ThePlainWalkIsTheWalkAsWritten) {
  // The reference itself against the walk spelled out: the column offset before the row advance,
  // the band's advance after the band, offsets past the right edge left out.
  for (const QSize size : {QSize(7, 301), QSize(333, 5)})
    for (int pos = 0; pos <= 5; ++pos) {
      TRandom a(pos * 7 + 1), b(pos * 7 + 1);
      std::set<std::pair<int, int>> written, walked;
      for (int x = pos; x < size.width(); x += a.Random(6))
        for (int y = 3; y < size.height(); y += a.Random(6)) {
          const int o = x + a.Random(6);
          if (o < size.width()) written.insert({o, y});
        }
      effects::TSprinkler::WalkPlain(b, size.width(), size.height(), pos, 3, [&](int x, int y) { walked.insert({x, y}); });
      EXPECT_EQ(walked, written);
      EXPECT_EQ(b.CurrentSeed(), a.CurrentSeed());
    }
}

TEST(CompositeFamily, EnvelopInterlaceAndRolls) {
  // "Center(Envelop)" 800 x 600 at S = 25: limit 300; the first tick's R is the whole picture.
  Transition env(Index("Center(Envelop)"), 800, 600, 25);
  env.Tick();
  EXPECT_TRUE(AllOld(env));
  env.Tick();  // R loses 25 rows at top and bottom and 33 columns at each side
  EXPECT_TRUE(env.IsNew(400, 24) && env.IsOld(400, 25) && env.IsNew(32, 300) && env.IsOld(34, 300));
  EXPECT_EQ(env.RunToEnd() + 2, 13);

  // "Show up-dwon" on 600 rows: limit 301; two ticks of old only, then new row 598 on row 0;
  // the 302nd tick shows the whole picture and the 303rd ends without drawing.
  Transition up(Index("Show up-dwon"), 4, 600, 1);
  up.Tick();
  up.Tick();
  EXPECT_TRUE(AllOld(up));
  up.Tick();
  EXPECT_EQ(up.target.pixel(1, 0), up.newPic.pixel(1, 598));
  EXPECT_EQ(up.target.pixel(1, 1), up.old.pixel(1, 1));
  for (int tick = 4; tick <= 302; ++tick) ASSERT_FALSE(up.Tick()) << tick;
  EXPECT_EQ(up.target, up.newPic);
  EXPECT_TRUE(up.Tick());
  EXPECT_TRUE(up.dirty.back().isEmpty());
  Transition lr(Index("Show left-right"), 201, 3, 1);
  EXPECT_EQ(lr.RunToEnd(), 103);  // limit 101: 102 drawing ticks and one that ends

  // "Roll right" with W = 100: at pos 30 the curl mirrors columns 30 to 59; the tick with pos 99
  // draws a one-column curl and the next (pos 102) draws the whole picture.
  Transition roll(Index("Roll right"), 100, 8, 25);
  for (int i = 0; i < 11; ++i) roll.Tick();  // pos 0 ... 30
  EXPECT_TRUE(roll.IsNew(29, 3));
  EXPECT_EQ(roll.target.pixel(30, 3), roll.newPic.pixel(59, 3));
  EXPECT_EQ(roll.target.pixel(59, 3), roll.newPic.pixel(30, 3));
  EXPECT_TRUE(roll.IsOld(60, 3));
  EXPECT_EQ(roll.RunToEnd() + 11, 35);
  for (const char* name : {"Roll left", "Roll down", "Roll up"}) {
    Transition r(Index(name), 50, 40, 1);
    const int ticks = r.RunToEnd();
    EXPECT_EQ(ticks, std::string(name) == "Roll left" ? 18 : 15) << name;
    EXPECT_EQ(r.target, r.newPic);
  }
}

TEST(GridFamily, BlocksAndCheckerboards) {
  // "Block from center" on 800 x 600: cw = 101, ch = 76.
  Transition from(Index("Block from center"), 800, 600, 50);
  from.Tick();
  EXPECT_EQ(from.dirty[0], ltrb(303, 228, 404, 304));
  for (int i = 2; i <= 64; ++i) from.Tick();
  EXPECT_EQ(from.dirty[63], ltrb(707, 0, 800, 76));  // cell (7, 0), cut to the picture
  EXPECT_TRUE(from.Tick());                           // the 65th tick ends without drawing
  EXPECT_TRUE(from.dirty[64].isEmpty());
  EXPECT_EQ(from.target, from.newPic);
  Transition to(Index("Block to center"), 800, 600, 1);
  to.Tick();
  EXPECT_EQ(to.dirty[0], ltrb(707, 0, 800, 76));
  EXPECT_EQ(to.RunToEnd() + 1, 65);
  EXPECT_EQ(to.dirty[63], ltrb(303, 228, 404, 304));

  // Checkerboards: 40 ticks, "Checkerboard left" 41.
  for (int i = Index("Checkerboard down"); i <= Index("Checkerboard up rebound"); ++i) {
    Transition c(i, 100, 60, 7);
    EXPECT_EQ(c.RunToEnd(), std::string(EffectInfo(i)->name) == "Checkerboard left" ? 41 : 40) << EffectInfo(i)->name;
    EXPECT_EQ(c.target, c.newPic);
  }
  // "Checkerboard right" draws column 19 first, with its odd rows; then 18, ... 0; then the
  // second pass from 19 with the even rows.
  Transition right(Index("Checkerboard right"), 200, 100, 5);  // cells of 11 x 6
  right.Tick();
  EXPECT_TRUE(right.IsNew(19 * 11, 6) && right.IsOld(19 * 11, 0));
  for (int i = 0; i < 20; ++i) right.Tick();
  EXPECT_TRUE(right.IsNew(19 * 11, 0));
}

TEST(GridFamily, MultiBoxAndMosaic) {
  // "Multi-Box from center" on 800 x 600: cw = 41, ch = 31; boxes 82 apart across and 62 down;
  // the 41st tick draws them 80 x 60, the 42nd the whole picture.
  Transition box(Index("Multi-Box from center"), 800, 600, 50);
  for (int i = 0; i < 41; ++i) box.Tick();
  EXPECT_TRUE(box.IsNew(41 - 40, 31 - 30) && box.IsNew(41 + 39, 31 + 29));
  EXPECT_TRUE(box.IsOld(41 + 40, 31) && box.IsOld(41, 31 + 30));
  EXPECT_TRUE(box.IsNew(41 + 82, 31 + 62));
  EXPECT_TRUE(box.Tick());
  EXPECT_EQ(box.target, box.newPic);
  Transition shrink(Index("Multi-Box to center"), 800, 600, 50);
  shrink.Tick();  // pos = cw: the old boxes cover all but the seams
  EXPECT_TRUE(shrink.IsOld(41, 31) && shrink.IsOld(1, 1));
  EXPECT_EQ(shrink.RunToEnd() + 1, 42);

  // "Mosaic": 400 ticks whatever the seed, every cell once; the seed decides the order.
  std::vector<QRect> orders[3];
  int n = 0;
  for (uint32_t seed : {1u, 1u, 2u}) {
    Transition m(Index("Mosaic"), 200, 100, 1, seed);
    EXPECT_EQ(m.RunToEnd(), 400);
    EXPECT_EQ(m.target, m.newPic);
    orders[n++] = m.dirty;
  }
  EXPECT_EQ(orders[0], orders[1]);
  EXPECT_NE(orders[0], orders[2]);
}

TEST(FixedPaceFamily, ZigZagLinesBlindsAndSweeps) {
  for (const char* name : {"Zig-zag right", "Zig-zag left", "Zig-zag down", "Zig-zag up"})
    for (auto [w, h] : {std::pair{100, 60}, {7, 13}}) {
      Transition z(Index(name), w, h, 50);
      EXPECT_EQ(z.RunToEnd(), 400) << name << " " << w << "x" << h;
      EXPECT_EQ(z.target, z.newPic);
    }
  // The serpentine path: "Zig-zag right" goes down column 0, then up column 1.
  Transition z(Index("Zig-zag right"), 220, 119, 1);  // cells of 12 x 6, the last row cut
  for (int i = 0; i < 22; ++i) z.Tick();
  EXPECT_EQ(z.dirty[19], ltrb(0, 114, 12, 119));
  EXPECT_EQ(z.dirty[20], ltrb(12, 114, 24, 119));
  EXPECT_EQ(z.dirty[21], ltrb(12, 108, 24, 114));

  // "Line right" on W = 1: column 0, then the second pass's column 1 outside, and the end.
  Transition one(Index("Line right"), 1, 10, 5);
  EXPECT_EQ(one.RunToEnd(), 2);
  // "Line right rebound" on W = 10: 0, 2, ..., 10, then 9, 7, ..., 1.
  Transition rebound(Index("Line right rebound"), 10, 5, 5);
  EXPECT_EQ(rebound.RunToEnd(), 11);
  std::vector<int> columns;
  for (const QRect& r : rebound.dirty) columns.push_back(r.isEmpty() ? -1 : r.left());
  EXPECT_EQ(columns, (std::vector<int>{0, 2, 4, 6, 8, -1, 9, 7, 5, 3, 1}));
  Transition leftOdd(Index("Line left rebound"), 9, 5, 5);  // 8, 6, ..., 0, then 1, 3, ..., 9
  EXPECT_EQ(leftOdd.RunToEnd(), 10);

  // Window blinds: 20 drawing ticks and a 21st that ends without drawing.
  for (const char* name : {"Window blind right", "Window blind left", "Window blind down", "Window blind up"}) {
    Transition b(Index(name), 95, 45, 50);
    EXPECT_EQ(b.RunToEnd(), 21) << name;
    EXPECT_TRUE(b.dirty[20].isEmpty());
    EXPECT_EQ(b.target, b.newPic);
  }

  // "Sweep down" draws nothing in its first 19 ticks; its first drawing tick has pos = -20.
  Transition down(Index("Sweep down"), 30, 100, 1);
  for (int i = 0; i < 19; ++i) down.Tick();
  EXPECT_TRUE(AllOld(down));
  down.Tick();  // the first strip ends at row 0; the second covers rows 0 to 18
  EXPECT_TRUE(down.IsNew(5, 0) && down.IsNew(5, 18) && down.IsOld(5, 19));
  // Ticks: ⌈(W + 400) / 20⌉ for "Sweep right", ⌊(W + 819) / 20⌋ + 1 for "Sweep left", and one
  // more that reports the end.
  EXPECT_EQ(Transition(Index("Sweep right"), 130, 10, 1).RunToEnd(), (130 + 400 + 19) / 20 + 1);
  EXPECT_EQ(Transition(Index("Sweep left"), 130, 10, 1).RunToEnd(), (130 + 819) / 20 + 1 + 1);
  EXPECT_EQ(Transition(Index("Sweep up"), 10, 130, 1).RunToEnd(), (130 + 819) / 20 + 1 + 1);
}

TEST(PhasedFamily, HalvesAndStrips) {
  // "Move down 1" with H = 10 and S = 3: phase 0 with pos 0, 3, 6 (min(pos, 5) rows), phase 1
  // from 0 until 5 + pos > 10, and the next tick ends.
  Transition down(Index("Move down 1"), 12, 10, 3);
  EXPECT_EQ(down.RunToEnd(), 7);
  EXPECT_TRUE(down.dirty[0].isEmpty());
  EXPECT_EQ(down.dirty[1], ltrb(0, 0, 12, 3));
  EXPECT_EQ(down.dirty[2], ltrb(0, 0, 12, 5));  // the whole upper half, and phase 1 begins
  EXPECT_EQ(down.dirty[5], ltrb(0, 5, 12, 10));  // the lower half whole: 5 + 6 > 10
  EXPECT_TRUE(down.dirty[6].isEmpty());
  EXPECT_EQ(down.target, down.newPic);

  // Members 3 and 4: behind the travelling block the old content comes back.
  Transition three(Index("Move down 3"), 8, 40, 4);  // m = 20
  while (three.engine.V.pass == 0) three.Tick();
  three.Tick();
  three.Tick();  // the block stands at rows 8 to 27
  EXPECT_TRUE(three.IsOld(3, 0) && three.IsOld(3, 7));
  EXPECT_EQ(three.target.pixel(3, 8), three.newPic.pixel(3, 20));
  three.RunToEnd();
  EXPECT_EQ(three.target, three.newPic);

  // Members 5 lower S to the strip size: 150 rows give t = 11.
  Transition strips(Index("Move down 5"), 10, 150, 50);
  EXPECT_EQ(strips.engine.V.z, 11);
  EXPECT_EQ(strips.engine.V.S, 11);
  strips.RunToEnd();
  EXPECT_EQ(strips.target, strips.newPic);
  // Below 15 rows t = 1, and the strips whose place lies above the picture stand at row 0 at
  // once: one tick each.
  Transition low(Index("Move down 5"), 10, 8, 1);
  const int ticks = low.RunToEnd();
  EXPECT_EQ(low.target, low.newPic);
  EXPECT_LT(ticks, 8 * 9);
}

TEST(DitherFamily, AnAbandonedIncreaseShowLetsGoOfItsSprinkler) {
  // The settings dialog's preview starts another effect mid-run, and a show may end
  // mid-transition: the helper thread and the planes go then, not at the engine's end.
  Transition inc(Index("Increase show"), 90, 60, 25);
  for (int tick = 0; tick < 3; ++tick) ASSERT_FALSE(inc.Tick());
  ASSERT_NE(inc.engine.V.sprinkle, nullptr);
  inc.engine.Start(Index("Lines(Horizontal)"), inc.canvas, inc.newPic, inc.old, 0, 0, 25);
  EXPECT_EQ(inc.engine.V.sprinkle, nullptr);
  inc.engine.Start(Index("Increase show"), inc.canvas, inc.newPic, inc.old, 0, 0, 25);
  ASSERT_FALSE(inc.Tick());
  ASSERT_NE(inc.engine.V.sprinkle, nullptr);
  const QImage before = inc.target.copy();
  inc.engine.Abandon();
  EXPECT_EQ(inc.engine.V.sprinkle, nullptr);
  EXPECT_FALSE(inc.engine.Running());
  EXPECT_TRUE(inc.Tick());  // nothing more is drawn
  EXPECT_EQ(inc.target, before);
}
