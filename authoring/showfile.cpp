#include "authoring/showfile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "authoring/manifest.h"
#include "authoring/pack.h"
#include "authoring/showwriter.h"
#include "container/picture.h"
#include "container/tagged.h"
#include "platform/convert.h"

namespace sf {

std::unique_ptr<TProjectInfo> OpenShow(const QString& path, QString& error, TRandom random) {
  try {
    auto project = std::make_unique<TProjectInfo>(path);
    if (!project->FileOpened()) {
      error = "cannot open " + path;
      return nullptr;
    }
    project->ReadHeader();
    if (project->LoadError().isEmpty()) project->ReadSlides(random);
    if (!project->LoadError().isEmpty()) {
      error = path + ": the project is damaged: " + project->LoadError();
      return nullptr;
    }
    return project;
  } catch (const EConvertError& e) {
    // Only the offset table and its length field raise this: the file carries no project.
    error = path + " carries no readable project: " + QString::fromStdString(e.what());
    return nullptr;
  }
}

// ---------------------------------------------------------------------------------------------
// Extracting.

namespace {

// A medium to write: its file name in the folder and its region of the show.
struct TOutMedium {
  QString name;
  int64_t start = 0, length = 0;
};

struct TExtraction {
  TShowDocument document;
  std::vector<TOutMedium> media;
};

// File names for the media: the stored name's file-name part where it is a plain name not yet
// taken (case aside), else one made up from `fallback` with the stored name's extension.
class TMediumNames {
 public:
  QString Take(const QString& stored, const QString& fallback) {
    QString name = ExtractFileName(stored);
    if (!Usable(name)) name = fallback + Extension(stored);
    for (int n = 2; !Usable(name); ++n) name = fallback + "-" + QString::number(n) + Extension(stored);
    used_.insert(name.toLower());
    return name;
  }

 private:
  static QString Extension(const QString& stored) {
    const QString ext = ExtractFileExt(stored);
    return ext.toUtf8().size() > 200 ? QString() : ext;  // a made-up name must stay a file name
  }
  bool Usable(const QString& name) const {
    return !name.isEmpty() && name != "." && name != ".." && name.toLower() != "manifest.json" &&
           !name.startsWith(".showforge-extract") && name.toUtf8().size() <= 255 && !used_.count(name.toLower());
  }
  std::set<QString> used_;
};

void ExtractMusic(const TProjectInfo& project, const QString& folder, TMediumNames& names, TExtraction& x) {
  TFieldSet& header = x.document.header;
  const QStringList stored = header.Has(hfMusicFiles) ? std::get<QStringList>(*header.Find(hfMusicFiles)) : QStringList();
  // Packing names the tracks after their files: the stored names stay only where they differ.
  bool namesDiffer = !project.PlayerMediaEmbedded;
  if (project.PlayerMediaEmbedded) {
    const auto& offsets = project.Position.MusicOffsets;
    for (qsizetype j = 0; j < stored.size(); ++j) {
      const QString name = names.Take(stored[j], QString("music%1").arg(j + 1));
      namesDiffer |= name != stored[j];
      TOutMedium m{name};
      // A track without a region of its own is an empty file, as the player would fetch it.
      if (size_t(j) < offsets.size()) {
        const int64_t end = size_t(j) + 1 < offsets.size() ? offsets[size_t(j) + 1] : project.Position.SlideListStart;
        m.start = offsets[size_t(j)];
        m.length = end - m.start;
      }
      x.media.push_back(m);
      x.document.music << InFolder(folder, name);
    }
  }
  if (!namesDiffer) header.Remove(hfMusicFiles);
}

TResult ExtractDialog(const TProjectInfo& project, const QString& folder, TMediumNames& names, TExtraction& x) {
  TFieldSet& header = x.document.header;
  // Without embedded media the name is all the show has of it.
  if (!header.Has(hfDialogPicture) || !project.MediaEmbedded) return {};
  const QString stored = header.Text(hfDialogPicture);
  const auto& res = project.Position.ResourceOffsets;
  if (res.size() < 2) return Failure("cannot read the dialog picture: the offset table has no place for it");
  TOutMedium m{names.Take(stored, "dialog"), res[res.size() - 2], int64_t(res.back()) - res[res.size() - 2]};
  if (m.length < 0) return Failure("cannot read the dialog picture: it ends before it starts");
  x.media.push_back(m);
  x.document.dialogPicture = InFolder(folder, m.name);
  if (m.name == stored) header.Remove(hfDialogPicture);
  return {};
}

void ExtractSlides(const TProjectInfo& project, std::string_view slideList, const QString& folder,
                   TMediumNames& names, TExtraction& x) {
  std::string_view list = UpToNul(slideList);
  for (size_t i = 0, end; (end = list.find(kRecordEnd)) != std::string_view::npos; list.remove_prefix(end + 1), ++i) {
    TSlideEntry slide{{}, SlideFieldsFromStored(list.substr(0, end))};
    const TPictureInfo& info = project.Slides[i];
    // Packing fills these fields in from the file and its place: they are written only where
    // the player read something else (a stored value, or its default when none was stored).
    auto filledIn = [&](uint8_t tag, const TFieldValue& read, const TFieldValue& filled) {
      if (read == filled) slide.fields.Remove(tag);
      else slide.fields.Set(tag, read);
    };
    if (project.MediaEmbedded) {
      TOutMedium m{names.Take(info.FileName, QString("slide%1").arg(i + 1))};
      if (info.DataSize > 0) m = {m.name, project.Position.ResourceOffsets[i], info.DataSize};
      x.media.push_back(m);
      slide.file = InFolder(folder, m.name);
      filledIn(pfFileName, info.FileName, m.name);
      filledIn(pfFormatCode, info.FormatCode, FormatFromExtension(m.name));
      filledIn(pfDataSize, info.DataSize, int32_t(m.length));
    }
    filledIn(pfResourceIndex, info.ResourceIndex, int32_t(i));
    x.document.slides.push_back(std::move(slide));
  }
}

// Copies each medium's region of the show into the folder, then writes the manifest.
TResult WriteExtraction(const TProjectInfo& project, const TExtraction& x, const QString& staging) {
  QFile show(project.ProgramPath());
  if (!show.open(QIODevice::ReadOnly)) return Failure("cannot read " + show.fileName() + ": " + show.errorString());
  for (const TOutMedium& m : x.media) {
    TAtomicFile out(InFolder(staging, m.name));
    if (TResult r = out.Open(); !r.Ok()) return r;
    if (!show.seek(m.start)) return Failure("cannot read " + show.fileName() + ": " + show.errorString());
    if (TResult r = out.Copy(show, m.length); !r.Ok()) return r;
    if (TResult r = out.Commit(); !r.Ok()) return r;
  }
  return {};
}

}  // namespace

TResult Extract(const QString& show, const QString& folder, TShowDocument* document) {
  QString error;
  const auto project = OpenShow(show, error);
  if (!project) return Failure(error);
  std::string headerText, slideList;
  if (!project->ReadHeaderText(headerText) || !project->ReadSlideListText(slideList))
    return Failure("cannot read the project of " + show);
  if (!QDir().mkpath(folder)) return Failure("cannot make the folder " + folder);
  const QString target = QDir::cleanPath(QDir(folder).absolutePath());

  TExtraction x;
  TMediumNames names;
  x.document.header = HeaderFieldsFromStored(headerText);
  ExtractMusic(*project, target, names, x);
  if (TResult r = ExtractDialog(*project, target, names, x); !r.Ok()) return r;
  ExtractSlides(*project, slideList, target, names, x);

  QTemporaryDir staging(InFolder(target, ".showforge-extract-XXXXXX"));
  if (!staging.isValid()) return Failure("cannot write into " + folder + ": " + staging.errorString());
  if (TResult r = WriteExtraction(*project, x, staging.path()); !r.Ok()) return r;
  if (TResult r = WriteFileAtomically(InFolder(staging.path(), "manifest.json"), ManifestText(x.document, target));
      !r.Ok())
    return r;
  // Every file is whole: they replace what the folder held under their names, the manifest last.
  QStringList moves;
  for (const TOutMedium& m : x.media) moves << m.name;
  moves << "manifest.json";
  for (const QString& name : moves)
    if (QFileInfo(InFolder(target, name)).isDir())
      return Failure("cannot write " + InFolder(target, name) + ": a folder of that name is in the way");
  for (const QString& name : moves) {
    const QByteArray from = InFolder(staging.path(), name).toLocal8Bit(), to = InFolder(target, name).toLocal8Bit();
    if (std::rename(from.constData(), to.constData()) != 0)
      return Failure("cannot write " + InFolder(target, name) + ": " + QString::fromLocal8Bit(strerror(errno)));
  }
  if (document) *document = std::move(x.document);
  return {};
}

// ---------------------------------------------------------------------------------------------
// Rehosting.

namespace {

// Whether the first n bytes of a and b are the same.
bool SameStart(QFile& a, QFile& b, int64_t n) {
  if (!a.seek(0) || !b.seek(0)) return false;
  std::vector<char> x(size_t(std::min<int64_t>(n, kCopyChunk))), y(x.size());
  for (int64_t left = n; left > 0;) {
    const int64_t want = std::min<int64_t>(left, int64_t(x.size()));
    if (a.read(x.data(), want) != want || b.read(y.data(), want) != want) return false;
    if (std::memcmp(x.data(), y.data(), size_t(want)) != 0) return false;
    left -= want;
  }
  return true;
}

}  // namespace

TResult RehostInto(const TProjectInfo& project, const QString& player, TAtomicFile& out, TRehostReport* report,
                   const TProgress& progress) {
  const TInfoPosition& old = project.Position;
  // The program image ends where the project's first region begins.
  int64_t start = old.SlideListStart;
  for (int32_t p : old.ResourceOffsets) start = std::min<int64_t>(start, p);
  for (int32_t p : old.MusicOffsets) start = std::min<int64_t>(start, p);

  QFile show(project.ProgramPath()), host(player);
  if (!show.open(QIODevice::ReadOnly)) return Failure("cannot read " + show.fileName() + ": " + show.errorString());
  if (!host.open(QIODevice::ReadOnly)) return Failure("cannot read " + player + ": " + host.errorString());
  const int64_t hostSize = host.size(), projectSize = int64_t(old.TableStart) - start;
  const int64_t shift = hostSize - start;
  if (hostSize + projectSize + kMaxTableText + kLengthFieldSize > INT32_MAX)
    return Failure("the show would be 2 GiB or larger, more than a project can address");
  TInfoPosition moved = old;
  for (int32_t& p : moved.ResourceOffsets) p = int32_t(p + shift);
  for (int32_t& p : moved.MusicOffsets) p = int32_t(p + shift);
  moved.SlideListStart = int32_t(moved.SlideListStart + shift);
  moved.HeaderStart = int32_t(moved.HeaderStart + shift);
  const std::string table = moved.TableText();
  if (table.size() > size_t(kMaxTableText))
    return Failure(QString("the moved offset table would be %1 bytes long, more than %2").arg(table.size()).arg(kMaxTableText));

  if (report) {
    report->shift = shift;
    report->ownPlayer = start == hostSize && SameStart(show, host, start);
  }
  TShowWriter w(out, projectSize, progress);
  if (!host.seek(0) || !show.seek(start)) return Failure("cannot read " + show.fileName() + ": " + show.errorString());
  w.Copy(host, hostSize, false);
  w.Copy(show, projectSize, true);
  w.Write(table + LengthFieldText(int32_t(table.size())));
  return w.Result();
}

TResult Rehost(const QString& show, const QString& player, const QString& output, TRehostReport* report,
               const TProgress& progress) {
  if (QString why = CheckPlayer(player, output); !why.isEmpty()) return Failure(why);
  QString error;
  const auto project = OpenShow(show, error);
  if (!project) return Failure(error);
  TAtomicFile out(output);
  if (TResult r = out.Open(); !r.Ok()) return r;
  if (TResult r = RehostInto(*project, player, out, report, progress); !r.Ok()) return r;
  out.SetPermissions(QFile::permissions(player) | QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
  return out.Commit();
}

}  // namespace sf
