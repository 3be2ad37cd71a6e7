// The studio's main window: the slide list on the left, the properties of the selected slides
// and of the show on the right, menus, tool bar and status bar. It keeps to the model: every
// command is an operation of the document, a build is a TBuildTask.
#pragma once

#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QSplitter>
#include <QComboBox>
#include <QTimer>
#include <memory>

#include "studio/model/buildtask.h"
#include "studio/model/slidelistmodel.h"
#include "studio/model/studiodocument.h"
#include "studio/model/thumbnails.h"

namespace sf {

class TSlidePanel;
class TShowPanel;

class TStudioWindow : public QMainWindow {
  Q_OBJECT

 public:
  TStudioWindow();
  ~TStudioWindow() override;

  // Opens what the command line names: a manifest, a show file, or pictures and folders for a
  // new show.
  void OpenArguments(const QStringList& arguments);
  TStudioDocument& Document() { return doc_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeActions();
  void UpdateTitle();
  // Asks what to do with unsaved changes; false when the user cancels.
  bool MaybeSave();
  bool Save();
  bool SaveAs();
  void NewShow();
  void Open();
  void OpenPath(const QString& path);
  void OpenShowFile(const QString& path);
  void AddRecent(const QString& path);
  void FillRecent();
  void AddSlides();
  QList<int> SelectedSlides() const;
  void Select(const QList<int>& slides);
  void SelectionChanged();
  void TellLeftOut(const QStringList& messages);
  // Packs the show to output in the background; then calls done with the result.
  void Build(const TShowDocument& show, const QString& output, const QString& what,
             std::function<void(const TResult&)> done);
  void BuildScreenSaver();
  // Plays the show from slide `first` on.
  void Play(int first = 0);
  void InstallForXScreenSaver();
  QString ShowName() const;
  void ThumbnailProgress(int done, int asked);
  QWidget* MakePreview();
  // Composes the first selected slide at the chosen screen size, a moment after the last change.
  void UpdatePreview();
  // Shows the composed slide scaled to the preview's size, as it is now.
  void ShowPreviewShot();

  TStudioDocument doc_;
  TPictureLoader thumbnails_;
  TPictureLoader pictures_;
  TSlideListModel model_;
  QListView* list_ = nullptr;
  QSplitter* splitter_ = nullptr;
  TSlidePanel* slidePanel_ = nullptr;
  TShowPanel* showPanel_ = nullptr;
  QLabel* counts_ = nullptr;
  QComboBox* previewSize_ = nullptr;
  QLabel* preview_ = nullptr;
  QImage previewShot_;  // the slide as composed, at the chosen screen size
  QTimer previewTimer_;
  QProgressBar* progress_ = nullptr;
  QMenu* recent_ = nullptr;
  std::unique_ptr<TBuildTask> build_;
  QProcess player_;
  QString playFolder_;
  QElapsedTimer thumbnailClock_;

  QAction *save_ = nullptr, *play_ = nullptr, *playHere_ = nullptr, *buildAction_ = nullptr, *install_ = nullptr;
  QAction *duplicate_ = nullptr, *delete_ = nullptr, *earlier_ = nullptr, *later_ = nullptr, *effects_ = nullptr;
};

}  // namespace sf
