#include "transitions/table.h"

#include <cstring>

#include "transitions/effects.h"

namespace sf {
namespace {

const TEffectInfo kTable[kEffectCount] = {
    {"Band down large", 10, "band", pNone, effects::InitBandDownLarge, effects::StepBandDownLarge},  // 0
    {"Band down small", 10, "band", pNone, effects::InitBandDownSmall, effects::StepBandDownSmall},  // 1
    {"Band from center large", 10, "band", pBand15, effects::InitBandFromCenter, effects::StepBandFromCenter},  // 2
    {"Band from center small", 10, "band", pBand5, effects::InitBandFromCenter, effects::StepBandFromCenter},  // 3
    {"Band from left-bottom large", 10, "band", pBand15, effects::InitBandFromLeftBottom, effects::StepBandFromLeftBottom},  // 4
    {"Band from left-bottom small", 10, "band", pBand5, effects::InitBandFromLeftBottom, effects::StepBandFromLeftBottom},  // 5
    {"Band from left-top large", 10, "band", pBand15, effects::InitBandFromLeftTop, effects::StepBandFromLeftTop},  // 6
    {"Band from left-top small", 10, "band", pBand5, effects::InitBandFromLeftTop, effects::StepBandFromLeftTop},  // 7
    {"Band from right-bottom large", 10, "band", pBand15, effects::InitBandFromRightBottom, effects::StepBandFromRightBottom},  // 8
    {"Band from right-bottom small", 10, "band", pBand5, effects::InitBandFromRightBottom, effects::StepBandFromRightBottom},  // 9
    {"Band from right-top large", 10, "band", pBand15, effects::InitBandFromRightTop, effects::StepBandFromRightTop},  // 10
    {"Band from right-top small", 10, "band", pBand5, effects::InitBandFromRightTop, effects::StepBandFromRightTop},  // 11
    {"Band left large", 10, "band", pNone, effects::InitBandLeftLarge, effects::StepBandLeftLarge},  // 12
    {"Band left samll", 10, "band", pNone, effects::InitBandLeftSmall, effects::StepBandLeftSmall},  // 13
    {"Band right large", 10, "band", pNone, effects::InitBandRightLarge, effects::StepBandRightLarge},  // 14
    {"Band right small", 10, "band", pNone, effects::InitBandRightSmall, effects::StepBandRightSmall},  // 15
    {"Band to center large", 10, "band", pBand15, effects::InitBandToCenter, effects::StepBandToCenter},  // 16
    {"Band to center small", 10, "band", pBand5, effects::InitBandToCenter, effects::StepBandToCenter},  // 17
    {"Band up large", 10, "band", pNone, effects::InitBandUpLarge, effects::StepBandUpLarge},  // 18
    {"Band up small", 10, "band", pNone, effects::InitBandUpSmall, effects::StepBandUpSmall},  // 19
    {"Block from center", 10, "grid", pNone, effects::InitBlockFromCenter, effects::StepBlock},  // 20
    {"Block to center", 10, "grid", pNone, effects::InitBlockToCenter, effects::StepBlock},  // 21
    {"Center(Diffuse)", 10, "grow", pNone, effects::InitCenterDiffuse, effects::StepCenterDiffuse},  // 22
    {"Center(Envelop)", 10, "composite", pNone, effects::InitCenterEnvelop, effects::StepCenterEnvelop},  // 23
    {"Checkerboard down", 30, "grid", pNone, effects::InitCheckerboardDown, effects::StepCheckerboardDown},  // 24
    {"Checkerboard down rebound", 30, "grid", pNone, effects::InitCheckerboardDownRebound, effects::StepCheckerboardDownRebound},  // 25
    {"Checkerboard left", 30, "grid", pNone, effects::InitCheckerboardLeft, effects::StepCheckerboardLeft},  // 26
    {"Checkerboard left rebound", 30, "grid", pNone, effects::InitCheckerboardLeftRebound, effects::StepCheckerboardLeftRebound},  // 27
    {"Checkerboard right", 30, "grid", pNone, effects::InitCheckerboardRight, effects::StepCheckerboardRight},  // 28
    {"Checkerboard right rebound", 30, "grid", pNone, effects::InitCheckerboardRightRebound, effects::StepCheckerboardRightRebound},  // 29
    {"Checkerboard up", 30, "grid", pNone, effects::InitCheckerboardUp, effects::StepCheckerboardUp},  // 30
    {"Checkerboard up rebound", 30, "grid", pNone, effects::InitCheckerboardUpRebound, effects::StepCheckerboardUpRebound},  // 31
    {"Circle left-bottom", 10, "clip", pCentreLeftBottom, effects::InitCircle, effects::StepCircle},  // 32
    {"Circle left-top", 10, "clip", pCentreLeftTop, effects::InitCircle, effects::StepCircle},  // 33
    {"Circle right-bottom", 10, "clip", pCentreRightBottom, effects::InitCircle, effects::StepCircle},  // 34
    {"Circle right-top", 10, "clip", pCentreRightTop, effects::InitCircle, effects::StepCircle},  // 35
    {"Circle(Center)", 10, "clip", pCentreMiddle, effects::InitCircle, effects::StepCircle},  // 36
    {"Circle(Random)", 10, "clip", pCentreRandom, effects::InitCircle, effects::StepCircle},  // 37
    {"Cross wipe from center", 10, "region", pNone, effects::InitCrossFromCenter, effects::StepCrossFromCenter},  // 38
    {"Cross wipe to center", 10, "region", pNone, effects::InitCrossToCenter, effects::StepCrossToCenter},  // 39
    {"Diamond from center", 10, "clip", pNone, effects::InitDiamondFromCenter, effects::StepDiamondFromCenter},  // 40
    {"Diamond to center", 10, "clip", pNone, effects::InitDiamondToCenter, effects::StepDiamondToCenter},  // 41
    {"Ellipse from center", 10, "clip", pNone, effects::InitEllipseFromCenter, effects::StepEllipseFromCenter},  // 42
    {"Ellipse to center", 10, "clip", pNone, effects::InitEllipseToCenter, effects::StepEllipseToCenter},  // 43
    {"Ellipse(Random)", 10, "clip", pCentreRandom, effects::InitEllipseRandom, effects::StepEllipseRandom},  // 44
    {"Fan wipe", 10, "region", pNone, effects::InitFan, effects::StepFanClockwise},  // 45
    {"Fan wipe(Anticlockwise)", 10, "region", pNone, effects::InitFan, effects::StepFanAnticlockwise},  // 46
    {"Increase show", 1, "dither", pNone, effects::InitIncreaseShow, effects::StepIncreaseShow},  // 47
    {"Line down", 10, "fixed-pace", pNone, effects::InitLineDown, effects::StepLineDown},  // 48
    {"Line down rebound", 10, "fixed-pace", pNone, effects::InitLineDownRebound, effects::StepLineDownRebound},  // 49
    {"Line left", 10, "fixed-pace", pNone, effects::InitLineLeft, effects::StepLineLeft},  // 50
    {"Line left rebound", 10, "fixed-pace", pNone, effects::InitLineLeftRebound, effects::StepLineLeftRebound},  // 51
    {"Line right", 10, "fixed-pace", pNone, effects::InitLineRight, effects::StepLineRight},  // 52
    {"Line right rebound", 10, "fixed-pace", pNone, effects::InitLineRightRebound, effects::StepLineRightRebound},  // 53
    {"Line up", 10, "fixed-pace", pNone, effects::InitLineUp, effects::StepLineUp},  // 54
    {"Line up rebound", 10, "fixed-pace", pNone, effects::InitLineUpRebound, effects::StepLineUpRebound},  // 55
    {"Lines(Horizontal)", 10, "dither", pNone, effects::InitLinesHorizontal, effects::StepLinesHorizontal},  // 56
    {"Lines(Vertical)", 10, "dither", pNone, effects::InitLinesVertical, effects::StepLinesVertical},  // 57
    {"Mosaic", 10, "grid", pNone, effects::InitMosaic, effects::StepMosaic},  // 58
    {"Move down", 10, "slide", pNone, effects::InitMoveDown, effects::StepMoveDown},  // 59
    {"Move down 1", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveDown1},  // 60
    {"Move down 2", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveDown2},  // 61
    {"Move down 3", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveDown3},  // 62
    {"Move down 4", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveDown4},  // 63
    {"Move down 5", 10, "phased", pNone, effects::InitMoveDown5, effects::StepMoveDown5},  // 64
    {"Move from bottom left", 10, "slide", pNone, effects::InitMoveFromBottomLeft, effects::StepMoveFromBottomLeft},  // 65
    {"Move from bottom right", 10, "slide", pNone, effects::InitMoveFromBottomRight, effects::StepMoveFromBottomRight},  // 66
    {"Move from top left", 10, "slide", pNone, effects::InitMoveFromTopLeft, effects::StepMoveFromTopLeft},  // 67
    {"Move from top right", 10, "slide", pNone, effects::InitMoveFromTopRight, effects::StepMoveFromTopRight},  // 68
    {"Move left", 10, "slide", pNone, effects::InitMoveLeft, effects::StepMoveLeft},  // 69
    {"Move left 1", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveLeft1},  // 70
    {"Move left 2", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveLeft2},  // 71
    {"Move left 3", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveLeft3},  // 72
    {"Move left 4", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveLeft4},  // 73
    {"Move left 5", 30, "phased", pNone, effects::InitMoveLeft5, effects::StepMoveLeft5},  // 74
    {"Move left right", 10, "slide", pNone, effects::InitMoveLeftRight, effects::StepMoveLeftRight},  // 75
    {"Move right", 10, "slide", pNone, effects::InitMoveRight, effects::StepMoveRight},  // 76
    {"Move right 1", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveRight1},  // 77
    {"Move right 2", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveRight2},  // 78
    {"Move right 3", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveRight3},  // 79
    {"Move right 4", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveRight4},  // 80
    {"Move right 5", 30, "phased", pNone, effects::InitMoveRight5, effects::StepMoveRight5},  // 81
    {"Move up", 10, "slide", pNone, effects::InitMoveUp, effects::StepMoveUp},  // 82
    {"Move up 1", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveUp1},  // 83
    {"Move up 2", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveUp2},  // 84
    {"Move up 3", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveUp3},  // 85
    {"Move up 4", 10, "phased", pNone, effects::InitHalvesShared, effects::StepMoveUp4},  // 86
    {"Move up 5", 10, "phased", pNone, effects::InitMoveUp5, effects::StepMoveUp5},  // 87
    {"Move up down", 10, "slide", pNone, effects::InitMoveUpDown, effects::StepMoveUpDown},  // 88
    {"Multi-Box from center", 10, "grid", pNone, effects::InitMultiBoxFromCenter, effects::StepMultiBoxFromCenter},  // 89
    {"Multi-Box to center", 10, "grid", pNone, effects::InitMultiBoxToCenter, effects::StepMultiBoxToCenter},  // 90
    {"Multi-Wipe from bottom-left", 10, "clip", pNone, effects::InitMultiWipeBottomLeft, effects::StepMultiWipeBottomLeft},  // 91
    {"Multi-Wipe from bottom-right", 10, "clip", pNone, effects::InitMultiWipeBottomRight, effects::StepMultiWipeBottomRight},  // 92
    {"Multi-Wipe from left-top", 10, "clip", pNone, effects::InitMultiWipeLeftTop, effects::StepMultiWipeLeftTop},  // 93
    {"Multi-Wipe from right-top", 10, "clip", pNone, effects::InitMultiWipeRightTop, effects::StepMultiWipeRightTop},  // 94
    {"Rain down", 10, "scan", pNone, effects::InitRainDown, effects::StepRainDown},  // 95
    {"Rain left", 10, "scan", pNone, effects::InitRainLeft, effects::StepRainLeft},  // 96
    {"Rain right", 10, "scan", pNone, effects::InitRainRight, effects::StepRainRight},  // 97
    {"Rain up", 10, "scan", pNone, effects::InitRainUp, effects::StepRainUp},  // 98
    {"Random crossLines", 10, "dither", pNone, effects::InitRandomCrossLines, effects::StepRandomCrossLines},  // 99
    {"Roll down", 10, "composite", pNone, effects::InitRollDown, effects::StepRollDown},  // 100
    {"Roll left", 10, "composite", pNone, effects::InitRollLeft, effects::StepRollLeft},  // 101
    {"Roll right", 10, "composite", pNone, effects::InitRollRight, effects::StepRollRight},  // 102
    {"Roll up", 10, "composite", pNone, effects::InitRollUp, effects::StepRollUp},  // 103
    {"Scan down", 10, "scan", pNone, effects::InitScanDown, effects::StepScanDown},  // 104
    {"Scan left", 10, "scan", pNone, effects::InitScanLeft, effects::StepScanLeft},  // 105
    {"Scan right", 10, "scan", pNone, effects::InitScanRight, effects::StepScanRight},  // 106
    {"Scan to center(Horizontal)", 10, "scan", pNone, effects::InitScanToCenterH, effects::StepScanToCenterH},  // 107
    {"Scan to center(Vertical) ", 10, "scan", pNone, effects::InitScanToCenterV, effects::StepScanToCenterV},  // 108
    {"Scan to edge(Horizontal)", 10, "scan", pNone, effects::InitScanToEdgeH, effects::StepScanToEdgeH},  // 109
    {"Scan to edge(Vertical)", 10, "scan", pNone, effects::InitScanToEdgeV, effects::StepScanToEdgeV},  // 110
    {"Scan up", 10, "scan", pNone, effects::InitScanUp, effects::StepScanUp},  // 111
    {"Show from bottom-left", 10, "grow", pNone, effects::InitShowBottomLeft, effects::StepShowBottomLeft},  // 112
    {"Show from bottom-right", 10, "grow", pNone, effects::InitShowBottomRight, effects::StepShowBottomRight},  // 113
    {"Show from top-left", 10, "grow", pNone, effects::InitShowTopLeft, effects::StepShowTopLeft},  // 114
    {"Show from top-right", 10, "grow", pNone, effects::InitShowTopRight, effects::StepShowTopRight},  // 115
    {"Show left-right", 1, "composite", pNone, effects::InitShowLeftRight, effects::StepShowLeftRight},  // 116
    {"Show up-dwon", 1, "composite", pNone, effects::InitShowUpDown, effects::StepShowUpDown},  // 117
    {"Shutter(Horizontal)", 10, "scan", pSlatsH, effects::InitShutterH, effects::StepShutterH},  // 118
    {"Shutter(Vertical)", 10, "scan", pSlatsW, effects::InitShutterV, effects::StepShutterV},  // 119
    {"Stretch from bottom", 10, "grow", pNone, effects::InitStretchBottom, effects::StepStretchBottom},  // 120
    {"Stretch from bottom-left", 10, "grow", pNone, effects::InitStretchBottomLeft, effects::StepStretchBottomLeft},  // 121
    {"Stretch from bottom-right", 10, "grow", pNone, effects::InitStretchBottomRight, effects::StepStretchBottomRight},  // 122
    {"Stretch from center", 10, "grow", pNone, effects::InitStretchCenter, effects::StepStretchCenter},  // 123
    {"Stretch from left", 10, "grow", pNone, effects::InitStretchLeft, effects::StepStretchLeft},  // 124
    {"Stretch from right", 10, "grow", pNone, effects::InitStretchRight, effects::StepStretchRight},  // 125
    {"Stretch from top", 10, "grow", pNone, effects::InitStretchTop, effects::StepStretchTop},  // 126
    {"Stretch from top-left", 10, "grow", pNone, effects::InitStretchTopLeft, effects::StepStretchTopLeft},  // 127
    {"Stretch from top-right", 10, "grow", pNone, effects::InitStretchTopRight, effects::StepStretchTopRight},  // 128
    {"Sweep down", 50, "fixed-pace", pNone, effects::InitSweepDown, effects::StepSweepDown},  // 129
    {"Sweep left", 50, "fixed-pace", pNone, effects::InitSweepLeft, effects::StepSweepLeft},  // 130
    {"Sweep right", 50, "fixed-pace", pNone, effects::InitSweepRight, effects::StepSweepRight},  // 131
    {"Sweep up", 50, "fixed-pace", pNone, effects::InitSweepUp, effects::StepSweepUp},  // 132
    {"Tow bar move down", 10, "slide", pNone, effects::InitTowBarMoveDown, effects::StepTowBarMoveDown},  // 133
    {"Tow bar move up", 10, "slide", pNone, effects::InitTowBarMoveUp, effects::StepTowBarMoveUp},  // 134
    {"Tow bar wipe down", 10, "slide", pNone, effects::InitTowBarWipeDown, effects::StepTowBarWipeDown},  // 135
    {"Tow bar wipe up", 10, "slide", pNone, effects::InitTowBarWipeUp, effects::StepTowBarWipeUp},  // 136
    {"Two bar move left", 10, "slide", pNone, effects::InitTwoBarMoveLeft, effects::StepTwoBarMoveLeft},  // 137
    {"Two bar move right", 10, "slide", pNone, effects::InitTwoBarMoveRight, effects::StepTwoBarMoveRight},  // 138
    {"Two bar wipe left", 10, "slide", pNone, effects::InitTwoBarWipeLeft, effects::StepTwoBarWipeLeft},  // 139
    {"Two bar wipe right", 10, "slide", pNone, effects::InitTwoBarWipeRight, effects::StepTwoBarWipeRight},  // 140
    {"Wedge wipe down", 10, "region", pNone, effects::InitWedge, effects::StepWedgeDown},  // 141
    {"Wedge wipe left", 10, "region", pNone, effects::InitWedge, effects::StepWedgeLeft},  // 142
    {"Wedge wipe right", 10, "region", pNone, effects::InitWedge, effects::StepWedgeRight},  // 143
    {"Wedge wipe up", 10, "region", pNone, effects::InitWedge, effects::StepWedgeUp},  // 144
    {"Window blind down", 30, "fixed-pace", pNone, effects::InitBlindDown, effects::StepBlindDown},  // 145
    {"Window blind left", 30, "fixed-pace", pNone, effects::InitBlindLeft, effects::StepBlindLeft},  // 146
    {"Window blind right", 30, "fixed-pace", pNone, effects::InitBlindRight, effects::StepBlindRight},  // 147
    {"Window blind up", 30, "fixed-pace", pNone, effects::InitBlindUp, effects::StepBlindUp},  // 148
    {"Wipe from left-bottom", 10, "clip", pNone, effects::InitWipeFromLeftBottom, effects::StepWipeFromLeftBottom},  // 149
    {"Wipe from left-top", 10, "clip", pNone, effects::InitWipeFromLeftTop, effects::StepWipeFromLeftTop},  // 150
    {"Wipe from left-top/right-bottom", 10, "clip", pNone, effects::InitWipeFromLeftTopRightBottom, effects::StepWipeFromLeftTopRightBottom},  // 151
    {"Wipe from right-bottom", 10, "clip", pNone, effects::InitWipeFromRightBottom, effects::StepWipeFromRightBottom},  // 152
    {"Wipe from right-top", 10, "clip", pNone, effects::InitWipeFromRightTop, effects::StepWipeFromRightTop},  // 153
    {"Wipe from right-top/left-bottom", 10, "clip", pNone, effects::InitWipeFromRightTopLeftBottom, effects::StepWipeFromRightTopLeftBottom},  // 154
    {"Wipe to left-top/right-bottom", 10, "clip", pNone, effects::InitWipeToLeftTopRightBottom, effects::StepWipeToLeftTopRightBottom},  // 155
    {"Wipe to right-top/left-bottom", 10, "clip", pNone, effects::InitWipeToRightTopLeftBottom, effects::StepWipeToRightTopLeftBottom},  // 156
    {"Zig-zag down", 1, "fixed-pace", pNone, effects::InitZigZagDown, effects::StepZigZagDown},  // 157
    {"Zig-zag left", 1, "fixed-pace", pNone, effects::InitZigZagLeft, effects::StepZigZagLeft},  // 158
    {"Zig-zag right", 1, "fixed-pace", pNone, effects::InitZigZagRight, effects::StepZigZagRight},  // 159
    {"Zig-zag up", 1, "fixed-pace", pNone, effects::InitZigZagUp, effects::StepZigZagUp},  // 160
};

}  // namespace

std::span<const TEffectInfo> EffectTable() { return kTable; }

const TEffectInfo* EffectInfo(int32_t index) {
  return index >= 0 && index < kEffectCount ? &kTable[index] : nullptr;
}

std::span<const TEffectFamily> EffectFamilies() {
  static const TEffectFamily families[] = {
      {"scan", "Scan, shutter and rain wipes"},
      {"grow", "Growing rectangles and stretches"},
      {"clip", "Radial sweeps, ellipses, diamonds and diagonal wipes"},
      {"region", "Cross, wedge and fan wipes"},
      {"grid", "Blocks, checkerboards, multi-box and mosaic"},
      {"dither", "Random lines and pixel dither"},
      {"composite", "Envelop, interlaced slides and rolls"},
      {"fixed-pace", "Zig-zag, lines, window blinds and sweeps"},
      {"band", "Ragged band wipes"},
      {"slide", "Slide-ins and two bars"},
      {"phased", "Halves and strips moving in phases"},
  };
  return families;
}

int32_t EffectIndex(const char* name) {
  for (int32_t i = 0; i < kEffectCount; ++i)
    if (std::strcmp(kTable[i].name, name) == 0) return i;
  return kNoEffect;
}

}  // namespace sf
