// The transition list, the choice of effect and the engine's rules.
#include <gtest/gtest.h>
#include <set>

#include "platform/random.h"
#include "transitions/engine.h"

using namespace sf;

TEST(TransitionList, FillAndPick) {
  TRandom random;
  TQrxArray list;
  list.Fill("5;");
  for (int i = 0; i < 20; ++i) EXPECT_EQ(TTransitionEngine::ChooseIndex(list, true, random), 5);
  list.Fill("5;7");  // text after the last ";" is ignored
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(TTransitionEngine::ChooseIndex(list, true, random), 5);
  list.Fill("1;2;3;");
  std::vector<int> seq;
  for (int i = 0; i < 7; ++i) seq.push_back(TTransitionEngine::ChooseIndex(list, false, random));
  EXPECT_EQ(seq, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
  list.Fill(" 4 ; ;x;12a; -1;160;");  // blanks trimmed, empty and non-numbers skipped
  EXPECT_EQ(list.Count(), 3);
  list.Fill("3;\t5;\r\n7 ;\x01;");  // control characters are trimmed like blanks
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.PickAt(1), 5);
  EXPECT_EQ(list.PickAt(2), 7);
  list.Fill(" 4 ; ;x;12a; -1;160;");
  EXPECT_EQ(list.Items(), (std::vector<int32_t>{4, -1, 160}));
  list.Fill("");
  EXPECT_EQ(TTransitionEngine::ChooseIndex(list, true, random), -1);
  EXPECT_EQ(TTransitionEngine::ChooseIndex(list, false, random), -1);
}

TEST(TransitionList, RandomPickMovesTheCursor) {
  TQrxArray list;
  list.Fill("10;20;30;40;");
  EXPECT_EQ(list.PickAt(2), 30);
  EXPECT_EQ(list.Cursor(), 2);
  EXPECT_EQ(list.Pick(), 30);  // the sequential pick goes on from there
  EXPECT_EQ(list.Pick(), 40);
  EXPECT_EQ(list.Pick(), 10);
  EXPECT_EQ(list.PickAt(9), -1);
  std::set<int> seen;
  TRandom random(3);
  for (int i = 0; i < 200; ++i) seen.insert(TTransitionEngine::ChooseIndex(list, true, random));
  EXPECT_EQ(seen, (std::set<int>{10, 20, 30, 40}));
}

TEST(EffectTable, NamesIntervalsAndWholeScreenReplacement) {
  ASSERT_EQ(EffectTable().size(), 161u);
  EXPECT_STREQ(EffectInfo(0)->name, "Band down large");
  EXPECT_STREQ(EffectInfo(13)->name, "Band left samll");
  EXPECT_STREQ(EffectInfo(108)->name, "Scan to center(Vertical) ");
  EXPECT_STREQ(EffectInfo(117)->name, "Show up-dwon");
  EXPECT_STREQ(EffectInfo(133)->name, "Tow bar move down");
  EXPECT_STREQ(EffectInfo(160)->name, "Zig-zag up");
  EXPECT_EQ(EffectInfo(161), nullptr);
  EXPECT_EQ(EffectInfo(-1), nullptr);
  for (int i = 1; i < 161; ++i) EXPECT_LT(std::string(EffectInfo(i - 1)->name), EffectInfo(i)->name) << i;
  for (int i : {24, 31, 74, 81, 145, 148}) EXPECT_EQ(TTransitionEngine::Interval(i), 30) << i;
  for (int i : {129, 132}) EXPECT_EQ(TTransitionEngine::Interval(i), 50) << i;
  for (int i : {47, 116, 117, 157, 160}) EXPECT_EQ(TTransitionEngine::Interval(i), 1) << i;
  for (int i : {-1, 0, 23, 32, 75, 80, 128, 133, 144, 149}) EXPECT_EQ(TTransitionEngine::Interval(i), 10) << i;
  int built = 0;
  for (const TEffectInfo& e : EffectTable()) built += e.Built();
  EXPECT_EQ(built, 161);
  EXPECT_EQ(EffectIndex("Scan to center(Vertical) "), 108);
  EXPECT_EQ(EffectIndex("Scan to center(Vertical)"), -1);

  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(121, true), 131);
  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(120, true), 130);
  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(128, true), 138);
  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(119, true), 119);
  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(129, true), 129);
  EXPECT_EQ(TTransitionEngine::WholeScreenIndex(121, false), 121);
}

namespace {
struct Pictures {
  QImage newPic{40, 30, QImage::Format_RGB32}, old{40, 30, QImage::Format_RGB32}, target;
  TRandom random;
  TTransitionEngine engine{random};
  Pictures() {
    newPic.fill(Qt::red);
    old.fill(Qt::blue);
    target = old.copy();
  }
};
}  // namespace

TEST(Engine, WholeScreenModeRunsTheReplacementWithItsInterval) {
  Pictures r;
  TCanvas canvas(r.target);
  EXPECT_EQ(r.engine.Start(121, canvas, r.newPic, r.old, 0, 0, 25, true), 50);  // "Sweep right"
  EXPECT_EQ(r.engine.FEffect, 131);
  EXPECT_EQ(r.engine.Start(121, canvas, r.newPic, r.old, 0, 0, 25, false), 10);
  EXPECT_EQ(r.engine.FEffect, 121);
}

TEST(Engine, NoEffectDrawsTheWholePictureOnTheFirstTick) {
  for (int index : {-1, 161, -7, 1000}) {
    Pictures r;
    TCanvas canvas(r.target);
    r.engine.Start(index, canvas, r.newPic, r.old, 0, 0, 25);
    EXPECT_EQ(r.engine.RunningEffect(), -1) << index;
    EXPECT_TRUE(r.engine.Step()) << index;
    EXPECT_EQ(r.target, r.newPic) << index;
    EXPECT_TRUE(r.engine.Step());  // done: nothing more happens
  }
}

TEST(Engine, SpeedIsKeptWithinOneToFiftyAndEmptyPicturesRunAsNoEffect) {
  Pictures r;
  TCanvas canvas(r.target);
  r.engine.Start(104, canvas, r.newPic, r.old, 0, 0, 0);
  EXPECT_EQ(r.engine.V.S, 1);
  r.engine.Start(104, canvas, r.newPic, r.old, 0, 0, 999);
  EXPECT_EQ(r.engine.V.S, 50);
  r.engine.Start(104, canvas, r.newPic, r.old, 0, 0, -5);
  EXPECT_EQ(r.engine.V.S, 1);
  QImage empty(0, 30, QImage::Format_RGB32);
  for (int index = 0; index < 161; ++index) {
    r.engine.Start(index, canvas, empty, r.old, 0, 0, 25);
    EXPECT_EQ(r.engine.RunningEffect(), -1);
    EXPECT_TRUE(r.engine.Step());
  }
}

TEST(Engine, TheEnginePassesItsParameters) {
  Pictures r;
  TCanvas canvas(r.target);
  QImage big(1024, 300, QImage::Format_RGB32);
  big.fill(Qt::green);
  QImage bigOld(1024, 300, QImage::Format_RGB32);
  QImage bigTarget = bigOld.copy();
  TCanvas bc(bigTarget);
  r.engine.Start(119, bc, big, bigOld, 0, 0, 25);  // "Shutter(Vertical)": W div 10 slats
  EXPECT_EQ(r.engine.V.n, 102);
  EXPECT_EQ(r.engine.V.z, 10);
  r.engine.Start(118, bc, big, bigOld, 0, 0, 25);  // "Shutter(Horizontal)": H div 10
  EXPECT_EQ(r.engine.V.n, 30);
  EXPECT_EQ(r.engine.V.z, 10);
}
