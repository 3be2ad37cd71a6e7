// The effect table: the one place that knows the 161 effects' numbers, names, tick intervals,
// families and parameters. The settings dialog, the tool and the engine all read it.
#pragma once

#include <cstdint>
#include <span>

#include "transitions/state.h"

namespace sf {

constexpr int32_t kEffectCount = 161;
constexpr int32_t kNoEffect = -1;

// What the engine passes an init routine (and, for band sizes, every step).
enum TEffectParam : uint8_t {
  pNone,
  pBand15,             // band size 15, the "large" member
  pBand5,              // band size 5, the "small" member
  pSlatsH,             // slat count H div 10
  pSlatsW,             // slat count W div 10
  pCentreLeftBottom,   // (0, H)
  pCentreLeftTop,      // (0, 0)
  pCentreRightBottom,  // (W, H)
  pCentreRightTop,     // (W, 0)
  pCentreMiddle,       // (W div 2, H div 2)
  pCentreRandom,       // (Random(W), Random(H)), Random(H) drawn first
};

struct TEffectInfo {
  const char* name;     // exactly as the settings dialog lists it
  int32_t interval;     // the tick in milliseconds
  const char* family;   // the family the effect belongs to: scan, grow, clip, grid, dither,
                        // composite, region, fixed-pace, band, slide or phased
  TEffectParam param;
  TEffectInit init;
  TEffectStep step;

  bool Built() const { return init != nullptr; }
};

// Index 0 to 160, in the alphabetical order of the names.
std::span<const TEffectInfo> EffectTable();
// The entry of an index, or null outside 0 to 160.
const TEffectInfo* EffectInfo(int32_t index);
// The index of a name (exact), or -1.
int32_t EffectIndex(const char* name);

// The families as an author reads them, in the order galleries and choosers show them.
struct TEffectFamily {
  const char* family;  // as TEffectInfo::family names it
  const char* title;
};
std::span<const TEffectFamily> EffectFamilies();

}  // namespace sf
