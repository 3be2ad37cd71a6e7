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

// The spread of a gradient position outside 0 to 1: pad, reflect, repeat.
inline double Spread(double t, uint8_t spread) {
  if (!std::isfinite(t)) return t > 0 ? 1.0 : 0.0;  // a pixel at no finite place takes an end colour
  if (spread == 2) return t - std::floor(t);
  if (spread == 1) {
    t = std::fabs(t);
    t -= 2.0 * std::floor(t * 0.5);
    return t > 1 ? 2 - t : t;
  }
  return t < 0 ? 0 : t > 1 ? 1 : t;
}

}  // namespace

// --- coverage ---

void TRasterizer::Begin(const QRect& area) {
  area_ = area;
  w_ = std::max(0, area.width());
  h_ = std::max(0, area.height());
  const size_t cells = size_t(h_) * size_t(w_ + 2);
  if (cells_.size() < cells) cells_.resize(cells, 0.0f);
  if (rowMin_.size() < size_t(h_)) rowMin_.resize(size_t(h_), INT32_MAX), rowMax_.resize(size_t(h_), -1);
  if (coverage_.size() < size_t(w_)) coverage_.resize(size_t(w_));
  open_ = false;
}

void TRasterizer::AddLine(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  x0 -= area_.left(), x1 -= area_.left(), y0 -= area_.top(), y1 -= area_.top();
  if (y0 == y1 || (y0 <= 0 && y1 <= 0) || (y0 >= h_ && y1 >= h_)) return;
  // Left of the area an edge still counts for every pixel of its rows; right of it, for none.
  // The parts outside are moved onto the area's sides, cut where the edge crosses them.
  const double w = w_;
  auto piece = [&](double ta, double tb) {
    const double xa = x0 + (x1 - x0) * ta, ya = y0 + (y1 - y0) * ta;
    const double xb = x0 + (x1 - x0) * tb, yb = y0 + (y1 - y0) * tb;
    Deposit(std::clamp(xa, 0.0, w), ya, std::clamp(xb, 0.0, w), yb);
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

void TRasterizer::Deposit(double x0, double y0, double x1, double y1) {
  double dir = 1;
  if (y0 > y1) std::swap(x0, x1), std::swap(y0, y1), dir = -1;
  const double top = std::max(y0, 0.0), bottom = std::min(y1, double(h_));
  if (top >= bottom) return;
  const double dxdy = (x1 - x0) / (y1 - y0);
  const size_t stride = size_t(w_ + 2);
  for (int r = int(top); r < h_ && r < bottom; ++r) {
    const double ya = std::max(double(r), top), yb = std::min(double(r + 1), bottom);
    const double dy = yb - ya;
    if (dy <= 0) continue;
    const double xa = x0 + (ya - y0) * dxdy, xb = x0 + (yb - y0) * dxdy;
    const double d = dy * dir;
    // Rounding may carry a point a hair outside the sides the edge was moved within.
    const double left = std::max(std::min(xa, xb), 0.0), right = std::min(std::max(xa, xb), double(w_));
    float* row = cells_.data() + size_t(r) * stride;
    const int i0 = int(std::floor(left)), i1 = int(std::ceil(right));
    int& lo = rowMin_[size_t(r)];
    int& hi = rowMax_[size_t(r)];
    if (i1 <= i0 + 1) {
      // Within one pixel column: the part of the pixel right of the edge's middle.
      const double f = double(i0 + 1) - 0.5 * (left + right);
      row[i0] += float(d * f);
      row[i0 + 1] += float(d * (1 - f));
      lo = std::min(lo, i0), hi = std::max(hi, i0 + 1);
      continue;
    }
    // Across columns: each column's area right of the edge, from the ramp integral.
    const double scale = d / (right - left);
    double before = 0;
    for (int x = i0; x < i1; ++x) {
      const double c = scale * (RampArea(x + 1 - left) - RampArea(x + 1 - right));
      row[x] += float(c - before);
      before = c;
    }
    row[i1] += float(d - before);
    lo = std::min(lo, i0), hi = std::max(hi, i1);
  }
}

void TRasterizer::AddFlattened(const QPointF& a, const QPointF& b) { AddLine(a.x(), a.y(), b.x(), b.y()); }

void TRasterizer::AddPath(const QPainterPath& path, const QTransform& toDevice) {
  const int count = path.elementCount();
  for (int i = 0; i < count; ++i) {
    const QPainterPath::Element& e = path.elementAt(i);
    const QPointF p = toDevice.map(QPointF(e.x, e.y));
    if (e.type == QPainterPath::MoveToElement) {
      if (open_) AddFlattened(last_, first_);
      first_ = last_ = p;
      open_ = true;
    } else if (e.type == QPainterPath::LineToElement) {
      AddFlattened(last_, p);
      last_ = p;
    } else if (e.type == QPainterPath::CurveToElement && i + 2 < count) {
      // A cubic: its second differences bound how far the chords stray.
      const QPointF c1 = p;
      const QPointF c2 = toDevice.map(QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y));
      const QPointF end = toDevice.map(QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
      i += 2;
      const QPointF d1 = last_ - 2 * c1 + c2, d2 = c1 - 2 * c2 + end;
      const double dd = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
      const double want = std::ceil(std::sqrt(0.75 * dd / kFlatness));
      const int n = std::isfinite(want) ? std::clamp(int(want), 1, kMaxCurveSegments) : 1;
      QPointF from = last_;
      for (int k = 1; k <= n; ++k) {
        const double t = double(k) / n, u = 1 - t;
        const QPointF at = u * u * u * last_ + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * end;
        AddFlattened(from, at);
        from = at;
      }
      last_ = end;
    }
  }
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

TPaint TPaint::Gradient(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice) {
  TPaint p;
  bool invertible = false;
  // Device pixels to the gradient square (-16384 to 16384) scaled to -1 to 1.
  p.fromDevice_ = (QTransform::fromScale(16384, 16384) * f.matrix * toDevice).inverted(&invertible);
  if (!invertible || f.stops.empty()) return p;
  p.kind_ = f.kind == TFillStyle::Linear ? TKind::Linear : f.kind == TFillStyle::Radial ? TKind::Radial : TKind::Focal;
  p.spread_ = f.spread;
  p.focal_ = std::clamp(double(f.focal), -0.998, 0.998);  // a focus on the circle has no inside
  // The colours between the stops, in straight RGB, then transformed and premultiplied.
  p.table_.resize(256);
  std::vector<std::pair<int, QColor>> stops;
  for (const auto& [ratio, colour] : f.stops) stops.emplace_back(ratio, cx.Identity() ? colour : cx.Apply(colour));
  size_t s = 0;
  for (int i = 0; i < 256; ++i) {
    while (s + 1 < stops.size() && stops[s + 1].first <= i) ++s;
    const auto& [r0, c0] = stops[s];
    if (i <= r0 || s + 1 >= stops.size()) {
      p.table_[size_t(i)] = Premultiplied(c0);
      continue;
    }
    const auto& [r1, c1] = stops[s + 1];
    const double t = r1 > r0 ? double(i - r0) / (r1 - r0) : 1.0;
    auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    p.table_[size_t(i)] = Premultiply(mix(c0.red(), c1.red()), mix(c0.green(), c1.green()), mix(c0.blue(), c1.blue()),
                                      mix(c0.alpha(), c1.alpha()));
  }
  return p;
}

TPaint TPaint::Bitmap(const QImage* image, bool repeat, bool smooth, const TColorTransform& cx,
                      const QTransform& toDevice) {
  TPaint p;
  bool invertible = false;
  p.fromDevice_ = toDevice.inverted(&invertible);
  if (!image || image->isNull() || !invertible) return p;
  p.kind_ = TKind::Bitmap;
  p.image_ = image;
  p.repeat_ = repeat;
  p.smooth_ = smooth;
  p.cx_ = cx;
  p.cxIdentity_ = cx.Identity();
  return p;
}

void TPaint::Fetch(int y, int x, int n, uint32_t* out) const {
  // The pixel centres of the span in the paint's space: a start and a step.
  const QPointF start = fromDevice_.map(QPointF(x + 0.5, y + 0.5));
  const double u = start.x(), v = start.y();
  const double du = fromDevice_.m11(), dv = fromDevice_.m12();
  if (kind_ == TKind::Bitmap) return FetchBitmap(u, v, du, dv, n, out);
  // Far out of the square every gradient shows one of its ends.
  constexpr double kFar = 1e6;
  if (!(std::fabs(u) < kFar && std::fabs(v) < kFar && std::fabs(du) < kFar && std::fabs(dv) < kFar)) {
    std::fill(out, out + n, table_[255]);
    return;
  }
  const uint32_t* table = table_.data();
  auto index = [](float t) { return int(t * 255.0f + 0.5f); };  // t from 0 to 1
  switch (kind_) {
    case TKind::Linear: {
      const double t0 = (u + 1.0) * 0.5, dt = du * 0.5;
      if (spread_ == 0) {
        // The table index in 16.16 fixed point, stepped along the row.
        int64_t k = std::llround((t0 * 255.0 + 0.5) * 65536.0);
        const int64_t dk = std::llround(dt * 255.0 * 65536.0);
        for (int i = 0; i < n; ++i, k += dk) out[i] = table[std::clamp<int64_t>(k >> 16, 0, 255)];
      } else {
        for (int i = 0; i < n; ++i) out[i] = table[index(float(Spread(t0 + i * dt, spread_)))];
      }
      return;
    }
    case TKind::Radial: {
      const float gu = float(u), gv = float(v), fdu = float(du), fdv = float(dv);
      if (spread_ == 0) {
        for (int i = 0; i < n; ++i) {
          const float a = gu + float(i) * fdu, b = gv + float(i) * fdv;
          out[i] = table[index(std::min(std::sqrt(a * a + b * b), 1.0f))];
        }
      } else {
        for (int i = 0; i < n; ++i) {
          const float a = gu + float(i) * fdu, b = gv + float(i) * fdv;
          out[i] = table[index(float(Spread(std::sqrt(a * a + b * b), spread_)))];
        }
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
        out[i] = table[index(float(Spread(t, spread_)))];
      }
      return;
    }
    default: std::fill(out, out + n, colour_); return;
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

// Source over, each pixel by its coverage: the colours of a span, or one colour for all.
template <bool kOneColour, bool kMask>
void BlendSpan(uint32_t* dst, int n, const uint32_t* src, uint32_t colour, const uint8_t* coverage,
               const uint8_t* mask) {
  const bool opaque = kOneColour && colour >> 24 == 255;
  for (int i = 0; i < n; ++i) {
    uint32_t c = coverage[i];
    if (kMask) c = (c * mask[i] + 127) / 255;
    if (c == 0) continue;
    if (kOneColour && !kMask && c == 255 && opaque) {  // inside an opaque fill: a run of the colour
      int j = i + 1;
      while (j < n && coverage[j] == 255) ++j;
      std::fill(dst + i, dst + j, colour);
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
    if (mask) BlendSpan<true, true>(dst, n, nullptr, colour_, coverage, mask);
    else BlendSpan<true, false>(dst, n, nullptr, colour_, coverage, mask);
    return;
  }
  if (row_.size() < size_t(n)) row_.resize(size_t(n));
  Fetch(y, x, n, row_.data());
  if (mask) BlendSpan<false, true>(dst, n, row_.data(), 0, coverage, mask);
  else BlendSpan<false, false>(dst, n, row_.data(), 0, coverage, mask);
}

}  // namespace sf::swf
