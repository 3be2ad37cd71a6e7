// Growing rectangle and stretch reveals: one rectangle grows by S per tick from the centre, a
// corner or an edge; "Show" and "Center(Diffuse)" copy the picture through it, "Stretch" draws
// the whole picture scaled into it.
#include <algorithm>

#include "transitions/effects.h"

namespace sf::effects {
namespace {

// The centre rectangle, growing with the picture's aspect ratio.
void InitCentre(TShowPictureVar& v) {
  v.TakePicture();
  v.cx = v.W / 2;
  v.cy = v.H / 2;
  v.limit = v.W < v.H ? v.cx : v.cy;
}

bool StepCentre(TShowPictureVar& v, bool stretch) {
  if (v.pos >= v.limit) {
    v.FullDraw();
    return true;
  }
  QRect r;
  if (v.W < v.H) {
    const int32_t d = int32_t(int64_t(v.pos) * v.H / v.W);
    r = ltrb(v.cx - v.pos, v.cy - d, v.cx + v.pos, v.cy + d);
  } else {
    const int32_t d = int32_t(int64_t(v.pos) * v.W / v.H);
    r = ltrb(v.cx - d, v.cy - v.pos, v.cx + d, v.cy + v.pos);
  }
  if (stretch) v.StretchInto(r);
  else v.Copy(r);
  v.pos += v.S;
  return false;
}

enum TCorner { TopLeft, TopRight, BottomLeft, BottomRight };

void InitCorner(TShowPictureVar& v) {
  v.TakePicture();
  v.cw = 0;
  v.ch = 0;
}

bool StepCorner(TShowPictureVar& v, TCorner corner, bool stretch) {
  // The smaller side drives, the other follows in proportion.
  const bool heightDrives = v.W > v.H;
  int32_t& drive = heightDrives ? v.ch : v.cw;
  if (drive >= (heightDrives ? v.H : v.W)) {
    v.FullDraw();
    return true;
  }
  if (heightDrives) v.cw = int32_t(int64_t(v.ch) * v.W / v.H);
  else v.ch = int32_t(int64_t(v.cw) * v.H / v.W);
  const int32_t l = corner == TopLeft || corner == BottomLeft ? 0 : v.W - v.cw;
  const int32_t t = corner == TopLeft || corner == TopRight ? 0 : v.H - v.ch;
  const QRect r = ltrb(l, t, l + v.cw, t + v.ch);
  if (stretch) v.StretchInto(r);
  else v.Copy(r);
  drive += v.S;
  return false;
}

}  // namespace

void InitCenterDiffuse(TShowPictureVar& v, int32_t) { InitCentre(v); }
bool StepCenterDiffuse(TShowPictureVar& v, int32_t) { return StepCentre(v, false); }
void InitStretchCenter(TShowPictureVar& v, int32_t) { InitCentre(v); }
bool StepStretchCenter(TShowPictureVar& v, int32_t) { return StepCentre(v, true); }

void InitShowTopLeft(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepShowTopLeft(TShowPictureVar& v, int32_t) { return StepCorner(v, TopLeft, false); }
void InitShowTopRight(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepShowTopRight(TShowPictureVar& v, int32_t) { return StepCorner(v, TopRight, false); }
void InitShowBottomLeft(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepShowBottomLeft(TShowPictureVar& v, int32_t) { return StepCorner(v, BottomLeft, false); }
void InitShowBottomRight(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepShowBottomRight(TShowPictureVar& v, int32_t) { return StepCorner(v, BottomRight, false); }
void InitStretchTopLeft(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepStretchTopLeft(TShowPictureVar& v, int32_t) { return StepCorner(v, TopLeft, true); }
void InitStretchTopRight(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepStretchTopRight(TShowPictureVar& v, int32_t) { return StepCorner(v, TopRight, true); }
void InitStretchBottomLeft(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepStretchBottomLeft(TShowPictureVar& v, int32_t) { return StepCorner(v, BottomLeft, true); }
void InitStretchBottomRight(TShowPictureVar& v, int32_t) { InitCorner(v); }
bool StepStretchBottomRight(TShowPictureVar& v, int32_t) { return StepCorner(v, BottomRight, true); }

// Edge stretches.

void InitStretchTop(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepStretchTop(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.H) {
    v.FullDraw();
    return true;
  }
  v.StretchInto(ltrb(0, 0, v.W, v.pos));
  v.pos += v.S;
  return false;
}

void InitStretchBottom(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.H;
}
bool StepStretchBottom(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) {
    v.FullDraw();
    return true;
  }
  v.StretchInto(ltrb(0, v.pos, v.W, v.H));
  v.pos -= v.S;
  return false;
}

void InitStretchLeft(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepStretchLeft(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.W) {
    v.FullDraw();
    return true;
  }
  v.StretchInto(ltrb(0, 0, v.pos, v.H));
  v.pos += v.S;
  return false;
}

void InitStretchRight(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.W;
}
bool StepStretchRight(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) {
    v.FullDraw();
    return true;
  }
  v.StretchInto(ltrb(v.pos, 0, v.W, v.H));
  v.pos -= v.S;
  return false;
}

}  // namespace sf::effects
