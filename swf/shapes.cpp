// DefineShape 1 to 4: the fill and line styles, then the edges, each with the fill style on its
// left and on its right and a line style. The edges of each fill style are joined into closed
// contours (the right-hand fill's edges as they run, the left-hand fill's reversed), so that a
// QPainterPath fills exactly the area the style covers.
#include <QPainterPathStroker>
#include <algorithm>
#include <map>
#include <unordered_map>

#include "swf/parse.h"

namespace sf::swf {
namespace {

struct TEdge {
  QPointF a, control, b;
  bool curve = false;
  TEdge Reversed() const { return TEdge{b, control, a, curve}; }
};

// One set of styles and the edges drawn with it.
struct TStyleGroup {
  std::vector<TFillStyle> fills;
  std::vector<TLineStyle> lines;
  std::map<uint32_t, std::vector<TEdge>> fillEdges;  // by style index, 1-based
  std::map<uint32_t, std::vector<TEdge>> lineEdges;
};

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
      r.UB(2);  // the interpolation mode: always in RGB here
      const int n = int(r.UB(4));
      for (int i = 0; i < n; ++i) {
        const uint8_t ratio = r.U8();
        f.stops.emplace_back(ratio, Color(r, version));
      }
      if (type == 0x13) f.focal = float(r.S16()) / 256.0f;
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

void ReadStyles(TReader& r, int version, TStyleGroup& g) {
  const uint32_t fills = Count(r, version);
  for (uint32_t i = 0; i < fills; ++i) g.fills.push_back(ReadFill(r, version));
  const uint32_t lines = Count(r, version);
  for (uint32_t i = 0; i < lines; ++i) {
    TLineStyle l;
    l.width = r.U16();
    if (version >= 4) {  // LINESTYLE2: caps, join and flags; a fill instead of a colour
      r.Align();
      r.UB(2);
      const uint32_t join = r.UB(2);
      l.hasFill = r.UB(1);
      r.UB(11);
      if (join == 2) r.U16();  // the miter limit
      if (l.hasFill) l.fill = ReadFill(r, version);
      else l.color = r.Rgba();
      if (l.hasFill && l.fill.kind == TFillStyle::Solid) l.color = l.fill.color, l.hasFill = false;
    } else {
      l.color = Color(r, version);
    }
    g.lines.push_back(std::move(l));
  }
}

void AddSegment(QPainterPath& path, const TEdge& e) {
  if (e.curve) path.quadTo(e.control, e.b);
  else path.lineTo(e.b);
}

// Joins directed edges into contours: from the end of each, on with an unused edge that starts
// there, until none does.
QPainterPath Contours(const std::vector<TEdge>& edges) {
  auto key = [](const QPointF& p) { return uint64_t(uint32_t(int32_t(p.x()))) << 32 | uint32_t(int32_t(p.y())); };
  std::unordered_multimap<uint64_t, size_t> starts;
  starts.reserve(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) starts.emplace(key(edges[i].a), i);
  std::vector<bool> used(edges.size(), false);
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (size_t first = 0; first < edges.size(); ++first) {
    if (used[first]) continue;
    size_t e = first;
    path.moveTo(edges[e].a);
    while (true) {
      used[e] = true;
      AddSegment(path, edges[e]);
      size_t next = SIZE_MAX;
      const auto range = starts.equal_range(key(edges[e].b));
      for (auto it = range.first; it != range.second; ++it)
        if (!used[it->second]) {
          next = it->second;
          break;
        }
      if (next == SIZE_MAX) break;
      e = next;
    }
    path.closeSubpath();
  }
  return path;
}

// Lines: the edges of a style one after the other, a new subpath where they do not meet.
QPainterPath Lines(const std::vector<TEdge>& edges) {
  QPainterPath path;
  QPointF at(qQNaN(), qQNaN());
  for (const TEdge& e : edges) {
    if (e.a != at) path.moveTo(e.a);
    AddSegment(path, e);
    at = e.b;
  }
  return path;
}

}  // namespace

TCharacter ReadShape(TReader& r, int tag) {
  const int version = tag == 2 ? 1 : tag == 22 ? 2 : tag == 32 ? 3 : 4;
  TCharacter c{TCharacter::Shape, {}, {}, {}};
  c.shape.bounds = r.Rect();
  if (version == 4) {
    r.Rect();   // the edge bounds
    r.UB(8);    // reserved bits and the stroke flags
  }
  std::vector<TStyleGroup> groups(1);
  ReadStyles(r, version, groups.back());
  r.Align();
  int fillBits = int(r.UB(4)), lineBits = int(r.UB(4));
  int32_t x = 0, y = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  // Every record takes at least six bits: a shape cannot have more records than its data.
  for (size_t records = 0; records <= r.Left() * 2 + 8; ++records) {
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
    TEdge e;
    e.a = QPointF(x, y);
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
      e.control = QPointF(cx, cy);
      x = cx + r.SB(n), y = cy + r.SB(n);
      e.curve = true;
    }
    e.b = QPointF(x, y);
    TStyleGroup& g = groups.back();
    if (fill0 > 0 && fill0 <= g.fills.size()) g.fillEdges[fill0].push_back(e.Reversed());
    if (fill1 > 0 && fill1 <= g.fills.size()) g.fillEdges[fill1].push_back(e);
    if (line > 0 && line <= g.lines.size()) g.lineEdges[line].push_back(e);
  }
  for (TStyleGroup& g : groups) {
    for (auto& [index, edges] : g.fillEdges) {
      TSwfShape::TPart part;
      part.path = Contours(edges);
      part.fill = g.fills[index - 1];
      part.path.controlPointRect();  // computed now: the frame's bands read it at once
      c.shape.parts.push_back(std::move(part));
    }
    for (auto& [index, edges] : g.lineEdges) {
      TSwfShape::TPart part;
      part.stroke = true;
      part.path = Lines(edges);
      part.path.controlPointRect();
      part.line = g.lines[index - 1];
      // The line's area at its width, once; a line thinner than a pixel where it is shown is
      // drawn from its path instead.
      QPainterPathStroker stroker;
      stroker.setWidth(std::max(part.line.width, 1.0));
      stroker.setCapStyle(Qt::RoundCap);
      stroker.setJoinStyle(Qt::RoundJoin);
      part.outline = stroker.createStroke(part.path);
      part.outline.controlPointRect();
      c.shape.parts.push_back(std::move(part));
    }
  }
  return c;
}

}  // namespace sf::swf
