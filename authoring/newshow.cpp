#include "authoring/newshow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <set>

#include "authoring/showfile.h"
#include "container/picture.h"
#include "container/projectinfo.h"
#include "platform/mediaplayer.h"
#include "swf/movie.h"

namespace sf {

// ---------------------------------------------------------------------------------------------
// Natural order.

namespace {

bool IsDigit(QChar c) { return c >= '0' && c <= '9'; }

// The run of digits or of other characters that starts at i.
QStringView Run(const QString& s, qsizetype i) {
  qsizetype j = i;
  const bool digits = IsDigit(s[i]);
  while (j < s.size() && IsDigit(s[j]) == digits) ++j;
  return QStringView(s).mid(i, j - i);
}

// Two runs of digits by value: without their leading zeros, the longer is larger, else the first
// digit that differs decides.
int CompareNumbers(QStringView a, QStringView b) {
  auto strip = [](QStringView v) {
    qsizetype z = 0;
    while (z + 1 < v.size() && v[z] == '0') ++z;
    return v.mid(z);
  };
  const QStringView x = strip(a), y = strip(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y);
}

}  // namespace

bool NaturalLess(const QString& a, const QString& b) {
  int tie = 0;  // the first difference that the natural comparison passes over
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const QStringView x = Run(a, i), y = Run(b, j);
    const bool xd = IsDigit(x[0]), yd = IsDigit(y[0]);
    int c;
    if (xd && yd) {
      c = CompareNumbers(x, y);
      if (!tie && x.size() != y.size()) tie = x.size() < y.size() ? -1 : 1;  // fewer leading zeros first
    } else {
      c = xd != yd ? (xd ? -1 : 1) : x.compare(y, Qt::CaseInsensitive);
      if (!tie) tie = x.compare(y, Qt::CaseSensitive);
    }
    if (c) return c < 0;
    i += x.size();
    j += y.size();
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();  // a prefix first
  return tie < 0;
}

// ---------------------------------------------------------------------------------------------
// Looking at files.

TMediaFacts ExamineMovie(const QString& path) {
  TMediaFacts f;
  f.kind = TMediaFacts::Movie;
  try {
    const auto movie = swf::TSwfMovie::LoadFile(path);
    f.width = movie->StageSize().width();
    f.height = movie->StageSize().height();
    f.frameRate = movie->frameRate;
    f.frames = movie->FrameCount();
    if (f.frames <= 0) f.error = "the movie has no frames";
  } catch (const std::exception& e) {  // the reader's reason, or no memory for the movie
    f.error = QString::fromStdString(e.what());
  }
  return f;
}

TMediaFacts ExamineClip(const QString& path) {
  TMediaFacts f;
  f.kind = TMediaFacts::Clip;
  TMediaPlayer player(TMediaPlayer::TUse::Probe);
  player.FileName = path;
  if (!player.Open()) {
    f.kind = TMediaFacts::Unknown;
    f.error = player.LastError();
    return f;
  }
  f.sound = player.HasSound();
  f.width = player.VideoSize().width();
  f.height = player.VideoSize().height();
  f.lengthMs = player.Length();
  if (f.width <= 0 || f.height <= 0) {
    f.kind = TMediaFacts::Sound;
    if (!f.sound) f.error = "the media player finds neither pictures nor sound in it";
  } else if (f.lengthMs <= 0) {
    // The media player shows still pictures in formats that have no decoder of ours; a slide
    // would show them as a clip that ends at once.
    f.error = "a still picture in a format the show does not read";
  }
  return f;
}

namespace {

TMediaFacts ExaminePicture(const QString& path, int32_t code) {
  TMediaFacts f;
  f.kind = TMediaFacts::Picture;
  f.formatCode = code;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    f.error = "cannot read it: " + file.errorString();
    return f;
  }
  // As the player loads a slide: the file's bytes by the code its extension gives.
  QImage bitmap;
  try {
    LoadPictureStream(file.readAll(), bitmap, code);
  } catch (const std::exception& e) {  // the decoder's reason, or no memory for the picture
    f.error = QString::fromStdString(e.what());
    return f;
  }
  if (bitmap.isNull()) f.error = QString("no decoder reads format %1").arg(code);
  f.width = bitmap.width();
  f.height = bitmap.height();
  return f;
}

bool IsMovieName(const QString& path) { return path.endsWith(".swf", Qt::CaseInsensitive); }

}  // namespace

TMediaFacts ExamineMedia(const QString& path) {
  if (IsMovieName(path)) return ExamineMovie(path);
  if (const int32_t code = FormatFromExtension(path); code != fcUnknown) return ExaminePicture(path, code);
  TMediaFacts f = ExamineClip(path);
  if (f.kind == TMediaFacts::Unknown) f.error = "not a picture, clip or movie that the show can play (" + f.error + ")";
  return f;
}

// ---------------------------------------------------------------------------------------------
// Collecting files.

namespace {

// A CUT picture's palette lies beside it under the same name: it is part of the picture.
bool IsCutPalette(const QFileInfo& file, const QStringList& names) {
  if (file.suffix().compare("pal", Qt::CaseInsensitive) != 0) return false;
  const QString base = file.completeBaseName() + ".cut";
  for (const QString& n : names)
    if (n.compare(base, Qt::CaseInsensitive) == 0) return true;
  return false;
}

void CollectFolder(const QString& folder, bool recursive, std::set<QString>& visited, QStringList& files) {
  // A folder met again through a link is not walked twice (nor for ever).
  if (!visited.insert(QFileInfo(folder).canonicalFilePath()).second) return;
  QStringList names = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(names.begin(), names.end(), NaturalLess);
  for (const QString& name : names) {
    const QFileInfo info(InFolder(folder, name));
    if (info.isDir()) {
      if (recursive) CollectFolder(info.filePath(), recursive, visited, files);
    } else if (!IsCutPalette(info, names)) {
      files << info.filePath();
    }
  }
}

}  // namespace

QStringList CollectFiles(const QStringList& paths, bool recursive, const TLeftOut& leftOut) {
  QStringList files;
  std::set<QString> visited;
  for (const QString& given : paths) {
    const QString path = DiskPath(given);
    const QFileInfo info(path);
    if (info.isDir()) CollectFolder(path, recursive, visited, files);
    else if (info.isFile()) files << path;
    else leftOut(given, "no such file or folder");
  }
  return files;
}

// ---------------------------------------------------------------------------------------------
// The show.

namespace {

// Keeps the characters of text that a slide record can store, the others replaced.
QString Storable(const QString& text, const QString& replacement) {
  QString out;
  for (QChar c : text) {
    const QString one(c);
    out += CheckStorableText(one, 0, true).isEmpty() ? one : replacement;
  }
  return out;
}

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBottomCentre = 3;

}  // namespace

TSlideEntry NewSlideEntry(const QString& path, const TMediaFacts& facts, const TNewShowOptions& o) {
  TSlideEntry slide;
  slide.file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  TFieldSet& f = slide.fields;
  if (const QString name = StoredFileName(path); name != QFileInfo(path).fileName()) f.Set(pfFileName, name);
  // A black screen around the picture, and no text block (its default is a web address).
  f.Set(pfBackgroundKinds, QString("0;"));
  f.Set(pfRandomBackgroundColor, false);
  f.Set(pfSolidColor, int32_t(0));
  f.Set(pfShowText, false);
  f.Set(pfShowCaption, o.captionFromName);
  if (o.captionFromName) {
    f.Set(pfCaption, CaptionFromName(path));
    f.Set(pfCaptionPosition, kBottomCentre);
    f.Set(FontPartTag(pfCaptionFont, TFieldKind::FontColor), kWhite);  // the palette has black too
  }
  if (!o.effectList.isEmpty()) f.Set(pfEffectList, o.effectList);
  f.Set(pfRandomEffect, o.randomEffect);
  if (o.speed > 0) f.Set(pfEffectSpeed, o.speed);
  if (facts.kind == TMediaFacts::Clip) {
    f.Set(pfSlideKind, int32_t(2));
    f.Set(pfMusicDuringSlide, false);  // the clip has its own sound
  } else if (facts.kind == TMediaFacts::Movie) {
    // A movie plays once through, or for the display time when it is shorter: a movie that
    // loops or stops would otherwise hold the show for ever.
    const double once = facts.frameRate > 0 ? std::ceil(facts.frames / facts.frameRate) : 0;
    f.Set(pfSlideKind, int32_t(1));
    f.Set(pfFlashEndMode, int32_t(1));
    f.Set(pfFlashEndSeconds, int32_t(std::clamp<double>(once, o.seconds, 24 * 3600)));
  }
  return slide;
}

QString StoredFileName(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (CheckStorableText(name, 255, true).isEmpty()) return name;
  QString stored = Storable(name, "_");
  if (stored.size() > 255) {
    const QString ext = ExtractFileExt(stored).left(32);
    stored = stored.left(255 - ext.size()) + ext;
  }
  return stored;
}

QString CaptionFromName(const QString& path) {
  QString caption = QFileInfo(path).completeBaseName();
  caption.replace('_', ' ');
  return Storable(caption, QString()).trimmed().left(100);
}

TResult NewShowDocument(const QStringList& inputs, const QStringList& music, const TNewShowOptions& options,
                        const TLeftOut& leftOut, TShowDocument& document) {
  if (QString why = CheckHeaderValue(hfProjectName, options.name); !why.isEmpty())
    return Failure(FieldMessage("the name " + options.name, why));
  TShowDocument doc;
  // Making a show again into the folder of its pictures finds the last one among them.
  const QString output = options.output.isEmpty() ? QString() : QFileInfo(options.output).canonicalFilePath();
  // One input at a time, so that what is left out is told in the order of the files.
  for (const QString& input : inputs) {
    for (const QString& path : CollectFiles({input}, options.recursive, leftOut)) {
      if (!output.isEmpty() && QFileInfo(path).canonicalFilePath() == output) continue;
      const TMediaFacts facts = ExamineMedia(path);
      QString unused;
      if (facts.kind == TMediaFacts::Sound)
        leftOut(path, "a sound without pictures: it can only be music");
      else if (!facts.error.isEmpty() && OpenShow(path, unused))
        leftOut(path, "a show: it carries a project of its own");  // ".scr" is also a picture's extension
      else if (!facts.error.isEmpty())
        leftOut(path, facts.error);
      else
        doc.slides.push_back(NewSlideEntry(path, facts, options));
    }
  }
  QStringList names;
  for (const QString& path : CollectFiles(music, options.recursive, leftOut)) {
    const TMediaFacts facts = ExamineClip(path);
    if (!facts.sound) {
      leftOut(path, facts.kind == TMediaFacts::Unknown ? facts.error : "it has no sound");
      continue;
    }
    doc.music << QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    names << StoredFileName(path);
  }
  if (doc.slides.empty()) return Failure("none of the files given is a picture, clip or movie that the show can play");

  TFieldSet& h = doc.header;
  SetNewShowHeader(h, options, !doc.music.isEmpty());
  // Packing names the tracks after their files; names a project cannot hold are given here.
  for (qsizetype j = 0; j < names.size(); ++j)
    if (names[j] != QFileInfo(doc.music[j]).fileName()) h.Set(hfMusicFiles, names);
  document = std::move(doc);
  return {};
}

void SetNewShowHeader(TFieldSet& h, const TNewShowOptions& options, bool music) {
  h.Set(hfProjectName, options.name);
  h.Set(hfDisplaySeconds, options.seconds);
  h.Set(hfRandomOrder, false);
  h.Set(hfRandomPosition, false);  // centred
  h.Set(hfFitMode, int32_t(1));    // shrunk to fit the screen
  if (music) {
    h.Set(hfLoopMusic, true);
    h.Set(hfRandomMusic, false);
    h.Set(hfMusicPauseTicks, int32_t(1));  // a breath between tracks, not the default five seconds
  }
}

}  // namespace sf
