// The init and step routines of the effect families, one source file each; the effect table
// (table.cpp) is the one place that ties them to indexes, names and intervals.
#pragma once

#include "transitions/state.h"

namespace sf::effects {

#define SF_EFFECT(name)                                  \
  void Init##name(TShowPictureVar& v, int32_t param);    \
  bool Step##name(TShowPictureVar& v, int32_t param);

// Scan, shutter and rain wipes.
SF_EFFECT(ScanDown)
SF_EFFECT(ScanUp)
SF_EFFECT(ScanRight)
SF_EFFECT(ScanLeft)
SF_EFFECT(ScanToCenterV)
SF_EFFECT(ScanToCenterH)
SF_EFFECT(ScanToEdgeV)
SF_EFFECT(ScanToEdgeH)
SF_EFFECT(ShutterV)
SF_EFFECT(ShutterH)
SF_EFFECT(RainDown)
SF_EFFECT(RainUp)
SF_EFFECT(RainRight)
SF_EFFECT(RainLeft)

// Growing rectangle and stretch reveals.
SF_EFFECT(CenterDiffuse)
SF_EFFECT(StretchCenter)
SF_EFFECT(ShowTopLeft)
SF_EFFECT(ShowTopRight)
SF_EFFECT(ShowBottomLeft)
SF_EFFECT(ShowBottomRight)
SF_EFFECT(StretchTopLeft)
SF_EFFECT(StretchTopRight)
SF_EFFECT(StretchBottomLeft)
SF_EFFECT(StretchBottomRight)
SF_EFFECT(StretchTop)
SF_EFFECT(StretchBottom)
SF_EFFECT(StretchLeft)
SF_EFFECT(StretchRight)

// Ragged band wipes (the corner and centre members take the band size).
SF_EFFECT(BandRightSmall)
SF_EFFECT(BandLeftSmall)
SF_EFFECT(BandDownSmall)
SF_EFFECT(BandUpSmall)
SF_EFFECT(BandRightLarge)
SF_EFFECT(BandLeftLarge)
SF_EFFECT(BandDownLarge)
SF_EFFECT(BandUpLarge)
SF_EFFECT(BandFromLeftTop)
SF_EFFECT(BandFromRightTop)
SF_EFFECT(BandFromLeftBottom)
SF_EFFECT(BandFromRightBottom)
SF_EFFECT(BandFromCenter)
SF_EFFECT(BandToCenter)

// Slide-in and two-bar effects.
SF_EFFECT(MoveLeft)
SF_EFFECT(MoveRight)
SF_EFFECT(MoveUp)
SF_EFFECT(MoveDown)
SF_EFFECT(MoveFromTopLeft)
SF_EFFECT(MoveFromTopRight)
SF_EFFECT(MoveFromBottomLeft)
SF_EFFECT(MoveFromBottomRight)
SF_EFFECT(MoveUpDown)
SF_EFFECT(MoveLeftRight)
SF_EFFECT(TwoBarWipeRight)
SF_EFFECT(TwoBarWipeLeft)
SF_EFFECT(TowBarWipeDown)
SF_EFFECT(TowBarWipeUp)
SF_EFFECT(TwoBarMoveRight)
SF_EFFECT(TwoBarMoveLeft)
SF_EFFECT(TowBarMoveDown)
SF_EFFECT(TowBarMoveUp)

#undef SF_EFFECT

}  // namespace sf::effects
