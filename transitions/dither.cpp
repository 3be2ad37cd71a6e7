// Random lines and pixel dither: whole rows or columns in random order without repetition, a
// random column and row on each tick, and random pixels sprinkled in 36 passes.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <system_error>

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
  const int32_t index = v.Random(int32_t(v.work.size()));
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
  const int32_t index = v.Random(int32_t(v.work.size()));
  const int32_t a = v.work[size_t(index)];
  const int32_t b = v.Random(v.H);
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
// A tick walks its bands as the draws say and marks each pixel it takes in a plane of one byte a
// pixel; then the marked pixels go over row by row. The walk runs down the columns, which the
// bytes of the plane bear well and the pixels of two pictures do not: a pixel a row down is a
// fresh memory line and page each time.
namespace {
constexpr size_t kSprinkleChunk = 16384;  // draws a chunk
}

TSprinkler::TSprinkler(int32_t w, int32_t h, const TFastPaths& paths)
    // A column offset reaches 5 columns past the band, which may begin at the last column: the
    // plane's rows have room for them, and they are never copied.
    : w_(w), h_(h), stride_(size_t(std::max(w, 0)) + 8), vectors_(paths.vectors) {
  const size_t bytes = stride_ * size_t(std::max(h, 0));
  planes_[0] = TScratch(bytes);
  draws_[0].resize(kSprinkleChunk);
  // One core, or the threads switched off: every tick walks itself.
  if (!paths.threads || std::thread::hardware_concurrency() < 2) return;
  planes_[1] = TScratch(bytes);
  if (planes_[0].size() == bytes && planes_[1].size() == bytes) {
    draws_[1].resize(kSprinkleChunk);
    try {
      helper_ = std::thread(&TSprinkler::Helper, this);
      return;
    } catch (const std::system_error&) {  // walks every tick itself
    }
  }
  planes_[1] = TScratch(), draws_[1] = {};  // no helper: the second plane is not held
}

TSprinkler::~TSprinkler() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  if (helper_.joinable()) helper_.join();
}

void TSprinkler::Helper() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return busy_ || quit_; });
    if (quit_) return;
    TJob job = ahead_;
    lock.unlock();
    Run(job, draws_[1]);
    lock.lock();
    ahead_ = job;
    busy_ = false;
    changed_.notify_all();
  }
}

// The walks into a plane number their marks 1, 2, ...; a plane that ran out of numbers starts
// again clear. Only for a plane that no walk and no copy is using.
uint8_t TSprinkler::NextKey(int plane) {
  if (++keys_[plane] == 0) {
    std::fill(planes_[plane].data(), planes_[plane].data() + planes_[plane].size(), uint8_t(0));
    keys_[plane] = 1;
  }
  return keys_[plane];
}

TSprinkler::TMarks TSprinkler::Walk(TRandom& random, int32_t pos, int32_t sub) {
  if (planes_[0].size() < stride_ * size_t(std::max(h_, 0))) return {nullptr, stride_, 0};
  TJob now{pos, sub, random.CurrentSeed()};
  bool walked = false;
  if (helper_.joinable()) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    if (posted_ && ahead_.pos == pos && ahead_.sub == sub && ahead_.seed == now.seed) now = ahead_, walked = true;
    posted_ = false;
  }
  if (!walked) {
    now.key = NextKey(now.plane);
    Run(now, draws_[0]);
  }
  random.Seed(now.seedAfter);
  // The next drawing tick: the next row start, or after the tick that draws nothing the next
  // column start; none after the last pass.
  const int32_t nextPos = sub < 5 ? pos : pos + 1, nextSub = sub < 5 ? sub + 1 : 0;
  if (helper_.joinable() && nextPos <= 5) {
    {
      std::lock_guard lock(mutex_);
      ahead_ = {nextPos, nextSub, now.seedAfter, 0, NextKey(1 - now.plane), 1 - now.plane};
      posted_ = busy_ = true;
    }
    changed_.notify_all();
  }
  return {planes_[now.plane].data(), stride_, now.key};
}

void TSprinkler::Run(TJob& job, std::vector<uint8_t>& draws) {
  // The walk's draws in order: for each pixel its column offset, then the row advance; after
  // each column band the band's advance. They come out a chunk at a time, small enough to stay
  // in the processor's nearest cache while the walk reads them.
  uint32_t seed = job.seed;
  size_t have = 0, i = 0, taken = 0;  // draws in the chunk, the next one, those of earlier chunks
  uint8_t* const d = draws.data();
  auto refill = [&] {  // keeps the draws not taken yet
    const size_t left = have - i;
    std::memmove(d, d + i, left);
    taken += i, i = 0;
    seed = RandomBytesWith(vectors_, seed, d + left, kSprinkleChunk - left, 6);
    have = kSprinkleChunk;
  };
  refill();
  // Positions in the plane: a row advance of a steps a x stride bytes on. Below `clear` four
  // pixels, which take at most 15 rows from the first, lie inside the picture.
  size_t down[6];
  for (size_t a = 0; a < 6; ++a) down[a] = a * stride_;
  const size_t end = size_t(std::max(h_, 0)) * stride_, clear = h_ > 15 ? size_t(h_ - 15) * stride_ : 0;
  uint8_t* const plane = planes_[job.plane].data();
  const uint8_t mark = job.key;
  for (int32_t x = job.pos; x < w_;) {
    size_t at = size_t(job.sub) * stride_ + size_t(x);
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
  job.seedAfter = SeedAfter(job.seed, taken + i);
}

void InitIncreaseShow(TShowPictureVar& v, int32_t) {
  v.TakePicture();
  v.pass = 0;  // sub
  v.sprinkle = std::make_unique<TSprinkler>(v.W, v.H);
}

bool StepIncreaseShow(TShowPictureVar& v, int32_t) {
  if (v.pos > 5) {
    v.FullDraw();
    v.sprinkle.reset();
    return true;
  }
  if (v.pass > 5) {
    v.pass = 0;
    ++v.pos;
    return false;
  }
  if (!v.sprinkle) v.sprinkle = std::make_unique<TSprinkler>(v.W, v.H);
  const TSprinkler::TMarks marks = v.sprinkle->Walk(*v.random, v.pos, v.pass);
  if (marks.plane != nullptr) {
    v.target->CopyMarked(*v.New, v.X, v.Y, marks.plane, qsizetype(marks.stride), marks.key);
  } else {
    // No memory for a plane: the same pixels, one at a time.
    TSprinkler::WalkPlain(*v.random, v.W, v.H, v.pos, v.pass, [&](int32_t x, int32_t y) { v.Copy(ltrb(x, y, x + 1, y + 1)); });
  }
  ++v.pass;
  return false;
}

}  // namespace sf::effects
