// The filters of PlaceObject3 and of button records, and the blend modes: reading a filter list,
// applying it to an object's layer, and compositing a layer.
//
// Blurs are boxes as wide as the filter says (a width of one leaves a pixel as it is; the ends of
// the box take a fraction of a pixel where the width is not odd), run along the rows then the
// columns, once for each of the filter's passes: three passes come close to a Gaussian. The
// shadows, glows and bevels work on the layer's alpha: blurred, moved by the distance along the
// angle, taken by the strength, then coloured (by one colour, or by a gradient for the gradient
// filters) and composited with the object (inside it for inner ones, knocking it out, or hiding it).
// A convolution works on the object's own picture, which keeps its size: beyond its sides it sees
// the nearest edge pixel or the filter's default colour.
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/layers.h"
#include "swf/parse.h"
#include "swf/raster.h"

namespace sf::swf {

// --- Reading ---

namespace {

double Fixed16(TReader& r) { return double(int32_t(r.U32())) / 65536.0; }
double Fixed8(TReader& r) { return double(r.S16()) / 256.0; }
float Float(TReader& r) {
  const uint32_t bits = r.U32();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return std::isfinite(f) ? f : 0.0f;
}

// The flags byte of the shadows, glows and bevels: inner, knockout, composite source, then on top
// and passes (the drop shadow's and glow's passes take the on-top bit as their fifth).
void ShadowFlags(TReader& r, TFilter& f, bool fourBitPasses) {
  const uint8_t flags = r.U8();
  f.inner = flags & 0x80;
  f.knockout = flags & 0x40;
  f.composite = flags & 0x20;
  f.onTop = fourBitPasses && (flags & 0x10);
  f.passes = fourBitPasses ? flags & 0x0F : flags & 0x1F;
}

}  // namespace

TFilterList ReadFilterList(TReader& r) {
  TFilterList list;
  const int count = r.U8();
  for (int i = 0; i < count; ++i) {
    TFilter f;
    const uint8_t id = r.U8();
    switch (id) {
      case 0:  // DropShadow
        f.kind = TFilter::DropShadow;
        f.colours.emplace_back(0, r.Rgba());
        f.blurX = Fixed16(r), f.blurY = Fixed16(r), f.angle = Fixed16(r), f.distance = Fixed16(r);
        f.strength = Fixed8(r);
        ShadowFlags(r, f, false);
        break;
      case 1:  // Blur
        f.kind = TFilter::Blur;
        f.blurX = Fixed16(r), f.blurY = Fixed16(r);
        f.passes = r.U8() >> 3;
        break;
      case 2:  // Glow
        f.kind = TFilter::Glow;
        f.colours.emplace_back(0, r.Rgba());
        f.blurX = Fixed16(r), f.blurY = Fixed16(r);
        f.strength = Fixed8(r);
        ShadowFlags(r, f, false);
        break;
      case 3:  // Bevel: the shadow's colour, then the highlight's
        f.kind = TFilter::Bevel;
        f.colours.emplace_back(0, r.Rgba());
        f.colours.emplace_back(255, r.Rgba());
        f.blurX = Fixed16(r), f.blurY = Fixed16(r), f.angle = Fixed16(r), f.distance = Fixed16(r);
        f.strength = Fixed8(r);
        ShadowFlags(r, f, true);
        break;
      case 4: case 7: {  // GradientGlow and GradientBevel
        f.kind = id == 4 ? TFilter::GradientGlow : TFilter::GradientBevel;
        const int n = r.U8();
        std::vector<QColor> colours;
        for (int k = 0; k < n; ++k) colours.push_back(r.Rgba());
        for (int k = 0; k < n; ++k) f.colours.emplace_back(r.U8(), colours[size_t(k)]);
        f.blurX = Fixed16(r), f.blurY = Fixed16(r), f.angle = Fixed16(r), f.distance = Fixed16(r);
        f.strength = Fixed8(r);
        ShadowFlags(r, f, true);
        break;
      }
      case 5: {  // Convolution
        f.kind = TFilter::Convolution;
        f.cols = r.U8(), f.rows = r.U8();
        f.divisor = Float(r), f.bias = Float(r);
        for (int k = 0; k < f.cols * f.rows; ++k) f.matrix.push_back(Float(r));
        f.defaultColour = r.Rgba();
        const uint8_t flags = r.U8();
        f.clamp = flags & 0x02;
        f.preserveAlpha = flags & 0x01;
        break;
      }
      case 6:  // ColorMatrix
        f.kind = TFilter::ColorMatrix;
        for (int k = 0; k < 20; ++k) f.matrix.push_back(Float(r));
        break;
      default: Fail("an unknown filter");
    }
    list.push_back(std::move(f));
  }
  return list;
}

// --- Applying ---

namespace {

// The largest blur a pass takes and the most passes, as the format's authoring tools allowed;
// the largest convolution matrix applied.
constexpr double kMaxBlur = 255;
constexpr int kMaxPasses = 15;
constexpr int kMaxMatrixSide = 31;

double BlurWidth(double blur, double scale) { return std::clamp(blur * scale, 0.0, kMaxBlur * std::max(scale, 1.0)); }
int Passes(const TFilter& f) { return std::clamp(f.passes, 0, kMaxPasses); }

// The pixels a blur of `width` reaches on each side after `passes` passes.
int BlurReach(double width, int passes) { return width <= 1 ? 0 : int(std::ceil(width / 2)) * passes; }

bool Shadowing(const TFilter& f) { return f.kind != TFilter::Blur && f.kind != TFilter::Convolution && f.kind != TFilter::ColorMatrix; }

// How far one filter spreads what it filters, in device pixels. A convolution spreads nothing (its
// picture keeps its size), but reads as far as half its matrix: a layer cut by the frame leaves
// room for that.
QMargins Reach(const TFilter& f, double scale, bool reads) {
  switch (f.kind) {
    case TFilter::ColorMatrix: return {};
    case TFilter::Convolution:
      if (!reads || f.cols > kMaxMatrixSide || f.rows > kMaxMatrixSide) return {};
      return QMargins(f.cols / 2, f.rows / 2, f.cols / 2, f.rows / 2);
    default: {
      const int x = BlurReach(BlurWidth(f.blurX, scale), Passes(f)), y = BlurReach(BlurWidth(f.blurY, scale), Passes(f));
      const int d = Shadowing(f) ? int(std::ceil(std::min(std::abs(f.distance) * scale, 1e6))) + 1 : 0;
      return QMargins(x + d, y + d, x + d, y + d);
    }
  }
}

}  // namespace

QMargins FilterReach(const TFilterList& filters, double scale) {
  // Beyond this many pixels a layer does not grow: what a hostile list would spread further is cut.
  constexpr int kMaxReach = 256;
  QMargins reach;
  for (const TFilter& f : filters) {
    reach += Reach(f, scale, true);
    reach = QMargins(std::min(reach.left(), kMaxReach), std::min(reach.top(), kMaxReach), std::min(reach.right(), kMaxReach),
                     std::min(reach.bottom(), kMaxReach));
  }
  return reach;
}

int64_t FilterWork(const TFilterList& filters, double scale, int64_t pixels) {
  int64_t work = 0;
  for (const TFilter& f : filters) {
    const int64_t passes = Passes(f);
    const int64_t directions = (BlurWidth(f.blurX, scale) > 1) + (BlurWidth(f.blurY, scale) > 1);
    switch (f.kind) {
      case TFilter::Blur: work += 4 * passes * directions * pixels; break;  // each channel
      case TFilter::ColorMatrix: work += 4 * pixels; break;
      case TFilter::Convolution:
        if (f.cols <= kMaxMatrixSide && f.rows <= kMaxMatrixSide) work += int64_t(f.cols) * f.rows * 4 * pixels;
        break;
      default: work += (passes * directions + 4) * pixels; break;  // the alpha, then the colouring
    }
  }
  return work;
}

namespace {

// A plane of values, one a pixel, row by row.
struct TPlane {
  int w = 0, h = 0;
  std::vector<float> v;
  TPlane(int width, int height) : w(width), h(height), v(size_t(width) * size_t(height), 0.0f) {}
  float At(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : v[size_t(y) * size_t(w) + size_t(x)]; }
  // Between the pixels, nothing beyond the plane.
  float Sample(double x, double y) const {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = float(x - x0), fy = float(y - y0);
    const float top = At(x0, y0) * (1 - fx) + At(x0 + 1, y0) * fx, bottom = At(x0, y0 + 1) * (1 - fx) + At(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
  }
};

// A box `width` pixels wide: the offsets of full weight run from -whole to whole, the two beyond
// them take `edge` (a width of 3.5 weighs 1 / 3.5 for offsets -1 to 1 and 0.25 / 3.5 for -2 and 2).
struct TBox {
  int whole;
  double edge, width;
  explicit TBox(double w) : whole(int(std::floor(w / 2 - 0.5))), edge(w / 2 - 0.5 - whole), width(w) {}
};

// One pass of a box along each row: a running sum over a copy of the row with `whole + 1` zeros
// at either end (nothing beyond the plane).
void BoxRows(TPlane& p, const TBox& box, std::vector<double>& padded) {
  const int pad = box.whole + 1;
  padded.assign(size_t(p.w + 2 * pad), 0.0);
  const double scale = 1 / box.width;
  for (int y = 0; y < p.h; ++y) {
    float* row = p.v.data() + size_t(y) * size_t(p.w);
    std::copy(row, row + p.w, padded.begin() + pad);
    const double* in = padded.data() + pad;  // in[-pad] to in[w + pad - 1]
    double sum = 0;
    for (int k = -box.whole; k <= box.whole; ++k) sum += in[k];
    for (int x = 0; x < p.w; ++x) {
      row[x] = float((sum + box.edge * (in[x - box.whole - 1] + in[x + box.whole + 1])) * scale);
      sum += in[x + box.whole + 1] - in[x - box.whole];
    }
  }
}

// One pass of a box down the columns, a row at a time: the running sums of every column, so that
// the plane is read in the order it lies in memory.
void BoxColumns(TPlane& p, const TBox& box, std::vector<double>& sums, std::vector<float>& out) {
  const int w = p.w, h = p.h;
  sums.assign(size_t(w), 0.0);
  out.resize(p.v.size());
  auto row = [&](int y) { return p.v.data() + size_t(y) * size_t(w); };
  for (int y = 0; y <= box.whole && y < h; ++y)
    for (int x = 0; x < w; ++x) sums[size_t(x)] += row(y)[x];
  const double scale = 1 / box.width;
  for (int y = 0; y < h; ++y) {
    const int above = y - box.whole - 1, below = y + box.whole + 1;
    const float* a = above >= 0 ? row(above) : nullptr;
    const float* b = below < h ? row(below) : nullptr;
    float* o = out.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) o[x] = float((sums[size_t(x)] + box.edge * ((a ? a[x] : 0) + (b ? b[x] : 0))) * scale);
    // The window moves down a row: the row below comes in, the window's top row goes.
    const int top = y - box.whole;
    for (int x = 0; x < w; ++x) sums[size_t(x)] += (b ? b[x] : 0) - (top >= 0 ? row(top)[x] : 0);
  }
  p.v.swap(out);
}

void Blur(TPlane& p, double blurX, double blurY, int passes) {
  std::vector<double> scratch;
  std::vector<float> out;
  const TBox across(std::max(blurX, 1.0)), down(std::max(blurY, 1.0));
  for (int pass = 0; pass < passes; ++pass) {
    if (blurX > 1) BoxRows(p, across, scratch);
    if (blurY > 1) BoxColumns(p, down, scratch, out);
  }
}

uint32_t* Row(QImage& image, int y) { return reinterpret_cast<uint32_t*>(image.scanLine(y)); }

TPlane AlphaOf(QImage& layer) {
  TPlane a(layer.width(), layer.height());
  for (int y = 0; y < layer.height(); ++y) {
    const uint32_t* row = Row(layer, y);
    for (int x = 0; x < layer.width(); ++x) a.v[size_t(y) * size_t(a.w) + size_t(x)] = float(row[x] >> 24);
  }
  return a;
}

// Premultiplied `colour` by a coverage of 0 to 255.
uint32_t Scaled(uint32_t colour, float coverage) {
  const int c = std::clamp(int(coverage + 0.5f), 0, 255);
  if (c == 0) return 0;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) out |= uint32_t((int((colour >> shift) & 0xFF) * c + 127) / 255) << shift;
  return out;
}

uint32_t Premultiplied(const QColor& c) {
  const int a = c.alpha();
  return uint32_t(a) << 24 | uint32_t((c.red() * a + 127) / 255) << 16 | uint32_t((c.green() * a + 127) / 255) << 8 |
         uint32_t((c.blue() * a + 127) / 255);
}

uint32_t Over(uint32_t s, uint32_t d) {
  const uint32_t keep = 255 - (s >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min<uint32_t>(((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * keep + 127) / 255, 255) << shift;
  return out;
}

// The shadows, glows and bevels: the object's alpha blurred and moved, each pixel's amount
// coloured, then composited with the object.
void Shadow(QImage& layer, const TFilter& f, double scale) {
  const TPlane alpha = AlphaOf(layer);
  TPlane blurred = alpha;
  Blur(blurred, BlurWidth(f.blurX, scale), BlurWidth(f.blurY, scale), Passes(f));
  const bool glow = f.kind == TFilter::Glow || f.kind == TFilter::GradientGlow;
  const double distance = glow ? 0 : f.distance * scale;
  const double dx = std::cos(f.angle) * distance, dy = std::sin(f.angle) * distance;
  const bool bevel = f.kind == TFilter::Bevel || f.kind == TFilter::GradientBevel;
  const bool gradient = f.kind == TFilter::GradientGlow || f.kind == TFilter::GradientBevel;
  std::vector<uint32_t> table;
  if (gradient) {
    TFillStyle g;
    g.kind = TFillStyle::Linear;
    g.stops = f.colours;
    table = GradientTable(g, TColorTransform());
    if (table.size() != 256) table.assign(256, 0);
  }
  const uint32_t colour = f.colours.empty() ? 0xFF000000u : Premultiplied(f.colours.front().second);
  const uint32_t highlight = f.colours.size() > 1 ? Premultiplied(f.colours[1].second) : 0xFFFFFFFFu;
  const float strength = float(std::max(0.0, f.strength));
  // A bevel's type: inner (inside the object), outer (outside), or full (both: on top).
  const bool inner = f.inner && !f.onTop, outer = !f.inner && !f.onTop;
  for (int y = 0; y < layer.height(); ++y) {
    uint32_t* row = Row(layer, y);
    for (int x = 0; x < layer.width(); ++x) {
      const uint32_t object = row[x];
      const float a = alpha.At(x, y);
      uint32_t effect;
      if (bevel) {
        // Light from the side the shadow is cast away from: where the object lies towards the
        // shadow and not away from it, the highlight; the other way, the shadow.
        const float v = blurred.Sample(x + dx / 2, y + dy / 2) - blurred.Sample(x - dx / 2, y - dy / 2);
        float amount = std::clamp(v * strength, -255.0f, 255.0f);
        if (gradient) {
          // The gradient's middle (128) is the base, its ends the full shadow (0) and the full
          // highlight (255); the base too lies only where the bevel's type puts it.
          const float ratio = 128 + amount * (amount >= 0 ? 127.0f : 128.0f) / 255;
          effect = table[size_t(std::clamp(int(std::lround(ratio)), 0, 255))];
          if (inner) effect = Scaled(effect, a);
          else if (outer) effect = Scaled(effect, 255 - a);
        } else {
          if (inner) amount *= a / 255;
          else if (outer) amount *= 1 - a / 255;
          effect = amount >= 0 ? Scaled(highlight, amount) : Scaled(colour, -amount);
        }
      } else {
        float amount = blurred.Sample(x - dx, y - dy);
        if (f.inner) amount = 255 - amount;  // the shadow of what lies around the object, inside it
        amount = std::clamp(amount * strength, 0.0f, 255.0f);
        if (gradient) {
          effect = table[size_t(std::clamp(int(amount + 0.5f), 0, 255))];
          if (f.inner) effect = Scaled(effect, a);
        } else {
          effect = Scaled(colour, f.inner ? amount * a / 255 : amount);
        }
      }
      if (f.knockout) {
        // Only the effect, where the object is not (an outer one, which a bevel is already).
        row[x] = bevel || f.inner ? effect : Scaled(effect, 255 - a);
      } else if (!f.composite) {
        row[x] = effect;  // the object hidden
      } else if (f.inner || (bevel && !outer)) {
        row[x] = Over(effect, object);
      } else {
        row[x] = Over(object, effect);
      }
    }
  }
}

void BlurLayer(QImage& layer, const TFilter& f, double scale) {
  const double bx = BlurWidth(f.blurX, scale), by = BlurWidth(f.blurY, scale);
  const int passes = Passes(f);
  if ((bx <= 1 && by <= 1) || passes == 0) return;
  for (int shift = 0; shift < 32; shift += 8) {
    TPlane p(layer.width(), layer.height());
    for (int y = 0; y < layer.height(); ++y) {
      const uint32_t* row = Row(layer, y);
      for (int x = 0; x < layer.width(); ++x) p.v[size_t(y) * size_t(p.w) + size_t(x)] = float((row[x] >> shift) & 0xFF);
    }
    Blur(p, bx, by, passes);
    for (int y = 0; y < layer.height(); ++y) {
      uint32_t* row = Row(layer, y);
      for (int x = 0; x < layer.width(); ++x) {
        const auto v = uint32_t(std::clamp(int(p.v[size_t(y) * size_t(p.w) + size_t(x)] + 0.5f), 0, 255));
        row[x] = (row[x] & ~(0xFFu << shift)) | v << shift;
      }
    }
  }
  // Channels blurred apart may round above their alpha: held to it.
  for (int y = 0; y < layer.height(); ++y) {
    uint32_t* row = Row(layer, y);
    for (int x = 0; x < layer.width(); ++x) {
      const uint32_t a = row[x] >> 24;
      uint32_t p = row[x] & 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) p |= std::min((row[x] >> shift) & 0xFF, a) << shift;
      row[x] = p;
    }
  }
}

// Straight (not premultiplied) colour of a pixel: red, green, blue, alpha.
void Straight(uint32_t p, float out[4]) {
  const float a = float(p >> 24);
  for (int i = 0; i < 3; ++i) {
    const float c = float((p >> (16 - 8 * i)) & 0xFF);
    out[i] = a > 0 ? std::min(255.0f, c * 255 / a) : 0;
  }
  out[3] = a;
}

// A channel of 0 to 255, rounded. A colour matrix or convolution read from a movie may make any
// value, one past the range of an int or not a number too (taken as 0).
int Channel(float v) { return v >= 0.5f ? int(std::min(v, 255.0f) + 0.5f) : 0; }

uint32_t FromStraight(const float c[4]) {
  const int a = Channel(c[3]);
  uint32_t p = uint32_t(a) << 24;
  for (int i = 0; i < 3; ++i) p |= uint32_t((Channel(c[i]) * a + 127) / 255) << (16 - 8 * i);
  return p;
}

void ColourMatrix(QImage& layer, const TFilter& f) {
  if (f.matrix.size() < 20) return;
  for (int y = 0; y < layer.height(); ++y) {
    uint32_t* row = Row(layer, y);
    for (int x = 0; x < layer.width(); ++x) {
      float in[4], out[4];
      Straight(row[x], in);
      for (int r = 0; r < 4; ++r) {
        const float* m = f.matrix.data() + 5 * r;
        out[r] = m[0] * in[0] + m[1] * in[1] + m[2] * in[2] + m[3] * in[3] + m[4];
      }
      row[x] = FromStraight(out);
    }
  }
}

// A convolution of the picture `image` (in the layer): each of its pixels the weighted sum of
// the matrix's neighbourhood about it, divided and biased. Neighbours beyond the picture are its
// nearest edge pixel when the filter clamps, else the filter's default colour; the pixels of the
// layer outside the picture are left as they are.
void Convolve(QImage& layer, const TFilter& f, const QRect& image) {
  if (f.cols <= 0 || f.rows <= 0 || f.cols > kMaxMatrixSide || f.rows > kMaxMatrixSide ||
      f.matrix.size() < size_t(f.cols * f.rows) || image.isEmpty())
    return;
  const QImage source = layer.copy();
  const float divisor = f.divisor != 0 ? f.divisor : 1;
  float fallback[4];
  Straight(Premultiplied(f.defaultColour), fallback);
  auto at = [&](int x, int y, float px[4]) {
    Straight(reinterpret_cast<const uint32_t*>(source.constScanLine(y))[x], px);
  };
  for (int y = image.top(); y <= image.bottom(); ++y) {
    uint32_t* row = Row(layer, y);
    for (int x = image.left(); x <= image.right(); ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (int j = 0; j < f.rows; ++j)
        for (int i = 0; i < f.cols; ++i) {
          const int sx = x + i - f.cols / 2, sy = y + j - f.rows / 2;
          float px[4];
          if (image.contains(sx, sy)) at(sx, sy, px);
          else if (f.clamp) at(std::clamp(sx, image.left(), image.right()), std::clamp(sy, image.top(), image.bottom()), px);
          else std::copy(fallback, fallback + 4, px);
          const float weight = f.matrix[size_t(j * f.cols + i)];
          for (int c = 0; c < 4; ++c) sum[c] += weight * px[c];
        }
      float out[4];
      for (int c = 0; c < 4; ++c) out[c] = sum[c] / divisor + f.bias;
      if (f.preserveAlpha) {
        float own[4];
        at(x, y, own);
        out[3] = own[3];
      }
      row[x] = FromStraight(out);
    }
  }
}

}  // namespace

void ApplyFilters(QImage& layer, const TFilterList& filters, double scale, QRect image) {
  // The picture grows by each filter that spreads it, as far as the layer.
  image &= layer.rect();
  for (const TFilter& f : filters) {
    switch (f.kind) {
      case TFilter::Blur: BlurLayer(layer, f, scale); break;
      case TFilter::ColorMatrix: ColourMatrix(layer, f); break;
      case TFilter::Convolution: Convolve(layer, f, image); break;
      default: Shadow(layer, f, scale); break;
    }
    image = image.marginsAdded(Reach(f, scale, false)) & layer.rect();
  }
}

void TransformLayer(QImage& layer, const TColorTransform& cx) {
  if (cx.Identity()) return;
  for (int y = 0; y < layer.height(); ++y) {
    uint32_t* row = Row(layer, y);
    for (int x = 0; x < layer.width(); ++x) row[x] = TransformPixel(row[x], cx);
  }
}

// --- Blending ---

namespace {

// One channel of a separable blend of premultiplied s over d (s and d the channel, sa and da
// the alphas, all 0 to 255): the parts of each that the other does not cover, and the blend of
// the two where both are, times 255.
inline int Mixed(uint8_t mode, int s, int sa, int d, int da) {
  int both;  // B(straight s, straight d) × sa × da / 255, from the premultiplied values
  switch (mode) {
    case kBlendMultiply: both = s * d; break;
    case kBlendScreen: both = s * da + d * sa - s * d; break;
    case kBlendLighten: both = std::max(s * da, d * sa); break;
    case kBlendDarken: both = std::min(s * da, d * sa); break;
    case kBlendDifference: both = std::abs(s * da - d * sa); break;
    case kBlendAdd: both = std::min(sa * da, s * da + d * sa); break;
    case kBlendSubtract: both = std::max(0, d * sa - s * da); break;
    case kBlendInvert: both = sa * (da - d); break;
    case kBlendOverlay: both = 2 * d < da ? 2 * s * d : sa * da - 2 * (da - d) * (sa - s); break;
    case kBlendHardlight: both = 2 * s < sa ? 2 * s * d : sa * da - 2 * (da - d) * (sa - s); break;
    default: both = s * da; break;  // normal: the source where both are
  }
  return s * (255 - da) + d * (255 - sa) + both;
}

inline uint32_t BlendPixel(uint8_t mode, uint32_t s, uint32_t d) {
  const int sa = int(s >> 24), da = int(d >> 24);
  if (mode == kBlendAlpha || mode == kBlendErase) {  // the layer's alpha keeps or erases what is below
    const int keep = mode == kBlendAlpha ? sa : 255 - sa;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= uint32_t((int((d >> shift) & 0xFF) * keep + 127) / 255) << shift;
    return out;
  }
  if (sa == 0 && mode != kBlendInvert) return d;
  uint32_t out = uint32_t(std::min(255, sa + da - (sa * da + 127) / 255)) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int v = Mixed(mode, int((s >> shift) & 0xFF), sa, int((d >> shift) & 0xFF), da);
    out |= uint32_t(std::clamp((v + 127) / 255, 0, 255)) << shift;
  }
  return out;
}

}  // namespace

void BlendRow(uint32_t* dst, const uint32_t* src, int n, uint8_t mode, const uint8_t* mask) {
  const bool normal = mode <= kBlendLayer;
  for (int i = 0; i < n; ++i) {
    uint32_t s = src[i];
    if (mask) {
      if (mask[i] == 0) continue;
      if (mask[i] < 255) s = Scaled(s, mask[i]);
    }
    if (normal) {
      if (s >> 24 == 255) dst[i] = s;
      else if (s != 0) dst[i] = Over(s, dst[i]);
    } else {
      dst[i] = BlendPixel(mode, s, dst[i]);
    }
  }
}

}  // namespace sf::swf
