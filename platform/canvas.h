// The canvas: drawing onto a bitmap with the system's operations and rectangles.
#pragma once

#include <QImage>
#include <QRect>

#include "platform/color.h"

namespace sf {

class TCanvas {
 public:
  explicit TCanvas(QImage& bitmap) : bitmap_(bitmap) {}

  // Fills (l, t, r, b), right and bottom exclusive, clipped to the bitmap; no outline.
  void FillRect(const QRect& r, TColor color);
  // An ellipse inscribed in r, outline and inside both in color, as the system draws it with a
  // one-pixel pen of that colour and a brush of that colour.
  void Ellipse(const QRect& r, TColor color);

  QImage& Bitmap() { return bitmap_; }

 private:
  QImage& bitmap_;
};

}  // namespace sf
