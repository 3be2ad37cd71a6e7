// Region wipes: a cross that opens from or closes to the centre, a wedge whose apex sits at the
// centre and whose base sweeps along the edges, and a four-bladed fan turning about the centre.
#include "platform/regions.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

using P = QPoint;

QRegion Polygon(std::initializer_list<QPoint> points) { return CreatePolygonRgn(std::vector<QPoint>(points)); }
QRegion PictureRgn(const TShowPictureVar& v) { return CreateRectRgn(0, 0, v.W, v.H); }

void InitCentre(TShowPictureVar& v) {
  v.TakePicture();
  v.TakeRatio();
  v.cx = (v.W + 2) / 2;
  v.cy = (v.H + 2) / 2;
}

QRegion Cross(const TShowPictureVar& v) {
  const int32_t e = v.Nearest(v.pos);
  return CombineRgn(CreateRectRgn(v.cx - v.pos, 0, v.cx + v.pos, v.H), CreateRectRgn(0, v.cy - e, v.W, v.cy + e),
                    TRegionMode::Or);
}

enum TWedge { Right, Left, Down, Up };

// The polygon of a wedge's phase for pos as it stands.
QRegion WedgePolygon(const TShowPictureVar& v, TWedge wedge) {
  const int32_t W = v.W, H = v.H, cx = v.cx, cy = v.cy, p = v.pos;
  const P c(cx, cy);
  switch (wedge) {
    case Right:
      if (v.pass == 0) return Polygon({P(0, cy - p), P(0, cy + p), c});
      if (v.pass == 1) return Polygon({P(p, 0), P(0, 0), P(0, H), P(p, H), c});
      return Polygon({P(W, cy - p), P(W, 0), P(0, 0), P(0, H), P(W, H), P(W, cy + p), c});
    case Left:
      if (v.pass == 0) return Polygon({P(W, cy + p), c, P(W, cy - p)});
      if (v.pass == 1) return Polygon({P(p, 0), c, P(p, H), P(W, H), P(W, 0)});
      return Polygon({P(0, cy - p), c, P(0, cy + p), P(0, H), P(W, H), P(W, 0), P(0, 0)});
    case Down:
      if (v.pass == 0) return Polygon({P(cx + p, 0), c, P(cx - p, 0)});
      if (v.pass == 1) return Polygon({P(0, p), c, P(W, p), P(W, 0), P(0, 0)});
      return Polygon({P(cx - p, H), c, P(cx + p, H), P(W, H), P(W, 0), P(0, 0), P(0, H)});
    default:
      if (v.pass == 0) return Polygon({P(cx - p, H), c, P(cx + p, H)});
      if (v.pass == 1) return Polygon({P(0, p), c, P(W, p), P(W, H), P(0, H)});
      return Polygon({P(cx - p, 0), c, P(cx + p, 0), P(W, 0), P(W, H), P(0, H), P(0, 0)});
  }
}

// Advances pos by the phase's rule; true when the effect has finished.
bool AdvanceWedge(TShowPictureVar& v, TWedge wedge) {
  const bool acrossWidth = wedge == Right || wedge == Left;  // phase 0 grows along a side edge
  const int32_t half = acrossWidth ? v.cy : v.cx, length = acrossWidth ? v.W : v.H;
  const bool backwards = wedge == Left || wedge == Up;      // phase 1 runs from the far edge
  switch (v.pass) {
    case 0:
      if ((v.pos += v.S) > half) v.pass = 1, v.pos = backwards ? length : 0;
      return false;
    case 1:
      if (backwards ? (v.pos -= v.S) < 0 : (v.pos += v.S) > length) v.pass = 2, v.pos = half;
      return false;
    default: return (v.pos -= v.S) < 0;
  }
}

bool StepWedge(TShowPictureVar& v, TWedge wedge) {
  const QRegion polygon = WedgePolygon(v, wedge);
  if (AdvanceWedge(v, wedge)) {
    v.FullDraw();
    return true;
  }
  v.RegionDraw(CombineRgn(polygon, PictureRgn(v), TRegionMode::And));
  return false;
}

// The fan's four blades for pos as it stands; e follows the aspect so that the blades along the
// side edges turn through the same angle as those along the top and bottom.
QRegion Fan(const TShowPictureVar& v, bool clockwise) {
  const int32_t W = v.W, H = v.H, cx = v.cx, cy = v.cy, p = v.pos, e = v.Nearest(v.pos) + 1;
  const P c(cx, cy);
  std::vector<QRegion> blades;
  if (v.pass == 0) {
    if (clockwise)
      blades = {Polygon({c, P(cx, 0), P(cx + p, 0)}), Polygon({c, P(0, cy), P(0, cy - e)}),
                Polygon({c, P(cx, H), P(cx - p, H)}), Polygon({c, P(W, cy), P(W, cy + e)})};
    else
      blades = {Polygon({c, P(W, cy), P(W, cy - e)}), Polygon({c, P(cx, 0), P(cx - p, 0)}),
                Polygon({c, P(0, cy), P(0, cy + e)}), Polygon({c, P(cx, H), P(cx + p, H)})};
  } else if (clockwise) {
    blades = {Polygon({c, P(cx, 0), P(W, 0), P(W, e)}), Polygon({c, P(0, cy), P(0, 0), P(p, 0)}),
              Polygon({c, P(cx, H), P(0, H), P(0, H - e)}), Polygon({c, P(W, cy), P(W, H), P(W - p, H)})};
  } else {
    blades = {Polygon({c, P(W, cy), P(W, 0), P(W - p, 0)}), Polygon({c, P(cx, 0), P(0, 0), P(0, e)}),
              Polygon({c, P(0, cy), P(0, H), P(p, H)}), Polygon({c, P(cx, H), P(W, H), P(W, H - e)})};
  }
  return CombineRgnAll(std::move(blades));
}

bool StepFan(TShowPictureVar& v, bool clockwise) {
  const QRegion fan = Fan(v, clockwise);
  v.pos += v.S;
  bool finished = false;
  if (v.pass == 0) {
    if (v.pos > v.cx) v.pos = 0, v.pass = 1;
  } else {
    finished = v.pos > v.cx + v.S;  // one step past the centre line
  }
  if (finished) {
    v.FullDraw();
    return true;
  }
  v.RegionDraw(CombineRgn(fan, PictureRgn(v), TRegionMode::And));
  return false;
}

}  // namespace

void InitCrossFromCenter(TShowPictureVar& v, int32_t) { InitCentre(v); }
bool StepCrossFromCenter(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.cx) {
    v.Copy(v.Picture());
    return true;
  }
  v.RegionDraw(CombineRgn(Cross(v), PictureRgn(v), TRegionMode::And));
  v.pos += v.S;
  return false;
}

void InitCrossToCenter(TShowPictureVar& v, int32_t) {
  InitCentre(v);
  v.pos = v.cx;
}
bool StepCrossToCenter(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) {
    v.Copy(v.Picture());
    return true;
  }
  v.RegionDraw(CombineRgn(PictureRgn(v), Cross(v), TRegionMode::Diff));
  v.pos -= v.S;
  return false;
}

// One init for the four wedges and one for the two fans.
void InitWedge(TShowPictureVar& v, int32_t) {
  InitCentre(v);
  v.pass = 0;
  v.pos = 1;
}
bool StepWedgeRight(TShowPictureVar& v, int32_t) { return StepWedge(v, Right); }
bool StepWedgeLeft(TShowPictureVar& v, int32_t) { return StepWedge(v, Left); }
bool StepWedgeDown(TShowPictureVar& v, int32_t) { return StepWedge(v, Down); }
bool StepWedgeUp(TShowPictureVar& v, int32_t) { return StepWedge(v, Up); }

void InitFan(TShowPictureVar& v, int32_t) {
  InitCentre(v);
  v.pass = 0;
  v.pos = 1;
}
bool StepFanClockwise(TShowPictureVar& v, int32_t) { return StepFan(v, true); }
bool StepFanAnticlockwise(TShowPictureVar& v, int32_t) { return StepFan(v, false); }

}  // namespace sf::effects
