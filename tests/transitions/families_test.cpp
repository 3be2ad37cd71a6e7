// The effects family by family: their edge cases tick by tick, and for every built effect the
// properties every transition must keep.
#include <QCryptographicHash>
#include <gtest/gtest.h>

#include "platform/random.h"
#include "tests/transitions/transition.h"
#include "transitions/engine.h"

using namespace sf;
using sftest::Index;
using sftest::Transition;
using sftest::Picture;

TEST(ScanFamily, OneFrontBands) {
  Transition down(Index("Scan down"), 60, 100, 50);
  EXPECT_FALSE(down.Tick());
  EXPECT_EQ(down.dirty[0], ltrb(0, 0, 60, 50));
  EXPECT_FALSE(down.Tick());  // pos + S = 100 is not greater than H
  EXPECT_EQ(down.dirty[1], ltrb(0, 50, 60, 100));
  EXPECT_TRUE(down.Tick());
  EXPECT_TRUE(down.dirty[2].isEmpty());  // the third band is empty

  Transition up(Index("Scan up"), 60, 100, 30);
  EXPECT_FALSE(up.Tick());
  EXPECT_FALSE(up.Tick());
  EXPECT_FALSE(up.Tick());
  EXPECT_TRUE(up.Tick());
  EXPECT_EQ(up.dirty, (std::vector<QRect>{ltrb(0, 70, 60, 100), ltrb(0, 40, 60, 70), ltrb(0, 10, 60, 40),
                                          ltrb(0, 0, 60, 10)}));
}

TEST(ScanFamily, TwoFrontsMeetInTheMiddle) {
  Transition c(Index("Scan to center(Vertical) "), 100, 40, 10);
  EXPECT_EQ(c.RunToEnd(), 7);  // pos = 0 .. 50 draw bands, the seventh tick (pos = 60) the whole
  EXPECT_EQ(c.dirty[0], ltrb(0, 0, 100, 40));  // 0-9 and 90-99 make one dirty span
  EXPECT_EQ(c.target, c.newPic);
  Transition e(Index("Scan to edge(Horizontal)"), 30, 100, 20);
  e.Tick();
  EXPECT_EQ(e.dirty[0], ltrb(0, 31, 30, 71));  // limit 51: bands 31-50 and 51-70
}

TEST(ScanFamily, ShutterSlats) {
  Transition v(Index("Shutter(Vertical)"), 1024, 40, 25);
  EXPECT_EQ(v.engine.V.n, 102);
  int ticks = 0;
  while (!v.Tick()) {
    ++ticks;
    for (int x = 1020; x < 1024; ++x) ASSERT_TRUE(v.IsOld(x, 5)) << "columns 1020-1023 wait for the full draw";
  }
  EXPECT_TRUE(v.IsNew(1023, 5));
  EXPECT_EQ(ticks, 2);  // pos 0 and 25 copy; pos 50 > H draws all

  Transition h(Index("Shutter(Horizontal)"), 80, 100, 30);
  h.Tick();
  // The first tick's odd slats start at x = W and copy nothing: only the even slats, the
  // last of them rows 80-89, at 0-29.
  EXPECT_EQ(h.dirty[0], ltrb(0, 0, 30, 90));
  EXPECT_EQ(h.RunToEnd() + 1, 5);  // pos = 0, 30, 60, 90, 120 > W + S ends on the fifth tick

  Transition narrow(Index("Shutter(Vertical)"), 7, 20, 5);  // fewer than 10 columns: one slat
  narrow.RunToEnd();
  EXPECT_EQ(narrow.target, narrow.newPic);
}

TEST(ScanFamily, RainLargerThanThePicture) {
  Transition r(Index("Rain down"), 30, 20, 50);
  EXPECT_FALSE(r.Tick());  // the short strip smeared over everything
  EXPECT_EQ(r.dirty[0], ltrb(0, 0, 30, 20));
  EXPECT_TRUE(r.Tick());
  EXPECT_EQ(r.target, r.newPic);
  Transition u(Index("Rain up"), 30, 20, 5);
  u.Tick();  // nothing revealed and nothing to smear yet
  EXPECT_TRUE(u.dirty[0].isEmpty());
  u.Tick();
  EXPECT_EQ(u.dirty[1], ltrb(0, 0, 30, 20));
}

TEST(GrowFamily, CentreAndCorners) {
  Transition d(Index("Center(Diffuse)"), 800, 600, 10);
  d.Tick();
  EXPECT_TRUE(d.dirty[0].isEmpty());
  d.Tick();
  EXPECT_EQ(d.dirty[1], ltrb(387, 290, 413, 310));
  EXPECT_EQ(d.RunToEnd() + 2, 31);  // pos = 300 on the 31st tick draws the whole picture
  EXPECT_EQ(d.target, d.newPic);

  Transition s(Index("Show from top-left"), 800, 600, 7);
  EXPECT_EQ(s.RunToEnd(), 87);  // ch = 0, 7, ..., 602: the tick at 602 draws the whole picture
  EXPECT_EQ(s.dirty[1], ltrb(0, 0, 9, 7));  // cw = 7 * 800 div 600
  EXPECT_EQ(s.dirty[85], ltrb(0, 0, 793, 595));

  Transition sq(Index("Center(Diffuse)"), 50, 50, 5);
  sq.Tick();
  sq.Tick();
  EXPECT_EQ(sq.dirty[1], ltrb(20, 20, 30, 30));  // square: limit = cy, the rectangle square

  Transition b(Index("Stretch from bottom"), 40, 30, 10);
  b.Tick();
  EXPECT_TRUE(b.dirty[0].isEmpty());
  Transition small(Index("Stretch from center"), 40, 8, 20);
  EXPECT_EQ(small.RunToEnd(), 2);  // the smaller side below S: done on the second tick
}

TEST(SlideFamily, MovesAndBars) {
  Transition m(Index("Move left"), 100, 20, 50);
  EXPECT_EQ(m.RunToEnd(), 5);
  EXPECT_TRUE(m.dirty[0].isEmpty());
  EXPECT_EQ(m.dirty[1], ltrb(50, 0, 100, 20));
  EXPECT_EQ(m.dirty[3], ltrb(0, 0, 100, 20));
  EXPECT_TRUE(m.dirty[4].isEmpty());

  Transition t(Index("Two bar move right"), 100, 20, 30);
  EXPECT_EQ(t.RunToEnd(), 6);  // pos 0, 30, 60, 90, 120 -> 100 draw; 130 ends
  EXPECT_EQ(t.dirty[4], ltrb(0, 0, 100, 20));
  EXPECT_EQ(t.target, t.newPic);

  Transition ud(Index("Move up down"), 10, 1, 1);
  ud.Tick();
  EXPECT_TRUE(ud.dirty[0].isEmpty());
  ud.Tick();
  EXPECT_EQ(ud.dirty[1], ltrb(0, 0, 10, 1));
  EXPECT_TRUE(ud.Tick());
  EXPECT_EQ(ud.target, ud.newPic);
}

TEST(BandFamily, FrontsEndFiftyPixelsPastTheFarSide) {
  Transition r(Index("Band right small"), 100, 10, 50);
  EXPECT_EQ(r.RunToEnd(), 4);  // pos 0, 50, 100 draw; 150 = W + 50 ends without drawing
  EXPECT_TRUE(r.dirty[3].isEmpty());
  Transition c(Index("Band to center large"), 60, 40, 50);
  c.RunToEnd();
  EXPECT_EQ(c.target, c.newPic);
}

TEST(AllEffects, EndOnTheNewPictureAndRevealInPlace) {
  // The effects that reveal in place: scans and shutters, "Center(Diffuse)" and "Show from",
  // every band, the two-bar wipes, the clip-region, region, dither, grid-cell and fixed-pace
  // families, and "Center(Envelop)".
  auto inPlace = [](int i) {
    const std::string n = EffectInfo(i)->name, family = EffectInfo(i)->family;
    return (n.rfind("Scan", 0) == 0 || n.rfind("Shutter", 0) == 0 || n == "Center(Diffuse)" ||
            n.rfind("Show from", 0) == 0 || n.rfind("Band", 0) == 0 || n.find("bar wipe") != std::string::npos ||
            family == "clip" || family == "region" || family == "dither" || family == "grid" ||
            family == "fixed-pace" || n == "Center(Envelop)");
  };
  int checked = 0;
  for (int i = 0; i < kEffectCount; ++i) {
    if (!EffectInfo(i)->Built()) continue;
    for (auto [w, h] : {std::pair{37, 23}, {64, 64}, {1, 1}, {3, 90}, {120, 7}})
      for (int speed : {1, 7, 50}) {
        Transition t(i, w, h, speed);
        std::vector<bool> revealed(size_t(w * h), false);
        int ticks = 0;
        bool done = false;
        while (!done && ticks < 5000) {
          done = t.Tick();
          ++ticks;
          if (!inPlace(i)) continue;
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
              const bool isNew = t.IsNew(x, y);
              ASSERT_TRUE(isNew || t.IsOld(x, y)) << EffectInfo(i)->name << " " << w << "x" << h << " S=" << speed
                                                   << " tick " << ticks << " at " << x << "," << y;
              ASSERT_FALSE(revealed[size_t(y * w + x)] && !isNew)
                  << EffectInfo(i)->name << " took a pixel back at tick " << ticks;
              revealed[size_t(y * w + x)] = isNew;
            }
        }
        ASSERT_TRUE(done) << EffectInfo(i)->name << " did not end";
        ASSERT_EQ(t.target, t.newPic) << EffectInfo(i)->name << " " << w << "x" << h << " S=" << speed;
        ++checked;
      }
  }
  EXPECT_EQ(checked, 161 * 5 * 3);
}

TEST(AllEffects, TheSameSeedGivesTheSameFrames) {
  auto frames = [](int index, uint32_t seed) {
    Transition t(index, 90, 60, 9, seed);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    bool done = false;
    while (!done) {
      done = t.Tick();
      hash.addData(QByteArrayView(reinterpret_cast<const char*>(t.target.constBits()), t.target.sizeInBytes()));
    }
    return hash.result();
  };
  for (int i = 0; i < kEffectCount; ++i) {
    if (!EffectInfo(i)->Built()) continue;
    EXPECT_EQ(frames(i, 5), frames(i, 5)) << EffectInfo(i)->name;
  }
  // The ragged bands do depend on the seed.
  EXPECT_NE(frames(Index("Band right large"), 5), frames(Index("Band right large"), 6));
}

TEST(AllEffects, EnginesSideBySideDrawOnlyFromTheirOwnGenerators) {
  // Screens run their transitions side by side, a tick of one between two of the other: two
  // engines whose generators start alike, stepped in turn, draw tick for tick what one engine
  // draws alone.
  for (int i = 0; i < kEffectCount; ++i) {
    if (!EffectInfo(i)->Built()) continue;
    std::vector<QImage> alone;
    Transition one(i, 37, 23, 9, 5);
    for (bool done = false; !done;) {
      done = one.Tick();
      alone.push_back(one.target.copy());
    }
    Transition a(i, 37, 23, 9, 5), b(i, 37, 23, 9, 5);
    for (size_t tick = 0; tick < alone.size(); ++tick) {
      const bool doneA = a.Tick(), doneB = b.Tick();
      ASSERT_EQ(a.target, alone[tick]) << EffectInfo(i)->name << " tick " << tick;
      ASSERT_EQ(b.target, alone[tick]) << EffectInfo(i)->name << " tick " << tick;
      ASSERT_EQ(doneA, tick + 1 == alone.size()) << EffectInfo(i)->name;
      ASSERT_EQ(doneB, doneA) << EffectInfo(i)->name;
    }
  }
}

TEST(AllEffects, APictureAwayFromTheOriginLeavesTheRestOfTheTarget) {
  for (int i = 0; i < kEffectCount; ++i) {
    if (!EffectInfo(i)->Built()) continue;
    QImage newPic = Picture(30, 20, true), old = Picture(80, 60, false), target = old.copy();
    TCanvas canvas(target);
    TRandom random(1);
    TTransitionEngine engine(random);
    engine.Start(i, canvas, newPic, old, 25, 17, 9);
    for (int n = 0; n < 5000 && !engine.Step(); ++n) {
    }
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 80; ++x) {
        const bool inside = x >= 25 && x < 55 && y >= 17 && y < 37;
        const QRgb want = inside ? newPic.pixel(x - 25, y - 17) : old.pixel(x, y);
        ASSERT_EQ(target.pixel(x, y), want) << EffectInfo(i)->name << " at " << x << "," << y;
      }
  }
}
