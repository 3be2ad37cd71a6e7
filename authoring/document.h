// The show an author edits, the model of the manifest: the header's fields, each slide record's
// fields and the paths of the media. It holds what the author gives and nothing that packing
// fills in (a slide's FileName, FormatCode, DataSize and ResourceIndex come from its file and its
// place unless given); a field that is not given is not written, so that the player's default,
// random ones included, holds for it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "container/fields.h"

namespace sf {

// A field's value: a flag, a whole number, a text, or (the header's MusicFiles) a list of texts.
// A font's style is the text of its style digits in order ("13": bold and underline).
using TFieldValue = std::variant<bool, int32_t, QString, QStringList>;

// The fields given, by tag, in tag order.
class TFieldSet {
 public:
  using TMap = std::map<uint8_t, TFieldValue>;

  bool Has(uint8_t tag) const { return values_.count(tag) != 0; }
  const TFieldValue* Find(uint8_t tag) const;
  void Set(uint8_t tag, TFieldValue value) { values_[tag] = std::move(value); }
  void Remove(uint8_t tag) { values_.erase(tag); }
  const TMap& Values() const { return values_; }
  bool Empty() const { return values_.empty(); }

  // The value given, when it is of that kind; else the fallback.
  bool Bool(uint8_t tag, bool fallback) const;
  int32_t Int(uint8_t tag, int32_t fallback) const;
  QString Text(uint8_t tag, const QString& fallback = {}) const;

  bool operator==(const TFieldSet&) const = default;

 private:
  TMap values_;
};

struct TSlideEntry {
  QString file;  // the medium: an absolute path; empty when the show does not carry it
  TFieldSet fields;

  bool operator==(const TSlideEntry&) const = default;
};

struct TShowDocument {
  TFieldSet header;       // the interface texts by their own tags, 42 to 92
  QStringList music;      // the music files, absolute paths, in playing order
  QString dialogPicture;  // the settings dialog's picture, an absolute path; empty for none
  std::vector<TSlideEntry> slides;

  bool MediaEmbedded() const;
  bool PlayerMediaEmbedded() const;

  bool operator==(const TShowDocument&) const = default;
};

// A file's path as Qt must be given it: a relative path that begins with ':', which Qt would take
// for one of its resources, gets "./" before it.
inline QString DiskPath(const QString& path) { return path.startsWith(':') ? "./" + path : path; }
// A file's path in a folder. Unlike QDir::filePath, a name that begins with ':' or '/' stays in
// the folder, as every name read from a show or a folder must.
inline QString InFolder(const QString& folder, const QString& name) { return folder + "/" + name; }

// Where a field stands in a manifest, as messages name it: "header.DisplaySeconds",
// "header.Texts.49", "header.MusicFiles", "slides[2].Caption", "slides[0].CaptionFont.Name".
QString HeaderFieldPath(uint8_t tag);
QString SlideFieldPath(size_t slide, uint8_t tag);

// Why a value cannot be the field's (empty when it can): the kind the field takes, and for
// texts what a project can store (see CheckStorableText) within the field's capacity. A tag
// that names no field is refused too.
QString CheckHeaderValue(uint8_t tag, const TFieldValue& value);
QString CheckSlideValue(uint8_t tag, const TFieldValue& value);

// A field's message: "where: why", or "where[i]: why" when why names an entry of a list.
inline QString FieldMessage(const QString& where, const QString& why) {
  return where + (why.startsWith('[') ? "" : ": ") + why;
}

// Why a text cannot be stored in a project (empty when it can): a character Windows-1252 does
// not have, a byte that ends a field (0x80, the euro sign), the text (NUL) or, in a slide record,
// the record (0x7F); or more than `capacity` characters (0: no limit).
QString CheckStorableText(const QString& text, int capacity, bool inRecord);

// The bytes a checked flag, number or text is stored as.
std::string StoredValue(const TFieldValue& value);

// A font's style value from its flags, in the order of FontStyleFlags().
QString StyleDigits(const bool (&flags)[4]);

// The fields that a stored header or slide record gives, as the player reads them: the last
// occurrence of a field wins (a number that does not convert leaves the one before it), the
// music names add up, texts are cut to their capacities, style digits add up.
TFieldSet HeaderFieldsFromStored(std::string_view text);
TFieldSet SlideFieldsFromStored(std::string_view record);

}  // namespace sf
