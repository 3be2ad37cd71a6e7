#include "container/fields.h"

#include <array>

#include "container/projectinfo.h"
#include "platform/ansi.h"
#include "platform/convert.h"

namespace sf {
namespace {

using H = TProjectHeader;
using P = TPictureInfo;
using K = TFieldKind;

constexpr THeaderField B(uint8_t t, const char* n, bool H::*m) { return {t, n, K::Bool, m}; }
constexpr THeaderField I(uint8_t t, const char* n, int32_t H::*m) { return {t, n, K::Int, nullptr, m}; }
constexpr THeaderField S(uint8_t t, const char* n, QString H::*m) {
  return {t, n, K::Text, nullptr, nullptr, m};
}

const THeaderField kHeader[] = {
    {1, "MusicFiles", K::List, nullptr, nullptr, nullptr, &H::MusicFiles},
    B(3, "RandomPosition", &H::RandomPosition),
    B(4, "RandomOrder", &H::RandomOrder),
    I(5, "DisplaySeconds", &H::DisplaySeconds),
    B(6, "LoopMusic", &H::LoopMusic),
    I(7, "MusicPauseTicks", &H::MusicPauseTicks),
    B(8, "RandomMusic", &H::RandomMusic),
    B(9, "ShowDialogPicture", &H::ShowDialogPicture),
    B(15, "ShowAuthorInfo", &H::ShowAuthorInfo),
    S(16, "AuthorName", &H::AuthorName),
    B(17, "ShowWebSite", &H::ShowWebSite),
    S(18, "WebSite", &H::WebSite),
    B(19, "ShowEMail", &H::ShowEMail),
    S(20, "EMail", &H::EMail),
    B(24, "ShowHelpMenu", &H::ShowHelpMenu),
    S(26, "Version", &H::Version),
    S(27, "Copyright", &H::Copyright),
    B(28, "ShowDescription", &H::ShowDescription),
    S(29, "Description", &H::Description),
    S(30, "ProjectName", &H::ProjectName),
    S(31, "DialogPicture", &H::DialogPicture),
    I(34, "MenuMode", &H::MenuMode),
    B(38, "MediaEmbedded", &H::MediaEmbedded),
    B(39, "PlayerMediaEmbedded", &H::PlayerMediaEmbedded),
    I(40, "ScreenTransitionMode", &H::ScreenTransitionMode),
    I(41, "FitMode", &H::FitMode),
    {kFirstSettingTextTag, "Texts", K::SettingText},
    B(93, "MediaBesideProgram", &H::MediaBesideProgram),
};

constexpr TSlideField SB(uint8_t t, const char* n, bool P::*m) { return {t, n, K::Bool, 0, m}; }
constexpr TSlideField SI(uint8_t t, const char* n, int32_t P::*m) { return {t, n, K::Int, 0, nullptr, m}; }
constexpr TSlideField SS(uint8_t t, const char* n, int cap, QString P::*m) {
  return {t, n, K::Text, cap, nullptr, nullptr, m};
}
constexpr TSlideField SF(uint8_t t, const char* n, K kind, TFontSpec P::*f) {
  return {t, n, kind, 0, nullptr, nullptr, nullptr, f};
}

const TSlideField kSlide[] = {
    SI(1, "ResourceIndex", &P::ResourceIndex),
    SS(2, "FileName", 255, &P::FileName),
    SI(3, "DataSize", &P::DataSize),
    SB(5, "Transparent", &P::Transparent),
    SB(6, "MusicDuringSlide", &P::MusicDuringSlide),
    SB(7, "ShowCaption", &P::ShowCaption),
    SS(8, "Caption", 100, &P::Caption),
    SF(9, "CaptionFont", K::FontCharset, &P::CaptionFont),
    SF(10, "CaptionFont", K::FontColor, &P::CaptionFont),
    SF(11, "CaptionFont", K::FontHeight, &P::CaptionFont),
    SF(12, "CaptionFont", K::FontName, &P::CaptionFont),
    SF(13, "CaptionFont", K::FontStyle, &P::CaptionFont),
    SI(14, "CaptionPosition", &P::CaptionPosition),
    SI(15, "CaptionX", &P::CaptionX),
    SI(16, "CaptionY", &P::CaptionY),
    SB(17, "ShowText", &P::ShowText),
    SF(19, "TextFont", K::FontCharset, &P::TextFont),
    SF(20, "TextFont", K::FontColor, &P::TextFont),
    SF(21, "TextFont", K::FontHeight, &P::TextFont),
    SF(22, "TextFont", K::FontName, &P::TextFont),
    SF(23, "TextFont", K::FontStyle, &P::TextFont),
    SS(24, "Text", 4097, &P::Text),
    SI(25, "TextPosition", &P::TextPosition),
    SI(26, "TextX", &P::TextX),
    SI(27, "TextY", &P::TextY),
    SB(34, "RandomEffect", &P::RandomEffect),
    SI(35, "EffectSpeed", &P::EffectSpeed),
    SS(36, "EffectList", 1024, &P::EffectList),
    SI(45, "FormatCode", &P::FormatCode),
    SS(46, "BackgroundKinds", 10, &P::BackgroundKinds),
    SI(47, "SolidColor", &P::SolidColor),
    SI(48, "GradientColor1", &P::GradientColor1),
    SI(49, "GradientColor2", &P::GradientColor2),
    SS(50, "GradientStyles", 50, &P::GradientStyles),
    SI(52, "SlideKind", &P::SlideKind),
    SI(53, "VideoSizeMode", &P::VideoSizeMode),
    SI(54, "FlashAlignMode", &P::FlashAlignMode),
    SI(55, "FlashScaleMode", &P::FlashScaleMode),
    SI(56, "FlashBackgroundColor", &P::FlashBackgroundColor),
    SS(57, "BackgroundPictureSources", 10, &P::BackgroundPictureSources),
    SS(58, "BackgroundPictureList", 300, &P::BackgroundPictureList),
    SB(59, "RandomGradientColors", &P::RandomGradientColors),
    SB(60, "RandomBackgroundColor", &P::RandomBackgroundColor),
    SI(61, "BackgroundPictureLayout", &P::BackgroundPictureLayout),
    SI(62, "TileCount", &P::TileCount),
    SB(63, "IsBackgroundPicture", &P::IsBackgroundPicture),
    SB(64, "RandomTileCount", &P::RandomTileCount),
    SI(65, "FlashEndMode", &P::FlashEndMode),
    SI(66, "FlashEndFrame", &P::FlashEndFrame),
    SI(69, "FlashEndSeconds", &P::FlashEndSeconds),
    SB(70, "FlashMouseMove", &P::FlashMouseMove),
    SB(71, "FlashMouseClick", &P::FlashMouseClick),
};

template <typename Field, size_t N>
std::array<const Field*, 256> IndexByTag(const Field (&fields)[N]) {
  std::array<const Field*, 256> index{};
  for (const Field& f : fields) index[f.tag] = &f;
  return index;
}

QString Cut(std::string_view v, int capacity) {
  if (capacity > 0 && v.size() > size_t(capacity)) v = v.substr(0, size_t(capacity));
  return AnsiToUnicode(v);
}

// An integer field whose value does not convert keeps the value it had.
void SetInt(int32_t& field, std::string_view v) { TryStrToInt(v, field); }

}  // namespace

std::span<const THeaderField> HeaderFields() { return kHeader; }
std::span<const TSlideField> SlideFields() { return kSlide; }

const THeaderField* FindHeaderField(uint8_t tag) {
  static const auto index = IndexByTag(kHeader);
  if (tag >= kFirstSettingTextTag && tag < kFirstSettingTextTag + kSettingTextCount)
    return index[kFirstSettingTextTag];
  return index[tag];
}

const TSlideField* FindSlideField(uint8_t tag) {
  static const auto index = IndexByTag(kSlide);
  return index[tag];
}

const char* FontPartName(TFieldKind kind) {
  switch (kind) {
    case K::FontCharset: return "Charset";
    case K::FontColor: return "Color";
    case K::FontHeight: return "Height";
    case K::FontName: return "Name";
    case K::FontStyle: return "Style";
    default: return "";
  }
}

void ApplyHeaderField(TProjectHeader& h, uint8_t tag, std::string_view v) {
  const THeaderField* f = FindHeaderField(tag);
  if (!f) return;
  switch (f->kind) {
    case K::Bool: h.*f->b = FieldBool(v); break;
    case K::Int: SetInt(h.*f->i, v); break;
    case K::Text: h.*f->s = AnsiToUnicode(v); break;
    case K::List: (h.*f->l).append(AnsiToUnicode(v)); break;
    case K::SettingText: h.Texts[size_t(tag - kFirstSettingTextTag)] = AnsiToUnicode(v); break;
    default: break;
  }
}

void ApplySlideField(TPictureInfo& p, uint8_t tag, std::string_view v) {
  const TSlideField* f = FindSlideField(tag);
  if (!f) return;
  switch (f->kind) {
    case K::Bool: p.*f->b = FieldBool(v); break;
    case K::Int: SetInt(p.*f->i, v); break;
    case K::Text: p.*f->s = Cut(v, f->capacity); break;
    case K::FontCharset: SetInt((p.*f->font).Charset, v); break;
    case K::FontColor: SetInt((p.*f->font).Color, v); break;
    case K::FontHeight: SetInt((p.*f->font).Height, v); break;
    case K::FontName: (p.*f->font).Name = AnsiToUnicode(v); break;
    case K::FontStyle: {
      // The style digits add to the font's current style, in any order.
      TFontSpec& font = p.*f->font;
      if (v.find('1') != v.npos) font.Bold = true;
      if (v.find('2') != v.npos) font.Italic = true;
      if (v.find('3') != v.npos) font.Underline = true;
      if (v.find('4') != v.npos) font.StrikeOut = true;
      break;
    }
    default: break;
  }
}

}  // namespace sf
