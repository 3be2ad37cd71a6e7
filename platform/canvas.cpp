#include "platform/canvas.h"

#include <QFontMetrics>
#include <algorithm>
#include <QPainter>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sf {

void TCanvas::FillRect(const QRect& r, TColor color) {
  const QRect clipped = r.intersected(bitmap_.rect());
  if (clipped.isEmpty()) return;
  Touch(clipped);
  if (bitmap_.format() == QImage::Format_RGB32 || bitmap_.format() == QImage::Format_ARGB32) {
    const QRgb px = ToQRgb(color);
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(bitmap_.scanLine(y));
      std::fill(line + clipped.left(), line + clipped.left() + clipped.width(), px);
    }
    return;
  }
  QPainter p(&bitmap_);
  p.fillRect(clipped, ToQColor(color));
}

void TCanvas::Ellipse(const QRect& r, TColor color) {
  if (r.width() < 1 || r.height() < 1) return;
  Touch(r);
  QPainter p(&bitmap_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(ToQColor(color));
  p.setBrush(ToQColor(color));
  // QPainter's outline covers one pixel more than its rectangle; the system's stays inside.
  p.drawEllipse(QRect(r.x(), r.y(), r.width() - 1, r.height() - 1));
}

void TCanvas::TextOut(int x, int y, const QString& text, const QFont& font, TColor color) {
  if (text.isEmpty()) return;
  const QFontMetrics metrics(font);
  Touch(QRect(QPoint(x, y), TextExtent(text, font)));
  QPainter p(&bitmap_);
  if (clipped_) p.setClipRegion(clip_);
  p.setFont(font);
  p.setPen(ToQColor(color));
  p.drawText(QPoint(x, y + metrics.ascent()), text);
}

QSize TCanvas::TextExtent(const QString& text, const QFont& font) {
  const QFontMetrics metrics(font);
  return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void BitBlt(QImage& target, const QRect& dst, const QImage& source, QPoint srcOrigin, TRasterOp op) {
  const QRect vis = dst.intersected(target.rect());
  if (vis.isEmpty()) return;
  const bool fast = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
  const QImage src = op == TRasterOp::DSTINVERT || fast ? source : source.convertToFormat(QImage::Format_RGB32);
  for (int y = vis.top(); y <= vis.bottom(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
    const int sy = srcOrigin.y() + (y - dst.y());
    const bool rowIn = sy >= 0 && sy < src.height();
    const QRgb* in = rowIn && op != TRasterOp::DSTINVERT ? reinterpret_cast<const QRgb*>(src.constScanLine(sy)) : nullptr;
    for (int x = vis.left(); x <= vis.right(); ++x) {
      const int sx = srcOrigin.x() + (x - dst.x());
      const QRgb s = in && sx >= 0 && sx < src.width() ? in[sx] & 0xFFFFFF : 0;
      QRgb& d = out[x];
      switch (op) {
        case TRasterOp::SRCCOPY: d = s; break;
        case TRasterOp::SRCAND: d &= s; break;
        case TRasterOp::DSTINVERT: d = ~d; break;
        case TRasterOp::SRCINVERT: d ^= s; break;
      }
      d |= 0xFF000000u;
    }
  }
}

void TCanvas::SelectClipRgn(const QRegion& region) {
  clip_ = region;
  clipped_ = true;
}

void TCanvas::ClearClip() {
  clip_ = QRegion();
  clipped_ = false;
}

QRect TCanvas::TakeDirty() {
  QRect d = dirty_;
  dirty_ = QRect();
  return d;
}

void TCanvas::Blit(int dx, int dy, const QImage& source, const QRect& src) {
  if (&source == &bitmap_) {  // a copy within the bitmap reads a copy of its source
    const QImage part = source.copy(src);
    Blit(dx, dy, part, part.rect());
    return;
  }
  // src lies inside source; clip the destination to the target.
  QRect dst(dx, dy, src.width(), src.height());
  const QRect vis = dst.intersected(bitmap_.rect());
  if (vis.isEmpty()) return;
  const int sx = src.x() + (vis.x() - dx), sy = src.y() + (vis.y() - dy);
  Touch(vis);
  if (source.format() == bitmap_.format() && source.depth() >= 8) {
    const int bpp = source.depth() / 8;
    const size_t bytes = size_t(vis.width()) * size_t(bpp);
    for (int y = 0; y < vis.height(); ++y)
      std::memcpy(bitmap_.scanLine(vis.y() + y) + vis.x() * bpp, source.constScanLine(sy + y) + sx * bpp, bytes);
    return;
  }
  QPainter p(&bitmap_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(vis.topLeft(), source, QRect(sx, sy, vis.width(), vis.height()));
}

void TCanvas::BlitClipped(int dx, int dy, const QImage& source, const QRect& src) {
  if (!clipped_) {
    Blit(dx, dy, source, src);
    return;
  }
  const QRegion part = clip_.intersected(QRect(dx, dy, src.width(), src.height()).intersected(bitmap_.rect()));
  if (part.isEmpty()) return;
  if (&source != &bitmap_ && source.format() == bitmap_.format() && source.depth() == 32) {
    // The rows of each rectangle straight from the source: a region of a thousand rows is a
    // thousand small copies, and nothing else should cost per rectangle.
    const qsizetype dstStride = bitmap_.bytesPerLine() / 4, srcStride = source.bytesPerLine() / 4;
    auto* dst = reinterpret_cast<QRgb*>(bitmap_.bits());
    const auto* from = reinterpret_cast<const QRgb*>(source.constBits());
    for (const QRect& r : part) {
      const size_t bytes = size_t(r.width()) * 4;
      for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(dst + y * dstStride + r.x(), from + (src.y() + y - dy) * srcStride + src.x() + r.x() - dx, bytes);
    }
    Touch(part.boundingRect());
    return;
  }
  for (const QRect& r : part)
    Blit(r.x(), r.y(), source, QRect(src.x() + r.x() - dx, src.y() + r.y() - dy, r.width(), r.height()));
}

void TCanvas::CopyRect(const QRect& dst, const QImage& source, const QRect& src) {
  if (dst.isEmpty() || src.isEmpty()) return;
  if (dst.size() == src.size()) {
    const QRect inside = src.intersected(source.rect());
    if (inside.isEmpty()) return;
    BlitClipped(dst.x() + inside.x() - src.x(), dst.y() + inside.y() - src.y(), source, inside);
    return;
  }
  // A stretched copy: each target pixel takes the source pixel at the same proportion.
  const QRect inside = src.intersected(source.rect());
  if (inside.isEmpty()) return;
  const QRect vis = dst.intersected(bitmap_.rect());
  if (vis.isEmpty()) return;
  if (clipped_ || source.format() != bitmap_.format() || source.depth() != 32) {
    QImage scaled = source.copy(inside).scaled(dst.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(bitmap_.format());
    BlitClipped(dst.x(), dst.y(), scaled, scaled.rect());
    return;
  }
  Touch(vis);
  const int w = vis.width();
  const bool sameWidth = dst.width() == inside.width();  // rows are copied whole
  std::vector<int> columns(sameWidth ? 0 : size_t(w));
  for (int x = 0; x < int(columns.size()); ++x)
    columns[size_t(x)] = inside.x() + int(int64_t(vis.x() + x - dst.x()) * inside.width() / dst.width());
  const int* __restrict cols = columns.data();
  int previous = -1;
  for (int y = 0; y < vis.height(); ++y) {
    const int sy = inside.y() + int(int64_t(vis.y() + y - dst.y()) * inside.height() / dst.height());
    auto* __restrict d = reinterpret_cast<QRgb*>(bitmap_.scanLine(vis.y() + y)) + vis.x();
    if (sy == previous) {  // an enlarged row repeats the one above it
      std::memcpy(d, reinterpret_cast<const QRgb*>(bitmap_.constScanLine(vis.y() + y - 1)) + vis.x(), size_t(w) * 4);
      continue;
    }
    previous = sy;
    const auto* __restrict s = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
    if (sameWidth) {
      std::memcpy(d, s + inside.x() + (vis.x() - dst.x()), size_t(w) * 4);
      continue;
    }
    int x = 0;
    for (; x + 4 <= w; x += 4) {
      const QRgb p0 = s[cols[x]], p1 = s[cols[x + 1]], p2 = s[cols[x + 2]], p3 = s[cols[x + 3]];
      d[x] = p0, d[x + 1] = p1, d[x + 2] = p2, d[x + 3] = p3;
    }
    for (; x < w; ++x) d[x] = s[cols[x]];
  }
}

void TCanvas::Draw(int x, int y, const QImage& source) { BlitClipped(x, y, source, source.rect()); }

void TCanvas::StretchDraw(const QRect& dst, const QImage& source) { CopyRect(dst, source, source.rect()); }

}  // namespace sf

namespace sf {

void TCanvas::CopyRowSpans(const QImage& source, int dx, int dy, const std::vector<TRowSpan>& spans) {
  const bool fast = source.format() == bitmap_.format() && source.depth() == 32 && &source != &bitmap_;
  const QRect bounds = source.rect().intersected(bitmap_.rect().translated(-dx, -dy));
  if (bounds.isEmpty()) return;
  int minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
  for (const TRowSpan& s : spans) {
    if (s.y < bounds.top() || s.y > bounds.bottom()) continue;
    const int x0 = std::max(s.x0, bounds.left()), x1 = std::min(s.x1, bounds.left() + bounds.width());
    if (x0 >= x1) continue;
    if (!fast) {
      Blit(x0 + dx, s.y + dy, source, QRect(x0, s.y, x1 - x0, 1));
      continue;
    }
    std::memcpy(reinterpret_cast<QRgb*>(bitmap_.scanLine(s.y + dy)) + x0 + dx,
                reinterpret_cast<const QRgb*>(source.constScanLine(s.y)) + x0, size_t(x1 - x0) * 4);
    minX = std::min(minX, x0), maxX = std::max(maxX, x1), minY = std::min(minY, s.y), maxY = std::max(maxY, s.y);
  }
  if (minX < maxX) Touch(QRect(minX + dx, minY + dy, maxX - minX, maxY - minY + 1));
}

void TCanvas::CopyColumnRanges(const QImage& source, int dx, int dy, int x0, const std::vector<int32_t>& top,
                               const std::vector<int32_t>& bottom) {
  const QRect bounds = source.rect().intersected(bitmap_.rect().translated(-dx, -dy));
  const int count = int(std::min(top.size(), bottom.size()));
  if (bounds.isEmpty() || count == 0) return;
  const int cx0 = std::max(x0, bounds.left()), cx1 = std::min(x0 + count, bounds.left() + bounds.width());
  const int bt = bounds.top(), bb = bounds.top() + bounds.height();
  const bool fast = source.format() == bitmap_.format() && source.depth() == 32 && &source != &bitmap_;
  // Neighbouring columns with the same rows make one rectangle; the narrow rest is copied
  // column by column.
  std::vector<int> narrow;
  int y0 = INT32_MAX, y1 = INT32_MIN;
  for (int x = cx0; x < cx1;) {
    const int t = std::max(top[size_t(x - x0)], bt), b = std::min(bottom[size_t(x - x0)], bb);
    int end = x + 1;
    while (end < cx1 && top[size_t(end - x0)] == top[size_t(x - x0)] && bottom[size_t(end - x0)] == bottom[size_t(x - x0)])
      ++end;
    if (t < b) {
      if (end - x >= 4 || !fast) {
        Blit(x + dx, t + dy, source, QRect(x, t, end - x, b - t));
      } else {
        for (int k = x; k < end; ++k) narrow.push_back(k);
        y0 = std::min(y0, t), y1 = std::max(y1, b);
      }
    }
    x = end;
  }
  if (narrow.empty()) return;
  // Down each narrow column: the rows a column copies are ragged from column to column, and a
  // test a pixel would guess wrong on every other column; neighbouring columns share their
  // memory lines, which stay in the cache from one column to the next.
  int minX = INT32_MAX, maxX = INT32_MIN;
  const qsizetype sStride = source.bytesPerLine() / 4, dStride = bitmap_.bytesPerLine() / 4;
  const auto* s0 = reinterpret_cast<const QRgb*>(source.constBits());
  auto* d0 = reinterpret_cast<QRgb*>(bitmap_.bits());
  for (int x : narrow) {
    const int t = std::max(top[size_t(x - x0)], bt), b = std::min(bottom[size_t(x - x0)], bb);
    const QRgb* s = s0 + qsizetype(t) * sStride + x;
    QRgb* d = d0 + qsizetype(t + dy) * dStride + x + dx;
    for (int y = t; y < b; ++y, s += sStride, d += dStride) *d = *s;
    minX = std::min(minX, x), maxX = std::max(maxX, x + 1);
  }
  Touch(QRect(minX + dx, y0 + dy, maxX - minX, y1 - y0));
}

void TCanvas::CopyColumns(const QImage& source, const std::vector<TColumnMove>& moves, int top, int bottom, int dy) {
  top = std::max({top, 0, -dy});
  bottom = std::min({bottom, source.height(), bitmap_.height() - dy});
  if (top >= bottom || moves.empty()) return;
  std::vector<TColumnMove> inside;
  inside.reserve(moves.size());
  int minX = INT32_MAX, maxX = INT32_MIN;
  for (const TColumnMove& m : moves)
    if (m.from >= 0 && m.from < source.width() && m.to >= 0 && m.to < bitmap_.width()) {
      inside.push_back(m);
      minX = std::min(minX, m.to), maxX = std::max(maxX, m.to);
    }
  if (inside.empty()) return;
  if (source.format() != bitmap_.format() || source.depth() != 32 || &source == &bitmap_) {
    for (const TColumnMove& m : inside) Blit(m.to, top + dy, source, QRect(m.from, top, 1, bottom - top));
    return;
  }
  Touch(QRect(minX, top + dy, maxX - minX + 1, bottom - top));
  for (int y = top; y < bottom; ++y) {
    const auto* __restrict s = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    auto* __restrict d = reinterpret_cast<QRgb*>(bitmap_.scanLine(y + dy));
    for (const TColumnMove& m : inside) d[m.to] = s[m.from];
  }
}

void TCanvas::CopyColumnRuns(const QImage& source, const std::vector<TColumnRun>& runs, int top, int bottom, int dy) {
  top = std::max({top, 0, -dy});
  bottom = std::min({bottom, source.height(), bitmap_.height() - dy});
  if (top >= bottom) return;
  // Each run held to the columns both pictures have: its first and last step inside.
  std::vector<TColumnRun> inside;
  int minX = INT32_MAX, maxX = INT32_MIN;
  for (TColumnRun r : runs) {
    if (r.step < 1 || r.count <= 0) continue;
    auto firstInside = [&](int32_t start) { return start >= 0 ? 0 : (-start + r.step - 1) / r.step; };
    auto lastInside = [&](int32_t start, int size) { return start >= size ? -1 : (size - 1 - start) / r.step; };
    const int32_t k0 = std::max(firstInside(r.from), firstInside(r.to));
    const int32_t k1 = std::min({lastInside(r.from, source.width()), lastInside(r.to, bitmap_.width()), r.count - 1});
    if (k0 > k1) continue;
    inside.push_back({r.from + k0 * r.step, r.to + k0 * r.step, k1 - k0 + 1, r.step});
    minX = std::min(minX, r.to + k0 * r.step), maxX = std::max(maxX, r.to + k1 * r.step);
  }
  if (inside.empty()) return;
  if (source.format() != bitmap_.format() || source.depth() != 32 || &source == &bitmap_) {
    std::vector<TColumnMove> moves;
    for (const TColumnRun& r : inside)
      for (int32_t k = 0; k < r.count; ++k) moves.push_back({r.from + k * r.step, r.to + k * r.step});
    CopyColumns(source, moves, top, bottom, dy);
    return;
  }
  Touch(QRect(minX, top + dy, maxX - minX + 1, bottom - top));
  // Two runs of every other column that interleave (as the halves of an interlaced slide do)
  // fill the columns where both run with no pixel kept: there each row is written from the two
  // sources without being read. The runs keep what lies outside that stretch.
  struct TInterleave {
    int32_t lo = 0, hi = -1;  // the target columns both runs cover, every one of them
    int32_t offsetA = 0, offsetB = 0, parityA = 0;  // source column = target column + offset
  } both;
  if (inside.size() == 2 && inside[0].step == 2 && inside[1].step == 2 && ((inside[0].to ^ inside[1].to) & 1)) {
    const TColumnRun a = inside[0], b = inside[1];
    const int32_t lastA = a.to + 2 * (a.count - 1), lastB = b.to + 2 * (b.count - 1);
    both.lo = std::max(a.to, b.to);
    both.hi = std::min(lastA, lastB);
    if (both.lo < both.hi) {
      both.offsetA = a.from - a.to, both.offsetB = b.from - b.to, both.parityA = a.to & 1;
      inside.clear();
      // What each run covers before and after the shared stretch.
      for (const TColumnRun& r : {a, b}) {
        const int32_t last = r.to + 2 * (r.count - 1);
        if (r.to < both.lo) inside.push_back({r.from, r.to, (std::min(last, both.lo - 1) - r.to) / 2 + 1, 2});
        if (last > both.hi) {
          const int32_t first = both.hi + 1 + ((both.hi + 1 - r.to) & 1);
          if (first <= last) inside.push_back({r.from + (first - r.to), first, (last - first) / 2 + 1, 2});
        }
      }
    } else {
      both.hi = -1;
    }
  }
  const qsizetype srcStride = source.bytesPerLine() / 4, dstStride = bitmap_.bytesPerLine() / 4;
  const auto* src = reinterpret_cast<const QRgb*>(source.constBits());
  auto* dst = reinterpret_cast<QRgb*>(bitmap_.bits());
  for (int y = top; y < bottom; ++y) {
    const QRgb* __restrict s = src + y * srcStride;
    QRgb* __restrict d = dst + (y + dy) * dstStride;
    if (both.lo <= both.hi) {
      const QRgb* fromA = s + both.offsetA;
      const QRgb* fromB = s + both.offsetB;
      int32_t c = both.lo;
#if defined(__SSE2__)
      const bool aFirst = ((c & 1) == both.parityA);
      const __m128i takeA = aFirst ? _mm_set_epi32(0, -1, 0, -1) : _mm_set_epi32(-1, 0, -1, 0);
      for (; c + 3 <= both.hi; c += 4) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fromA + c));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fromB + c));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + c), _mm_or_si128(_mm_and_si128(va, takeA), _mm_andnot_si128(takeA, vb)));
      }
#endif
      for (; c <= both.hi; ++c) d[c] = ((c & 1) == both.parityA ? fromA : fromB)[c];
    }
    for (const TColumnRun& r : inside) {
      const QRgb* __restrict from = s + r.from;
      QRgb* __restrict to = d + r.to;
      if (r.step == 1) {
        std::memcpy(to, from, size_t(r.count) * 4);
        continue;
      }
#if defined(__SSE2__)
      if (r.step == 2) {
        // Every other column: four pixels at a time, the first and third from the source and
        // the second and fourth kept.
        const __m128i take = _mm_set_epi32(0, -1, 0, -1);
        const int32_t span = 2 * r.count - 1;  // the pixels from the first column to the last
        int32_t i = 0;
        for (; i + 4 <= span; i += 4) {
          const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
          const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_or_si128(_mm_and_si128(f, take), _mm_andnot_si128(take, d)));
        }
        for (; i < span; i += 2) to[i] = from[i];
        continue;
      }
#endif
      for (int32_t k = 0; k < r.count; ++k) to[k * r.step] = from[k * r.step];
    }
  }
}

void TCanvas::CopyMarked(const QImage& source, int dx, int dy, const uint8_t* marks, qsizetype markStride, uint8_t key) {
  const QRect bounds = source.rect().intersected(bitmap_.rect().translated(-dx, -dy));
  if (bounds.isEmpty()) return;
  if (bitmap_.depth() != 32) {  // pixel by pixel, converted as any copy
    for (int y = bounds.top(); y <= bounds.bottom(); ++y)
      for (int x = bounds.left(); x <= bounds.right(); ++x)
        if (marks[y * markStride + x] == key) Blit(x + dx, y + dy, source, QRect(x, y, 1, 1));
    return;
  }
  if (&source == &bitmap_ || source.format() != bitmap_.format()) {
    // A copy that shares the bitmap's pixels keeps them as they were when the bitmap changes.
    CopyMarked(source.convertToFormat(bitmap_.format()), dx, dy, marks, markStride, key);
    return;
  }
  const qsizetype dstStride = bitmap_.bytesPerLine() / 4, srcStride = source.bytesPerLine() / 4;
  auto* dst = reinterpret_cast<QRgb*>(bitmap_.bits()) + (bounds.y() + dy) * dstStride + bounds.x() + dx;
  const auto* src = reinterpret_cast<const QRgb*>(source.constBits()) + bounds.y() * srcStride + bounds.x();
  const uint8_t* mark = marks + bounds.y() * markStride + bounds.x();
  bool copied = false;
  for (int y = 0; y < bounds.height(); ++y, dst += dstStride, src += srcStride, mark += markStride)
    copied |= CopyMarkedRow(dst, src, mark, size_t(bounds.width()), key);
  if (copied) Touch(bounds.translated(dx, dy));
}

bool CopyMarkedRowPortable(QRgb* dst, const QRgb* src, const uint8_t* marks, size_t n, uint8_t key) {
  uint32_t any = 0;
  for (size_t i = 0; i < n; ++i) {  // without a branch that a sprinkle would mispredict
    const uint32_t take = 0u - uint32_t(marks[i] == key);
    dst[i] = (src[i] & take) | (dst[i] & ~take);
    any |= take;
  }
  return any != 0;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
namespace {
// Sixteen pixels at a time, from where the target's row reaches a 32-byte boundary, so that no
// access straddles two memory lines: the marks widened to whole pixels choose between the two.
__attribute__((target("avx2"))) bool CopyMarkedRowAvx2(QRgb* dst, const QRgb* src, const uint8_t* marks, size_t n,
                                                       uint8_t key) {
  const __m128i k = _mm_set1_epi8(char(key));
  __m128i any = _mm_setzero_si128();
  size_t i = std::min(n, size_t(-reinterpret_cast<uintptr_t>(dst) & 31) / sizeof(QRgb));
  const bool head = CopyMarkedRowPortable(dst, src, marks, i, key);
  for (; i + 16 <= n; i += 16) {
    const __m128i take = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(marks + i)), k);
    any = _mm_or_si128(any, take);
    auto* d = reinterpret_cast<__m256i*>(dst + i);
    const auto* s = reinterpret_cast<const __m256i*>(src + i);
    _mm256_store_si256(d, _mm256_blendv_epi8(_mm256_load_si256(d), _mm256_loadu_si256(s), _mm256_cvtepi8_epi32(take)));
    _mm256_store_si256(d + 1, _mm256_blendv_epi8(_mm256_load_si256(d + 1), _mm256_loadu_si256(s + 1),
                                                 _mm256_cvtepi8_epi32(_mm_unpackhi_epi64(take, take))));
  }
  const bool tail = CopyMarkedRowPortable(dst + i, src + i, marks + i, n - i, key);
  return head || tail || !_mm_testz_si128(any, any);
}
}  // namespace
#endif

bool CopyMarkedRow(QRgb* dst, const QRgb* src, const uint8_t* marks, size_t n, uint8_t key) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) return CopyMarkedRowAvx2(dst, src, marks, n, key);
#endif
  return CopyMarkedRowPortable(dst, src, marks, n, key);
}

}  // namespace sf
