// Clip regions built with the system's rules, so that every effect uses the same ones.
// Coordinates are (left, top, right, bottom), right and bottom exclusive.
#pragma once

#include <QPoint>
#include <QRegion>
#include <vector>

namespace sf {

enum class TRegionMode { Or, And, Diff };

QRegion CreateRectRgn(int l, int t, int r, int b);
// The ellipse inscribed in the rectangle.
QRegion CreateEllipticRgn(int l, int t, int r, int b);
// The polygon through the points, filled by the winding rule: the pixels whose centres it winds
// around.
QRegion CreatePolygonRgn(const std::vector<QPoint>& points);
// Several polygons filled together by the winding rule: for polygons of one orientation, the
// union of their regions.
QRegion CreatePolyPolygonRgn(const std::vector<std::vector<QPoint>>& polygons);
QRegion CombineRgn(const QRegion& a, const QRegion& b, TRegionMode mode);
// The union of many regions, as OR-ing them in turn gives, merged pairwise so that it costs the
// regions' size times the logarithm of their number, not times their number.
QRegion CombineRgnAll(std::vector<QRegion> parts);
inline QRegion OffsetRgn(const QRegion& region, int dx, int dy) { return region.translated(dx, dy); }

}  // namespace sf
