// Phased half and strip moves: the two halves of the new picture slide in one after the other
// (members 1 and 2), the far half travels across the near half's area first, the old content
// put back behind it (members 3 and 4), or fifteen strips slide in one at a time (members 5).
//
// Each effect works along one axis: rows for "down" and "up", columns for "left" and "right".
// A span [a, b) along that axis stands for the full-width rows or full-height columns a to b.
#include <algorithm>

#include "transitions/effects.h"

namespace sf::effects {
namespace {

struct TSpan {
  int32_t a, b;
};

struct TAxis {
  TShowPictureVar& v;
  bool rows;
  int32_t n;  // the picture's extent along the axis: H or W

  QRect Rect(TSpan s) const { return rows ? ltrb(0, s.a, v.W, s.b) : ltrb(s.a, 0, s.b, v.H); }
  // copy(src → dst): stretched where the two differ in size (by one line at an odd extent).
  void Copy(TSpan src, TSpan dst) const {
    if (src.a >= src.b || dst.a >= dst.b) return;
    v.CopyTo(Rect(src), Rect(dst));
  }
  // restore(r): the old content back at r, limited to the picture.
  void Restore(TSpan s) const {
    s.a = std::max(s.a, 0);
    s.b = std::min(s.b, n);
    if (s.a >= s.b) return;
    const QRect r = Rect(s);
    v.target->CopyRect(v.Place(r), *v.Old, v.Place(r));
  }
};

enum TDirection { Down, Up, Right, Left };

TAxis AxisOf(TShowPictureVar& v, TDirection d) {
  const bool rows = d == Down || d == Up;
  return TAxis{v, rows, rows ? v.H : v.W};
}

// Members 1 and 2 (the two halves) and 3 and 4 (three phases). `member` is 1 to 4.
void InitHalves(TShowPictureVar& v) {
  v.TakePicture();
  v.pass = 0;  // the phase
}

bool StepHalves(TShowPictureVar& v, TDirection d, int member) {
  const TAxis axis = AxisOf(v, d);
  const int32_t n = axis.n, m = n / 2, p = v.pos, S = v.S;
  const int last = member <= 2 ? 1 : 2;
  if (v.pass > last) return true;
  const bool forward = d == Down || d == Right;  // "down" and "right" share their spans
  bool ends = false;
  if (member <= 2) {
    if (v.pass == 0) {
      if (forward) {  // the near half slides in from the near edge
        axis.Copy({std::max(m - p, 0), m}, {0, std::min(p, m)});
        ends = p > m;
      } else {  // the far half slides in from the far edge
        axis.Copy({m, std::min(m + p, n)}, {std::max(n - p, m), n});
        ends = n - p < m;
      }
    } else if (forward) {
      if (member == 1) {  // out of the dividing line
        axis.Copy({std::max(n - p, m), n}, {m, std::min(m + p, n)});
        ends = m + p > n;
      } else {  // from the far edge
        axis.Copy({m, std::min(m + p, n)}, {std::max(n - p, m), n});
        ends = n - p < m;
      }
    } else if (member == 1) {  // out of the dividing line
      axis.Copy({0, std::min(m, p)}, {std::max(m - p, 0), m});
      ends = m - p < 0;
    } else {  // from the near edge
      axis.Copy({std::max(m - p, 0), m}, {0, std::min(m, p)});
      ends = m - p < 0;
    }
  } else if (v.pass == 0) {
    // The half that belongs at the far side enters the near half's area.
    if (forward) {
      const int32_t from = member == 3 && d == Down ? m : n - m;
      axis.Copy({std::max(n - p, from), n}, {0, std::min(p, m)});
    } else {
      axis.Copy({0, std::min(p, m)}, {std::max(n - p, n - m), n});
    }
    ends = p > m;
  } else if (v.pass == 1) {
    // That half travels on, as one block of m lines, to its place; the band it uncovers gets
    // the old content back first.
    if (forward) {
      axis.Restore({p, p + S});
      int32_t e = p + S;
      if (e > n - m) e = n - m, ends = true;
      axis.Copy({n - m, n}, {e, std::min(e + m, n)});
    } else {
      axis.Restore({n - p, std::min(n - p + S, n)});
      int32_t g = n - m - p;
      if (g < 0) g = 0, ends = true;
      axis.Copy({0, m}, {g, std::min(g + m, n)});
    }
  } else if (forward) {
    // The other half comes in: out of the block (member 3) or from the near edge (member 4).
    if (member == 3) {
      axis.Copy({0, std::min(n - m, p)}, {std::max(n - m - p, 0), n - m});
      ends = n - m - p < 0;
    } else {
      axis.Copy({std::max(n - m - p, 0), n - m}, {0, std::min(p, n - m)});
      ends = n - m < p;
    }
  } else if (member == 3) {
    // Out of the line, growing towards the far edge: the half [m, n), its last lines first.
    // (Taking the source from n - m instead of m, as one description of "Move up 3" has it,
    // would leave line m of a picture of odd height out and stretch the rest over it.)
    axis.Copy({std::max(n - p, m), n}, {m, std::min(m + p, n)});
    ends = m + p > n;
  } else {  // from the far edge
    axis.Copy({m, std::min(m + p, n)}, {std::max(n - p, m), n});
    ends = n - p < m;
  }
  if (ends) {
    ++v.pass;
    if (v.pass <= last) v.pos = -S;  // the next phase starts at 0
  }
  v.pos += S;
  return false;
}

// Members 5: fifteen strips of t lines; strip k slides in until it reaches its place.
void InitStrips(TShowPictureVar& v, TDirection d) {
  v.TakePicture();
  const int32_t t = (d == Down || d == Up ? v.H : v.W) / 15 + 1;
  v.z = t;
  if (t < v.S) v.S = t;  // for the rest of this transition
  v.n = 1;               // k
}

bool StepStrips(TShowPictureVar& v, TDirection d) {
  const int32_t k = v.n;
  if (k > 15) return true;
  const TAxis axis = AxisOf(v, d);
  const int32_t n = axis.n, t = v.z, S = v.S, p = v.pos;
  bool arrived = false;
  switch (d) {
    case Down: {
      axis.Restore({std::max(p - S, 0), std::min(p, n)});
      const int32_t target = n - k * t, a = std::min(p, n);
      if (target < a) {
        arrived = true;
        const int32_t top = std::max(target, 0);
        axis.Copy({top, top + t}, {top, top + t});
      } else {
        axis.Copy({target, target + t}, {a, a + t});
      }
      break;
    }
    case Up: {
      axis.Restore({std::max(n - p, 0), std::min(n - p + S, n)});
      const int32_t h = std::min(k * t, n), dd = std::max(n - p, 0);
      if (dd < k * t) {
        arrived = true;
        axis.Copy({h - t, h}, {h - t, h});
      } else {
        axis.Copy({h - t, h}, {dd - t, dd});
      }
      break;
    }
    case Right: {
      axis.Restore({std::max(p - S, 0), p});
      const int32_t target = n - k * t;
      if (target < p) {
        arrived = true;
        const int32_t left = std::max(target, 0);
        axis.Copy({left, left + t}, {left, left + t});
      } else {
        axis.Copy({target, target + t}, {p, p + t});
      }
      break;
    }
    case Left: {
      axis.Restore({std::max(n - p, 0), std::min(n - p + S, n)});
      const bool beyond = k * t > n;
      const TSpan source = beyond ? TSpan{n - t, n} : TSpan{(k - 1) * t, k * t};
      const int32_t a = std::max(n - p, 0);
      if (a < k * t) {
        arrived = true;
        axis.Copy(source, source);
      } else {
        axis.Copy(source, {a - t, a});
      }
      break;
    }
  }
  if (arrived) {
    ++v.n;
    v.pos = -S;
  }
  v.pos += S;
  return false;
}

}  // namespace

void InitHalvesShared(TShowPictureVar& v, int32_t) { InitHalves(v); }
bool StepMoveDown1(TShowPictureVar& v, int32_t) { return StepHalves(v, Down, 1); }
bool StepMoveDown2(TShowPictureVar& v, int32_t) { return StepHalves(v, Down, 2); }
bool StepMoveDown3(TShowPictureVar& v, int32_t) { return StepHalves(v, Down, 3); }
bool StepMoveDown4(TShowPictureVar& v, int32_t) { return StepHalves(v, Down, 4); }
bool StepMoveUp1(TShowPictureVar& v, int32_t) { return StepHalves(v, Up, 1); }
bool StepMoveUp2(TShowPictureVar& v, int32_t) { return StepHalves(v, Up, 2); }
bool StepMoveUp3(TShowPictureVar& v, int32_t) { return StepHalves(v, Up, 3); }
bool StepMoveUp4(TShowPictureVar& v, int32_t) { return StepHalves(v, Up, 4); }
bool StepMoveRight1(TShowPictureVar& v, int32_t) { return StepHalves(v, Right, 1); }
bool StepMoveRight2(TShowPictureVar& v, int32_t) { return StepHalves(v, Right, 2); }
bool StepMoveRight3(TShowPictureVar& v, int32_t) { return StepHalves(v, Right, 3); }
bool StepMoveRight4(TShowPictureVar& v, int32_t) { return StepHalves(v, Right, 4); }
bool StepMoveLeft1(TShowPictureVar& v, int32_t) { return StepHalves(v, Left, 1); }
bool StepMoveLeft2(TShowPictureVar& v, int32_t) { return StepHalves(v, Left, 2); }
bool StepMoveLeft3(TShowPictureVar& v, int32_t) { return StepHalves(v, Left, 3); }
bool StepMoveLeft4(TShowPictureVar& v, int32_t) { return StepHalves(v, Left, 4); }

void InitMoveDown5(TShowPictureVar& v, int32_t) { InitStrips(v, Down); }
bool StepMoveDown5(TShowPictureVar& v, int32_t) { return StepStrips(v, Down); }
void InitMoveUp5(TShowPictureVar& v, int32_t) { InitStrips(v, Up); }
bool StepMoveUp5(TShowPictureVar& v, int32_t) { return StepStrips(v, Up); }
void InitMoveRight5(TShowPictureVar& v, int32_t) { InitStrips(v, Right); }
bool StepMoveRight5(TShowPictureVar& v, int32_t) { return StepStrips(v, Right); }
void InitMoveLeft5(TShowPictureVar& v, int32_t) { InitStrips(v, Left); }
bool StepMoveLeft5(TShowPictureVar& v, int32_t) { return StepStrips(v, Left); }

}  // namespace sf::effects
