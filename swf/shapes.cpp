// DefineShape 1 to 4: the fill and line styles, then the edges, each with the fill style on its
// left and on its right and a line style. The edges are kept as they come, with their two fills,
// for the renderer's one pass over them; a line style's edges are joined into the path it strokes.
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <map>

#include "swf/parse.h"
#include "swf/raster.h"

namespace sf::swf {
namespace {

QColor Color(TReader& r, int version) { return version >= 3 ? r.Rgba() : r.Rgb(); }

TFillStyle ReadFill(TReader& r, int version) {
  TFillStyle f;
  const uint8_t type = r.U8();
  switch (type) {
    case 0x00:
      f.kind = TFillStyle::Solid;
      f.color = Color(r, version);
      break;
    case 0x10: case 0x12: case 0x13: {
      f.kind = type == 0x10 ? TFillStyle::Linear : type == 0x12 ? TFillStyle::Radial : TFillStyle::Focal;
      f.matrix = r.Matrix();
      f.spread = uint8_t(r.UB(2));
      f.linearRgb = r.UB(2) == 1;  // 0 mixes the sRGB codes, 1 the light
      const int n = int(r.UB(4));
      for (int i = 0; i < n; ++i) {
        const uint8_t ratio = r.U8();
        f.stops.emplace_back(ratio, Color(r, version));
      }
      if (type == 0x13) f.focal = float(r.S16()) / 256.0f;
      f.table = GradientTable(f, TColorTransform());
      break;
    }
    case 0x40: case 0x41: case 0x42: case 0x43:
      f.kind = TFillStyle::Bitmap;
      f.bitmapId = r.U16();
      f.matrix = r.Matrix();
      f.repeat = (type & 1) == 0;
      f.smooth = type < 0x42;
      break;
    default: Fail("an unknown fill style");
  }
  return f;
}

uint32_t Count(TReader& r, int version) {
  uint32_t n = r.U8();
  if (n == 0xFF && version >= 2) n = r.U16();
  return n;
}

// One set of styles and the lines drawn with it.
struct TStyleGroup {
  TSwfShape::TGroup group;
  std::vector<TLineStyle> lines;
  std::map<uint32_t, std::vector<TSwfShape::TEdge>> lineEdges;  // by style index, 1-based
  float left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
};

void ReadStyles(TReader& r, int version, TStyleGroup& g) {
  const uint32_t fills = Count(r, version);
  for (uint32_t i = 0; i < fills; ++i) g.group.fills.push_back(ReadFill(r, version));
  const uint32_t lines = Count(r, version);
  for (uint32_t i = 0; i < lines; ++i) {
    TLineStyle l;
    l.width = r.U16();
    if (version >= 4) {  // LINESTYLE2: caps, join and flags; a fill instead of a colour
      r.Align();
      l.cap = uint8_t(r.UB(2));  // the start cap; a path has one cap for both ends here
      l.join = uint8_t(r.UB(2));
      l.hasFill = r.UB(1);
      l.noHScale = r.UB(1);
      l.noVScale = r.UB(1);
      r.UB(1);  // pixel hinting
      r.UB(5);
      l.noClose = r.UB(1);
      r.UB(2);  // the end cap
      if (l.join == 2) l.miterLimit = r.U16() / 256.0;
      if (l.hasFill) l.fill = ReadFill(r, version);
      else l.color = r.Rgba();
      if (l.hasFill && l.fill.kind == TFillStyle::Solid) l.color = l.fill.color, l.hasFill = false;
    } else {
      l.color = Color(r, version);
    }
    g.lines.push_back(std::move(l));
  }
}

QPointF From(const TSwfShape::TEdge& e) { return QPointF(e.ax, e.ay); }
QPointF To(const TSwfShape::TEdge& e) { return QPointF(e.bx, e.by); }

// A line style's edges one after the other, a new subpath where they do not meet; a subpath that
// comes back to where it began is closed (joined there) unless the style keeps its caps.
QPainterPath Lines(const std::vector<TSwfShape::TEdge>& edges, bool noClose) {
  QPainterPath path;
  QPointF start, at(qQNaN(), qQNaN());
  auto end = [&] {
    if (!noClose && path.elementCount() > 1 && at == start) path.closeSubpath();
  };
  for (const TSwfShape::TEdge& e : edges) {
    if (From(e) != at) {
      end();
      path.moveTo(start = From(e));
    }
    if (e.curve) path.quadTo(QPointF(e.cx, e.cy), To(e));
    else path.lineTo(To(e));
    at = To(e);
  }
  end();
  return path;
}

}  // namespace

QPainterPath LineArea(const TLineStyle& line, double width, const QPainterPath& path) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(line.cap == 1 ? Qt::FlatCap : line.cap == 2 ? Qt::SquareCap : Qt::RoundCap);
  stroker.setJoinStyle(line.join == 1 ? Qt::BevelJoin : line.join == 2 ? Qt::MiterJoin : Qt::RoundJoin);
  if (line.join == 2) stroker.setMiterLimit(std::max(1.0, line.miterLimit));
  return stroker.createStroke(path);
}

TCharacter ReadShape(TReader& r, int tag) {
  const int version = tag == 2 ? 1 : tag == 22 ? 2 : tag == 32 ? 3 : 4;
  TCharacter c{TCharacter::Shape, {}, {}, false, {}};
  c.shape.bounds = r.Rect();
  if (version == 4) {
    r.Rect();  // the edge bounds
    r.UB(5);
    c.shape.nonZero = r.UB(1);
    r.UB(2);  // the hints that the shape has lines that scale and lines that do not
  }
  std::vector<TStyleGroup> groups(1);
  ReadStyles(r, version, groups.back());
  r.Align();
  int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
  int32_t x = 0, y = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  // The records run to the end record; a shape whose data stops before it keeps the edges read.
  try {
    while (true) {
      if (r.UB(1) == 0) {  // a style change, or the end
        const uint32_t flags = r.UB(5);
        if (flags == 0) break;
        if (flags & 0x01) {  // move to
          const int n = int(r.UB(5));
          x = r.SB(n);
          y = r.SB(n);
        }
        if (flags & 0x02) fill0 = r.UB(fillBits);
        if (flags & 0x04) fill1 = r.UB(fillBits);
        if (flags & 0x08) line = r.UB(lineBits);
        if (flags & 0x10) {  // new styles: the indices from here on refer to them
          groups.emplace_back();
          ReadStyles(r, version, groups.back());
          r.Align();
          fillBits = int(r.UB(4));
          lineBits = int(r.UB(4));
        }
        continue;
      }
      TSwfShape::TEdge e;
      e.ax = float(x), e.ay = float(y);
      const bool straight = r.UB(1);
      const int n = int(r.UB(4)) + 2;
      if (straight) {
        int32_t dx = 0, dy = 0;
        if (r.UB(1)) dx = r.SB(n), dy = r.SB(n);
        else if (r.UB(1)) dy = r.SB(n);
        else dx = r.SB(n);
        x += dx, y += dy;
      } else {  // curved: the control point, then the anchor, each from the one before
        const int32_t cx = x + r.SB(n), cy = y + r.SB(n);
        e.cx = float(cx), e.cy = float(cy);
        x = cx + r.SB(n), y = cy + r.SB(n);
        e.curve = true;
      }
      e.bx = float(x), e.by = float(y);
      TStyleGroup& g = groups.back();
      const size_t fills = g.group.fills.size();
      e.fill0 = uint16_t(fill0 <= fills ? fill0 : 0);
      e.fill1 = uint16_t(fill1 <= fills ? fill1 : 0);
      if (e.fill0 != e.fill1) {  // an edge with one fill on both sides bounds nothing
        g.group.edges.push_back(e);
        for (float px : {e.ax, e.bx, e.curve ? e.cx : e.ax}) g.left = std::min(g.left, px), g.right = std::max(g.right, px);
        for (float py : {e.ay, e.by, e.curve ? e.cy : e.ay}) g.top = std::min(g.top, py), g.bottom = std::max(g.bottom, py);
      }
      if (line > 0 && line <= g.lines.size()) g.lineEdges[line].push_back(e);
    }
  } catch (const ESwfError&) {
  }
  for (TStyleGroup& g : groups) {
    if (!g.group.edges.empty()) {
      g.group.fillBounds = QRectF(QPointF(g.left, g.top), QPointF(g.right, g.bottom));
      const TSwfShape::TEdge& e = g.group.edges.front();
      uint16_t only = e.fill0 == 0 ? e.fill1 : e.fill1 == 0 ? e.fill0 : 0;
      for (const TSwfShape::TEdge& other : g.group.edges)
        if (!((other.fill0 == 0 && other.fill1 == only) || (other.fill1 == 0 && other.fill0 == only))) only = 0;
      g.group.onlyFill = only;
    }
    for (auto& [index, edges] : g.lineEdges) {
      TSwfShape::TStroke stroke;
      stroke.line = g.lines[index - 1];
      stroke.path = Lines(edges, stroke.line.noClose);
      stroke.path.controlPointRect();  // computed now: the frame's bands read it at once
      // The line's area at its width, once, for a line that scales with its shape; a line thinner
      // than a pixel where it is shown is drawn from its path instead.
      if (!stroke.line.noHScale && !stroke.line.noVScale) {
        stroke.outline = LineArea(stroke.line, std::max(stroke.line.width, 1.0), stroke.path);
        stroke.outline.controlPointRect();
      }
      g.group.strokes.push_back(std::move(stroke));
    }
    c.shape.groups.push_back(std::move(g.group));
  }
  return c;
}

}  // namespace sf::swf
