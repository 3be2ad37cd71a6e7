// The show an author edits in the studio: the manifest's document, where it is saved, and the
// undo stack of every edit. Edits are operations on slide numbers (no selection): each is one
// step on the undo stack, made of the few commands in commands.h, and every view learns of it
// through the signals below. Nothing here needs a window.
//
// Records and slides: the document's records are its slides and, among them, the background
// pictures (records flagged IsBackgroundPicture, which the show never shows as slides). The
// slide numbers the edits take count only the slides, in record order.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>
#include <optional>
#include <utility>
#include <vector>

#include "authoring/document.h"
#include "authoring/newshow.h"
#include "authoring/result.h"

namespace sf {

// The header's part of a document: its fields, the music and the dialog picture.
struct THeaderPart {
  TFieldSet header;
  QStringList music;
  QString dialogPicture;

  bool operator==(const THeaderPart&) const = default;
};

// Fields to give (a value) or to take away (no value, so the player's default holds).
using TFieldChanges = std::vector<std::pair<uint8_t, std::optional<TFieldValue>>>;

// What a file dropped or given is to a show, told by its name alone: a picture by the decoder its
// extension names, a flash movie, a video clip, a sound for the music; Unknown for anything else.
enum class TFileRole { Unknown, Picture, Movie, Clip, Sound };
TFileRole FileRoleByName(const QString& path);

// The files that paths name, sorted into what a show takes: slides (pictures, movies and clips,
// in the order CollectFiles gives) and sounds for the music; every other file goes to leftOut.
struct TSortedFiles {
  QStringList slides, sounds;
};
TSortedFiles SortFiles(const QStringList& paths, const TLeftOut& leftOut);

class TStudioDocument : public QObject {
  Q_OBJECT

 public:
  explicit TStudioDocument(QObject* parent = nullptr);

  const TShowDocument& Show() const { return show_; }
  QUndoStack& UndoStack() { return undo_; }
  // The manifest the show is saved in; empty while it has none.
  const QString& Path() const { return path_; }
  bool Modified() const { return !undo_.isClean(); }

  // Replaces the whole show (the undo stack starts anew); `path` is its manifest, empty for a
  // show not saved yet.
  void Reset(TShowDocument show, const QString& path);
  // A new show: the given pictures, movies and clips as its slides, the sounds as its music,
  // with the settings of `showforge-tool new`; named after the first folder or file given.
  // Nothing is examined here: what does not decode is told by the thumbnails.
  void NewShow(const QStringList& paths, const TLeftOut& leftOut);
  // Opens a manifest; a manifest that does not read changes nothing and says where it is wrong.
  TResult OpenManifest(const QString& path);
  // Opens the project at the end of a show file: its media and a manifest.json are written into
  // `folder` (as extract does) and the manifest is opened from there.
  TResult OpenShowFile(const QString& show, const QString& folder);
  // Writes the manifest, its paths relative to it, whole or not at all. SaveAs makes `path` the
  // show's manifest from then on.
  TResult Save();
  TResult SaveAs(const QString& path);

  // The slides: their count, the record each is, and its entry.
  int SlideCount() const { return int(slideRecords_.size()); }
  int RecordOfSlide(int slide) const { return slideRecords_[size_t(slide)]; }
  const TSlideEntry& Slide(int slide) const { return show_.slides[size_t(RecordOfSlide(slide))]; }
  // The background pictures, in the order a slide's BackgroundPictureList numbers them.
  std::vector<int> BackgroundRecords() const;

  // The edits. Slide numbers out of range are passed over; an edit that changes nothing puts
  // nothing on the undo stack. Each returns the slides it leaves selected.
  //
  // Files as new slides before slide `before` (the end when out of range); the sounds among them
  // go to the end of the music. What the show cannot take goes to leftOut.
  QList<int> AddFiles(int before, const QStringList& paths, const TLeftOut& leftOut);
  QList<int> RemoveSlides(QList<int> slides);
  // Copies of the slides, each right after the last of them.
  QList<int> DuplicateSlides(QList<int> slides);
  // The slides, in their order, moved before slide `before` (counted before the move; the end
  // when out of range).
  QList<int> MoveSlides(QList<int> slides, int before);
  // Gives or takes away fields of every slide listed. Edits with the same non-zero mergeId that
  // follow each other on the same slides become one step (typing a caption). A value that its
  // field cannot take changes nothing and comes back as the reason ("Caption: is 120 characters
  // long, ..."); empty when the edit was made.
  QString SetSlideFields(const QList<int>& slides, const TFieldChanges& changes, const QString& what, int mergeId = 0);
  // The slides' background: the picture file, drawn with the layout (0 stretched, 1 centred,
  // 2 tiled) and, for tiles, the count of tiles across (none: the player's random one). The
  // picture joins the show's background pictures unless it is one already; a background picture
  // that no slide names any more leaves the show.
  void SetBackgroundPicture(const QList<int>& slides, const QString& file, int layout, std::optional<int> tiles);
  QString SetHeaderFields(const TFieldChanges& changes, const QString& what, int mergeId = 0);
  void SetMusic(const QStringList& music, const QString& what);
  void SetDialogPicture(const QString& file);

  // The show as it plays from slide `first` on: the slides before it moved after the last, as
  // MoveSlides moves them (background pictures and each slide's data stay its own). The show
  // itself is not changed.
  TShowDocument ShowFromSlide(int first) const;

  // What the commands apply (commands.cpp); each tells the views.
  void ApplyInsert(const std::vector<int>& records, const std::vector<TSlideEntry>& entries);
  void ApplyRemove(const std::vector<int>& records);
  void ApplyOrder(const std::vector<int>& order);
  void ApplyReplace(const std::vector<int>& records, const std::vector<TSlideEntry>& entries);
  void ApplyHeader(const THeaderPart& part);
  THeaderPart HeaderPart() const { return {show_.header, show_.music, show_.dialogPicture}; }
  // After a structural command is done or undone: the slides it leaves selected.
  void TellSelection(const std::vector<int>& records);

 signals:
  // The records are about to be added, taken away, moved or replaced as a whole.
  void StructureAboutToChange();
  // The slides were replaced, added, taken away or moved; `select` are the slides to select.
  void StructureChanged(const QList<int>& select);
  // Fields of these slides changed.
  void SlidesChanged(const QList<int>& slides);
  // The header, the music or the dialog picture changed.
  void HeaderChanged();
  // The show was replaced or saved elsewhere.
  void PathChanged(const QString& path);

 private:
  void Reindex();
  QList<int> Valid(QList<int> slides) const;
  // Takes away every ResourceIndex a record gives: after the records move, a slide's data is the
  // one its file gives, at its new place.
  void DropResourceIndices();
  void ReplaceRecords(const std::vector<int>& records, const std::vector<TSlideEntry>& after, const QString& what,
                      int mergeId);
  // Takes away the background pictures no slide names, the lists renumbered.
  void PruneBackgrounds();

  TShowDocument show_;
  QString path_;
  QUndoStack undo_;
  std::vector<int> slideRecords_;
};

// The background picture list (" 0; 3;") that names exactly the pool pictures given.
QString BackgroundList(const std::vector<int>& pictures);

}  // namespace sf
