// Rasterizing: the display list drawn with QPainter, antialiased, deepest first; each object with
// its matrix and colour transform joined to those of the sprites it stands in; masks clip the
// depths they name.
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "swf/parse.h"
#include "swf/player.h"

namespace sf::swf {
namespace {

QGradient::Spread Spread(uint8_t s) {
  return s == 1 ? QGradient::ReflectSpread : s == 2 ? QGradient::RepeatSpread : QGradient::PadSpread;
}

// A bitmap with a colour transform applied to its pixels (premultiplied in and out).
QImage Transformed(const QImage& image, const TColorTransform& cx) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) line[x] = cx.Apply(QColor::fromRgba(line[x])).rgba();
  }
  return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct TRenderer {
  QPainter& p;
  const TSwfMovie& movie;
  const double deviceScale;  // device pixels for one twip, for hairlines
  const int32_t frame;       // the movie's frame: which bitmap an id names

  const TCharacter* Bitmap(uint16_t id) const {
    const TCharacter* c = movie.Character(id, frame);
    return c && c->kind == TCharacter::Bitmap && !c->bitmap.isNull() ? c : nullptr;
  }

  QBrush Brush(const TFillStyle& f, const TColorTransform& cx) const {
    switch (f.kind) {
      case TFillStyle::Solid: return QBrush(cx.Apply(f.color));
      case TFillStyle::Linear:
      case TFillStyle::Radial:
      case TFillStyle::Focal: {
        // The gradient square: -16384 to 16384 twips in gradient space.
        QGradient g = f.kind == TFillStyle::Linear ? QGradient(QLinearGradient(-16384, 0, 16384, 0))
                      : f.kind == TFillStyle::Radial
                          ? QGradient(QRadialGradient(0, 0, 16384))
                          : QGradient(QRadialGradient(QPointF(0, 0), 16384, QPointF(double(f.focal) * 16384, 0)));
        QGradientStops stops;
        for (const auto& [ratio, color] : f.stops) stops.append({ratio / 255.0, cx.Apply(color)});
        if (stops.isEmpty()) stops.append({0.0, Qt::transparent});
        g.setStops(stops);
        g.setSpread(Spread(f.spread));
        QBrush b(g);
        b.setTransform(f.matrix);
        return b;
      }
      case TFillStyle::Bitmap: {
        const TCharacter* c = Bitmap(f.bitmapId);
        if (!c) return QBrush(Qt::NoBrush);
        QBrush b(cx.Identity() ? c->bitmap : Transformed(c->bitmap, cx));
        b.setTransform(f.matrix);
        return b;
      }
    }
    return QBrush();
  }

  void Fill(const TSwfShape::TPart& part, const TColorTransform& cx) {
    const TFillStyle& f = part.fill;
    p.setRenderHint(QPainter::SmoothPixmapTransform, f.kind != TFillStyle::Bitmap || f.smooth);
    if (f.kind == TFillStyle::Bitmap && !f.repeat) {
      // A clipped bitmap is drawn once where its matrix puts it, inside the shape.
      const TCharacter* c = Bitmap(f.bitmapId);
      if (!c) return;
      p.save();
      p.setClipPath(part.path, Qt::IntersectClip);
      p.setTransform(f.matrix, true);
      p.drawImage(0, 0, cx.Identity() ? c->bitmap : Transformed(c->bitmap, cx));
      p.restore();
      return;
    }
    p.fillPath(part.path, Brush(f, cx));
  }

  void Stroke(const TSwfShape::TPart& part, const TColorTransform& cx) {
    const TLineStyle& l = part.line;
    QPen pen(l.hasFill ? Brush(l.fill, cx) : QBrush(cx.Apply(l.color)), l.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // A line thinner than a pixel on the device is drawn one pixel wide, as flash draws it.
    if (l.width * deviceScale < 1.0) {
      pen.setWidth(1);
      pen.setCosmetic(true);
    }
    p.strokePath(part.path, pen);
  }

  // The area a mask's shape covers, in the painter's current coordinates.
  QPainterPath MaskPath(const TDisplayObject& o) const {
    QPainterPath area;
    const TCharacter* c = o.character;
    if (c && c->kind == TCharacter::Shape)
      for (const TSwfShape::TPart& part : c->shape.parts)
        if (!part.stroke) area.addPath(o.matrix.map(part.path));
    return area;
  }

  void List(const TTimelineInstance& instance, const TColorTransform& outer, int nesting) {
    if (nesting >= kMaxNesting) return;
    struct TMask {
      uint16_t until;
      QPainterPath area;
    };
    std::vector<TMask> masks;
    for (const auto& [depth, o] : instance.List()) {
      while (!masks.empty() && depth > masks.back().until) masks.pop_back();
      if (o.clipDepth > 0) {  // a mask: not drawn, it clips the depths above it up to its own
        masks.push_back({o.clipDepth, MaskPath(o)});
        continue;
      }
      p.save();
      for (const TMask& m : masks) p.setClipPath(m.area, Qt::IntersectClip);
      p.setTransform(o.matrix, true);
      Object(o, o.colorTransform.After(outer), nesting);
      p.restore();
    }
  }

  void Object(const TDisplayObject& o, const TColorTransform& cx, int nesting) {
    if (o.sprite) {
      List(*o.sprite, cx, nesting + 1);
      return;
    }
    const TCharacter* c = o.character;
    if (!c) return;
    if (c->kind == TCharacter::Bitmap) {  // a bitmap placed on its own: one pixel is 20 twips
      p.scale(20, 20);
      p.drawImage(0, 0, cx.Identity() ? c->bitmap : Transformed(c->bitmap, cx));
      return;
    }
    if (c->kind != TCharacter::Shape) return;
    for (const TSwfShape::TPart& part : c->shape.parts) {
      if (part.stroke) Stroke(part, cx);
      else Fill(part, cx);
    }
  }
};

}  // namespace

void Render(QPainter& painter, const TSwfPlayer& player, const QTransform& toDevice) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setTransform(toDevice, true);
  const double scale = std::sqrt(std::abs(toDevice.determinant()));
  TRenderer r{painter, player.Movie(), scale, player.CurrentFrame()};
  r.List(player.Root(), TColorTransform(), 0);
  painter.restore();
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
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(player.Movie().background);
  QPainter p(&image);
  Render(p, player, StageTransform(player.Movie().stage, size, 3, 1 | 4));
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace sf::swf
