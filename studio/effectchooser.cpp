#include "studio/effectchooser.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "transitions/table.h"

namespace sf {

namespace {
constexpr QSize kScreen(400, 225);
constexpr int kHoldMs = 900;
}  // namespace

TEffectChooser::TEffectChooser(TPictureLoader& pictures, const QString& fromFile, const QString& toFile,
                               const std::vector<int32_t>& chosen, int32_t speed, bool wholeScreen, QWidget* parent)
    : QDialog(parent), pictures_(pictures), fromFile_(fromFile), toFile_(toFile), speed_(speed),
      wholeScreen_(wholeScreen), preview_(kScreen) {
  setWindowTitle("Choose the effects");
  auto* row = new QHBoxLayout;
  tree_ = new QTreeWidget(this);
  tree_->setHeaderLabels({"Effect", "Number"});
  tree_->header()->setStretchLastSection(false);
  tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  tree_->setMinimumWidth(380);
  items_.assign(size_t(kEffectCount), nullptr);
  std::vector<bool> on(size_t(kEffectCount), false);
  for (int32_t i : chosen)
    if (i >= 0 && i < kEffectCount) on[size_t(i)] = true;
  for (const TEffectFamily& family : EffectFamilies()) {
    auto* group = new QTreeWidgetItem(tree_, {QString::fromLatin1(family.title)});
    group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    for (int32_t i = 0; i < kEffectCount; ++i) {
      const TEffectInfo& e = EffectTable()[size_t(i)];
      if (QString::fromLatin1(e.family) != family.family) continue;
      auto* item = new QTreeWidgetItem(group, {QString::fromLatin1(e.name).trimmed(), QString::number(i)});
      item->setData(0, Qt::UserRole, i);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(0, on[size_t(i)] ? Qt::Checked : Qt::Unchecked);
      items_[size_t(i)] = item;
    }
  }
  tree_->expandAll();
  row->addWidget(tree_, 1);

  auto* side = new QVBoxLayout;
  screen_ = new QLabel(this);
  screen_->setFixedSize(kScreen);
  screen_->setFrameShape(QFrame::Box);
  about_ = new QLabel(this);
  about_->setWordWrap(true);
  about_->setMaximumWidth(kScreen.width());
  count_ = new QLabel(this);
  auto* all = new QPushButton("Select &all", this);
  auto* none = new QPushButton("&Clear all", this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(all);
  buttons->addWidget(none);
  buttons->addStretch(1);
  side->addWidget(screen_);
  side->addWidget(about_);
  side->addStretch(1);
  side->addWidget(count_);
  side->addLayout(buttons);
  row->addLayout(side);

  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* column = new QVBoxLayout(this);
  column->addLayout(row, 1);
  column->addWidget(box);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(all, &QPushButton::clicked, this, [this] { SetAll(true); });
  connect(none, &QPushButton::clicked, this, [this] { SetAll(false); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { Highlighted(item); });
  connect(tree_, &QTreeWidget::itemChanged, this, [this] { CountChosen(); });
  connect(&timer_, &QTimer::timeout, this, &TEffectChooser::Tick);
  connect(&pictures_, &TPictureLoader::Ready, this, [this](const QString& path) {
    if (path == fromFile_ || path == toFile_) UpdatePictures();
  });

  UpdatePictures();
  CountChosen();
  QTreeWidgetItem* first = nullptr;
  for (QTreeWidgetItem* item : items_)
    if (item && item->checkState(0) == Qt::Checked) {
      first = item;
      break;
    }
  tree_->setCurrentItem(first ? first : items_.front());
  tree_->scrollToItem(tree_->currentItem(), QAbstractItemView::PositionAtCenter);
  if (!restoreGeometry(QSettings().value("effects/geometry").toByteArray())) resize(900, 600);
}

TEffectChooser::~TEffectChooser() { QSettings().setValue("effects/geometry", saveGeometry()); }

std::vector<int32_t> TEffectChooser::Chosen() const {
  std::vector<int32_t> chosen;
  for (int32_t i = 0; i < kEffectCount; ++i)
    if (items_[size_t(i)]->checkState(0) == Qt::Checked) chosen.push_back(i);
  return chosen;
}

void TEffectChooser::UpdatePictures() {
  const TMediumPicture* from = pictures_.Get(fromFile_);
  const TMediumPicture* to = pictures_.Get(toFile_);
  preview_.SetPictures(from ? from->image : QImage(), to ? to->image : QImage());
  if (effect_ >= -1) Highlighted(tree_->currentItem());
}

void TEffectChooser::SetAll(bool on) {
  for (QTreeWidgetItem* item : items_) item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}

void TEffectChooser::CountChosen() {
  const size_t n = Chosen().size();
  count_->setText(n == 0 ? QString("No effect: the slide appears at once") : QString("%1 of 161 chosen").arg(n));
}

void TEffectChooser::Highlighted(QTreeWidgetItem* item) {
  timer_.stop();
  if (!item || !item->data(0, Qt::UserRole).isValid()) return;
  effect_ = item->data(0, Qt::UserRole).toInt();
  const int32_t interval = preview_.Start(effect_, speed_, wholeScreen_);
  const TEffectInfo* e = EffectInfo(effect_);
  QString text = QString("<b>%1</b> (number %2), at speed %3: a tick every %4 ms")
                     .arg(QString::fromLatin1(e->name).toHtmlEscaped())
                     .arg(effect_)
                     .arg(speed_)
                     .arg(interval);
  if (wholeScreen_ && TTransitionEngine::WholeScreenIndex(effect_, true) != effect_)
    text += QString("; the show runs \"%1\" in its place, as it brings in the whole screen")
                .arg(QString::fromLatin1(EffectInfo(TTransitionEngine::WholeScreenIndex(effect_, true))->name));
  about_->setText(text);
  holdTicks_ = 0;
  screen_->setPixmap(QPixmap::fromImage(preview_.Screen()));
  timer_.start(interval);
}

void TEffectChooser::Tick() {
  if (holdTicks_ > 0) {
    if (--holdTicks_ == 0) Highlighted(tree_->currentItem());
    return;
  }
  if (preview_.Step()) holdTicks_ = std::max(1, kHoldMs / std::max(1, timer_.interval()));
  screen_->setPixmap(QPixmap::fromImage(preview_.Screen()));
}

}  // namespace sf
