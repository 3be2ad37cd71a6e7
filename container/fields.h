// The one table of the tagged fields of the project header and of the slide record: tag,
// field name, kind and capacity. Parsing, the tool's listings and the writers all read it; code
// that means one field names its tag below rather than writing the number.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>

#include "container/pictureinfo.h"

namespace sf {

struct TProjectHeader;

// The header's tags. Tags 42 to 92 are the interface texts, entry tag - 42.
enum THeaderTag : uint8_t {
  hfMusicFiles = 1,
  hfRandomPosition = 3,
  hfRandomOrder = 4,
  hfDisplaySeconds = 5,
  hfLoopMusic = 6,
  hfMusicPauseTicks = 7,
  hfRandomMusic = 8,
  hfShowDialogPicture = 9,
  hfShowAuthorInfo = 15,
  hfAuthorName = 16,
  hfShowWebSite = 17,
  hfWebSite = 18,
  hfShowEMail = 19,
  hfEMail = 20,
  hfShowHelpMenu = 24,
  hfVersion = 26,
  hfCopyright = 27,
  hfShowDescription = 28,
  hfDescription = 29,
  hfProjectName = 30,
  hfDialogPicture = 31,
  hfMenuMode = 34,
  hfMediaEmbedded = 38,
  hfPlayerMediaEmbedded = 39,
  hfScreenTransitionMode = 40,
  hfFitMode = 41,
  hfTexts = 42,
  hfMediaBesideProgram = 93,
};

// The slide record's tags. A font's five parts have consecutive tags from its charset's.
enum TSlideTag : uint8_t {
  pfResourceIndex = 1,
  pfFileName = 2,
  pfDataSize = 3,
  pfTransparent = 5,
  pfMusicDuringSlide = 6,
  pfShowCaption = 7,
  pfCaption = 8,
  pfCaptionFont = 9,  // charset, colour, height, name, style: 9 to 13
  pfCaptionPosition = 14,
  pfCaptionX = 15,
  pfCaptionY = 16,
  pfShowText = 17,
  pfTextFont = 19,  // 19 to 23
  pfText = 24,
  pfTextPosition = 25,
  pfTextX = 26,
  pfTextY = 27,
  pfRandomEffect = 34,
  pfEffectSpeed = 35,
  pfEffectList = 36,
  pfFormatCode = 45,
  pfBackgroundKinds = 46,
  pfSolidColor = 47,
  pfGradientColor1 = 48,
  pfGradientColor2 = 49,
  pfGradientStyles = 50,
  pfSlideKind = 52,
  pfVideoSizeMode = 53,
  pfFlashAlignMode = 54,
  pfFlashScaleMode = 55,
  pfFlashBackgroundColor = 56,
  pfBackgroundPictureSources = 57,
  pfBackgroundPictureList = 58,
  pfRandomGradientColors = 59,
  pfRandomBackgroundColor = 60,
  pfBackgroundPictureLayout = 61,
  pfTileCount = 62,
  pfIsBackgroundPicture = 63,
  pfRandomTileCount = 64,
  pfFlashEndMode = 65,
  pfFlashEndFrame = 66,
  pfFlashEndSeconds = 69,
  pfFlashMouseMove = 70,
  pfFlashMouseClick = 71,
};

// The font kinds come last: kind >= FontCharset tells a font's part.
enum class TFieldKind {
  Bool,
  Int,
  Text,
  List,         // a text field of which every occurrence appends
  SettingText,  // one entry of the interface texts
  FontCharset,
  FontColor,
  FontHeight,
  FontName,
  FontStyle,
};

struct THeaderField {
  uint8_t tag;
  const char* name;
  TFieldKind kind;
  bool TProjectHeader::*b = nullptr;
  int32_t TProjectHeader::*i = nullptr;
  QString TProjectHeader::*s = nullptr;
  QStringList TProjectHeader::*l = nullptr;
};

struct TSlideField {
  uint8_t tag;
  const char* name;  // for font fields the font's own name (CaptionFont, TextFont)
  TFieldKind kind;
  int capacity = 0;  // characters kept of a text; 0 for no limit
  bool TPictureInfo::*b = nullptr;
  int32_t TPictureInfo::*i = nullptr;
  QString TPictureInfo::*s = nullptr;
  TFontSpec TPictureInfo::*font = nullptr;
};

// Tags 42 to 92 are the interface texts, entry tag - 42.
constexpr uint8_t kFirstSettingTextTag = hfTexts;
constexpr int kSettingTextCount = 51;

std::span<const THeaderField> HeaderFields();  // in tag order, one entry for tags 42 to 92
std::span<const TSlideField> SlideFields();    // in tag order
const THeaderField* FindHeaderField(uint8_t tag);
const TSlideField* FindSlideField(uint8_t tag);
// By name: a header field ("Texts" for the interface texts), or a slide field that is not a
// font's part (the fonts are found by their tags); null when there is none.
const THeaderField* FindHeaderField(std::string_view name);
const TSlideField* FindSlideField(std::string_view name);

// Booleans are true exactly for the value "1"; written as "1" and "0".
inline bool FieldBool(std::string_view v) { return v == "1"; }
inline std::string_view FieldBoolText(bool b) { return b ? "1" : "0"; }

// The style digits of a font's style field and the flag each stands for, in digit order.
struct TFontStyleFlag {
  const char* name;  // "Bold", "Italic", "Underline", "StrikeOut"
  char digit;        // '1' to '4'
  bool TFontSpec::*flag;
};
std::span<const TFontStyleFlag> FontStyleFlags();
// Whether a stored style value holds a flag's digit (the digits may come in any order, among
// other characters).
inline bool HasStyleDigit(std::string_view style, const TFontStyleFlag& f) { return style.find(f.digit) != style.npos; }

void ApplyHeaderField(TProjectHeader& header, uint8_t tag, std::string_view value);
void ApplySlideField(TPictureInfo& slide, uint8_t tag, std::string_view value);

// The sub-field name of a font tag: "Charset", "Color", "Height", "Name" or "Style".
const char* FontPartName(TFieldKind kind);
// The tag of a font's part, from the font's first tag (pfCaptionFont, pfTextFont).
inline uint8_t FontPartTag(uint8_t fontTag, TFieldKind part) {
  return uint8_t(fontTag + (int(part) - int(TFieldKind::FontCharset)));
}

// A stored text as the player reads it: Windows-1252, cut to the capacity (0: no limit).
QString StoredText(std::string_view value, int capacity = 0);

}  // namespace sf
