// Slide-in and two-bar effects: parts of the picture slide in from the edges, or open in place,
// pos growing by S per tick.
#include <algorithm>

#include "platform/convert.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

void Start(TShowPictureVar& v) {
  v.TakePicture();
  v.TakeRatio();
}

int32_t E(const TShowPictureVar& v) { return v.Nearest(v.pos); }

// Runs one tick while pos < end: the copies, then pos + S.
template <typename Copies>
bool Tick(TShowPictureVar& v, int32_t end, Copies&& copies) {
  if (v.pos >= end) return true;
  copies();
  v.pos += v.S;
  return false;
}

}  // namespace

void InitMoveLeft(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveLeft(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    v.CopyTo(ltrb(0, 0, std::min(v.W, v.pos), v.H), ltrb(std::max(v.W - v.pos, 0), 0, v.W, v.H));
  });
}

void InitMoveRight(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    v.CopyTo(ltrb(std::max(v.W - v.pos, 0), 0, v.W, v.H), ltrb(0, 0, std::min(v.W, v.pos), v.H));
  });
}

void InitMoveUp(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveUp(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S + 1, [&] {
    v.CopyTo(ltrb(0, 0, v.W, std::min(v.H, v.pos)), ltrb(0, std::max(v.H - v.pos, 0), v.W, v.H));
  });
}

void InitMoveDown(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveDown(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S + 1, [&] {
    v.CopyTo(ltrb(0, std::max(v.H - v.pos, 0), v.W, v.H), ltrb(0, 0, v.W, std::min(v.H, v.pos)));
  });
}

void InitMoveFromTopLeft(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveFromTopLeft(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    const int32_t e = E(v);
    v.CopyTo(ltrb(std::max(v.W - v.pos, 0), std::max(v.H - e, 0), v.W, v.H),
             ltrb(0, 0, std::min(v.W, v.pos), std::min(e, v.H)));
  });
}

void InitMoveFromTopRight(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveFromTopRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    const int32_t e = E(v);
    v.CopyTo(ltrb(0, std::max(v.H - e, 0), std::min(v.W, v.pos), v.H),
             ltrb(std::max(v.W - v.pos, 0), 0, v.W, std::min(e, v.H)));
  });
}

void InitMoveFromBottomLeft(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveFromBottomLeft(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    const int32_t e = E(v);
    v.CopyTo(ltrb(std::max(v.W - v.pos, 0), 0, v.W, std::min(v.H, e)),
             ltrb(0, std::max(v.H - e, 0), std::min(v.W, v.pos), v.H));
  });
}

void InitMoveFromBottomRight(TShowPictureVar& v, int32_t) { Start(v); }
bool StepMoveFromBottomRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S + 1, [&] {
    const int32_t e = E(v);
    v.CopyTo(ltrb(0, 0, std::min(v.W, v.pos), std::min(v.H, e)),
             ltrb(std::max(v.W - v.pos, 0), std::max(v.H - e, 0), v.W, v.H));
  });
}

void InitMoveUpDown(TShowPictureVar& v, int32_t) {
  Start(v);
  v.cy = v.H / 2;
}
bool StepMoveUpDown(TShowPictureVar& v, int32_t) {
  return Tick(v, v.cy + v.S + 1, [&] {
    v.CopyTo(ltrb(0, std::max(v.cy - v.pos, 0), v.W, v.cy), ltrb(0, 0, v.W, std::min(v.cy, v.pos)));
    v.CopyTo(ltrb(0, v.cy, v.W, std::min(v.cy + v.pos, v.H)), ltrb(0, std::max(v.H - v.pos, v.cy), v.W, v.H));
  });
}

void InitMoveLeftRight(TShowPictureVar& v, int32_t) {
  Start(v);
  v.cx = v.W / 2;
}
bool StepMoveLeftRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.cx + v.S + 1, [&] {
    v.CopyTo(ltrb(std::max(v.cx - v.pos, 0), 0, v.cx, v.H), ltrb(0, 0, std::min(v.cx, v.pos), v.H));
    v.CopyTo(ltrb(v.cx, 0, std::min(v.cx + v.pos, v.W), v.H), ltrb(std::max(v.W - v.pos, v.cx), 0, v.W, v.H));
  });
}

// Two bars: "Two bar" splits at row H div 2 + 1 and moves sideways, "Tow bar" splits at
// column W div 2 + 1 and moves up and down.

namespace {
void InitRows(TShowPictureVar& v) {
  Start(v);
  v.cy = v.H / 2 + 1;
}
void InitColumns(TShowPictureVar& v) {
  Start(v);
  v.cx = v.W / 2 + 1;
}
}  // namespace

void InitTwoBarWipeRight(TShowPictureVar& v, int32_t) { InitRows(v); }
bool StepTwoBarWipeRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S, [&] {
    v.Copy(ltrb(0, 0, v.pos, v.cy));
    v.Copy(ltrb(v.W - v.pos, v.cy, v.W, v.H));
  });
}

void InitTwoBarWipeLeft(TShowPictureVar& v, int32_t) { InitRows(v); }
bool StepTwoBarWipeLeft(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S, [&] {
    v.Copy(ltrb(v.W - v.pos, 0, v.W, v.cy));
    v.Copy(ltrb(0, v.cy, v.pos, v.H));
  });
}

void InitTowBarWipeDown(TShowPictureVar& v, int32_t) { InitColumns(v); }
bool StepTowBarWipeDown(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S, [&] {
    v.Copy(ltrb(0, 0, v.cx, v.pos));
    v.Copy(ltrb(v.cx, v.H - v.pos, v.W, v.H));
  });
}

void InitTowBarWipeUp(TShowPictureVar& v, int32_t) { InitColumns(v); }
bool StepTowBarWipeUp(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S, [&] {
    v.Copy(ltrb(0, v.H - v.pos, v.cx, v.H));
    v.Copy(ltrb(v.cx, 0, v.W, v.pos));
  });
}

void InitTwoBarMoveRight(TShowPictureVar& v, int32_t) { InitRows(v); }
bool StepTwoBarMoveRight(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S, [&] {
    v.pos = std::min(v.pos, v.W);
    v.CopyTo(ltrb(v.W - v.pos, 0, v.W, v.cy), ltrb(0, 0, v.pos, v.cy));
    v.CopyTo(ltrb(0, v.cy, v.pos, v.H), ltrb(v.W - v.pos, v.cy, v.W, v.H));
  });
}

void InitTwoBarMoveLeft(TShowPictureVar& v, int32_t) { InitRows(v); }
bool StepTwoBarMoveLeft(TShowPictureVar& v, int32_t) {
  return Tick(v, v.W + v.S, [&] {
    v.pos = std::min(v.pos, v.W);
    v.CopyTo(ltrb(0, 0, v.pos, v.cy), ltrb(v.W - v.pos, 0, v.W, v.cy));
    v.CopyTo(ltrb(v.W - v.pos, v.cy, v.W, v.H), ltrb(0, v.cy, v.pos, v.H));
  });
}

void InitTowBarMoveDown(TShowPictureVar& v, int32_t) { InitColumns(v); }
bool StepTowBarMoveDown(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S, [&] {
    v.pos = std::min(v.pos, v.H);
    v.CopyTo(ltrb(0, v.H - v.pos, v.cx, v.H), ltrb(0, 0, v.cx, v.pos));
    v.CopyTo(ltrb(v.cx, 0, v.W, v.pos), ltrb(v.cx, v.H - v.pos, v.W, v.H));
  });
}

void InitTowBarMoveUp(TShowPictureVar& v, int32_t) { InitColumns(v); }
bool StepTowBarMoveUp(TShowPictureVar& v, int32_t) {
  return Tick(v, v.H + v.S, [&] {
    v.pos = std::min(v.pos, v.H);
    v.CopyTo(ltrb(0, 0, v.cx, v.pos), ltrb(0, v.H - v.pos, v.cx, v.H));
    v.CopyTo(ltrb(v.cx, v.H - v.pos, v.W, v.H), ltrb(v.cx, 0, v.W, v.pos));
  });
}

}  // namespace sf::effects
