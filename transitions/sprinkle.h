// Increase show's walk: the pixels one tick sprinkles, marked in a plane of one byte a pixel with
// a number of the tick's own, so that the canvas copies them along the rows.
//
// The walk of a tick depends on nothing but the generator's seed and the tick's column and row
// start (pos and sub), and both are known when the tick before ends. So while a tick's pixels are
// copied, another core walks the next tick's into a second plane; the next tick takes that walk
// if the generator still stands where it began, and walks again otherwise.
//
// WalkPlain is the walk as it is written, a draw at a time: the reference the fast walk gives the
// same pixels and draws as, on every path (SHOWFORGE_SIMD=portable, SHOWFORGE_THREADS=1).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/random.h"
#include "platform/scratch.h"

namespace sf::effects {

class TSprinkler {
 public:
  TSprinkler(int32_t w, int32_t h, const TFastPaths& paths = TFastPaths::Process());
  ~TSprinkler();  // waits for a walk under way
  TSprinkler(const TSprinkler&) = delete;
  TSprinkler& operator=(const TSprinkler&) = delete;

  // The pixels of the tick at pos and sub, drawn from `random`, which is left after the last
  // draw: in the returned plane (stride bytes a row) they hold key, no other byte does. No plane
  // (and no draw) where the memory for one was not there.
  struct TMarks {
    const uint8_t* plane;
    size_t stride;
    uint8_t key;
  };
  TMarks Walk(TRandom& random, int32_t pos, int32_t sub);

  // The tick at pos and sub on a w x h picture as it is written: column bands from pos, rows
  // from sub, each pixel's column offset drawn before the row advance, the band's advance after
  // the band; mark(x, y) for each pixel taken inside the picture.
  template <class TMark>
  static void WalkPlain(TRandom& random, int32_t w, int32_t h, int32_t pos, int32_t sub, TMark&& mark) {
    for (int32_t x = pos; x < w; x += random.Random(6))
      for (int32_t y = sub; y < h; y += random.Random(6)) {
        const int32_t o = x + random.Random(6);
        if (o < w) mark(o, y);
      }
  }
  // Whether the walk ahead runs on another core.
  bool WalksAhead() const { return helper_.joinable(); }

 private:
  struct TJob {
    int32_t pos = -1, sub = -1;
    uint32_t seed = 0, seedAfter = 0;
    uint8_t key = 0;
    int plane = 0;
  };
  // Walks job into its plane with the given chunk of draws; sets its seedAfter.
  void Run(TJob& job, std::vector<uint8_t>& draws);
  uint8_t NextKey(int plane);
  void Helper();

  const int32_t w_, h_;
  const size_t stride_;
  const TVectorUnit vectors_;
  TScratch planes_[2];
  std::vector<uint8_t> draws_[2];  // this thread's and the helper's
  uint8_t keys_[2] = {0, 0};                    // the last number given to a walk into each plane

  // The walk ahead, on the helper thread (none where the machine has one core).
  std::thread helper_;
  std::mutex mutex_;
  std::condition_variable changed_;
  TJob ahead_;
  bool posted_ = false, busy_ = false, quit_ = false;
};

}  // namespace sf::effects
