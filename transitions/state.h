// The shared transition state and the drawing primitives every effect uses.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/color.h"
#include "platform/convert.h"
#include "platform/random.h"
#include "transitions/sprinkle.h"

namespace sf {

// One set of variables for the one transition that runs at a time. The engine sets X, Y,
// target, New, Old, S, W and H before an effect's init; each family's init sets what it uses.
struct TShowPictureVar {
  int32_t X = 0, Y = 0;        // the new picture's top-left corner on the target
  TCanvas* target = nullptr;   // where every effect draws
  const QImage* New = nullptr;  // the incoming picture, W x H
  const QImage* Old = nullptr;  // the outgoing content, at least (X + W) x (Y + H)
  int32_t S = 25;              // the step size: the speed, 1 to 50
  int32_t pos = 0;             // the position counter
  int32_t W = 0, H = 0;        // the new picture's size

  // Working variables of the families.
  int32_t pass = 0;            // a second counter
  int32_t limit = 0;
  int32_t cx = 0, cy = 0;      // a centre
  int32_t cw = 0, ch = 0;      // a growing rectangle's width and height
  int32_t cellW = 0, cellH = 0;
  int32_t n = 0, z = 0;        // a slat or band count and a slat size
  std::array<QPoint, 6> points{};
  float ratio = 0;             // H / W, single precision
  bool flag = false;
  std::array<uint8_t, 64> table1{}, table2{};
  std::vector<int32_t> work;   // pending rows, columns or cells
  std::vector<int32_t> pendingTop[2], pendingBottom[2];  // column ranges gathered in a tick
  std::unique_ptr<effects::TSprinkler> sprinkle;  // Increase show's walks
  TRandom* random = nullptr;  // the engine's generator, which every draw of an effect comes from

  // A uniform integer in 0 to n - 1 from the engine's generator.
  int32_t Random(int32_t n) const { return random->Random(n); }

  // place(r): r shifted by (X, Y).
  QRect Place(const QRect& r) const { return r.translated(X, Y); }
  // Copy r: rectangle r of New onto place(r); only the part inside the picture is copied.
  void Copy(const QRect& r) const { target->CopyRect(Place(r), *New, r); }
  // Copy src of New onto place(dst), the two of one size.
  void CopyTo(const QRect& src, const QRect& dst) const { target->CopyRect(Place(dst), *New, src); }
  // Full draw: the whole of New at (X, Y).
  void FullDraw() const { target->Draw(X, Y, *New); }
  // Stretch into r: the whole of New scaled into place(r).
  void StretchInto(const QRect& r) const {
    if (!r.isEmpty()) target->StretchDraw(Place(r), *New);
  }
  // Region draw: New at (X, Y) clipped to region (in picture coordinates). What a region draw
  // put on the target stays the new picture for the rest of the transition, so only the part of
  // the region no earlier region draw covered is copied: the target ends the same.
  // A region that holds every earlier one of the transition (a growing reveal) is itself what
  // has been revealed, which spares the union; should it not hold them, later draws only copy
  // again what already shows the new picture.
  QRegion revealed;  // the union of this transition's region draws
  void RegionDraw(const QRegion& region, bool growing = false) {
    const QRegion fresh = region.subtracted(revealed);
    if (fresh.isEmpty()) return;
    revealed = growing ? region : revealed.united(fresh);
    target->SelectClipRgn(fresh.translated(X, Y));
    target->Draw(X, Y, *New);
    target->ClearClip();
  }
  QRect Picture() const { return QRect(0, 0, W, H); }
  // ratio = H / W in single precision, and nearest(q × ratio).
  void TakeRatio() { ratio = float(double(H) / W); }
  int32_t Nearest(int32_t q) const { return RoundHalfEven(double(q) * double(ratio)); }
  // What most inits begin with: W and H from the new picture, pos 0.
  void TakePicture() {
    W = New->width();
    H = New->height();
    pos = 0;
  }
};

// The effects' init and step routines. Init receives the state and the parameter the engine
// passes (a band size, a slat count; 0 where the effect takes none); step draws one stage and
// gives true when the new picture stands whole.
using TEffectInit = void (*)(TShowPictureVar& v, int32_t param);
using TEffectStep = bool (*)(TShowPictureVar& v, int32_t param);

}  // namespace sf
