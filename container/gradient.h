// The gradient painter of the backgrounds.
#pragma once

#include <QImage>

#include "platform/color.h"

namespace sf {

// Paints the whole bitmap with a gradient from a to b in style 0 to 11; any other style
// paints nothing.
void PaintGradient(TColor a, TColor b, int style, QImage& bitmap);

}  // namespace sf
