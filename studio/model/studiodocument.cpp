#include "studio/model/studiodocument.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "authoring/manifest.h"
#include "authoring/showfile.h"
#include "container/picture.h"
#include "player/slidemath.h"
#include "studio/model/commands.h"

namespace sf {

// ---------------------------------------------------------------------------------------------
// Files by their names.

TFileRole FileRoleByName(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == "swf") return TFileRole::Movie;
  if (FormatFromExtension(path) != fcUnknown) return TFileRole::Picture;
  // The containers that carry video; the media player reads many more, but a file in a folder of
  // pictures is taken for a clip only when its name says so.
  static const std::set<QString> clips = {"avi", "mp4", "m4v", "mkv", "mov", "webm", "mpg",  "mpeg", "wmv",
                                          "flv", "ogv", "3gp", "ts",  "mts", "m2ts", "asf",  "vob",  "divx"};
  static const std::set<QString> sounds = {"mp3", "wav", "ogg", "oga", "flac", "m4a", "aac",
                                           "opus", "wma", "mka", "mid", "midi", "ac3"};
  if (clips.count(ext)) return TFileRole::Clip;
  if (sounds.count(ext)) return TFileRole::Sound;
  return TFileRole::Unknown;
}

TSortedFiles SortFiles(const QStringList& paths, const TLeftOut& leftOut) {
  TSortedFiles sorted;
  for (const QString& file : CollectFiles(paths, false, leftOut)) {
    const QString path = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    switch (FileRoleByName(file)) {
      case TFileRole::Unknown: leftOut(file, "not a picture, flash movie, video clip or sound by its name"); break;
      case TFileRole::Sound: sorted.sounds << path; break;
      case TFileRole::Picture:
        // ".scr" also names a picture format, and a show built beside its pictures would come back
        // as a slide that does not decode.
        if (QString why; QFileInfo(file).suffix().compare("scr", Qt::CaseInsensitive) == 0 && OpenShow(file, why)) {
          leftOut(file, "a show: it carries a project of its own (File > Open edits it)");
          break;
        }
        sorted.slides << path;
        break;
      default: sorted.slides << path; break;
    }
  }
  return sorted;
}

QString BackgroundList(const std::vector<int>& pictures) {
  QString list;
  for (int n : pictures) list += QString(" %1;").arg(n);
  return list;
}

// ---------------------------------------------------------------------------------------------
// The document.

namespace {

bool IsBackground(const TSlideEntry& e) { return e.fields.Bool(pfIsBackgroundPicture, false); }

// A slide entry for a file of the show, as `new` makes it; null facts for a movie that does not
// read (the reason goes to leftOut).
std::optional<TSlideEntry> EntryOf(const QString& path, const TNewShowOptions& options, const TLeftOut& leftOut) {
  TMediaFacts facts;
  switch (FileRoleByName(path)) {
    case TFileRole::Movie:
      facts = ExamineMovie(path);  // its length decides how long it plays
      if (!facts.error.isEmpty()) {
        leftOut(path, facts.error);
        return std::nullopt;
      }
      break;
    case TFileRole::Clip: facts.kind = TMediaFacts::Clip; break;
    default: facts.kind = TMediaFacts::Picture; break;
  }
  return NewSlideEntry(path, facts, options);
}

void ApplyChanges(TFieldSet& fields, const TFieldChanges& changes) {
  for (const auto& [tag, value] : changes) {
    if (value) fields.Set(tag, *value);
    else fields.Remove(tag);
  }
}

}  // namespace

TStudioDocument::TStudioDocument(QObject* parent) : QObject(parent) { undo_.setUndoLimit(500); }

void TStudioDocument::Reindex() {
  slideRecords_.clear();
  for (size_t r = 0; r < show_.slides.size(); ++r)
    if (!IsBackground(show_.slides[r])) slideRecords_.push_back(int(r));
}

std::vector<int> TStudioDocument::BackgroundRecords() const {
  std::vector<int> pool;
  for (size_t r = 0; r < show_.slides.size(); ++r)
    if (IsBackground(show_.slides[r])) pool.push_back(int(r));
  return pool;
}

QList<int> TStudioDocument::Valid(QList<int> slides) const {
  std::sort(slides.begin(), slides.end());
  slides.erase(std::unique(slides.begin(), slides.end()), slides.end());
  slides.removeIf([this](int s) { return s < 0 || s >= SlideCount(); });
  return slides;
}

void TStudioDocument::Reset(TShowDocument show, const QString& path) {
  emit StructureAboutToChange();
  show_ = std::move(show);
  path_ = path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  undo_.clear();
  Reindex();
  emit StructureChanged(SlideCount() ? QList<int>{0} : QList<int>{});
  emit HeaderChanged();
  emit PathChanged(path_);
}

void TStudioDocument::NewShow(const QStringList& paths, const TLeftOut& leftOut) {
  TShowDocument show;
  TNewShowOptions options;
  if (!paths.isEmpty()) {
    const QFileInfo first(DiskPath(paths.front()));
    options.name = StoredFileName((first.isDir() ? QDir(first.absoluteFilePath()).dirName() : first.completeBaseName()) +
                                  ".scr");
  } else {
    options.name = "Untitled.scr";
  }
  const TSortedFiles files = SortFiles(paths, leftOut);
  for (const QString& path : files.slides)
    if (auto entry = EntryOf(path, options, leftOut)) show.slides.push_back(std::move(*entry));
  show.music = files.sounds;
  SetNewShowHeader(show.header, options, true);
  Reset(std::move(show), {});
}

TResult TStudioDocument::OpenManifest(const QString& path) {
  TShowDocument show;
  if (TResult r = ReadManifest(path, show); !r.Ok()) return r;
  Reset(std::move(show), path);
  return {};
}

TResult TStudioDocument::OpenShowFile(const QString& show, const QString& folder) {
  TShowDocument doc;
  if (TResult r = Extract(show, folder, &doc); !r.Ok()) return r;
  Reset(std::move(doc), InFolder(QDir::cleanPath(QDir(folder).absolutePath()), "manifest.json"));
  return {};
}

TResult TStudioDocument::Save() {
  if (path_.isEmpty()) return Failure("the show has no manifest yet: save it as a file first");
  if (TResult r = WriteManifest(show_, path_); !r.Ok()) return r;
  undo_.setClean();
  return {};
}

TResult TStudioDocument::SaveAs(const QString& path) {
  const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  if (TResult r = WriteManifest(show_, absolute); !r.Ok()) return r;
  path_ = absolute;
  undo_.setClean();
  emit PathChanged(path_);
  return {};
}

// ---------------------------------------------------------------------------------------------
// What the commands apply.

void TStudioDocument::ApplyInsert(const std::vector<int>& records, const std::vector<TSlideEntry>& entries) {
  emit StructureAboutToChange();
  for (size_t i = 0; i < records.size(); ++i)
    show_.slides.insert(show_.slides.begin() + records[i], entries[i]);
  Reindex();
}

void TStudioDocument::ApplyRemove(const std::vector<int>& records) {
  emit StructureAboutToChange();
  for (auto it = records.rbegin(); it != records.rend(); ++it) show_.slides.erase(show_.slides.begin() + *it);
  Reindex();
}

void TStudioDocument::ApplyOrder(const std::vector<int>& order) {
  emit StructureAboutToChange();
  std::vector<TSlideEntry> ordered;
  ordered.reserve(order.size());
  for (int r : order) ordered.push_back(std::move(show_.slides[size_t(r)]));
  show_.slides = std::move(ordered);
  Reindex();
}

void TStudioDocument::ApplyReplace(const std::vector<int>& records, const std::vector<TSlideEntry>& entries) {
  for (size_t i = 0; i < records.size(); ++i) show_.slides[size_t(records[i])] = entries[i];
  QList<int> slides;
  for (int r : records) {
    auto it = std::lower_bound(slideRecords_.begin(), slideRecords_.end(), r);
    if (it != slideRecords_.end() && *it == r) slides << int(it - slideRecords_.begin());
  }
  if (!slides.isEmpty()) emit SlidesChanged(slides);
}

void TStudioDocument::ApplyHeader(const THeaderPart& part) {
  show_.header = part.header;
  show_.music = part.music;
  show_.dialogPicture = part.dialogPicture;
  emit HeaderChanged();
}

void TStudioDocument::TellSelection(const std::vector<int>& records) {
  QList<int> select;
  for (int r : records) {
    auto it = std::lower_bound(slideRecords_.begin(), slideRecords_.end(), r);
    if (it != slideRecords_.end()) select << int(it - slideRecords_.begin());
  }
  select.erase(std::unique(select.begin(), select.end()), select.end());
  emit StructureChanged(select);
}

// ---------------------------------------------------------------------------------------------
// The edits.

void TStudioDocument::ReplaceRecords(const std::vector<int>& records, const std::vector<TSlideEntry>& after,
                                     const QString& what, int mergeId) {
  std::vector<int> changed;
  std::vector<TSlideEntry> before, now;
  for (size_t i = 0; i < records.size(); ++i) {
    const TSlideEntry& old = show_.slides[size_t(records[i])];
    if (old == after[i]) continue;
    changed.push_back(records[i]);
    before.push_back(old);
    now.push_back(after[i]);
  }
  if (changed.empty()) return;
  undo_.push(new TReplaceRecordsCommand(*this, changed, before, now, mergeId, what));
}

void TStudioDocument::DropResourceIndices() {
  std::vector<int> records;
  std::vector<TSlideEntry> after;
  for (size_t r = 0; r < show_.slides.size(); ++r) {
    if (!show_.slides[r].fields.Has(pfResourceIndex)) continue;
    records.push_back(int(r));
    after.push_back(show_.slides[r]);
    after.back().fields.Remove(pfResourceIndex);
  }
  ReplaceRecords(records, after, "Renumber the slides' data", 0);
}

void TStudioDocument::PruneBackgrounds() {
  const std::vector<int> pool = BackgroundRecords();
  std::vector<int> number(pool.size(), -1);  // pool picture n's number after the pruning
  int kept = 0;
  for (size_t n = 0; n < pool.size(); ++n) {
    for (int r : slideRecords_)
      if (ListsBackground(show_.slides[size_t(r)].fields.Text(pfBackgroundPictureList), int(n))) {
        number[n] = kept++;
        break;
      }
  }
  if (kept == int(pool.size())) return;
  DropResourceIndices();
  std::vector<int> records;
  std::vector<TSlideEntry> after;
  for (int r : slideRecords_) {
    const TSlideEntry& e = show_.slides[size_t(r)];
    if (!e.fields.Has(pfBackgroundPictureList)) continue;
    const QString list = e.fields.Text(pfBackgroundPictureList);
    std::vector<int> listed;
    bool moves = false;
    for (size_t n = 0; n < pool.size(); ++n)
      if (ListsBackground(list, int(n))) {
        listed.push_back(number[n]);
        moves |= number[n] != int(n);
      }
    if (!moves) continue;
    records.push_back(r);
    after.push_back(e);
    after.back().fields.Set(pfBackgroundPictureList, BackgroundList(listed));
  }
  ReplaceRecords(records, after, "Renumber the background pictures", 0);
  std::vector<int> gone;
  std::vector<TSlideEntry> entries;
  for (size_t n = 0; n < pool.size(); ++n)
    if (number[n] < 0) {
      gone.push_back(pool[n]);
      entries.push_back(show_.slides[size_t(pool[n])]);
    }
  undo_.push(new TInsertRecordsCommand(*this, gone, entries, false, "Remove unused background pictures"));
}

QList<int> TStudioDocument::AddFiles(int before, const QStringList& paths, const TLeftOut& leftOut) {
  const TSortedFiles files = SortFiles(paths, leftOut);
  TNewShowOptions options;
  options.seconds = show_.header.Int(hfDisplaySeconds, TProjectHeader().DisplaySeconds);
  std::vector<TSlideEntry> entries;
  for (const QString& path : files.slides)
    if (auto entry = EntryOf(path, options, leftOut)) entries.push_back(std::move(*entry));
  if (entries.empty() && files.sounds.isEmpty()) return {};

  // The new slides stand before slide `before`, or after the last slide.
  int at = 0;
  if (before >= 0 && before < SlideCount()) at = RecordOfSlide(before);
  else if (SlideCount() > 0) at = RecordOfSlide(SlideCount() - 1) + 1;
  const int firstSlide = before >= 0 && before < SlideCount() ? before : SlideCount();

  undo_.beginMacro(entries.empty() ? "Add music" : QString("Add %1 slides").arg(entries.size()));
  if (!entries.empty()) {
    if (at < int(show_.slides.size())) DropResourceIndices();
    std::vector<int> records(entries.size());
    for (size_t i = 0; i < records.size(); ++i) records[i] = at + int(i);
    undo_.push(new TInsertRecordsCommand(*this, records, entries, true, "Add slides"));
  }
  if (!files.sounds.isEmpty()) SetMusic(show_.music + files.sounds, "Add music");
  undo_.endMacro();

  QList<int> added;
  for (size_t i = 0; i < entries.size(); ++i) added << firstSlide + int(i);
  return added;
}

QList<int> TStudioDocument::RemoveSlides(QList<int> slides) {
  slides = Valid(slides);
  if (slides.isEmpty()) return {};
  undo_.beginMacro(slides.size() == 1 ? QString("Delete slide") : QString("Delete %1 slides").arg(slides.size()));
  DropResourceIndices();
  std::vector<int> records;
  std::vector<TSlideEntry> entries;
  for (int s : slides) {
    records.push_back(RecordOfSlide(s));
    entries.push_back(Slide(s));
  }
  undo_.push(new TInsertRecordsCommand(*this, records, entries, false, "Delete slides"));
  PruneBackgrounds();
  undo_.endMacro();
  return SlideCount() ? QList<int>{std::min(slides.front(), SlideCount() - 1)} : QList<int>{};
}

QList<int> TStudioDocument::DuplicateSlides(QList<int> slides) {
  slides = Valid(slides);
  if (slides.isEmpty()) return {};
  const int at = RecordOfSlide(slides.back()) + 1;
  std::vector<int> records;
  std::vector<TSlideEntry> entries;
  for (int s : slides) {
    records.push_back(at + int(entries.size()));
    entries.push_back(Slide(s));
    entries.back().fields.Remove(pfResourceIndex);
  }
  undo_.beginMacro(slides.size() == 1 ? QString("Duplicate slide") : QString("Duplicate %1 slides").arg(slides.size()));
  if (at < int(show_.slides.size())) DropResourceIndices();
  undo_.push(new TInsertRecordsCommand(*this, records, entries, true, "Duplicate slides"));
  undo_.endMacro();
  QList<int> copies;
  for (qsizetype i = 0; i < slides.size(); ++i) copies << slides.back() + 1 + int(i);
  return copies;
}

TShowDocument TStudioDocument::ShowFromSlide(int first) const {
  if (first <= 0 || first >= SlideCount()) return show_;
  TStudioDocument copy;
  copy.Reset(show_, path_);
  QList<int> before;
  for (int s = 0; s < first; ++s) before << s;
  copy.MoveSlides(before, copy.SlideCount());
  return copy.Show();
}

QList<int> TStudioDocument::MoveSlides(QList<int> slides, int before) {
  slides = Valid(slides);
  if (slides.isEmpty()) return {};
  std::set<int> moving;
  for (int s : slides) moving.insert(RecordOfSlide(s));
  // The records that stay, and where among them the moved ones go: before the first slide from
  // `before` on that stays, else after the last slide that stays.
  std::vector<int> stay;
  for (int r = 0; r < int(show_.slides.size()); ++r)
    if (!moving.count(r)) stay.push_back(r);
  int anchor = -1;
  for (int s = std::max(before, 0); s < SlideCount() && anchor < 0; ++s)
    if (!moving.count(RecordOfSlide(s))) anchor = RecordOfSlide(s);
  size_t place = 0;
  if (anchor >= 0) {
    place = size_t(std::find(stay.begin(), stay.end(), anchor) - stay.begin());
  } else {
    for (size_t i = 0; i < stay.size(); ++i)
      if (!IsBackground(show_.slides[size_t(stay[i])])) place = i + 1;
  }
  std::vector<int> order(stay.begin(), stay.begin() + std::ptrdiff_t(place));
  std::vector<int> select;
  for (int r : moving) {
    select.push_back(int(order.size()));
    order.push_back(r);
  }
  order.insert(order.end(), stay.begin() + std::ptrdiff_t(place), stay.end());
  bool same = true;
  for (size_t i = 0; i < order.size(); ++i) same &= order[i] == int(i);
  if (same) return slides;

  undo_.beginMacro(slides.size() == 1 ? QString("Move slide") : QString("Move %1 slides").arg(slides.size()));
  DropResourceIndices();
  undo_.push(new TOrderRecordsCommand(*this, order, select, "Move slides"));
  undo_.endMacro();
  QList<int> moved;
  for (int r : select) moved << int(std::lower_bound(slideRecords_.begin(), slideRecords_.end(), r) - slideRecords_.begin());
  return moved;
}

namespace {

// Why one of the values cannot be its field's, as "Caption: is ... long"; empty when all can.
template <typename Check, typename Name>
QString Refusal(const TFieldChanges& changes, Check check, Name name) {
  for (const auto& [tag, value] : changes)
    if (value)
      if (QString why = check(tag, *value); !why.isEmpty()) return FieldMessage(name(tag), why);
  return {};
}

QString SlideFieldName(uint8_t tag) { return SlideFieldPath(0, tag).section('.', 1, -1); }

}  // namespace

QString TStudioDocument::SetSlideFields(const QList<int>& slides, const TFieldChanges& changes, const QString& what,
                                        int mergeId) {
  if (QString why = Refusal(changes, CheckSlideValue, SlideFieldName); !why.isEmpty()) return why;
  std::vector<int> records;
  std::vector<TSlideEntry> after;
  for (int s : Valid(slides)) {
    records.push_back(RecordOfSlide(s));
    after.push_back(Slide(s));
    ApplyChanges(after.back().fields, changes);
  }
  ReplaceRecords(records, after, what, mergeId);
  return {};
}

void TStudioDocument::SetBackgroundPicture(const QList<int>& slides, const QString& file, int layout,
                                           std::optional<int> tiles) {
  if (Valid(slides).isEmpty() || file.isEmpty()) return;
  const QString path = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
  const std::vector<int> pool = BackgroundRecords();
  int n = -1;
  for (size_t i = 0; i < pool.size() && n < 0; ++i)
    if (show_.slides[size_t(pool[i])].file == path) n = int(i);
  undo_.beginMacro("Background picture");
  if (n < 0) {
    TSlideEntry picture;
    picture.file = path;
    picture.fields.Set(pfIsBackgroundPicture, true);
    n = int(pool.size());
    undo_.push(new TInsertRecordsCommand(*this, {int(show_.slides.size())}, {picture}, true, "Add background picture"));
  }
  TFieldChanges changes;
  changes.emplace_back(pfBackgroundKinds, QString("1;"));
  changes.emplace_back(pfBackgroundPictureSources, QString("2;"));
  changes.emplace_back(pfBackgroundPictureList, BackgroundList({n}));
  changes.emplace_back(pfBackgroundPictureLayout, int32_t(layout));
  if (layout == 2) {
    changes.emplace_back(pfRandomTileCount, !tiles.has_value());
    if (tiles) changes.emplace_back(pfTileCount, TFieldValue(int32_t(*tiles)));
    else changes.emplace_back(pfTileCount, std::nullopt);
  }
  (void)SetSlideFields(slides, changes, "Background picture");
  PruneBackgrounds();
  undo_.endMacro();
}

QString TStudioDocument::SetHeaderFields(const TFieldChanges& changes, const QString& what, int mergeId) {
  if (QString why = Refusal(changes, CheckHeaderValue, [](uint8_t tag) { return HeaderFieldPath(tag).section('.', 1, -1); });
      !why.isEmpty())
    return why;
  THeaderPart after = HeaderPart();
  ApplyChanges(after.header, changes);
  if (after != HeaderPart()) undo_.push(new THeaderCommand(*this, HeaderPart(), after, mergeId, what));
  return {};
}

void TStudioDocument::SetMusic(const QStringList& music, const QString& what) {
  THeaderPart after = HeaderPart();
  after.music = music;
  // Packing names the tracks after their files; names a project cannot hold are given.
  QStringList names;
  bool named = false;
  for (const QString& m : music) {
    names << StoredFileName(m);
    named |= names.back() != QFileInfo(m).fileName();
  }
  if (named) after.header.Set(hfMusicFiles, names);
  else after.header.Remove(hfMusicFiles);
  if (after == HeaderPart()) return;
  undo_.push(new THeaderCommand(*this, HeaderPart(), after, 0, what));
}

void TStudioDocument::SetDialogPicture(const QString& file) {
  THeaderPart after = HeaderPart();
  after.dialogPicture = file.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(file).absoluteFilePath());
  after.header.Remove(hfDialogPicture);  // named after its file when packed
  after.header.Set(hfShowDialogPicture, !file.isEmpty());
  if (after == HeaderPart()) return;
  undo_.push(new THeaderCommand(*this, HeaderPart(), after, 0, "Dialog picture"));
}

}  // namespace sf
