#include "platform/scratch.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sf {

TScratch::TScratch(size_t bytes) {
  if (bytes == 0) return;
#if defined(__linux__)
  // A mapping rounded up to whole large pages and aligned to one, so that every part of it can
  // be a large page; an anonymous mapping reads as zeros. Under half a large page the heap
  // serves: a mapping of its own would cost more than the faults it saves.
  constexpr size_t kLarge = size_t(2) << 20;
  if (bytes < kLarge / 2) {
    data_ = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (data_ != nullptr) size_ = bytes;
    return;
  }
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

namespace {

// The mapping of the last large bitmap freed, for the next one of about its size.
struct TSpareMapping {
  std::mutex lock;
  TScratch memory;
};

TSpareMapping& Spare() {
  static TSpareMapping* spare = new TSpareMapping;  // outlives every bitmap, also at exit
  return *spare;
}

// At most this much is kept back.
constexpr size_t kMaxSpare = size_t(64) << 20;

void ReleaseLargeBitmap(void* info) {
  auto* memory = static_cast<TScratch*>(info);
  if (memory->capacity() <= kMaxSpare) {
    TSpareMapping& spare = Spare();
    const std::lock_guard<std::mutex> hold(spare.lock);
    if (memory->capacity() >= spare.memory.capacity()) std::swap(spare.memory, *memory);
  }
  delete memory;
}

}  // namespace

QImage NewLargeBitmap(int width, int height, QImage::Format format) {
  if (width <= 0 || height <= 0 || format == QImage::Format_Invalid) return QImage(width, height, format);
  const size_t bits = size_t(QImage::toPixelFormat(format).bitsPerPixel());
  const size_t bytesPerLine = (size_t(width) * bits + 31) / 32 * 4;  // QImage's own rows
  const size_t bytes = bytesPerLine * size_t(height);
  if (bytes < (size_t(1) << 20) || bytesPerLine > size_t(INT32_MAX)) return QImage(width, height, format);
  auto* memory = new TScratch;
  {
    // The spare mapping serves when it is large enough and not more than twice too large.
    TSpareMapping& spare = Spare();
    const std::lock_guard<std::mutex> hold(spare.lock);
    if (spare.memory.capacity() >= bytes && spare.memory.capacity() / 2 <= bytes) std::swap(*memory, spare.memory);
  }
  if (memory->data() == nullptr) *memory = TScratch(bytes);
  if (memory->data() == nullptr) {
    delete memory;
    return QImage();
  }
  return QImage(memory->data(), width, height, qsizetype(bytesPerLine), format, ReleaseLargeBitmap, memory);
}

void TPageToucher::Begin(uint8_t* data, size_t bytes) {
  Wait();
  if (data == nullptr || bytes == 0) return;
  thread_ = std::thread([data, bytes] {
    constexpr size_t kPage = 4096;
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // The kernel first maps every page for writing in one call (kernels before 5.14 refuse it),
    // leaving the bytes as they are; the first touch of each page that follows then costs no
    // fault of this kernel's. Under a hypervisor that maps a page for the processor only at its
    // first touch, that touch still costs some microseconds, so the pages are touched all the
    // same: the first paint would otherwise take those 2,000 touches of a screen (15 ms here).
    // Both together cost half of what touching alone costs (20 against 39 ms of processor time
    // for the 8 MB of a screen's shared memory here).
    const uintptr_t from = reinterpret_cast<uintptr_t>(data) & ~uintptr_t(kPage - 1);
    madvise(reinterpret_cast<void*>(from), reinterpret_cast<uintptr_t>(data) + bytes - from, MADV_POPULATE_WRITE);
#endif
    // An atomic or with 0: the page is written, so that it is mapped for writing, and its bytes
    // stay what they are.
    const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + 3) & ~uintptr_t(3);
    const uintptr_t end = reinterpret_cast<uintptr_t>(data) + bytes;
    for (uintptr_t at = first; at + 4 <= end; at = (at + kPage) & ~uintptr_t(kPage - 1))
      __atomic_fetch_or(reinterpret_cast<uint32_t*>(at), 0u, __ATOMIC_RELAXED);
  });
}

void TPageToucher::Wait() {
  if (thread_.joinable()) thread_.join();
}

void AssignBitmap(QImage& into, const QImage& from) {
  if (from.isNull()) {
    into = QImage();
    return;
  }
  if (into.size() != from.size() || into.format() != from.format() || !into.isDetached() || into.isNull()) {
    QImage fresh = NewLargeBitmap(from.width(), from.height(), from.format());
    if (fresh.isNull()) {
      into = from.copy();
      return;
    }
    fresh.setColorTable(from.colorTable());
    into = fresh;
  }
  const size_t row = std::min(size_t(into.bytesPerLine()), size_t(from.bytesPerLine()));
  for (int y = 0; y < from.height(); ++y) std::memcpy(into.scanLine(y), from.constScanLine(y), row);
  into.setDevicePixelRatio(from.devicePixelRatio());
}

}  // namespace sf
