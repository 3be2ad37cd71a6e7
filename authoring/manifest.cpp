#include "authoring/manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <stdexcept>

#include "authoring/atomicfile.h"
#include "authoring/json.h"

namespace sf {
namespace {

// A manifest that cannot be read; what() is the whole message.
class EManifest : public std::runtime_error {
 public:
  explicit EManifest(const QString& m) : std::runtime_error(m.toStdString()) {}
};

void Check(const QString& where, const QString& why) {
  if (!why.isEmpty()) throw EManifest(FieldMessage(where, why));
}

int32_t JsonInt(const QJsonValue& v, const QString& where) {
  const double d = v.toDouble();
  if (!v.isDouble() || std::floor(d) != d || d < INT32_MIN || d > INT32_MAX)
    throw EManifest(where + ": must be a whole number from -2147483648 to 2147483647");
  return int32_t(d);
}

bool JsonBool(const QJsonValue& v, const QString& where) {
  if (!v.isBool()) throw EManifest(where + ": must be true or false");
  return v.toBool();
}

QString JsonString(const QJsonValue& v, const QString& where) {
  if (!v.isString()) throw EManifest(where + ": must be a text");
  return v.toString();
}

// A path from the manifest's folder. Qt would take a name that begins with ':' for one of its
// resources, so relative paths are joined to the folder by hand.
QString JsonPath(const QDir& folder, const QJsonValue& v, const QString& where) {
  const QString path = v.toString();
  if (!v.isString() || path.isEmpty()) throw EManifest(where + ": must be a file path");
  return QDir::cleanPath(path.startsWith('/') ? path : folder.path() + "/" + path);
}

// A value of the JSON kind a field of this kind takes.
TFieldValue JsonValue(TFieldKind kind, const QJsonValue& v, const QString& where) {
  switch (kind) {
    case TFieldKind::Bool: return JsonBool(v, where);
    case TFieldKind::Int:
    case TFieldKind::FontCharset:
    case TFieldKind::FontColor:
    case TFieldKind::FontHeight: return JsonInt(v, where);
    case TFieldKind::List: {
      if (!v.isArray()) throw EManifest(where + ": must be a list of texts");
      QStringList list;
      for (const QJsonValue& e : v.toArray()) list << JsonString(e, QString("%1[%2]").arg(where).arg(list.size()));
      return list;
    }
    default: return JsonString(v, where);
  }
}

const TSlideField* FindFont(const QString& name) {
  for (const TSlideField& f : SlideFields())
    if (f.kind == TFieldKind::FontCharset && name == f.name) return &f;
  return nullptr;
}

void ReadHeader(const QJsonObject& header, TShowDocument& doc) {
  for (auto it = header.begin(); it != header.end(); ++it) {
    const QString where = "header." + it.key();
    const THeaderField* f = FindHeaderField(it.key().toStdString());
    if (!f) throw EManifest("unknown field " + where);
    if (f->kind != TFieldKind::SettingText) {
      const TFieldValue v = JsonValue(f->kind, *it, where);
      Check(where, CheckHeaderValue(f->tag, v));
      doc.header.Set(f->tag, v);
      continue;
    }
    if (!it->isObject()) throw EManifest(where + ": must be an object of entries \"0\" to \"50\"");
    const QJsonObject texts = it->toObject();
    for (auto t = texts.begin(); t != texts.end(); ++t) {
      bool ok = false;
      const int k = t.key().toInt(&ok);
      if (!ok || k < 0 || k >= kSettingTextCount || QString::number(k) != t.key())
        throw EManifest(where + ": unknown entry " + t.key() + " (entries are 0 to 50)");
      const uint8_t tag = uint8_t(kFirstSettingTextTag + k);
      const TFieldValue v = JsonString(*t, where + "." + t.key());
      Check(where + "." + t.key(), CheckHeaderValue(tag, v));
      doc.header.Set(tag, v);
    }
  }
}

void ReadFont(const QJsonValue& v, const QString& where, uint8_t fontTag, TFieldSet& fields) {
  if (!v.isObject()) throw EManifest(where + ": must be an object");
  const QJsonObject o = v.toObject();
  bool anyStyle = false, flags[4] = {};
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString w = where + "." + it.key();
    bool known = false;
    for (auto part : {TFieldKind::FontCharset, TFieldKind::FontColor, TFieldKind::FontHeight, TFieldKind::FontName}) {
      if (it.key() != FontPartName(part)) continue;
      const uint8_t tag = FontPartTag(fontTag, part);
      const TFieldValue value = JsonValue(part, *it, w);
      Check(w, CheckSlideValue(tag, value));
      fields.Set(tag, value);
      known = true;
    }
    for (size_t k = 0; k < 4; ++k) {
      if (it.key() != FontStyleFlags()[k].name) continue;
      flags[k] = JsonBool(*it, w);
      anyStyle = known = true;
    }
    if (!known) throw EManifest(where + ": unknown field " + it.key());
  }
  if (anyStyle) fields.Set(FontPartTag(fontTag, TFieldKind::FontStyle), StyleDigits(flags));
}

TSlideEntry ReadSlide(const QJsonValue& v, const QString& where, const QDir& folder) {
  if (!v.isObject()) throw EManifest(where + ": must be an object");
  const QJsonObject o = v.toObject();
  TSlideEntry slide;
  if (o.contains("file")) slide.file = JsonPath(folder, o.value("file"), where + ".file");
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString w = where + "." + it.key();
    if (it.key() == "file") continue;
    if (const TSlideField* font = FindFont(it.key())) {
      ReadFont(*it, w, font->tag, slide.fields);
      continue;
    }
    const TSlideField* f = FindSlideField(it.key().toStdString());
    if (!f) throw EManifest("unknown field " + w);
    const TFieldValue value = JsonValue(f->kind, *it, w);
    Check(w, CheckSlideValue(f->tag, value));
    slide.fields.Set(f->tag, value);
  }
  return slide;
}

void ReadDocument(const QJsonObject& root, const QDir& folder, TShowDocument& doc) {
  for (auto it = root.begin(); it != root.end(); ++it)
    if (it.key() != "header" && it.key() != "music" && it.key() != "dialogPicture" && it.key() != "slides")
      throw EManifest("unknown field " + it.key());
  const QJsonValue header = root.value("header");
  if (!header.isUndefined() && !header.isObject()) throw EManifest("header: must be an object");
  ReadHeader(header.toObject(), doc);

  const QJsonValue music = root.value("music");
  if (!music.isUndefined() && !music.isArray()) throw EManifest("music: must be a list of file paths");
  for (const QJsonValue& v : music.toArray())
    doc.music << JsonPath(folder, v, QString("music[%1]").arg(doc.music.size()));
  if (root.contains("dialogPicture")) doc.dialogPicture = JsonPath(folder, root.value("dialogPicture"), "dialogPicture");

  const QJsonValue slides = root.value("slides");
  if (!slides.isUndefined() && !slides.isArray()) throw EManifest("slides: must be a list of objects");
  for (const QJsonValue& v : slides.toArray())
    doc.slides.push_back(ReadSlide(v, QString("slides[%1]").arg(doc.slides.size()), folder));
}

TJson JsonOf(const TFieldValue& value) {
  if (auto* b = std::get_if<bool>(&value)) return *b;
  if (auto* i = std::get_if<int32_t>(&value)) return *i;
  if (auto* s = std::get_if<QString>(&value)) return *s;
  TJson list = TJson::MakeArray();
  for (const QString& s : std::get<QStringList>(value)) list.Push(s);
  return list;
}

TJson FontJson(const TFieldSet& fields, uint8_t fontTag) {
  TJson font = TJson::MakeObject();
  bool any = false;
  for (auto part : {TFieldKind::FontCharset, TFieldKind::FontColor, TFieldKind::FontHeight, TFieldKind::FontName})
    if (const TFieldValue* v = fields.Find(FontPartTag(fontTag, part))) {
      font.Set(FontPartName(part), JsonOf(*v));
      any = true;
    }
  const uint8_t styleTag = FontPartTag(fontTag, TFieldKind::FontStyle);
  if (fields.Has(styleTag)) {
    const QString style = fields.Text(styleTag);
    for (const TFontStyleFlag& flag : FontStyleFlags()) font.Set(flag.name, style.contains(QChar(flag.digit)));
    any = true;
  }
  return any ? font : TJson();
}

}  // namespace

QString ManifestFolder(const QString& path) { return QDir::cleanPath(QFileInfo(path).absolutePath()); }

TResult ParseManifest(const QByteArray& json, const QString& name, const QString& folder, TShowDocument& document) {
  QJsonParseError pe;
  const QJsonDocument parsed = QJsonDocument::fromJson(json, &pe);
  if (pe.error != QJsonParseError::NoError) {
    const QByteArray before = json.left(pe.offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return Failure(name + QString(": not JSON at line %1, column %2: ")
                              .arg(before.count('\n') + 1)
                              .arg(pe.offset - lineStart + 1) +
                   pe.errorString());
  }
  if (!parsed.isObject()) return Failure(name + ": must hold one JSON object");
  TShowDocument doc;
  try {
    ReadDocument(parsed.object(), QDir(folder), doc);
  } catch (const EManifest& e) {
    return Failure(QString::fromStdString(e.what()));
  }
  document = std::move(doc);
  return {};
}

TResult ReadManifest(const QString& path, TShowDocument& document) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return Failure("cannot read " + path + ": " + f.errorString());
  const QByteArray json = f.readAll();
  if (f.error() != QFileDevice::NoError) return Failure("cannot read " + path + ": " + f.errorString());
  return ParseManifest(json, path, ManifestFolder(path), document);
}

QByteArray ManifestText(const TShowDocument& document, const QString& folder) {
  const QDir base(folder);
  TJson root = TJson::MakeObject();
  TJson header = TJson::MakeObject();
  for (const THeaderField& f : HeaderFields()) {
    if (f.kind != TFieldKind::SettingText) {
      if (const TFieldValue* v = document.header.Find(f.tag)) header.Set(f.name, JsonOf(*v));
      continue;
    }
    TJson texts = TJson::MakeObject();
    bool any = false;
    for (int k = 0; k < kSettingTextCount; ++k)
      if (const TFieldValue* v = document.header.Find(uint8_t(kFirstSettingTextTag + k))) {
        texts.Set(std::to_string(k), JsonOf(*v));
        any = true;
      }
    if (any) header.Set(f.name, std::move(texts));
  }
  root.Set("header", std::move(header));
  if (!document.music.isEmpty()) {
    TJson music = TJson::MakeArray();
    for (const QString& m : document.music) music.Push(base.relativeFilePath(m));
    root.Set("music", std::move(music));
  }
  if (!document.dialogPicture.isEmpty()) root.Set("dialogPicture", base.relativeFilePath(document.dialogPicture));
  TJson slides = TJson::MakeArray();
  for (const TSlideEntry& s : document.slides) {
    TJson slide = TJson::MakeObject();
    if (!s.file.isEmpty()) slide.Set("file", base.relativeFilePath(s.file));
    for (const TSlideField& f : SlideFields()) {
      if (f.kind == TFieldKind::FontCharset) {
        if (TJson font = FontJson(s.fields, f.tag); !font.IsNull()) slide.Set(f.name, std::move(font));
      } else if (f.kind < TFieldKind::FontCharset) {
        if (const TFieldValue* v = s.fields.Find(f.tag)) slide.Set(f.name, JsonOf(*v));
      }
    }
    slides.Push(std::move(slide));
  }
  root.Set("slides", std::move(slides));
  return QByteArray::fromStdString(root.Dump());
}

TResult WriteManifest(const TShowDocument& document, const QString& path) {
  return WriteFileAtomically(path, ManifestText(document, ManifestFolder(path)));
}

}  // namespace sf
