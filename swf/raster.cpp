#include "swf/raster.h"

#include <algorithm>
#include <cmath>

namespace sf::swf {
namespace {

// The largest flattening of one curve; a curve that would need more is larger than any screen.
constexpr int kMaxCurveSegments = 512;
// How far a flattened curve may stray from the true one, in device pixels.
constexpr double kFlatness = 0.1;

// The area of [0, s] under clamp(v, 0, 1): the part of a pixel column right of an edge point.
inline double RampArea(double s) { return s <= 0 ? 0 : s < 1 ? 0.5 * s * s : s - 0.5; }

// x × a / 255 for the four bytes of x at once, rounded; a is 0 to 255.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t rb = (x & 0x00FF00FFu) * a + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((x >> 8) & 0x00FF00FFu) * a + 0x00800080u;
  ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return ag | rb;
}

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
  if (evenOdd) {
    v -= 2.0 * std::floor(v * 0.5);
    v = std::min(v, 2.0 - v);
  } else {
    v = std::min(v, 1.0);
  }
  return uint8_t(int(v * 255.0 + 0.5));
}

}  // namespace

void TRasterizer::Begin(const QRect& area) {
  area_ = area;
  w_ = std::max(0, area.width());
  h_ = std::max(0, area.height());
  if (rows_.size() < size_t(h_)) rows_.resize(size_t(h_));
  if (coverage_.size() < size_t(w_)) coverage_.resize(size_t(w_));
  rowMin_ = INT32_MAX, rowMax_ = -1;
  cells_ = 0;
  overflowed_ = false;
  maxFill_ = 0;
}

void TRasterizer::Clear() {
  for (int r = rowMin_; r <= rowMax_; ++r) rows_[size_t(r)].clear();
  rowMin_ = INT32_MAX, rowMax_ = -1;
  cells_ = 0;
}

void TRasterizer::Add(int r, int x, float area, float cover, uint16_t left, uint16_t right) {
  std::vector<TCell>& row = rows_[size_t(r)];
  // A flattened curve often steps within one pixel: its cells there become one.
  if (!row.empty()) {
    TCell& last = row.back();
    if (last.x == x && last.left == left && last.right == right) {
      last.area += area, last.cover += cover;
      return;
    }
  }
  if (cells_ >= kMaxCells) {
    overflowed_ = true;
    return;
  }
  ++cells_;
  row.push_back(TCell{x, area, cover, left, right});
  rowMin_ = std::min(rowMin_, r), rowMax_ = std::max(rowMax_, r);
}

void TRasterizer::AddLine(QPointF a, QPointF b, uint16_t left, uint16_t right) {
  if (left == right || overflowed_) return;
  double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  x0 -= area_.left(), x1 -= area_.left(), y0 -= area_.top(), y1 -= area_.top();
  if (y0 == y1 || (y0 <= 0 && y1 <= 0) || (y0 >= h_ && y1 >= h_)) return;
  maxFill_ = std::max({maxFill_, left, right});
  // Left of the area an edge still counts for every pixel of its rows; right of it, for none.
  // The parts outside are moved onto the area's sides, cut where the edge crosses them.
  const double w = w_;
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
  for (int r = int(top); r < h_ && r < bottom; ++r) {
    const double ya = std::max(double(r), top), yb = std::min(double(r + 1), bottom);
    const double dy = yb - ya;
    if (dy <= 0) continue;
    const double xa = x0 + (ya - y0) * dxdy, xb = x0 + (yb - y0) * dxdy;
    const double d = dy * dir;
    // Rounding may carry a point a hair outside the sides the edge was moved within.
    const double lo = std::max(std::min(xa, xb), 0.0), hi = std::min(std::max(xa, xb), double(w_));
    const int i0 = int(std::floor(lo)), i1 = int(std::ceil(hi));
    if (i1 <= i0 + 1) {
      // Within one pixel column: the part of the pixel right of the edge's middle, then all of
      // the pixels beyond. On the area's right side it covers nothing inside.
      if (i0 < w_) Add(r, i0, float(d * (double(i0 + 1) - 0.5 * (lo + hi))), float(d), left, right);
      continue;
    }
    // Across columns: each column's area right of the edge, from the ramp integral.
    const double scale = d / (hi - lo);
    double before = 0;
    for (int x = i0; x < i1; ++x) {
      const double c = scale * (RampArea(x + 1 - lo) - RampArea(x + 1 - hi));
      Add(r, x, float(c - before), float(c - before), left, right);
      before = c;
    }
    if (i1 < w_) Add(r, i1, float(d - before), float(d - before), left, right);
  }
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
  const double want = std::ceil(std::sqrt(std::hypot(dd.x(), dd.y()) / (4 * kFlatness)));
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
  QPointF first, last;
  bool open = false;
  for (int i = 0; i < count; ++i) {
    const QPainterPath::Element& e = path.elementAt(i);
    const QPointF p = toDevice.map(QPointF(e.x, e.y));
    if (e.type == QPainterPath::MoveToElement) {
      if (open) AddLine(last, first, 0, fill);
      first = last = p;
      open = true;
    } else if (e.type == QPainterPath::LineToElement) {
      AddLine(last, p, 0, fill);
      last = p;
    } else if (e.type == QPainterPath::CurveToElement && i + 2 < count) {
      const QPointF c1 = p;
      const QPointF c2 = toDevice.map(QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y));
      const QPointF end = toDevice.map(QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
      i += 2;
      const double top = std::min({last.y(), c1.y(), c2.y(), end.y()}) - area_.top();
      const double bottom = std::max({last.y(), c1.y(), c2.y(), end.y()}) - area_.top();
      const double minX = std::min({last.x(), c1.x(), c2.x(), end.x()}) - area_.left();
      const double maxX = std::max({last.x(), c1.x(), c2.x(), end.x()}) - area_.left();
      int n = 1;
      if (bottom > 0 && top < h_ && minX < w_ && maxX > 0) {
        // A cubic: its second differences bound how far the chords stray.
        const QPointF d1 = last - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
        const double dd = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
        const double want = std::ceil(std::sqrt(0.75 * dd / kFlatness));
        n = std::isfinite(want) ? std::clamp(int(want), 1, kMaxCurveSegments) : 1;
      }
      QPointF from = last;
      for (int k = 1; k < n; ++k) {
        const double t = double(k) / n, u = 1 - t;
        const QPointF at = u * u * u * last + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * end;
        AddLine(from, at, 0, fill);
        from = at;
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
    shares_.resize(fills);
  }
  for (int r = rowMin_; r <= rowMax_; ++r) {
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

void TRasterizer::Touch(uint16_t fill, double area, double cover) {
  if (fill == 0) return;
  if (mark_[fill] != event_) {
    mark_[fill] = event_;
    pixel_[fill] = sum_[fill];
    if (!active_[fill]) active_[fill] = 1, actives_.push_back(fill);
  }
  pixel_[fill] += area;
  sum_[fill] += cover;
}

void TRasterizer::SweepRow(int r, bool evenOdd, TCoverageSink& sink) {
  const std::vector<TCell>& cells = rows_[size_t(r)];
  const int y = area_.top() + r, left = area_.left();
  // Pixels that one fill alone covers are gathered into a run, handed on when another fill, a
  // share or a gap comes.
  uint16_t runFill = 0;
  int runStart = 0, runEnd = 0;
  auto flush = [&] {
    if (runFill != 0) sink.Run(y, left + runStart, runEnd - runStart, runFill, coverage_.data() + runStart);
    runFill = 0;
  };
  auto give = [&](int x, int n, int count) {
    if (count == 1) {
      const uint16_t fill = shares_[0].fill;
      if (runFill != fill || runEnd != x) {
        flush();
        runFill = fill, runStart = x;
      }
      std::fill_n(coverage_.data() + x, n, shares_[0].coverage);
      runEnd = x + n;
      return;
    }
    flush();
    if (count > 1) sink.Mixed(y, left + x, n, shares_.data(), count);
  };
  for (size_t i = 0; i < cells.size();) {
    const int x = cells[i].x;
    if (++event_ == 0) {  // the marks wrapped: none may look fresh
      std::fill(mark_.begin(), mark_.end(), 0u);
      event_ = 1;
    }
    for (; i < cells.size() && cells[i].x == x; ++i) {
      const TCell& c = cells[i];
      Touch(c.right, c.area, c.cover);
      Touch(c.left, -double(c.area), -double(c.cover));
    }
    // The pixel of the cells, then the pixels up to the next cells, which keep the sums.
    int count = 0;
    for (uint16_t f : actives_) {
      const uint8_t c = Coverage(mark_[f] == event_ ? pixel_[f] : sum_[f], evenOdd);
      if (c) shares_[size_t(count++)] = TShare{f, c};
    }
    give(x, 1, count);
    count = 0;
    size_t kept = 0;
    for (uint16_t f : actives_) {
      if (std::fabs(sum_[f]) < kNoCoverage) {
        sum_[f] = 0, active_[f] = 0;
        continue;
      }
      actives_[kept++] = f;
      const uint8_t c = Coverage(sum_[f], evenOdd);
      if (c) shares_[size_t(count++)] = TShare{f, c};
    }
    actives_.resize(kept);
    const int next = i < cells.size() ? cells[i].x : w_;
    if (next > x + 1) give(x + 1, next - x - 1, count);
  }
  flush();
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
  const double v = code / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
int Code(double light) {
  const double v = light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
  return std::clamp(int(std::lround(v * 255.0)), 0, 255);
}

// The gradient's colour at each of the 256 ratios. At a ratio that several stops share, the first
// of them is the colour there and the last leads on to the next ratio, so that the colour steps
// between them; past the last ratio the first stop of that ratio holds.
std::vector<uint32_t> GradientTable(const std::vector<std::pair<int, QColor>>& stops, bool linearRgb) {
  std::vector<uint32_t> table(256);
  size_t last = 0;
  for (size_t i = 1; i < stops.size(); ++i)
    if (stops[i].first > stops[last].first) last = i;
  for (int j = 0; j < 256; ++j) {
    size_t k = 0;
    while (k < stops.size() && stops[k].first < j) ++k;
    if (k == stops.size()) k = last;
    const QColor& to = stops[k].second;
    if (k == 0 || stops[k].first == j || stops[k].first < j) {
      table[size_t(j)] = Premultiply(to.red(), to.green(), to.blue(), to.alpha());
      continue;
    }
    // Between the last stop before the ratio and the first at or after it.
    const auto& [r0, from] = stops[k - 1];
    const double t = double(j - r0) / (stops[k].first - r0);
    auto mix = [&](int a, int b) {
      return linearRgb ? Code(Light(a) + (Light(b) - Light(a)) * t) : int(std::lround(a + (b - a) * t));
    };
    table[size_t(j)] = Premultiply(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                                   int(std::lround(from.alpha() + (to.alpha() - from.alpha()) * t)));
  }
  return table;
}

// A gradient's position in 16.16 fixed point, spread beyond 0 to 1 (pad, reflect, repeat), as
// an index into its table.
inline int SpreadIndex(int64_t t, uint8_t spread) {
  if (spread == 2) t &= 0xFFFF;
  else if (spread == 1) t = (t &= 0x1FFFF) > 0x10000 ? 0x20000 - t : t;
  else t = std::clamp<int64_t>(t, 0, 0x10000);
  return int((t * 255 + 0x8000) >> 16);
}

// A position from 0 to 1 as 16.16 fixed point, held far from overflowing.
inline int64_t Fixed(double t) { return std::llround(std::clamp(t, -1e9, 1e9) * 65536.0); }

}  // namespace

TPaint TPaint::Gradient(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice) {
  TPaint p;
  bool invertible = false;
  // Device pixels to the gradient square (-16384 to 16384) scaled to -1 to 1.
  p.fromDevice_ = (QTransform::fromScale(16384, 16384) * f.matrix * toDevice).inverted(&invertible);
  if (!invertible || f.stops.empty()) return p;
  p.kind_ = f.kind == TFillStyle::Linear ? TKind::Linear : f.kind == TFillStyle::Radial ? TKind::Radial : TKind::Focal;
  p.spread_ = f.spread;
  p.focal_ = std::clamp(double(f.focal), -0.998, 0.998);  // a focus on the circle has no inside
  // The colours between the stops, transformed first, then mixed and premultiplied.
  std::vector<std::pair<int, QColor>> stops;
  for (const auto& [ratio, colour] : f.stops) stops.emplace_back(ratio, cx.Identity() ? colour : cx.Apply(colour));
  p.table_ = GradientTable(stops, f.linearRgb);
  p.opaque_ = std::all_of(p.table_.begin(), p.table_.end(), [](uint32_t c) { return c >> 24 == 255; });
  return p;
}

TPaint TPaint::Bitmap(const QImage* image, bool repeat, bool smooth, const TColorTransform& cx,
                      const QTransform& toDevice, bool opaque) {
  TPaint p;
  bool invertible = false;
  p.fromDevice_ = toDevice.inverted(&invertible);
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
    const QPointF start = fromDevice_.map(QPointF(x + 0.5, y + 0.5));
    return FetchBitmap(start.x(), start.y(), fromDevice_.m11(), fromDevice_.m12(), n, out);
  }
  // A gradient's colour at a pixel is that of the pixel's own coordinate, the pixel grid of the
  // format (the coordinate of a line of one pixel names the pixel it covers).
  const QPointF start = fromDevice_.map(QPointF(x, y));
  const double u = start.x(), v = start.y();
  const double du = fromDevice_.m11(), dv = fromDevice_.m12();
  // Far out of the square every gradient shows one of its ends.
  constexpr double kFar = 1e6;
  if (!(std::fabs(u) + std::fabs(du) * n < kFar && std::fabs(v) + std::fabs(dv) * n < kFar)) {
    std::fill(out, out + n, table_[255]);
    return;
  }
  const uint32_t* table = table_.data();
  switch (kind_) {
    case TKind::Linear: {
      // The position in 32.32 fixed point, stepped along the row without drifting.
      int64_t t = std::llround((u + 1.0) * 0.5 * 4294967296.0);
      const int64_t dt = std::llround(du * 0.5 * 4294967296.0);
      for (int i = 0; i < n; ++i, t += dt) out[i] = table[SpreadIndex((t + 0x8000) >> 16, spread_)];
      return;
    }
    case TKind::Radial: {
      const float gu = float(u), gv = float(v), fdu = float(du), fdv = float(dv);
      for (int i = 0; i < n; ++i) {
        const float a = gu + float(i) * fdu, b = gv + float(i) * fdv;
        out[i] = table[SpreadIndex(int64_t(std::sqrt(a * a + b * b) * 65536.0f + 0.5f), spread_)];
      }
      return;
    }
    case TKind::Focal: {
      // The position runs from the focus (0) to the circle (1) along the ray through the pixel.
      const double fx = focal_;
      for (int i = 0; i < n; ++i) {
        const double dx = u + i * du - fx, dy = v + i * dv, dd = dx * dx + dy * dy;
        const double fd = fx * dx;
        const double root = fd * fd + dd * (1.0 - fx * fx);
        const double t = dd > 0 ? dd / (-fd + std::sqrt(std::max(root, 0.0))) : 0.0;
        out[i] = table[SpreadIndex(Fixed(t), spread_)];
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

// Source over, each pixel by its coverage: the colours of a span, or one colour for all. Inside a
// fill of opaque colours the pixels are copied.
template <bool kOneColour, bool kMask>
void BlendSpan(uint32_t* dst, int n, const uint32_t* src, uint32_t colour, const uint8_t* coverage,
               const uint8_t* mask, bool opaque) {
  for (int i = 0; i < n; ++i) {
    uint32_t c = coverage[i];
    if (kMask) c = (c * mask[i] + 127) / 255;
    if (c == 0) continue;
    if (!kMask && c == 255 && opaque) {  // a run of whole pixels
      int j = i + 1;
      while (j < n && coverage[j] == 255) ++j;
      if (kOneColour) std::fill(dst + i, dst + j, colour);
      else std::copy(src + i, src + j, dst + i);
      i = j - 1;
      continue;
    }
    uint32_t s = kOneColour ? colour : src[i];
    if (c < 255) s = ByteMul(s, c);
    const uint32_t alpha = s >> 24;
    dst[i] = alpha == 255 ? s : s + ByteMul(dst[i], 255 - alpha);
  }
}

}  // namespace

void TPaint::Blend(uint32_t* row, int x, int n, int y, const uint8_t* coverage, const uint8_t* mask) const {
  if (kind_ == TKind::None || n <= 0) return;
  uint32_t* dst = row + x;
  if (kind_ == TKind::Solid) {
    const bool opaque = colour_ >> 24 == 255;
    if (mask) BlendSpan<true, true>(dst, n, nullptr, colour_, coverage, mask, opaque);
    else BlendSpan<true, false>(dst, n, nullptr, colour_, coverage, mask, opaque);
    return;
  }
  const uint32_t* src = Direct(y, x, n);
  if (!src) {
    if (row_.size() < size_t(n)) row_.resize(size_t(n));
    Fetch(y, x, n, row_.data());
    src = row_.data();
  }
  if (mask) BlendSpan<false, true>(dst, n, src, 0, coverage, mask, opaque_);
  else BlendSpan<false, false>(dst, n, src, 0, coverage, mask, opaque_);
}

void TColourSink::Run(int y, int x, int n, uint16_t fill, const uint8_t* coverage) {
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
