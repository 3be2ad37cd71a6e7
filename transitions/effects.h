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

// Clip-region reveals (the six radial sweeps share one pair; the engine passes their centres).
SF_EFFECT(Circle)
SF_EFFECT(EllipseFromCenter)
SF_EFFECT(EllipseToCenter)
SF_EFFECT(EllipseRandom)
SF_EFFECT(DiamondFromCenter)
SF_EFFECT(DiamondToCenter)
SF_EFFECT(WipeFromLeftTop)
SF_EFFECT(WipeFromRightTop)
SF_EFFECT(WipeFromLeftBottom)
SF_EFFECT(WipeFromRightBottom)
SF_EFFECT(WipeFromLeftTopRightBottom)
SF_EFFECT(WipeFromRightTopLeftBottom)
SF_EFFECT(WipeToLeftTopRightBottom)
SF_EFFECT(WipeToRightTopLeftBottom)
SF_EFFECT(MultiWipeLeftTop)
SF_EFFECT(MultiWipeRightTop)
SF_EFFECT(MultiWipeBottomLeft)
SF_EFFECT(MultiWipeBottomRight)

// Grid-cell reveals.
void InitBlockFromCenter(TShowPictureVar& v, int32_t param);
void InitBlockToCenter(TShowPictureVar& v, int32_t param);
bool StepBlock(TShowPictureVar& v, int32_t param);
SF_EFFECT(CheckerboardLeft)
SF_EFFECT(CheckerboardLeftRebound)
SF_EFFECT(CheckerboardRight)
SF_EFFECT(CheckerboardRightRebound)
SF_EFFECT(CheckerboardDown)
SF_EFFECT(CheckerboardDownRebound)
SF_EFFECT(CheckerboardUp)
SF_EFFECT(CheckerboardUpRebound)
SF_EFFECT(MultiBoxFromCenter)
SF_EFFECT(MultiBoxToCenter)
SF_EFFECT(Mosaic)

// Random lines and pixel dither.
SF_EFFECT(LinesHorizontal)
SF_EFFECT(LinesVertical)
SF_EFFECT(RandomCrossLines)
SF_EFFECT(IncreaseShow)

// Composited reveals.
SF_EFFECT(CenterEnvelop)
SF_EFFECT(ShowUpDown)
SF_EFFECT(ShowLeftRight)
SF_EFFECT(RollRight)
SF_EFFECT(RollLeft)
SF_EFFECT(RollDown)
SF_EFFECT(RollUp)

// Region wipes (one init for the four wedges, one for the two fans).
SF_EFFECT(CrossFromCenter)
SF_EFFECT(CrossToCenter)
void InitWedge(TShowPictureVar& v, int32_t param);
bool StepWedgeRight(TShowPictureVar& v, int32_t param);
bool StepWedgeLeft(TShowPictureVar& v, int32_t param);
bool StepWedgeDown(TShowPictureVar& v, int32_t param);
bool StepWedgeUp(TShowPictureVar& v, int32_t param);
void InitFan(TShowPictureVar& v, int32_t param);
bool StepFanClockwise(TShowPictureVar& v, int32_t param);
bool StepFanAnticlockwise(TShowPictureVar& v, int32_t param);

// Fixed-pace effects.
SF_EFFECT(ZigZagRight)
SF_EFFECT(ZigZagLeft)
SF_EFFECT(ZigZagDown)
SF_EFFECT(ZigZagUp)
SF_EFFECT(LineRight)
SF_EFFECT(LineRightRebound)
SF_EFFECT(LineLeft)
SF_EFFECT(LineLeftRebound)
SF_EFFECT(LineDown)
SF_EFFECT(LineDownRebound)
SF_EFFECT(LineUp)
SF_EFFECT(LineUpRebound)
SF_EFFECT(BlindRight)
SF_EFFECT(BlindLeft)
SF_EFFECT(BlindDown)
SF_EFFECT(BlindUp)
SF_EFFECT(SweepRight)
SF_EFFECT(SweepLeft)
SF_EFFECT(SweepDown)
SF_EFFECT(SweepUp)

// Phased half and strip moves (members 1 to 4 share one init).
void InitHalvesShared(TShowPictureVar& v, int32_t param);
bool StepMoveDown1(TShowPictureVar& v, int32_t param);
bool StepMoveDown2(TShowPictureVar& v, int32_t param);
bool StepMoveDown3(TShowPictureVar& v, int32_t param);
bool StepMoveDown4(TShowPictureVar& v, int32_t param);
bool StepMoveUp1(TShowPictureVar& v, int32_t param);
bool StepMoveUp2(TShowPictureVar& v, int32_t param);
bool StepMoveUp3(TShowPictureVar& v, int32_t param);
bool StepMoveUp4(TShowPictureVar& v, int32_t param);
bool StepMoveRight1(TShowPictureVar& v, int32_t param);
bool StepMoveRight2(TShowPictureVar& v, int32_t param);
bool StepMoveRight3(TShowPictureVar& v, int32_t param);
bool StepMoveRight4(TShowPictureVar& v, int32_t param);
bool StepMoveLeft1(TShowPictureVar& v, int32_t param);
bool StepMoveLeft2(TShowPictureVar& v, int32_t param);
bool StepMoveLeft3(TShowPictureVar& v, int32_t param);
bool StepMoveLeft4(TShowPictureVar& v, int32_t param);
SF_EFFECT(MoveDown5)
SF_EFFECT(MoveUp5)
SF_EFFECT(MoveRight5)
SF_EFFECT(MoveLeft5)

#undef SF_EFFECT

}  // namespace sf::effects
