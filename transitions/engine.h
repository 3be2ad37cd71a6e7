// The transition engine: chooses an effect, initialises it over the shared state and steps
// it, one step per tick of the run window's ShowTimer.
#pragma once

#include <QImage>
#include <cstdint>

#include "platform/random.h"
#include "transitions/qrxarray.h"
#include "transitions/state.h"
#include "transitions/table.h"

namespace sf {

class TTransitionEngine {
 public:
  // The effects draw from `random`, which must outlive the engine.
  explicit TTransitionEngine(TRandom& random) { V.random = &random; }

  // The index for a slide: with the random flag the item at a random position of the list drawn
  // from `generator` (which moves the list's cursor there), else the list's next item in turn;
  // -1 when empty.
  static int32_t ChooseIndex(TQrxArray& list, bool random, TRandom& generator);
  // In whole-screen mode the nine "Stretch" effects (120 to 128) are replaced by the index + 10.
  static int32_t WholeScreenIndex(int32_t index, bool wholeScreen);
  // The tick interval of an index in milliseconds (10 for no effect).
  static int32_t Interval(int32_t index);

  // Starts a transition of new over old on target, new's top-left corner at (x, y); gives the
  // tick interval. An index outside -1 to 160 and a picture of no width or height run as no
  // effect; the speed is kept within 1 to 50.
  int32_t Start(int32_t index, TCanvas& target, const QImage& newPicture, const QImage& old, int32_t x,
                int32_t y, int32_t speed, bool wholeScreen = false);
  // One step; true when the new picture stands whole. Once done it draws nothing more.
  bool Step();
  // Leaves the running transition where it stands and lets go of what its effect holds (Increase
  // show's helper thread and planes): the show ended, or another transition takes its place.
  void Abandon();

  int32_t FEffect = kNoEffect;  // the index that was started
  bool Running() const { return running_; }
  // The effect that actually runs: FEffect, or -1 where it runs as no effect.
  int32_t RunningEffect() const { return info_ ? FEffect : kNoEffect; }

  TShowPictureVar V;

 private:
  const TEffectInfo* info_ = nullptr;
  int32_t stepParam_ = 0;
  bool running_ = false;
};

}  // namespace sf
