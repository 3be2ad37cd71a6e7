#include "platform/regions.h"

#include <QPolygon>

#include "platform/color.h"

namespace sf {

QRegion CreateRectRgn(int l, int t, int r, int b) { return QRegion(ltrb(l, t, r, b)); }

QRegion CreateEllipticRgn(int l, int t, int r, int b) {
  const QRect box = ltrb(l, t, r, b);
  return box.isEmpty() ? QRegion() : QRegion(box, QRegion::Ellipse);
}

QRegion CreatePolygonRgn(const std::vector<QPoint>& points) {
  if (points.size() < 3) return QRegion();
  return QRegion(QPolygon(QList<QPoint>(points.begin(), points.end())), Qt::WindingFill);
}

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
