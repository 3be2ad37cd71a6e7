// Zeroed scratch memory of megabytes that lives for one transition or one picture's decoding.
//
// A fresh mapping in 4 KB pages takes a page fault at the first touch of every page, which on
// some machines costs ten microseconds each: several milliseconds for a plane the size of a
// screen. Where the system has large pages (2 MB) the buffer asks for them, one fault each.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace sf {

class TScratch {
 public:
  TScratch() = default;
  explicit TScratch(size_t bytes);  // all 0; empty when the memory is not there
  ~TScratch();
  TScratch(TScratch&& other) noexcept;
  TScratch& operator=(TScratch&& other) noexcept;
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  // The bytes that may be used: the whole mapping.
  size_t capacity() const { return mapped_ > 0 ? mapped_ : size_; }

 private:
  void Release();
  uint8_t* data_ = nullptr;
  size_t size_ = 0, mapped_ = 0;  // mapped_: the length of the mapping, 0 for calloc's memory
};

// A bitmap whose pixels lie in a TScratch mapping, in large pages where the system has them:
// the first touch of a screen-sized bitmap costs a few faults instead of thousands. For the
// bitmaps of a screen and of whole pictures; one under a megabyte is an ordinary bitmap. Rows
// as QImage lays them out; the pixels are undefined. Null when the memory is not there. The
// memory of the last such bitmap freed is kept for the next one of about its size, as the heap
// would keep it: pictures of one show come and go at one size.
QImage NewLargeBitmap(int width, int height, QImage::Format format);

// `into` becomes a copy of `from`: in its own pixels when it has the same size and format and
// shares them with no other bitmap, else in a new large bitmap. A screen-sized copy that would
// fault in thousands of fresh small pages at every slide reuses what is there.
void AssignBitmap(QImage& into, const QImage& from);

// Touches every page of memory that is about to be written as a whole (a window's backing
// store before its first paint), on a thread of its own, leaving its bytes as they are: the
// page faults of its first use are taken on another core while this one works. The memory must
// stay mapped until Wait has returned.
class TPageToucher {
 public:
  TPageToucher() = default;
  ~TPageToucher() { Wait(); }
  TPageToucher(const TPageToucher&) = delete;
  TPageToucher& operator=(const TPageToucher&) = delete;

  // Waits for a touching under way, then begins one over [data, data + bytes).
  void Begin(uint8_t* data, size_t bytes);
  void Wait();

 private:
  std::thread thread_;
};

}  // namespace sf
