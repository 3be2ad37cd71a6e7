// One slide record: a picture, flash movie, video clip or background picture.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

#include "platform/color.h"
#include "platform/random.h"

namespace sf {

struct TFontSpec {
  int32_t Charset = 1;  // DEFAULT_CHARSET
  TColor Color = 0;
  int32_t Height = 0;  // the platform's sense: negative is the character height in pixels
  QString Name = "MS Sans Serif";
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

// Font heights of the two default sizes at 96 pixels per inch.
constexpr int32_t kCaptionFontHeight = -24;  // 18 points
constexpr int32_t kTextFontHeight = -16;     // 12 points

// The text block of a record that sets none.
extern const char kDefaultSlideText[];

class TPictureInfo {
 public:
  // Every default, the random ones drawn now from `random`: the caption colour, the text colour,
  // the gradient pair and the tile count, in that order.
  explicit TPictureInfo(TRandom& random);
  // The fixed defaults only: the four random ones stay black, black to black and 20 tiles.
  TPictureInfo();

  // Applies each field of one record's text in order; a field whose tag is not known is
  // passed over, an integer field whose value does not convert keeps its value.
  void Parse(std::string_view record);

  int32_t ResourceIndex = 0;
  QString FileName;
  int32_t DataSize = 0;
  bool Transparent = false;
  bool MusicDuringSlide = true;
  bool ShowCaption = true;
  QString Caption;
  TFontSpec CaptionFont;
  int32_t CaptionPosition = 0;
  int32_t CaptionX = 0;
  int32_t CaptionY = 0;
  bool ShowText = true;
  TFontSpec TextFont;
  QString Text;
  int32_t TextPosition = 3;
  int32_t TextX = 0;
  int32_t TextY = 0;
  bool RandomEffect = true;
  int32_t EffectSpeed = 25;
  QString EffectList;
  int32_t FormatCode = 2;
  QString BackgroundKinds = "0;";
  TColor SolidColor = 0;
  TColor GradientColor1 = 0;
  TColor GradientColor2 = 0;
  QString GradientStyles = " 0; 1; 2; 3; 4; 5; 6; 7; 8; 9; 10; 11;";
  int32_t SlideKind = 0;
  int32_t VideoSizeMode = 0;
  int32_t FlashAlignMode = 0;
  int32_t FlashScaleMode = 0;
  TColor FlashBackgroundColor = 0;
  QString BackgroundPictureSources = "1;";
  QString BackgroundPictureList;
  bool RandomGradientColors = true;
  bool RandomBackgroundColor = true;
  int32_t BackgroundPictureLayout = 2;
  int32_t TileCount = 20;
  bool IsBackgroundPicture = false;
  bool RandomTileCount = true;
  int32_t FlashEndMode = 3;
  int32_t FlashEndFrame = 0;
  int32_t FlashEndSeconds = 0;
  bool FlashMouseMove = false;
  bool FlashMouseClick = false;
};

// "0;1;...;160;": every effect index in ascending order.
QString AllEffectsList();

}  // namespace sf
