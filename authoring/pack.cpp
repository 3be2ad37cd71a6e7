#include "authoring/pack.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <stdexcept>

#include "authoring/showwriter.h"
#include "container/infoposition.h"
#include "container/picture.h"
#include "container/tagged.h"

namespace sf {
namespace {

class EPlan : public std::runtime_error {
 public:
  explicit EPlan(const QString& m) : std::runtime_error(m.toStdString()) {}
};

// A medium to copy: its file and its size when it was planned, so that a file that changes
// while the show is written cannot make the copy disagree with the DataSize written for it.
struct TMedium {
  QString file;
  int64_t size = 0;
};

// The project's bytes, and the media that go before them.
struct TPlan {
  std::vector<TMedium> slides;  // per slide; an empty file when the slide carries none
  std::vector<std::string> records;
  TMedium dialog;
  std::vector<TMedium> music;
  std::string header;
  bool mediaEmbedded = true, playerMediaEmbedded = true;
};

TMedium Existing(const QString& file, const QString& where) {
  const QFileInfo info(file);
  if (!info.isFile()) throw EPlan(where + ": no such file " + file);
  return {file, info.size()};
}

// A name from a file for a field that the document leaves out.
QString NameOf(const QString& file, const QString& where, int capacity, bool inRecord) {
  const QString name = QFileInfo(file).fileName();
  if (QString why = CheckStorableText(name, capacity, inRecord); !why.isEmpty())
    throw EPlan(FieldMessage(where + " (its name)", why));
  return name;
}

std::string Fields(const TFieldSet& fields) {
  std::string out;
  for (const auto& [tag, value] : fields.Values()) {
    if (auto* list = std::get_if<QStringList>(&value)) {
      for (const QString& entry : *list) AppendField(out, tag, StoredValue(entry));
    } else {
      AppendField(out, tag, StoredValue(value));
    }
  }
  return out;
}

TPlan MakePlan(const TShowDocument& doc) {
  TPlan plan;
  plan.mediaEmbedded = doc.MediaEmbedded();
  plan.playerMediaEmbedded = doc.PlayerMediaEmbedded();

  TFieldSet header = doc.header;
  for (const auto& [tag, value] : header.Values())
    if (QString why = CheckHeaderValue(tag, value); !why.isEmpty()) throw EPlan(FieldMessage(HeaderFieldPath(tag), why));
  QStringList names;
  for (qsizetype j = 0; j < doc.music.size(); ++j) {
    const QString where = QString("music[%1]").arg(j);
    plan.music.push_back(Existing(doc.music[j], where));
    if (!header.Has(hfMusicFiles)) names << NameOf(doc.music[j], where, 0, false);
  }
  if (!header.Has(hfMusicFiles) && !names.isEmpty()) header.Set(hfMusicFiles, names);
  if (!doc.dialogPicture.isEmpty()) {
    plan.dialog = Existing(doc.dialogPicture, "dialogPicture");
    if (!header.Has(hfDialogPicture)) header.Set(hfDialogPicture, NameOf(doc.dialogPicture, "dialogPicture", 0, false));
  }
  plan.header = Fields(header);
  if (plan.header.size() > size_t(kMaxTableText))
    throw EPlan(QString("the header is %1 bytes long, more than %2").arg(plan.header.size()).arg(kMaxTableText));

  for (size_t i = 0; i < doc.slides.size(); ++i) {
    const TSlideEntry& s = doc.slides[i];
    const QString where = QString("slides[%1]").arg(i);
    TMedium medium;
    if (!s.file.isEmpty()) medium = Existing(s.file, where + ".file");
    else if (plan.mediaEmbedded) throw EPlan(where + ": needs a file");
    TFieldSet fields = s.fields;
    for (const auto& [tag, value] : fields.Values())
      if (QString why = CheckSlideValue(tag, value); !why.isEmpty()) throw EPlan(FieldMessage(SlideFieldPath(i, tag), why));
    if (!medium.file.isEmpty()) {
      if (!fields.Has(pfFileName)) fields.Set(pfFileName, NameOf(medium.file, where + ".file", 255, true));
      if (!fields.Has(pfFormatCode)) fields.Set(pfFormatCode, FormatFromExtension(medium.file));
      if (plan.mediaEmbedded && !fields.Has(pfDataSize)) {
        if (medium.size > INT32_MAX) throw EPlan(where + ".file: is 2 GiB or larger, more than a project can address");
        fields.Set(pfDataSize, int32_t(medium.size));
      }
    } else if (!fields.Has(pfFileName)) {
      throw EPlan(where + ": needs a file or a FileName");
    }
    if (!fields.Has(pfResourceIndex)) fields.Set(pfResourceIndex, int32_t(i));
    plan.slides.push_back(medium);
    plan.records.push_back(Fields(fields));
  }
  if (!plan.mediaEmbedded) {
    plan.slides.clear();
    plan.dialog = {};
  }
  if (!plan.playerMediaEmbedded) plan.music.clear();
  return plan;
}

TResult WriteShow(const TPlan& plan, const QString& player, const QString& output, const TProgress& progress) {
  int64_t mediaTotal = plan.dialog.size;
  for (const TMedium& m : plan.slides) mediaTotal += m.size;
  for (const TMedium& m : plan.music) mediaTotal += m.size;

  TAtomicFile out(output);
  if (TResult r = out.Open(); !r.Ok()) return r;
  TShowWriter w(out, mediaTotal, progress);
  TInfoPosition table;
  auto copy = [&](const TMedium& m) {
    QFile in(m.file);
    if (!in.open(QIODevice::ReadOnly)) return Failure("cannot read " + m.file + ": " + in.errorString());
    w.Copy(in, m.size, true);
    return TResult{};
  };

  w.CopyFile(player, false);
  // Slides whose media stay outside the show have no entries.
  for (const TMedium& m : plan.slides) {
    table.ResourceOffsets.push_back(int32_t(w.Pos()));
    if (!m.file.isEmpty() && w.Good())
      if (TResult r = copy(m); !r.Ok()) return r;
  }
  // The dialog picture's start and end are always the last two resource entries.
  table.ResourceOffsets.push_back(int32_t(w.Pos()));
  if (!plan.dialog.file.isEmpty() && w.Good())
    if (TResult r = copy(plan.dialog); !r.Ok()) return r;
  table.ResourceOffsets.push_back(int32_t(w.Pos()));
  for (const TMedium& m : plan.music) {
    table.MusicOffsets.push_back(int32_t(w.Pos()));
    if (w.Good())
      if (TResult r = copy(m); !r.Ok()) return r;
  }
  table.SlideListStart = int32_t(w.Pos());
  for (const std::string& record : plan.records) w.Write(record + kRecordEnd);
  table.HeaderStart = int32_t(w.Pos());
  w.Write(plan.header);
  const std::string text = table.TableText();
  w.Write(text + LengthFieldText(int32_t(text.size())));
  if (!w.Good()) return w.Result();
  out.SetPermissions(QFile::permissions(player) | QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
  return out.Commit();
}

}  // namespace

QString DefaultPlayer() { return QCoreApplication::applicationDirPath() + "/showforge"; }

QString CheckPlayer(const QString& player, const QString& output) {
  const QFileInfo info(player);
  if (!info.isFile()) return "no player at " + player;
  if (info.canonicalFilePath() == QFileInfo(output).canonicalFilePath())
    return "the show would replace its own player " + player;
  return {};
}

TResult Pack(const TShowDocument& document, const QString& player, const QString& output, const TProgress& progress) {
  if (QString why = CheckPlayer(player, output); !why.isEmpty()) return Failure(why);
  TPlan plan;
  try {
    plan = MakePlan(document);
  } catch (const EPlan& e) {
    return Failure(QString::fromStdString(e.what()));
  }
  return WriteShow(plan, player, output, progress);
}

}  // namespace sf
