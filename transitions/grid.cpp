// Grid-cell reveals: an 8 x 8 grid in a square spiral, checkerboards of 20 x 20 cells in two
// interleaved passes, 100 boxes that grow from or shrink to their centres, and a 20 x 20 grid in
// random order. None of them uses the speed: each tick advances by a fixed amount.
#include <array>
#include <numeric>
#include <utility>

#include "platform/regions.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

// The square spiral of "Block from center": from cell (3, 3) down 1, right 1, up 2, left 2,
// down 3, ... right 7 and up 7 (column, row; rows count downwards).
std::array<std::pair<int, int>, 64> Spiral() {
  std::array<std::pair<int, int>, 64> cells{};
  int column = 3, row = 3, n = 0;
  cells[size_t(n++)] = {column, row};
  const int dx[4] = {0, 1, 0, -1}, dy[4] = {1, 0, -1, 0};  // down, right, up, left
  for (int leg = 0; n < 64; ++leg) {
    const int length = leg / 2 + 1 > 7 ? 7 : leg / 2 + 1;
    for (int k = 0; k < length && n < 64; ++k) {
      column += dx[leg % 4];
      row += dy[leg % 4];
      cells[size_t(n++)] = {column, row};
    }
  }
  return cells;
}

void InitBlocks(TShowPictureVar& v, bool toCenter) {
  v.TakePicture();
  v.cellW = v.W / 8 + 1;
  v.cellH = v.H / 8 + 1;
  v.pos = 1;
  static const std::array<std::pair<int, int>, 64> spiral = Spiral();
  for (size_t k = 0; k < 64; ++k) {
    const auto& [column, row] = spiral[toCenter ? 63 - k : k];
    v.table1[k] = uint8_t(column);
    v.table2[k] = uint8_t(row);
  }
}

bool StepBlocks(TShowPictureVar& v) {
  if (v.pos > 64) return true;
  const int32_t i = v.table1[size_t(v.pos - 1)], j = v.table2[size_t(v.pos - 1)];
  v.Copy(ltrb(i * v.cellW, j * v.cellH, (i + 1) * v.cellW, (j + 1) * v.cellH));
  ++v.pos;
  return false;
}

// The checkerboards: a line (a column or a row of cells) per tick, the cells of one parity in
// the first pass and of the other in the second.
struct TBoard {
  bool columns;
  int first, second;   // the passes' directions: +1 from 0 to 19, -1 from 19 to 0
  bool extraTick;      // "Checkerboard left" reports the end on a tick of its own
};

void InitBoard(TShowPictureVar& v, const TBoard& b) {
  v.TakePicture();
  v.cellW = (v.W + 20) / 20;
  v.cellH = (v.H + 20) / 20;
  v.flag = true;  // the first pass
  v.pos = b.first > 0 ? 0 : 19;
}

bool StepBoard(TShowPictureVar& v, const TBoard& b) {
  if (b.extraTick && !v.flag && v.pos >= 20) return true;
  for (int32_t k = 0; k < 20; ++k) {
    if ((v.pos + k) % 2 != (v.flag ? 0 : 1)) continue;
    if (b.columns) v.Copy(ltrb(v.pos * v.cellW, k * v.cellH, v.pos * v.cellW + v.cellW, k * v.cellH + v.cellH));
    else v.Copy(ltrb(k * v.cellW, v.pos * v.cellH, k * v.cellW + v.cellW, v.pos * v.cellH + v.cellH));
  }
  v.pos += v.flag ? b.first : b.second;
  if (v.pos >= 0 && v.pos <= 19) return false;
  if (v.flag) {
    v.flag = false;
    v.pos = b.second > 0 ? 0 : 19;
    return false;
  }
  return !b.extraTick;
}

constexpr TBoard kLeft{true, 1, 1, true}, kLeftRebound{true, 1, -1, false}, kRight{true, -1, -1, false},
    kRightRebound{true, -1, 1, false}, kDown{false, 1, 1, false}, kDownRebound{false, 1, -1, false},
    kUp{false, -1, -1, false}, kUpRebound{false, -1, 1, false};

// The multi-box array: 10 x 10 boxes centred at (cw (2i + 1), ch (2j + 1)), of half-width p.
void InitMultiBox(TShowPictureVar& v, bool toCenter) {
  v.TakePicture();
  v.cellW = (v.W + 20) / 20;
  v.cellH = (v.H + 20) / 20;
  v.TakeRatio();
  v.pos = toCenter ? v.cellW : 0;
  v.flag = false;  // the first tick draws the whole picture
}

std::vector<QRect> Boxes(const TShowPictureVar& v) {
  const int32_t p = v.pos, e = v.Nearest(p);
  std::vector<QRect> boxes;
  boxes.reserve(100);
  for (int32_t j = 0; j < 10; ++j)
    for (int32_t i = 0; i < 10; ++i) {
      const int32_t bx = v.cellW * (2 * i + 1), by = v.cellH * (2 * j + 1);
      boxes.push_back(ltrb(bx - p, by - e, bx + p, by + e));
    }
  return boxes;
}

// The new picture in the boxes and the old content around them (or the other way round). The
// first tick draws every pixel of the picture; from then on the new picture's part only grows,
// so each tick draws only what it gained.
void DrawBoxes(TShowPictureVar& v, bool newInBoxes) {
  std::vector<QRegion> boxes;
  for (const QRect& box : Boxes(v)) boxes.push_back(CreateRectRgn(box.left(), box.top(), box.left() + box.width(), box.top() + box.height()));
  const QRegion inBoxes = CombineRgn(CombineRgnAll(std::move(boxes)), CreateRectRgn(0, 0, v.W, v.H), TRegionMode::And);
  const QRegion around = QRegion(v.Picture()).subtracted(inBoxes);
  const QRegion& fresh = newInBoxes ? inBoxes : around;
  if (!v.flag) {
    v.flag = true;
    const QRect whole = v.Place(v.Picture());
    v.target->SelectClipRgn((newInBoxes ? around : inBoxes).translated(v.X, v.Y));
    v.target->CopyRect(whole, *v.Old, whole);
    v.target->ClearClip();
  }
  v.RegionDraw(fresh);
}

}  // namespace

void InitBlockFromCenter(TShowPictureVar& v, int32_t) { InitBlocks(v, false); }
void InitBlockToCenter(TShowPictureVar& v, int32_t) { InitBlocks(v, true); }
bool StepBlock(TShowPictureVar& v, int32_t) { return StepBlocks(v); }

void InitCheckerboardLeft(TShowPictureVar& v, int32_t) { InitBoard(v, kLeft); }
bool StepCheckerboardLeft(TShowPictureVar& v, int32_t) { return StepBoard(v, kLeft); }
void InitCheckerboardLeftRebound(TShowPictureVar& v, int32_t) { InitBoard(v, kLeftRebound); }
bool StepCheckerboardLeftRebound(TShowPictureVar& v, int32_t) { return StepBoard(v, kLeftRebound); }
void InitCheckerboardRight(TShowPictureVar& v, int32_t) { InitBoard(v, kRight); }
bool StepCheckerboardRight(TShowPictureVar& v, int32_t) { return StepBoard(v, kRight); }
void InitCheckerboardRightRebound(TShowPictureVar& v, int32_t) { InitBoard(v, kRightRebound); }
bool StepCheckerboardRightRebound(TShowPictureVar& v, int32_t) { return StepBoard(v, kRightRebound); }
void InitCheckerboardDown(TShowPictureVar& v, int32_t) { InitBoard(v, kDown); }
bool StepCheckerboardDown(TShowPictureVar& v, int32_t) { return StepBoard(v, kDown); }
void InitCheckerboardDownRebound(TShowPictureVar& v, int32_t) { InitBoard(v, kDownRebound); }
bool StepCheckerboardDownRebound(TShowPictureVar& v, int32_t) { return StepBoard(v, kDownRebound); }
void InitCheckerboardUp(TShowPictureVar& v, int32_t) { InitBoard(v, kUp); }
bool StepCheckerboardUp(TShowPictureVar& v, int32_t) { return StepBoard(v, kUp); }
void InitCheckerboardUpRebound(TShowPictureVar& v, int32_t) { InitBoard(v, kUpRebound); }
bool StepCheckerboardUpRebound(TShowPictureVar& v, int32_t) { return StepBoard(v, kUpRebound); }

void InitMultiBoxFromCenter(TShowPictureVar& v, int32_t) { InitMultiBox(v, false); }
bool StepMultiBoxFromCenter(TShowPictureVar& v, int32_t) {
  if (v.pos >= v.cellW) {
    v.FullDraw();
    return true;
  }
  DrawBoxes(v, true);  // the boxes of the new picture grow over the old
  ++v.pos;
  return false;
}
void InitMultiBoxToCenter(TShowPictureVar& v, int32_t) { InitMultiBox(v, true); }
bool StepMultiBoxToCenter(TShowPictureVar& v, int32_t) {
  if (v.pos <= 0) {
    v.FullDraw();
    return true;
  }
  DrawBoxes(v, false);  // the boxes of the old content shrink over the new picture
  --v.pos;
  return false;
}

// The engine's two cell sizes (W div 40, H div 40) are not used.
void InitMosaic(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.cellW = v.W / 20 + 1;
  v.cellH = v.H / 20 + 1;
  v.work.assign(400, 0);  // cell (i, j) as i × 20 + j, i outer
  std::iota(v.work.begin(), v.work.end(), 0);
}
bool StepMosaic(TShowPictureVar& v, int32_t) {
  const int32_t index = v.Random(int32_t(v.work.size()));
  const int32_t cell = v.work[size_t(index)], x = cell / 20 * v.cellW, y = cell % 20 * v.cellH;
  v.Copy(ltrb(x, y, x + v.cellW, y + v.cellH));
  v.work.erase(v.work.begin() + index);
  if (!v.work.empty()) return false;
  std::vector<int32_t>().swap(v.work);
  return true;
}

}  // namespace sf::effects
