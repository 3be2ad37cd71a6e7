#include "swf/raster.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sf::swf {
namespace {

// The largest flattening of one curve; a curve that would need more is larger than any screen.
constexpr int kMaxCurveSegments = 512;
// How far a flattened curve may stray from the true one, in device pixels.
constexpr double kFlatness = 0.1;

// x × a / 255 for the four bytes of x at once, rounded; a is 0 to 255.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t rb = (x & 0x00FF00FFu) * a + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((x >> 8) & 0x00FF00FFu) * a + 0x00800080u;
  ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return ag | rb;
}

#if defined(__SSE2__)
// x × a / 255 on 16-bit lanes, rounded as ByteMul.
inline __m128i MulLanes(__m128i x, __m128i a) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, a), _mm_set1_epi16(0x80));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Four pixels' bytes on 16-bit lanes, low two pixels and high two.
inline __m128i Low(__m128i px) { return _mm_unpacklo_epi8(px, _mm_setzero_si128()); }
inline __m128i High(__m128i px) { return _mm_unpackhi_epi8(px, _mm_setzero_si128()); }

// 255 less the alpha of each pixel, on all four lanes of the pixel.
inline __m128i Keep(__m128i lanes) {
  return _mm_sub_epi16(_mm_set1_epi16(255), _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, 0xFF), 0xFF));
}

// Four premultiplied pixels over four: s + d × (255 - alpha of s) / 255.
inline __m128i Over4(__m128i s, __m128i d) {
  const __m128i lo = Low(s), hi = High(s);
  return _mm_add_epi8(s, _mm_packus_epi16(MulLanes(Low(d), Keep(lo)), MulLanes(High(d), Keep(hi))));
}
#endif

// The sum of two premultiplied pixels, each channel held at 255.
inline uint32_t AddSaturated(uint32_t a, uint32_t b) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min<uint32_t>(((a >> shift) & 0xFF) + ((b >> shift) & 0xFF), 255) << shift;
  return out;
}

// Between two pixels by f / 256 of the way (f 0 to 255).
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t g = 256 - f;
  const uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
  const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
  return ag | rb;
}

inline uint32_t Premultiply(int r, int g, int b, int a) {
  return uint32_t(a) << 24 | uint32_t((r * a + 127) / 255) << 16 | uint32_t((g * a + 127) / 255) << 8 |
         uint32_t((b * a + 127) / 255);
}

inline uint32_t Premultiplied(const QColor& c) { return Premultiply(c.red(), c.green(), c.blue(), c.alpha()); }

}  // namespace

// --- coverage ---

namespace {

// An edge so close to zero is no fill at all: float cells summed along a row leave such rests.
constexpr double kNoCoverage = 1e-4;

inline uint8_t Coverage(double v, bool evenOdd) {
  v = std::fabs(v);
  if (v > 1.0) {
    if (evenOdd) {
      v -= 2.0 * std::floor(v * 0.5);
      v = std::min(v, 2.0 - v);
    } else {
      v = 1.0;
    }
  }
  return uint8_t(int(v * 255.0 + 0.5));
}

// A row's coverage on its way to the sink: pixels that one fill alone covers gathered into runs,
// stretches of one coverage handed on as spans, pixels that fills share as they come.
class TRowOut {
 public:
  TRowOut(TCoverageSink& sink, int y, int left, uint8_t* coverage) : sink_(sink), y_(y), left_(left), coverage_(coverage) {}
  ~TRowOut() { Flush(); }

  // n pixels from x (of the area's row) that `fill` alone covers by c (0: nothing covers them).
  void Pixels(int x, int n, uint16_t fill, uint8_t c) {
    if (c == 0) return Flush();
    if (n >= kSpan) {
      Flush();
      sink_.Span(y_, left_ + x, n, fill, c);
      return;
    }
    if (fill_ != fill || end_ != x) Flush(), fill_ = fill, start_ = x;
    std::fill_n(coverage_ + x, n, c);
    end_ = x + n;
  }
  // n pixels from x with the same shares of several fills.
  void Shared(int x, int n, const TShare* shares, int count) {
    Flush();
    sink_.Mixed(y_, left_ + x, n, shares, count);
  }
  void Flush() {
    if (fill_ != 0) sink_.Run(y_, left_ + start_, end_ - start_, fill_, coverage_ + start_);
    fill_ = 0;
  }

 private:
  static constexpr int kSpan = 4;  // shorter stretches of one coverage stay in the run
  TCoverageSink& sink_;
  const int y_, left_;
  uint8_t* const coverage_;
  uint16_t fill_ = 0;
  int start_ = 0, end_ = 0;
};

}  // namespace

void TRasterizer::Begin(const QRect& area, uint16_t only) {
  area_ = area;
  w_ = std::max(0, area.width());
  h_ = std::max(0, area.height());
  only_ = size_t(h_) * size_t(w_ + 2) <= kMaxDense ? only : 0;
  if (only_) {
    if (dense_.size() < size_t(h_) * size_t(w_ + 2)) dense_.resize(size_t(h_) * size_t(w_ + 2), 0.0f);
    words_ = (w_ + 2 + 63) / 64;
    if (marks_.size() < size_t(h_) * size_t(words_)) marks_.resize(size_t(h_) * size_t(words_), 0);
    if (denseLo_.size() < size_t(h_)) denseLo_.resize(size_t(h_), INT32_MAX), denseHi_.resize(size_t(h_), -1);
  } else if (rows_.size() < size_t(h_)) {
    rows_.resize(size_t(h_));
  }
  if (coverage_.size() < size_t(w_)) coverage_.resize(size_t(w_));
  rowMin_ = INT32_MAX, rowMax_ = -1;
  cells_ = 0;
  overflowed_ = false;
  maxFill_ = 0;
}

void TRasterizer::Clear() {
  for (int r = rowMin_; r <= rowMax_; ++r) {
    if (!only_) {
      rows_[size_t(r)].clear();
      continue;
    }
    float* row = dense_.data() + size_t(r) * size_t(w_ + 2);
    for (int x = denseLo_[size_t(r)]; x <= denseHi_[size_t(r)]; ++x) row[x] = 0;
    std::fill_n(marks_.data() + size_t(r) * size_t(words_), words_, 0);
    denseLo_[size_t(r)] = INT32_MAX, denseHi_[size_t(r)] = -1;
  }
  rowMin_ = INT32_MAX, rowMax_ = -1;
  cells_ = 0;
}

inline void TRasterizer::Add(int r, int x, float area, float cover, uint16_t left, uint16_t right) {
  std::vector<TCell>& row = rows_[size_t(r)];
  // A flattened curve often steps within one pixel: its cells there become one.
  if (!row.empty()) {
    TCell& last = row.back();
    if (last.x == x && last.left == left && last.right == right) {
      last.area += area, last.cover += cover;
      return;
    }
  }
  row.push_back(TCell{x, area, cover, left, right});
}

void TRasterizer::AddLine(QPointF a, QPointF b, uint16_t left, uint16_t right) {
  if (left == right || overflowed_ || (only_ && left != only_ && right != only_)) return;
  double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  x0 -= area_.left(), x1 -= area_.left(), y0 -= area_.top(), y1 -= area_.top();
  if (y0 == y1 || (y0 <= 0 && y1 <= 0) || (y0 >= h_ && y1 >= h_)) return;
  maxFill_ = std::max({maxFill_, left, right});
  // Left of the area an edge still counts for every pixel of its rows; right of it, for none.
  // The parts outside are moved onto the area's sides, cut where the edge crosses them.
  const double w = w_;
  if (std::min(x0, x1) >= 0 && std::max(x0, x1) <= w) return Deposit(x0, y0, x1, y1, left, right);
  auto piece = [&](double ta, double tb) {
    const double xa = x0 + (x1 - x0) * ta, ya = y0 + (y1 - y0) * ta;
    const double xb = x0 + (x1 - x0) * tb, yb = y0 + (y1 - y0) * tb;
    Deposit(std::clamp(xa, 0.0, w), ya, std::clamp(xb, 0.0, w), yb, left, right);
  };
  double cuts[4] = {0, 0, 0, 1};
  int n = 1;
  if (x0 != x1) {
    for (double edge : {0.0, w}) {
      const double t = (edge - x0) / (x1 - x0);
      if (t > 0 && t < 1) cuts[n++] = t;
    }
    if (n == 3 && cuts[1] > cuts[2]) std::swap(cuts[1], cuts[2]);
  }
  cuts[n] = 1;
  for (int i = 0; i < n; ++i) piece(cuts[i], cuts[i + 1]);
}

void TRasterizer::Deposit(double x0, double y0, double x1, double y1, uint16_t left, uint16_t right) {
  double dir = 1;
  if (y0 > y1) std::swap(x0, x1), std::swap(y0, y1), dir = -1;
  const double top = std::max(y0, 0.0), bottom = std::min(y1, double(h_));
  if (top >= bottom) return;
  const double dxdy = (x1 - x0) / (y1 - y0);
  // The rows the edge passes, and a bound on the cells it leaves there.
  const int first = int(top), last = std::min(h_ - 1, int(bottom) - (bottom == int(bottom)));
  if (!only_) cells_ += size_t(last - first + 1) * 2 + size_t(std::fabs(x1 - x0)) + 1;
  if (cells_ > kMaxCells) {
    overflowed_ = true;
    return;
  }
  rowMin_ = std::min(rowMin_, first), rowMax_ = std::max(rowMax_, last);
  if (only_) Rows<true>(x0, y0, dxdy, top, bottom, first, last, right == only_ ? dir : -dir, left, right);
  else Rows<false>(x0, y0, dxdy, top, bottom, first, last, dir, left, right);
}

// The cells an edge leaves in its rows: summed in place (a pass of one fill) or kept.
template <bool kDense>
void TRasterizer::Rows(double x0, double y0, double dxdy, double top, double bottom, int first, int last, double dir,
                       uint16_t left, uint16_t right) {
  const size_t stride = size_t(w_ + 2);
  for (int r = first; r <= last; ++r) {
    const double ya = std::max(double(r), top), yb = std::min(double(r + 1), bottom);
    const double dy = yb - ya;
    if (dy <= 0) continue;
    const double xa = x0 + (ya - y0) * dxdy, xb = x0 + (yb - y0) * dxdy;
    const double d = dy * dir;
    // Rounding may carry a point a hair outside the sides the edge was moved within.
    const double lo = std::max(std::min(xa, xb), 0.0), hi = std::min(std::max(xa, xb), double(w_));
    const int i0 = int(lo), i1 = int(hi) + (hi > int(hi));  // both are not negative
    float* const row = kDense ? dense_.data() + size_t(r) * stride : nullptr;
    if (i1 <= i0 + 1) {
      // Within one pixel column: the part of the pixel right of the edge's middle, then all of
      // the pixels beyond. On the area's right side it covers nothing inside.
      if (i0 >= w_) continue;
      const double part = d * (double(i0 + 1) - 0.5 * (lo + hi));
      if constexpr (kDense) {
        row[i0] += float(part), row[i0 + 1] += float(d - part);
        Mark(r, i0, i0 + 1);
      } else {
        Add(r, i0, float(part), float(d), left, right);
      }
      continue;
    }
    // Across columns: the part of each column's area right of the edge, less the columns' before
    // it. The first column holds a triangle, the last all but one; each column between gains the
    // same, the edge's slope.
    auto put = [&](int x, double v) {
      if constexpr (kDense) row[x] += float(v);
      else if (x < w_) Add(r, x, float(v), float(v), left, right);
    };
    const double scale = d / (hi - lo), first = i0 + 1 - lo, past = i1 - hi;
    const double c0 = scale * 0.5 * first * first;                  // the first column's area
    const double cLast = scale * ((i1 - 0.5 - lo) - 0.5 * past * past);  // the last's, with all before
    put(i0, c0);
    if (i1 == i0 + 2) {
      put(i0 + 1, cLast - c0);
    } else {
      put(i0 + 1, scale * (first + 0.5) - c0);
      const float step = float(scale);
      if constexpr (kDense) {
        for (int x = i0 + 2; x < i1 - 1; ++x) row[x] += step;
      } else {
        for (int x = i0 + 2; x < i1 - 1; ++x) put(x, step);
      }
      put(i1 - 1, scale * (1 - 0.5 * past * past));
    }
    put(i1, d - cLast);
    if constexpr (kDense) Mark(r, i0, i1);
  }
}

inline void TRasterizer::Mark(int r, int from, int to) {
  uint64_t* bits = marks_.data() + size_t(r) * size_t(words_);
  for (int x = from; x <= to;) {  // a word's bits at a time
    const int end = std::min(to, x | 63);
    bits[x >> 6] |= (~uint64_t(0) >> (63 - (end - x))) << (x & 63);
    x = end + 1;
  }
  int& lo = denseLo_[size_t(r)];
  int& hi = denseHi_[size_t(r)];
  lo = std::min(lo, from), hi = std::max(hi, to);
}

void TRasterizer::AddQuad(QPointF a, QPointF c, QPointF b, uint16_t left, uint16_t right) {
  if (left == right || overflowed_) return;
  // A curve whose box lies above, below or right of the area, or wholly left of it, counts as its
  // chord there: only the rows it passes matter.
  const double top = std::min({a.y(), b.y(), c.y()}) - area_.top(), bottom = std::max({a.y(), b.y(), c.y()}) - area_.top();
  const double minX = std::min({a.x(), b.x(), c.x()}) - area_.left(), maxX = std::max({a.x(), b.x(), c.x()}) - area_.left();
  if (!(bottom > 0 && top < h_ && minX < w_ && maxX > 0)) return AddLine(a, b, left, right);
  // The chords stray from a quadratic by at most |a - 2c + b| / (4 n^2).
  const QPointF dd = a - 2 * c + b;
  const double want = std::ceil(std::sqrt(std::sqrt(dd.x() * dd.x() + dd.y() * dd.y()) / (4 * kFlatness)));
  const int n = std::isfinite(want) ? std::clamp(int(want), 1, kMaxCurveSegments) : 1;
  QPointF from = a;
  for (int k = 1; k < n; ++k) {
    const double t = double(k) / n, u = 1 - t;
    const QPointF at = u * u * a + 2 * u * t * c + t * t * b;
    AddLine(from, at, left, right);
    from = at;
  }
  AddLine(from, b, left, right);
}

void TRasterizer::AddPath(const QPainterPath& path, const QTransform& toDevice, uint16_t fill) {
  const int count = path.elementCount();
  const double m11 = toDevice.m11(), m12 = toDevice.m12(), m21 = toDevice.m21(), m22 = toDevice.m22();
  const double dx = toDevice.dx(), dy = toDevice.dy();
  auto at = [&](int i) {
    const QPainterPath::Element& e = path.elementAt(i);
    return QPointF(m11 * e.x + m21 * e.y + dx, m12 * e.x + m22 * e.y + dy);
  };
  QPointF first, last;
  bool open = false;
  for (int i = 0; i < count; ++i) {
    const QPainterPath::ElementType type = path.elementAt(i).type;
    const QPointF p = at(i);
    if (type == QPainterPath::MoveToElement) {
      if (open) AddLine(last, first, 0, fill);
      first = last = p;
      open = true;
    } else if (type == QPainterPath::LineToElement) {
      AddLine(last, p, 0, fill);
      last = p;
    } else if (type == QPainterPath::CurveToElement && i + 2 < count) {
      const QPointF c1 = p, c2 = at(i + 1), end = at(i + 2);
      i += 2;
      const double top = std::min({last.y(), c1.y(), c2.y(), end.y()}) - area_.top();
      const double bottom = std::max({last.y(), c1.y(), c2.y(), end.y()}) - area_.top();
      const double minX = std::min({last.x(), c1.x(), c2.x(), end.x()}) - area_.left();
      const double maxX = std::max({last.x(), c1.x(), c2.x(), end.x()}) - area_.left();
      int n = 1;
      if (bottom > 0 && top < h_ && minX < w_ && maxX > 0) {
        // A cubic: its second differences bound how far the chords stray.
        const QPointF d1 = last - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
        const double dd = std::sqrt(std::max(d1.x() * d1.x() + d1.y() * d1.y(), d2.x() * d2.x() + d2.y() * d2.y()));
        const double want = std::ceil(std::sqrt(0.75 * dd / kFlatness));
        n = std::isfinite(want) ? std::clamp(int(want), 1, kMaxCurveSegments) : 1;
      }
      QPointF from = last;
      for (int k = 1; k < n; ++k) {
        const double t = double(k) / n, u = 1 - t;
        const QPointF to = u * u * u * last + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * end;
        AddLine(from, to, 0, fill);
        from = to;
      }
      AddLine(from, end, 0, fill);
      last = end;
    }
  }
  if (open) AddLine(last, first, 0, fill);
}

void TRasterizer::Sweep(bool evenOdd, TCoverageSink& sink) {
  const size_t fills = size_t(maxFill_) + 1;
  if (sum_.size() < fills) {
    sum_.resize(fills, 0.0), pixel_.resize(fills, 0.0), mark_.resize(fills, 0), active_.resize(fills, 0);
    shares_.resize(2 * fills);  // those of a pixel, then those of the pixels after it
  }
  for (int r = rowMin_; r <= rowMax_; ++r) {
    if (only_) {
      SweepDense(r, evenOdd, sink);
      continue;
    }
    std::vector<TCell>& cells = rows_[size_t(r)];
    if (cells.empty()) continue;
    if (cells.size() <= 16) {  // most rows: the two or four edges of a shape
      for (size_t i = 1; i < cells.size(); ++i)
        for (size_t j = i; j > 0 && cells[j - 1].x > cells[j].x; --j) std::swap(cells[j - 1], cells[j]);
    } else {
      std::sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) { return a.x < b.x; });
    }
    SweepRow(r, evenOdd, sink);
    cells.clear();
  }
  rowMin_ = INT32_MAX, rowMax_ = -1;
  cells_ = 0;
  overflowed_ = false;
}

inline void TRasterizer::Touch(uint16_t fill, double area, double cover) {
  if (mark_[fill] != event_) {
    mark_[fill] = event_;
    pixel_[fill] = sum_[fill];
    if (!active_[fill]) active_[fill] = 1, actives_.push_back(fill);
  }
  pixel_[fill] += area;
  sum_[fill] += cover;
}

void TRasterizer::SweepDense(int r, bool evenOdd, TCoverageSink& sink) {
  int& lo = denseLo_[size_t(r)];
  int& hi = denseHi_[size_t(r)];
  if (lo > hi) return;
  float* const row = dense_.data() + size_t(r) * size_t(w_ + 2);
  const int last = std::min(hi, w_ - 1);
  TRowOut out(sink, area_.top() + r, area_.left(), coverage_.data());
  // From cell to cell by the marks of the columns that have one; between them the coverage holds.
  uint64_t* const marks = marks_.data() + size_t(r) * size_t(words_);
  double sum = 0;
  int at = lo;  // the first pixel not yet handed on
  for (int word = lo >> 6; word <= hi >> 6; ++word) {
    for (uint64_t m = marks[word]; m != 0; m &= m - 1) {
      const int x = word * 64 + std::countr_zero(m);
      if (x > last) break;  // beyond the area: cleared below
      if (x > at) out.Pixels(at, x - at, only_, Coverage(sum, evenOdd));
      sum += row[x];
      row[x] = 0;
      out.Pixels(x, 1, only_, Coverage(sum, evenOdd));
      at = x + 1;
    }
    marks[word] = 0;
  }
  if (at < w_) out.Pixels(at, w_ - at, only_, Coverage(sum, evenOdd));  // a fill past the area's right side
  for (int x = last + 1; x <= hi; ++x) row[x] = 0;  // beyond the area: cleared only
  lo = INT32_MAX, hi = -1;
}

void TRasterizer::SweepRow(int r, bool evenOdd, TCoverageSink& sink) {
  const std::vector<TCell>& cells = rows_[size_t(r)];
  TRowOut out(sink, area_.top() + r, area_.left(), coverage_.data());
  auto give = [&](int x, int n, const TShare* shares, int count) {
    if (count <= 1) out.Pixels(x, n, count ? shares[0].fill : 0, count ? shares[0].coverage : 0);
    else out.Shared(x, n, shares, count);
  };
  TShare* const pixelShares = shares_.data();
  TShare* const spanShares = shares_.data() + shares_.size() / 2;
  const size_t n = cells.size();
  for (size_t i = 0; i < n;) {
    const int x = cells[i].x;
    if (++event_ == 0) {  // the marks wrapped: none may look fresh
      std::fill(mark_.begin(), mark_.end(), 0u);
      event_ = 1;
    }
    for (; i < n && cells[i].x == x; ++i) {
      const TCell& c = cells[i];
      if (c.right) Touch(c.right, c.area, c.cover);
      if (c.left) Touch(c.left, -double(c.area), -double(c.cover));
    }
    // The pixel of the cells, then the pixels up to the next cells, which keep the sums.
    int inPixel = 0, inSpan = 0;
    size_t kept = 0;
    for (const uint16_t f : actives_) {
      const double sum = sum_[f];
      if (const uint8_t c = Coverage(mark_[f] == event_ ? pixel_[f] : sum, evenOdd)) pixelShares[inPixel++] = TShare{f, c};
      if (std::fabs(sum) < kNoCoverage) {
        sum_[f] = 0, active_[f] = 0;
        continue;
      }
      actives_[kept++] = f;
      if (const uint8_t c = Coverage(sum, evenOdd)) spanShares[inSpan++] = TShare{f, c};
    }
    actives_.resize(kept);
    give(x, 1, pixelShares, inPixel);
    const int next = i < n ? cells[i].x : w_;
    if (next > x + 1) give(x + 1, next - x - 1, spanShares, inSpan);
  }
  for (uint16_t f : actives_) sum_[f] = 0, active_[f] = 0;  // what runs past the area's right side
  actives_.clear();
}

// --- paints ---

uint32_t TransformPixel(uint32_t p, const TColorTransform& cx) {
  const int a = int(p >> 24);
  if (a == 0 && cx.add[3] <= 0) return 0;
  int c[4];
  for (int i = 0; i < 3; ++i) {
    const int premul = int((p >> (16 - 8 * i)) & 0xFF);
    c[i] = a > 0 ? std::min(255, (premul * 255 + a / 2) / a) : 0;
  }
  c[3] = a;
  int out[4];
  for (int i = 0; i < 4; ++i) out[i] = std::clamp(c[i] * cx.mult[i] / 256 + cx.add[i], 0, 255);
  return Premultiply(out[0], out[1], out[2], out[3]);
}

TPaint TPaint::Solid(const QColor& c, const TColorTransform& cx) {
  TPaint p;
  p.kind_ = TKind::Solid;
  p.colour_ = Premultiplied(cx.Identity() ? c : cx.Apply(c));
  return p;
}

namespace {

// sRGB codes to light and back (the sRGB transfer curve).
double Light(int code) {
  static const auto kLight = [] {
    std::array<double, 256> light{};
    for (int i = 0; i < 256; ++i) {
      const double v = i / 255.0;
      light[size_t(i)] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    return light;
  }();
  return kLight[size_t(code)];
}
int Code(double light) {
  const double v = light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
  return std::clamp(int(v * 255.0 + 0.5), 0, 255);
}

// The gradient's colour at each of the 256 ratios. At a ratio that several stops share, the first
// of them is the colour there and the last leads on to the next ratio, so that the colour steps
// between them; past the last ratio the first stop of that ratio holds.
std::vector<uint32_t> StopTable(const TFillStyle& f, const TColorTransform& cx) {
  struct TStop {
    int ratio, c[4];  // red, green, blue, alpha
  };
  std::vector<TStop> s;
  for (const auto& [ratio, stop] : f.stops) {
    const QColor colour = cx.Identity() ? stop : cx.Apply(stop);
    s.push_back({ratio, {colour.red(), colour.green(), colour.blue(), colour.alpha()}});
  }
  const bool linearRgb = f.linearRgb;
  std::vector<uint32_t> table(256);
  size_t last = 0;
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i].ratio > s[last].ratio) last = i;
  for (int j = 0; j < 256; ++j) {
    size_t k = 0;
    while (k < s.size() && s[k].ratio < j) ++k;
    if (k == s.size()) k = last;
    const TStop& to = s[k];
    if (k == 0 || to.ratio <= j) {
      table[size_t(j)] = Premultiply(to.c[0], to.c[1], to.c[2], to.c[3]);
      continue;
    }
    // Between the last stop before the ratio and the first at or after it.
    const TStop& from = s[k - 1];
    const double t = double(j - from.ratio) / (to.ratio - from.ratio);
    int c[4];
    for (int i = 0; i < 4; ++i) {
      const int a = from.c[i], b = to.c[i];
      c[i] = linearRgb && i < 3 ? Code(Light(a) + (Light(b) - Light(a)) * t) : int(a + (b - a) * t + 0.5);
    }
    table[size_t(j)] = Premultiply(c[0], c[1], c[2], c[3]);
  }
  return table;
}

// A gradient's position in 16.16 fixed point, spread beyond 0 to 1 (pad, reflect, repeat), as
// an index into its table.
template <int kSpread>
inline int SpreadIndex(int64_t t) {
  if (kSpread == 2) t &= 0xFFFF;
  else if (kSpread == 1) t = (t &= 0x1FFFF) > 0x10000 ? 0x20000 - t : t;
  else t = t < 0 ? 0 : t > 0x10000 ? 0x10000 : t;
  return int((t * 255 + 0x8000) >> 16);
}

// A position from 0 to 1 as 16.16 fixed point, held far from overflowing.
inline int64_t Fixed(double t) { return std::llrint(std::clamp(t, -1e9, 1e9) * 65536.0); }

// A gradient's position spread beyond 0 to 1.
template <int kSpread>
inline float SpreadPosition(float t) {
  if (kSpread == 2) return t - std::floor(t);
  if (kSpread == 1) {
    t -= 2.0f * std::floor(t * 0.5f);
    return std::min(t, 2.0f - t);
  }
  return std::clamp(t, 0.0f, 1.0f);
}

// A linear or radial gradient along a row from the position (u, v) in the unit square, stepping
// (du, dv) a pixel: the position is u (linear, from -1 to 1) or the distance from the centre
// (radial, from 0 to 1), spread, then looked up in the table; eight pixels at a time where the
// processor has AVX2. The caller keeps the positions far from overflowing.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SF_SWF_AVX2 1
// Eight pixels at a time, the table read by one gather; gives the pixels done.
template <bool kRadial, int kSpread>
__attribute__((target("avx2"))) int GradientRowAvx2(const uint32_t* table, float u, float v, float du, float dv, int n,
                                                    uint32_t* out) {
  int i = 0;
  const __m256 step = _mm256_set_ps(7, 6, 5, 4, 3, 2, 1, 0);
  const __m256 vu = _mm256_set1_ps(u), vv = _mm256_set1_ps(v), vdu = _mm256_set1_ps(du), vdv = _mm256_set1_ps(dv);
  const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f), two = _mm256_set1_ps(2.0f);
  const __m256 half = _mm256_set1_ps(0.5f);
  for (; i + 8 <= n; i += 8) {
    const __m256 k = _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(i), _mm256_cvttps_epi32(step)));
    const __m256 a = _mm256_add_ps(vu, _mm256_mul_ps(k, vdu));
    __m256 t;
    if (kRadial) {
      const __m256 b = _mm256_add_ps(vv, _mm256_mul_ps(k, vdv));
      t = _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(a, a), _mm256_mul_ps(b, b)));
    } else {
      t = _mm256_mul_ps(_mm256_add_ps(a, one), half);
    }
    if (kSpread == 2) {
      t = _mm256_sub_ps(t, _mm256_floor_ps(t));
    } else if (kSpread == 1) {
      t = _mm256_sub_ps(t, _mm256_mul_ps(two, _mm256_floor_ps(_mm256_mul_ps(t, half))));
      t = _mm256_min_ps(t, _mm256_sub_ps(two, t));
    }
    t = _mm256_min_ps(_mm256_max_ps(t, zero), one);
    const __m256i index = _mm256_and_si256(_mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(t, _mm256_set1_ps(255.0f)), half)),
                                           _mm256_set1_epi32(255));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4));
  }
  return i;
}
#endif

template <bool kRadial, int kSpread>
void GradientRow(const uint32_t* table, float u, float v, float du, float dv, int n, uint32_t* out) {
  int i = 0;
#if defined(SF_SWF_AVX2)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) i = GradientRowAvx2<kRadial, kSpread>(table, u, v, du, dv, n, out);
#endif
  for (; i < n; ++i) {
    const float a = u + float(i) * du, b = v + float(i) * dv;
    const float t = SpreadPosition<kSpread>(kRadial ? std::sqrt(a * a + b * b) : (a + 1.0f) * 0.5f);
    out[i] = table[int(t * 255.0f + 0.5f) & 255];
  }
}

template <bool kRadial>
void GradientRow(uint8_t spread, const uint32_t* table, float u, float v, float du, float dv, int n, uint32_t* out) {
  if (spread == 2) GradientRow<kRadial, 2>(table, u, v, du, dv, n, out);
  else if (spread == 1) GradientRow<kRadial, 1>(table, u, v, du, dv, n, out);
  else GradientRow<kRadial, 0>(table, u, v, du, dv, n, out);
}

}  // namespace

std::vector<uint32_t> GradientTable(const TFillStyle& f, const TColorTransform& cx) {
  return f.stops.empty() ? std::vector<uint32_t>() : StopTable(f, cx);
}

void TPaint::SetFromDevice(const QTransform& m) {
  fromDevice_ = m;
  ux_ = m.m11(), uy_ = m.m21(), u0_ = m.dx();
  vx_ = m.m12(), vy_ = m.m22(), v0_ = m.dy();
}

TPaint TPaint::Gradient(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice) {
  TPaint p;
  bool invertible = false;
  // Device pixels to the gradient square (-16384 to 16384) scaled to -1 to 1.
  p.SetFromDevice((QTransform::fromScale(16384, 16384) * f.matrix * toDevice).inverted(&invertible));
  if (!invertible || f.stops.empty()) return p;
  p.kind_ = f.kind == TFillStyle::Linear ? TKind::Linear : f.kind == TFillStyle::Radial ? TKind::Radial : TKind::Focal;
  p.spread_ = f.spread;
  p.focal_ = std::clamp(double(f.focal), -0.998, 0.998);  // a focus on the circle has no inside
  // The style's own table, made when the movie was read, or one under the colour transform.
  if (!cx.Identity() || f.table.size() != 256) p.transformed_ = StopTable(f, cx);
  p.styleTable_ = f.table.data();
  p.opaque_ = std::all_of(p.Table(), p.Table() + 256, [](uint32_t c) { return c >> 24 == 255; });
  return p;
}

TPaint TPaint::Bitmap(const QImage* image, bool repeat, bool smooth, const TColorTransform& cx,
                      const QTransform& toDevice, bool opaque) {
  TPaint p;
  bool invertible = false;
  p.SetFromDevice(toDevice.inverted(&invertible));
  if (!image || image->isNull() || !invertible) return p;
  p.kind_ = TKind::Bitmap;
  p.image_ = image;
  p.repeat_ = repeat;
  p.smooth_ = smooth;
  p.opaque_ = opaque && cx.Identity();
  p.cx_ = cx;
  p.cxIdentity_ = cx.Identity();
  // Shown at its size and moved by whole pixels, each device pixel is one pixel of the bitmap,
  // smoothed or not.
  const QTransform& m = p.fromDevice_;
  const double dx = std::round(m.dx()), dy = std::round(m.dy());
  p.direct_ = p.cxIdentity_ && m.type() <= QTransform::TxTranslate && std::fabs(m.dx() - dx) < 1e-6 &&
              std::fabs(m.dy() - dy) < 1e-6 && std::fabs(dx) < 1e9 && std::fabs(dy) < 1e9;
  p.dx_ = int(dx), p.dy_ = int(dy);
  return p;
}

const uint32_t* TPaint::Direct(int y, int x, int n) const {
  if (!direct_) return nullptr;
  const int64_t bx = int64_t(x) + dx_, by = int64_t(y) + dy_;
  if (by < 0 || by >= image_->height() || bx < 0 || bx + n > image_->width()) return nullptr;
  return reinterpret_cast<const uint32_t*>(image_->constScanLine(int(by))) + bx;
}

void TPaint::Fetch(int y, int x, int n, uint32_t* out) const {
  if (kind_ == TKind::Solid || kind_ == TKind::None) {
    std::fill(out, out + n, colour_);
    return;
  }
  if (kind_ == TKind::Bitmap) {
    if (const uint32_t* direct = Direct(y, x, n)) {
      std::copy(direct, direct + n, out);
      return;
    }
    // A bitmap's pixels are sampled at the device pixels' centres.
    const double cx = x + 0.5, cy = y + 0.5;
    return FetchBitmap(ux_ * cx + uy_ * cy + u0_, vx_ * cx + vy_ * cy + v0_, ux_, vx_, n, out);
  }
  // A gradient's colour at a pixel is that of the pixel's own coordinate, the pixel grid of the
  // format (the coordinate of a line of one pixel names the pixel it covers).
  const double u = ux_ * x + uy_ * y + u0_, v = vx_ * x + vy_ * y + v0_;
  const double du = ux_, dv = vx_;
  // Far out of the square every gradient shows one of its ends.
  constexpr double kFar = 1e6;
  if (!(std::fabs(u) + std::fabs(du) * n < kFar && std::fabs(v) + std::fabs(dv) * n < kFar)) {
    std::fill(out, out + n, Table()[255]);
    return;
  }
  const uint32_t* table = Table();
  switch (kind_) {
    case TKind::Linear: return GradientRow<false>(spread_, table, float(u), 0, float(du), 0, n, out);
    case TKind::Radial: return GradientRow<true>(spread_, table, float(u), float(v), float(du), float(dv), n, out);
    case TKind::Focal: {
      // The position runs from the focus (0) to the circle (1) along the ray through the pixel.
      const double fx = focal_;
      for (int i = 0; i < n; ++i) {
        const double dx = u + i * du - fx, dy = v + i * dv, dd = dx * dx + dy * dy;
        const double fd = fx * dx;
        const double root = fd * fd + dd * (1.0 - fx * fx);
        const double t = dd > 0 ? dd / (-fd + std::sqrt(std::max(root, 0.0))) : 0.0;
        const int64_t fixed = Fixed(t);
        out[i] = table[spread_ == 2 ? SpreadIndex<2>(fixed) : spread_ == 1 ? SpreadIndex<1>(fixed) : SpreadIndex<0>(fixed)];
      }
      return;
    }
    default: return;
  }
}

void TPaint::FetchBitmap(double u, double v, double du, double dv, int n, uint32_t* out) const {
  const int w = image_->width(), h = image_->height();
  const auto* bits = reinterpret_cast<const uint32_t*>(image_->constBits());
  const qsizetype stride = image_->bytesPerLine() / 4;
  auto wrap = [](int i, int size) { return (i %= size) < 0 ? i + size : i; };
  constexpr double kFar = 1e9;  // beyond this a pixel lies nowhere near any bitmap
  if (!(std::fabs(u) < kFar && std::fabs(v) < kFar && std::fabs(du) < 1e5 && std::fabs(dv) < 1e5)) {
    std::fill(out, out + n, repeat_ ? bits[0] : 0u);
    return;
  }
  // Fixed point, 16 bits of fraction; a smoothed bitmap is sampled between the pixel centres.
  const double shift = smooth_ ? 0.5 : 0.0;
  int64_t fu = std::llround((u - shift) * 65536.0), fv = std::llround((v - shift) * 65536.0);
  const int64_t dfu = std::llround(du * 65536.0), dfv = std::llround(dv * 65536.0);
  const int64_t half = smooth_ ? 32768 : 0;
  for (int i = 0; i < n; ++i, fu += dfu, fv += dfv) {
    if (!repeat_) {  // a clipped bitmap: nothing beyond it
      const int64_t cu = (fu + half) >> 16, cv = (fv + half) >> 16;
      if (cu < 0 || cv < 0 || cu >= w || cv >= h) {
        out[i] = 0;
        continue;
      }
    }
    int bx = int(fu >> 16), by = int(fv >> 16);
    uint32_t c;
    if (!smooth_) {
      if (repeat_ && (bx < 0 || bx >= w)) bx = wrap(bx, w);
      if (repeat_ && (by < 0 || by >= h)) by = wrap(by, h);
      c = bits[by * stride + bx];
    } else {
      const uint32_t fx = uint32_t(fu >> 8) & 0xFF, fy = uint32_t(fv >> 8) & 0xFF;
      uint32_t p00, p01, p10, p11;
      if (bx >= 0 && by >= 0 && bx + 1 < w && by + 1 < h) {
        const uint32_t* row = bits + by * stride + bx;
        p00 = row[0], p01 = row[1], p10 = row[stride], p11 = row[stride + 1];
      } else {
        // At the edges: a repeating bitmap wraps, a clipped one's edge pixels stand in for those
        // beyond it.
        auto at = [&](int px, int py) {
          px = repeat_ ? wrap(px, w) : std::clamp(px, 0, w - 1);
          py = repeat_ ? wrap(py, h) : std::clamp(py, 0, h - 1);
          return bits[py * stride + px];
        };
        p00 = at(bx, by), p01 = at(bx + 1, by), p10 = at(bx, by + 1), p11 = at(bx + 1, by + 1);
      }
      if (fx == 0 && fy == 0) c = p00;  // on a pixel centre, as a bitmap shown at its size is
      else c = Lerp(Lerp(p00, p01, fx), Lerp(p10, p11, fx), fy);
    }
    out[i] = cxIdentity_ ? c : TransformPixel(c, cx_);
  }
}

namespace {

// n pixels of one colour.
void Fill(uint32_t* dst, int n, uint32_t colour) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i four = _mm_set1_epi32(int(colour));
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), four);
#endif
  for (; i < n; ++i) dst[i] = colour;
}

// One premultiplied colour over n pixels.
void OverConstant(uint32_t* dst, int n, uint32_t s) {
  const uint32_t keep = 255 - (s >> 24);
  int i = 0;
#if defined(__SSE2__)
  const __m128i k = _mm_set1_epi16(short(keep)), colour = _mm_set1_epi32(int(s));
  for (; i + 4 <= n; i += 4) {
    auto* at = reinterpret_cast<__m128i*>(dst + i);
    const __m128i d = _mm_loadu_si128(at);
    _mm_storeu_si128(at, _mm_add_epi8(colour, _mm_packus_epi16(MulLanes(Low(d), k), MulLanes(High(d), k))));
  }
#endif
  for (; i < n; ++i) dst[i] = s + ByteMul(dst[i], keep);
}

// The colours of a span, each by one coverage, over n pixels.
void Over(uint32_t* dst, int n, const uint32_t* src, uint32_t coverage) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i c = _mm_set1_epi16(short(coverage));
  for (; i + 4 <= n; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (coverage < 255) s = _mm_packus_epi16(MulLanes(Low(s), c), MulLanes(High(s), c));
    auto* at = reinterpret_cast<__m128i*>(dst + i);
    _mm_storeu_si128(at, Over4(s, _mm_loadu_si128(at)));
  }
#endif
  for (; i < n; ++i) {
    const uint32_t s = coverage == 255 ? src[i] : ByteMul(src[i], coverage);
    dst[i] = s + ByteMul(dst[i], 255 - (s >> 24));
  }
}

// Source over, each pixel by its coverage (and a mask's): the colours of a span, or one colour for
// all.
template <bool kOneColour, bool kMask>
void BlendSpan(uint32_t* dst, int n, const uint32_t* src, uint32_t colour, const uint8_t* coverage,
               const uint8_t* mask) {
  int i = 0;
#if defined(__SSE2__)
  if (!kMask) {
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi32(int(colour));
    for (; i + 4 <= n; i += 4) {
      uint32_t four;
      std::memcpy(&four, coverage + i, 4);
      if (four == 0) continue;
      // Each pixel's coverage on the four lanes of its channels.
      const __m128i c = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero),
                                           _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero));
      const __m128i s = kOneColour ? one : _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i covered = _mm_packus_epi16(MulLanes(Low(s), _mm_unpacklo_epi32(c, c)),
                                               MulLanes(High(s), _mm_unpackhi_epi32(c, c)));
      auto* at = reinterpret_cast<__m128i*>(dst + i);
      _mm_storeu_si128(at, Over4(covered, _mm_loadu_si128(at)));
    }
  }
#endif
  for (; i < n; ++i) {
    uint32_t c = coverage[i];
    if (kMask) c = (c * mask[i] + 127) / 255;
    if (c == 0) continue;
    uint32_t s = kOneColour ? colour : src[i];
    if (c < 255) s = ByteMul(s, c);
    dst[i] = s + ByteMul(dst[i], 255 - (s >> 24));
  }
}

}  // namespace

const uint32_t* TPaint::Colours(int y, int x, int n) const {
  if (const uint32_t* direct = Direct(y, x, n)) return direct;
  if (row_.size() < size_t(n)) row_.resize(size_t(n));
  Fetch(y, x, n, row_.data());
  return row_.data();
}

void TPaint::Blend(uint32_t* row, int x, int n, int y, const uint8_t* coverage, const uint8_t* mask) const {
  if (kind_ == TKind::None || n <= 0) return;
  uint32_t* dst = row + x;
  if (kind_ == TKind::Solid) {
    if (mask) BlendSpan<true, true>(dst, n, nullptr, colour_, coverage, mask);
    else BlendSpan<true, false>(dst, n, nullptr, colour_, coverage, mask);
    return;
  }
  const uint32_t* src = Colours(y, x, n);
  if (mask) BlendSpan<false, true>(dst, n, src, 0, coverage, mask);
  else BlendSpan<false, false>(dst, n, src, 0, coverage, mask);
}

void TPaint::Blend(uint32_t* row, int x, int n, int y, uint8_t coverage, const uint8_t* mask) const {
  if (kind_ == TKind::None || n <= 0 || coverage == 0) return;
  uint32_t* dst = row + x;
  if (mask) {  // each pixel its own coverage after all
    uint8_t each[256];
    std::fill_n(each, 256, coverage);
    for (int done = 0; done < n; done += 256) Blend(row, x + done, std::min(256, n - done), y, each, mask + done);
    return;
  }
  if (kind_ == TKind::Solid) {
    const uint32_t s = coverage == 255 ? colour_ : ByteMul(colour_, coverage);
    if (s >> 24 == 255) Fill(dst, n, s);
    else OverConstant(dst, n, s);
    return;
  }
  if (coverage == 255 && opaque_) {  // the paint's own pixels, straight into the row
    Fetch(y, x, n, dst);
    return;
  }
  Over(dst, n, Colours(y, x, n), coverage);
}

void TColourSink::Run(int y, int x, int n, uint16_t fill, const uint8_t* coverage) {
  Paint(fill).Blend(pixels_ + y * stride_, x, n, y, coverage, mask_.At(y, x));
}

void TColourSink::Span(int y, int x, int n, uint16_t fill, uint8_t coverage) {
  Paint(fill).Blend(pixels_ + y * stride_, x, n, y, coverage, mask_.At(y, x));
}

void TColourSink::Mixed(int y, int x, int n, const TShare* shares, int count) {
  constexpr int kChunk = 64;
  uint32_t sum[kChunk], colours[kChunk];
  uint32_t* dst = pixels_ + y * stride_ + x;
  const uint8_t* mask = mask_.At(y, x);
  for (int done = 0; done < n; done += kChunk) {
    const int m = std::min(kChunk, n - done);
    std::fill_n(sum, m, 0u);
    for (int k = 0; k < count; ++k) {
      const TPaint& paint = Paint(shares[k].fill);
      if (paint.Empty()) continue;
      paint.Fetch(y, x + done, m, colours);
      for (int i = 0; i < m; ++i) sum[i] = AddSaturated(sum[i], ByteMul(colours[i], shares[k].coverage));
    }
    for (int i = 0; i < m; ++i) {
      uint32_t s = sum[i];
      if (mask) s = ByteMul(s, mask[done + i]);
      const uint32_t alpha = s >> 24;
      dst[done + i] = alpha == 255 ? s : s + ByteMul(dst[done + i], 255 - alpha);
    }
  }
}

void TMaskSink::Gain(int y, int x, int n, const uint8_t* coverage, int constant) {
  uint8_t* row = plane_ + size_t(y - area_.top()) * size_t(area_.width()) + size_t(x - area_.left());
  const uint8_t* mask = mask_.At(y, x);
  for (int i = 0; i < n; ++i) {
    uint32_t c = coverage ? coverage[i] : uint32_t(constant);
    if (mask) c = (c * mask[i] + 127) / 255;
    row[i] = uint8_t(row[i] + (c * (255 - row[i]) + 127) / 255);  // the union of the two areas
  }
}

void TMaskSink::Run(int y, int x, int n, uint16_t, const uint8_t* coverage) { Gain(y, x, n, coverage, 0); }

void TMaskSink::Mixed(int y, int x, int n, const TShare* shares, int count) {
  int total = 0;
  for (int k = 0; k < count; ++k) total += shares[k].coverage;
  Gain(y, x, n, nullptr, std::min(total, 255));
}

}  // namespace sf::swf
