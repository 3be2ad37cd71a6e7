// The one table of the tagged fields of the project header and of the slide record: tag,
// field name, kind and capacity. Parsing, the tool's listings and the writer all read it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>

#include "container/pictureinfo.h"

namespace sf {

struct TProjectHeader;

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
constexpr uint8_t kFirstSettingTextTag = 42;
constexpr int kSettingTextCount = 51;

std::span<const THeaderField> HeaderFields();  // in tag order, one entry for tags 42 to 92
std::span<const TSlideField> SlideFields();    // in tag order
const THeaderField* FindHeaderField(uint8_t tag);
const TSlideField* FindSlideField(uint8_t tag);

// Booleans are true exactly for the value "1".
inline bool FieldBool(std::string_view v) { return v == "1"; }

void ApplyHeaderField(TProjectHeader& header, uint8_t tag, std::string_view value);
void ApplySlideField(TPictureInfo& slide, uint8_t tag, std::string_view value);

// The sub-field name of a font tag: "Charset", "Color", "Height", "Name" or "Style".
const char* FontPartName(TFieldKind kind);

}  // namespace sf
