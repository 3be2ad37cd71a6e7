#include "container/gradient.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/convert.h"

namespace sf {
namespace {

// The colour of step k of n: per channel a + Round(k * inc), the increment (b - a) / n held
// as a single-precision real. A gradient of no steps stays at a.
struct TGradientSteps {
  int a[3];
  float inc[3];
  TGradientSteps(TColor from, TColor to, double n) {
    const int fa[3] = {GetRValue(from), GetGValue(from), GetBValue(from)};
    const int fb[3] = {GetRValue(to), GetGValue(to), GetBValue(to)};
    for (int c = 0; c < 3; ++c) {
      a[c] = fa[c];
      inc[c] = n != 0 ? float((fb[c] - fa[c]) / n) : 0.0f;
    }
  }
  TColor At(int k) const {
    int v[3];
    for (int c = 0; c < 3; ++c) v[c] = std::clamp(a[c] + RoundHalfEven(double(k) * double(inc[c])), 0, 255);
    return RGB(v[0], v[1], v[2]);
  }
};

}  // namespace

void PaintGradient(TColor a, TColor b, int style, QImage& bitmap) {
  const int W = bitmap.width(), H = bitmap.height();
  TCanvas canvas(bitmap);
  switch (style) {
    case 0:
    case 1: {
      TGradientSteps g(a, b, H);
      for (int y = 0; y < H; ++y) canvas.FillRect(ltrb(0, y, W, y + 1), g.At(style == 0 ? y : H - y));
      return;
    }
    case 2:
    case 3: {
      TGradientSteps g(a, b, W);
      for (int x = 0; x < W; ++x) canvas.FillRect(ltrb(x, 0, x + 1, H), g.At(style == 2 ? x : W - x));
      return;
    }
    case 4:
    case 5: {
      TGradientSteps g(a, b, W / 2.0);
      for (int i = 0; i <= W / 2; ++i) canvas.FillRect(ltrb(i, 0, W - i, H), g.At(style == 4 ? i : W / 2 - i));
      return;
    }
    case 6:
    case 7: {
      TGradientSteps g(a, b, H / 2.0);
      for (int i = 0; i <= H / 2; ++i) canvas.FillRect(ltrb(0, i, W, H - i), g.At(style == 6 ? i : H / 2 - i));
      return;
    }
    case 8:
    case 9:
    case 10:
    case 11: {
      const int L = std::max(W, H), S = std::min(W, H);
      const float ratio = L != 0 ? float(double(S) / L) : 0.0f;
      const int half = L / 2;
      TGradientSteps g(a, b, half);
      if (style == 10) canvas.FillRect(ltrb(0, 0, W, H), b);
      if (style == 11) canvas.FillRect(ltrb(0, 0, W, H), a);
      for (int r = 0; r <= half; ++r) {
        const int s = RoundHalfEven(double(r) * double(ratio));
        const QRect rect = W >= H ? ltrb(r, s, W - r, H - s) : ltrb(s, r, W - s, H - r);
        const TColor color = g.At(style == 8 || style == 10 ? half - r : r);
        if (style <= 9) canvas.FillRect(rect, color);
        else canvas.Ellipse(rect, color);
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace sf
