// One transition effect played off screen for the effect chooser: the engine of the show steps
// the effect tick by tick from one picture to the next on a screen of its own, which a widget
// shows after every tick at the effect's own tick interval.
#pragma once

#include <QImage>
#include <memory>

#include "platform/canvas.h"
#include "transitions/engine.h"

namespace sf {

class TEffectPreview {
 public:
  // The screen's size; the pictures are composed onto it centred on black.
  explicit TEffectPreview(QSize screen);

  // The pictures the effect goes from and to, each fitted into the screen.
  void SetPictures(const QImage& from, const QImage& to);
  // Starts an effect (0 to 160; -1 for none) at a speed (1 to 50), as the show runs a slide's
  // transition (in whole-screen mode the "Stretch" effects give way to others); gives the tick
  // interval in milliseconds.
  int32_t Start(int32_t effect, int32_t speed, bool wholeScreen);
  // One tick; true once the new picture stands whole.
  bool Step();
  bool Running() const { return engine_.Running(); }
  // What the screen shows now.
  const QImage& Screen() const { return screen_; }
  // The number of ticks the effect has taken.
  int Ticks() const { return ticks_; }

 private:
  QImage Composed(const QImage& picture) const;

  QSize size_;
  QImage from_, to_, screen_;
  std::unique_ptr<TCanvas> canvas_;
  TRandom random_;  // what the effects draw from
  TTransitionEngine engine_{random_};
  int ticks_ = 0;
};

}  // namespace sf
