#include "platform/canvas.h"

#include <QPainter>
#include <cstring>

namespace sf {

void TCanvas::FillRect(const QRect& r, TColor color) {
  const QRect clipped = r.intersected(bitmap_.rect());
  if (clipped.isEmpty()) return;
  Touch(clipped);
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
  Touch(r);
  QPainter p(&bitmap_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(ToQColor(color));
  p.setBrush(ToQColor(color));
  // QPainter's outline covers one pixel more than its rectangle; the system's stays inside.
  p.drawEllipse(QRect(r.x(), r.y(), r.width() - 1, r.height() - 1));
}

void TCanvas::SelectClipRgn(const QRegion& region) {
  clip_ = region;
  clipped_ = true;
}

void TCanvas::ClearClip() {
  clip_ = QRegion();
  clipped_ = false;
}

QRect TCanvas::TakeDirty() {
  QRect d = dirty_;
  dirty_ = QRect();
  return d;
}

void TCanvas::Blit(int dx, int dy, const QImage& source, const QRect& src) {
  if (&source == &bitmap_) {  // a copy within the bitmap reads a copy of its source
    const QImage part = source.copy(src);
    Blit(dx, dy, part, part.rect());
    return;
  }
  // src lies inside source; clip the destination to the target.
  QRect dst(dx, dy, src.width(), src.height());
  const QRect vis = dst.intersected(bitmap_.rect());
  if (vis.isEmpty()) return;
  const int sx = src.x() + (vis.x() - dx), sy = src.y() + (vis.y() - dy);
  Touch(vis);
  if (source.format() == bitmap_.format() && source.depth() >= 8) {
    const int bpp = source.depth() / 8;
    const size_t bytes = size_t(vis.width()) * size_t(bpp);
    for (int y = 0; y < vis.height(); ++y)
      std::memcpy(bitmap_.scanLine(vis.y() + y) + vis.x() * bpp, source.constScanLine(sy + y) + sx * bpp, bytes);
    return;
  }
  QPainter p(&bitmap_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(vis.topLeft(), source, QRect(sx, sy, vis.width(), vis.height()));
}

void TCanvas::BlitClipped(int dx, int dy, const QImage& source, const QRect& src) {
  if (!clipped_) {
    Blit(dx, dy, source, src);
    return;
  }
  const QRegion part = clip_.intersected(QRect(dx, dy, src.width(), src.height()));
  for (const QRect& r : part)
    Blit(r.x(), r.y(), source, QRect(src.x() + r.x() - dx, src.y() + r.y() - dy, r.width(), r.height()));
}

void TCanvas::CopyRect(const QRect& dst, const QImage& source, const QRect& src) {
  if (dst.isEmpty() || src.isEmpty()) return;
  if (dst.size() == src.size()) {
    const QRect inside = src.intersected(source.rect());
    if (inside.isEmpty()) return;
    BlitClipped(dst.x() + inside.x() - src.x(), dst.y() + inside.y() - src.y(), source, inside);
    return;
  }
  // A stretched copy: each target pixel takes the source pixel at the same proportion.
  const QRect inside = src.intersected(source.rect());
  if (inside.isEmpty()) return;
  const QRect vis = dst.intersected(bitmap_.rect());
  if (vis.isEmpty()) return;
  if (clipped_ || source.format() != bitmap_.format() || source.depth() != 32) {
    QImage scaled = source.copy(inside).scaled(dst.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(bitmap_.format());
    BlitClipped(dst.x(), dst.y(), scaled, scaled.rect());
    return;
  }
  Touch(vis);
  std::vector<int> columns(size_t(vis.width()));
  for (int x = 0; x < vis.width(); ++x)
    columns[size_t(x)] = inside.x() + int(int64_t(vis.x() + x - dst.x()) * inside.width() / dst.width());
  for (int y = 0; y < vis.height(); ++y) {
    const int sy = inside.y() + int(int64_t(vis.y() + y - dst.y()) * inside.height() / dst.height());
    const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
    auto* d = reinterpret_cast<QRgb*>(bitmap_.scanLine(vis.y() + y)) + vis.x();
    for (int x = 0; x < vis.width(); ++x) d[x] = s[columns[size_t(x)]];
  }
}

void TCanvas::Draw(int x, int y, const QImage& source) { BlitClipped(x, y, source, source.rect()); }

void TCanvas::StretchDraw(const QRect& dst, const QImage& source) { CopyRect(dst, source, source.rect()); }

}  // namespace sf
