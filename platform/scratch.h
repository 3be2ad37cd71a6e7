// Zeroed scratch memory of megabytes that lives for one transition.
//
// A fresh mapping in 4 KB pages takes a page fault at the first touch of every page, which on
// some machines costs ten microseconds each: several milliseconds for a plane the size of a
// screen. Where the system has large pages (2 MB) the buffer asks for them, one fault each.
#pragma once

#include <cstddef>
#include <cstdint>

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

 private:
  void Release();
  uint8_t* data_ = nullptr;
  size_t size_ = 0, mapped_ = 0;  // mapped_: the length of the mapping, 0 for calloc's memory
};

}  // namespace sf
