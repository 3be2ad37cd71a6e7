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
    {hfMusicFiles, "MusicFiles", K::List, nullptr, nullptr, nullptr, &H::MusicFiles},
    B(hfRandomPosition, "RandomPosition", &H::RandomPosition),
    B(hfRandomOrder, "RandomOrder", &H::RandomOrder),
    I(hfDisplaySeconds, "DisplaySeconds", &H::DisplaySeconds),
    B(hfLoopMusic, "LoopMusic", &H::LoopMusic),
    I(hfMusicPauseTicks, "MusicPauseTicks", &H::MusicPauseTicks),
    B(hfRandomMusic, "RandomMusic", &H::RandomMusic),
    B(hfShowDialogPicture, "ShowDialogPicture", &H::ShowDialogPicture),
    B(hfShowAuthorInfo, "ShowAuthorInfo", &H::ShowAuthorInfo),
    S(hfAuthorName, "AuthorName", &H::AuthorName),
    B(hfShowWebSite, "ShowWebSite", &H::ShowWebSite),
    S(hfWebSite, "WebSite", &H::WebSite),
    B(hfShowEMail, "ShowEMail", &H::ShowEMail),
    S(hfEMail, "EMail", &H::EMail),
    B(hfShowHelpMenu, "ShowHelpMenu", &H::ShowHelpMenu),
    S(hfVersion, "Version", &H::Version),
    S(hfCopyright, "Copyright", &H::Copyright),
    B(hfShowDescription, "ShowDescription", &H::ShowDescription),
    S(hfDescription, "Description", &H::Description),
    S(hfProjectName, "ProjectName", &H::ProjectName),
    S(hfDialogPicture, "DialogPicture", &H::DialogPicture),
    I(hfMenuMode, "MenuMode", &H::MenuMode),
    B(hfMediaEmbedded, "MediaEmbedded", &H::MediaEmbedded),
    B(hfPlayerMediaEmbedded, "PlayerMediaEmbedded", &H::PlayerMediaEmbedded),
    I(hfScreenTransitionMode, "ScreenTransitionMode", &H::ScreenTransitionMode),
    I(hfFitMode, "FitMode", &H::FitMode),
    {hfTexts, "Texts", K::SettingText},
    B(hfMediaBesideProgram, "MediaBesideProgram", &H::MediaBesideProgram),
};

constexpr TSlideField SB(uint8_t t, const char* n, bool P::*m) { return {t, n, K::Bool, 0, m}; }
constexpr TSlideField SI(uint8_t t, const char* n, int32_t P::*m) { return {t, n, K::Int, 0, nullptr, m}; }
constexpr TSlideField SS(uint8_t t, const char* n, int cap, QString P::*m) {
  return {t, n, K::Text, cap, nullptr, nullptr, m};
}
constexpr TSlideField SF(int t, const char* n, K kind, TFontSpec P::*f) {
  return {uint8_t(t), n, kind, 0, nullptr, nullptr, nullptr, f};
}

const TSlideField kSlide[] = {
    SI(pfResourceIndex, "ResourceIndex", &P::ResourceIndex),
    SS(pfFileName, "FileName", 255, &P::FileName),
    SI(pfDataSize, "DataSize", &P::DataSize),
    SB(pfTransparent, "Transparent", &P::Transparent),
    SB(pfMusicDuringSlide, "MusicDuringSlide", &P::MusicDuringSlide),
    SB(pfShowCaption, "ShowCaption", &P::ShowCaption),
    SS(pfCaption, "Caption", 100, &P::Caption),
    SF(pfCaptionFont, "CaptionFont", K::FontCharset, &P::CaptionFont),
    SF(pfCaptionFont + 1, "CaptionFont", K::FontColor, &P::CaptionFont),
    SF(pfCaptionFont + 2, "CaptionFont", K::FontHeight, &P::CaptionFont),
    SF(pfCaptionFont + 3, "CaptionFont", K::FontName, &P::CaptionFont),
    SF(pfCaptionFont + 4, "CaptionFont", K::FontStyle, &P::CaptionFont),
    SI(pfCaptionPosition, "CaptionPosition", &P::CaptionPosition),
    SI(pfCaptionX, "CaptionX", &P::CaptionX),
    SI(pfCaptionY, "CaptionY", &P::CaptionY),
    SB(pfShowText, "ShowText", &P::ShowText),
    SF(pfTextFont, "TextFont", K::FontCharset, &P::TextFont),
    SF(pfTextFont + 1, "TextFont", K::FontColor, &P::TextFont),
    SF(pfTextFont + 2, "TextFont", K::FontHeight, &P::TextFont),
    SF(pfTextFont + 3, "TextFont", K::FontName, &P::TextFont),
    SF(pfTextFont + 4, "TextFont", K::FontStyle, &P::TextFont),
    SS(pfText, "Text", 4097, &P::Text),
    SI(pfTextPosition, "TextPosition", &P::TextPosition),
    SI(pfTextX, "TextX", &P::TextX),
    SI(pfTextY, "TextY", &P::TextY),
    SB(pfRandomEffect, "RandomEffect", &P::RandomEffect),
    SI(pfEffectSpeed, "EffectSpeed", &P::EffectSpeed),
    SS(pfEffectList, "EffectList", 1024, &P::EffectList),
    SI(pfFormatCode, "FormatCode", &P::FormatCode),
    SS(pfBackgroundKinds, "BackgroundKinds", 10, &P::BackgroundKinds),
    SI(pfSolidColor, "SolidColor", &P::SolidColor),
    SI(pfGradientColor1, "GradientColor1", &P::GradientColor1),
    SI(pfGradientColor2, "GradientColor2", &P::GradientColor2),
    SS(pfGradientStyles, "GradientStyles", 50, &P::GradientStyles),
    SI(pfSlideKind, "SlideKind", &P::SlideKind),
    SI(pfVideoSizeMode, "VideoSizeMode", &P::VideoSizeMode),
    SI(pfFlashAlignMode, "FlashAlignMode", &P::FlashAlignMode),
    SI(pfFlashScaleMode, "FlashScaleMode", &P::FlashScaleMode),
    SI(pfFlashBackgroundColor, "FlashBackgroundColor", &P::FlashBackgroundColor),
    SS(pfBackgroundPictureSources, "BackgroundPictureSources", 10, &P::BackgroundPictureSources),
    SS(pfBackgroundPictureList, "BackgroundPictureList", 300, &P::BackgroundPictureList),
    SB(pfRandomGradientColors, "RandomGradientColors", &P::RandomGradientColors),
    SB(pfRandomBackgroundColor, "RandomBackgroundColor", &P::RandomBackgroundColor),
    SI(pfBackgroundPictureLayout, "BackgroundPictureLayout", &P::BackgroundPictureLayout),
    SI(pfTileCount, "TileCount", &P::TileCount),
    SB(pfIsBackgroundPicture, "IsBackgroundPicture", &P::IsBackgroundPicture),
    SB(pfRandomTileCount, "RandomTileCount", &P::RandomTileCount),
    SI(pfFlashEndMode, "FlashEndMode", &P::FlashEndMode),
    SI(pfFlashEndFrame, "FlashEndFrame", &P::FlashEndFrame),
    SI(pfFlashEndSeconds, "FlashEndSeconds", &P::FlashEndSeconds),
    SB(pfFlashMouseMove, "FlashMouseMove", &P::FlashMouseMove),
    SB(pfFlashMouseClick, "FlashMouseClick", &P::FlashMouseClick),
};

template <typename Field, size_t N>
std::array<const Field*, 256> IndexByTag(const Field (&fields)[N]) {
  std::array<const Field*, 256> index{};
  for (const Field& f : fields) index[f.tag] = &f;
  return index;
}

// An integer field whose value does not convert keeps the value it had.
void SetInt(int32_t& field, std::string_view v) { TryStrToInt(v, field); }

}  // namespace

QString StoredText(std::string_view v, int capacity) {
  if (capacity > 0 && v.size() > size_t(capacity)) v = v.substr(0, size_t(capacity));
  return AnsiToUnicode(v);
}

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

const THeaderField* FindHeaderField(std::string_view name) {
  for (const THeaderField& f : kHeader)
    if (name == f.name) return &f;
  return nullptr;
}

const TSlideField* FindSlideField(std::string_view name) {
  for (const TSlideField& f : kSlide)
    if (f.kind < K::FontCharset && name == f.name) return &f;
  return nullptr;
}

std::span<const TFontStyleFlag> FontStyleFlags() {
  static const TFontStyleFlag flags[] = {
      {"Bold", '1', &TFontSpec::Bold},
      {"Italic", '2', &TFontSpec::Italic},
      {"Underline", '3', &TFontSpec::Underline},
      {"StrikeOut", '4', &TFontSpec::StrikeOut},
  };
  return flags;
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
    case K::Text: p.*f->s = StoredText(v, f->capacity); break;
    case K::FontCharset: SetInt((p.*f->font).Charset, v); break;
    case K::FontColor: SetInt((p.*f->font).Color, v); break;
    case K::FontHeight: SetInt((p.*f->font).Height, v); break;
    case K::FontName: (p.*f->font).Name = AnsiToUnicode(v); break;
    case K::FontStyle: {
      // The style digits add to the font's current style, in any order.
      TFontSpec& font = p.*f->font;
      for (const TFontStyleFlag& flag : FontStyleFlags())
        if (HasStyleDigit(v, flag)) font.*flag.flag = true;
      break;
    }
    default: break;
  }
}

}  // namespace sf
