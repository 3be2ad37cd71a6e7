#include "transitions/engine.h"

#include <algorithm>

namespace sf {

int32_t TTransitionEngine::ChooseIndex(TQrxArray& list, bool random, TRandom& generator) {
  if (list.Count() == 0) return kNoEffect;
  return random ? list.PickAt(generator.Random(list.Count())) : list.Pick();
}

int32_t TTransitionEngine::WholeScreenIndex(int32_t index, bool wholeScreen) {
  return wholeScreen && index >= 120 && index <= 128 ? index + 10 : index;
}

int32_t TTransitionEngine::Interval(int32_t index) {
  const TEffectInfo* info = EffectInfo(index);
  return info ? info->interval : 10;
}

int32_t TTransitionEngine::Start(int32_t index, TCanvas& target, const QImage& newPicture, const QImage& old,
                                 int32_t x, int32_t y, int32_t speed, bool wholeScreen) {
  Abandon();  // a transition under way gives way to this one
  V.X = x;
  V.Y = y;
  V.target = &target;
  V.New = &newPicture;
  V.Old = &old;
  V.S = std::clamp(speed, 1, 50);
  V.revealed = QRegion();
  V.W = newPicture.width();
  V.H = newPicture.height();
  index = WholeScreenIndex(index, wholeScreen);
  FEffect = EffectInfo(index) ? index : kNoEffect;
  info_ = EffectInfo(FEffect);
  // Effects divide by the picture's sides: an empty picture is drawn at once (as nothing).
  if (info_ && (!info_->Built() || V.W <= 0 || V.H <= 0)) info_ = nullptr;
  running_ = true;
  stepParam_ = 0;
  if (!info_) return Interval(FEffect);

  int32_t initParam = 0;
  switch (info_->param) {
    case pBand15: initParam = stepParam_ = 15; break;
    case pBand5: initParam = stepParam_ = 5; break;
    case pSlatsH: initParam = V.H / 10; break;
    case pSlatsW: initParam = V.W / 10; break;
    case pCentreLeftBottom: V.cx = 0, V.cy = V.H; break;
    case pCentreLeftTop: V.cx = 0, V.cy = 0; break;
    case pCentreRightBottom: V.cx = V.W, V.cy = V.H; break;
    case pCentreRightTop: V.cx = V.W, V.cy = 0; break;
    case pCentreMiddle: V.cx = V.W / 2, V.cy = V.H / 2; break;
    case pCentreRandom:
      V.cy = V.Random(V.H);
      V.cx = V.Random(V.W);
      break;
    case pNone: break;
  }
  info_->init(V, initParam);
  return info_->interval;
}

void TTransitionEngine::Abandon() {
  V.sprinkle.reset();
  running_ = false;
}

bool TTransitionEngine::Step() {
  if (!running_) return true;
  bool done = true;
  if (info_) {
    done = info_->step(V, stepParam_);
  } else if (V.New && V.W > 0 && V.H > 0) {
    V.Copy(V.Picture());  // no effect: the whole picture at once
  }
  if (done) running_ = false;
  return done;
}

}  // namespace sf
