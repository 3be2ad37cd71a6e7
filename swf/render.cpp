// Drawing a frame: the display list, deepest first, each object with its matrix and colour
// transform joined to those of the sprites it stands in, its fills and lines rasterized by our
// own rasterizer; masks clip the depths they name.
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <thread>

#include "swf/parse.h"
#include "swf/player.h"
#include "swf/raster.h"

namespace sf::swf {
namespace {

// Masks nested deeper than this hide what they clip, so that a hostile movie of masks cannot
// claim a screen-sized buffer for each of its depths.
constexpr size_t kMaxMasks = 8;

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

struct TRenderer {
  uint32_t* const pixels;  // the target's, row by row
  const qsizetype stride;
  const TSwfMovie& movie;
  const int32_t frame;  // the movie's frame: which bitmap an id names
  const QRect clip;
  TRasterizer& raster;
  // The masks in force, each the coverage of the clip's pixels row by row; an empty one hides
  // everything.
  std::vector<std::vector<uint8_t>> masks;

  const TCharacter* Bitmap(uint16_t id) const {
    const TCharacter* c = movie.Character(id, frame);
    return c && c->kind == TCharacter::Bitmap && !c->bitmap.isNull() ? c : nullptr;
  }

  const uint8_t* MaskAt(int y, int x) const {
    if (masks.empty()) return nullptr;
    return masks.back().data() + size_t(y - clip.top()) * size_t(clip.width()) + size_t(x - clip.left());
  }

  void FillPath(const QPainterPath& path, const QTransform& toDevice, bool evenOdd, const TPaint& paint) {
    if (paint.Empty()) return;
    const QRect box = DeviceBox(path.controlPointRect(), toDevice, clip);
    if (box.isEmpty()) return;
    raster.Begin(box);
    raster.AddPath(path, toDevice);
    raster.Sweep(evenOdd, [&](int y, int x, int n, const uint8_t* coverage) {
      paint.Blend(pixels + y * stride, x, n, y, coverage, MaskAt(y, x));
    });
  }

  TPaint Paint(const TFillStyle& f, const TColorTransform& cx, const QTransform& toDevice) const {
    switch (f.kind) {
      case TFillStyle::Solid: return TPaint::Solid(f.color, cx);
      case TFillStyle::Bitmap: {
        const TCharacter* c = Bitmap(f.bitmapId);
        return TPaint::Bitmap(c ? &c->bitmap : nullptr, f.repeat, f.smooth, cx, f.matrix * toDevice);
      }
      default: return TPaint::Gradient(f, cx, toDevice);
    }
  }

  void Stroke(const TSwfShape::TPart& part, const TColorTransform& cx, const QTransform& toDevice) {
    const TLineStyle& l = part.line;
    const TPaint paint = l.hasFill ? Paint(l.fill, cx, toDevice) : TPaint::Solid(l.color, cx);
    const double scale = std::sqrt(std::abs(toDevice.determinant()));
    if (l.width * scale >= 1.0) {
      FillPath(part.outline, toDevice, false, paint);
      return;
    }
    // A line thinner than a pixel on the device is drawn one pixel wide, as flash draws it.
    QPainterPathStroker hairline;
    hairline.setWidth(1.0);
    hairline.setCapStyle(Qt::RoundCap);
    hairline.setJoinStyle(Qt::RoundJoin);
    const QPainterPath device = toDevice.map(part.path);
    if (DeviceBox(device.controlPointRect().adjusted(-1, -1, 1, 1), QTransform(), clip).isEmpty()) return;
    FillPath(hairline.createStroke(device), QTransform(), false, paint);
  }

  // A mask: the area its shape fills, within the masks already in force.
  void PushMask(const TDisplayObject& o, const QTransform& toDevice) {
    if (masks.size() >= kMaxMasks || (!masks.empty() && masks.back().empty())) {
      masks.emplace_back();
      return;
    }
    std::vector<uint8_t> area(size_t(clip.width()) * size_t(clip.height()), 0);
    const TCharacter* c = o.character;
    if (c && c->kind == TCharacter::Shape)
      for (const TSwfShape::TPart& part : c->shape.parts) {
        if (part.stroke) continue;
        const QRect box = DeviceBox(part.path.controlPointRect(), toDevice, clip);
        if (box.isEmpty()) continue;
        raster.Begin(box);
        raster.AddPath(part.path, toDevice);
        raster.Sweep(true, [&](int y, int x, int n, const uint8_t* coverage) {
          uint8_t* row = area.data() + size_t(y - clip.top()) * size_t(clip.width()) + size_t(x - clip.left());
          for (int i = 0; i < n; ++i) row[i] = std::max(row[i], coverage[i]);
        });
      }
    if (!masks.empty())
      for (size_t i = 0; i < area.size(); ++i) area[i] = uint8_t((area[i] * masks.back()[i] + 127) / 255);
    masks.push_back(std::move(area));
  }

  void List(const TTimelineInstance& instance, const QTransform& parent, const TColorTransform& outer, int nesting) {
    if (nesting >= kMaxNesting) return;
    const size_t base = masks.size();
    std::vector<uint16_t> until;  // the last depth each of this list's masks clips
    for (const auto& [depth, o] : instance.List()) {
      while (!until.empty() && depth > until.back()) masks.pop_back(), until.pop_back();
      const QTransform toDevice = o.matrix * parent;
      if (o.clipDepth > 0) {  // a mask: not drawn, it clips the depths above it up to its own
        PushMask(o, toDevice);
        until.push_back(o.clipDepth);
        continue;
      }
      if (!masks.empty() && masks.back().empty()) continue;  // hidden by masks too deep
      Object(o, toDevice, o.colorTransform.After(outer), nesting);
    }
    masks.resize(base);
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
      FillPath(box, toDevice, true,
               TPaint::Bitmap(&c->bitmap, false, false, cx, QTransform::fromScale(20, 20) * toDevice));
      return;
    }
    if (c->kind != TCharacter::Shape) return;
    for (const TSwfShape::TPart& part : c->shape.parts) {
      if (part.stroke) Stroke(part, cx, toDevice);
      else FillPath(part.path, toDevice, true, Paint(part.fill, cx, toDevice));
    }
  }
};

}  // namespace

void Render(QImage& target, const TSwfPlayer& player, const QTransform& toDevice, const QRect& clip) {
  if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied)
    target = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QRect area = clip.intersected(target.rect());
  if (area.isEmpty()) return;
  auto* pixels = reinterpret_cast<uint32_t*>(target.bits());
  const qsizetype stride = target.bytesPerLine() / 4;
  auto band = [&](const QRect& rows) {
    // One rasterizer for every frame a thread draws: its buffers grow to the largest shape seen
    // and stay.
    static thread_local TRasterizer raster;
    TRenderer r{pixels, stride, player.Movie(), player.CurrentFrame(), rows, raster, {}};
    r.List(player.Root(), toDevice, TColorTransform(), 0);
  };
  // A large frame is drawn in horizontal bands, one a core (up to four): each band walks the
  // whole display list and touches only its own rows.
  const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  const int bands = qint64(area.width()) * area.height() < 256 * 1024 ? 1 : std::clamp(area.height() / 64, 1, cores);
  std::vector<QRect> parts;
  for (int b = 0; b < bands; ++b) {
    const int top = area.top() + area.height() * b / bands, bottom = area.top() + area.height() * (b + 1) / bands;
    parts.emplace_back(area.left(), top, area.width(), bottom - top);
  }
  QSemaphore done;
  int queued = 0;
  for (int b = 1; b < bands; ++b) {
    if (QThreadPool::globalInstance()->tryStart([&, b] {
          band(parts[size_t(b)]);
          done.release();
        }))
      ++queued;
    else
      band(parts[size_t(b)]);  // no thread free: drawn here
  }
  band(parts[0]);
  done.acquire(queued);
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

QImage RenderFrame(std::shared_ptr<const TSwfMovie> movie, int32_t frame) {
  TSwfPlayer player(movie);
  // Played from the first frame: the sprites move on as they would in the show.
  for (int32_t f = 0; f < frame && player.CurrentFrame() < frame; ++f) {
    player.Play();
    player.Advance();
  }
  if (player.CurrentFrame() != frame) player.GotoFrame(frame);
  const QSize size = player.Movie().StageSize();
  QImage image(size, QImage::Format_RGB32);
  image.fill(player.Movie().background);
  Render(image, player, StageTransform(player.Movie().stage, size, 3, 1 | 4), image.rect());
  return image;
}

}  // namespace sf::swf
