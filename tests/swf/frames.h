// What the flash drawing tests share: a movie read from the writer's bytes, its first frame drawn
// on a background, and pixels compared.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <memory>
#include <string>

#include "swf/player.h"
#include "tests/swf/swfwriter.h"

namespace sftest {

inline std::shared_ptr<const sf::swf::TSwfMovie> Load(const std::string& bytes) {
  return sf::swf::TSwfMovie::Load(QByteArray::fromStdString(bytes));
}

// Frame 1 of a movie of w x h pixels whose tags are `tags`, on a background (white).
inline QImage Draw(int w, int h, const std::string& tags, uint32_t background = 0xFFFFFF) {
  return sf::swf::RenderFrame(Load(Movie(w, h, 12, 1, Background(background) + tags + ShowFrame())), 0);
}

// A pixel as 0xRRGGBB.
inline uint32_t At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

inline int Channel(uint32_t rgb, int shift) { return int(rgb >> shift) & 0xFF; }

// Whether each channel of `got` is within `tolerance` of `want`'s.
inline ::testing::AssertionResult Near(uint32_t got, uint32_t want, int tolerance) {
  for (int shift : {16, 8, 0})
    if (std::abs(Channel(got, shift) - Channel(want, shift)) > tolerance)
      return ::testing::AssertionFailure() << std::hex << got << " is not within " << std::dec << tolerance << " of "
                                           << std::hex << want;
  return ::testing::AssertionSuccess();
}

}  // namespace sftest
