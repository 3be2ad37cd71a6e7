// The message a picture decoder refuses its input with.
#pragma once

#include <string>

#include "imaging/graphic.h"

namespace sftest {

// What decode() raises as EInvalidGraphic; empty when it decodes.
template <typename Decode>
std::string RejectionOf(Decode&& decode) {
  try {
    decode();
  } catch (const sf::EInvalidGraphic& e) {
    return e.what();
  }
  return {};
}

}  // namespace sftest
