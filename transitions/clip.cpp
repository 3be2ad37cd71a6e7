// Clip-region reveals: a radial sweep about a centre, ellipses and a circle that grow or shrink,
// diamonds, triangles that grow from corners and a grid of 100 small triangles. Each tick builds
// its region anew and draws the new picture in place through it.
#include <cmath>

#include "platform/regions.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

QRegion Polygon(std::initializer_list<QPoint> points) { return CreatePolygonRgn(std::vector<QPoint>(points)); }
QRegion PictureRgn(const TShowPictureVar& v) { return CreateRectRgn(0, 0, v.W, v.H); }
// The region intersected with the picture rectangle, drawn.
void Reveal(TShowPictureVar& v, const QRegion& region, bool growing = false) {
  v.RegionDraw(CombineRgn(region, PictureRgn(v), TRegionMode::And), growing);
}
// The picture rectangle minus the region, drawn.
void RevealOutside(TShowPictureVar& v, const QRegion& region) {
  v.RegionDraw(CombineRgn(PictureRgn(v), region, TRegionMode::Diff));
}
bool Finish(TShowPictureVar& v) {
  v.Copy(v.Picture());
  return true;
}

// The box of an ellipse or centred rectangle whose smaller half-side is p, keeping the
// picture's aspect ratio.
QRect AspectBox(const TShowPictureVar& v, int32_t p) {
  if (v.W < v.H) {
    const int32_t d = int32_t(int64_t(p) * v.H / v.W);
    return ltrb(v.cx - p, v.cy - d, v.cx + p, v.cy + d);
  }
  const int32_t d = int32_t(int64_t(p) * v.W / v.H);
  return ltrb(v.cx - d, v.cy - p, v.cx + d, v.cy + p);
}
QRegion Ellipse(const QRect& box) { return CreateEllipticRgn(box.left(), box.top(), box.left() + box.width(), box.top() + box.height()); }

// Radial sweep: P0 the centre (the engine's parameter), P1 the bottom-right corner; a ray runs
// up the right edge, along the top, down the left edge and along the bottom.
void InitSweep(TShowPictureVar& v) {
  v.W = v.New->width();
  v.H = v.New->height();
  v.points[0] = QPoint(v.cx, v.cy);
  v.points[1] = QPoint(v.W, v.H);
  v.pass = 0;  // the phase
  v.pos = v.H;
}

bool StepSweep(TShowPictureVar& v) {
  const QPoint c = v.points[0], br = v.points[1];
  const int32_t W = v.W, H = v.H, p = v.pos;
  QRegion region;
  bool finished = false;
  switch (v.pass) {
    case 0:
      region = Polygon({c, br, QPoint(W, p)});
      if ((v.pos -= v.S) < 0) v.pos = W, v.pass = 1;
      break;
    case 1:
      region = Polygon({c, br, QPoint(W, 0), QPoint(p, 0)});
      if ((v.pos -= v.S) < 0) v.pos = 0, v.pass = 2;
      break;
    case 2:
      region = Polygon({c, br, QPoint(W, 0), QPoint(0, 0), QPoint(0, p)});
      if ((v.pos += v.S) > H) v.pos = 0, v.pass = 3;
      break;
    default:
      region = Polygon({c, br, QPoint(W, 0), QPoint(0, 0), QPoint(0, H), QPoint(p, H)});
      if ((v.pos += v.S) > W) v.pos = 0, finished = true;
  }
  if (finished) {
    v.FullDraw();
    return true;
  }
  Reveal(v, region);
  return false;
}

// The corner triangles: legs on the two edges of the corner, p along the horizontal one and
// nearest(p × ratio) along the vertical one.
enum TCorner { LeftTop, RightTop, LeftBottom, RightBottom };

QRegion Triangle(const TShowPictureVar& v, TCorner corner, int32_t p) {
  const int32_t e = v.Nearest(p), W = v.W, H = v.H;
  switch (corner) {
    case LeftTop: return Polygon({QPoint(0, 0), QPoint(p, 0), QPoint(0, e)});
    case RightTop: return Polygon({QPoint(W, 0), QPoint(W - p, 0), QPoint(W, e)});
    case LeftBottom: return Polygon({QPoint(0, H), QPoint(p, H), QPoint(0, H - e)});
    default: return Polygon({QPoint(W, H), QPoint(W - p, H), QPoint(W, H - e)});
  }
}

void InitCorner(TShowPictureVar& v, bool shrinking) {
  v.TakePicture();
  v.TakeRatio();
  v.pos = shrinking ? v.W : 0;
}

// One corner: runs while pos < 2 × W.
bool StepOneCorner(TShowPictureVar& v, TCorner corner) {
  if (v.pos >= 2 * v.W) return Finish(v);
  Reveal(v, Triangle(v, corner, v.pos));
  v.pos += v.S;
  return false;
}

QRegion TwoCorners(const TShowPictureVar& v, TCorner a, TCorner b) {
  return CombineRgn(Triangle(v, a, v.pos), Triangle(v, b, v.pos), TRegionMode::Or);
}

bool StepTwoCornersFrom(TShowPictureVar& v, TCorner a, TCorner b) {
  if (v.pos >= v.W) return Finish(v);
  Reveal(v, TwoCorners(v, a, b));
  v.pos += v.S;
  return false;
}

bool StepTwoCornersTo(TShowPictureVar& v, TCorner a, TCorner b) {
  if (v.pos <= 0) return Finish(v);
  RevealOutside(v, TwoCorners(v, a, b));
  v.pos -= v.S;
  return false;
}

// The multi-wipe grid: 10 x 10 cells, the same corner triangle growing one pixel a tick in each.
void InitMultiWipe(TShowPictureVar& v) {
  v.TakePicture();
  v.cellW = (v.W + 10) / 10;
  v.cellH = (v.H + 10) / 10;
  v.TakeRatio();
}

bool StepMultiWipe(TShowPictureVar& v, int32_t dx, int32_t dy) {
  if (v.pos >= 2 * v.cellW) return Finish(v);
  const int32_t e = v.Nearest(v.pos), p = v.pos;
  // One triangle at the corner (0, 0), then the same one at every cell's corner: the union of
  // the hundred, filled together.
  const int32_t firstRow = dy > 0 ? 0 : 1, firstColumn = dx > 0 ? 0 : 1;
  std::vector<std::vector<QPoint>> cells;
  cells.reserve(100);
  for (int32_t row = firstRow; row < firstRow + 10; ++row)
    for (int32_t column = firstColumn; column < firstColumn + 10; ++column) {
      const QPoint at(column * v.cellW, row * v.cellH);
      cells.push_back({at, at + QPoint(dx * p, 0), at + QPoint(0, dy * e)});
    }
  Reveal(v, CreatePolyPolygonRgn(cells), true);  // p and e never shrink
  v.pos += 1;
  return false;
}

}  // namespace

// The six radial sweeps share one pair; the engine passes their centres.
void InitCircle(TShowPictureVar& v, int32_t) { InitSweep(v); }
bool StepCircle(TShowPictureVar& v, int32_t) { return StepSweep(v); }

void InitEllipseFromCenter(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.cx = v.W / 2;
  v.cy = v.H / 2;
  v.limit = RoundHalfEven(std::sqrt(double(v.cx) * v.cx + double(v.cy) * v.cy)) + 1;
}
bool StepEllipseFromCenter(TShowPictureVar& v, int32_t) {
  if (v.limit < v.pos) {
    v.FullDraw();
    return true;
  }
  v.RegionDraw(Ellipse(AspectBox(v, v.pos)));
  v.pos += v.S;
  return false;
}

void InitEllipseToCenter(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.cx = v.W / 2;
  v.cy = v.H / 2;
  v.limit = v.W < v.H ? v.cx : v.cy;
  v.pos = v.limit;
}
bool StepEllipseToCenter(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) return Finish(v);
  RevealOutside(v, Ellipse(AspectBox(v, v.pos)));
  v.pos -= v.S;
  return false;
}

// The engine passes the centre (Random(W), Random(H)); the circle grows to the diagonal.
void InitEllipseRandom(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = RoundHalfEven(std::sqrt(double(v.H) * v.H + double(v.W) * v.W));
}
bool StepEllipseRandom(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.limit) return Finish(v);
  v.RegionDraw(Ellipse(ltrb(v.cx - v.pos, v.cy - v.pos, v.cx + v.pos, v.cy + v.pos)));
  v.pos += v.S;
  return false;
}

namespace {
void InitDiamond(TShowPictureVar& v, bool toCenter) {
  v.TakePicture();
  v.TakeRatio();
  v.cx = (v.W + 2) / 2;
  v.cy = (v.H + 2) / 2;
  v.pos = toCenter ? v.W : 0;
}
QRegion Diamond(const TShowPictureVar& v) {
  const int32_t e = v.Nearest(v.pos);
  return Polygon({QPoint(v.cx - v.pos, v.cy), QPoint(v.cx, v.cy + e), QPoint(v.cx + v.pos, v.cy), QPoint(v.cx, v.cy - e)});
}
}  // namespace

void InitDiamondFromCenter(TShowPictureVar& v, int32_t) { InitDiamond(v, false); }
bool StepDiamondFromCenter(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.W) return Finish(v);
  Reveal(v, Diamond(v));
  v.pos += v.S;
  return false;
}
void InitDiamondToCenter(TShowPictureVar& v, int32_t) { InitDiamond(v, true); }
bool StepDiamondToCenter(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) return Finish(v);
  RevealOutside(v, Diamond(v));
  v.pos -= v.S;
  return false;
}

void InitWipeFromLeftTop(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromLeftTop(TShowPictureVar& v, int32_t) { return StepOneCorner(v, LeftTop); }
void InitWipeFromRightTop(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromRightTop(TShowPictureVar& v, int32_t) { return StepOneCorner(v, RightTop); }
void InitWipeFromLeftBottom(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromLeftBottom(TShowPictureVar& v, int32_t) { return StepOneCorner(v, LeftBottom); }
void InitWipeFromRightBottom(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromRightBottom(TShowPictureVar& v, int32_t) { return StepOneCorner(v, RightBottom); }
void InitWipeFromLeftTopRightBottom(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromLeftTopRightBottom(TShowPictureVar& v, int32_t) { return StepTwoCornersFrom(v, LeftTop, RightBottom); }
void InitWipeFromRightTopLeftBottom(TShowPictureVar& v, int32_t) { InitCorner(v, false); }
bool StepWipeFromRightTopLeftBottom(TShowPictureVar& v, int32_t) { return StepTwoCornersFrom(v, RightTop, LeftBottom); }
void InitWipeToLeftTopRightBottom(TShowPictureVar& v, int32_t) { InitCorner(v, true); }
bool StepWipeToLeftTopRightBottom(TShowPictureVar& v, int32_t) { return StepTwoCornersTo(v, LeftTop, RightBottom); }
void InitWipeToRightTopLeftBottom(TShowPictureVar& v, int32_t) { InitCorner(v, true); }
bool StepWipeToRightTopLeftBottom(TShowPictureVar& v, int32_t) { return StepTwoCornersTo(v, RightTop, LeftBottom); }

void InitMultiWipeLeftTop(TShowPictureVar& v, int32_t) { InitMultiWipe(v); }
bool StepMultiWipeLeftTop(TShowPictureVar& v, int32_t) { return StepMultiWipe(v, 1, 1); }
void InitMultiWipeRightTop(TShowPictureVar& v, int32_t) { InitMultiWipe(v); }
bool StepMultiWipeRightTop(TShowPictureVar& v, int32_t) { return StepMultiWipe(v, -1, 1); }
void InitMultiWipeBottomLeft(TShowPictureVar& v, int32_t) { InitMultiWipe(v); }
bool StepMultiWipeBottomLeft(TShowPictureVar& v, int32_t) { return StepMultiWipe(v, 1, -1); }
void InitMultiWipeBottomRight(TShowPictureVar& v, int32_t) { InitMultiWipe(v); }
bool StepMultiWipeBottomRight(TShowPictureVar& v, int32_t) { return StepMultiWipe(v, -1, -1); }

}  // namespace sf::effects
