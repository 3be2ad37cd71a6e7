// What every picture decoder shares: the error a rejected picture raises.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace sf {

// No decoder makes a bitmap of more pixels than this (a 16384 x 16384 picture): a damaged header
// must not make the program claim gigabytes.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;

// A picture that a decoder cannot read; what() is the message the user sees.
class EInvalidGraphic : public std::runtime_error {
 public:
  explicit EInvalidGraphic(const QString& message) : std::runtime_error(message.toStdString()) {}
};

}  // namespace sf
