// The show's colour tables: 13 solid colours and 13 gradient colour pairs (0x00BBGGRR).
// The slide records draw their random defaults from them when they are created, and the run
// window draws random backgrounds from them.
#pragma once

#include <array>

#include "platform/color.h"

namespace sf {

extern const std::array<TColor, 13> kSolidColors;
extern const std::array<std::array<TColor, 2>, 13> kGradientPairs;

}  // namespace sf
