// Fixed-pace effects: a serpentine path over a 20 x 20 grid, lines in two interlaced passes,
// window blinds 20 pixels wide and a soft 400-pixel edge that sweeps across. The speed is not
// used: the effect and its tick interval set the pace.
#include <algorithm>

#include "transitions/effects.h"

namespace sf::effects {
namespace {

// Zig-zag: one cell of a 20 x 20 grid a tick along a serpentine path. v.cx is the cell's
// column, v.cy its row.
enum TZigZag { ZigRight, ZigLeft, ZigDown, ZigUp };

void InitZigZag(TShowPictureVar& v, TZigZag z) {
  v.TakePicture();
  v.cellW = (v.W + 20) / 20;
  v.cellH = (v.H + 20) / 20;
  v.cx = z == ZigLeft ? 19 : 0;
  v.cy = z == ZigUp ? 19 : 0;
}

bool StepZigZag(TShowPictureVar& v, TZigZag z) {
  int32_t& col = v.cx;
  int32_t& row = v.cy;
  v.Copy(ltrb(col * v.cellW, row * v.cellH, col * v.cellW + v.cellW, row * v.cellH + v.cellH));
  // Walking columns (right, left) or rows (down, up); the parity of the line walked sets the
  // direction along it, so that each new line starts beside the end of the last.
  const bool byColumns = z == ZigRight || z == ZigLeft;
  int32_t& line = byColumns ? col : row;
  int32_t& along = byColumns ? row : col;
  const bool evenForward = z == ZigRight || z == ZigDown;  // even lines run 0 → 19
  const bool forward = (line % 2 == 0) == evenForward;
  const int32_t next = along + (forward ? 1 : -1);
  if (next >= 0 && next <= 19) {
    along = next;
    return false;
  }
  line += z == ZigRight || z == ZigDown ? 1 : -1;
  return line < 0 || line > 19;
}

// Line: one line a tick, every second line in the first pass and the others in the second.
struct TLine {
  bool columns;   // right and left copy columns, down and up rows
  bool forward;   // the first pass runs towards larger coordinates
  bool rebound;   // the second pass comes back
};

int32_t Extent(const TShowPictureVar& v, const TLine& l) { return l.columns ? v.W : v.H; }

void InitLine(TShowPictureVar& v, const TLine& l) {
  v.TakePicture();
  v.pos = l.forward ? 0 : Extent(v, l) - 1;
  v.pass = 1;
}

bool StepLine(TShowPictureVar& v, const TLine& l) {
  const int32_t n = Extent(v, l);
  v.Copy(l.columns ? ltrb(v.pos, 0, v.pos + 1, v.H) : ltrb(0, v.pos, v.W, v.pos + 1));
  // The pass's direction: the first pass's, reversed in a rebound's second pass.
  const bool up = v.pass == 1 ? l.forward : l.forward != l.rebound;
  v.pos += up ? 2 : -2;
  if (up ? v.pos <= n : v.pos >= 0) return false;
  if (v.pass == 0) return true;
  v.pass = 0;
  if (!l.rebound) v.pos = l.forward ? 1 : n - 2;
  else if (l.forward) v.pos = n % 2 == 0 ? n - 1 : n - 2;
  else v.pos = n % 2 == 1 ? 1 : 0;
  return false;
}

constexpr TLine kLineRight{true, true, false}, kLineRightRebound{true, true, true}, kLineLeft{true, false, false},
    kLineLeftRebound{true, false, true}, kLineDown{false, true, false}, kLineDownRebound{false, true, true},
    kLineUp{false, false, false}, kLineUpRebound{false, false, true};

// Window blinds: the same offset in every 20-pixel blind, one line a tick.
void InitBlind(TShowPictureVar& v, bool forward) {
  v.TakePicture();
  v.pos = forward ? 0 : 19;
}

bool StepBlind(TShowPictureVar& v, bool columns, bool forward) {
  if (forward ? v.pos >= 20 : v.pos < 0) return true;
  const int32_t n = columns ? v.W : v.H;
  if (columns) {
    // The columns at pos, pos + 20, ..., each onto its place, in one pass over the rows.
    std::vector<TCanvas::TColumnMove> lines;
    for (int32_t x = v.pos; x < n; x += 20) lines.push_back({x, x + v.X});
    v.target->CopyColumns(*v.New, lines, 0, v.H, v.Y);
  } else {
    for (int32_t y = v.pos; y < n; y += 20) v.Copy(ltrb(0, y, v.W, y + 1));
  }
  v.pos += forward ? 1 : -1;
  return false;
}

}  // namespace

void InitZigZagRight(TShowPictureVar& v, int32_t) { InitZigZag(v, ZigRight); }
bool StepZigZagRight(TShowPictureVar& v, int32_t) { return StepZigZag(v, ZigRight); }
void InitZigZagLeft(TShowPictureVar& v, int32_t) { InitZigZag(v, ZigLeft); }
bool StepZigZagLeft(TShowPictureVar& v, int32_t) { return StepZigZag(v, ZigLeft); }
void InitZigZagDown(TShowPictureVar& v, int32_t) { InitZigZag(v, ZigDown); }
bool StepZigZagDown(TShowPictureVar& v, int32_t) { return StepZigZag(v, ZigDown); }
void InitZigZagUp(TShowPictureVar& v, int32_t) { InitZigZag(v, ZigUp); }
bool StepZigZagUp(TShowPictureVar& v, int32_t) { return StepZigZag(v, ZigUp); }

void InitLineRight(TShowPictureVar& v, int32_t) { InitLine(v, kLineRight); }
bool StepLineRight(TShowPictureVar& v, int32_t) { return StepLine(v, kLineRight); }
void InitLineRightRebound(TShowPictureVar& v, int32_t) { InitLine(v, kLineRightRebound); }
bool StepLineRightRebound(TShowPictureVar& v, int32_t) { return StepLine(v, kLineRightRebound); }
void InitLineLeft(TShowPictureVar& v, int32_t) { InitLine(v, kLineLeft); }
bool StepLineLeft(TShowPictureVar& v, int32_t) { return StepLine(v, kLineLeft); }
void InitLineLeftRebound(TShowPictureVar& v, int32_t) { InitLine(v, kLineLeftRebound); }
bool StepLineLeftRebound(TShowPictureVar& v, int32_t) { return StepLine(v, kLineLeftRebound); }
void InitLineDown(TShowPictureVar& v, int32_t) { InitLine(v, kLineDown); }
bool StepLineDown(TShowPictureVar& v, int32_t) { return StepLine(v, kLineDown); }
void InitLineDownRebound(TShowPictureVar& v, int32_t) { InitLine(v, kLineDownRebound); }
bool StepLineDownRebound(TShowPictureVar& v, int32_t) { return StepLine(v, kLineDownRebound); }
void InitLineUp(TShowPictureVar& v, int32_t) { InitLine(v, kLineUp); }
bool StepLineUp(TShowPictureVar& v, int32_t) { return StepLine(v, kLineUp); }
void InitLineUpRebound(TShowPictureVar& v, int32_t) { InitLine(v, kLineUpRebound); }
bool StepLineUpRebound(TShowPictureVar& v, int32_t) { return StepLine(v, kLineUpRebound); }

void InitBlindRight(TShowPictureVar& v, int32_t) { InitBlind(v, true); }
bool StepBlindRight(TShowPictureVar& v, int32_t) { return StepBlind(v, true, true); }
void InitBlindLeft(TShowPictureVar& v, int32_t) { InitBlind(v, false); }
bool StepBlindLeft(TShowPictureVar& v, int32_t) { return StepBlind(v, true, false); }
void InitBlindDown(TShowPictureVar& v, int32_t) { InitBlind(v, true); }
bool StepBlindDown(TShowPictureVar& v, int32_t) { return StepBlind(v, false, true); }
void InitBlindUp(TShowPictureVar& v, int32_t) { InitBlind(v, false); }
bool StepBlindUp(TShowPictureVar& v, int32_t) { return StepBlind(v, false, false); }

// Sweeps: 20 strips in the 20-pixel cells of a 400-pixel edge, their widths growing from 1 to
// 20 towards the side already passed; the edge moves 20 pixels a tick.
void InitSweepRight(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = -400;
}
bool StepSweepRight(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.W) return true;
  for (int32_t i = 0; i <= 19; ++i) v.Copy(ltrb(v.pos + 20 * i, 0, v.pos + 20 * i + 20 - i, v.H));
  v.pos += 20;
  return false;
}

void InitSweepLeft(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.W + 400;
}
bool StepSweepLeft(TShowPictureVar& v, int32_t) {
  if (v.pos < -419) return true;
  for (int32_t i = 1; i <= 20; ++i) v.Copy(ltrb(v.pos + 20 * i, 0, v.pos + 20 * i + i, v.H));
  v.pos -= 20;
  return false;
}

void InitSweepDown(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = -400;
}
bool StepSweepDown(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.H) return true;
  for (int32_t i = 0; i <= 19; ++i) {
    int32_t top = v.pos + 20 * i;
    const int32_t bottom = top + 20 - i;
    if (bottom < 0) break;  // the strips below this one lie lower still: this tick is done
    if (top < 0) top = 0;
    v.Copy(ltrb(0, top, v.W, bottom));
  }
  v.pos += 20;
  return false;
}

void InitSweepUp(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pos = v.H + 400;
}
bool StepSweepUp(TShowPictureVar& v, int32_t) {
  if (v.pos < -419) return true;
  for (int32_t i = 1; i <= 20; ++i) {
    const int32_t top = std::clamp(v.pos + 20 * i, 0, v.H), bottom = std::clamp(v.pos + 21 * i, 0, v.H);
    v.Copy(ltrb(0, top, v.W, bottom));
  }
  v.pos -= 20;
  return false;
}

}  // namespace sf::effects
