// Random lines and pixel dither: whole rows or columns in random order without repetition, a
// random column and row on each tick, and random pixels sprinkled in 36 passes.
#include <algorithm>
#include <cstring>
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
//
// A tick first walks its bands as the draws say and marks each pixel it takes with the tick's
// own number in a plane of one byte a pixel; then the marked pixels go over row by row. The walk
// runs down the columns, which the bytes of the plane bear well and the pixels of two pictures
// do not: a pixel a row down is a fresh memory line and page each time.
constexpr size_t kSprinkleChunk = 16384;  // draws a chunk

void InitIncreaseShow(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pass = 0;  // sub
  v.sprinkle = {};
  v.sprinkle.draws.resize(kSprinkleChunk);
  // A column offset reaches 5 columns past the band, which may begin at the last column: the
  // plane's rows have room for them, and they are never copied.
  v.sprinkle.stride = size_t(v.W) + 8;
  v.sprinkle.marks.assign(v.sprinkle.stride * size_t(v.H), 0);
}

bool StepIncreaseShow(TShowPictureVar& v, int32_t) {
  if (v.pos > 5) {
    v.FullDraw();
    v.sprinkle = {};
    return true;
  }
  if (v.pass > 5) {
    v.pass = 0;
    ++v.pos;
    return false;
  }
  auto& [draws, marks, stride, key] = v.sprinkle;
  // The 36 drawing ticks of a transition number their marks 1 to 36; a plane that ran out of
  // numbers would start again clear.
  if (++key == 0) {
    std::fill(marks.begin(), marks.end(), uint8_t(0));
    key = 1;
  }
  // The tick's draws in the walk's order: for each pixel its column offset, then the row
  // advance; after each column band the band's advance. They come out a chunk at a time, small
  // enough to stay in the processor's nearest cache while the walk reads them, and the generator
  // goes on from the last draw taken.
  const uint32_t first = CurrentRandSeed();
  uint32_t seed = first;
  size_t have = 0, i = 0, taken = 0;  // draws in the chunk, the next one, those of earlier chunks
  uint8_t* const d = draws.data();
  auto refill = [&] {  // keeps the draws not taken yet
    const size_t left = have - i;
    std::memmove(d, d + i, left);
    taken += i, i = 0;
    seed = RandomBytes(seed, d + left, kSprinkleChunk - left, 6);
    have = kSprinkleChunk;
  };
  refill();
  // Positions in the plane: a row advance of a steps a x stride bytes on. Below `clear` four
  // pixels, which take at most 15 rows from the first, lie inside the picture.
  size_t down[6];
  for (size_t a = 0; a < 6; ++a) down[a] = a * stride;
  const size_t end = size_t(v.H) * stride, clear = v.H > 15 ? size_t(v.H - 15) * stride : 0;
  uint8_t* const plane = marks.data();
  const uint8_t mark = key;
  for (int32_t x = v.pos; x < v.W;) {
    size_t at = size_t(v.pass) * stride + size_t(x);
    for (;;) {
      for (; at < clear && i + 8 <= have; i += 8) {
        plane[at + d[i]] = mark, at += down[d[i + 1]];
        plane[at + d[i + 2]] = mark, at += down[d[i + 3]];
        plane[at + d[i + 4]] = mark, at += down[d[i + 5]];
        plane[at + d[i + 6]] = mark, at += down[d[i + 7]];
      }
      if (at >= end) break;
      if (i + 2 > have) refill();
      plane[at + d[i]] = mark, at += down[d[i + 1]];
      i += 2;
    }
    if (i + 1 > have) refill();
    x += d[i++];
  }
  RandSeed(SeedAfter(first, taken + i));
  v.target->CopyMarked(*v.New, v.X, v.Y, plane, qsizetype(stride), mark);
  ++v.pass;
  return false;
}

}  // namespace sf::effects
