#include "container/pictureinfo.h"

#include "container/colortables.h"
#include "container/fields.h"
#include "container/tagged.h"

namespace sf {

const char kDefaultSlideText[] = "www.showforge.example";

QString AllEffectsList() {
  static const QString list = [] {
    QString s;
    for (int i = 0; i <= 160; ++i) s += QString::number(i) + ';';
    return s;
  }();
  return list;
}

TPictureInfo::TPictureInfo() : Text(kDefaultSlideText), EffectList(AllEffectsList()) {
  CaptionFont.Height = kCaptionFontHeight;
  TextFont.Height = kTextFontHeight;
}

TPictureInfo::TPictureInfo(TRandom& random) : TPictureInfo() {
  CaptionFont.Color = kSolidColors[size_t(random.Random(int32_t(kSolidColors.size())))];
  TextFont.Color = kSolidColors[size_t(random.Random(int32_t(kSolidColors.size())))];
  const auto& pair = kGradientPairs[size_t(random.Random(8))];
  GradientColor1 = pair[0];
  GradientColor2 = pair[1];
  TileCount = 20 + random.Random(20);
}

void TPictureInfo::Parse(std::string_view record) {
  ForEachField(record, [&](uint8_t tag, std::string_view value) { ApplySlideField(*this, tag, value); });
}

}  // namespace sf
