#include "studio/slidepanel.h"

#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "container/pictureinfo.h"
#include "player/slidemath.h"
#include "studio/effectchooser.h"
#include "studio/model/slidelistmodel.h"

namespace sf {

QStringList PlaceNames() {
  return {"Top centre",    "Top left",     "Top right",     "Bottom centre", "Bottom left",
          "Bottom right",  "Centre",       "Middle left",   "Middle right",  "At a point"};
}

QStringList GradientStyleNames() {
  return {"Top to bottom",       "Bottom to top",          "Left to right",
          "Right to left",       "Sides to middle",        "Middle to sides",
          "Top and bottom to middle", "Middle to top and bottom", "Rectangles, edges to centre",
          "Rectangles, centre to edges", "Ellipses, edges to centre", "Ellipses, centre to edges"};
}

namespace {

// Merge ids: typing into one field is one step.
enum { kMergeCaption = 1001, kMergeText, kMergeCaptionXY, kMergeTextXY, kMergeSpeed, kMergeTiles, kMergeFlashEnd };

// The flash control's alignment flags (1 left, 2 right, 4 top, 8 bottom) by the names offered.
const std::vector<int32_t> kAlignFlags = {0, 5, 4, 6, 1, 2, 9, 8, 10};
// The flash slide's end modes by the names offered: at the movie's end, at a frame, after a
// time, never.
const std::vector<int32_t> kEndModes = {3, 0, 1, 2};

// The index of a value among those offered, or none.
std::optional<int> IndexOf(const std::vector<int32_t>& values, std::optional<int32_t> v) {
  if (!v) return std::nullopt;
  const auto it = std::find(values.begin(), values.end(), *v);
  return it == values.end() ? std::nullopt : std::optional<int>(int(it - values.begin()));
}

// The background kinds the panel offers, as the fields give them.
enum TBackgroundChoice { bgSolid, bgRandomColour, bgGradient, bgPicture, bgCentredPicture, bgTiledPicture, bgOther };

const TPictureInfo& Defaults() {
  static const TPictureInfo defaults;
  return defaults;
}

TBackgroundChoice BackgroundOf(const TFieldSet& f) {
  const QString kinds = f.Text(pfBackgroundKinds, Defaults().BackgroundKinds).trimmed();
  if (kinds == "0;") return f.Bool(pfRandomBackgroundColor, Defaults().RandomBackgroundColor) ? bgRandomColour : bgSolid;
  if (kinds == "2;") return bgGradient;
  if (kinds == "1;" && f.Text(pfBackgroundPictureSources, Defaults().BackgroundPictureSources).trimmed() == "2;") {
    switch (f.Int(pfBackgroundPictureLayout, Defaults().BackgroundPictureLayout)) {
      case 0: return bgPicture;
      case 1: return bgCentredPicture;
      case 2: return bgTiledPicture;
      default: break;
    }
  }
  return bgOther;
}

// The one gradient style a list gives, -1 for several (random among them).
int SingleStyle(const QString& list) {
  const std::vector<int32_t> styles = EffectIndices(list);  // the same "n;" text form
  return styles.size() == 1 ? styles.front() : -1;
}

// Lines as the show stores them (CR LF) and as an editor shows them.
QString Stored(QString text) { return text.replace("\r\n", "\n").replace('\n', "\r\n"); }
QString Shown(QString text) { return text.replace("\r\n", "\n"); }

QString FontText(const TFieldSet& f, uint8_t fontTag, int32_t defaultHeight) {
  const QString name = f.Text(FontPartTag(fontTag, TFieldKind::FontName), "MS Sans Serif");
  const int32_t height = f.Int(FontPartTag(fontTag, TFieldKind::FontHeight), defaultHeight);
  const QString style = f.Text(FontPartTag(fontTag, TFieldKind::FontStyle));
  QString text = QString("%1, %2 px").arg(name).arg(height < 0 ? -height : height);
  if (style.contains('1')) text += ", bold";
  if (style.contains('2')) text += ", italic";
  if (style.contains('3')) text += ", underlined";
  if (style.contains('4')) text += ", struck out";
  return text;
}

void SetTristate(QCheckBox* box, std::optional<bool> value) {
  box->setTristate(!value.has_value());
  box->setCheckState(!value ? Qt::PartiallyChecked : *value ? Qt::Checked : Qt::Unchecked);
}

void SetCombo(QComboBox* box, std::optional<int> index) { box->setCurrentIndex(index ? *index : -1); }


}  // namespace

template <typename T>
std::optional<T> TSlidePanel::Common(const std::function<T(const TFieldSet&)>& get) const {
  std::optional<T> value;
  for (int s : slides_) {
    if (s >= doc_.SlideCount()) continue;
    T v = get(doc_.Slide(s).fields);
    if (value && !(*value == v)) return std::nullopt;
    value = std::move(v);
  }
  return value;
}

TSlidePanel::TSlidePanel(TStudioDocument& document, TPictureLoader& pictures, QWidget* parent)
    : QWidget(parent), doc_(document), pictures_(pictures) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  title_ = new QLabel(this);
  title_->setWordWrap(true);
  title_->setContentsMargins(6, 6, 6, 0);
  outer->addWidget(title_);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  body_ = new QWidget;
  auto* column = new QVBoxLayout(body_);
  caption_ = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
              pfShowCaption, pfCaption, pfCaptionFont, pfCaptionPosition, pfCaptionX, pfCaptionY};
  text_ = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
           pfShowText, pfText, pfTextFont, pfTextPosition, pfTextX, pfTextY};
  column->addWidget(MakeTextGroup(caption_, "&Caption", false));
  column->addWidget(MakeTextGroup(text_, "&Text", true));
  column->addWidget(MakeBackground());
  column->addWidget(MakeTransition());
  column->addWidget(MakeMedium());
  column->addWidget(MakeOptions());
  column->addStretch(1);
  scroll->setWidget(body_);
  outer->addWidget(scroll, 1);
  WheelOnlyWhenFocused(body_);

  connect(&doc_, &TStudioDocument::SlidesChanged, this, [this] { Refresh(); });
  connect(&doc_, &TStudioDocument::StructureChanged, this, [this] { Refresh(); });
  Refresh();
}

void TSlidePanel::SetSelection(const QList<int>& slides) {
  slides_ = slides;
  Refresh();
}

void TSlidePanel::Edit(const TFieldChanges& changes, const QString& what, int mergeId) {
  if (loading_ || slides_.isEmpty()) return;
  if (QString why = doc_.SetSlideFields(slides_, changes, what, mergeId); !why.isEmpty()) emit Message(why);
}

// ---------------------------------------------------------------------------------------------
// Building.

QWidget* TSlidePanel::MakeTextGroup(TTextGroup& g, const QString& title, bool block) {
  g.box = new QGroupBox(title, body_);
  auto* form = new QFormLayout(g.box);
  if (block) {
    g.block = new QPlainTextEdit(g.box);
    g.block->setObjectName("text");
    g.block->setTabChangesFocus(true);
    g.block->setFixedHeight(70);
    g.block->setPlaceholderText("Lines of text");
    form->addRow(g.block);
    connect(g.block, &QPlainTextEdit::textChanged, this, [this, &g] {
      if (loading_) return;
      const QString text = Stored(g.block->toPlainText());
      // Text typed is shown, on every selected slide (some may not show theirs).
      TFieldChanges changes = {{g.textTag, text}};
      if (!text.isEmpty()) changes.push_back({g.showTag, true});
      Edit(changes, "Text", kMergeText);
    });
  } else {
    g.line = new QLineEdit(g.box);
    g.line->setObjectName("caption");
    g.line->setMaxLength(100);
    g.line->setPlaceholderText("A line over the picture");
    form->addRow(g.line);
    connect(g.line, &QLineEdit::textEdited, this, [this, &g](const QString& text) {
      TFieldChanges changes = {{g.textTag, text}};
      // Typing a caption shows it, on every selected slide (some may not show theirs); the
      // palette's random colour may be black on black, so a first caption is white unless a
      // colour was chosen.
      if (!text.isEmpty()) changes.push_back({g.showTag, true});
      const uint8_t colorTag = FontPartTag(g.fontTag, TFieldKind::FontColor);
      if (!text.isEmpty() && !Common<bool>([colorTag](const TFieldSet& f) { return f.Has(colorTag); }).value_or(true))
        changes.push_back({colorTag, int32_t(0xFFFFFF)});
      Edit(changes, "Caption", kMergeCaption);
    });
  }
  // The text comes first, so that the group's shortcut takes the cursor into it.
  g.show = new QCheckBox(block ? "Show the text on the slide" : "Show the caption on the slide", g.box);
  g.show->setObjectName(block ? "textShown" : "captionShown");
  form->addRow(g.show);
  connect(g.show, &QCheckBox::clicked, this, [this, &g](bool on) { Edit({{g.showTag, on}}, g.box->title().remove('&')); });

  auto* look = new QHBoxLayout;
  g.font = new QPushButton(g.box);
  g.font->setToolTip("Choose the font");
  g.color = new TColorButton(true, g.box);
  look->addWidget(g.font, 1);
  look->addWidget(g.color);
  form->addRow("Font:", look);
  connect(g.font, &QPushButton::clicked, this, [this, &g] { ChooseFont(g); });
  connect(g.color, &TColorButton::Chosen, this, [this, &g](std::optional<TColor> c) {
    const uint8_t tag = FontPartTag(g.fontTag, TFieldKind::FontColor);
    Edit({{tag, c ? std::optional<TFieldValue>(int32_t(*c)) : std::nullopt}}, "Colour");
  });

  auto* where = new QHBoxLayout;
  g.place = new QComboBox(g.box);
  g.place->addItems(PlaceNames());
  g.x = new QSpinBox(g.box);
  g.y = new QSpinBox(g.box);
  for (QSpinBox* b : {g.x, g.y}) {
    b->setRange(-10000, 10000);
    b->setSuffix(" px");
  }
  g.x->setPrefix("x ");
  g.y->setPrefix("y ");
  where->addWidget(g.place, 1);
  where->addWidget(g.x);
  where->addWidget(g.y);
  form->addRow("Place:", where);
  connect(g.place, &QComboBox::activated, this, [this, &g](int i) { Edit({{g.placeTag, int32_t(i)}}, "Place"); });
  const int merge = block ? kMergeTextXY : kMergeCaptionXY;
  connect(g.x, &QSpinBox::valueChanged, this, [this, &g, merge](int v) { Edit({{g.xTag, int32_t(v)}}, "Point", merge); });
  connect(g.y, &QSpinBox::valueChanged, this, [this, &g, merge](int v) { Edit({{g.yTag, int32_t(v)}}, "Point", merge); });
  return g.box;
}

QWidget* TSlidePanel::MakeBackground() {
  auto* box = new QGroupBox("&Background", body_);
  auto* form = new QFormLayout(box);
  auto* kindRow = new QHBoxLayout;
  bgKind_ = new QComboBox(box);
  bgKind_->setObjectName("backgroundKind");
  bgKind_->addItems({"Solid colour", "Random colour each time", "Gradient", "Picture, stretched", "Picture, centred",
                     "Tiled picture", "As the manifest gives it"});
  // The last names kinds the panel cannot make (several at random): shown, never chosen.
  qobject_cast<QStandardItemModel*>(bgKind_->model())->item(bgOther)->setEnabled(false);
  bgColor_ = new TColorButton(false, box);
  kindRow->addWidget(bgKind_, 1);
  kindRow->addWidget(bgColor_);
  form->addRow("Kind:", kindRow);
  connect(bgKind_, &QComboBox::activated, this, &TSlidePanel::BackgroundKindChosen);
  connect(bgColor_, &TColorButton::Chosen, this, [this](std::optional<TColor> c) {
    if (c) Edit({{pfSolidColor, int32_t(*c)}, {pfRandomBackgroundColor, false}}, "Background colour");
  });

  gradientRow_ = new QWidget(box);
  auto* g = new QFormLayout(gradientRow_);
  g->setContentsMargins(0, 0, 0, 0);
  gradientStyle_ = new QComboBox(gradientRow_);
  gradientStyle_->addItems(GradientStyleNames());
  gradientStyle_->addItem("A random style each time");
  g->addRow("Style:", gradientStyle_);
  auto* colours = new QHBoxLayout;
  gradient1_ = new TColorButton(false, gradientRow_);
  gradient2_ = new TColorButton(false, gradientRow_);
  gradientRandom_ = new QCheckBox("Random", gradientRow_);
  colours->addWidget(gradient1_);
  colours->addWidget(gradient2_);
  colours->addWidget(gradientRandom_);
  g->addRow("Colours:", colours);
  form->addRow(gradientRow_);
  connect(gradientStyle_, &QComboBox::activated, this, [this](int i) {
    Edit({{pfGradientStyles, i < 12 ? QString(" %1;").arg(i) : Defaults().GradientStyles}}, "Gradient style");
  });
  connect(gradient1_, &TColorButton::Chosen, this, [this](std::optional<TColor> c) {
    if (c) Edit({{pfGradientColor1, int32_t(*c)}, {pfRandomGradientColors, false}}, "Gradient colour");
  });
  connect(gradient2_, &TColorButton::Chosen, this, [this](std::optional<TColor> c) {
    if (c) Edit({{pfGradientColor2, int32_t(*c)}, {pfRandomGradientColors, false}}, "Gradient colour");
  });
  connect(gradientRandom_, &QCheckBox::clicked, this, [this](bool on) {
    TFieldChanges changes = {{pfRandomGradientColors, on}};
    // Colours of their own once not random: the ones shown, so that nothing changes by surprise.
    if (!on)
      for (int s : slides_) {
        const TFieldSet& f = doc_.Slide(s).fields;
        if (!f.Has(pfGradientColor1)) changes.push_back({pfGradientColor1, int32_t(0xFF8000)});
        if (!f.Has(pfGradientColor2)) changes.push_back({pfGradientColor2, int32_t(0x000000)});
        break;
      }
    Edit(changes, "Gradient colours");
  });

  pictureRow_ = new QWidget(box);
  auto* p = new QFormLayout(pictureRow_);
  p->setContentsMargins(0, 0, 0, 0);
  bgPicture_ = new TFileField("Background picture", PictureFilter(), pictureRow_);
  p->addRow("Picture:", bgPicture_);
  tiles_ = new QSpinBox(pictureRow_);
  tiles_->setRange(0, 200);
  tiles_->setSpecialValueText("Random");
  tiles_->setToolTip("How many tiles across the picture is cut into; Random draws a count each time");
  p->addRow("Tiles:", tiles_);
  form->addRow(pictureRow_);
  connect(bgPicture_, &TFileField::Changed, this, [this](const QString& path) {
    if (loading_ || slides_.isEmpty() || path.isEmpty()) return;
    const int layout = bgKind_->currentIndex() == bgCentredPicture ? 1 : bgKind_->currentIndex() == bgTiledPicture ? 2 : 0;
    const int tiles = tiles_->value();
    doc_.SetBackgroundPicture(slides_, path, layout, tiles > 0 ? std::optional<int>(tiles) : std::nullopt);
  });
  connect(tiles_, &QSpinBox::valueChanged, this, [this](int n) {
    if (n > 0) Edit({{pfRandomTileCount, false}, {pfTileCount, int32_t(n)}}, "Tiles", kMergeTiles);
    else Edit({{pfRandomTileCount, true}}, "Tiles", kMergeTiles);
  });
  return box;
}

void TSlidePanel::BackgroundKindChosen(int index) {
  switch (index) {
    case bgSolid:
      Edit({{pfBackgroundKinds, QString("0;")}, {pfRandomBackgroundColor, false}}, "Background");
      break;
    case bgRandomColour:
      Edit({{pfBackgroundKinds, QString("0;")}, {pfRandomBackgroundColor, true}}, "Background");
      break;
    case bgGradient: Edit({{pfBackgroundKinds, QString("2;")}}, "Background"); break;
    case bgPicture:
    case bgCentredPicture:
    case bgTiledPicture: {
      const int layout = index == bgPicture ? 0 : index == bgCentredPicture ? 1 : 2;
      // A picture needs a file: until one is chosen only the layout is kept.
      if (bgPicture_->Path().isEmpty()) {
        pictureRow_->setVisible(true);
        tiles_->setVisible(layout == 2);
        gradientRow_->setVisible(false);
        bgColor_->setVisible(false);
        emit Message("Choose the background picture");
        return;
      }
      const int tiles = tiles_->value();
      doc_.SetBackgroundPicture(slides_, bgPicture_->Path(), layout, tiles > 0 ? std::optional<int>(tiles) : std::nullopt);
      break;
    }
    default: break;
  }
}

QWidget* TSlidePanel::MakeTransition() {
  auto* box = new QGroupBox("T&ransition", body_);
  auto* form = new QFormLayout(box);
  auto* row = new QHBoxLayout;
  effects_ = new QLabel(box);
  effects_->setObjectName("effects");
  auto* choose = new QPushButton("Choose effect&s…", box);
  row->addWidget(effects_, 1);
  row->addWidget(choose);
  form->addRow("Effects:", row);
  connect(choose, &QPushButton::clicked, this, &TSlidePanel::ChooseEffects);
  effectOrder_ = new QComboBox(box);
  effectOrder_->addItems({"One at random each time", "Each in turn"});
  form->addRow("Order:", effectOrder_);
  connect(effectOrder_, &QComboBox::activated, this,
          [this](int i) { Edit({{pfRandomEffect, i == 0}}, "Effect order"); });
  auto* speedRow = new QHBoxLayout;
  speed_ = new QSlider(Qt::Horizontal, box);
  speed_->setRange(1, 50);
  speedBox_ = new QSpinBox(box);
  speedBox_->setRange(1, 50);
  speedRow->addWidget(new QLabel("Slow", box));
  speedRow->addWidget(speed_, 1);
  speedRow->addWidget(new QLabel("Fast", box));
  speedRow->addWidget(speedBox_);
  form->addRow("Speed:", speedRow);
  connect(speed_, &QSlider::valueChanged, speedBox_, &QSpinBox::setValue);
  connect(speedBox_, &QSpinBox::valueChanged, speed_, &QSlider::setValue);
  connect(speedBox_, &QSpinBox::valueChanged, this,
          [this](int v) { Edit({{pfEffectSpeed, int32_t(v)}}, "Effect speed", kMergeSpeed); });
  return box;
}

QWidget* TSlidePanel::MakeOptions() {
  auto* box = new QGroupBox("Opt&ions", body_);
  auto* column = new QVBoxLayout(box);
  music_ = new QCheckBox("The &music plays on during this slide", box);
  transparent_ = new QCheckBox("Trans&parent: the colour of the picture's top-left pixel shows the background", box);
  column->addWidget(music_);
  column->addWidget(transparent_);
  // The show keeps these for all its slides alike: said where the author looks for them.
  auto* whole = new QLabel("How long a slide stays, how its picture is fitted and where it is placed are the same "
                           "for every slide: <a href=\"playing\">Whole show, Playing</a>.",
                           box);
  whole->setWordWrap(true);
  column->addWidget(whole);
  connect(whole, &QLabel::linkActivated, this, &TSlidePanel::ShowPlaying);
  connect(music_, &QCheckBox::clicked, this, [this](bool on) { Edit({{pfMusicDuringSlide, on}}, "Music during the slide"); });
  connect(transparent_, &QCheckBox::clicked, this, [this](bool on) { Edit({{pfTransparent, on}}, "Transparent"); });
  return box;
}

QWidget* TSlidePanel::MakeMedium() {
  auto* both = new QWidget(body_);
  auto* column = new QVBoxLayout(both);
  column->setContentsMargins(0, 0, 0, 0);
  clipBox_ = new QGroupBox("&Video clip", both);
  clipBox_->setObjectName("clip");
  auto* clip = new QFormLayout(clipBox_);
  videoSize_ = new QComboBox(clipBox_);
  videoSize_->addItems({"Its own size", "Twice its size", "A quarter of the screen's width", "Half the screen's width",
                        "The screen's width divided by 1.41", "The screen's width"});
  clip->addRow("Size:", videoSize_);
  connect(videoSize_, &QComboBox::activated, this, [this](int i) { Edit({{pfVideoSizeMode, int32_t(i)}}, "Video size"); });
  column->addWidget(clipBox_);

  movieBox_ = new QGroupBox("Fl&ash movie", both);
  movieBox_->setObjectName("movie");
  auto* movie = new QFormLayout(movieBox_);
  flashScale_ = new QComboBox(movieBox_);
  flashScale_->addItems({"All of it, as large as fits", "The screen filled, edges cut off", "Stretched over the screen",
                         "Its own size"});
  movie->addRow("Scale:", flashScale_);
  connect(flashScale_, &QComboBox::activated, this, [this](int i) { Edit({{pfFlashScaleMode, int32_t(i)}}, "Movie scale"); });
  auto* placeRow = new QHBoxLayout;
  flashAlign_ = new QComboBox(movieBox_);
  flashAlign_->setObjectName("movieAlign");
  flashAlign_->addItems({"Centre", "Top left", "Top centre", "Top right", "Middle left", "Middle right", "Bottom left",
                         "Bottom centre", "Bottom right"});
  flashColor_ = new TColorButton(false, movieBox_);
  flashColor_->setToolTip("The colour around the movie");
  placeRow->addWidget(flashAlign_, 1);
  placeRow->addWidget(flashColor_);
  movie->addRow("Place:", placeRow);
  connect(flashAlign_, &QComboBox::activated, this,
          [this](int i) { Edit({{pfFlashAlignMode, kAlignFlags[size_t(i)]}}, "Movie place"); });
  connect(flashColor_, &TColorButton::Chosen, this, [this](std::optional<TColor> c) {
    if (c) Edit({{pfFlashBackgroundColor, int32_t(*c)}}, "Movie colour");
  });
  auto* endRow = new QHBoxLayout;
  flashEnd_ = new QComboBox(movieBox_);
  flashEnd_->setObjectName("movieEnd");
  flashEnd_->addItems({"When the movie stops", "At a frame", "After a time", "Never (only a close event ends it)"});
  flashEndFrame_ = new QSpinBox(movieBox_);
  flashEndFrame_->setRange(0, 65535);
  flashEndFrame_->setPrefix("frame ");
  flashEndSeconds_ = new QSpinBox(movieBox_);
  flashEndSeconds_->setObjectName("movieSeconds");
  flashEndSeconds_->setRange(0, 24 * 3600);
  flashEndSeconds_->setSuffix(" s");
  endRow->addWidget(flashEnd_, 1);
  endRow->addWidget(flashEndFrame_);
  endRow->addWidget(flashEndSeconds_);
  movie->addRow("Ends:", endRow);
  connect(flashEnd_, &QComboBox::activated, this, [this](int i) { Edit({{pfFlashEndMode, kEndModes[size_t(i)]}}, "Movie end"); });
  connect(flashEndFrame_, &QSpinBox::valueChanged, this,
          [this](int v) { Edit({{pfFlashEndFrame, int32_t(v)}}, "Movie end", kMergeFlashEnd); });
  connect(flashEndSeconds_, &QSpinBox::valueChanged, this,
          [this](int v) { Edit({{pfFlashEndSeconds, int32_t(v)}}, "Movie end", kMergeFlashEnd); });
  flashMove_ = new QCheckBox("The movie takes the mouse's moves", movieBox_);
  flashClick_ = new QCheckBox("The movie takes the mouse's clicks", movieBox_);
  movie->addRow(flashMove_);
  movie->addRow(flashClick_);
  connect(flashMove_, &QCheckBox::clicked, this, [this](bool on) { Edit({{pfFlashMouseMove, on}}, "Movie mouse"); });
  connect(flashClick_, &QCheckBox::clicked, this, [this](bool on) { Edit({{pfFlashMouseClick, on}}, "Movie mouse"); });
  column->addWidget(movieBox_);
  return both;
}

void TSlidePanel::RefreshMedium() {
  const TPictureInfo& d = Defaults();
  const auto kind = Common<int>([&](const TFieldSet& f) { return f.Int(pfSlideKind, d.SlideKind); });
  clipBox_->setVisible(kind == 2);
  movieBox_->setVisible(kind == 1);
  if (kind == 2) {
    const auto size = Common<int>([&](const TFieldSet& f) { return f.Int(pfVideoSizeMode, d.VideoSizeMode); });
    SetCombo(videoSize_, size && *size >= 0 && *size <= 5 ? size : std::nullopt);
  }
  if (kind != 1) return;
  const auto scale = Common<int>([&](const TFieldSet& f) { return f.Int(pfFlashScaleMode, d.FlashScaleMode); });
  SetCombo(flashScale_, scale && *scale >= 0 && *scale <= 3 ? scale : std::nullopt);
  SetCombo(flashAlign_, IndexOf(kAlignFlags, Common<int32_t>([&](const TFieldSet& f) { return f.Int(pfFlashAlignMode, d.FlashAlignMode); })));
  const auto colour = Common<int>([&](const TFieldSet& f) { return f.Int(pfFlashBackgroundColor, int32_t(d.FlashBackgroundColor)); });
  flashColor_->SetColor(TColor(colour.value_or(0)), !colour.has_value());
  // Any mode but the first three ends with the movie, as the player reads it.
  const auto end = Common<int32_t>([&](const TFieldSet& f) {
    const int32_t m = f.Int(pfFlashEndMode, d.FlashEndMode);
    return m >= 0 && m <= 2 ? m : 3;
  });
  SetCombo(flashEnd_, IndexOf(kEndModes, end));
  flashEndFrame_->setValue(Common<int>([&](const TFieldSet& f) { return f.Int(pfFlashEndFrame, d.FlashEndFrame); }).value_or(0));
  flashEndSeconds_->setValue(Common<int>([&](const TFieldSet& f) { return f.Int(pfFlashEndSeconds, d.FlashEndSeconds); }).value_or(0));
  flashEndFrame_->setVisible(end == 0);
  flashEndSeconds_->setVisible(end == 1);
  SetTristate(flashMove_, Common<bool>([&](const TFieldSet& f) { return f.Bool(pfFlashMouseMove, d.FlashMouseMove); }));
  SetTristate(flashClick_, Common<bool>([&](const TFieldSet& f) { return f.Bool(pfFlashMouseClick, d.FlashMouseClick); }));
}

// ---------------------------------------------------------------------------------------------
// Showing the selection.


void TSlidePanel::Refresh() {
  slides_.removeIf([this](int s) { return s >= doc_.SlideCount(); });
  body_->setEnabled(!slides_.isEmpty());
  if (slides_.isEmpty()) title_->setText("<i>No slide selected</i>");
  else if (slides_.size() == 1)
    title_->setText(QString("<b>Slide %1</b>: %2").arg(slides_.front() + 1).arg(QFileInfo(doc_.Slide(slides_.front()).file).fileName().toHtmlEscaped()));
  else title_->setText(QString("<b>%1 slides</b>: every change applies to each of them").arg(slides_.size()));
  if (slides_.isEmpty()) return;

  loading_ = true;
  RefreshText(caption_);
  RefreshText(text_);
  RefreshBackground();
  effects_->setText(Common<QString>([](const TFieldSet& f) { return EffectSummary(f); }).value_or("(several)"));
  SetCombo(effectOrder_, Common<int>([](const TFieldSet& f) { return f.Bool(pfRandomEffect, Defaults().RandomEffect) ? 0 : 1; }));
  const auto speed = Common<int>([](const TFieldSet& f) { return f.Int(pfEffectSpeed, Defaults().EffectSpeed); });
  speedBox_->setValue(std::clamp(speed.value_or(25), 1, 50));
  speedBox_->setSpecialValueText(speed ? QString() : QString("(several)"));
  SetTristate(music_, Common<bool>([](const TFieldSet& f) { return f.Bool(pfMusicDuringSlide, Defaults().MusicDuringSlide); }));
  SetTristate(transparent_, Common<bool>([](const TFieldSet& f) { return f.Bool(pfTransparent, Defaults().Transparent); }));
  RefreshMedium();
  loading_ = false;
}

void TSlidePanel::RefreshText(TTextGroup& g) {
  const bool caption = g.line != nullptr;
  const uint8_t show = g.showTag, text = g.textTag, place = g.placeTag, x = g.xTag, y = g.yTag;
  const bool showDefault = caption ? Defaults().ShowCaption : Defaults().ShowText;
  const QString textDefault = caption ? Defaults().Caption : Defaults().Text;
  const int32_t placeDefault = caption ? Defaults().CaptionPosition : Defaults().TextPosition;
  SetTristate(g.show, Common<bool>([&](const TFieldSet& f) { return f.Bool(show, showDefault); }));
  const auto common = Common<QString>([&](const TFieldSet& f) { return f.Text(text, textDefault); });
  if (caption) {
    if (g.line->text() != common.value_or(QString())) g.line->setText(common.value_or(QString()));
    g.line->setPlaceholderText(common ? "A line over the picture" : "(several)");
  } else if (Stored(g.block->toPlainText()) != common.value_or(QString())) {
    g.block->setPlainText(Shown(common.value_or(QString())));
    g.block->setPlaceholderText(common ? "Lines of text" : "(several)");
  }
  const int32_t height = caption ? kCaptionFontHeight : kTextFontHeight;
  const uint8_t fontTag = g.fontTag;
  g.font->setText(Common<QString>([&](const TFieldSet& f) { return FontText(f, fontTag, height); }).value_or("(several)"));
  const uint8_t colorTag = FontPartTag(g.fontTag, TFieldKind::FontColor);
  const auto color = Common<std::optional<TColor>>([&](const TFieldSet& f) {
    return f.Has(colorTag) ? std::optional<TColor>(f.Int(colorTag, 0)) : std::nullopt;
  });
  g.color->SetColor(color.value_or(std::nullopt), !color.has_value());
  const auto where = Common<int>([&](const TFieldSet& f) { return f.Int(place, placeDefault); });
  SetCombo(g.place, where && *where >= 0 && *where <= 9 ? where : std::nullopt);
  g.x->setValue(Common<int>([&](const TFieldSet& f) { return f.Int(x, 0); }).value_or(0));
  g.y->setValue(Common<int>([&](const TFieldSet& f) { return f.Int(y, 0); }).value_or(0));
  g.x->setEnabled(where == 9);
  g.y->setEnabled(where == 9);
}

void TSlidePanel::RefreshBackground() {
  const auto kind = Common<int>([](const TFieldSet& f) { return int(BackgroundOf(f)); });
  SetCombo(bgKind_, kind);
  const int k = kind.value_or(-1);
  bgColor_->setVisible(k == bgSolid);
  gradientRow_->setVisible(k == bgGradient);
  pictureRow_->setVisible(k == bgPicture || k == bgCentredPicture || k == bgTiledPicture);
  tiles_->setVisible(k == bgTiledPicture);
  const auto solid = Common<int>([](const TFieldSet& f) { return f.Int(pfSolidColor, Defaults().SolidColor); });
  bgColor_->SetColor(solid.value_or(0), !solid.has_value());
  const auto style = Common<int>([](const TFieldSet& f) { return SingleStyle(f.Text(pfGradientStyles, Defaults().GradientStyles)); });
  SetCombo(gradientStyle_, style ? std::optional<int>(*style < 0 || *style > 11 ? 12 : *style) : std::nullopt);
  const auto random = Common<bool>([](const TFieldSet& f) { return f.Bool(pfRandomGradientColors, Defaults().RandomGradientColors); });
  SetTristate(gradientRandom_, random);
  const auto c1 = Common<int>([](const TFieldSet& f) { return f.Int(pfGradientColor1, 0xFF8000); });
  const auto c2 = Common<int>([](const TFieldSet& f) { return f.Int(pfGradientColor2, 0); });
  gradient1_->SetColor(c1.value_or(0), !c1.has_value());
  gradient2_->SetColor(c2.value_or(0), !c2.has_value());
  gradient1_->setEnabled(random == false);
  gradient2_->setEnabled(random == false);
  // The picture the first of the slide's list names.
  const std::vector<int> pool = doc_.BackgroundRecords();
  const auto picture = Common<QString>([&](const TFieldSet& f) {
    for (size_t n = 0; n < pool.size(); ++n)
      if (ListsBackground(f.Text(pfBackgroundPictureList), int(n))) return doc_.Show().slides[size_t(pool[n])].file;
    return QString();
  });
  bgPicture_->SetPath(picture.value_or(QString()));
  const auto tiles = Common<int>([](const TFieldSet& f) {
    return f.Bool(pfRandomTileCount, Defaults().RandomTileCount) ? 0 : f.Int(pfTileCount, 0);
  });
  tiles_->setValue(tiles.value_or(0));
}

void TSlidePanel::ChooseFont(TTextGroup& g) {
  if (slides_.isEmpty()) return;
  const TFieldSet& f = doc_.Slide(slides_.front()).fields;
  const int32_t defaultHeight = g.line ? kCaptionFontHeight : kTextFontHeight;
  TFontSpec font;
  font.Name = f.Text(FontPartTag(g.fontTag, TFieldKind::FontName), font.Name);
  font.Height = f.Int(FontPartTag(g.fontTag, TFieldKind::FontHeight), defaultHeight);
  const QString style = f.Text(FontPartTag(g.fontTag, TFieldKind::FontStyle));
  font.Bold = style.contains('1');
  font.Italic = style.contains('2');
  font.Underline = style.contains('3');
  font.StrikeOut = style.contains('4');
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, FontFromSpec(font), this, "Choose the font", QFontDialog::DontUseNativeDialog);
  if (!ok) return;
  // The player's heights are pixels when negative; a point size is taken at 96 pixels an inch.
  const int pixels = chosen.pixelSize() > 0 ? chosen.pixelSize() : qRound(chosen.pointSizeF() * 96.0 / 72.0);
  const bool flags[4] = {chosen.bold(), chosen.italic(), chosen.underline(), chosen.strikeOut()};
  Edit({{FontPartTag(g.fontTag, TFieldKind::FontName), chosen.family()},
        {FontPartTag(g.fontTag, TFieldKind::FontHeight), int32_t(-std::max(1, pixels))},
        {FontPartTag(g.fontTag, TFieldKind::FontStyle), StyleDigits(flags)}},
       "Font");
}

void TSlidePanel::ChooseEffects() {
  if (slides_.isEmpty()) return;
  const int first = slides_.front();
  const TFieldSet& f = doc_.Slide(first).fields;
  const QString previous = first > 0 ? doc_.Slide(first - 1).file : (doc_.SlideCount() > 1 ? doc_.Slide(doc_.SlideCount() - 1).file : QString());
  TEffectChooser chooser(pictures_, previous, doc_.Slide(first).file, EffectIndices(SlideEffectList(f)),
                         std::clamp(f.Int(pfEffectSpeed, Defaults().EffectSpeed), 1, 50),
                         doc_.Show().header.Int(hfScreenTransitionMode, 1) == 1, this);
  if (chooser.exec() != QDialog::Accepted) return;
  const std::vector<int32_t> chosen = chooser.Chosen();
  std::vector<int32_t> all(kEffectCount);
  for (int32_t i = 0; i < kEffectCount; ++i) all[size_t(i)] = i;
  // All 161 in order is the player's own default: no field is needed for it.
  Edit({{pfEffectList, chosen == all ? std::nullopt : std::optional<TFieldValue>(EffectListText(chosen))}}, "Effects");
}

}  // namespace sf
