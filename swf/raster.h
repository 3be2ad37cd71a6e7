// Our scanline rasterizer and the paints it feeds.
//
// A pass draws a set of fills at once, as a shape's edges give them: every edge carries the fill
// on its left and the fill on its right (0 for none). Walked row by row, an edge adds to each
// pixel of the row the signed part of the pixel's area that lies to its right, for the fill on
// its right, and takes the same from the fill on its left. Summed along the row, fill by fill,
// that gives each pixel the area each fill covers, by winding; the even-odd rule folds the count,
// the non-zero rule clamps it. Two fills that meet along an edge so share the pixels of that edge
// and together cover them whole: no seam. The cells are kept sparse, row by row, so that a pass
// costs by its edges, not by its fills; a pass of one fill (a line, a shape of one style) sums
// its cells in place in a row buffer instead, and finds them by a bit mask of their columns.
//
// The paints fill the coverage (a solid colour, a gradient through a 256-entry table, a bitmap),
// blended source-over into a 32-bit premultiplied image; where fills share a pixel their colours,
// each by its share, are summed first and the sum blended once.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <cstdint>
#include <vector>

#include "swf/movie.h"

namespace sf::swf {

// The part of a pixel one fill covers, 0 to 255.
struct TShare {
  uint16_t fill;
  uint8_t coverage;
};

// Where a pass's coverage goes, row by row, top to bottom, each row left to right.
class TCoverageSink {
 public:
  // n pixels from x of row y that one fill alone covers, each by its coverage (0 to 255).
  virtual void Run(int y, int x, int n, uint16_t fill, const uint8_t* coverage) = 0;
  // n pixels from x of row y that one fill alone covers, all by the same coverage (1 to 255): the
  // inside of a fill.
  virtual void Span(int y, int x, int n, uint16_t fill, uint8_t coverage) = 0;
  // n pixels from x of row y that several fills share, each pixel the same shares.
  virtual void Mixed(int y, int x, int n, const TShare* shares, int count) = 0;

 protected:
  ~TCoverageSink() = default;
};

class TRasterizer {
 public:
  // A pass over `area` (device pixels): `edges(*this)` adds its edges with AddLine, AddQuad and
  // AddPath; the coverage goes to `sink`. A pass of more cells than a rasterizer keeps at once
  // is drawn again in halves of its rows. `only`, when not 0, tells that every edge has that fill
  // on one side and none on the other (a line, a shape of one style): the pass then sums its
  // cells in place, row by row, without keeping them apart by fill.
  template <class TEdges>
  void Pass(const QRect& area, bool evenOdd, TEdges&& edges, TCoverageSink& sink, uint16_t only = 0);

  // An edge in device pixels from a to b, with the fill on its left and on its right.
  void AddLine(QPointF a, QPointF b, uint16_t left, uint16_t right);
  // A quadratic curve from a through the control point c to b, flattened to a tenth of a pixel.
  void AddQuad(QPointF a, QPointF c, QPointF b, uint16_t left, uint16_t right);
  // A path's contours mapped to device pixels, each closed, with `fill` on the right of every
  // edge (for the non-zero rule the side does not matter).
  void AddPath(const QPainterPath& path, const QTransform& toDevice, uint16_t fill = 1);

  // The most cells a rasterizer holds before a pass is split, and the largest area (in pixels)
  // whose cells of one fill it sums in place.
  static constexpr size_t kMaxCells = size_t(1) << 20;
  static constexpr size_t kMaxDense = size_t(1) << 20;

 private:
  // A pixel's change: the pixel gets `area` of its fills, the pixels right of it `cover`; `right`
  // gains, `left` loses.
  struct TCell {
    int32_t x;
    float area, cover;
    uint16_t left, right;
  };

  void Begin(const QRect& area, uint16_t only);
  void Clear();
  void Sweep(bool evenOdd, TCoverageSink& sink);
  void SweepRow(int r, bool evenOdd, TCoverageSink& sink);
  void SweepDense(int r, bool evenOdd, TCoverageSink& sink);
  void Deposit(double x0, double y0, double x1, double y1, uint16_t left, uint16_t right);
  template <bool kDense>
  void Rows(double x0, double y0, double dxdy, double top, double bottom, int first, int last, double dir,
            uint16_t left, uint16_t right);
  void Mark(int r, int from, int to);
  void Add(int r, int x, float area, float cover, uint16_t left, uint16_t right);
  void Touch(uint16_t fill, double area, double cover);

  QRect area_;
  int w_ = 0, h_ = 0;
  std::vector<std::vector<TCell>> rows_;
  // A pass of one fill: its cells summed in place, h rows of w + 2, each row's first and last.
  uint16_t only_ = 0;
  std::vector<float> dense_;
  std::vector<int> denseLo_, denseHi_;
  std::vector<uint64_t> marks_;  // a bit for each column of a row that has a cell
  int words_ = 0;                // of marks a row
  int rowMin_ = 0, rowMax_ = -1;
  size_t cells_ = 0;
  bool overflowed_ = false;
  uint16_t maxFill_ = 0;
  // The sweep's state by fill: the running sum, the value of the pixel at hand, the event that
  // last touched it, and the fills whose sum is not zero.
  std::vector<double> sum_, pixel_;
  std::vector<uint32_t> mark_;
  std::vector<uint8_t> active_;
  std::vector<uint16_t> actives_;
  std::vector<TShare> shares_;
  uint32_t event_ = 0;
  std::vector<uint8_t> coverage_;
};

// A colour transform applied to premultiplied pixels.
uint32_t TransformPixel(uint32_t premultiplied, const TColorTransform& cx);

// A gradient's colour at each of its 256 ratios, premultiplied, its stops transformed first.
std::vector<uint32_t> GradientTable(const TFillStyle& f, const TColorTransform& cx);

class TPaint;

// A mask in force: the coverage of each pixel of its area, row by row; no data, no mask.
struct TMaskPlane {
  const uint8_t* data = nullptr;
  QRect area;
  const uint8_t* At(int y, int x) const {
    return data ? data + size_t(y - area.top()) * size_t(area.width()) + size_t(x - area.left()) : nullptr;
  }
};

// Coverage drawn in colours into 32-bit premultiplied pixels: each fill's paint by its coverage
// and the mask's, source over; where fills share pixels, their colours summed by their shares,
// then blended once. The paint of each fill is the subclass's.
class TColourSink : public TCoverageSink {
 public:
  TColourSink(uint32_t* pixels, qsizetype stride, TMaskPlane mask) : pixels_(pixels), stride_(stride), mask_(mask) {}
  void Run(int y, int x, int n, uint16_t fill, const uint8_t* coverage) override;
  void Span(int y, int x, int n, uint16_t fill, uint8_t coverage) override;
  void Mixed(int y, int x, int n, const TShare* shares, int count) override;

 protected:
  ~TColourSink() = default;
  // The paint of a fill; an empty paint draws nothing.
  virtual const TPaint& Paint(uint16_t fill) = 0;

 private:
  uint32_t* pixels_;
  qsizetype stride_;
  TMaskPlane mask_;
};

// Coverage drawn as a mask: the plane's pixels gain the area the fills cover (whatever their
// paint), within the mask in force.
class TMaskSink final : public TCoverageSink {
 public:
  TMaskSink(uint8_t* plane, const QRect& area, TMaskPlane mask) : plane_(plane), area_(area), mask_(mask) {}
  void Run(int y, int x, int n, uint16_t fill, const uint8_t* coverage) override;
  void Span(int y, int x, int n, uint16_t, uint8_t coverage) override { Gain(y, x, n, nullptr, coverage); }
  void Mixed(int y, int x, int n, const TShare* shares, int count) override;

 private:
  void Gain(int y, int x, int n, const uint8_t* coverage, int constant);
  uint8_t* plane_;
  QRect area_;
  TMaskPlane mask_;
};

// What fills a shape: the colour of each pixel of a span.
class TPaint {
 public:
  // `toDevice` maps shape twips to device pixels.
  static TPaint Solid(const QColor& c, const TColorTransform& cx);
  static TPaint Gradient(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice);
  // A bitmap whose pixels `toDevice` maps to device pixels; null when nothing can be drawn.
  // `opaque` tells that every pixel of it has full alpha.
  static TPaint Bitmap(const QImage* image, bool repeat, bool smooth, const TColorTransform& cx,
                       const QTransform& toDevice, bool opaque = false);

  bool Empty() const { return kind_ == TKind::None; }
  // Blends the paint over `row` (premultiplied 32-bit pixels of device row y) from x for n
  // pixels, each by its coverage (0 to 255) and, when given, by a mask's coverage at the same
  // pixels.
  void Blend(uint32_t* row, int x, int n, int y, const uint8_t* coverage, const uint8_t* mask) const;
  // The same with one coverage for all the pixels.
  void Blend(uint32_t* row, int x, int n, int y, uint8_t coverage, const uint8_t* mask) const;
  // The paint's premultiplied colours of n pixels from x in row y.
  void Fetch(int y, int x, int n, uint32_t* out) const;

 private:
  enum class TKind : uint8_t { None, Solid, Linear, Radial, Focal, Bitmap } kind_ = TKind::None;
  void FetchBitmap(double u, double v, double du, double dv, int n, uint32_t* out) const;
  // The bitmap's own pixels for a span when they lie one to one on the device's, or null.
  const uint32_t* Direct(int y, int x, int n) const;
  // The paint's colours of a span: the bitmap's own pixels, or fetched into a row of its own.
  const uint32_t* Colours(int y, int x, int n) const;

  uint32_t colour_ = 0;               // Solid, premultiplied
  // Gradients: 256 premultiplied colours, the style's own or those under a colour transform.
  const uint32_t* styleTable_ = nullptr;
  std::vector<uint32_t> transformed_;
  const uint32_t* Table() const { return transformed_.empty() ? styleTable_ : transformed_.data(); }
  uint8_t spread_ = 0;
  double focal_ = 0;                  // on the unit circle's x axis
  QTransform fromDevice_;             // device pixels to the unit gradient square or bitmap pixels
  // The same as plain numbers: u = ux x + uy y + u0, v = vx x + vy y + v0.
  double ux_ = 0, uy_ = 0, u0_ = 0, vx_ = 0, vy_ = 0, v0_ = 0;
  void SetFromDevice(const QTransform& m);
  const QImage* image_ = nullptr;     // Bitmap, premultiplied ARGB
  bool repeat_ = true, smooth_ = true, opaque_ = false;
  bool direct_ = false;               // the bitmap's pixels sit on the device's: an offset of
  int dx_ = 0, dy_ = 0;               // whole pixels
  TColorTransform cx_;
  bool cxIdentity_ = true;
  mutable std::vector<uint32_t> row_;
};

// --- template body ---

template <class TEdges>
void TRasterizer::Pass(const QRect& area, bool evenOdd, TEdges&& edges, TCoverageSink& sink, uint16_t only) {
  if (area.isEmpty()) return;
  Begin(area, only);
  edges(*this);
  if (overflowed_ && area.height() > 1) {
    Clear();
    const int half = area.height() / 2;
    Pass(QRect(area.left(), area.top(), area.width(), half), evenOdd, edges, sink, only);
    Pass(QRect(area.left(), area.top() + half, area.width(), area.height() - half), evenOdd, edges, sink, only);
    return;
  }
  Sweep(evenOdd, sink);  // a single row still too full draws the cells it could keep
}

}  // namespace sf::swf
