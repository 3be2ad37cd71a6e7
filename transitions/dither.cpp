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
namespace {

// Copies the tick's sprinkled pixels, which begin for each band at bandAt and bandY. They are gathered a block of rows at a time, band after band, and copied row
// by row: the rows of both pictures are read from left to right, as the processor fetches memory
// best, not a pixel a row down the columns. A row takes about one pixel from every other band;
// should one fill its room (bands that stay on the row), its pixels go over at once: the order
// of the copies does not matter. Out of line, so that its loop has the registers to itself.
[[gnu::noinline]] void SprinkleRows(TShowPictureVar& v, TCanvas::TPixelCopier& pixels) {
  auto& sprinkle = v.sprinkle;
  const uint8_t* const d = sprinkle.draws.data();
  constexpr int32_t kRows = 64;
  const size_t bands = sprinkle.bandX.size(), room = bands + 64;
  sprinkle.rows.resize(room * kRows);
  int32_t* const rows = sprinkle.rows.data();
  const int32_t* const xs = sprinkle.bandX.data();
  int32_t* const ys = sprinkle.bandY.data();
  size_t* const at = sprinkle.bandAt.data();
  size_t count[kRows];
  // A full row goes over at once, away from the loop that fills the rows.
  auto flush = [&](int32_t top, size_t r) {
    pixels.CopyRow(top + int32_t(r), rows + r * room, count[r]);
    count[r] = 0;
  };
  for (int32_t top = v.pass; top < v.H; top += kRows) {
    const int32_t bottom = std::min(v.H, top + kRows);
    std::fill(count, count + kRows, 0);
    for (size_t b = 0; b < bands; ++b) {
      int32_t y = ys[b];
      if (y >= bottom) continue;
      size_t k = at[b];
      const int32_t x = xs[b];
      do {
        const size_t r = size_t(y - top);
        if (count[r] == room) [[unlikely]]
          flush(top, r);
        rows[r * room + count[r]++] = x + d[k];
        y += d[k + 1];
        k += 2;
      } while (y < bottom);
      ys[b] = y, at[b] = k;
    }
    for (size_t r = 0; r < size_t(bottom - top); ++r) flush(top, r);
  }
}

}  // namespace

void InitIncreaseShow(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pass = 0;  // sub
  v.sprinkle = {};
  // A pass sprinkles about W x H / 6.25 pixels of two draws each: room for them once, for all
  // six passes (the draws grow should a pass take more).
  v.sprinkle.draws.resize(size_t(v.W) * size_t(v.H) / 3 + size_t(v.W) + 4096);
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
  auto& [draws, bandX, bandY, rows, bandAt] = v.sprinkle;
  // The tick's draws in the walk's order: for each pixel its column offset, then the row
  // advance; after each column band the band's advance. They come out in one batch (more should
  // the walk need them); a first pass over them finds where each band begins, and the generator
  // goes on from the last draw taken.
  const uint32_t first = CurrentRandSeed();
  uint32_t seed = first;
  size_t have = 0;
  auto more = [&, &draws = draws] {
    const size_t batch = have == 0 ? std::max<size_t>(draws.size(), 4096) : have / 2;
    if (draws.size() < have + batch) draws.resize(have + batch);
    seed = RandomBytes(seed, draws.data() + have, batch, 6);
    have += batch;
  };
  more();
  bandX.clear(), bandY.clear(), bandAt.clear();
  size_t i = 0;
  for (int32_t x = v.pos; x < v.W;) {
    bandX.push_back(x), bandY.push_back(v.pass), bandAt.push_back(i);
    // Down the band: four pixels take at most 20 rows, so while the fourth still lies above the
    // bottom the four advances are added at once.
    for (int32_t y = v.pass; y < v.H;) {
      if (i + 8 <= have && y + 15 < v.H) {
        uint64_t word;
        std::memcpy(&word, draws.data() + i, 8);  // column offset, row advance, four times
        y += int32_t((((word >> 8) & 0x00ff00ff00ff00ffu) * 0x0001000100010001u) >> 48);
        i += 8;
        continue;
      }
      if (i + 2 > have) more();
      y += draws[i + 1];
      i += 2;
    }
    if (i + 1 > have) more();
    x += draws[i++];
  }
  RandSeed(SeedAfter(first, i));

  TCanvas::TPixelCopier pixels(*v.target, *v.New, v.X, v.Y);
  SprinkleRows(v, pixels);
  ++v.pass;
  return false;
}

}  // namespace sf::effects
