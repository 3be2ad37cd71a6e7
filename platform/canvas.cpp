#include "platform/canvas.h"

#include <QPainter>

namespace sf {

void TCanvas::FillRect(const QRect& r, TColor color) {
  const QRect clipped = r.intersected(bitmap_.rect());
  if (clipped.isEmpty()) return;
  if (bitmap_.format() == QImage::Format_RGB32 || bitmap_.format() == QImage::Format_ARGB32) {
    const QRgb px = ToQRgb(color);
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(bitmap_.scanLine(y));
      std::fill(line + clipped.left(), line + clipped.left() + clipped.width(), px);
    }
    return;
  }
  QPainter p(&bitmap_);
  p.fillRect(clipped, ToQColor(color));
}

void TCanvas::Ellipse(const QRect& r, TColor color) {
  if (r.width() < 1 || r.height() < 1) return;
  QPainter p(&bitmap_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(ToQColor(color));
  p.setBrush(ToQColor(color));
  // QPainter's outline covers one pixel more than its rectangle; the system's stays inside.
  p.drawEllipse(QRect(r.x(), r.y(), r.width() - 1, r.height() - 1));
}

}  // namespace sf
