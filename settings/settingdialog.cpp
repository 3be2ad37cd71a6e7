#include "settings/settingdialog.h"

#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <unistd.h>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "imaging/graphic.h"
#include "platform/convert.h"
#include "platform/messagebox.h"
#include "platform/termination.h"
#include "platform/widgets.h"
#include "settings/rwsetting.h"
#include "transitions/table.h"

namespace sf {
namespace {

constexpr int kClientWidth = 450, kClientHeight = 262, kPictureWidth = 121;

QCheckBox* Check(const char* caption, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

QLabel* Label(const QString& caption, QWidget* parent, const char* name = nullptr) {
  auto* label = new QLabel(caption, parent);
  if (name) label->setObjectName(name);
  return label;
}

// Two small pictures for the live preview: the outgoing one blue with "A", the incoming one
// amber with "B".
QImage PreviewPicture(QSize size, QColor from, QColor to, const QString& letter) {
  QImage image(size, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, size.width(), size.height());
  g.setColorAt(0, from);
  g.setColorAt(1, to);
  p.fillRect(image.rect(), g);
  QFont font;
  font.setPixelSize(size.height() * 2 / 3);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(image.rect(), Qt::AlignCenter, letter);
  return image;
}

}  // namespace

bool ShowSettingDialog(TProjectInfo& project, TRWSetting& settings, QWidget* parent) {
  if (TerminationRequested()) return false;  // the program is ending: the dialog does not open
  TfSetting dialog(project, settings, parent);
  return dialog.exec() == QDialog::Accepted;
}

TfSetting::TfSetting(TProjectInfo& project, TRWSetting& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowMinimizeButtonHint |
                          // Opened from a running show, the dialog must stand over the
                          // full-screen window, which the window manager does not stack: it is
                          // placed the same way.
                          (parent ? Qt::X11BypassWindowManagerHint : Qt::WindowFlags())),
      project_(project),
      settings_(settings) {
  SkipTaskbar(this);  // the tool-window style: no button in the task bar
  setObjectName("fSetting");
  setWindowTitle("Screensaver Setting");
  // The dialog's small type, as the original's 8-point face at 96 pixels per inch: every
  // caption fits the fixed client area.
  QFont small = font();
  small.setPixelSize(10);
  setFont(small);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* menu = new QMenuBar(this);
  outer->setMenuBar(menu);
  mmFile = menu->addMenu("File");
  connect(mmFile->addAction("Save"), &QAction::triggered, this, [this] { Save(); });
  connect(mmFile->addAction("Exit"), &QAction::triggered, this, &TfSetting::btnCancelClick);
  mmAction = menu->addMenu("Action");
  QAction* visit = mmAction->addAction("Visit our website");
  visit->setObjectName("mmVisitourwebsite");
  connect(visit, &QAction::triggered, this, &TfSetting::VisitWebsite);
  mmHelp = menu->addMenu("Help");
  mmHelp->setObjectName("mmHelp");
  connect(mmHelp->addAction("About"), &QAction::triggered, this, &TfSetting::ShowAbout);

  auto* client = new QWidget(this);
  outer->addWidget(client);
  auto* row = new QHBoxLayout(client);
  row->setContentsMargins(0, 0, 6, 6);
  row->setSpacing(6);
  plDlgImage = new QWidget(client);
  plDlgImage->setObjectName("plDlgImage");
  plDlgImage->setFixedWidth(kPictureWidth);
  auto* pictureLayout = new QVBoxLayout(plDlgImage);
  pictureLayout->setContentsMargins(0, 0, 0, 0);
  imgDlg = new QLabel(plDlgImage);
  imgDlg->setObjectName("imgDlg");
  imgDlg->setCursor(Qt::PointingHandCursor);
  imgDlg->setScaledContents(true);  // the picture stretched over the image
  imgDlg->installEventFilter(this);
  pictureLayout->addWidget(imgDlg);
  row->addWidget(plDlgImage);

  auto* right = new QVBoxLayout();
  right->setContentsMargins(0, 6, 0, 0);
  pctl = new QTabWidget(client);
  pctl->setObjectName("pctl");
  right->addWidget(pctl, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  btnOK = new QPushButton("OK", client);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);  // Enter
  btnCancel = new QPushButton("Cancel", client);
  btnCancel->setObjectName("btnCancel");
  connect(btnOK, &QPushButton::clicked, this, &TfSetting::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfSetting::btnCancelClick);  // Escape rejects too
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  right->addLayout(buttons);
  row->addLayout(right, 1);

  // The "Normal" tab: present, its tab hidden; its password controls load and save.
  tbNormal = new QWidget(pctl);
  tbNormal->setObjectName("tbNormal");
  auto* normal = new QGridLayout(tbNormal);
  normal->addWidget(Label("Password Setting", tbNormal), 0, 0, 1, 2);
  ckbEnabledPassword = Check("Enabled Password", "ckbEnabledPassword", tbNormal);
  normal->addWidget(ckbEnabledPassword, 1, 0, 1, 2);
  edtPassword = new QLineEdit(tbNormal);
  edtPassword->setObjectName("edtPassword");
  edtConform = new QLineEdit(tbNormal);
  edtConform->setObjectName("edtConform");
  for (QLineEdit* e : {edtPassword, edtConform}) SetPasswordChar(e, '*');
  normal->addWidget(Label("New Password", tbNormal), 2, 0);
  normal->addWidget(edtPassword, 2, 1);
  normal->addWidget(Label("Confirm", tbNormal), 3, 0);
  normal->addWidget(edtConform, 3, 1);
  normal->setRowStretch(4, 1);
  pctl->addTab(tbNormal, "Normal");
  BuildSettingTab();
  BuildTransitionTab();
  BuildAuthorTabs();
  pctl->setTabVisible(0, false);

  connect(&previewTimer_, &QTimer::timeout, this, &TfSetting::PreviewTick);
  ShowProject();
}

void TfSetting::BuildSettingTab() {
  tbAdvance = new QWidget(pctl);
  tbAdvance->setObjectName("tbAdvance");
  auto* grid = new QGridLayout(tbAdvance);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setVerticalSpacing(0);
  auto* close = Label("Close Event", tbAdvance);
  QFont bold = close->font();
  bold.setBold(true);
  close->setFont(bold);
  grid->addWidget(close, 0, 0, 1, 3);
  ckbMouseMove = Check("Mouse Move", "ckbMouseMove", tbAdvance);
  ckbMouseLeftClick = Check("Mouse Left Click", "ckbMouseLeftClick", tbAdvance);
  ckbMouseRightClick = Check("Mouse Right Click", "ckbMouseRightClick", tbAdvance);
  ckbMouseDoubleClick = Check("Mouse Double Click", "ckbMouseDoubleClick", tbAdvance);
  ckbEscKey = Check("Esc Key", "ckbEscKey", tbAdvance);
  ckbEnterkey = Check("Enter Key", "ckbEnterkey", tbAdvance);
  ckbSpecifyKey = Check("A specify Key", "ckbSpecifyKey", tbAdvance);
  grid->addWidget(ckbMouseMove, 1, 0);
  grid->addWidget(ckbMouseLeftClick, 1, 1);
  grid->addWidget(ckbMouseRightClick, 2, 0);
  grid->addWidget(ckbMouseDoubleClick, 2, 1);
  grid->addWidget(ckbEscKey, 3, 0);
  grid->addWidget(ckbEnterkey, 3, 1);
  auto* key = new QHBoxLayout();
  key->addWidget(ckbSpecifyKey);
  edtKeyValue = new QLineEdit("A", tbAdvance);
  edtKeyValue->setObjectName("edtKeyValue");
  edtKeyValue->setMaxLength(1);
  edtKeyValue->setFixedWidth(22);
  key->addWidget(edtKeyValue);
  key->addWidget(Label("Notice: the key is case sensitivity", tbAdvance));
  key->addStretch(1);
  grid->addLayout(key, 4, 0, 1, 3);
  auto* title = Label("Mouse Sensitivity", tbAdvance);
  title->setFont(bold);
  grid->addWidget(title, 5, 0, 1, 3);
  auto* sensitivity = new QHBoxLayout();
  sensitivity->addWidget(Label("Low", tbAdvance));
  tbMouseSensitivity = new QSlider(Qt::Horizontal, tbAdvance);
  tbMouseSensitivity->setObjectName("tbMouseSensitivity");
  tbMouseSensitivity->setRange(1, 20);
  tbMouseSensitivity->setSingleStep(10);  // an arrow key moves it 10 positions
  sensitivity->addWidget(tbMouseSensitivity, 1);
  sensitivity->addWidget(Label("High", tbAdvance));
  grid->addLayout(sensitivity, 6, 0, 1, 3);
  ckbEnabledMusic = Check("Enabled Music", "ckbEnabledMusic", tbAdvance);
  grid->addWidget(ckbEnabledMusic, 7, 0, 1, 3);
  ckbMaxRuntime = Check("Has a maxmize run time once the screen save start up", "ckbMaxRuntime", tbAdvance);
  grid->addWidget(ckbMaxRuntime, 8, 0, 1, 3);
  auto* runtime = new QHBoxLayout();
  runtime->addSpacing(18);
  runtime->addWidget(Label("Max Run time", tbAdvance));
  udMaxRunTime = new QSpinBox(tbAdvance);
  udMaxRunTime->setObjectName("udMaxRunTime");
  udMaxRunTime->setRange(1, 999);
  udMaxRunTime->setWrapping(false);
  udMaxRunTime->setFixedWidth(52);
  runtime->addWidget(udMaxRunTime);
  runtime->addWidget(Label("Minutes", tbAdvance));
  runtime->addStretch(1);
  grid->addLayout(runtime, 9, 0, 1, 3);
  grid->setRowStretch(10, 1);
  pctl->addTab(tbAdvance, "Setting");
}

void TfSetting::BuildTransitionTab() {
  tsTransition = new QWidget(pctl);
  tsTransition->setObjectName("tsTransition");
  auto* grid = new QGridLayout(tsTransition);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setVerticalSpacing(2);
  ckbtransitionused = Check("Use following transition setting instead of the default setting.", "ckbtransitionused", tsTransition);
  QFont narrow = ckbtransitionused->font();  // the longest caption of the dialog, in one line
  narrow.setPixelSize(9);
  ckbtransitionused->setFont(narrow);
  grid->addWidget(ckbtransitionused, 0, 0, 1, 3);
  clbInEffect = new QListWidget(tsTransition);
  clbInEffect->setObjectName("clbInEffect");
  clbInEffect->setMouseTracking(true);
  for (const TEffectInfo& e : EffectTable()) {
    auto* item = new QListWidgetItem(QString::fromLatin1(e.name), clbInEffect);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  grid->addWidget(clbInEffect, 1, 0, 3, 1);
  btnInSelectAll = new QPushButton("Select All", tsTransition);
  btnInSelectAll->setObjectName("btnInSelectAll");
  btnInClearAll = new QPushButton("Clear All", tsTransition);
  btnInClearAll->setObjectName("btnInClearAll");
  grid->addWidget(btnInSelectAll, 1, 1, 1, 2);
  grid->addWidget(btnInClearAll, 2, 1, 1, 2);
  lbPreview = new QLabel(tsTransition);
  lbPreview->setObjectName("lbPreview");
  lbPreview->setFixedSize(96, 72);
  lbPreview->setFrameShape(QFrame::Box);
  grid->addWidget(lbPreview, 3, 1, 1, 2, Qt::AlignHCenter | Qt::AlignTop);
  ckbRandomInEffect = Check("Radom transitions", "ckbRandomInEffect", tsTransition);
  grid->addWidget(ckbRandomInEffect, 4, 0);
  auto* speed = new QHBoxLayout();
  speed->addWidget(Label("Speed", tsTransition));
  speed->addWidget(Label("Slow", tsTransition));
  tbInSpeed = new QSlider(Qt::Horizontal, tsTransition);
  tbInSpeed->setObjectName("tbInSpeed");
  tbInSpeed->setRange(1, 50);
  speed->addWidget(tbInSpeed, 1);
  speed->addWidget(Label("Fast", tsTransition));
  grid->addLayout(speed, 5, 0, 1, 3);
  grid->setColumnStretch(0, 1);
  auto setAll = [this](Qt::CheckState state) {
    for (int i = 0; i < clbInEffect->count(); ++i) clbInEffect->item(i)->setCheckState(state);
  };
  connect(btnInSelectAll, &QPushButton::clicked, this, [setAll] { setAll(Qt::Checked); });
  connect(btnInClearAll, &QPushButton::clicked, this, [setAll] { setAll(Qt::Unchecked); });
  connect(ckbtransitionused, &QCheckBox::clicked, this, &TfSetting::TransitionSwitch);
  connect(clbInEffect, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) { PreviewEffect(clbInEffect->row(item)); });
  connect(clbInEffect, &QListWidget::currentRowChanged, this, &TfSetting::PreviewEffect);
  connect(tbInSpeed, &QSlider::valueChanged, this, [this] {
    const int index = previewIndex_;
    previewIndex_ = -2;
    PreviewEffect(index);  // the preview runs at the chosen speed
  });
  pctl->addTab(tsTransition, "Transitions");
}

void TfSetting::BuildAuthorTabs() {
  tbAuthInfo = new QWidget(pctl);
  tbAuthInfo->setObjectName("tbAuthInfo");
  auto* box = new QVBoxLayout(tbAuthInfo);
  box->setContentsMargins(6, 4, 6, 4);
  auto* author = new QHBoxLayout();
  author->addWidget(Label("Author Name:", tbAuthInfo));
  lbAuthor = Label("lbAuthor", tbAuthInfo, "lbAuthor");
  author->addWidget(lbAuthor, 1);
  box->addLayout(author);
  plAuthweb = new QWidget(tbAuthInfo);
  plAuthweb->setObjectName("plAuthweb");
  auto* web = new QHBoxLayout(plAuthweb);
  web->setContentsMargins(0, 0, 0, 0);
  web->addWidget(Label("Our website:", plAuthweb));
  lbAuthWebSite = Label("lbAuthWebSite", plAuthweb, "lbAuthWebSite");
  web->addWidget(lbAuthWebSite, 1);
  btnvisit = new QPushButton("Visit our website", plAuthweb);
  btnvisit->setObjectName("btnvisit");
  btnvisit->setFlat(true);
  connect(btnvisit, &QPushButton::clicked, this, &TfSetting::VisitWebsite);
  web->addWidget(btnvisit);
  box->addWidget(plAuthweb);
  plAuthEMail = new QWidget(tbAuthInfo);
  plAuthEMail->setObjectName("plAuthEMail");
  auto* mail = new QHBoxLayout(plAuthEMail);
  mail->setContentsMargins(0, 0, 0, 0);
  mail->addWidget(Label("Email:", plAuthEMail));
  lbEMail = Label("lbEMail", plAuthEMail, "lbEMail");
  mail->addWidget(lbEMail, 1);
  box->addWidget(plAuthEMail);
  edtDesc = new QPlainTextEdit(tbAuthInfo);
  edtDesc->setObjectName("edtDesc");
  edtDesc->setReadOnly(true);
  box->addWidget(edtDesc, 1);
  pctl->addTab(tbAuthInfo, "Author Infomation");
  tbDesc = new QWidget(pctl);
  tbDesc->setObjectName("tbDesc");
  auto* desc = new QVBoxLayout(tbDesc);
  desc->setContentsMargins(6, 4, 6, 4);
  memdesc = new QPlainTextEdit(tbDesc);
  memdesc->setObjectName("memdesc");
  memdesc->setReadOnly(true);
  desc->addWidget(memdesc);
  pctl->addTab(tbDesc, "Description");
}

void TfSetting::ShowProject() {
  const TProjectInfo& p = project_;
  // 1. The dialog picture, or a dialog 121 pixels narrower without it.
  if (p.ShowDialogPicture) {
    QImage picture;
    QByteArray stream;
    int32_t code = 0;
    // A picture that cannot be fetched or decoded leaves the image empty.
    try {
      if (p.MediaEmbedded) {
        if (project_.GetDialogPicture(stream, code)) LoadPictureStream(stream, picture, code);
      } else if (QFile::exists(p.DialogPicture)) {
        LoadPictureFile(p.DialogPicture, picture);
      }
    } catch (const EInvalidGraphic&) {
      picture = QImage();
    }
    if (!picture.isNull()) imgDlg->setPixmap(QPixmap::fromImage(picture));
  } else {
    plDlgImage->hide();
  }
  const int width = kClientWidth - (p.ShowDialogPicture ? 0 : kPictureWidth);
  // 2. Exactly one of "Author Infomation" and "Description".
  pctl->setTabVisible(pctl->indexOf(tbAuthInfo), p.ShowAuthorInfo);
  pctl->setTabVisible(pctl->indexOf(tbDesc), !p.ShowAuthorInfo);
  // 3. to 5. The menus and the author's texts.
  mmAction->menuAction()->setVisible(p.ShowWebSite && p.ShowAuthorInfo);
  if (p.ShowAuthorInfo) {
    lbAuthor->setText(p.AuthorName);
    plAuthweb->setVisible(p.ShowWebSite);
    if (p.ShowWebSite) lbAuthWebSite->setText(p.WebSite);
    plAuthEMail->setVisible(p.ShowEMail);
    if (p.ShowEMail) lbEMail->setText(p.EMail);
    edtDesc->setVisible(p.ShowDescription);
    if (p.ShowDescription) edtDesc->setPlainText(p.Description);
  } else {
    memdesc->setPlainText(p.Description);
  }
  mmHelp->menuAction()->setVisible(p.ShowHelpMenu);
  // 6. In menu mode a mouse move or a right click does not close the show.
  if (p.MenuMode != 0) {
    ckbMouseMove->setEnabled(false);
    ckbMouseRightClick->setEnabled(false);
  }
  LoadControls();
  setCursor(Qt::ArrowCursor);
  pctl->setCurrentWidget(tbAdvance);  // the first visible tab
  // The client area is fixed: 450 x 262, or 329 x 262 without the picture, below the menu bar.
  layout()->activate();
  setFixedSize(width, kClientHeight + layout()->menuBar()->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
}

void TfSetting::LoadControls() {
  const TRWSetting& s = settings_;
  const bool menuMode = project_.MenuMode != 0;
  ckbEnabledPassword->setChecked(s.PasswordEnabled);
  edtPassword->setText(s.Password);
  edtConform->setText(s.Password);
  tbMouseSensitivity->setValue(20 - s.MouseSensitivity);
  ckbMouseMove->setChecked(s.CloseOnMouseMove && !menuMode);
  ckbMouseLeftClick->setChecked(s.CloseOnLeftClick);
  ckbMouseRightClick->setChecked(s.CloseOnRightClick && !menuMode);
  ckbMouseDoubleClick->setChecked(s.CloseOnDoubleClick);
  ckbEscKey->setChecked(s.CloseOnEsc);
  ckbEnterkey->setChecked(s.CloseOnEnter);
  ckbSpecifyKey->setChecked(s.CloseOnKey);
  edtKeyValue->setText(s.CloseKey);
  ckbEnabledMusic->setChecked(s.MusicEnabled);
  ckbMaxRuntime->setChecked(s.UseMaxRunTime);
  udMaxRunTime->setValue(s.MaxRunMinutes);
  ckbRandomInEffect->setChecked(s.RandomTransition);
  tbInSpeed->setValue(s.TransitionSpeed);
  QStringList entries = s.Transitions.split(';');
  entries.removeLast();  // what follows the last ";"
  for (const QString& entry : entries) {
    int32_t index = 0;
    if (!TryStrToInt(entry.trimmed().toStdString(), index)) index = 0;
    if (QListWidgetItem* item = clbInEffect->item(index)) item->setCheckState(Qt::Checked);
  }
  ckbtransitionused->setChecked(s.UseOwnTransitions);
  TransitionSwitch();
  previewIndex_ = -2;
  PreviewEffect(0);  // the preview runs from the start; the effect under the cursor replaces it
}

void TfSetting::TransitionSwitch() {
  const bool on = ckbtransitionused->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{clbInEffect, btnInSelectAll, btnInClearAll, ckbRandomInEffect, tbInSpeed})
    w->setEnabled(on);
}

bool TfSetting::Save() {
  TRWSetting& s = settings_;
  if (ckbEnabledPassword->isChecked()) {
    const QString password = edtPassword->text().trimmed();
    if (password.isEmpty()) {
      ShowMessage("Please input password!");
      return false;
    }
    if (password != edtConform->text().trimmed()) {
      ShowMessage("New Password <> Confirm Password");
      return false;
    }
    s.Password = password;
  }
  s.PasswordEnabled = ckbEnabledPassword->isChecked();
  s.MouseSensitivity = 20 - tbMouseSensitivity->value();
  s.CloseOnMouseMove = ckbMouseMove->isChecked();
  s.CloseOnLeftClick = ckbMouseLeftClick->isChecked();
  s.CloseOnRightClick = ckbMouseRightClick->isChecked();
  s.CloseOnDoubleClick = ckbMouseDoubleClick->isChecked();
  s.CloseOnEsc = ckbEscKey->isChecked();
  s.CloseOnEnter = ckbEnterkey->isChecked();
  s.CloseOnKey = ckbSpecifyKey->isChecked();
  s.CloseKey = edtKeyValue->text();
  s.MusicEnabled = ckbEnabledMusic->isChecked();
  s.UseMaxRunTime = ckbMaxRuntime->isChecked();
  s.MaxRunMinutes = udMaxRunTime->value();
  QString list;
  for (int i = 0; i < clbInEffect->count(); ++i)
    if (clbInEffect->item(i)->checkState() == Qt::Checked) list += QString::number(i) + ";";
  s.Transitions = list;
  s.TransitionSpeed = tbInSpeed->value();
  s.RandomTransition = ckbRandomInEffect->isChecked();
  s.UseOwnTransitions = ckbtransitionused->isChecked();
  return s.Save();
}

void TfSetting::btnOKClick() {
  if (Save()) accept();
}

void TfSetting::btnCancelClick() { reject(); }

QString TfSetting::WebAddress() const {
  // The system handed the address over in a buffer of 104 bytes: longer ones are cut there.
  return project_.WebSite.left(103);
}

void TfSetting::VisitWebsite() { QDesktopServices::openUrl(QUrl::fromUserInput(WebAddress())); }

void TfSetting::ShowAbout() {
  TfSettingAbout about(project_, this);
  about.exec();
}

bool TfSetting::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgDlg && event->type() == QEvent::MouseButtonRelease) VisitWebsite();
  return QDialog::eventFilter(watched, event);
}

void TfSetting::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  activateWindow();  // the dialog takes the keyboard: Enter is "OK", Escape "Cancel"
  raise();
}

void TfSetting::PreviewEffect(int index) {
  if (index == previewIndex_ || index < 0) return;
  previewIndex_ = index;
  if (previewOld_.isNull()) {
    previewOld_ = PreviewPicture(lbPreview->size(), QColor(20, 40, 120), QColor(60, 140, 220), "A");
    previewNew_ = PreviewPicture(lbPreview->size(), QColor(200, 90, 10), QColor(250, 200, 60), "B");
  }
  previewSurface_ = previewOld_.copy();
  previewHold_ = 0;
  const int interval = previewEngine_.Start(index, previewCanvas_, previewNew_, previewOld_, 0, 0, tbInSpeed->value());
  lbPreview->setPixmap(QPixmap::fromImage(previewSurface_));
  previewTimer_.start(interval);
}

void TfSetting::PreviewTick() {
  if (previewHold_ > 0) {  // the finished picture stands a moment, then the effect runs again
    if (--previewHold_ == 0) {
      const int index = previewIndex_;
      previewIndex_ = -2;
      PreviewEffect(index);
    }
    return;
  }
  if (previewEngine_.Step()) {
    previewHold_ = std::max(1, 700 / std::max(1, previewTimer_.interval()));
  }
  previewCanvas_.TakeDirty();
  lbPreview->setPixmap(QPixmap::fromImage(previewSurface_));
}

QString PhysicalMemoryText() {
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  const unsigned long long bytes = pages > 0 && pageSize > 0 ? (unsigned long long)pages * (unsigned long long)pageSize : 0;
  return QString::number(bytes / 1024) + " K";
}

TfSettingAbout::TfSettingAbout(const TProjectInfo& project, QWidget* parent) : QDialog(parent) {
  setWindowTitle("About " + project.ProjectName);
  auto* row = new QHBoxLayout(this);
  imgAbout = new QLabel(this);
  imgAbout->setObjectName("imgAbout");
  imgAbout->setAlignment(Qt::AlignCenter);
  imgAbout->setFixedSize(72, 72);
  imgAbout->setPixmap(QPixmap::fromImage(PreviewPicture(QSize(48, 48), QColor(20, 40, 120), QColor(250, 200, 60), "S")));
  row->addWidget(imgAbout);
  auto* grid = new QGridLayout();
  lbProjectName = Label(project.ProjectName, this, "lbProjectName");
  QFont bold = lbProjectName->font();
  bold.setBold(true);
  lbProjectName->setFont(bold);
  labelversion = Label(project.Texts[stAboutVersion], this, "labelversion");
  lbVersion = Label(project.Version, this, "lbVersion");
  lbCopyright = Label(project.Copyright, this, "lbCopyright");
  lbavailmemory = Label(project.Texts[stAboutMemory], this, "lbavailmemory");
  lbMemory = Label(PhysicalMemoryText(), this, "lbMemory");
  grid->addWidget(lbProjectName, 0, 0, 1, 2);
  grid->addWidget(labelversion, 1, 0);
  grid->addWidget(lbVersion, 1, 1);
  grid->addWidget(lbCopyright, 2, 0, 1, 2);
  grid->addWidget(lbavailmemory, 3, 0);
  grid->addWidget(lbMemory, 3, 1);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 4, 1, Qt::AlignRight);
  row->addLayout(grid);
}

}  // namespace sf
