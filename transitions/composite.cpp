// Composited reveals: each stage is composed from both pictures, so that old content can shrink
// or move over the new: "Center(Envelop)", the interlaced slides and the rolls. The stages are
// composed on the target itself: its first tick draws the old content wherever the new picture
// is not, and from then on each tick draws only what changed since the last; the target reaches
// the screen only between ticks, so it shows each stage as a frame composed aside would.
#include <algorithm>
#include <vector>

#include "platform/regions.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

// The old content (old at place(r)) through a region of the picture, on the target.
void OldThrough(const TShowPictureVar& v, const QRegion& region) {
  if (region.isEmpty()) return;
  const QRect whole = v.Place(v.Picture());
  v.target->SelectClipRgn(region.translated(v.X, v.Y));
  v.target->CopyRect(whole, *v.Old, whole);
  v.target->ClearClip();
}

// The interlaced slides: even lines carry the far part of the picture, odd lines its near part,
// both sliding two pixels a tick towards each other. A line once covered stays covered, with
// new content each tick; the others keep the old content the first tick drew.
bool StepInterlaced(TShowPictureVar& v, bool rows) {
  if (v.limit < v.pos) return true;  // the tick before drew the whole picture
  if (!v.flag) {
    v.flag = true;
    OldThrough(v, QRegion(v.Picture()));
  }
  const int32_t m = 2 * v.limit - 2 * v.pos, lines = rows ? v.H : v.W;
  if (rows) {
    auto line = [&](int32_t from, int32_t to) {
      if (from < 0 || from >= lines || to < 0 || to >= lines) return;  // beyond the picture
      v.CopyTo(ltrb(0, from, v.W, from + 1), ltrb(0, to, v.W, to + 1));
    };
    for (int32_t g = 0; g <= v.pos; ++g) {
      const int32_t h = 2 * g;
      line(m + h, h);
      line(h + 1, m + h + 1);
    }
  } else {
    // Column h (even, up to 2 pos) takes column m + h; column m + h + 1 takes column h + 1: two
    // runs of every other column, held to the picture.
    auto run = [&](int32_t from, int32_t to) {
      const int32_t count = to > lines - 1 ? 0 : std::min(v.pos, (lines - 1 - to) / 2) + 1;
      return TCanvas::TColumnRun{from, v.X + to, count, 2};  // the source side is held by the canvas
    };
    std::vector<TCanvas::TColumnRun> runs;
    for (const TCanvas::TColumnRun& r : {run(m, 0), run(1, m + 1)})
      if (r.count > 0) runs.push_back(r);
    v.target->CopyColumnRuns(*v.New, runs, 0, v.H, v.Y);
  }
  ++v.pos;
  return false;
}

// The rolls: the revealed part of the new picture, a 30-line curl ahead of it showing the new
// picture's content there mirrored, and the old content beyond. Three lines a tick: the curl
// moves on over the old content and leaves the new picture behind it.
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
  if (!v.flag) {  // the first stage whole: the old content beyond the curl, the revealed part
    v.flag = true;
    OldThrough(v, QRegion(forward ? band(z, size) : band(0, a)));
    v.Copy(band(r0, r1));
  } else if (forward) {  // the curl of the tick before is revealed now
    v.Copy(band(std::max(v.limit, 0), r1));
  } else {
    v.Copy(band(r0, std::min(v.limit, size)));
  }
  v.limit = forward ? a : z;  // where this curl begins: revealed from the next tick
  if (columns) {
    std::vector<TCanvas::TColumnMove> curl;
    for (int32_t i = 0; i < z - a; ++i) curl.push_back({z - 1 - i, v.X + a + i});
    v.target->CopyColumns(*v.New, curl, 0, v.H, v.Y);
  } else {
    for (int32_t i = 0; i < z - a; ++i) v.CopyTo(band(z - 1 - i, z - i), band(a + i, a + i + 1));
  }
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
  v.flag = false;
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
  // The new picture with the old content inside R. R only shrinks: the old content is drawn
  // once, and each tick adds the new picture around R.
  const QRect inside = r.intersected(v.Picture());
  if (!v.flag) {
    v.flag = true;
    OldThrough(v, QRegion(inside));
  }
  v.RegionDraw(QRegion(v.Picture()).subtracted(QRegion(inside)));
  v.pos -= v.S;
  return false;
}

void InitShowUpDown(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.H / 2 + 1;
  v.flag = false;
}
bool StepShowUpDown(TShowPictureVar& v, int32_t) { return StepInterlaced(v, true); }
void InitShowLeftRight(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.limit = v.W / 2 + 1;
  v.flag = false;
}
bool StepShowLeftRight(TShowPictureVar& v, int32_t) { return StepInterlaced(v, false); }

static void InitRoll(TShowPictureVar& v, int32_t start) {
  v.TakePicture();
  v.pos = start;
  v.limit = start;  // where the curl began the tick before
  v.flag = false;
}
void InitRollRight(TShowPictureVar& v, int32_t) { InitRoll(v, 0); }
bool StepRollRight(TShowPictureVar& v, int32_t) { return StepRoll(v, RollRight); }
void InitRollLeft(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  InitRoll(v, v.W);
}
bool StepRollLeft(TShowPictureVar& v, int32_t) { return StepRoll(v, RollLeft); }
void InitRollDown(TShowPictureVar& v, int32_t) { InitRoll(v, 0); }
bool StepRollDown(TShowPictureVar& v, int32_t) { return StepRoll(v, RollDown); }
void InitRollUp(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  InitRoll(v, v.H);
}
bool StepRollUp(TShowPictureVar& v, int32_t) { return StepRoll(v, RollUp); }

}  // namespace sf::effects
