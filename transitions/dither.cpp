// Random lines and pixel dither: whole rows or columns in random order without repetition, a
// random column and row on each tick, and random pixels sprinkled in 36 passes.
#include <numeric>

#include "platform/random.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

// The work list of pending lines 0 to n - 1, in ascending order.
void FillLines(TShowPictureVar& v, int32_t n) {
  v.work.assign(size_t(n), 0);
  std::iota(v.work.begin(), v.work.end(), 0);
}

// Takes a random entry of the work list; the list is freed once it is empty.
int32_t TakeLine(TShowPictureVar& v, bool& last) {
  const int32_t index = Random(int32_t(v.work.size()));
  const int32_t line = v.work[size_t(index)];
  v.work.erase(v.work.begin() + index);
  last = v.work.empty();
  if (last) std::vector<int32_t>().swap(v.work);
  return line;
}

}  // namespace

void InitLinesHorizontal(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  FillLines(v, v.H);
}
bool StepLinesHorizontal(TShowPictureVar& v, int32_t) {
  bool last = false;
  const int32_t a = TakeLine(v, last);
  v.Copy(ltrb(0, a, v.W, a + 1));
  return last;
}

void InitLinesVertical(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  FillLines(v, v.W);
}
bool StepLinesVertical(TShowPictureVar& v, int32_t) {
  bool last = false;
  const int32_t a = TakeLine(v, last);
  v.Copy(ltrb(a, 0, a + 1, v.H));
  return last;
}

// The columns complete the picture; the rows, drawn with repetition, are decoration.
void InitRandomCrossLines(TShowPictureVar& v, int32_t) {
  v.pos = 0;
  FillLines(v, v.W);
}
bool StepRandomCrossLines(TShowPictureVar& v, int32_t) {
  const int32_t index = Random(int32_t(v.work.size()));
  const int32_t a = v.work[size_t(index)];
  const int32_t b = Random(v.H);
  v.Copy(ltrb(a, 0, a + 1, v.H));
  v.Copy(ltrb(0, b, v.W, b + 1));
  v.work.erase(v.work.begin() + index);
  if (!v.work.empty()) return false;
  std::vector<int32_t>().swap(v.work);
  return true;
}

// Increase show: six passes of six sprinkles each. The pixels are sprinkled straight onto the
// target: a scratch frame that copied the target, took the pixels and went back in one piece
// would leave the same pixels, and the target reaches the screen only between ticks.
void InitIncreaseShow(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pass = 0;  // sub
  // A pass sprinkles about a sixth of the pixels: room for them once, for all six passes (the
  // lists grow should a pass sprinkle more).
  const size_t expected = size_t(v.W) * size_t(v.H) / 5 + 64;
  for (std::vector<int32_t>& list : v.sprinkled) list.assign(expected, 0);
}
bool StepIncreaseShow(TShowPictureVar& v, int32_t) {
  if (v.pos > 5) {
    v.FullDraw();
    for (std::vector<int32_t>& list : v.sprinkled) std::vector<int32_t>().swap(list);
    return true;
  }
  if (v.pass > 5) {
    v.pass = 0;
    ++v.pos;
    return false;
  }
  // The sprinkle walks down the columns; its pixels are gathered first and then copied row by
  // row, which leaves the same pixels and touches each row's memory once, not once a column.
  std::vector<int32_t>& columns = v.sprinkled[0];
  std::vector<int32_t>& rows = v.sprinkled[1];
  std::vector<int32_t>& start = v.sprinkled[2];  // where each row's pixels begin in byRow
  std::vector<int32_t>& byRow = v.sprinkled[3];
  start.assign(size_t(v.H) + 1, 0);
  size_t n = 0;
  {
    TRandomRun random;
    int32_t* column = columns.data();
    int32_t* row = rows.data();
    int32_t* count = start.data() + 1;
    for (int32_t x = v.pos; x < v.W; x += random(6))
      for (int32_t y = v.pass; y < v.H; y += random(6)) {
        if (n == columns.size()) {
          columns.resize(std::max<size_t>(64, 2 * n)), rows.resize(columns.size());
          column = columns.data(), row = rows.data();
        }
        column[n] = x + random(6);
        row[n++] = y;
        ++count[y];
      }
  }
  for (size_t y = 1; y < start.size(); ++y) start[y] += start[y - 1];
  if (byRow.size() < n) byRow.resize(columns.size());
  for (size_t i = 0; i < n; ++i) byRow[size_t(start[size_t(rows[i])]++)] = columns[i];
  // start[y] now holds where row y + 1 begins.
  TCanvas::TPixelCopier pixels(*v.target, *v.New, v.X, v.Y);
  for (int32_t y = 0, i = 0; y < v.H; ++y) {
    pixels.CopyRow(y, byRow.data() + i, size_t(start[size_t(y)] - i));
    i = start[size_t(y)];
  }
  ++v.pass;
  return false;
}

}  // namespace sf::effects
