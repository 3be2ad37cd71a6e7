#include "platform/regions.h"

#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/color.h"

namespace sf {

QRegion CreateRectRgn(int l, int t, int r, int b) { return QRegion(ltrb(l, t, r, b)); }

namespace {

// Builds a region row by row: each pixel row's spans (begin, end) in ascending order; rows with
// the same spans as the row above join its band. One pass and one allocation, where adding the
// rows to a region one by one would copy it for each.
class TRowRegion {
 public:
  void Row(int64_t y, std::vector<std::pair<int, int>>& spans) {
    if (spans.empty()) {
      Flush();
      return;
    }
    if (!open_.empty() && y == bandBottom_ && spans == open_) {
      ++bandBottom_;
      return;
    }
    Flush();
    open_ = spans;
    bandTop_ = y;
    bandBottom_ = y + 1;
  }
  QRegion Take() {
    Flush();
    QRegion region;
    if (!rects_.empty()) region.setRects(rects_.data(), int(rects_.size()));
    return region;
  }

 private:
  void Flush() {
    for (const auto& [a, b] : open_) rects_.emplace_back(a, int(bandTop_), b - a, int(bandBottom_ - bandTop_));
    open_.clear();
  }
  std::vector<QRect> rects_;
  std::vector<std::pair<int, int>> open_;
  int64_t bandTop_ = 0, bandBottom_ = 0;
};

// The columns whose pixel centres lie in [a, b).
std::pair<int, int> Columns(double a, double b) {
  return {int(std::ceil(a - 0.5)), int(std::ceil(b - 0.5))};
}

}  // namespace

// The pixels whose centres lie inside the ellipse.
QRegion CreateEllipticRgn(int l, int t, int r, int b) {
  const QRect box = ltrb(l, t, r, b);
  if (box.isEmpty()) return QRegion();
  const double cx = (double(l) + r) / 2, cy = (double(t) + b) / 2, rx = (double(r) - l) / 2, ry = (double(b) - t) / 2;
  TRowRegion out;
  std::vector<std::pair<int, int>> spans;
  for (int64_t y = t; y < b; ++y) {
    const double dy = (double(y) + 0.5 - cy) / ry;
    spans.clear();
    if (dy * dy < 1) {
      const double half = rx * std::sqrt(1 - dy * dy);
      const auto [a, z] = Columns(cx - half, cx + half);
      if (a < z) spans.emplace_back(a, z);
    }
    out.Row(y, spans);
  }
  return out.Take();
}

// The pixels whose centres the polygons wind around together (the non-zero rule), row by row
// with the edges that cross each row.
QRegion CreatePolyPolygonRgn(const std::vector<std::vector<QPoint>>& polygons) {
  struct TEdge {
    int64_t first, end;  // the rows whose centres the edge spans, end exclusive
    double x, step;      // x at the first row's centre, and per row
    int winding;
  };
  std::vector<TEdge> edges;
  for (const std::vector<QPoint>& points : polygons) {
    if (points.size() < 3) continue;
    for (size_t i = 0; i < points.size(); ++i) {
      const QPoint& a = points[i];
      const QPoint& b = points[(i + 1) % points.size()];
      if (a.y() == b.y()) continue;
      const bool down = a.y() < b.y();
      const QPoint& top = down ? a : b;
      const QPoint& bottom = down ? b : a;
      const int64_t first = int64_t(std::ceil(top.y() - 0.5)), end = int64_t(std::ceil(bottom.y() - 0.5));
      if (first >= end) continue;
      const double step = (double(bottom.x()) - top.x()) / (double(bottom.y()) - top.y());
      edges.push_back({first, end, top.x() + (double(first) + 0.5 - top.y()) * step, step, down ? 1 : -1});
    }
  }
  if (edges.empty()) return QRegion();
  std::sort(edges.begin(), edges.end(), [](const TEdge& p, const TEdge& q) { return p.first < q.first; });
  // The edges crossing the current row, kept in the order of their crossings: from one row to
  // the next the order changes only where edges cross, so an insertion sort has little to do.
  struct TActive {
    double at;  // where the edge crosses the current row
    const TEdge* edge;
  };
  std::vector<TActive> active;
  std::vector<std::pair<int, int>> spans;
  TRowRegion out;
  size_t next = 0;
  int64_t y = edges[0].first;
  while (next < edges.size() || !active.empty()) {
    if (active.empty() && edges[next].first > y) {  // a gap between the polygons' rows
      spans.clear();
      out.Row(y, spans);
      y = edges[next].first;
    }
    while (next < edges.size() && edges[next].first == y) active.push_back({0, &edges[next++]});
    for (size_t i = 0; i < active.size(); ++i) {
      TActive a = active[i];
      a.at = a.edge->x + double(y - a.edge->first) * a.edge->step;
      size_t k = i;
      for (; k > 0 && a.at < active[k - 1].at; --k) active[k] = active[k - 1];
      active[k] = a;
    }
    spans.clear();
    int winding = 0;
    double start = 0;
    for (const TActive& c : active) {
      const int before = winding;
      winding += c.edge->winding;
      if (before == 0 && winding != 0) start = c.at;
      if (before != 0 && winding == 0) {
        const auto [a, z] = Columns(start, c.at);
        if (a >= z) continue;
        if (!spans.empty() && spans.back().second >= a) spans.back().second = std::max(spans.back().second, z);
        else spans.emplace_back(a, z);
      }
    }
    out.Row(y, spans);
    ++y;
    active.erase(std::remove_if(active.begin(), active.end(), [&](const TActive& a) { return a.edge->end <= y; }),
                 active.end());
  }
  return out.Take();
}

QRegion CreatePolygonRgn(const std::vector<QPoint>& points) { return CreatePolyPolygonRgn({points}); }

QRegion CombineRgn(const QRegion& a, const QRegion& b, TRegionMode mode) {
  switch (mode) {
    case TRegionMode::Or: return a.united(b);
    case TRegionMode::And: return a.intersected(b);
    case TRegionMode::Diff: return a.subtracted(b);
  }
  return a;
}

QRegion CombineRgnAll(std::vector<QRegion> parts) {
  if (parts.empty()) return QRegion();
  while (parts.size() > 1) {
    size_t out = 0;
    for (size_t i = 0; i < parts.size(); i += 2)
      parts[out++] = i + 1 < parts.size() ? parts[i].united(parts[i + 1]) : std::move(parts[i]);
    parts.resize(out);
  }
  return std::move(parts[0]);
}

}  // namespace sf
