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

}  // namespace sf
