#include "studio/showpanel.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "container/projectinfo.h"

namespace sf {

namespace {

enum { kMergeHeaderText = 2001, kMergeSeconds = 2100, kMergeTicks, kMergeInterfaceText = 2200 };

const TProjectHeader& Defaults() {
  static const TProjectHeader defaults;
  return defaults;
}

// A header field's default, by its table entry.
TFieldValue DefaultOf(uint8_t tag) {
  const THeaderField* f = FindHeaderField(tag);
  if (f->b) return Defaults().*f->b;
  if (f->i) return Defaults().*f->i;
  if (f->s) return Defaults().*f->s;
  return QString();
}

// What the interface texts that the show uses are for.
QString TextUse(int entry) {
  switch (entry) {
    case stAboutVersion: return "About box: the version's label";
    case stAboutMemory: return "About box: the memory's label";
    case stFileNotFound: return "Message for a missing media file (%s is the file)";
    case stMenuSetting: return "Show's menu: the settings item";
    case stMenuStop: return "Show's menu: the stop item";
    default: return "Carried along, not used";
  }
}

}  // namespace

TShowPanel::TShowPanel(TStudioDocument& document, QWidget* parent) : QTabWidget(parent), doc_(document) {
  addTab(MakeAbout(), "A&bout");
  addTab(MakePlaying(), "Pla&ying");
  addTab(MakeMusic(), "&Music");
  addTab(MakeTexts(), "Te&xts");
  connect(&doc_, &TStudioDocument::HeaderChanged, this, &TShowPanel::Refresh);
  WheelOnlyWhenFocused(this);
  Refresh();
}

void TShowPanel::Edit(const TFieldChanges& changes, const QString& what, int mergeId) {
  if (loading_) return;
  if (QString why = doc_.SetHeaderFields(changes, what, mergeId); !why.isEmpty()) emit Message(why);
}

void TShowPanel::Refresh() {
  loading_ = true;
  for (auto& r : refresh_) r();
  loading_ = false;
}

QLineEdit* TShowPanel::TextField(uint8_t tag, const QString& what) {
  auto* edit = new QLineEdit;
  edit->setObjectName(FindHeaderField(tag)->name);
  connect(edit, &QLineEdit::textEdited, this, [this, tag, what](const QString& text) {
    Edit({{tag, text}}, what, kMergeHeaderText + tag);
  });
  refresh_.push_back([this, edit, tag] {
    const QString text = doc_.Show().header.Text(tag, std::get<QString>(DefaultOf(tag)));
    if (edit->text() != text) edit->setText(text);
  });
  return edit;
}

QCheckBox* TShowPanel::FlagField(uint8_t tag, const QString& text) {
  auto* box = new QCheckBox(text);
  connect(box, &QCheckBox::clicked, this, [this, tag, text](bool on) { Edit({{tag, on}}, QString(text).remove('&')); });
  refresh_.push_back([this, box, tag] { box->setChecked(doc_.Show().header.Bool(tag, std::get<bool>(DefaultOf(tag)))); });
  return box;
}

QComboBox* TShowPanel::ChoiceField(uint8_t tag, const QStringList& names, const std::vector<int32_t>& values) {
  auto* combo = new QComboBox;
  combo->addItems(names);
  const bool flag = std::holds_alternative<bool>(DefaultOf(tag));
  connect(combo, &QComboBox::activated, this, [this, tag, values, flag, combo](int i) {
    if (flag) Edit({{tag, values[size_t(i)] != 0}}, combo->toolTip());
    else Edit({{tag, values[size_t(i)]}}, combo->toolTip());
  });
  refresh_.push_back([this, combo, tag, values, flag] {
    const TFieldValue d = DefaultOf(tag);
    const int32_t v = flag ? int32_t(doc_.Show().header.Bool(tag, std::get<bool>(d)))
                           : doc_.Show().header.Int(tag, std::get<int32_t>(d));
    const auto it = std::find(values.begin(), values.end(), v);
    combo->setCurrentIndex(it == values.end() ? -1 : int(it - values.begin()));
  });
  return combo;
}

QWidget* TShowPanel::MakeAbout() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  column->addLayout(form);
  column->addStretch(1);
  form->addRow("Project &name:", TextField(hfProjectName, "Project name"));
  form->addRow("&Author:", TextField(hfAuthorName, "Author"));
  form->addRow("Web &site:", TextField(hfWebSite, "Web site"));
  form->addRow("E-ma&il:", TextField(hfEMail, "E-mail"));
  form->addRow("&Version:", TextField(hfVersion, "Version"));
  form->addRow("&Copyright:", TextField(hfCopyright, "Copyright"));
  auto* description = new QPlainTextEdit;
  description->setObjectName("Description");
  description->setTabChangesFocus(true);
  description->setFixedHeight(80);
  connect(description, &QPlainTextEdit::textChanged, this, [this, description] {
    if (loading_) return;
    QString text = description->toPlainText();
    Edit({{hfDescription, text.replace('\n', "\r\n")}}, "Description", int(kMergeHeaderText) + hfDescription);
  });
  refresh_.push_back([this, description] {
    QString text = doc_.Show().header.Text(hfDescription);
    text.replace("\r\n", "\n");
    if (description->toPlainText() != text) description->setPlainText(text);
  });
  form->addRow("Desc&ription:", description);
  dialogPicture_ = new TFileField("The settings dialog's picture", PictureFilter());
  connect(dialogPicture_, &TFileField::Changed, this, [this](const QString& path) {
    if (!loading_) doc_.SetDialogPicture(path);
  });
  refresh_.push_back([this] { dialogPicture_->SetPath(doc_.Show().dialogPicture); });
  form->addRow("Dialog &picture:", dialogPicture_);
  auto* shown = new QLabel("The show's settings dialog shows:");
  form->addRow(shown);
  form->addRow(FlagField(hfShowAuthorInfo, "The author's page (name, web site, e-mail) instead of the description"));
  form->addRow(FlagField(hfShowWebSite, "The web site, with a button to visit it"));
  form->addRow(FlagField(hfShowEMail, "The e-mail address"));
  form->addRow(FlagField(hfShowDescription, "The description on the author's page"));
  form->addRow(FlagField(hfShowHelpMenu, "A Help menu with the about box"));
  return page;
}

QWidget* TShowPanel::MakePlaying() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  column->addLayout(form);
  column->addStretch(1);
  auto* seconds = new QSpinBox;
  seconds->setRange(0, 24 * 3600);
  seconds->setSuffix(" s");
  connect(seconds, &QSpinBox::valueChanged, this,
          [this](int v) { Edit({{hfDisplaySeconds, int32_t(v)}}, "Display time", kMergeSeconds); });
  refresh_.push_back([this, seconds] { seconds->setValue(doc_.Show().header.Int(hfDisplaySeconds, Defaults().DisplaySeconds)); });
  form->addRow("Each slide st&ays:", seconds);
  auto* order = ChoiceField(hfRandomOrder, {"In the list's order", "At random"}, {0, 1});
  order->setToolTip("Order");
  form->addRow("O&rder:", order);
  auto* fit = ChoiceField(hfFitMode, {"Actual size", "Shrunk to fit the screen", "Filling the screen (cropped)", "Stretched over the screen"},
                          {0, 1, 2, 3});
  fit->setToolTip("Fit");
  form->addRow("&Pictures are:", fit);
  auto* place = ChoiceField(hfRandomPosition, {"Centred", "At a random place"}, {0, 1});
  place->setToolTip("Position");
  form->addRow("Pla&ced:", place);
  auto* mode = ChoiceField(hfScreenTransitionMode,
                           {"The whole screen (background, caption and text with the picture)",
                            "Only the picture, over a background shown at once"},
                           {1, 0});
  mode->setToolTip("Transition mode");
  form->addRow("&Transitions bring in:", mode);
  auto* menu = ChoiceField(hfMenuMode, {"Ends the show (as the user's settings say)", "Opens the show's menu"}, {0, 1});
  menu->setToolTip("Right click");
  form->addRow("A right cl&ick:", menu);
  return page;
}

QWidget* TShowPanel::MakeMusic() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  music_ = new QListWidget;
  music_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  column->addWidget(music_, 1);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton("&Add…");
  auto* remove = new QPushButton("&Remove");
  auto* up = new QPushButton("&Up");
  auto* down = new QPushButton("Dow&n");
  for (QPushButton* b : {add, remove, up, down}) buttons->addWidget(b);
  buttons->addStretch(1);
  column->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, [this] {
    const QStringList files = AskOpenFiles(this, "Add music", SoundFilter());
    if (!files.isEmpty()) doc_.SetMusic(doc_.Show().music + files, "Add music");
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    QStringList music = doc_.Show().music;
    QList<int> rows;
    for (QListWidgetItem* item : music_->selectedItems()) rows << music_->row(item);
    std::sort(rows.rbegin(), rows.rend());
    for (int r : rows) music.removeAt(r);
    doc_.SetMusic(music, "Remove music");
  });
  connect(up, &QPushButton::clicked, this, [this] { MoveTrack(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveTrack(1); });
  refresh_.push_back([this] {
    const int current = music_->currentRow();
    music_->clear();
    for (const QString& m : doc_.Show().music) {
      auto* item = new QListWidgetItem(QFileInfo(m).fileName(), music_);
      item->setToolTip(m);
      if (!QFileInfo(m).isFile()) item->setForeground(Qt::red), item->setToolTip(m + "\nno such file");
    }
    music_->setCurrentRow(std::min(current, music_->count() - 1));
  });
  auto* form = new QFormLayout;
  form->addRow(FlagField(hfRandomMusic, "Tracks in a random order"));
  form->addRow(FlagField(hfLoopMusic, "Start again after the last track"));
  auto* ticks = new QSpinBox;
  ticks->setRange(0, 3600);
  ticks->setSuffix(" s");
  connect(ticks, &QSpinBox::valueChanged, this,
          [this](int v) { Edit({{hfMusicPauseTicks, int32_t(v)}}, "Pause between tracks", kMergeTicks); });
  refresh_.push_back([this, ticks] { ticks->setValue(doc_.Show().header.Int(hfMusicPauseTicks, Defaults().MusicPauseTicks)); });
  form->addRow("&Pause between tracks:", ticks);
  column->addLayout(form);
  return page;
}

void TShowPanel::MoveTrack(int by) {
  const int row = music_->currentRow();
  QStringList music = doc_.Show().music;
  if (row < 0 || row + by < 0 || row + by >= music.size()) return;
  music.move(row, row + by);
  doc_.SetMusic(music, "Move music");
  music_->setCurrentRow(row + by);
}

QWidget* TShowPanel::MakeTexts() {
  // The texts the show uses come first; the others it only carries along (a show made elsewhere
  // may hold some), shown on request or when they hold a text.
  std::vector<int> entries = {stFileNotFound, stMenuSetting, stMenuStop, stAboutVersion, stAboutMemory};
  for (int k = 0; k < kSettingTextCount; ++k)
    if (std::find(entries.begin(), entries.end(), k) == entries.end()) entries.push_back(k);
  const int used = 5;
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  texts_ = new QTableWidget(kSettingTextCount, 2);
  texts_->setHorizontalHeaderLabels({"Used for", "Text"});
  texts_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  texts_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  QStringList numbers;
  for (int row = 0; row < kSettingTextCount; ++row) {
    const int k = entries[size_t(row)];
    numbers << QString::number(k);
    auto* use = new QTableWidgetItem(TextUse(k));
    use->setFlags(Qt::ItemIsEnabled);
    texts_->setItem(row, 0, use);
    auto* text = new QTableWidgetItem;
    text->setData(Qt::UserRole, k);
    texts_->setItem(row, 1, text);
  }
  texts_->setVerticalHeaderLabels(numbers);
  column->addWidget(texts_, 1);
  auto* all = new QCheckBox("Show &all 51 texts, also those the show does not use");
  column->addWidget(all);
  auto hide = [this, all] {
    for (int row = used; row < kSettingTextCount; ++row)
      texts_->setRowHidden(row, !all->isChecked() && texts_->item(row, 1)->text().isEmpty());
  };
  connect(all, &QCheckBox::toggled, this, hide);
  connect(texts_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    if (loading_ || column != 1) return;
    const QString text = texts_->item(row, 1)->text();
    const uint8_t tag = uint8_t(kFirstSettingTextTag + texts_->item(row, 1)->data(Qt::UserRole).toInt());
    Edit({{tag, text.isEmpty() ? std::nullopt : std::optional<TFieldValue>(text)}}, "Interface text");
  });
  refresh_.push_back([this, hide] {
    for (int row = 0; row < kSettingTextCount; ++row) {
      QTableWidgetItem* item = texts_->item(row, 1);
      const QString text = doc_.Show().header.Text(uint8_t(kFirstSettingTextTag + item->data(Qt::UserRole).toInt()));
      if (item->text() != text) item->setText(text);
    }
    hide();
  });
  return page;
}

}  // namespace sf
