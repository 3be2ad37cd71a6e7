#include "platform/scratch.h"

#include <cstdlib>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sf {

TScratch::TScratch(size_t bytes) {
  if (bytes == 0) return;
#if defined(__linux__)
  // A mapping rounded up to whole large pages and aligned to one, so that every part of it can
  // be a large page; an anonymous mapping reads as zeros.
  constexpr size_t kLarge = size_t(2) << 20;
  const size_t length = (bytes + kLarge - 1) / kLarge * kLarge;
  void* p = mmap(nullptr, length + kLarge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p != MAP_FAILED) {
    auto* base = static_cast<uint8_t*>(p);
    const size_t skip = (kLarge - reinterpret_cast<uintptr_t>(base) % kLarge) % kLarge;
    if (skip > 0) munmap(base, skip);
    munmap(base + skip + length, kLarge - skip);
    data_ = base + skip, size_ = bytes, mapped_ = length;
    madvise(data_, length, MADV_HUGEPAGE);  // a hint: without it the small pages serve
    return;
  }
#endif
  data_ = static_cast<uint8_t*>(std::calloc(bytes, 1));
  if (data_ != nullptr) size_ = bytes;
}

TScratch::~TScratch() { Release(); }

TScratch::TScratch(TScratch&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

TScratch& TScratch::operator=(TScratch&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

void TScratch::Release() {
#if defined(__linux__)
  if (mapped_ > 0) {
    munmap(data_, mapped_);
    data_ = nullptr, size_ = mapped_ = 0;
    return;
  }
#endif
  std::free(data_);
  data_ = nullptr, size_ = 0;
}

}  // namespace sf
