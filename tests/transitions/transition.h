// Runs one transition by hand over two pictures that differ in every pixel, for the effect
// tests.
#pragma once

#include <QImage>
#include <gtest/gtest.h>

#include <vector>

#include "platform/random.h"
#include "transitions/engine.h"

namespace sftest {

// Old and new pictures that differ in every pixel: old has no blue, new is all blue.
inline QImage Picture(int w, int h, bool isNew) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.setPixel(x, y, isNew ? qRgb((x * 7) % 256, (y * 5) % 256, 255) : qRgb((x * 3) % 256, (y * 11) % 256, 0));
  return img;
}

struct Transition {
  QImage newPic, old, target;
  sf::TCanvas canvas{target};
  sf::TRandom random;  // the engine's generator
  sf::TTransitionEngine engine{random};
  std::vector<QRect> dirty;  // what each tick drew
  Transition(int32_t index, int w, int h, int speed, uint32_t seed = 1)
      : newPic(Picture(w, h, true)), old(Picture(w, h, false)), target(old.copy()), random(seed) {
    engine.Start(index, canvas, newPic, old, 0, 0, speed);
  }
  bool Tick() {
    const bool done = engine.Step();
    dirty.push_back(canvas.TakeDirty());
    return done;
  }
  int RunToEnd(int limit = 100000) {
    int ticks = 0;
    while (ticks < limit && !Tick()) ++ticks;
    return ticks + 1;
  }
  bool IsNew(int x, int y) const { return target.pixel(x, y) == newPic.pixel(x, y); }
  bool IsOld(int x, int y) const { return target.pixel(x, y) == old.pixel(x, y); }
};

inline int Index(const char* name) {
  const int i = sf::EffectIndex(name);
  EXPECT_GE(i, 0) << name;
  return i;
}

}  // namespace sftest
