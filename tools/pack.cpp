#include "tools/pack.h"

#include "swf/player.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>
#include <map>
#include <set>
#include <unistd.h>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "container/tagged.h"
#include "imaging/graphic.h"
#include "platform/ansi.h"
#include "platform/convert.h"
#include "tools/json.h"

namespace sf {
namespace {

class EPackError : public std::runtime_error {
 public:
  explicit EPackError(const QString& m) : std::runtime_error(m.toStdString()) {}
};

// ---------------------------------------------------------------------------------------------
// Manifest values to field bytes.

int32_t JsonInt(const QJsonValue& v, const QString& where) {
  const double d = v.toDouble();
  if (!v.isDouble() || std::floor(d) != d || d < INT32_MIN || d > INT32_MAX)
    throw EPackError(where + ": must be a whole number from -2147483648 to 2147483647");
  return int32_t(d);
}

bool JsonBool(const QJsonValue& v, const QString& where) {
  if (!v.isBool()) throw EPackError(where + ": must be true or false");
  return v.toBool();
}

// A text as the project stores it: Windows-1252, without the bytes that end a field, a record
// or the text.
std::string JsonText(const QJsonValue& v, const QString& where, int capacity, bool inRecord) {
  if (!v.isString()) throw EPackError(where + ": must be a text");
  bool exact = false;
  std::string bytes = UnicodeToAnsi(v.toString(), &exact);
  if (!exact) throw EPackError(where + ": has a character that Windows-1252 cannot hold");
  for (char c : bytes) {
    if (c == '\0' || c == kFieldEnd || (inRecord && c == kRecordEnd))
      throw EPackError(where + QString(": holds the byte 0x%1 (%2), which a project cannot store")
                                   .arg(uint8_t(c), 2, 16, QChar('0'))
                                   .arg(c == kFieldEnd ? "the euro sign in Windows-1252" : "a separator"));
  }
  if (capacity > 0 && bytes.size() > size_t(capacity))
    throw EPackError(where + QString(": is %1 characters long, more than the %2 it may hold").arg(bytes.size()).arg(capacity));
  return bytes;
}

std::string Field(uint8_t tag, const std::string& value) { return char(tag) + value + kFieldEnd; }
std::string Bool(bool b) { return b ? "1" : "0"; }

QString Resolve(const QDir& base, const QJsonValue& v, const QString& where) {
  if (!v.isString() || v.toString().isEmpty()) throw EPackError(where + ": must be a file path");
  const QString path = base.filePath(v.toString());
  if (!QFileInfo(path).isFile()) throw EPackError(where + ": no such file " + path);
  return path;
}

struct TSlidePlan {
  QString file;                        // empty when the medium is not embedded
  std::map<uint8_t, std::string> fields;  // tag -> value, written in tag order
};

struct TPlan {
  std::map<uint8_t, std::string> header;  // single fields
  std::vector<std::string> musicNames;    // tag 1, in order
  std::vector<QString> music;
  QString dialog;
  std::vector<TSlidePlan> slides;
  bool mediaEmbedded = true, playerMediaEmbedded = true;
};

void PlanFont(TSlidePlan& slide, const QJsonValue& v, const QString& where, uint8_t firstTag) {
  if (!v.isObject()) throw EPackError(where + ": must be an object");
  const QJsonObject o = v.toObject();
  std::string style;
  bool anyStyle = false;
  const char* styles[] = {"Bold", "Italic", "Underline", "StrikeOut"};
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString k = it.key(), w = where + "." + k;
    if (k == "Charset") slide.fields[firstTag] = std::to_string(JsonInt(*it, w));
    else if (k == "Color") slide.fields[uint8_t(firstTag + 1)] = std::to_string(JsonInt(*it, w));
    else if (k == "Height") slide.fields[uint8_t(firstTag + 2)] = std::to_string(JsonInt(*it, w));
    else if (k == "Name") slide.fields[uint8_t(firstTag + 3)] = JsonText(*it, w, 0, true);
    else if (std::find(std::begin(styles), std::end(styles), k) != std::end(styles)) {
      JsonBool(*it, w);
      anyStyle = true;
    } else {
      throw EPackError(where + ": unknown field " + k);
    }
  }
  if (anyStyle) {
    for (int i = 0; i < 4; ++i)
      if (o.value(styles[i]).toBool()) style += char('1' + i);
    slide.fields[uint8_t(firstTag + 4)] = style;
  }
}

TPlan ReadManifest(const QString& manifestPath) {
  QFile f(manifestPath);
  if (!f.open(QIODevice::ReadOnly)) throw EPackError("cannot read " + manifestPath + ": " + f.errorString());
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
  if (pe.error != QJsonParseError::NoError)
    throw EPackError(manifestPath + QString(": not JSON at offset %1: ").arg(pe.offset) + pe.errorString());
  if (!doc.isObject()) throw EPackError(manifestPath + ": must hold one JSON object");
  const QDir base = QFileInfo(manifestPath).absoluteDir();
  const QJsonObject root = doc.object();
  TPlan plan;
  for (auto it = root.begin(); it != root.end(); ++it)
    if (it.key() != "header" && it.key() != "music" && it.key() != "dialogPicture" && it.key() != "slides")
      throw EPackError("unknown field " + it.key());

  // The header.
  const QJsonValue hv = root.value("header");
  if (!hv.isUndefined() && !hv.isObject()) throw EPackError("header: must be an object");
  const QJsonObject header = hv.toObject();
  bool musicNamesGiven = false;
  for (auto it = header.begin(); it != header.end(); ++it) {
    const QString key = it.key(), where = "header." + key;
    const THeaderField* field = nullptr;
    for (const THeaderField& f : HeaderFields())
      if (key == f.name) field = &f;
    if (!field) throw EPackError("unknown field " + where);
    switch (field->kind) {
      case TFieldKind::Bool: plan.header[field->tag] = Bool(JsonBool(*it, where)); break;
      case TFieldKind::Int: plan.header[field->tag] = std::to_string(JsonInt(*it, where)); break;
      case TFieldKind::Text: plan.header[field->tag] = JsonText(*it, where, 0, false); break;
      case TFieldKind::List: {
        if (!it->isArray()) throw EPackError(where + ": must be a list of texts");
        musicNamesGiven = true;
        int n = 0;
        for (const QJsonValue& v : it->toArray())
          plan.musicNames.push_back(JsonText(v, QString("%1[%2]").arg(where).arg(n++), 0, false));
        break;
      }
      case TFieldKind::SettingText: {
        if (!it->isObject()) throw EPackError(where + ": must be an object of entries \"0\" to \"50\"");
        const QJsonObject texts = it->toObject();
        for (auto t = texts.begin(); t != texts.end(); ++t) {
          bool ok = false;
          const int k = t.key().toInt(&ok);
          if (!ok || k < 0 || k >= kSettingTextCount || QString::number(k) != t.key())
            throw EPackError(where + ": unknown entry " + t.key() + " (entries are 0 to 50)");
          plan.header[uint8_t(kFirstSettingTextTag + k)] = JsonText(*t, where + "." + t.key(), 0, false);
        }
        break;
      }
      default: break;
    }
  }
  plan.mediaEmbedded = !header.contains("MediaEmbedded") || header.value("MediaEmbedded").toBool();
  plan.playerMediaEmbedded = !header.contains("PlayerMediaEmbedded") || header.value("PlayerMediaEmbedded").toBool();

  // Music and the dialog picture.
  const QJsonValue mv = root.value("music");
  if (!mv.isUndefined()) {
    if (!mv.isArray()) throw EPackError("music: must be a list of file paths");
    int n = 0;
    for (const QJsonValue& v : mv.toArray()) {
      const QString where = QString("music[%1]").arg(n++);
      plan.music.push_back(Resolve(base, v, where));
      if (!musicNamesGiven)
        plan.musicNames.push_back(JsonText(QFileInfo(plan.music.back()).fileName(), where + " (its name)", 0, false));
    }
  }
  if (root.contains("dialogPicture")) {
    plan.dialog = Resolve(base, root.value("dialogPicture"), "dialogPicture");
    if (!header.contains("DialogPicture"))
      plan.header[31] = JsonText(QFileInfo(plan.dialog).fileName(), "dialogPicture (its name)", 0, false);
  }

  // The slides.
  const QJsonValue sv = root.value("slides");
  if (!sv.isUndefined() && !sv.isArray()) throw EPackError("slides: must be a list of objects");
  int index = 0;
  for (const QJsonValue& v : sv.toArray()) {
    const QString where = QString("slides[%1]").arg(index);
    if (!v.isObject()) throw EPackError(where + ": must be an object");
    const QJsonObject o = v.toObject();
    TSlidePlan slide;
    if (o.contains("file")) slide.file = Resolve(base, o.value("file"), where + ".file");
    else if (plan.mediaEmbedded) throw EPackError(where + ": needs a file");
    for (auto it = o.begin(); it != o.end(); ++it) {
      const QString key = it.key(), w = where + "." + key;
      if (key == "file") continue;
      if (key == "CaptionFont" || key == "TextFont") {
        PlanFont(slide, *it, w, key == "CaptionFont" ? 9 : 19);
        continue;
      }
      const TSlideField* field = nullptr;
      for (const TSlideField& f : SlideFields())
        if (key == f.name && f.kind < TFieldKind::FontCharset) field = &f;
      if (!field) throw EPackError("unknown field " + w);
      switch (field->kind) {
        case TFieldKind::Bool: slide.fields[field->tag] = Bool(JsonBool(*it, w)); break;
        case TFieldKind::Int: slide.fields[field->tag] = std::to_string(JsonInt(*it, w)); break;
        case TFieldKind::Text: slide.fields[field->tag] = JsonText(*it, w, field->capacity, true); break;
        default: break;
      }
    }
    // What pack fills in where the manifest is silent.
    if (!slide.file.isEmpty()) {
      if (!slide.fields.count(2)) slide.fields[2] = JsonText(QFileInfo(slide.file).fileName(), where + ".file (its name)", 255, true);
      if (!slide.fields.count(45)) slide.fields[45] = std::to_string(FormatFromExtension(slide.file));
      if (plan.mediaEmbedded && !slide.fields.count(3)) slide.fields[3] = std::to_string(QFileInfo(slide.file).size());
    } else if (!slide.fields.count(2)) {
      throw EPackError(where + ": needs a file or a FileName");
    }
    if (!slide.fields.count(1)) slide.fields[1] = std::to_string(index);
    plan.slides.push_back(std::move(slide));
    ++index;
  }
  return plan;
}

// ---------------------------------------------------------------------------------------------
// Writing the show.

class TShowWriter {
 public:
  TShowWriter(QSaveFile& out, int64_t mediaTotal) : out_(out), total_(mediaTotal), tty_(isatty(2)) {}

  int64_t Pos() const { return pos_; }
  void Write(const char* data, int64_t n) {
    if (out_.write(data, n) != n) throw EPackError("cannot write " + out_.fileName() + ": " + out_.errorString());
    pos_ += n;
    if (pos_ > INT32_MAX) throw EPackError("the show would be 2 GiB or larger, more than a project can address");
  }
  void Write(const std::string& s) { Write(s.data(), int64_t(s.size())); }
  // Copies a whole file through one buffer.
  void CopyFile(const QString& path, bool media) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) throw EPackError("cannot read " + path + ": " + in.errorString());
    buffer_.resize(size_t(kCopyChunk));
    for (;;) {
      const qint64 n = in.read(buffer_.data(), kCopyChunk);
      if (n < 0) throw EPackError("cannot read " + path + ": " + in.errorString());
      if (n == 0) break;
      Write(buffer_.data(), n);
      if (media) Progress(n);
    }
  }
  void Done() {
    if (shown_) fprintf(stderr, "\n");
  }

 private:
  void Progress(int64_t n) {
    done_ += n;
    constexpr int64_t kLarge = 16 << 20;  // a progress line only for large media
    if (!tty_ || total_ < kLarge) return;
    fprintf(stderr, "\rpacking media: %lld of %lld MB", (long long)(done_ >> 20), (long long)(total_ >> 20));
    shown_ = true;
  }
  QSaveFile& out_;
  int64_t pos_ = 0, total_, done_ = 0;
  bool tty_, shown_ = false;
  std::vector<char> buffer_;
};

void WriteShow(const TPlan& plan, const QString& player, const QString& output) {
  int64_t mediaTotal = 0;
  for (const TSlidePlan& s : plan.slides)
    if (plan.mediaEmbedded && !s.file.isEmpty()) mediaTotal += QFileInfo(s.file).size();
  for (const QString& m : plan.music) mediaTotal += QFileInfo(m).size();

  // The show is written to a temporary file beside the output and renamed over it when whole.
  QSaveFile out(output);
  if (!out.open(QIODevice::WriteOnly)) throw EPackError("cannot write " + output + ": " + out.errorString());
  TShowWriter w(out, mediaTotal);
  std::string table;
  auto entry = [&](char tag, int64_t value) { table += tag + std::to_string(value) + kFieldEnd; };

  w.CopyFile(player, false);
  if (plan.mediaEmbedded) {
    for (const TSlidePlan& s : plan.slides) {
      entry('1', w.Pos());
      if (!s.file.isEmpty()) w.CopyFile(s.file, true);
    }
  }
  // The dialog picture's start and end are always the last two resource entries.
  entry('1', w.Pos());
  if (plan.mediaEmbedded && !plan.dialog.isEmpty()) w.CopyFile(plan.dialog, true);
  entry('1', w.Pos());
  if (plan.playerMediaEmbedded) {
    for (const QString& m : plan.music) {
      entry('4', w.Pos());
      w.CopyFile(m, true);
    }
  }
  entry('5', w.Pos());
  for (const TSlidePlan& s : plan.slides) {
    std::string record;
    for (const auto& [tag, value] : s.fields) record += Field(tag, value);
    w.Write(record + kRecordEnd);
  }
  entry('6', w.Pos());
  std::string header;
  for (const std::string& name : plan.musicNames) header += Field(1, name);
  for (const auto& [tag, value] : plan.header) header += Field(tag, value);
  if (header.size() > size_t(kMaxTableText))
    throw EPackError(QString("the header is %1 bytes long, more than %2").arg(header.size()).arg(kMaxTableText));
  w.Write(header);
  std::string length = std::to_string(table.size());
  length.resize(kLengthFieldSize, ' ');
  w.Write(table + length);
  w.Done();
  if (!out.commit()) throw EPackError("cannot write " + output + ": " + out.errorString());
  QFile::setPermissions(output, QFile::permissions(player) | QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
}

QString DefaultPlayer() { return QCoreApplication::applicationDirPath() + "/showforge"; }

// ---------------------------------------------------------------------------------------------
// Extracting.

// Last value per tag, and the values of tag 1 in order (the header's list).
struct TStoredFields {
  std::map<uint8_t, std::string> last;
  std::vector<std::string> list;
};

TStoredFields Stored(std::string_view text) {
  TStoredFields f;
  ForEachField(text, [&](uint8_t tag, std::string_view v) {
    f.last[tag] = std::string(v);
    if (tag == 1) f.list.emplace_back(v);
  });
  return f;
}

TJson StoredValue(TFieldKind kind, const std::string& v) {
  switch (kind) {
    case TFieldKind::Bool: return TJson(FieldBool(v));
    case TFieldKind::Int:
    case TFieldKind::FontCharset:
    case TFieldKind::FontColor:
    case TFieldKind::FontHeight: {
      int32_t n = 0;
      if (!TryStrToInt(v, n)) return TJson();  // not a number: the player ignores it too
      return TJson(n);
    }
    default: return TJson(AnsiToUnicode(v));
  }
}

// A file name for an extracted medium: the stored name's file-name part when it is a plain,
// unused name, else a made-up one.
QString MediumName(const QString& stored, const QString& fallback, std::set<QString>& used) {
  QString name = ExtractFileName(stored);
  if (name.isEmpty() || name == "." || name == ".." || name == "manifest.json" || used.count(name.toLower()))
    name = fallback + ExtractFileExt(stored);
  for (int n = 2; used.count(name.toLower()); ++n) name = fallback + "-" + QString::number(n) + ExtractFileExt(stored);
  used.insert(name.toLower());
  return name;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
    throw EPackError("cannot write " + path + ": " + f.errorString());
}

}  // namespace

int CmdPack(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString manifest, output, player;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (args[i] == "--player" && i + 1 < args.size()) player = args[++i];
    else if (manifest.isEmpty() && !args[i].startsWith('-')) manifest = args[i];
    else {
      err << "usage: showforge-tool pack MANIFEST.json -o SHOW.scr [--player PATH]\n";
      return 2;
    }
  }
  if (manifest.isEmpty() || output.isEmpty()) {
    err << "usage: showforge-tool pack MANIFEST.json -o SHOW.scr [--player PATH]\n";
    return 2;
  }
  if (player.isEmpty()) player = DefaultPlayer();
  try {
    if (!QFileInfo(player).isFile()) throw EPackError("no player at " + player + " (give one with --player)");
    const TPlan plan = ReadManifest(manifest);
    WriteShow(plan, player, output);
  } catch (const EPackError& e) {
    err << "showforge-tool: " << e.what() << "\n";
    return 1;
  }
  out << "packed " << output.toStdString() << " (" << QFileInfo(output).size() << " bytes)\n";
  return 0;
}

int CmdExtract(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString show, dir;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == "-d" && i + 1 < args.size()) dir = args[++i];
    else if (show.isEmpty() && !args[i].startsWith('-')) show = args[i];
    else show.clear(), dir.clear(), i = args.size();
  }
  if (show.isEmpty() || dir.isEmpty()) {
    err << "usage: showforge-tool extract SHOW.scr -d DIR\n";
    return 2;
  }
  try {
    TProjectInfo project(show);
    if (!project.FileOpened()) throw EPackError("cannot open " + show);
    project.ReadHeader();
    if (project.LoadError().isEmpty()) project.ReadSlides();
    if (!project.LoadError().isEmpty()) throw EPackError(show + ": the project is damaged: " + project.LoadError());
    std::string headerText, slideText;
    if (!project.ReadHeaderText(headerText) || !project.ReadSlideListText(slideText))
      throw EPackError("cannot read the project of " + show);
    if (!QDir().mkpath(dir)) throw EPackError("cannot make the folder " + dir);
    const QDir target(dir);
    std::set<QString> used;
    TJson manifest = TJson::MakeObject();

    // The header, with the fields it stores.
    const TStoredFields h = Stored(UpToNul(headerText));
    TJson header = TJson::MakeObject();
    for (const THeaderField& f : HeaderFields()) {
      if (f.kind == TFieldKind::SettingText) {
        TJson texts = TJson::MakeObject();
        bool any = false;
        for (int k = 0; k < kSettingTextCount; ++k)
          if (auto it = h.last.find(uint8_t(kFirstSettingTextTag + k)); it != h.last.end()) {
            texts.Set(std::to_string(k), AnsiToUnicode(it->second));
            any = true;
          }
        if (any) header.Set("Texts", std::move(texts));
        continue;
      }
      if (f.kind == TFieldKind::List) continue;  // the music, below
      auto it = h.last.find(f.tag);
      if (it == h.last.end() || (f.tag == 31)) continue;
      header.Set(f.name, StoredValue(f.kind, it->second));
    }
    // Music: the tracks as files, their stored names where they differ from the files'.
    TJson music = TJson::MakeArray();
    TJson musicNames = TJson::MakeArray();
    bool namesDiffer = !project.PlayerMediaEmbedded;
    for (size_t j = 0; j < h.list.size(); ++j) {
      const QString stored = AnsiToUnicode(h.list[j]);
      musicNames.Push(stored);
      if (!project.PlayerMediaEmbedded) continue;
      const QString name = MediumName(stored, QString("music%1").arg(j + 1), used);
      namesDiffer |= name != stored;
      QByteArray bytes;
      const auto& mo = project.Position.MusicOffsets;
      if (j < mo.size()) {
        const int64_t end = j + 1 < mo.size() ? mo[j + 1] : project.Position.SlideListStart;
        if (!project.CopyRegion(mo[j], end - mo[j], bytes)) throw EPackError("cannot read music file " + stored);
      }
      WriteBytes(target.filePath(name), bytes);
      music.Push(name);
    }
    if (namesDiffer && !h.list.empty()) header.Set("MusicFiles", std::move(musicNames));
    if (auto it = h.last.find(31); it != h.last.end()) {
      const QString stored = AnsiToUnicode(it->second);
      QByteArray bytes;
      int32_t code = 0;
      if (project.MediaEmbedded && !project.GetDialogPicture(bytes, code))
        throw EPackError("cannot read the dialog picture");
      const QString name = MediumName(stored, "dialog", used);
      WriteBytes(target.filePath(name), bytes);
      manifest.Set("dialogPicture", name);
      if (name != stored) header.Set("DialogPicture", stored);
    }
    manifest.Set("header", std::move(header));
    // The slide records.
    TJson slides = TJson::MakeArray();
    std::string_view list = UpToNul(slideText);
    int32_t index = 0;
    for (size_t end; (end = list.find(kRecordEnd)) != std::string_view::npos; list.remove_prefix(end + 1), ++index) {
      const TStoredFields r = Stored(list.substr(0, end));
      TJson slide = TJson::MakeObject();
      QByteArray bytes;
      int32_t code = 0;
      const TPictureInfo& info = project.Slides[size_t(index)];
      if (project.MediaEmbedded) {
        if (!project.GetSlideData(index, bytes, code)) throw EPackError(QString("cannot read slide %1's data").arg(index));
        const QString name = MediumName(info.FileName, QString("slide%1").arg(index + 1), used);
        WriteBytes(target.filePath(name), bytes);
        slide.Set("file", name);
      }
      TJson fonts[2] = {TJson::MakeObject(), TJson::MakeObject()};
      bool hasFont[2] = {false, false};
      for (const TSlideField& f : SlideFields()) {
        auto it = r.last.find(f.tag);
        if (it == r.last.end()) continue;
        // Pack fills these in: they are listed only where they say something else.
        if (f.tag == 1 && it->second == std::to_string(index)) continue;
        if (f.tag == 3 && project.MediaEmbedded && it->second == std::to_string(bytes.size())) continue;
        if (f.kind >= TFieldKind::FontCharset) {
          const int which = f.tag >= 19 ? 1 : 0;
          hasFont[which] = true;
          if (f.kind == TFieldKind::FontStyle) {
            const std::string& v = it->second;
            fonts[which].Set("Bold", v.find('1') != v.npos);
            fonts[which].Set("Italic", v.find('2') != v.npos);
            fonts[which].Set("Underline", v.find('3') != v.npos);
            fonts[which].Set("StrikeOut", v.find('4') != v.npos);
          } else {
            fonts[which].Set(FontPartName(f.kind), StoredValue(f.kind, it->second));
          }
          continue;
        }
        slide.Set(f.name, StoredValue(f.kind, it->second));
      }
      if (hasFont[0]) slide.Set("CaptionFont", std::move(fonts[0]));
      if (hasFont[1]) slide.Set("TextFont", std::move(fonts[1]));
      slides.Push(std::move(slide));
    }
    if (!h.list.empty() && project.PlayerMediaEmbedded) manifest.Set("music", std::move(music));
    manifest.Set("slides", std::move(slides));
    const std::string text = manifest.Dump();
    WriteBytes(target.filePath("manifest.json"), QByteArray::fromStdString(text));
    out << "extracted " << index << " slides to " << dir.toStdString() << "\n";
  } catch (const EPackError& e) {
    err << "showforge-tool: " << e.what() << "\n";
    return 1;
  } catch (const EConvertError& e) {
    err << "showforge-tool: " << show.toStdString() << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int CmdDecode(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString input, output;
  int32_t code = 0, frame = 1;
  bool codeGiven = false, frameGiven = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (args[i] == "--frame" && i + 1 < args.size()) {
      bool ok = false;
      frame = args[++i].toInt(&ok);
      frameGiven = ok && frame >= 1;
      if (!frameGiven) input.clear(), i = args.size();
    } else if (args[i] == "--code" && i + 1 < args.size()) {
      bool ok = false;
      code = args[++i].toInt(&ok);
      codeGiven = ok;
      if (!ok) input.clear(), i = args.size();
    } else if (input.isEmpty() && !args[i].startsWith('-')) {
      input = args[i];
    } else {
      input.clear();
      break;
    }
  }
  if (input.isEmpty() || output.isEmpty()) {
    err << "usage: showforge-tool decode PICTURE [--code N] -o OUT.png\n"
           "       showforge-tool decode MOVIE.swf [--frame N] -o OUT.png\n";
    return 2;
  }
  QFile file(input);
  if (!file.open(QIODevice::ReadOnly)) {
    err << "showforge-tool: cannot read " << input.toStdString() << "\n";
    return 1;
  }
  // A flash movie: its frame N (from 1) at the stage's size, as the player shows it.
  const QByteArray head = file.peek(3);
  if (head == "FWS" || head == "CWS" || head == "ZWS" || (frameGiven && !codeGiven)) {
    try {
      const QByteArray bytes = file.readAll();
      auto movie = swf::TSwfMovie::Load(bytes);
      // The stage is drawn whole: a stage far larger than the movie's data could justify is
      // refused as a picture of that size would be.
      const QSize stage = movie->StageSize();
      CheckPictureCost(stage.width(), stage.height(), size_t(bytes.size()),
                       QString("its stage of %1 x %2 pixels is larger than a movie of %3 bytes may ask for")
                           .arg(stage.width())
                           .arg(stage.height())
                           .arg(bytes.size()));
      if (frame > movie->FrameCount()) {
        err << "showforge-tool: " << input.toStdString() << " has " << movie->FrameCount() << " frames\n";
        return 1;
      }
      const QImage image = swf::RenderFrame(movie, frame - 1);
      if (!image.save(output, "PNG")) {
        err << "showforge-tool: cannot write " << output.toStdString() << "\n";
        return 1;
      }
      out << input.toStdString() << ": frame " << frame << " of " << movie->FrameCount() << ", " << image.width()
          << " x " << image.height() << "\n";
      return 0;
    } catch (const std::exception& e) {  // a movie that cannot be read, or a stage too large
      err << "showforge-tool: " << input.toStdString() << ": " << e.what() << "\n";
      return 1;
    }
  }
  if (!codeGiven) code = FormatFromExtension(input);
  QImage bitmap;
  try {
    if (!LoadPictureStream(file.readAll(), bitmap, code)) {
      err << "showforge-tool: " << input.toStdString() << ": no picture format has its extension (give --code)\n";
      return 1;
    }
  } catch (const EInvalidGraphic& e) {
    err << "showforge-tool: " << input.toStdString() << ": " << e.what() << "\n";
    return 1;
  }
  if (bitmap.isNull()) {
    err << "showforge-tool: " << input.toStdString() << ": format " << code << " has no decoder; nothing was decoded\n";
    return 1;
  }
  if (!bitmap.save(output, "PNG")) {
    err << "showforge-tool: cannot write " << output.toStdString() << "\n";
    return 1;
  }
  out << input.toStdString() << ": " << bitmap.width() << " x " << bitmap.height() << ", format " << code << "\n";
  return 0;
}

}  // namespace sf
