// Colours and rectangles in the system's own terms.
//
// A colour travels as a 32-bit 0x00BBGGRR value (red in the low byte). A rectangle is
// (left, top, right, bottom) with right and bottom exclusive; QRect's right() is inclusive, so
// every rectangle is built with ltrb() and read back with the accessors below, never by hand.
#pragma once

#include <QColor>
#include <QRect>
#include <cstdint>

namespace sf {

using TColor = int32_t;  // 0x00BBGGRR; the high byte is ignored

constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor RGB(int r, int g, int b) {
  return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// The one pair of conversions at the Qt boundary.
QRgb ToQRgb(TColor c);
TColor FromQRgb(QRgb rgb);
inline QColor ToQColor(TColor c) { return QColor::fromRgb(ToQRgb(c)); }
inline TColor FromQColor(const QColor& c) { return FromQRgb(c.rgb()); }

// (left, top, right, bottom), right and bottom exclusive. An inverted rectangle becomes empty.
inline QRect ltrb(int l, int t, int r, int b) {
  return QRect(l, t, r > l ? r - l : 0, b > t ? b - t : 0);
}
inline int RectLeft(const QRect& r) { return r.x(); }
inline int RectTop(const QRect& r) { return r.y(); }
inline int RectRight(const QRect& r) { return r.x() + r.width(); }
inline int RectBottom(const QRect& r) { return r.y() + r.height(); }

}  // namespace sf
