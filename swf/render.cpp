// Drawing a frame: the display list, deepest first, each object with its matrix and colour
// transform joined to those of the sprites it stands in. A shape's fills are drawn by one pass
// over each of its style groups' edges, then its lines over them; masks (a shape, a bitmap or a
// sprite with all it draws) clip the depths they name.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <latch>
#include <map>
#include <mutex>
#include <semaphore>
#include <thread>
#include <tuple>

#include "swf/layers.h"
#include "swf/parse.h"
#include "swf/player.h"
#include "swf/raster.h"

namespace sf::swf {
namespace {

// The pixels a band of a frame holds at most, so that they stay in a core's cache.
constexpr qint64 kBandBytes = qint64(1) << 20;

// Masks nested deeper than this hide what they clip, so that a hostile movie of masks cannot
// claim a screen-sized buffer for each of its depths.
constexpr int kMaxMasks = 8;
// Layers nested deeper than this draw their objects as if they had no blend mode or filters, and
// no layer is larger than this many pixels: for the same reason.
constexpr int kMaxLayers = 6;
constexpr qint64 kMaxLayerPixels = qint64(2048) * 2048;
// The most passes over pixel values a frame's filters take (FilterWork; a pass is a few
// nanoseconds): a layer whose filters would go past it is drawn without them. Generous for the
// stage-sized blurs and glows that movies use; a hostile movie of nested layers under blurs of
// many passes meets it.
constexpr int64_t kMaxFilterWork = int64_t(1) << 27;

// The device pixels a shape's box covers inside the clip, or an empty rectangle.
QRect DeviceBox(const QRectF& shapeBox, const QTransform& toDevice, const QRect& clip) {
  const QRectF box = toDevice.mapRect(shapeBox);
  const double left = std::max(box.left(), double(clip.left())), top = std::max(box.top(), double(clip.top()));
  const double right = std::min(box.right(), double(clip.right() + 1)),
               bottom = std::min(box.bottom(), double(clip.bottom() + 1));
  if (!(left < right) || !(top < bottom)) return {};  // also when a coordinate is not a number
  return QRect(QPoint(int(std::floor(left)), int(std::floor(top))),
               QPoint(int(std::ceil(right)) - 1, int(std::ceil(bottom)) - 1));
}

// Lines sit on the format's pixel grid: the coordinate of a line of one pixel names the pixel it
// covers, so its area is drawn half a pixel right and down of where it is.
const QTransform kLineGrid = QTransform::fromTranslate(0.5, 0.5);

struct TRenderer;

// The layers of a frame's objects with blend modes or filters, each drawn and filtered once for
// all the bands it reaches (the first band to meet it makes it; the others wait for it and take
// their rows). An object is known by its place on the display list and its matrix to the device.
class TLayerCache {
 public:
  struct TLayer {
    std::once_flag made;
    QImage image;  // ARGB32 premultiplied, filtered, its colour transform applied; null: nothing
    QRect rect;    // where it lies on the device
    bool tooLarge = false;  // larger than a layer may be: each band makes its own part
  };
  TLayer& Get(const TDisplayObject* o, const QTransform& m) {
    const auto key = std::make_tuple(o, m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy());
    std::lock_guard<std::mutex> lock(mutex_);
    auto& layer = layers_[key];
    if (!layer) layer = std::make_unique<TLayer>();
    return *layer;
  }

 private:
  std::mutex mutex_;
  std::map<std::tuple<const TDisplayObject*, double, double, double, double, double, double>, std::unique_ptr<TLayer>>
      layers_;
};

// The paints of a group's fill styles, each made when the pass first meets its fill.
class TStylePaints final : public TColourSink {
 public:
  TStylePaints(const TRenderer& r, const std::vector<TFillStyle>& fills, const TColorTransform& cx,
               const QTransform& toDevice, uint32_t* pixels, qsizetype stride, TMaskPlane mask)
      : TColourSink(pixels, stride, mask), r_(r), fills_(fills), cx_(cx), toDevice_(toDevice), paints_(fills.size()),
        made_(fills.size(), false) {}

 private:
  const TPaint& Paint(uint16_t fill) override;
  const TRenderer& r_;
  const std::vector<TFillStyle>& fills_;
  const TColorTransform& cx_;
  const QTransform& toDevice_;
  std::vector<TPaint> paints_;
  std::vector<bool> made_;
  uint16_t last_ = 0;  // the fill asked for last, and its paint
  const TPaint* lastPaint_ = nullptr;
};

// One paint for all a pass covers (a line).
class TOnePaint final : public TColourSink {
 public:
  TOnePaint(const TPaint& paint, uint32_t* pixels, qsizetype stride, TMaskPlane mask)
      : TColourSink(pixels, stride, mask), paint_(paint) {}

 private:
  const TPaint& Paint(uint16_t) override { return paint_; }
  const TPaint& paint_;
};

struct TRenderer {
  uint32_t* const pixels;  // the target's, row by row; null when the renderer draws a mask
  const qsizetype stride;
  uint8_t* const plane;    // the mask being drawn: the clip's pixels row by row
  const TSwfMovie& movie;
  const int32_t frame;     // the movie's frame: which bitmap an id names
  const QRect clip;
  TRasterizer& raster;
  const double stageScale;  // device pixels a twip of the stage: lines that do not scale keep to it
  int& planes;              // the mask planes alive, here and in the masks being drawn
  int& layers;              // the layers alive, here and in the layers being drawn
  const bool inLayer = false;  // drawing into a layer: the alpha and erase blend modes act on it
  // The frame's layers shared by its bands, with the frame's whole area; null inside a layer.
  TLayerCache* layerCache = nullptr;
  const QRect frameArea = {};
  std::atomic<int64_t>* filterWork = nullptr;  // what the frame's filters took so far
  // The masks in force, each the coverage of the clip's pixels row by row within the ones before;
  // an empty one hides everything.
  std::vector<std::vector<uint8_t>> masks = {};

  TMaskPlane Mask() const { return masks.empty() ? TMaskPlane{} : TMaskPlane{masks.back().data(), clip}; }

  TPaint Paint(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice) const {
    switch (f.kind) {
      case TFillStyle::Solid: return TPaint::Solid(f.color, cx);
      case TFillStyle::Bitmap: {
        const TCharacter* c = movie.Character(f.bitmapId, frame);
        if (!c || c->kind != TCharacter::Bitmap || c->bitmap.isNull()) return {};
        return TPaint::Bitmap(&c->bitmap, f.repeat, f.smooth, cx, f.matrix * toDevice, c->opaque);
      }
      default: return TPaint::Gradient(f, cx, toDevice);
    }
  }

  // A pass of a path's area (non-zero rule) in one paint, within `within` of the clip.
  void FillPath(const QPainterPath& path, const QTransform& toDevice, const TPaint& paint, const QRect* within = nullptr) {
    if (!plane && paint.Empty()) return;
    QRect box = DeviceBox(path.controlPointRect(), toDevice, clip);
    if (within) box &= *within;
    OnePass(box, false, [&](TRasterizer& r) { r.AddPath(path, toDevice); }, paint);
  }

  // A pass of edges in one paint, or into the mask being drawn.
  template <class TEdges>
  void OnePass(const QRect& box, bool evenOdd, const TEdges& edges, const TPaint& paint) {
    if (plane) {
      TMaskSink sink(plane, clip, Mask());
      raster.Pass(box, evenOdd, edges, sink, 1);
    } else {
      TOnePaint sink(paint, pixels, stride, Mask());
      raster.Pass(box, evenOdd, edges, sink, 1);
    }
  }

  // The fills of a style group: one pass over its edges.
  void Fills(const TSwfShape::TGroup& g, bool evenOdd, const TColorTransform& cx, const QTransform& toDevice) {
    if (g.edges.empty()) return;
    const QRect box = DeviceBox(g.fillBounds, toDevice, clip);
    const double m11 = toDevice.m11(), m12 = toDevice.m12(), m21 = toDevice.m21(), m22 = toDevice.m22();
    const double dx = toDevice.dx(), dy = toDevice.dy();
    auto at = [&](float x, float y) { return QPointF(m11 * x + m21 * y + dx, m12 * x + m22 * y + dy); };
    auto edges = [&](TRasterizer& r) {
      for (const TSwfShape::TEdge& e : g.edges) {
        if (e.curve) r.AddQuad(at(e.ax, e.ay), at(e.cx, e.cy), at(e.bx, e.by), e.fill0, e.fill1);
        else r.AddLine(at(e.ax, e.ay), at(e.bx, e.by), e.fill0, e.fill1);
      }
    };
    if (plane) {
      TMaskSink sink(plane, clip, Mask());
      raster.Pass(box, evenOdd, edges, sink, g.onlyFill);
    } else {
      TStylePaints sink(*this, g.fills, cx, toDevice, pixels, stride, Mask());
      raster.Pass(box, evenOdd, edges, sink, g.onlyFill);
    }
  }

  void Stroke(const TSwfShape::TStroke& s, const TColorTransform& cx, const QTransform& toDevice) {
    const TLineStyle& l = s.line;
    const TPaint paint = l.hasFill ? Paint(l.fill, cx, toDevice) : TPaint::Solid(l.color, cx);
    if (paint.Empty()) return;
    // The line's width on the device: scaled with its shape, or kept to the stage where the line
    // does not scale (in one direction: the shape's scale in the other).
    double width;
    if (l.noHScale && l.noVScale) width = l.width * stageScale;
    else if (l.noHScale) width = l.width * std::hypot(toDevice.m21(), toDevice.m22());
    else if (l.noVScale) width = l.width * std::hypot(toDevice.m11(), toDevice.m12());
    else if (l.width * std::sqrt(std::abs(toDevice.determinant())) >= 1.0 && !s.outline.isEmpty())
      return FillPath(s.outline, toDevice * kLineGrid, paint);
    else width = 1;
    // Drawn from its path on the device, never thinner than a pixel (a hairline, as flash draws
    // one), when it does not scale or would be thinner.
    if (!std::isfinite(width)) return;
    Hairline(s.path, toDevice, l, width, paint);
  }

  // A path stroked on the device at a width of at least a pixel.
  void Hairline(const QPainterPath& path, const QTransform& toDevice, const TLineStyle& l, double width, const TPaint& paint,
                const QRect* within = nullptr) {
    const QPainterPath device = toDevice.map(path);
    const double reach = std::max(width, 1.0) + 1;
    if (DeviceBox(device.controlPointRect().adjusted(-reach, -reach, reach, reach), QTransform(), clip).isEmpty()) return;
    FillPath(LineArea(l, std::clamp(width, 1.0, 1e6), device), kLineGrid, paint, within);
  }

  void Shape(const TSwfShape& shape, const TColorTransform& cx, const QTransform& toDevice) {
    for (const TSwfShape::TGroup& g : shape.groups) {
      Fills(g, !shape.nonZero, cx, toDevice);
      if (plane) continue;  // a mask is the area of the fills
      for (const TSwfShape::TStroke& s : g.strokes) Stroke(s, cx, toDevice);
    }
  }

  // Embedded glyphs of one paint: as many at once as do not overlap on the device (the even-odd
  // rule of a glyph must not see its neighbour), each by its own placement.
  void Glyphs(const std::vector<TText::TGlyph>& glyphs, const TPaint& paint, const QTransform& toDevice, const QRect& within) {
    size_t from = 0;
    while (from < glyphs.size()) {
      QRectF box;
      size_t to = from;
      for (; to < glyphs.size(); ++to) {
        const QRectF g = (glyphs[to].place * toDevice).mapRect(glyphs[to].glyph->fillBounds);
        if (to > from && g.intersects(box)) break;
        box = box.united(g);
      }
      const QRect area = DeviceBox(box, QTransform(), within);
      auto edges = [&](TRasterizer& r) {
        for (size_t i = from; i < to; ++i) {
          const QTransform m = glyphs[i].place * toDevice;
          for (const TSwfShape::TEdge& e : glyphs[i].glyph->edges) {
            if (e.curve) r.AddQuad(m.map(QPointF(e.ax, e.ay)), m.map(QPointF(e.cx, e.cy)), m.map(QPointF(e.bx, e.by)), e.fill0, e.fill1);
            else r.AddLine(m.map(QPointF(e.ax, e.ay)), m.map(QPointF(e.bx, e.by)), e.fill0, e.fill1);
          }
        }
      };
      OnePass(area, true, edges, paint);
      from = to;
    }
  }

  // Text: its field's background and border, its runs of glyphs, its underlines. A field clips
  // what it draws to its bounds where it stands square on the device.
  void Text(const TText& t, const TColorTransform& cx, const QTransform& objectToDevice) {
    const QTransform toDevice = t.matrix * objectToDevice;
    QRect within = clip;
    if (t.clipped && toDevice.m12() == 0 && toDevice.m21() == 0) within &= DeviceBox(t.bounds, toDevice, clip);
    if (within.isEmpty()) return;
    QPainterPath box;
    box.addRect(t.bounds);
    if (t.background.isValid()) FillPath(box, toDevice, TPaint::Solid(t.background, cx));
    for (const TText::TRun& run : t.runs) {
      const TPaint paint = TPaint::Solid(run.colour, cx);
      if (!run.glyphs.empty()) Glyphs(run.glyphs, paint, toDevice, within);
      if (!run.outlines.isEmpty()) FillPath(run.outlines, toDevice, paint, &within);
    }
    for (const auto& [rect, colour] : t.underlines) {
      QPainterPath bar;
      bar.addRect(rect);
      FillPath(bar, toDevice, TPaint::Solid(colour, cx), &within);
    }
    // The border over all, its pixels just inside the field's bounds.
    if (t.border.isValid() && !plane) {
      TLineStyle hairline;
      hairline.cap = 2, hairline.join = 2;
      QPainterPath inside;
      const QRectF device = toDevice.mapRect(t.bounds).adjusted(0, 0, -1, -1);
      inside.addRect(device);
      Hairline(inside, QTransform(), hairline, 1, TPaint::Solid(t.border, cx));
    }
  }

  // A mask: the area the object fills (a shape's fills, a bitmap's box, all a sprite draws at its
  // frame), within the masks already in force.
  void PushMask(const TDisplayObject& o, const QTransform& toDevice, int nesting) {
    if (planes >= kMaxMasks || (!masks.empty() && masks.back().empty())) {
      masks.emplace_back();
      return;
    }
    std::vector<uint8_t> area(size_t(clip.width()) * size_t(clip.height()), 0);
    ++planes;
    TRenderer mask{nullptr, 0, area.data(), movie, frame, clip, raster, stageScale, planes, layers};
    mask.Object(o, toDevice, TColorTransform(), nesting);
    mask.PopMasks(0);
    if (!masks.empty())
      for (size_t i = 0; i < area.size(); ++i) area[i] = uint8_t((area[i] * masks.back()[i] + 127) / 255);
    masks.push_back(std::move(area));
  }

  void PopMasks(size_t keep) {
    while (masks.size() > keep) {
      if (!masks.back().empty()) --planes;
      masks.pop_back();
    }
  }

  void List(const std::map<uint16_t, TDisplayObject>& list, const QTransform& parent, const TColorTransform& outer,
            int nesting) {
    if (nesting >= kMaxNesting) return;
    const size_t base = masks.size();
    std::vector<uint16_t> until;  // the last depth each of this list's masks clips
    for (const auto& [depth, o] : list) {
      while (!until.empty() && depth > until.back()) PopMasks(masks.size() - 1), until.pop_back();
      const QTransform toDevice = o.matrix * parent;
      if (o.clipDepth > 0) {  // a mask: not drawn, it clips the depths above it up to its own
        PushMask(o, toDevice, nesting);
        until.push_back(o.clipDepth);
        continue;
      }
      if (!masks.empty() && masks.back().empty()) continue;  // hidden by masks too deep
      Object(o, toDevice, o.colorTransform.After(outer), nesting);
    }
    PopMasks(base);
  }

  void Object(const TDisplayObject& o, const QTransform& toDevice, const TColorTransform& cx, int nesting) {
    if (!o.visible) return;
    if (!plane && o.Layered()) {
      if (!o.cacheAsBitmap) return Layered(o, toDevice, cx, nesting);
      // A cached object is a bitmap placed on whole pixels: its origin is snapped to the nearest
      // device pixel (at a stage shown at its own size, the stage's), so that an object at a
      // fraction of a pixel is drawn as sharp as at a whole one rather than smeared over two.
      QTransform snapped = toDevice;
      snapped.setMatrix(toDevice.m11(), toDevice.m12(), toDevice.m13(), toDevice.m21(), toDevice.m22(), toDevice.m23(),
                        std::round(toDevice.dx()), std::round(toDevice.dy()), toDevice.m33());
      return Layered(o, snapped, cx, nesting);
    }
    if (!plane && o.background.isValid()) {  // an opaque background: the object's box filled
      const QRectF box = Box(o, nesting);
      if (!box.isEmpty()) {
        QPainterPath fill;
        fill.addRect(box);
        FillPath(fill, toDevice, TPaint::Solid(o.background, TColorTransform()));
      }
    }
    Content(o, toDevice, cx, nesting);
  }

  void Content(const TDisplayObject& o, const QTransform& toDevice, const TColorTransform& cx, int nesting) {
    if (o.sprite) return List(o.sprite->List(), toDevice, cx, nesting + 1);
    if (o.button) return List(o.button->list, toDevice, cx, nesting + 1);
    if (o.morph) return Shape(*o.morph, cx, toDevice);
    const TCharacter* c = o.character;
    if (!c) return;
    switch (c->kind) {
      case TCharacter::Bitmap: {  // a bitmap placed on its own: one pixel is 20 twips
        if (c->bitmap.isNull()) return;
        QPainterPath box;
        box.addRect(0, 0, c->bitmap.width() * 20.0, c->bitmap.height() * 20.0);
        FillPath(box, toDevice,
                 TPaint::Bitmap(&c->bitmap, false, false, cx, QTransform::fromScale(20, 20) * toDevice, c->opaque));
        return;
      }
      case TCharacter::Shape: return Shape(c->shape, cx, toDevice);
      case TCharacter::Text: return Text(c->text, cx, toDevice);
      default: return;
    }
  }

  // The box of what an object draws, in its own twips; empty when it draws nothing known.
  QRectF Box(const TDisplayObject& o, int nesting) const {
    if (nesting >= kMaxNesting) return {};
    auto ofList = [&](const std::map<uint16_t, TDisplayObject>& list) {
      QRectF box;
      for (const auto& [depth, child] : list)
        if (child.clipDepth == 0) box = box.united(child.matrix.mapRect(Box(child, nesting + 1)));
      return box;
    };
    if (o.sprite) return ofList(o.sprite->List());
    if (o.button) return ofList(o.button->list);
    if (o.morph) return o.morph->bounds;
    const TCharacter* c = o.character;
    if (!c) return {};
    switch (c->kind) {
      case TCharacter::Bitmap: return QRectF(0, 0, c->bitmap.width() * 20.0, c->bitmap.height() * 20.0);
      case TCharacter::Shape: return c->shape.bounds;
      case TCharacter::Text: {
        QRectF box = c->text.bounds;
        if (!c->text.clipped)
          for (const TText::TRun& run : c->text.runs) box = box.united(run.box);
        return c->text.matrix.mapRect(box);
      }
      default: return {};
    }
  }

  // An object with a blend mode or filters: drawn into a layer of its own (the part of it that
  // reaches `area` through the filters), filtered, its colour transform applied, then composited
  // by its blend mode within the masks in force. A frame's bands share each layer.
  void Layered(const TDisplayObject& o, const QTransform& toDevice, const TColorTransform& cx, int nesting) {
    // Alpha and erase act on the layer they are drawn into, within the object's box.
    if ((o.blendMode == kBlendAlpha || o.blendMode == kBlendErase) && !inLayer) return;
    if (layers >= kMaxLayers) return Content(o, toDevice, cx, nesting);
    QImage own;
    QRect rect;
    bool tooLarge = false;
    if (layerCache) {
      TLayerCache::TLayer& shared = layerCache->Get(&o, toDevice);
      std::call_once(shared.made, [&] {
        shared.image = MakeLayer(o, toDevice, cx, nesting, frameArea, &shared.rect, &shared.tooLarge);
      });
      own = shared.image, rect = shared.rect, tooLarge = shared.tooLarge;
    }
    // Without bands to share it, or too large for the whole frame: the layer of this band alone.
    if (!layerCache || tooLarge) own = MakeLayer(o, toDevice, cx, nesting, clip, &rect, &tooLarge);
    if (own.isNull()) return;
    const QRect out = rect & clip;
    const TMaskPlane mask = Mask();
    for (int y = out.top(); y <= out.bottom(); ++y) {
      const auto* src = reinterpret_cast<const uint32_t*>(own.constScanLine(y - rect.top())) + (out.left() - rect.left());
      BlendRow(pixels + y * stride + out.left(), src, out.width(), o.blendMode, mask.At(y, out.left()));
    }
  }

  // The layer of an object over the part of `area` it reaches, and where it lies; null when it
  // reaches none of it or would be too large (`tooLarge` then set).
  QImage MakeLayer(const TDisplayObject& o, const QTransform& toDevice, const TColorTransform& cx, int nesting,
                   const QRect& area, QRect* where, bool* tooLarge) {
    const TFilterList none;
    const TFilterList& filters = o.filters ? *o.filters : none;
    // Filter lengths are in pixels of the stage: 20 twips.
    const double filterScale = stageScale * 20;
    const QMargins reach = FilterReach(filters, filterScale);
    const QRectF own = toDevice.mapRect(Box(o, nesting));
    const QRectF box = own.adjusted(-1, -1, 1, 1);  // a line's half pixel past its box
    const QRect near = area.marginsAdded(reach);
    const QRect rect = DeviceBox(box, QTransform(), near).marginsAdded(reach) & near;
    *tooLarge = qint64(rect.width()) * rect.height() > kMaxLayerPixels;
    if (rect.isEmpty() || *tooLarge) return {};
    QImage layer(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return {};
    layer.fill(0);
    ++layers;
    {
      TRenderer inside{reinterpret_cast<uint32_t*>(layer.bits()), layer.bytesPerLine() / 4, nullptr, movie, frame,
                       QRect(QPoint(0, 0), rect.size()), raster, stageScale, planes, layers, true, nullptr, {}, filterWork};
      const QTransform shifted = toDevice * QTransform::fromTranslate(-rect.left(), -rect.top());
      if (o.background.isValid()) {
        QPainterPath fill;
        fill.addRect(Box(o, nesting));
        inside.FillPath(fill, shifted, TPaint::Solid(o.background, TColorTransform()));
      }
      inside.Content(o, shifted, TColorTransform(), nesting);
    }
    --layers;
    const int64_t work = FilterWork(filters, filterScale, qint64(rect.width()) * rect.height());
    if (filterWork && filterWork->fetch_add(work) + work <= kMaxFilterWork) ApplyFilters(layer, filters, filterScale, DeviceBox(own, QTransform::fromTranslate(-rect.left(), -rect.top()),
                                                         QRect(QPoint(0, 0), rect.size())));
    TransformLayer(layer, cx);
    *where = rect;
    return layer;
  }
};

const TPaint& TStylePaints::Paint(uint16_t fill) {
  static const TPaint kNone;
  if (fill == last_) return *lastPaint_;
  if (fill == 0 || fill > fills_.size()) return kNone;
  const size_t i = fill - 1u;
  if (!made_[i]) paints_[i] = r_.Paint(fills_[i], cx_, toDevice_), made_[i] = true;
  last_ = fill, lastPaint_ = &paints_[i];
  return paints_[i];
}

// The threads that draw a frame's bands beside the one that asks for it. They are made with the
// first frame that has bands to share and live as long as the process, each keeping its
// rasterizer's buffers from frame to frame. Work is handed over through the standard library's
// semaphores and latches, whose ordering ThreadSanitizer sees.
class TBandHelpers {
 public:
  static constexpr int kMost = 3;  // with the asking thread, four cores

  explicit TBandHelpers(int count) : helpers_(size_t(std::clamp(count, 0, kMost))) {
    for (THelper& h : helpers_) h.thread = std::jthread([&h](std::stop_token stop) { h.Serve(stop); });
  }
  ~TBandHelpers() {
    for (THelper& h : helpers_) h.thread.request_stop(), h.start.release();
  }

  // Runs `work` on this thread and on up to `wanted` helpers that are idle (a helper busy with
  // another thread's frame is not waited for), and returns when every one has finished it.
  template <class F>
  void Share(int wanted, const F& work) {
    THelper* taken[kMost];
    int count = 0;
    for (THelper& h : helpers_)
      if (count < wanted && !h.busy.exchange(true, std::memory_order_acquire)) taken[count++] = &h;
    std::latch done(count);
    for (int i = 0; i < count; ++i) {
      taken[i]->job = {[](const void* f) { (*static_cast<const F*>(f))(); }, &work, &done};
      taken[i]->start.release();
    }
    // The helpers hold references into this frame: they finish before it is left, also by an exception.
    const struct TWait {
      std::latch& done;
      ~TWait() { done.wait(); }
    } wait{done};
    work();
  }

 private:
  struct TJob {
    void (*run)(const void* work) = nullptr;
    const void* work = nullptr;
    std::latch* done = nullptr;
  };
  struct THelper {
    std::atomic<bool> busy{false};  // taken by a frame, from its hand-over until its work is done
    std::binary_semaphore start{0};
    TJob job;  // written by the frame that took the helper, before `start`
    std::jthread thread;  // last: joined before the rest goes

    void Serve(const std::stop_token& stop) {
      for (;;) {
        start.acquire();
        if (stop.stop_requested()) return;
        const TJob now = job;
        now.run(now.work);
        // Free before the frame learns it is done, so that its next frame finds the helper idle.
        busy.store(false, std::memory_order_release);
        now.done->count_down();
      }
    }
  };
  std::vector<THelper> helpers_;
};

}  // namespace

void Render(QImage& target, const TSwfPlayer& player, const QTransform& toDevice, const QRect& clip) {
  if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied)
    target = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QRect area = clip.intersected(target.rect());
  if (area.isEmpty()) return;
  auto* pixels = reinterpret_cast<uint32_t*>(target.bits());
  const qsizetype stride = target.bytesPerLine() / 4;
  const double stageScale = std::sqrt(std::abs(toDevice.determinant()));
  TLayerCache layerCache;
  std::atomic<int64_t> filterWork{0};
  auto band = [&](const QRect& rows) {
    // One rasterizer for every frame a thread draws: its buffers grow to the largest shape seen
    // and stay.
    static thread_local TRasterizer raster;
    int planes = 0, layers = 0;
    TRenderer r{pixels, stride, nullptr, player.Movie(), player.CurrentFrame(), rows, raster, stageScale, planes, layers,
                false, &layerCache, area, &filterWork};
    r.List(player.Root().List(), toDevice, TColorTransform(), 0);
  };
  // A large frame is drawn in horizontal bands of about a megabyte, so that the pixels of a band
  // stay in the core's cache while all its shapes are drawn; each band walks the whole display
  // list and touches only its own rows. The cores (up to four) take the bands in turn.
  const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(TBandHelpers::kMost + 1)));
  const qint64 bytes = qint64(area.width()) * area.height() * 4;
  const int bands = int(std::clamp<qint64>(bytes / kBandBytes, 1, std::max(1, area.height() / 16)));
  std::atomic<int> next{0};
  auto work = [&] {
    for (int b; (b = next.fetch_add(1)) < bands;) {
      const int top = area.top() + area.height() * b / bands, bottom = area.top() + area.height() * (b + 1) / bands;
      band(QRect(area.left(), top, area.width(), bottom - top));
    }
  };
  if (bands == 1 || cores == 1) return work();
  static TBandHelpers helpers(cores - 1);
  helpers.Share(std::min(cores, bands) - 1, work);
}

QTransform StageTransform(const QRectF& stage, QSize view, int scaleMode, int alignMode) {
  const double w = stage.width() / 20.0, h = stage.height() / 20.0;
  double sx = 1, sy = 1;
  if (w > 0 && h > 0) {
    switch (scaleMode) {
      case 0: sx = sy = std::min(view.width() / w, view.height() / h); break;  // show all
      case 1: sx = sy = std::max(view.width() / w, view.height() / h); break;  // no border
      case 2: sx = view.width() / w, sy = view.height() / h; break;            // exact fit
      default: break;                                                          // no scale
    }
  }
  const double shownW = w * sx, shownH = h * sy;
  const double x = alignMode & 1 ? 0 : alignMode & 2 ? view.width() - shownW : (view.width() - shownW) / 2;
  const double y = alignMode & 4 ? 0 : alignMode & 8 ? view.height() - shownH : (view.height() - shownH) / 2;
  QTransform t;
  t.translate(x, y);
  t.scale(sx / 20.0, sy / 20.0);
  t.translate(-stage.left(), -stage.top());
  return t;
}

namespace {

// The player's state at the stage's size on the movie's background.
QImage Snapshot(const TSwfPlayer& player) {
  const QSize size = player.Movie().StageSize();
  QImage image(size, QImage::Format_RGB32);
  image.fill(player.Movie().background);
  Render(image, player, StageTransform(player.Movie().stage, size, 3, 1 | 4), image.rect());
  return image;
}

}  // namespace

QImage RenderFrame(std::shared_ptr<const TSwfMovie> movie, int32_t frame) {
  TSwfPlayer player(movie);
  // Played from the first frame: the sprites move on as they would in the show.
  for (int32_t f = 0; f < frame && player.CurrentFrame() < frame; ++f) {
    player.Play();
    player.Advance();
  }
  if (player.CurrentFrame() != frame) player.GotoFrame(frame);
  return Snapshot(player);
}

QImage RenderTicks(std::shared_ptr<const TSwfMovie> movie, int64_t ticks, int32_t* frame) {
  TSwfPlayer player(movie);
  for (int64_t t = 1; t < ticks; ++t) player.Advance();
  if (frame) *frame = player.CurrentFrame();
  return Snapshot(player);
}

}  // namespace sf::swf
