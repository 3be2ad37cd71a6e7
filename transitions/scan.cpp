// Scan, shutter and rain wipes: straight bands that advance S pixels per tick.
#include <algorithm>

#include "transitions/effects.h"

namespace sf::effects {
// Scan, one front.

void InitScanDown(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepScanDown(TShowPictureVar& v, int32_t) {
  v.Copy(ltrb(0, v.pos, v.W, std::min(v.pos + v.S, v.H)));
  const bool done = v.pos + v.S > v.H;
  v.pos += v.S;
  return done;
}

void InitScanUp(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepScanUp(TShowPictureVar& v, int32_t) {
  const int32_t a = v.H - v.pos;
  v.Copy(ltrb(0, std::max(0, a - v.S), v.W, a));
  v.pos += v.S;
  return a - v.S < 0;
}

void InitScanRight(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepScanRight(TShowPictureVar& v, int32_t) {
  v.Copy(ltrb(v.pos, 0, std::min(v.pos + v.S, v.W), v.H));
  const bool done = v.pos + v.S > v.W;
  v.pos += v.S;
  return done;
}

void InitScanLeft(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepScanLeft(TShowPictureVar& v, int32_t) {
  const int32_t a = v.W - v.pos;
  v.Copy(ltrb(std::max(0, a - v.S), 0, a, v.H));
  v.pos += v.S;
  return a - v.S < 0;
}

// Scan, two fronts: "to center" from the two edges to the middle, "to edge" the other way.

void InitScanToCenterV(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.W / 2 + 1;
}
bool StepScanToCenterV(TShowPictureVar& v, int32_t) {
  if (v.limit < v.pos) {
    v.Copy(v.Picture());
    return true;
  }
  v.Copy(ltrb(v.pos, 0, v.pos + v.S, v.H));
  v.Copy(ltrb(v.W - v.pos - v.S, 0, v.W - v.pos, v.H));
  v.pos += v.S;
  return false;
}

void InitScanToCenterH(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.H / 2 + 1;
}
bool StepScanToCenterH(TShowPictureVar& v, int32_t) {
  if (v.limit < v.pos) {
    v.Copy(v.Picture());
    return true;
  }
  v.Copy(ltrb(0, v.pos, v.W, v.pos + v.S));
  v.Copy(ltrb(0, v.H - v.pos - v.S, v.W, v.H - v.pos));
  v.pos += v.S;
  return false;
}

void InitScanToEdgeV(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.W / 2 + 1;
}
bool StepScanToEdgeV(TShowPictureVar& v, int32_t) {
  const int32_t a = v.limit - v.pos, b = v.limit + v.pos;
  v.Copy(ltrb(std::max(0, a - v.S), 0, a, v.H));
  v.Copy(ltrb(std::min(v.W, b), 0, std::min(v.W, b + v.S), v.H));
  v.pos += v.S;
  return a - v.S < 0;
}

void InitScanToEdgeH(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.H / 2 + 1;
}
bool StepScanToEdgeH(TShowPictureVar& v, int32_t) {
  const int32_t a = v.limit - v.pos, b = v.limit + v.pos;
  v.Copy(ltrb(0, std::max(0, a - v.S), v.W, a));
  v.Copy(ltrb(0, std::min(v.H, b), v.W, std::min(v.H, b + v.S)));
  v.pos += v.S;
  return a - v.S < 0;
}

// Shutters: the engine passes the slat count. A picture too small for one slat of 10 pixels
// has a count of 0; it then gets one slat of its whole size.

void InitShutterV(TShowPictureVar& v, int32_t slats) {
  v.TakePicture();
  v.n = std::max(slats, 1);
  v.z = v.W / v.n;
}
bool StepShutterV(TShowPictureVar& v, int32_t) {
  if (v.H < v.pos) {
    v.FullDraw();
    return true;
  }
  for (int32_t k = 0; k < v.n; k += 2) {
    v.Copy(ltrb(k * v.z, v.pos, (k + 1) * v.z, std::min(v.pos + v.S, v.H)));
    v.Copy(ltrb((k + 1) * v.z, std::max(0, v.H - v.pos - v.S), (k + 2) * v.z, v.H - v.pos));
  }
  v.pos += v.S;
  return false;
}

void InitShutterH(TShowPictureVar& v, int32_t slats) {
  v.TakePicture();
  v.n = std::max(slats, 1);
  v.z = v.H / v.n;
}
bool StepShutterH(TShowPictureVar& v, int32_t) {
  if (v.W + v.S < v.pos) {
    v.FullDraw();
    return true;
  }
  for (int32_t k = 0; k < v.n; k += 2) {
    v.Copy(ltrb(v.pos, k * v.z, v.pos + v.S, (k + 1) * v.z).intersected(v.Picture()));
    v.Copy(ltrb(v.W - v.pos, (k + 1) * v.z, v.W - v.pos + v.S, (k + 2) * v.z).intersected(v.Picture()));
  }
  v.pos += v.S;
  return false;
}

// Rain: the band at the front is smeared, stretched, over what is not revealed yet.

namespace {

// One rain tick: the strip from source band src (stretched to fill the strip when shorter),
// the revealed band copied, the strip stretched into the smear rectangle.
// On the first tick of "Rain up" and "Rain left" the source band is still empty: smearing an
// empty strip would paint the whole picture area black for a tick, so nothing is smeared then.
void RainTick(TShowPictureVar& v, QSize strip, const QRect& src, const QRect& revealed, const QRect& smear) {
  v.Copy(revealed);
  if (!src.isEmpty() && !smear.isEmpty()) {
    QImage scratch(strip, v.New->format());
    TCanvas canvas(scratch);
    canvas.CopyRect(QRect(QPoint(0, 0), strip), *v.New, src);
    v.target->StretchDraw(v.Place(smear), scratch);
  }
  v.pos += v.S;
}

}  // namespace

void InitRainDown(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRainDown(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.H) {
    v.Copy(v.Picture());
    return true;
  }
  RainTick(v, QSize(v.W, v.S), ltrb(0, v.pos, v.W, std::min(v.pos + v.S, v.H)),
           ltrb(0, std::max(0, v.pos - v.S), v.W, v.pos), ltrb(0, v.pos, v.W, v.H));
  return false;
}

void InitRainUp(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRainUp(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.H) {
    v.Copy(v.Picture());
    return true;
  }
  const QRect band = ltrb(0, v.H - v.pos, v.W, std::min(v.H - v.pos + v.S, v.H));
  RainTick(v, QSize(v.W, v.S), band, band, ltrb(0, 0, v.W, v.H - v.pos));
  return false;
}

void InitRainRight(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRainRight(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.W) {
    v.Copy(v.Picture());
    return true;
  }
  RainTick(v, QSize(v.S, v.H), ltrb(v.pos, 0, std::min(v.pos + v.S, v.W), v.H),
           ltrb(std::max(0, v.pos - v.S), 0, v.pos, v.H), ltrb(v.pos, 0, v.W, v.H));
  return false;
}

void InitRainLeft(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRainLeft(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.W) {
    v.Copy(v.Picture());
    return true;
  }
  const QRect band = ltrb(v.W - v.pos, 0, std::min(v.W - v.pos + v.S, v.W), v.H);
  RainTick(v, QSize(v.S, v.H), band, band, ltrb(0, 0, v.W - v.pos, v.H));
  return false;
}

}  // namespace sf::effects
