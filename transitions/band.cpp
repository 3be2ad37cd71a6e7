// Ragged band wipes: the picture is cut into bands, and every tick each band is copied up to
// the front plus its own random lag of 0 to 49 pixels; the front moves S pixels per tick.
#include <algorithm>

#include "platform/convert.h"
#include "platform/random.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

constexpr int32_t kLag = 50;  // the random lag is Random(50): 0 to 49
int32_t Lag() { return Random(kLag); }

void Start(TShowPictureVar& v, int32_t pos) {
  v.W = v.New->width();
  v.H = v.New->height();
  v.pos = pos;
  v.ratio = float(double(v.H) / v.W);
}

int32_t Nearest(int32_t q, float ratio) { return RoundHalfEven(double(q) * double(ratio)); }

// Fronts towards larger coordinates run while pos < far + 50, towards smaller while pos >= -49.
bool Growing(TShowPictureVar& v, int32_t far) { return v.pos < far + kLag; }
bool Shrinking(TShowPictureVar& v) { return v.pos >= -(kLag - 1); }

}  // namespace

// Straight fronts: small members one line per band, large members 5-pixel strips.

void InitBandRightSmall(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandRightSmall(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.W)) return true;
  for (int32_t y = 0; y < v.H; ++y) v.Copy(ltrb(0, y, v.pos + Lag(), y + 1));
  v.pos += v.S;
  return false;
}

void InitBandLeftSmall(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandLeftSmall(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  for (int32_t y = 0; y < v.H; ++y) v.Copy(ltrb(v.pos - Lag(), y, v.W, y + 1));
  v.pos -= v.S;
  return false;
}

void InitBandDownSmall(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandDownSmall(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.H)) return true;
  for (int32_t x = 0; x < v.W; ++x) v.Copy(ltrb(x, 0, x + 1, std::min(v.pos + Lag(), v.H)));
  v.pos += v.S;
  return false;
}

void InitBandUpSmall(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.H; }
bool StepBandUpSmall(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  for (int32_t x = 0; x < v.W; ++x) v.Copy(ltrb(x, std::max(v.pos - Lag(), 0), x + 1, v.H));
  v.pos -= v.S;
  return false;
}

void InitBandRightLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.n = (v.H + 5) / 5;
}
bool StepBandRightLarge(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.W)) return true;
  for (int32_t k = 0; k < v.n; ++k) {
    const int32_t top = std::min(5 * k, v.H), bottom = std::min(top + 5, v.H);
    v.Copy(ltrb(0, top, v.pos + Lag(), bottom));
  }
  v.pos += v.S;
  return false;
}

void InitBandLeftLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.pos = v.W;
  v.n = (v.H + 5) / 5;
}
bool StepBandLeftLarge(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  for (int32_t k = 0; k < v.n; ++k) {
    const int32_t top = std::min(5 * k, v.H), bottom = std::min(top + 5, v.H);
    v.Copy(ltrb(v.pos - Lag(), top, v.W, bottom));
  }
  v.pos -= v.S;
  return false;
}

void InitBandDownLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.n = (v.W + 5) / 5;
}
bool StepBandDownLarge(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.H)) return true;
  for (int32_t k = 0; k < v.n; ++k) v.Copy(ltrb(5 * k, 0, 5 * k + 5, std::min(v.pos + Lag(), v.H)));
  v.pos += v.S;
  return false;
}

void InitBandUpLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.pos = v.H;
  v.n = (v.W + 5) / 5;
}
bool StepBandUpLarge(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  for (int32_t k = 0; k < v.n; ++k) v.Copy(ltrb(5 * k, std::max(v.pos - Lag(), 0), 5 * k + 5, v.H));
  v.pos -= v.S;
  return false;
}

// Corner rectangles of band size a, keeping the picture's aspect ratio: row bands carry the
// ragged vertical edge, then column bands the ragged horizontal one.

namespace {

void CornerTick(TShowPictureVar& v, int32_t a, bool left, bool top) {
  const int32_t q = left ? v.pos : v.W - v.pos;
  const int32_t e = Nearest(q, v.ratio);
  for (int32_t k = 0; k <= e / a; ++k) {
    const int32_t t = top ? std::min(a * k, v.H) : std::max(v.H - a * (k + 1), 0);
    const int32_t b = top ? std::min(a * (k + 1), v.H) : std::max(v.H - a * k, 0);
    const int32_t r = Lag();
    v.Copy(left ? ltrb(0, t, std::min(v.pos + r, v.W), b) : ltrb(std::max(v.pos - r, 0), t, v.W, b));
  }
  const int32_t j = (left ? v.pos : v.W - v.pos) / a;
  for (int32_t k = 0; k <= j; ++k) {
    const int32_t l = left ? a * k : v.pos + a * k, rr = left ? a * (k + 1) : v.pos + a * (k + 1);
    const int32_t r = Lag();
    v.Copy(top ? ltrb(l, 0, rr, std::min(e + r, v.H)) : ltrb(l, std::max(v.H - e - r, 0), rr, v.H));
  }
}

}  // namespace

void InitBandFromLeftTop(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandFromLeftTop(TShowPictureVar& v, int32_t a) {
  if (!Growing(v, v.W)) return true;
  CornerTick(v, a, true, true);
  v.pos += v.S;
  return false;
}

void InitBandFromRightTop(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandFromRightTop(TShowPictureVar& v, int32_t a) {
  if (!Shrinking(v)) return true;
  CornerTick(v, a, false, true);
  v.pos -= v.S;
  return false;
}

void InitBandFromLeftBottom(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandFromLeftBottom(TShowPictureVar& v, int32_t a) {
  if (!Growing(v, v.W)) return true;
  CornerTick(v, a, true, false);
  v.pos += v.S;
  return false;
}

void InitBandFromRightBottom(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandFromRightBottom(TShowPictureVar& v, int32_t a) {
  if (!Shrinking(v)) return true;
  CornerTick(v, a, false, false);
  v.pos -= v.S;
  return false;
}

// Centre rectangles: half-width pos and half-height e about (cx, cy), ragged outwards.

namespace {

template <typename Band>
void CentreBands(TShowPictureVar& v, int32_t a, Band&& band) {
  const int32_t e = Nearest(v.pos, v.ratio);
  for (int32_t y = std::max(v.cy - e, 0); y < std::min(v.cy + e, v.H); y += a) {
    const int32_t r1 = Lag(), r2 = Lag();
    const int32_t t = std::min(y, v.H);
    band(ltrb(std::max(v.cx - v.pos - r1, 0), t, std::min(v.cx + v.pos + r2, v.W), std::min(t + a, v.H)));
  }
  for (int32_t x = std::max(v.cx - v.pos, 0); x < std::min(v.cx + v.pos, v.W); x += a) {
    const int32_t r1 = Lag(), r2 = Lag();
    const int32_t l = std::min(x, v.W);
    band(ltrb(l, std::max(v.cy - e - r1, 0), std::min(l + a, v.W), std::min(v.cy + e + r2, v.H)));
  }
}

void InitCentre(TShowPictureVar& v, bool growing) {
  Start(v, 0);
  v.cx = v.W / 2 + 1;
  v.cy = v.H / 2 + 1;
  v.pos = growing ? 0 : v.cx;
}

}  // namespace

void InitBandFromCenter(TShowPictureVar& v, int32_t) { InitCentre(v, true); }
bool StepBandFromCenter(TShowPictureVar& v, int32_t a) {
  if (v.pos >= v.cx + kLag) return true;
  CentreBands(v, a, [&](const QRect& r) { v.Copy(r); });
  v.pos += v.S;
  return false;
}

void InitBandToCenter(TShowPictureVar& v, int32_t) { InitCentre(v, false); }
bool StepBandToCenter(TShowPictureVar& v, int32_t a) {
  if (v.pos < -(kLag - 1)) return true;
  QRegion hidden;
  CentreBands(v, a, [&](const QRect& r) { hidden += r; });
  v.RegionDraw(QRegion(v.Picture()).subtracted(hidden));
  v.pos -= v.S;
  return false;
}

}  // namespace sf::effects
