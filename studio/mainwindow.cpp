#include "studio/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QHBoxLayout>
#include <QUndoStack>

#include "authoring/install.h"
#include "authoring/pack.h"
#include "authoring/showfile.h"
#include "platform/tempdir.h"
#include "platform/trace.h"
#include "studio/model/slidepreview.h"
#include "studio/showpanel.h"
#include "studio/slidepanel.h"
#include "studio/widgets.h"

namespace sf {

namespace {

constexpr QSize kThumb(160, 120);
constexpr int kRecentCount = 8;

// A slide in the list: its thumbnail (or a mark saying why there is none), its file's name and
// its effects under it.
class TSlideDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(kThumb.width() + 16, kThumb.height() + 2 * option.fontMetrics.height() + 18);
  }

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    p->save();
    const QRect r = option.rect.adjusted(2, 2, -2, -2);
    const QPalette& pal = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) p->fillRect(r, pal.highlight());
    const QRect pic(r.left() + (r.width() - kThumb.width()) / 2, r.top() + 4, kThumb.width(), kThumb.height());
    const QImage image = index.data(Qt::DecorationRole).value<QImage>();
    const QString error = index.data(TSlideListModel::ErrorRole).toString();
    const auto role = TFileRole(index.data(TSlideListModel::MediumRole).toInt());
    p->fillRect(pic, QColor(40, 40, 40));
    if (!error.isEmpty()) {
      // A file that does not decode: a red mark and the decoder's own words.
      p->fillRect(pic, QColor(90, 20, 20));
      p->setPen(QPen(QColor(255, 90, 90), 3));
      p->drawLine(pic.topLeft() + QPoint(8, 8), pic.topLeft() + QPoint(26, 26));
      p->drawLine(pic.topLeft() + QPoint(26, 8), pic.topLeft() + QPoint(8, 26));
      p->setPen(Qt::white);
      QFont bold = option.font;
      bold.setBold(true);
      p->setFont(bold);
      p->drawText(pic.adjusted(32, 8, -4, 0), Qt::AlignLeft | Qt::AlignTop, "Does not decode");
      p->setFont(option.font);
      p->drawText(pic.adjusted(6, 32, -6, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, error);
    } else if (!image.isNull()) {
      const QPoint at(pic.left() + (pic.width() - image.width()) / 2, pic.top() + (pic.height() - image.height()) / 2);
      p->drawImage(at, image);
    } else {
      p->setPen(QColor(200, 200, 200));
      p->drawText(pic, Qt::AlignCenter, role == TFileRole::Clip ? QString("▶ video clip") : QString("…"));
    }
    const int line = option.fontMetrics.height();
    QRect text(r.left() + 4, pic.bottom() + 6, r.width() - 8, line);
    p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
    const QString name = QString("%1. %2").arg(index.row() + 1).arg(index.data(Qt::DisplayRole).toString());
    p->drawText(text, Qt::AlignHCenter, option.fontMetrics.elidedText(name, Qt::ElideMiddle, text.width()));
    text.translate(0, line);
    p->setPen(selected ? pal.highlightedText().color() : pal.placeholderText().color());
    p->drawText(text, Qt::AlignHCenter,
                option.fontMetrics.elidedText(index.data(TSlideListModel::EffectRole).toString(), Qt::ElideRight, text.width()));
    p->restore();
  }
};

QString Size(qint64 bytes) {
  return bytes >= 1 << 20 ? QString("%1 MB").arg(bytes / double(1 << 20), 0, 'f', 1) : QString("%1 KB").arg((bytes + 1023) / 1024);
}

}  // namespace

TStudioWindow::TStudioWindow()
    : thumbnails_(kThumb), pictures_(QSize(640, 360), 1), model_(doc_, thumbnails_) {
  pictures_.SetLimit(16);
  list_ = new QListView;
  list_->setModel(&model_);
  list_->setItemDelegate(new TSlideDelegate(list_));
  list_->setViewMode(QListView::IconMode);
  list_->setFlow(QListView::LeftToRight);
  list_->setWrapping(true);
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);  // a drag moves the slides themselves, not their icons
  list_->setUniformItemSizes(true);
  list_->setSpacing(4);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setDragDropMode(QAbstractItemView::DragDrop);
  list_->setDefaultDropAction(Qt::MoveAction);
  list_->setDragEnabled(true);
  list_->setAcceptDrops(true);
  list_->setDropIndicatorShown(true);
  list_->setMinimumWidth(2 * (kThumb.width() + 24));

  slidePanel_ = new TSlidePanel(doc_, pictures_);
  showPanel_ = new TShowPanel(doc_);
  auto* tabs = new QTabWidget;
  tabs->addTab(slidePanel_, "Sli&de");
  tabs->addTab(showPanel_, "Whole sh&ow");
  splitter_ = new QSplitter;
  auto* left = new QSplitter(Qt::Vertical);
  left->setObjectName("left");
  left->addWidget(list_);
  left->addWidget(MakePreview());
  left->setStretchFactor(0, 3);
  left->setStretchFactor(1, 2);
  splitter_->addWidget(left);
  splitter_->addWidget(tabs);
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 2);
  setCentralWidget(splitter_);

  counts_ = new QLabel;
  progress_ = new QProgressBar;
  progress_->setMaximumWidth(220);
  progress_->setFormat("Thumbnails %v of %m");
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  statusBar()->addPermanentWidget(counts_);

  MakeActions();
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TStudioWindow::SelectionChanged);
  connect(&doc_, &TStudioDocument::StructureChanged, this, [this](const QList<int>& select) {
    // The model was reset: the view's selection model is new.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TStudioWindow::SelectionChanged,
            Qt::UniqueConnection);
    Select(select);
  });
  connect(&doc_, &TStudioDocument::PathChanged, this, &TStudioWindow::UpdateTitle);
  for (auto signal : {&TStudioDocument::HeaderChanged, &TStudioDocument::StructureAboutToChange})
    connect(&doc_, signal, &previewTimer_, qOverload<>(&QTimer::start));
  connect(&doc_, &TStudioDocument::SlidesChanged, &previewTimer_, qOverload<>(&QTimer::start));
  connect(&doc_.UndoStack(), &QUndoStack::cleanChanged, this, &TStudioWindow::UpdateTitle);
  connect(&model_, &TSlideListModel::LeftOut, this, &TStudioWindow::TellLeftOut);
  connect(&thumbnails_, &TPictureLoader::Progress, this, &TStudioWindow::ThumbnailProgress);
  connect(slidePanel_, &TSlidePanel::Message, this, [this](const QString& m) { statusBar()->showMessage(m, 8000); });
  connect(slidePanel_, &TSlidePanel::ShowPlaying, this, [this, tabs] {
    tabs->setCurrentWidget(showPanel_);
    showPanel_->setCurrentIndex(1);
  });
  connect(showPanel_, &TShowPanel::Message, this, [this](const QString& m) { statusBar()->showMessage(m, 8000); });
  connect(&player_, &QProcess::finished, this, [this] {
    statusBar()->showMessage("The show ended", 4000);
    play_->setEnabled(true);
    playHere_->setEnabled(true);
    activateWindow();  // the keyboard comes back from the show
  });

  QSettings settings;
  if (!restoreGeometry(settings.value("window/geometry").toByteArray())) {
    const QSize room = screen()->availableSize();
    resize(std::min(1100, room.width()), std::min(720, room.height()));
  }
  restoreState(settings.value("window/state").toByteArray());
  splitter_->restoreState(settings.value("window/splitter").toByteArray());
  doc_.NewShow({}, [](const QString&, const QString&) {});
  UpdateTitle();
  list_->setFocus();
}

TStudioWindow::~TStudioWindow() {
  if (player_.state() != QProcess::NotRunning) {
    player_.terminate();
    player_.waitForFinished(3000);
  }
}

void TStudioWindow::MakeActions() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&New Show", QKeySequence::New, this, [this] {
    if (MaybeSave()) NewShow();
  });
  file->addAction("&Open…", QKeySequence::Open, this, &TStudioWindow::Open);
  recent_ = file->addMenu("Open &Recent");
  connect(recent_, &QMenu::aboutToShow, this, &TStudioWindow::FillRecent);
  file->addSeparator();
  save_ = file->addAction("&Save", QKeySequence::Save, this, &TStudioWindow::Save);
  // Ctrl+Shift+S where the platform names no Save As key of its own (X11 without a desktop).
  QAction* saveAs = file->addAction("Save &As…", this, &TStudioWindow::SaveAs);
  saveAs->setShortcuts(QKeySequence::keyBindings(QKeySequence::SaveAs).isEmpty()
                           ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}
                           : QKeySequence::keyBindings(QKeySequence::SaveAs));
  file->addSeparator();
  buildAction_ = file->addAction("&Build Screen Saver…", QKeySequence(Qt::CTRL | Qt::Key_B), this,
                                 &TStudioWindow::BuildScreenSaver);
  install_ = file->addAction("&Install for XScreenSaver", this, &TStudioWindow::InstallForXScreenSaver);
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  QAction* undo = doc_.UndoStack().createUndoAction(this, "&Undo");
  undo->setShortcut(QKeySequence::Undo);
  QAction* redo = doc_.UndoStack().createRedoAction(this, "&Redo");
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
  edit->addAction(undo);
  edit->addAction(redo);
  edit->addSeparator();
  edit->addAction("Select &All", QKeySequence::SelectAll, list_, &QListView::selectAll);

  QMenu* slides = menuBar()->addMenu("S&lides");
  QAction* add = slides->addAction("&Add Pictures…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), this,
                                   &TStudioWindow::AddSlides);
  duplicate_ = slides->addAction("&Duplicate", QKeySequence(Qt::CTRL | Qt::Key_D), this,
                                 [this] { Select(doc_.DuplicateSlides(SelectedSlides())); });
  // The Delete key alone: the platform's Delete also holds Ctrl+D, which is Duplicate here.
  delete_ = slides->addAction("De&lete", QKeySequence(Qt::Key_Delete), this, [this] { Select(doc_.RemoveSlides(SelectedSlides())); });
  slides->addSeparator();
  earlier_ = slides->addAction("Move &Earlier", QKeySequence(Qt::CTRL | Qt::Key_Up), this, [this] {
    const QList<int> s = SelectedSlides();
    if (!s.isEmpty() && s.front() > 0) Select(doc_.MoveSlides(s, s.front() - 1));
  });
  later_ = slides->addAction("Move &Later", QKeySequence(Qt::CTRL | Qt::Key_Down), this, [this] {
    const QList<int> s = SelectedSlides();
    if (!s.isEmpty() && s.back() + 2 <= doc_.SlideCount()) Select(doc_.MoveSlides(s, s.back() + 2));
  });
  slides->addSeparator();
  // Ctrl+T for transitions: a text field takes Ctrl+E for the end of its line.
  effects_ = slides->addAction("Choose &Effects…", QKeySequence(Qt::CTRL | Qt::Key_T), slidePanel_,
                               &TSlidePanel::ChooseEffects);

  QMenu* show = menuBar()->addMenu("Sho&w");
  play_ = show->addAction("&Play", QKeySequence(Qt::Key_F5), this, [this] { Play(); });
  playHere_ = show->addAction("Play from &This Slide", QKeySequence(Qt::SHIFT | Qt::Key_F5), this, [this] {
    const QList<int> s = SelectedSlides();
    Play(s.isEmpty() ? 0 : s.front());
  });

  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("&About ShowForge Studio", this, [this] {
    QMessageBox::about(this, "About ShowForge Studio",
                       "<b>ShowForge Studio</b><p>Makes picture-show screen savers: add pictures, flash movies and "
                       "video clips, give them captions, backgrounds and transitions, add music, and build a show "
                       "file that plays them full screen.</p>");
  });

  QToolBar* bar = addToolBar("Main");
  bar->setObjectName("main");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addAction(add);
  bar->addAction(delete_);
  bar->addSeparator();
  bar->addAction(undo);
  bar->addAction(redo);
  bar->addSeparator();
  bar->addAction(play_);
  bar->addAction(buildAction_);
  add->setIconText("Add");
  // The tool bar keeps its buttons in place: the menu's items tell what they undo and redo.
  undo->setIconText("Undo");
  redo->setIconText("Redo");
  connect(undo, &QAction::changed, this, [undo] { undo->setToolTip(QString(undo->text()).remove('&')); });
  connect(redo, &QAction::changed, this, [redo] { redo->setToolTip(QString(redo->text()).remove('&')); });
  play_->setIconText("Play");
  buildAction_->setIconText("Build");
  for (QAction* a : {duplicate_, delete_, earlier_, later_, effects_}) list_->addAction(a);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  SelectionChanged();
}

QString TStudioWindow::ShowName() const {
  const QString name = doc_.Show().header.Text(hfProjectName);
  if (!name.trimmed().isEmpty()) return QFileInfo(name).completeBaseName();
  return doc_.Path().isEmpty() ? QString("Untitled") : QFileInfo(QFileInfo(doc_.Path()).absolutePath()).fileName();
}

void TStudioWindow::UpdateTitle() {
  const QString where = doc_.Path().isEmpty() ? QString("not saved yet") : QDir::toNativeSeparators(doc_.Path());
  setWindowTitle(QString("%1[*] (%2) — ShowForge Studio").arg(ShowName(), where));
  setWindowModified(doc_.Modified());
}

// ---------------------------------------------------------------------------------------------
// Files.

bool TStudioWindow::MaybeSave() {
  if (!doc_.Modified()) return true;
  QMessageBox box(QMessageBox::Warning, "ShowForge Studio",
                  QString("The show \"%1\" has changes that are not saved.").arg(ShowName()),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  box.setInformativeText("Save them before they are lost?");
  box.button(QMessageBox::Save)->setText("&Save");
  box.button(QMessageBox::Discard)->setText("&Discard Changes");
  box.button(QMessageBox::Cancel)->setText("&Cancel");
  box.setDefaultButton(QMessageBox::Save);
  const int answer = box.exec();
  if (answer == QMessageBox::Save) return Save();
  return answer == QMessageBox::Discard;
}

bool TStudioWindow::Save() {
  if (doc_.Path().isEmpty()) return SaveAs();
  if (TResult r = doc_.Save(); !r.Ok()) {
    QMessageBox::critical(this, "Save", "The show was not saved: " + r.error);
    return false;
  }
  statusBar()->showMessage("Saved " + doc_.Path(), 4000);
  return true;
}

bool TStudioWindow::SaveAs() {
  QString suggested = doc_.Path();
  if (suggested.isEmpty())
    suggested = doc_.SlideCount() ? InFolder(QFileInfo(doc_.Slide(0).file).absolutePath(), "manifest.json")
                                  : QDir::home().filePath("manifest.json");
  const QString path = AskSaveFile(this, "Save the show", suggested, "Show manifests (*.json);;All files (*)");
  if (path.isEmpty()) return false;
  if (TResult r = doc_.SaveAs(path); !r.Ok()) {
    QMessageBox::critical(this, "Save", "The show was not saved: " + r.error);
    return false;
  }
  AddRecent(doc_.Path());
  statusBar()->showMessage("Saved " + doc_.Path(), 4000);
  return true;
}

void TStudioWindow::NewShow() {
  thumbnails_.Clear();
  pictures_.Clear();
  doc_.NewShow({}, [](const QString&, const QString&) {});
}

void TStudioWindow::Open() {
  if (!MaybeSave()) return;
  const QString path = AskOpenFile(this, "Open a show", "Show manifests and show files (*.json *.scr);;All files (*)");
  if (!path.isEmpty()) OpenPath(path);
}

void TStudioWindow::OpenPath(const QString& path) {
  if (!path.endsWith(".json", Qt::CaseInsensitive)) {
    OpenShowFile(path);
    return;
  }
  thumbnails_.Clear();
  pictures_.Clear();
  if (TResult r = doc_.OpenManifest(path); !r.Ok()) {
    QMessageBox::critical(this, "Open", "The show was not opened: " + r.error);
    return;
  }
  AddRecent(doc_.Path());
  statusBar()->showMessage(QString("Opened %1: %2 slides").arg(doc_.Path()).arg(doc_.SlideCount()), 5000);
}

void TStudioWindow::OpenShowFile(const QString& path) {
  QString why;
  if (!OpenShow(path, why)) {
    QMessageBox::critical(this, "Open", "The show was not opened: " + why);
    return;
  }
  // Its media and manifest go into a folder the author picks, as extract writes them.
  // The folder suggested, beside the show and named after it, is made for the dialog (a folder
  // dialog chooses only folders that exist) and taken away again, while empty, if not chosen.
  const QFileInfo show(path);
  const QString suggested = InFolder(show.absolutePath(), show.completeBaseName());
  const bool made = !QFileInfo::exists(suggested) && QDir().mkdir(suggested);
  const QString folder = AskFolder(this, "Extract the show's media into a folder", suggested);
  if (made && QFileInfo(folder) != QFileInfo(suggested)) QDir().rmdir(suggested);
  if (folder.isEmpty()) return;
  if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) &&
      QMessageBox::question(this, "Open",
                            QString("The folder %1 is not empty: files in it with the names of the show's media "
                                    "and its manifest.json will be replaced. Go on?")
                                .arg(folder)) != QMessageBox::Yes)
    return;
  thumbnails_.Clear();
  pictures_.Clear();
  if (TResult r = doc_.OpenShowFile(path, folder); !r.Ok()) {
    QMessageBox::critical(this, "Open", "The show was not opened: " + r.error);
    return;
  }
  AddRecent(doc_.Path());
  statusBar()->showMessage(QString("Opened %1 from %2: %3 slides").arg(doc_.Path(), path).arg(doc_.SlideCount()), 5000);
}

void TStudioWindow::OpenArguments(const QStringList& arguments) {
  if (arguments.isEmpty()) return;
  if (arguments.size() == 1 && QFileInfo(arguments.front()).isFile()) {
    const QString& path = arguments.front();
    QString why;
    if (path.endsWith(".json", Qt::CaseInsensitive)) return OpenPath(path);
    if (FileRoleByName(path) == TFileRole::Unknown || OpenShow(path, why)) return OpenShowFile(path);
  }
  QStringList leftOut;
  thumbnails_.Clear();
  doc_.NewShow(arguments, [&](const QString& p, const QString& why) { leftOut << p + ": " + why; });
  TellLeftOut(leftOut);
}

void TStudioWindow::AddRecent(const QString& path) {
  QSettings settings;
  QStringList recent = settings.value("recent").toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  settings.setValue("recent", recent.mid(0, kRecentCount));
}

void TStudioWindow::FillRecent() {
  recent_->clear();
  const QStringList recent = QSettings().value("recent").toStringList();
  for (int i = 0; i < recent.size(); ++i)
    recent_->addAction(QString("&%1 %2").arg(i + 1).arg(recent[i]), this, [this, path = recent[i]] {
      if (MaybeSave()) OpenPath(path);
    });
  if (recent.isEmpty()) recent_->addAction("(none)")->setEnabled(false);
}

void TStudioWindow::closeEvent(QCloseEvent* event) {
  if (!MaybeSave()) {
    event->ignore();
    return;
  }
  QSettings settings;
  settings.setValue("window/geometry", saveGeometry());
  settings.setValue("window/state", saveState());
  settings.setValue("window/splitter", splitter_->saveState());
  event->accept();
}

// ---------------------------------------------------------------------------------------------
// Slides.

QList<int> TStudioWindow::SelectedSlides() const {
  QList<int> slides;
  for (const QModelIndex& i : list_->selectionModel()->selectedIndexes()) slides << i.row();
  std::sort(slides.begin(), slides.end());
  return slides;
}

void TStudioWindow::Select(const QList<int>& slides) {
  QItemSelection selection;
  for (int s : slides)
    if (s >= 0 && s < model_.rowCount()) selection.select(model_.index(s), model_.index(s));
  list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!slides.isEmpty() && slides.front() < model_.rowCount()) {
    list_->selectionModel()->setCurrentIndex(model_.index(slides.front()), QItemSelectionModel::NoUpdate);
    list_->scrollTo(model_.index(slides.front()));
  }
  SelectionChanged();
}

QWidget* TStudioWindow::MakePreview() {
  auto* pane = new QWidget;
  auto* column = new QVBoxLayout(pane);
  column->setContentsMargins(0, 4, 0, 0);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel("Slide as a screen of");
  previewSize_ = new QComboBox;
  previewSize_->setObjectName("previewSize");
  for (const QSize s : {QSize(640, 480), QSize(800, 600), QSize(1024, 768), QSize(1280, 720), QSize(1280, 800), QSize(1280, 1024), QSize(1440, 900),
                        QSize(1366, 768), QSize(1920, 1080), QSize(1920, 1200), QSize(2560, 1440), QSize(3840, 2160)})
    previewSize_->addItem(QString("%1 × %2").arg(s.width()).arg(s.height()), s);
  label->setBuddy(previewSize_);
  row->addWidget(label);
  row->addWidget(previewSize_);
  row->addStretch(1);
  column->addLayout(row);
  preview_ = new QLabel;
  preview_->setObjectName("preview");
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setMinimumSize(160, 120);
  preview_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  preview_->installEventFilter(this);  // a new size shows the composed slide scaled anew
  column->addWidget(preview_, 1);
  previewTimer_.setSingleShot(true);
  previewTimer_.setInterval(120);
  connect(&previewTimer_, &QTimer::timeout, this, &TStudioWindow::UpdatePreview);
  const QSize screen = this->screen() ? this->screen()->size() : QSize(1920, 1080);
  const int at = previewSize_->findData(QSettings().value("preview/size", screen));
  previewSize_->setCurrentIndex(at >= 0 ? at : previewSize_->findData(QSize(1920, 1080)));
  connect(previewSize_, &QComboBox::currentIndexChanged, this, [this] {
    QSettings().setValue("preview/size", previewSize_->currentData());
    previewTimer_.start();
  });
  return pane;
}

void TStudioWindow::UpdatePreview() {
  const QList<int> slides = SelectedSlides();
  QString why = "No slide selected";
  previewShot_ = slides.isEmpty() ? QImage()
                                  : PreviewSlide(doc_.Show(), slides.front(), previewSize_->currentData().toSize(), 1, &why);
  if (previewShot_.isNull()) {
    preview_->setPixmap({});
    preview_->setText(slides.isEmpty() ? why : "No preview: " + why);
    return;
  }
  ShowPreviewShot();
}

void TStudioWindow::ShowPreviewShot() {
  if (previewShot_.isNull() || preview_->size().isEmpty()) return;
  preview_->setPixmap(QPixmap::fromImage(previewShot_.scaled(preview_->size() * preview_->devicePixelRatioF(),
                                                             Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool TStudioWindow::eventFilter(QObject* watched, QEvent* event) {
  // The label ignores its pixmap's size, so a new pixmap never resizes it: no loop.
  if (watched == preview_ && event->type() == QEvent::Resize) ShowPreviewShot();
  return QMainWindow::eventFilter(watched, event);
}

void TStudioWindow::SelectionChanged() {
  previewTimer_.start();
  const QList<int> slides = SelectedSlides();
  slidePanel_->SetSelection(slides);
  for (QAction* a : {duplicate_, delete_, earlier_, later_, effects_}) a->setEnabled(!slides.isEmpty());
  counts_->setText(QString("%1 slides").arg(doc_.SlideCount()) +
                   (slides.size() > 1 ? QString(", %1 selected").arg(slides.size()) : QString()));
}

void TStudioWindow::AddSlides() {
  const QStringList files = AskOpenFiles(this, "Add pictures, movies and clips", SlideMediaFilter());
  if (files.isEmpty()) return;
  const QList<int> selected = SelectedSlides();
  QStringList leftOut;
  const QList<int> added = doc_.AddFiles(selected.isEmpty() ? doc_.SlideCount() : selected.back() + 1, files,
                                         [&](const QString& p, const QString& why) { leftOut << p + ": " + why; });
  Select(added);
  TellLeftOut(leftOut);
}

void TStudioWindow::TellLeftOut(const QStringList& messages) {
  if (messages.isEmpty()) return;
  if (messages.size() == 1) statusBar()->showMessage("Not added: " + messages.front(), 10000);
  else statusBar()->showMessage(QString("%1 files not added; the first: %2").arg(messages.size()).arg(messages.front()), 10000);
}

void TStudioWindow::ThumbnailProgress(int done, int asked) {
  if (asked == 0) {
    if (progress_->isVisible() && Traced("studio"))
      Trace("studio", "thumbnails: all shown after %lld ms", static_cast<long long>(thumbnailClock_.elapsed()));
    progress_->hide();
    return;
  }
  if (!progress_->isVisible()) thumbnailClock_.start();
  progress_->setMaximum(asked);
  progress_->setValue(done);
  progress_->show();
}

// ---------------------------------------------------------------------------------------------
// Building, playing, installing.

void TStudioWindow::Build(const TShowDocument& show, const QString& output, const QString& what,
                          std::function<void(const TResult&)> done) {
  if (build_) return;
  for (QAction* a : {buildAction_, play_, playHere_, install_}) a->setEnabled(false);
  build_ = std::make_unique<TBuildTask>(show, DefaultPlayer(), output);
  auto* dialog = new QProgressDialog(what, "&Stop", 0, 1000, this);
  dialog->setWindowTitle("ShowForge Studio");
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setMinimumDuration(400);  // a small show is built before the dialog would show
  connect(dialog, &QProgressDialog::canceled, build_.get(), &TBuildTask::Cancel);
  connect(build_.get(), &TBuildTask::Progress, dialog, [dialog](qint64 d, qint64 total) {
    dialog->setValue(total > 0 ? int(d * 1000 / total) : 0);
  });
  connect(build_.get(), &TBuildTask::Finished, this, [this, dialog, done](const TResult& result) {
    dialog->reset();
    dialog->deleteLater();
    build_.release()->deleteLater();
    for (QAction* a : {buildAction_, play_, playHere_, install_}) a->setEnabled(true);
    done(result);
  });
  build_->Start();
}

void TStudioWindow::BuildScreenSaver() {
  if (doc_.SlideCount() == 0) {
    QMessageBox::information(this, "Build Screen Saver", "The show has no slides yet: add pictures first.");
    return;
  }
  // The show passes over a picture it cannot decode: say so before it is built.
  QStringList bad;
  for (int s = 0; s < doc_.SlideCount(); ++s)
    if (const TMediumPicture* p = thumbnails_.Get(doc_.Slide(s).file); p && !p->error.isEmpty())
      bad << QString("%1. %2").arg(s + 1).arg(QFileInfo(doc_.Slide(s).file).fileName());
  if (!bad.isEmpty() &&
      QMessageBox::question(this, "Build Screen Saver",
                            QString("%1 of the slides %2 not decode, and the show will pass over %3: %4. Build "
                                    "the show all the same?")
                                .arg(bad.size())
                                .arg(bad.size() == 1 ? "does" : "do", bad.size() == 1 ? "it" : "them")
                                .arg(bad.mid(0, 5).join(", ") + (bad.size() > 5 ? ", …" : ""))) != QMessageBox::Yes)
    return;
  QSettings settings;
  const QString key = "build/" + (doc_.Path().isEmpty() ? QString("untitled") : doc_.Path());
  QString suggested = settings.value(key).toString();
  if (suggested.isEmpty()) {
    const QString folder = doc_.Path().isEmpty() ? QFileInfo(doc_.Slide(0).file).absolutePath() : QFileInfo(doc_.Path()).absolutePath();
    suggested = InFolder(folder, ShowName() + ".scr");
  }
  QString output = AskSaveFile(this, "Build Screen Saver", suggested, "Screen savers (*.scr);;All files (*)");
  if (output.isEmpty()) return;
  if (QFileInfo(output).suffix().isEmpty()) output += ".scr";
  settings.setValue(key, output);
  Build(doc_.Show(), output, "Building " + output + "…", [this, output](const TResult& r) {
    if (r.cancelled) {
      statusBar()->showMessage("The build was stopped; " + output + " was left as it was", 8000);
    } else if (!r.Ok()) {
      QMessageBox::critical(this, "Build Screen Saver",
                            QString("The show was not built: %1\n\n%2 was left as it was.").arg(r.error, output));
    } else {
      statusBar()->showMessage(QString("Built %1 (%2)").arg(output, Size(QFileInfo(output).size())), 10000);
    }
  });
}

void TStudioWindow::Play(int first) {
  if (doc_.SlideCount() == 0 || player_.state() != QProcess::NotRunning) return;
  const QString folder = PrivateTempDir();
  if (folder.isEmpty()) {
    QMessageBox::critical(this, "Play", "The show cannot be played: there is no private temporary folder.");
    return;
  }
  const QString show = folder + StoredFileName(ShowName() + ".scr");
  Build(doc_.ShowFromSlide(first), show, "Preparing the show…", [this, show](const TResult& r) {
    if (!r.Ok()) {
      if (!r.cancelled) QMessageBox::critical(this, "Play", "The show cannot be played: " + r.error);
      return;
    }
    player_.setProcessChannelMode(QProcess::ForwardedChannels);
    player_.start(show, {"/s"});
    if (!player_.waitForStarted(5000)) {
      QMessageBox::critical(this, "Play", "The show did not start: " + player_.errorString());
      return;
    }
    play_->setEnabled(false);
    playHere_->setEnabled(false);
    statusBar()->showMessage("Playing the show: Escape ends it");
  });
}

void TStudioWindow::InstallForXScreenSaver() {
  if (doc_.SlideCount() == 0) return;
  const QString folder = PrivateTempDir();
  if (folder.isEmpty()) return;
  // The installed copy is named after the show file it comes from.
  const QString show = folder + StoredFileName(ShowName() + ".scr");
  Build(doc_.Show(), show, "Preparing the show…", [this, show](const TResult& r) {
    if (!r.Ok()) {
      if (!r.cancelled) QMessageBox::critical(this, "Install for XScreenSaver", "The show was not installed: " + r.error);
      return;
    }
    TInstallReport report;
    if (TResult i = InstallShow(show, DefaultPlayer(), report); !i.Ok()) {
      QMessageBox::critical(this, "Install for XScreenSaver", "The show was not installed: " + i.error);
      return;
    }
    QFile::remove(show);
    QMessageBox::information(this, "Install for XScreenSaver",
                             QString("\"%1\" is installed as %2 and %3 XScreenSaver's list in %4. Choose it in "
                                     "XScreenSaver's settings.")
                                 .arg(report.name, report.copyPath, report.added ? "added to" : "already in", report.rcPath));
  });
}

}  // namespace sf
