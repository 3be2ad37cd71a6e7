#include "platform/color.h"

namespace sf {

QRgb ToQRgb(TColor c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

TColor FromQRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

}  // namespace sf
