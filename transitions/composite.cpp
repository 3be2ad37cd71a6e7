// Composited reveals: each stage is composed from both pictures in a scratch frame of the
// picture's size and drawn in one piece, so that old content can shrink or move over the new:
// "Center(Envelop)", the interlaced slides and the rolls. Every scratch frame lives for one tick.
#include <algorithm>
#include <vector>

#include "transitions/effects.h"

namespace sf::effects {
namespace {

// A scratch frame of W x H in the device's format, and a canvas on it.
struct TScratch {
  QImage frame;
  TCanvas canvas;
  explicit TScratch(const TShowPictureVar& v) : frame(v.W, v.H, QImage::Format_RGB32), canvas(frame) {}
  // Rectangle r of the outgoing content (old at place(r)) into the frame at r.
  void Old(const TShowPictureVar& v, const QRect& r) { canvas.CopyRect(r, *v.Old, v.Place(r)); }
  // Rectangle src of the new picture into the frame at dst.
  void New(const TShowPictureVar& v, const QRect& src, const QRect& dst) { canvas.CopyRect(dst, *v.New, src); }
  void DrawOn(const TShowPictureVar& v) const { v.target->Draw(v.X, v.Y, frame); }
};

// The interlaced slides: even lines of the frame carry the far part of the picture, odd lines
// its near part, both sliding two pixels a tick towards each other.
bool StepInterlaced(TShowPictureVar& v, bool rows) {
  if (v.limit < v.pos) return true;  // the tick before drew the whole picture
  TScratch s(v);
  const int32_t m = 2 * v.limit - 2 * v.pos, lines = rows ? v.H : v.W;
  std::vector<bool> covered(size_t(lines), false);
  std::vector<TCanvas::TColumnMove> columns;
  auto line = [&](int32_t from, int32_t to) {
    if (from < 0 || from >= lines || to < 0 || to >= lines) return;  // beyond the picture
    if (rows) s.New(v, ltrb(0, from, v.W, from + 1), ltrb(0, to, v.W, to + 1));
    else columns.push_back({from, to});
    covered[size_t(to)] = true;
  };
  for (int32_t g = 0; g <= v.pos; ++g) {
    const int32_t h = 2 * g;
    line(m + h, h);
    line(h + 1, m + h + 1);
  }
  s.canvas.CopyColumns(*v.New, columns, 0, v.H, 0);
  // The frame starts as the old content; only the lines no new line covers need it.
  for (int32_t a = 0; a < lines;) {
    if (covered[size_t(a)]) {
      ++a;
      continue;
    }
    int32_t z = a;
    while (z < lines && !covered[size_t(z)]) ++z;
    s.Old(v, rows ? ltrb(0, a, v.W, z) : ltrb(a, 0, z, v.H));
    a = z;
  }
  s.DrawOn(v);
  ++v.pos;
  return false;
}

// The rolls: the revealed part of the new picture, a 30-line curl ahead of it showing the new
// picture's content there mirrored, and the old content beyond. Three lines a tick.
enum TRoll { RollRight, RollLeft, RollDown, RollUp };

bool StepRoll(TShowPictureVar& v, TRoll roll) {
  const bool columns = roll == RollRight || roll == RollLeft;
  const int32_t size = columns ? v.W : v.H;
  const bool forward = roll == RollRight || roll == RollDown;
  if (forward ? v.pos >= size : v.pos <= 0) {
    v.FullDraw();
    return true;
  }
  // Along the direction of travel: the revealed part [r0, r1), the curl [a, z), the old rest.
  int32_t r0, r1, a, z;
  if (forward) {
    r0 = 0, r1 = v.pos, a = v.pos, z = std::min(v.pos + 30, size);
  } else {
    r0 = v.pos, r1 = size, a = std::max(v.pos - 30, 0), z = v.pos;
  }
  auto band = [&](int32_t from, int32_t to) { return columns ? ltrb(from, 0, to, v.H) : ltrb(0, from, v.W, to); };
  TScratch s(v);
  // Only the old content beyond the curl is copied: the rest of the frame is new or curl.
  s.Old(v, forward ? band(z, size) : band(0, a));
  s.New(v, band(r0, r1), band(r0, r1));
  if (columns) {
    std::vector<TCanvas::TColumnMove> curl;
    for (int32_t i = 0; i < z - a; ++i) curl.push_back({z - 1 - i, a + i});
    s.canvas.CopyColumns(*v.New, curl, 0, v.H, 0);
  } else {
    for (int32_t i = 0; i < z - a; ++i) s.New(v, band(z - 1 - i, z - i), band(a + i, a + i + 1));
  }
  s.DrawOn(v);
  v.pos += forward ? 3 : -3;
  return false;
}

}  // namespace

void InitCenterEnvelop(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.cx = v.W / 2;
  v.cy = v.H / 2;
  v.limit = v.W < v.H ? v.cx : v.cy;
  v.pos = v.limit;
}
bool StepCenterEnvelop(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) {
    v.Copy(v.Picture());
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
  // The frame is the new picture with the old content inside R: the new picture is copied
  // around R only, as R's inside is covered at once.
  TScratch s(v);
  const QRect inside = r.intersected(v.Picture());
  for (const QRect& part : QRegion(v.Picture()).subtracted(QRegion(inside))) s.New(v, part, part);
  s.Old(v, inside);
  s.DrawOn(v);
  v.pos -= v.S;
  return false;
}

void InitShowUpDown(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.H / 2 + 1;
}
bool StepShowUpDown(TShowPictureVar& v, int32_t) { return StepInterlaced(v, true); }
void InitShowLeftRight(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.W / 2 + 1;
}
bool StepShowLeftRight(TShowPictureVar& v, int32_t) { return StepInterlaced(v, false); }

void InitRollRight(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRollRight(TShowPictureVar& v, int32_t) { return StepRoll(v, RollRight); }
void InitRollLeft(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.W;
}
bool StepRollLeft(TShowPictureVar& v, int32_t) { return StepRoll(v, RollLeft); }
void InitRollDown(TShowPictureVar& v, int32_t) { v.TakePicture(); }
bool StepRollDown(TShowPictureVar& v, int32_t) { return StepRoll(v, RollDown); }
void InitRollUp(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.H;
}
bool StepRollUp(TShowPictureVar& v, int32_t) { return StepRoll(v, RollUp); }

}  // namespace sf::effects
