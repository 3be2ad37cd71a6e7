// The property panels over the document, offscreen: what several selected slides have in common,
// edits that reach every selected slide as one step, the lines of a text block as the show
// stores them, and the show's fields.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <map>
#include <QCheckBox>
#include <QGroupBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "studio/mainwindow.h"
#include "studio/showpanel.h"
#include "studio/slidepanel.h"
#include "tests/common/testutil.h"
#include "tests/studio/studioutil.h"

using namespace sftest;
using namespace sf;

namespace {

struct Panels {
  TStudioDocument doc;
  TPictureLoader pictures{QSize(64, 48), 1};
  TSlidePanel slide{doc, pictures};
  TShowPanel show{doc};
  QString folder = QString::fromStdString(ScratchDir("panels"));
  Panels() {
    for (const char* c : {"red", "lime", "blue"}) {
      QImage image(16, 16, QImage::Format_RGB32);
      image.fill(QColor(c));
      image.save(folder + "/" + c + ".png");
    }
    doc.NewShow({folder}, kIgnoreLeftOut);  // blue, lime, red
  }
  template <typename W>
  W* Find(QWidget& in, const char* name) {
    W* w = in.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
};

}  // namespace

TEST(SlidePanel, ShowsWhatTheSelectedSlidesShareAndEditsThemAllInOneStep) {
  Panels p;
  (void)p.doc.SetSlideFields({0}, {{pfCaption, QString("Sea")}, {pfShowCaption, true}}, "Caption");
  p.doc.UndoStack().clear();
  auto* caption = p.Find<QLineEdit>(p.slide, "caption");
  auto* shown = p.Find<QCheckBox>(p.slide, "captionShown");

  p.slide.SetSelection({0});
  EXPECT_EQ(caption->text(), "Sea");
  EXPECT_EQ(shown->checkState(), Qt::Checked);
  // Two slides that differ: nothing to show but that they differ.
  p.slide.SetSelection({0, 2});
  EXPECT_EQ(caption->text(), "");
  EXPECT_EQ(caption->placeholderText(), "(several)");
  EXPECT_EQ(shown->checkState(), Qt::PartiallyChecked);

  // Typing gives both the caption, shows it and, where no colour was chosen, makes it white.
  caption->setText("Hi");
  emit caption->textEdited("Hi");
  caption->setText("Hi!");
  emit caption->textEdited("Hi!");
  for (int s : {0, 2}) {
    EXPECT_EQ(p.doc.Slide(s).fields.Text(pfCaption), "Hi!") << s;
    EXPECT_TRUE(p.doc.Slide(s).fields.Bool(pfShowCaption, false)) << s;
    EXPECT_EQ(p.doc.Slide(s).fields.Int(FontPartTag(pfCaptionFont, TFieldKind::FontColor), -1), 0xFFFFFF) << s;
  }
  EXPECT_FALSE(p.doc.Slide(1).fields.Has(pfCaption));
  EXPECT_EQ(shown->checkState(), Qt::Checked);
  EXPECT_EQ(p.doc.UndoStack().count(), 1) << "typing is one step";
  p.doc.UndoStack().undo();
  EXPECT_EQ(p.doc.Slide(0).fields.Text(pfCaption), "Sea");
  EXPECT_FALSE(p.doc.Slide(2).fields.Has(pfCaption));
  EXPECT_EQ(caption->placeholderText(), "(several)") << "the panel follows the undo";

  // A caption the show cannot store is refused with the reason, and nothing changes.
  QString told;
  QObject::connect(&p.slide, &TSlidePanel::Message, [&](const QString& m) { told = m; });
  emit caption->textEdited("5 €");
  EXPECT_TRUE(told.startsWith("Caption: ")) << told.toStdString();
  EXPECT_EQ(p.doc.UndoStack().index(), 0);
}

TEST(SlidePanel, TextBlockLinesAreStoredWithCarriageReturns) {
  Panels p;
  p.slide.SetSelection({1});
  auto* text = p.Find<QPlainTextEdit>(p.slide, "text");
  text->setPlainText("first\nsecond");
  EXPECT_EQ(p.doc.Slide(1).fields.Text(pfText), "first\r\nsecond");
  EXPECT_TRUE(p.doc.Slide(1).fields.Bool(pfShowText, false)) << "text typed is shown";
  // Read back, the editor shows the same lines and nothing is edited again.
  const int steps = p.doc.UndoStack().count();
  p.slide.SetSelection({0});
  p.slide.SetSelection({1});
  EXPECT_EQ(text->toPlainText(), "first\nsecond");
  EXPECT_EQ(p.doc.UndoStack().count(), steps);
}

TEST(SlidePanel, BackgroundKindsAndEffectsAsTheAuthorReadsThem) {
  Panels p;
  p.slide.SetSelection({0, 1, 2});
  auto* kind = p.Find<QComboBox>(p.slide, "backgroundKind");
  EXPECT_EQ(kind->currentText(), "Solid colour");
  emit kind->activated(2);  // a gradient
  for (int s = 0; s < 3; ++s) EXPECT_EQ(p.doc.Slide(s).fields.Text(pfBackgroundKinds), "2;");
  EXPECT_EQ(kind->currentText(), "Gradient");
  // Kinds the panel cannot name stay as they are, said so.
  (void)p.doc.SetSlideFields({1}, {{pfBackgroundKinds, QString("0;2;")}}, "Kinds");
  p.slide.SetSelection({1});
  EXPECT_EQ(kind->currentText(), "As the manifest gives it");
  (void)p.doc.SetSlideFields({2}, {{pfEffectList, QString("45;")}}, "Effects");
  p.slide.SetSelection({2});
  EXPECT_EQ(p.Find<QLabel>(p.slide, "effects")->text(), "Fan wipe");
  p.slide.SetSelection({0, 2});
  EXPECT_EQ(p.Find<QLabel>(p.slide, "effects")->text(), "(several)");
}

// A movie's and a clip's own settings show for slides all of that kind, and read the player's
// values: an end mode the player takes as "when the movie stops" shows as that.
TEST(SlidePanel, MovieAndClipSettingsShowForTheirKindOnly) {
  Panels p;
  p.slide.resize(600, 1400);
  p.slide.show();
  (void)p.doc.SetSlideFields({0, 1}, {{pfSlideKind, int32_t(1)}, {pfFlashEndMode, int32_t(7)}}, "Movies");
  (void)p.doc.SetSlideFields({2}, {{pfSlideKind, int32_t(2)}, {pfVideoSizeMode, int32_t(4)}}, "Clip");
  auto* movie = p.Find<QGroupBox>(p.slide, "movie");
  auto* clip = p.Find<QGroupBox>(p.slide, "clip");
  p.slide.SetSelection({1, 2});
  EXPECT_FALSE(movie->isVisible());
  EXPECT_FALSE(clip->isVisible()) << "a movie and a clip share no such setting";
  p.slide.SetSelection({2});
  EXPECT_TRUE(clip->isVisible());
  EXPECT_EQ(clip->findChild<QComboBox*>()->currentIndex(), 4);
  p.slide.SetSelection({0, 1});
  EXPECT_TRUE(movie->isVisible());
  auto* end = p.Find<QComboBox>(p.slide, "movieEnd");
  EXPECT_EQ(end->currentText(), "When the movie stops");
  emit end->activated(2);  // after a time
  auto* seconds = p.Find<QSpinBox>(p.slide, "movieSeconds");
  EXPECT_TRUE(seconds->isVisible());
  seconds->setValue(12);
  for (int s : {0, 1}) {
    EXPECT_EQ(p.doc.Slide(s).fields.Int(pfFlashEndMode, -1), 1) << s;
    EXPECT_EQ(p.doc.Slide(s).fields.Int(pfFlashEndSeconds, -1), 12) << s;
  }
  auto* align = p.Find<QComboBox>(p.slide, "movieAlign");
  emit align->activated(8);  // bottom right
  EXPECT_EQ(p.doc.Slide(0).fields.Int(pfFlashAlignMode, -1), 10);
  p.doc.UndoStack().undo();
  EXPECT_EQ(align->currentText(), "Centre");
}

// The slide panel scrolls: a wheel turned over its fields on the way down must change nothing.
TEST(SlidePanel, AWheelOverAFieldWithoutTheKeyboardChangesNothing) {
  Panels p;
  p.slide.SetSelection({0, 1});
  auto turn = [](QWidget* w) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
  };
  auto* kind = p.Find<QComboBox>(p.slide, "backgroundKind");
  const int before = kind->currentIndex();
  for (QWidget* w : p.slide.findChildren<QWidget*>()) {
    if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractSpinBox*>(w) && !qobject_cast<QSlider*>(w)) continue;
    ASSERT_FALSE(w->hasFocus());
    turn(w);
    EXPECT_EQ(p.doc.UndoStack().count(), 0) << "a wheel over " << w->metaObject()->className() << " edited the show";
  }
  EXPECT_EQ(kind->currentIndex(), before);
  QWidget* page = p.show.widget(1);  // how the slides play: choices and numbers
  for (QWidget* w : page->findChildren<QWidget*>()) turn(w);
  EXPECT_EQ(p.doc.UndoStack().count(), 0) << "a wheel over the show's fields edited the show";
}

TEST(ShowPanel, EditsTheHeaderAndFollowsUndo) {
  Panels p;
  auto* name = p.Find<QLineEdit>(p.show, "ProjectName");
  EXPECT_TRUE(name->text().endsWith("panels.scr")) << "named after the folder";
  for (const char* typed : {"S", "Su", "Sun"}) {
    name->setText(typed);
    emit name->textEdited(typed);
  }
  EXPECT_EQ(p.doc.Show().header.Text(hfProjectName), "Sun");
  EXPECT_EQ(p.doc.UndoStack().count(), 1);
  auto* version = p.Find<QLineEdit>(p.show, "Version");
  EXPECT_EQ(version->text(), "1.0") << "the player's default";
  auto* description = p.Find<QPlainTextEdit>(p.show, "Description");
  description->setPlainText("a\nb");
  EXPECT_EQ(p.doc.Show().header.Text(hfDescription), "a\r\nb");
  p.doc.UndoStack().undo();
  p.doc.UndoStack().undo();
  EXPECT_TRUE(name->text().endsWith("panels.scr"));
  EXPECT_EQ(description->toPlainText(), "");
  EXPECT_FALSE(p.doc.Modified());
}

// The interface texts the show uses come first; a row edits its own entry, whatever its place.
TEST(ShowPanel, InterfaceTextsInUseComeFirstAndEditTheirOwnEntry) {
  Panels p;
  (void)p.doc.SetHeaderFields({{uint8_t(kFirstSettingTextTag + 3), QString("carried")}}, "Text");
  auto* texts = p.show.findChild<QTableWidget*>();
  ASSERT_NE(texts, nullptr);
  EXPECT_EQ(texts->verticalHeaderItem(0)->text(), "44") << "the missing file's message first";
  texts->item(0, 1)->setText("No %s here");
  EXPECT_EQ(p.doc.Show().header.Text(uint8_t(kFirstSettingTextTag + 44)), "No %s here");
  EXPECT_FALSE(p.doc.Show().header.Has(uint8_t(kFirstSettingTextTag + 0)));
  int shown = 0, carried = -1;
  for (int row = 0; row < texts->rowCount(); ++row) {
    if (!texts->isRowHidden(row)) ++shown;
    if (texts->verticalHeaderItem(row)->text() == "3") carried = row;
  }
  EXPECT_EQ(shown, 6) << "the five in use and the one that holds a text";
  ASSERT_GE(carried, 5);
  EXPECT_FALSE(texts->isRowHidden(carried));
  EXPECT_EQ(texts->item(carried, 1)->text(), "carried");
  for (QCheckBox* all : p.show.findChildren<QCheckBox*>())
    if (all->text().startsWith("Show &all")) all->setChecked(true);
  for (int row = 0; row < texts->rowCount(); ++row) EXPECT_FALSE(texts->isRowHidden(row)) << row;
}

namespace {

// The letter after a single '&' of a text, or none.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return text[i + 1].toLower();
    ++i;
  }
  return {};
}

// Which widgets that can be seen and used answer to each Alt+letter in the window as it stands.
std::map<QChar, QStringList> Mnemonics(QMainWindow& window) {
  std::map<QChar, QStringList> keys;
  auto add = [&](const QString& text) {
    if (const QChar c = Mnemonic(text); !c.isNull()) keys[c] << QString(text).remove('&');
  };
  for (QAction* a : window.menuBar()->actions()) add(a->text());
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisible() || !w->isEnabled()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
    else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) add(l->text());
    else if (auto* g = qobject_cast<QGroupBox*>(w)) add(g->title());
    else if (auto* t = qobject_cast<QTabBar*>(w))
      for (int i = 0; i < t->count(); ++i) add(t->tabText(i));
  }
  return keys;
}

}  // namespace

// Every Alt+letter of the window reaches one field, on each page: a letter two fields share
// only moves between them, and one that a menu shares opens nothing.
TEST(StudioWindow, EachMnemonicOfAPageIsItsOwn) {
  Panels p;  // its folder of pictures
  TStudioWindow window;
  window.OpenArguments({p.folder});
  window.resize(1100, 900);
  window.show();
  auto* tabs = window.findChild<QTabWidget*>();  // the slide's and the show's pages
  ASSERT_NE(tabs, nullptr);
  auto* showTabs = window.findChild<TShowPanel*>();
  auto check = [&](const QString& page) {
    for (const auto& [key, owners] : Mnemonics(window))
      EXPECT_EQ(owners.size(), 1) << "Alt+" << QString(key).toStdString() << " on " << page.toStdString() << ": "
                                  << owners.join(", ").toStdString();
  };
  auto* list = window.findChild<QListView*>();
  list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
  ASSERT_TRUE(window.findChild<QLineEdit*>("caption")->isEnabled()) << "a slide is selected";
  tabs->setCurrentIndex(0);
  check("the slide's page");
  (void)window.Document().SetSlideFields({0}, {{pfSlideKind, int32_t(1)}}, "Movie");
  check("a movie's page");
  (void)window.Document().SetSlideFields({0}, {{pfSlideKind, int32_t(2)}}, "Clip");
  check("a clip's page");
  tabs->setCurrentIndex(1);
  for (int i = 0; i < showTabs->count(); ++i) {
    showTabs->setCurrentIndex(i);
    check("the show's page " + showTabs->tabText(i));
  }
}

// The preview fills the room it is given: a window made larger shows the slide larger at once,
// without an edit to compose it again.
TEST(StudioWindow, ThePreviewFollowsTheWindowsSize) {
  Panels p;
  TStudioWindow window;
  window.OpenArguments({p.folder});
  window.resize(900, 700);
  window.show();
  auto* list = window.findChild<QListView*>();
  list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
  auto* preview = window.findChild<QLabel*>("preview");
  ASSERT_NE(preview, nullptr);
  auto shown = [&] { return preview->pixmap().size(); };
  ASSERT_TRUE(WaitUntil([&] { return !shown().isEmpty(); })) << "the first slide is composed";
  const QSize small = shown();
  EXPECT_TRUE(small.width() <= preview->width() && small.height() <= preview->height());
  window.resize(1600, 1200);
  ASSERT_TRUE(WaitUntil([&] { return shown().width() > small.width() * 3 / 2; }, 1000))
      << "still " << shown().width() << " wide in a preview " << preview->width() << " wide";
  // Scaled to fit, its screen's shape kept: one side meets the label's.
  EXPECT_TRUE(shown().width() == preview->width() || shown().height() == preview->height());
}
