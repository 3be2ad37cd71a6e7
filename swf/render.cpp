// Drawing a frame: the display list, deepest first, each object with its matrix and colour
// transform joined to those of the sprites it stands in. A shape's fills are drawn by one pass
// over each of its style groups' edges, then its lines over them; masks (a shape, a bitmap or a
// sprite with all it draws) clip the depths they name.
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

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

  // A pass of a path's area (non-zero rule) in one paint.
  void FillPath(const QPainterPath& path, const QTransform& toDevice, const TPaint& paint) {
    if (!plane && paint.Empty()) return;
    const QRect box = DeviceBox(path.controlPointRect(), toDevice, clip);
    auto edges = [&](TRasterizer& r) { r.AddPath(path, toDevice); };
    if (plane) {
      TMaskSink sink(plane, clip, Mask());
      raster.Pass(box, false, edges, sink, 1);
    } else {
      TOnePaint sink(paint, pixels, stride, Mask());
      raster.Pass(box, false, edges, sink, 1);
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
    else if (l.width * std::sqrt(std::abs(toDevice.determinant())) >= 1.0) return FillPath(s.outline, toDevice * kLineGrid, paint);
    else width = 1;
    // Drawn from its path on the device, never thinner than a pixel (a hairline, as flash draws
    // one), when it does not scale or would be thinner.
    if (!std::isfinite(width)) return;
    const QPainterPath device = toDevice.map(s.path);
    const double reach = std::max(width, 1.0) + 1;
    if (DeviceBox(device.controlPointRect().adjusted(-reach, -reach, reach, reach), QTransform(), clip).isEmpty()) return;
    FillPath(LineArea(l, std::clamp(width, 1.0, 1e6), device), kLineGrid, paint);
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
    TRenderer mask{nullptr, 0, area.data(), movie, frame, clip, raster, stageScale, planes};
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

  void List(const TTimelineInstance& instance, const QTransform& parent, const TColorTransform& outer, int nesting) {
    if (nesting >= kMaxNesting) return;
    const size_t base = masks.size();
    std::vector<uint16_t> until;  // the last depth each of this list's masks clips
    for (const auto& [depth, o] : instance.List()) {
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
    if (o.sprite) {
      List(*o.sprite, toDevice, cx, nesting + 1);
      return;
    }
    const TCharacter* c = o.character;
    if (!c) return;
    if (c->kind == TCharacter::Bitmap) {  // a bitmap placed on its own: one pixel is 20 twips
      if (c->bitmap.isNull()) return;
      QPainterPath box;
      box.addRect(0, 0, c->bitmap.width() * 20.0, c->bitmap.height() * 20.0);
      FillPath(box, toDevice,
               TPaint::Bitmap(&c->bitmap, false, false, cx, QTransform::fromScale(20, 20) * toDevice, c->opaque));
      return;
    }
    if (c->kind != TCharacter::Shape) return;
    for (const TSwfShape::TGroup& g : c->shape.groups) {
      Fills(g, !c->shape.nonZero, cx, toDevice);
      if (plane) continue;  // a mask is the area of the fills
      for (const TSwfShape::TStroke& s : g.strokes) Stroke(s, cx, toDevice);
    }
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

}  // namespace

void Render(QImage& target, const TSwfPlayer& player, const QTransform& toDevice, const QRect& clip) {
  if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied)
    target = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QRect area = clip.intersected(target.rect());
  if (area.isEmpty()) return;
  auto* pixels = reinterpret_cast<uint32_t*>(target.bits());
  const qsizetype stride = target.bytesPerLine() / 4;
  const double stageScale = std::sqrt(std::abs(toDevice.determinant()));
  auto band = [&](const QRect& rows) {
    // One rasterizer for every frame a thread draws: its buffers grow to the largest shape seen
    // and stay.
    static thread_local TRasterizer raster;
    int planes = 0;
    TRenderer r{pixels, stride, nullptr, player.Movie(), player.CurrentFrame(), rows, raster, stageScale, planes};
    r.List(player.Root(), toDevice, TColorTransform(), 0);
  };
  // A large frame is drawn in horizontal bands of about a megabyte, so that the pixels of a band
  // stay in the core's cache while all its shapes are drawn; each band walks the whole display
  // list and touches only its own rows. The cores (up to four) take the bands in turn.
  const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  const qint64 bytes = qint64(area.width()) * area.height() * 4;
  const int bands = int(std::clamp<qint64>(bytes / kBandBytes, 1, std::max(1, area.height() / 16)));
  std::atomic<int> next{0};
  auto work = [&] {
    for (int b; (b = next.fetch_add(1)) < bands;) {
      const int top = area.top() + area.height() * b / bands, bottom = area.top() + area.height() * (b + 1) / bands;
      band(QRect(area.left(), top, area.width(), bottom - top));
    }
  };
  QSemaphore done;
  int helpers = 0;
  for (int c = 1; c < std::min(cores, bands); ++c)
    if (QThreadPool::globalInstance()->tryStart([&] {
          work();
          done.release();
        }))
      ++helpers;
  work();
  done.acquire(helpers);
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
