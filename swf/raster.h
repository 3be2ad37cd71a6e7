// Our scanline rasterizer: a path's exact area coverage per device pixel, and the paints that fill
// it (a solid colour, a gradient through a 256-entry table, a bitmap) blended source-over into a
// 32-bit premultiplied image, each pixel by its coverage.
//
// Coverage is computed by signed area: every edge, walked row by row, adds to each pixel of the
// row the part of the pixel's area that lies to the right of it (negative for edges running up);
// a running sum along the row then gives each pixel the area inside the outline, counted by
// winding. The even-odd rule folds that count, the non-zero rule clamps it.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "swf/movie.h"

namespace sf::swf {

class TRasterizer {
 public:
  // Starts a shape whose coverage is wanted inside `area` (device pixels).
  void Begin(const QRect& area);
  // The path's contours mapped to device pixels, curves flattened to a fraction of a pixel; each
  // contour is closed.
  void AddPath(const QPainterPath& path, const QTransform& toDevice);
  void AddLine(double x0, double y0, double x1, double y1);

  // Calls span(y, x, n, coverage) for each row that has coverage: n pixels from x, coverage 0 to
  // 255 each; the rows come top to bottom. Leaves the rasterizer empty.
  template <class TSpan>
  void Sweep(bool evenOdd, TSpan&& span);

 private:
  void Deposit(double x0, double y0, double x1, double y1);
  template <bool kEvenOdd>
  static void Accumulate(float* row, int lo, int last, uint8_t* coverage);
  void AddFlattened(const QPointF& a, const QPointF& b);

  QRect area_;
  int w_ = 0, h_ = 0;
  std::vector<float> cells_;  // h rows of w + 2: the coverage differences
  std::vector<int> rowMin_, rowMax_;
  std::vector<uint8_t> coverage_;
  QPointF first_, last_;
  bool open_ = false;
};

// A colour transform applied to premultiplied pixels.
uint32_t TransformPixel(uint32_t premultiplied, const TColorTransform& cx);

// What fills a shape: the colour of each pixel of a span.
class TPaint {
 public:
  // `toDevice` maps shape twips to device pixels.
  static TPaint Solid(const QColor& c, const TColorTransform& cx);
  static TPaint Gradient(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice);
  // A bitmap whose pixels `toDevice` maps to device pixels; null when nothing can be drawn.
  static TPaint Bitmap(const QImage* image, bool repeat, bool smooth, const TColorTransform& cx,
                       const QTransform& toDevice);

  bool Empty() const { return kind_ == TKind::None; }
  // Blends the paint over `row` (premultiplied 32-bit pixels of device row y) from x for n
  // pixels, each by its coverage (0 to 255) and, when given, by a mask's coverage at the same
  // pixels.
  void Blend(uint32_t* row, int x, int n, int y, const uint8_t* coverage, const uint8_t* mask) const;

 private:
  enum class TKind : uint8_t { None, Solid, Linear, Radial, Focal, Bitmap } kind_ = TKind::None;
  void Fetch(int y, int x, int n, uint32_t* out) const;
  void FetchBitmap(double u, double v, double du, double dv, int n, uint32_t* out) const;

  uint32_t colour_ = 0;               // Solid, premultiplied
  std::vector<uint32_t> table_;       // gradients: 256 premultiplied colours
  uint8_t spread_ = 0;
  double focal_ = 0;                  // on the unit circle's x axis
  QTransform fromDevice_;             // device pixel centres to the unit gradient square or bitmap pixels
  const QImage* image_ = nullptr;     // Bitmap, premultiplied ARGB
  bool repeat_ = true, smooth_ = true;
  TColorTransform cx_;
  bool cxIdentity_ = true;
  mutable std::vector<uint32_t> row_;
};

// --- template body ---

template <class TSpan>
void TRasterizer::Sweep(bool evenOdd, TSpan&& span) {
  if (open_) AddFlattened(last_, first_);
  open_ = false;
  for (int r = 0; r < h_; ++r) {
    int lo = rowMin_[size_t(r)], hi = rowMax_[size_t(r)];
    if (lo > hi) continue;
    rowMin_[size_t(r)] = INT32_MAX, rowMax_[size_t(r)] = -1;
    float* row = cells_.data() + size_t(r) * size_t(w_ + 2);
    const int last = std::min(hi, w_ - 1);
    if (evenOdd) Accumulate<true>(row, lo, last, coverage_.data());
    else Accumulate<false>(row, lo, last, coverage_.data());
    for (int x = last + 1; x <= hi; ++x) row[x] = 0;  // beyond the area: cleared only
    // Trim the pixels the outline only touches at zero.
    while (lo <= last && coverage_[size_t(lo)] == 0) ++lo;
    int end = last;
    while (end >= lo && coverage_[size_t(end)] == 0) --end;
    if (lo <= end) span(area_.top() + r, area_.left() + lo, end - lo + 1, coverage_.data() + lo);
  }
}

// The running sum of a row's cells from lo to last, each pixel's coverage by the fill rule; the
// cells are cleared on the way.
template <bool kEvenOdd>
void TRasterizer::Accumulate(float* row, int lo, int last, uint8_t* coverage) {
  float sum = 0;
  uint8_t c = 0;
  for (int x = lo; x <= last; ++x) {
    // Between the cells an outline passes through the coverage stays as it was.
    if (row[x] != 0) {
      sum += row[x];
      row[x] = 0;
      float v = std::fabs(sum);
      if (kEvenOdd) {
        v -= 2.0f * float(int(v * 0.5f));
        v = std::min(v, 2.0f - v);
      } else {
        v = std::min(v, 1.0f);
      }
      c = uint8_t(int(v * 255.0f + 0.5f));
    }
    coverage[x] = c;
  }
}

}  // namespace sf::swf
