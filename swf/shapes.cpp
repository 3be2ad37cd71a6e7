// DefineShape 1 to 4: the fill and line styles, then the edges, each with the fill style on its
// left and on its right and a line style. The edges are kept as they come, with their two fills,
// for the renderer's one pass over them; a line style's edges are joined into the path it strokes.
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

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

// One set of styles.
struct TStyles {
  std::vector<TFillStyle> fills;
  std::vector<TLineStyle> lines;
};

void ReadStyles(TReader& r, int version, TStyles& g) {
  const uint32_t fills = Count(r, version);
  for (uint32_t i = 0; i < fills; ++i) g.fills.push_back(ReadFill(r, version));
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

void ReadShapeRecords(TReader& r, int fillBits, int lineBits, const TNewStyles& newStyles, std::vector<TShapeEdge>& out) {
  int32_t x = 0, y = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  size_t group = 0;
  // The records run to the end record; records that stop before it keep the edges read.
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
          if (!newStyles) Fail("new styles where a shape may have none");
          newStyles(r);
          ++group;
          r.Align();
          fillBits = int(r.UB(4));
          lineBits = int(r.UB(4));
        }
        continue;
      }
      TShapeEdge se;
      TSwfShape::TEdge& e = se.edge;
      e.ax = float(x), e.ay = float(y);
      const bool straight = r.UB(1);
      const int n = int(r.UB(4)) + 2;
      if (straight) {
        int32_t dx = 0, dy = 0;
        if (r.UB(1)) dx = r.SB(n), dy = r.SB(n);
        else if (r.UB(1)) dy = r.SB(n);
        else dx = r.SB(n);
        // The control point of a straight edge is its middle, where a morph may curve it from.
        e.cx = float(x + dx / 2.0), e.cy = float(y + dy / 2.0);
        x += dx, y += dy;
      } else {  // curved: the control point, then the anchor, each from the one before
        const int32_t cx = x + r.SB(n), cy = y + r.SB(n);
        e.cx = float(cx), e.cy = float(cy);
        x = cx + r.SB(n), y = cy + r.SB(n);
        e.curve = true;
      }
      e.bx = float(x), e.by = float(y);
      se.fill0 = fill0, se.fill1 = fill1, se.line = line, se.group = group;
      out.push_back(se);
    }
  } catch (const ESwfError&) {
  }
}

void AddStyleGroup(TSwfShape& shape, std::vector<TFillStyle> fills, const std::vector<TLineStyle>& lines,
                   const TShapeEdge* edges, size_t count) {
  TSwfShape::TGroup g;
  g.fills = std::move(fills);
  std::map<uint32_t, std::vector<TSwfShape::TEdge>> lineEdges;  // by style index, 1-based
  float left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  const size_t fillCount = g.fills.size();
  for (size_t i = 0; i < count; ++i) {
    TSwfShape::TEdge e = edges[i].edge;
    e.fill0 = uint16_t(edges[i].fill0 <= fillCount ? edges[i].fill0 : 0);
    e.fill1 = uint16_t(edges[i].fill1 <= fillCount ? edges[i].fill1 : 0);
    if (e.fill0 != e.fill1) {  // an edge with one fill on both sides bounds nothing
      g.edges.push_back(e);
      for (float px : {e.ax, e.bx, e.curve ? e.cx : e.ax}) left = std::min(left, px), right = std::max(right, px);
      for (float py : {e.ay, e.by, e.curve ? e.cy : e.ay}) top = std::min(top, py), bottom = std::max(bottom, py);
    }
    if (edges[i].line > 0 && edges[i].line <= lines.size()) lineEdges[edges[i].line].push_back(e);
  }
  if (!g.edges.empty()) {
    g.fillBounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    const TSwfShape::TEdge& e = g.edges.front();
    uint16_t only = e.fill0 == 0 ? e.fill1 : e.fill1 == 0 ? e.fill0 : 0;
    for (const TSwfShape::TEdge& other : g.edges)
      if (!((other.fill0 == 0 && other.fill1 == only) || (other.fill1 == 0 && other.fill0 == only))) only = 0;
    g.onlyFill = only;
  }
  for (auto& [index, lineEdgesOfStyle] : lineEdges) {
    TSwfShape::TStroke stroke;
    stroke.line = lines[index - 1];
    stroke.path = Lines(lineEdgesOfStyle, stroke.line.noClose);
    stroke.path.controlPointRect();  // computed now: the frame's bands read it at once
    // The line's area at its width, once, for a line that scales with its shape; a line thinner
    // than a pixel where it is shown is drawn from its path instead.
    if (!stroke.line.noHScale && !stroke.line.noVScale) {
      stroke.outline = LineArea(stroke.line, std::max(stroke.line.width, 1.0), stroke.path);
      stroke.outline.controlPointRect();
    }
    g.strokes.push_back(std::move(stroke));
  }
  shape.groups.push_back(std::move(g));
}

TCharacter ReadShape(TReader& r, int tag) {
  const int version = tag == 2 ? 1 : tag == 22 ? 2 : tag == 32 ? 3 : 4;
  TCharacter c;
  c.kind = TCharacter::Shape;
  c.shape.bounds = r.Rect();
  if (version == 4) {
    r.Rect();  // the edge bounds
    r.UB(5);
    c.shape.nonZero = r.UB(1);
    r.UB(2);  // the hints that the shape has lines that scale and lines that do not
  }
  std::vector<TStyles> styles(1);
  ReadStyles(r, version, styles.back());
  r.Align();
  const int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
  std::vector<TShapeEdge> edges;
  ReadShapeRecords(
      r, fillBits, lineBits,
      [&](TReader& in) {
        styles.emplace_back();
        ReadStyles(in, version, styles.back());
      },
      edges);
  size_t from = 0;
  for (size_t group = 0; group < styles.size(); ++group) {
    size_t to = from;
    while (to < edges.size() && edges[to].group == group) ++to;
    AddStyleGroup(c.shape, std::move(styles[group].fills), styles[group].lines, edges.data() + from, to - from);
    from = to;
  }
  return c;
}

TSwfShape::TGroup ReadGlyph(TReader& r) {
  r.Align();
  const int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
  std::vector<TShapeEdge> edges;
  ReadShapeRecords(r, fillBits, lineBits, nullptr, edges);
  TSwfShape glyph;
  std::vector<TFillStyle> one(1);  // the text's colour stands for it
  AddStyleGroup(glyph, std::move(one), {}, edges.data(), edges.size());
  return std::move(glyph.groups.front());
}

namespace {

TFillStyle Between(const TFillStyle& a, const TFillStyle& b, double t);

// MORPHFILLSTYLE: the style at the start and at the end.
std::pair<TFillStyle, TFillStyle> ReadMorphFill(TReader& r) {
  TFillStyle a, b;
  const uint8_t type = r.U8();
  switch (type) {
    case 0x00:
      a.kind = b.kind = TFillStyle::Solid;
      a.color = r.Rgba();
      b.color = r.Rgba();
      break;
    case 0x10: case 0x12: case 0x13: {  // a focal gradient (DefineMorphShape2) ends with both focal points
      a.kind = b.kind = type == 0x10 ? TFillStyle::Linear : type == 0x12 ? TFillStyle::Radial : TFillStyle::Focal;
      a.matrix = r.Matrix();
      b.matrix = r.Matrix();
      // The count, with the spread and interpolation modes in its high bits as in a shape's
      // gradients (writers leave them 0).
      const uint8_t head = r.U8();
      a.spread = b.spread = uint8_t(head >> 6);
      a.linearRgb = b.linearRgb = ((head >> 4) & 3) == 1;
      for (int i = 0, n = head & 15; i < n; ++i) {
        const uint8_t ra = r.U8();
        const QColor ca = r.Rgba();
        const uint8_t rb = r.U8();
        const QColor cb = r.Rgba();
        a.stops.emplace_back(ra, ca);
        b.stops.emplace_back(rb, cb);
      }
      if (type == 0x13) a.focal = float(r.S16()) / 256.0f, b.focal = float(r.S16()) / 256.0f;
      break;
    }
    case 0x40: case 0x41: case 0x42: case 0x43:
      a.kind = b.kind = TFillStyle::Bitmap;
      a.bitmapId = b.bitmapId = r.U16();
      a.matrix = r.Matrix();
      b.matrix = r.Matrix();
      a.repeat = b.repeat = (type & 1) == 0;
      a.smooth = b.smooth = type < 0x42;
      break;
    default: Fail("an unknown morph fill style");
  }
  return {a, b};
}

double Mix(double a, double b, double t) { return a + (b - a) * t; }

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor(int(std::lround(Mix(a.red(), b.red(), t))), int(std::lround(Mix(a.green(), b.green(), t))),
                int(std::lround(Mix(a.blue(), b.blue(), t))), int(std::lround(Mix(a.alpha(), b.alpha(), t))));
}

QTransform Mix(const QTransform& a, const QTransform& b, double t) {
  return QTransform(Mix(a.m11(), b.m11(), t), Mix(a.m12(), b.m12(), t), Mix(a.m21(), b.m21(), t),
                    Mix(a.m22(), b.m22(), t), Mix(a.dx(), b.dx(), t), Mix(a.dy(), b.dy(), t));
}

TFillStyle Between(const TFillStyle& a, const TFillStyle& b, double t) {
  TFillStyle f = a;
  f.color = Mix(a.color, b.color, t);
  f.matrix = Mix(a.matrix, b.matrix, t);
  f.focal = float(Mix(a.focal, b.focal, t));
  for (size_t i = 0; i < f.stops.size() && i < b.stops.size(); ++i)
    f.stops[i] = {uint8_t(std::lround(Mix(a.stops[i].first, b.stops[i].first, t))), Mix(a.stops[i].second, b.stops[i].second, t)};
  if (!f.stops.empty()) f.table = GradientTable(f, TColorTransform());
  return f;
}

}  // namespace

TCharacter ReadMorph(TReader& r, int tag) {
  TCharacter c;
  c.kind = TCharacter::Morph;
  TMorphShape& m = c.morph;
  m.bounds[0] = r.Rect();
  m.bounds[1] = r.Rect();
  if (tag == 84) {  // DefineMorphShape2: the edge bounds and the stroke hints
    r.Rect();
    r.Rect();
    r.U8();
  }
  const uint32_t offset = r.U32();
  const size_t endAt = r.Position() + offset;
  for (uint32_t i = 0, n = Count(r, 2); i < n; ++i) m.fills.push_back(ReadMorphFill(r));
  for (uint32_t i = 0, n = Count(r, 2); i < n; ++i) {
    TLineStyle a, b;
    a.width = r.U16();
    b.width = r.U16();
    if (tag == 84) {  // MORPHLINESTYLE2: as LINESTYLE2, with a morph fill
      r.Align();
      a.cap = uint8_t(r.UB(2));
      a.join = uint8_t(r.UB(2));
      a.hasFill = r.UB(1);
      a.noHScale = r.UB(1);
      a.noVScale = r.UB(1);
      r.UB(1);
      r.UB(5);
      a.noClose = r.UB(1);
      r.UB(2);
      if (a.join == 2) a.miterLimit = r.U16() / 256.0;
      const double width = b.width;
      b = a;
      b.width = width;
      if (a.hasFill) std::tie(a.fill, b.fill) = ReadMorphFill(r);
      else a.color = r.Rgba(), b.color = r.Rgba();
      if (a.hasFill && a.fill.kind == TFillStyle::Solid) {
        a.color = a.fill.color, b.color = b.fill.color;
        a.hasFill = b.hasFill = false;
      }
    } else {
      a.color = r.Rgba();
      b.color = r.Rgba();
    }
    m.lines.emplace_back(a, b);
  }
  std::vector<TShapeEdge> start, end;
  r.Align();
  {
    const int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
    ReadShapeRecords(r, fillBits, lineBits, nullptr, start);
  }
  // The end edges where the offset says; an offset past the tag leaves the shape as it starts.
  if (offset > 0 && endAt < r.Position() + r.Left() && endAt >= r.Position()) {
    r.Skip(endAt - r.Position());
    const int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
    ReadShapeRecords(r, fillBits, lineBits, nullptr, end);
  }
  // The edges pair by their order; a straight edge that pairs with a curve is a curve through
  // its middle. Missing end edges keep their start.
  for (size_t i = 0; i < start.size(); ++i) {
    TMorphShape::TEdge e;
    const TSwfShape::TEdge& a = start[i].edge;
    const TSwfShape::TEdge& b = i < end.size() ? end[i].edge : a;
    const float from[6] = {a.ax, a.ay, a.cx, a.cy, a.bx, a.by}, to[6] = {b.ax, b.ay, b.cx, b.cy, b.bx, b.by};
    std::copy(from, from + 6, e.a[0]);
    std::copy(to, to + 6, e.a[1]);
    e.curve = a.curve || b.curve;
    e.fill0 = uint16_t(std::min<uint32_t>(start[i].fill0, 0xFFFF));
    e.fill1 = uint16_t(std::min<uint32_t>(start[i].fill1, 0xFFFF));
    e.line = uint16_t(std::min<uint32_t>(start[i].line, 0xFFFF));
    m.edges.push_back(e);
  }
  return c;
}

TSwfShape TMorphShape::At(double ratio) const {
  const double t = std::clamp(ratio, 0.0, 1.0);
  TSwfShape shape;
  shape.bounds = QRectF(Mix(bounds[0].left(), bounds[1].left(), t), Mix(bounds[0].top(), bounds[1].top(), t),
                        Mix(bounds[0].width(), bounds[1].width(), t), Mix(bounds[0].height(), bounds[1].height(), t));
  std::vector<TFillStyle> fillsAt;
  for (const auto& [a, b] : fills) fillsAt.push_back(Between(a, b, t));
  std::vector<TLineStyle> linesAt;
  for (const auto& [a, b] : lines) {
    TLineStyle l = a;
    l.width = Mix(a.width, b.width, t);
    l.color = Mix(a.color, b.color, t);
    if (a.hasFill) l.fill = Between(a.fill, b.fill, t);
    linesAt.push_back(std::move(l));
  }
  std::vector<TShapeEdge> at;
  at.reserve(edges.size());
  for (const TEdge& m : edges) {
    TShapeEdge se;
    float v[6];
    for (int k = 0; k < 6; ++k) v[k] = float(Mix(m.a[0][k], m.a[1][k], t));
    se.edge.ax = v[0], se.edge.ay = v[1], se.edge.cx = v[2], se.edge.cy = v[3], se.edge.bx = v[4], se.edge.by = v[5];
    se.edge.curve = m.curve;
    se.fill0 = m.fill0, se.fill1 = m.fill1, se.line = m.line;
    at.push_back(se);
  }
  AddStyleGroup(shape, std::move(fillsAt), linesAt, at.data(), at.size());
  return shape;
}

}  // namespace sf::swf
