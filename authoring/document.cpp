#include "authoring/document.h"

#include "container/projectinfo.h"
#include "container/tagged.h"
#include "platform/ansi.h"
#include "platform/convert.h"

namespace sf {

const TFieldValue* TFieldSet::Find(uint8_t tag) const {
  auto it = values_.find(tag);
  return it == values_.end() ? nullptr : &it->second;
}

bool TFieldSet::Bool(uint8_t tag, bool fallback) const {
  const TFieldValue* v = Find(tag);
  return v && std::holds_alternative<bool>(*v) ? std::get<bool>(*v) : fallback;
}

int32_t TFieldSet::Int(uint8_t tag, int32_t fallback) const {
  const TFieldValue* v = Find(tag);
  return v && std::holds_alternative<int32_t>(*v) ? std::get<int32_t>(*v) : fallback;
}

QString TFieldSet::Text(uint8_t tag, const QString& fallback) const {
  const TFieldValue* v = Find(tag);
  return v && std::holds_alternative<QString>(*v) ? std::get<QString>(*v) : fallback;
}

bool TShowDocument::MediaEmbedded() const { return header.Bool(hfMediaEmbedded, TProjectHeader().MediaEmbedded); }

bool TShowDocument::PlayerMediaEmbedded() const {
  return header.Bool(hfPlayerMediaEmbedded, TProjectHeader().PlayerMediaEmbedded);
}

QString HeaderFieldPath(uint8_t tag) {
  const THeaderField* f = FindHeaderField(tag);
  if (!f) return QString("header.%1").arg(tag);
  if (f->kind == TFieldKind::SettingText) return QString("header.Texts.%1").arg(tag - kFirstSettingTextTag);
  return QString("header.") + f->name;
}

QString SlideFieldPath(size_t slide, uint8_t tag) {
  const QString record = QString("slides[%1]").arg(slide);
  const TSlideField* f = FindSlideField(tag);
  if (!f) return record + QString(".%1").arg(tag);
  if (f->kind >= TFieldKind::FontCharset) return record + "." + f->name + "." + FontPartName(f->kind);
  return record + "." + f->name;
}

QString CheckStorableText(const QString& text, int capacity, bool inRecord) {
  bool exact = false;
  const std::string bytes = UnicodeToAnsi(text, &exact);
  if (!exact) return "has a character that Windows-1252 cannot hold";
  for (char c : bytes) {
    if (c == '\0' || c == kFieldEnd || (inRecord && c == kRecordEnd))
      return QString("holds the byte 0x%1 (%2), which a project cannot store")
          .arg(uint8_t(c), 2, 16, QChar('0'))
          .arg(c == kFieldEnd ? "the euro sign in Windows-1252" : "a separator");
  }
  if (capacity > 0 && bytes.size() > size_t(capacity))
    return QString("is %1 characters long, more than the %2 it may hold").arg(bytes.size()).arg(capacity);
  return {};
}

namespace {

const char kNotBool[] = "must be true or false";
const char kNotInt[] = "must be a whole number from -2147483648 to 2147483647";
const char kNotText[] = "must be a text";

QString CheckKind(TFieldKind kind, int capacity, bool inRecord, const TFieldValue& v) {
  switch (kind) {
    case TFieldKind::Bool: return std::holds_alternative<bool>(v) ? QString() : kNotBool;
    case TFieldKind::Int:
    case TFieldKind::FontCharset:
    case TFieldKind::FontColor:
    case TFieldKind::FontHeight: return std::holds_alternative<int32_t>(v) ? QString() : kNotInt;
    case TFieldKind::List: {
      if (!std::holds_alternative<QStringList>(v)) return "must be a list of texts";
      const QStringList& list = std::get<QStringList>(v);
      for (qsizetype i = 0; i < list.size(); ++i)
        if (QString why = CheckStorableText(list[i], 0, inRecord); !why.isEmpty())
          return QString("[%1]: ").arg(i) + why;
      return {};
    }
    case TFieldKind::FontStyle: {
      // The digits of the flags that are set, each once, in order.
      if (!std::holds_alternative<QString>(v)) return kNotText;
      const QString& s = std::get<QString>(v);
      bool flags[4] = {};
      for (QChar c : s) {
        const int k = c.unicode() - '1';
        if (k < 0 || k > 3) return "must hold only the style digits 1 to 4";
        flags[k] = true;
      }
      return s == StyleDigits(flags) ? QString() : "must hold each style digit once, in order";
    }
    default:
      if (!std::holds_alternative<QString>(v)) return kNotText;
      return CheckStorableText(std::get<QString>(v), capacity, inRecord);
  }
}

}  // namespace

QString CheckHeaderValue(uint8_t tag, const TFieldValue& value) {
  const THeaderField* f = FindHeaderField(tag);
  if (!f) return "is not a header field";
  return CheckKind(f->kind == TFieldKind::SettingText ? TFieldKind::Text : f->kind, 0, false, value);
}

QString CheckSlideValue(uint8_t tag, const TFieldValue& value) {
  const TSlideField* f = FindSlideField(tag);
  if (!f) return "is not a slide field";
  return CheckKind(f->kind, f->capacity, true, value);
}

std::string StoredValue(const TFieldValue& value) {
  if (auto* b = std::get_if<bool>(&value)) return std::string(FieldBoolText(*b));
  if (auto* i = std::get_if<int32_t>(&value)) return std::to_string(*i);
  if (auto* s = std::get_if<QString>(&value)) return UnicodeToAnsi(*s);
  return {};
}

QString StyleDigits(const bool (&flags)[4]) {
  QString digits;
  for (size_t k = 0; k < 4; ++k)
    if (flags[k]) digits += FontStyleFlags()[k].digit;
  return digits;
}

namespace {

// A stored value into the set as the player applies it.
void ApplyStored(TFieldSet& set, uint8_t tag, TFieldKind kind, int capacity, std::string_view v) {
  switch (kind) {
    case TFieldKind::Bool: set.Set(tag, FieldBool(v)); break;
    case TFieldKind::Int:
    case TFieldKind::FontCharset:
    case TFieldKind::FontColor:
    case TFieldKind::FontHeight: {
      int32_t n = 0;
      if (TryStrToInt(v, n)) set.Set(tag, n);
      break;
    }
    case TFieldKind::List: {
      QStringList list = set.Has(tag) ? std::get<QStringList>(*set.Find(tag)) : QStringList();
      set.Set(tag, list << StoredText(v));
      break;
    }
    case TFieldKind::FontStyle: {
      bool flags[4] = {};
      const QString before = set.Text(tag);
      for (size_t k = 0; k < 4; ++k) {
        const TFontStyleFlag& flag = FontStyleFlags()[k];
        flags[k] = before.contains(QChar(flag.digit)) || HasStyleDigit(v, flag);
      }
      set.Set(tag, StyleDigits(flags));
      break;
    }
    default: set.Set(tag, StoredText(v, capacity)); break;
  }
}

}  // namespace

TFieldSet HeaderFieldsFromStored(std::string_view text) {
  TFieldSet set;
  ForEachField(UpToNul(text), [&](uint8_t tag, std::string_view v) {
    if (const THeaderField* f = FindHeaderField(tag))
      ApplyStored(set, tag, f->kind == TFieldKind::SettingText ? TFieldKind::Text : f->kind, 0, v);
  });
  return set;
}

TFieldSet SlideFieldsFromStored(std::string_view record) {
  TFieldSet set;
  ForEachField(record, [&](uint8_t tag, std::string_view v) {
    if (const TSlideField* f = FindSlideField(tag)) ApplyStored(set, tag, f->kind, f->capacity, v);
  });
  return set;
}

}  // namespace sf
