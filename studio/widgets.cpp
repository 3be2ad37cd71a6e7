#include "studio/widgets.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QApplication>
#include <QScrollBar>
#include <QSettings>
#include <QToolButton>
#include <QWheelEvent>

namespace sf {

namespace {

// A file dialog of Qt's own that keeps its folder and size between uses.
QFileDialog* MakeDialog(QWidget* parent, const QString& caption, const QString& filter, const QString& start) {
  auto* d = new QFileDialog(parent, caption);
  d->setOption(QFileDialog::DontUseNativeDialog, true);
  d->setNameFilter(filter);
  QSettings settings;
  const QString folder = start.isEmpty() ? settings.value("dialogs/folder", QDir::homePath()).toString() : start;
  d->setDirectory(folder);
  d->restoreGeometry(settings.value("dialogs/geometry").toByteArray());
  return d;
}

QStringList Run(QFileDialog* d) {
  QStringList chosen;
  if (d->exec() == QDialog::Accepted) chosen = d->selectedFiles();
  QSettings settings;
  settings.setValue("dialogs/geometry", d->saveGeometry());
  if (!chosen.isEmpty()) {
    const QFileInfo first(chosen.front());
    settings.setValue("dialogs/folder", first.isDir() && d->fileMode() == QFileDialog::Directory ? first.absoluteFilePath()
                                                                                                : first.absolutePath());
  }
  delete d;
  return chosen;
}

// Passes a wheel turned over a field without the keyboard on to the field's parents.
class TWheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus()) return false;
    event->ignore();  // ignored and filtered: the application hands it to the parent (the page)
    return true;
  }
};

}  // namespace

void WheelOnlyWhenFocused(QWidget* root) {
  static TWheelGuard* guard = new TWheelGuard(qApp);
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractSpinBox*>(w) && !qobject_cast<QAbstractSlider*>(w))
      continue;
    if (qobject_cast<QScrollBar*>(w)) continue;  // a scroll bar scrolls its page
    w->setFocusPolicy(Qt::StrongFocus);  // no focus by the wheel either
    w->installEventFilter(guard);
  }
}

QString PictureFilter() {
  return "Pictures (*.bmp *.jpg *.jpeg *.png *.gif *.tif *.tiff *.tga *.sgi *.rgb *.pcx *.pcd *.ppm *.pgm *.pbm "
         "*.pnm *.cut *.rla *.psd *.psp *.pspimage *.cel);;All files (*)";
}

QString SlideMediaFilter() {
  return "Pictures, movies and clips (*.bmp *.jpg *.jpeg *.png *.gif *.tif *.tiff *.tga *.sgi *.rgb *.pcx *.pcd "
         "*.ppm *.pgm *.pbm *.pnm *.cut *.rla *.psd *.psp *.pspimage *.cel *.swf *.avi *.mp4 *.m4v *.mkv *.mov "
         "*.webm *.mpg *.mpeg *.wmv *.ogv);;All files (*)";
}

QString SoundFilter() {
  return "Sounds (*.mp3 *.wav *.ogg *.oga *.flac *.m4a *.aac *.opus *.wma *.mid *.midi);;All files (*)";
}

QString AskOpenFile(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog* d = MakeDialog(parent, caption, filter, {});
  d->setFileMode(QFileDialog::ExistingFile);
  const QStringList chosen = Run(d);
  return chosen.isEmpty() ? QString() : chosen.front();
}

QStringList AskOpenFiles(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog* d = MakeDialog(parent, caption, filter, {});
  d->setFileMode(QFileDialog::ExistingFiles);
  return Run(d);
}

QString AskSaveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) {
  QFileDialog* d = MakeDialog(parent, caption, filter, suggested.isEmpty() ? QString() : QFileInfo(suggested).absolutePath());
  d->setAcceptMode(QFileDialog::AcceptSave);
  d->setFileMode(QFileDialog::AnyFile);
  if (!suggested.isEmpty()) d->selectFile(QFileInfo(suggested).fileName());
  const QStringList chosen = Run(d);
  return chosen.isEmpty() ? QString() : chosen.front();
}

QString AskFolder(QWidget* parent, const QString& caption, const QString& suggested) {
  QFileDialog* d = MakeDialog(parent, caption, {}, suggested.isEmpty() ? QString() : QFileInfo(suggested).absolutePath());
  d->setFileMode(QFileDialog::Directory);
  d->setOption(QFileDialog::ShowDirsOnly, true);
  if (!suggested.isEmpty()) d->selectFile(QFileInfo(suggested).fileName());
  const QStringList chosen = Run(d);
  return chosen.isEmpty() ? QString() : chosen.front();
}

// ---------------------------------------------------------------------------------------------

TColorButton::TColorButton(bool allowRandom, QWidget* parent) : QPushButton(parent), allowRandom_(allowRandom) {
  setMinimumWidth(110);
  if (allowRandom_) {
    auto* menu = new QMenu(this);
    menu->addAction("&Choose a colour…", this, &TColorButton::Choose);
    menu->addAction("&Random each time", this, [this] { emit Chosen(std::nullopt); });
    setMenu(menu);
  } else {
    connect(this, &QPushButton::clicked, this, &TColorButton::Choose);
  }
  SetColor(TColor(0));
}

void TColorButton::SetColor(std::optional<TColor> color, bool mixed) {
  color_ = color;
  QPixmap swatch(28, 14);
  if (color && !mixed) {
    swatch.fill(ToQColor(*color));
    QPainter(&swatch).drawRect(0, 0, 27, 13);
  } else {
    swatch.fill(Qt::transparent);
  }
  setIcon(QIcon(swatch));
  setText(mixed ? "(several)" : color ? QColor(ToQColor(*color)).name().toUpper() : "Random");
}

void TColorButton::Choose() {
  const QColor chosen = QColorDialog::getColor(color_ ? ToQColor(*color_) : QColor(Qt::white), this, "Choose a colour",
                                               QColorDialog::DontUseNativeDialog);
  if (chosen.isValid()) emit Chosen(FromQColor(chosen));
}

// ---------------------------------------------------------------------------------------------

TFileField::TFileField(const QString& caption, const QString& filter, QWidget* parent)
    : QWidget(parent), caption_(caption), filter_(filter) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  edit_ = new QLineEdit(this);
  edit_->setPlaceholderText("(none)");
  edit_->setClearButtonEnabled(true);
  auto* choose = new QToolButton(this);
  choose->setText("…");
  choose->setToolTip("Choose a file");
  row->addWidget(edit_, 1);
  row->addWidget(choose);
  connect(choose, &QToolButton::clicked, this, [this] {
    const QString path = AskOpenFile(this, caption_, filter_);
    if (path.isEmpty()) return;
    SetPath(path);
    emit Changed(path);
  });
  connect(edit_, &QLineEdit::editingFinished, this, [this] {
    const QString path = edit_->text().trimmed();
    if (path == last_) return;
    last_ = path;
    emit Changed(path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath());
  });
}

void TFileField::SetPath(const QString& path) {
  last_ = path;
  if (edit_->text() != path) edit_->setText(path);
}

}  // namespace sf
