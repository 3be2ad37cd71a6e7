// The run window driven by hand on the offscreen platform: the slide step's order, the fit
// modes and positions, caption and text places, backgrounds, the transparent draw, whole-screen
// mode and the slides that are passed over. Timers are fired by calling their handlers.
#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>

#include "container/fields.h"
#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "player/password.h"
#include "player/runwindow.h"
#include "player/slidemath.h"
#include "settings/rwsetting.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"
#include "tests/player/showbuilder.h"

using namespace sf;
using sftest::F;
using sftest::Rec;

namespace {

using sftest::Bmp;
using sftest::Finish;
using sftest::H;
using sftest::Plain;
using sftest::S;
using sftest::Solid;
using sftest::TBuiltShow;

// The bounding box of the pixels of `surface` that differ from colour.
QRect Painted(const QImage& image, QRgb colour) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
  return box;
}

}  // namespace

TEST(RunWindow, SequentialOrderAndHold) {
  TBuiltShow show;
  for (QRgb c : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}) show.AddPicture(Bmp(Solid(64, 48, c)), Plain());
  TfRun& run = show.Start();
  EXPECT_EQ(run.FSlideCount, 3);
  EXPECT_EQ(run.FCurrent, -1);
  run.FormShow();
  std::vector<int> order{run.FCurrent};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(run.ShowTimer.isActive());
    Finish(run);
    // Held: only the slide timer runs, for the display time and one second.
    EXPECT_TRUE(run.SelectTimer.isActive());
    EXPECT_EQ(run.SelectTimer.interval(), 2000);
    EXPECT_FALSE(run.Show().MaxRuntime.isActive());
    run.SelectTimerTimer();
    order.push_back(run.FCurrent);
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1}));
  Finish(run);
  // The slide stands centred on the surface with its background around it.
  EXPECT_EQ(run.Surface().pixel(512, 384), qRgb(0, 255, 0));
  EXPECT_EQ(run.Surface().pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(Painted(run.Surface(), qRgb(0, 0, 0)), QRect(480, 360, 64, 48));
}

TEST(RunWindow, AShowAskedToStartAtASlideStartsThere) {
  for (const bool random : {false, true}) {
    TBuiltShow show;
    show.header = H("RandomOrder", random ? "1" : "0");
    show.AddRecord(S("IsBackgroundPicture", "1"));  // not a slide: not counted
    for (int i = 0; i < 4; ++i) show.AddPicture(Bmp(Solid(8, 8, qRgb(i, 0, 0))), Plain());
    show.firstSlide = 3;
    TfRun& run = show.Start();
    run.FormShow();
    EXPECT_EQ(run.FCurrent, 3) << random;
    EXPECT_EQ(run.Surface().pixel(512, 384), qRgb(0, 0, 0));  // its background, before the picture
    Finish(run);
    EXPECT_EQ(run.Surface().pixel(512, 384), qRgb(3, 0, 0));
    run.SelectTimerTimer();
    if (!random) {
      EXPECT_EQ(run.FCurrent, 0);  // and on from there, round to the first
    }
  }
}

TEST(RunWindow, FitModesAndPositions) {
  const std::string big = Bmp(Solid(1600, 900, qRgb(200, 10, 10)));
  struct {
    int mode;
    QSize size;
    QPoint at;
  } cases[] = {{1, {1024, 576}, {0, 96}}, {2, {1024, 768}, {0, 0}}, {3, {1024, 768}, {0, 0}}, {0, {1600, 900}, {-288, -66}}};
  for (const auto& c : cases) {
    TBuiltShow show;
    show.header = H("FitMode", std::to_string(c.mode));
    show.AddPicture(big, Plain());
    TfRun& run = show.Start();
    run.FormShow();
    EXPECT_EQ(run.Preparer().Picture().size(), c.size) << c.mode;
    EXPECT_EQ(run.Preparer().Place(), c.at) << c.mode;
  }
  // Original size with the random-position flag: a larger picture is centred; a smaller one
  // stands anywhere inside.
  TBuiltShow random;
  random.header = H("FitMode", "0") + H("RandomPosition", "1");
  random.AddPicture(big, Plain());
  random.AddPicture(Bmp(Solid(100, 50, qRgb(1, 2, 3))), Plain());
  TfRun& run = random.Start();
  run.FormShow();
  EXPECT_EQ(run.Preparer().Place(), QPoint(-288, -66));
  Finish(run);
  run.SelectTimerTimer();
  EXPECT_GE(run.Preparer().Place().x(), 0);
  EXPECT_LT(run.Preparer().Place().x(), 1024 - 100);
  EXPECT_LT(run.Preparer().Place().y(), 768 - 50);
  // A preview fits instead of showing original size or filling.
  TBuiltShow preview;
  preview.header = H("FitMode", "2");
  preview.AddPicture(big, Plain());
  TfRun& small = preview.Start({160, 120}, true);
  small.FormShow();
  EXPECT_EQ(small.Preparer().Picture().size(), QSize(160, 90));
}

TEST(RunWindow, FillModeCropsTheTopLeftPart) {
  // The left 1200 columns of the picture are red, the rest blue: filling shows only red.
  QImage picture = Solid(1600, 900, qRgb(255, 0, 0));
  QPainter(&picture).fillRect(1200, 0, 400, 900, qRgb(0, 0, 255));
  TBuiltShow show;
  show.header = H("FitMode", "2");
  show.AddPicture(Bmp(picture), Plain());
  TfRun& run = show.Start();
  run.FormShow();
  ASSERT_EQ(run.Preparer().Picture().size(), QSize(1024, 768));
  EXPECT_EQ(run.Preparer().Picture().pixel(1020, 384), qRgb(255, 0, 0));
  EXPECT_EQ(run.Preparer().Picture().pixel(0, 0), qRgb(255, 0, 0));
}

TEST(RunWindow, CaptionAndTextPlaces) {
  TBuiltShow show;
  const std::string text = S("BackgroundKinds", "0;") + S("RandomBackgroundColor", "0") + S("SolidColor", "0") +
                           S("ShowCaption", "1") + S("Caption", "HXH") + S("CaptionPosition", "9") + S("CaptionX", "40") +
                           S("CaptionY", "30") + S("ShowText", "1") + S("Text", "first line\r\nsecond\r\nthird") +
                           S("TextPosition", "3") + S("EffectList", "");
  show.AddPicture(Bmp(Solid(8, 8, qRgb(0, 0, 0))), text);
  TfRun& run = show.Start();
  // A record's font colours are drawn at random when it is read, black among them: white here,
  // to stand out from the black background.
  show.project->Slides[0].CaptionFont.Color = show.project->Slides[0].TextFont.Color = 0xFFFFFF;
  run.FormShow();
  const QImage& bg = run.Preparer().Background();
  // The caption's letters start at (40, 30) and right of it (the glyphs' own bearings).
  const QRect caption = Painted(bg.copy(0, 0, 300, 200), qRgb(0, 0, 0));
  ASSERT_FALSE(caption.isEmpty());
  EXPECT_GE(caption.left(), 40);
  EXPECT_LE(caption.left(), 44);
  EXPECT_GE(caption.top(), 30);
  EXPECT_LE(caption.top(), 40);
  // Three lines at position 3 end at the bottom edge: the last line's letters reach its last
  // rows, the first line's start three line heights above it.
  const QRect block = Painted(bg.copy(0, 200, 1024, 568), qRgb(0, 0, 0)).translated(0, 200);
  ASSERT_FALSE(block.isEmpty());
  EXPECT_GE(block.bottom(), 768 - 8);
  const int lineHeight = QFontMetrics(FontFromSpec(show.project->Slides[0].TextFont)).height();
  EXPECT_GE(block.top(), 768 - 3 * lineHeight);
  EXPECT_LE(block.top(), 768 - 3 * lineHeight + lineHeight / 2);
  EXPECT_LT(std::abs((block.left() + block.right()) / 2 - 512), 40);  // centred
}

TEST(RunWindow, TransparentDrawKeepsTheBackground) {
  // A gradient background; the picture is magenta with a red square; magenta (its top-left
  // colour) lets the background through.
  QImage picture = Solid(200, 100, qRgb(255, 0, 255));
  QPainter(&picture).fillRect(50, 25, 100, 50, qRgb(255, 0, 0));
  TBuiltShow show;
  show.AddPicture(Bmp(picture), S("BackgroundKinds", "2;") + S("GradientStyles", "0;") + S("RandomGradientColors", "0") +
                                    S("GradientColor1", "255") + S("GradientColor2", "16711680") + S("ShowCaption", "0") +
                                    S("ShowText", "0") + S("Transparent", "1") + S("EffectList", ""));
  TfRun& run = show.Start();
  run.FormShow();
  ASSERT_EQ(run.Preparer().Picture().size(), QSize(200, 100));
  const QImage before = run.Preparer().Background().copy();
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool square = x >= 50 && x < 150 && y >= 25 && y < 75;
      const QRgb want = square ? qRgb(255, 0, 0) : run.Preparer().Background().pixel(run.Preparer().Place().x() + x, run.Preparer().Place().y() + y);
      ASSERT_EQ(run.Preparer().Picture().pixel(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(run.Preparer().Background(), before);  // only read
}

TEST(RunWindow, WholeScreenModeFillsBlackAfterTheFirstStart) {
  TBuiltShow show;
  show.header = H("ScreenTransitionMode", "1");
  show.AddPicture(Bmp(Solid(64, 64, qRgb(0, 200, 0))), Plain(0x0000FF) + S("EffectList", "0;") + S("RandomEffect", "0"));
  TfRun& run = show.Start({320, 240});
  run.Surface().fill(qRgb(9, 9, 9));  // what the screen showed before the show
  run.FormShow();
  EXPECT_TRUE(run.ShowTimer.isActive());
  EXPECT_EQ(Painted(run.Surface(), qRgb(0, 0, 0)), QRect());  // filled black after the start
  // The old picture is the screen from before the fill; the new one the whole composed screen.
  EXPECT_EQ(run.Preparer().Background().pixel(5, 5), qRgb(9, 9, 9));
  EXPECT_EQ(run.Preparer().Composite().size(), QSize(320, 240));
  EXPECT_EQ(run.Preparer().Composite().pixel(5, 5), qRgb(255, 0, 0));    // the slide's background
  EXPECT_EQ(run.Preparer().Composite().pixel(160, 120), qRgb(0, 200, 0));  // its picture
  Finish(run);
  EXPECT_EQ(run.Surface(), run.Preparer().Composite());
}

TEST(RunWindow, SlidesThatCannotBeShownArePassedOver) {
  TBuiltShow show;
  show.AddPicture("not a picture at all", Plain(), 2);
  show.AddRecord(S("SlideKind", "7") + Plain());
  show.AddPicture(Bmp(Solid(10, 10, qRgb(1, 2, 3))), Plain());
  TfRun& run = show.Start({100, 100});
  run.FormShow();
  EXPECT_EQ(run.FCurrent, 2);
  EXPECT_TRUE(run.ShowTimer.isActive());
  Finish(run);
  run.SelectTimerTimer();
  EXPECT_EQ(run.FCurrent, 2);  // round again, past the two others

  // Nothing showable at all: the cycle waits a display time and tries again.
  TBuiltShow none;
  none.AddPicture("broken", Plain(), 6);
  TfRun& idle = none.Start({100, 100});
  idle.FormShow();
  EXPECT_FALSE(idle.ShowTimer.isActive());
  EXPECT_TRUE(idle.SelectTimer.isActive());

  // No slides: a black screen, and no timer.
  TBuiltShow empty;
  TfRun& black = empty.Start({100, 100});
  black.FormShow();
  EXPECT_FALSE(black.SelectTimer.isActive());
  EXPECT_FALSE(black.ShowTimer.isActive());
  EXPECT_EQ(Painted(black.Surface(), qRgb(0, 0, 0)), QRect());
}

TEST(RunWindow, BackgroundPictures) {
  // A pool picture (red left half, blue right half) laid out three ways by three slides.
  QImage pool = Solid(40, 20, qRgb(255, 0, 0));
  QPainter(&pool).fillRect(20, 0, 20, 20, qRgb(0, 0, 255));
  TBuiltShow show;
  show.AddPicture(Bmp(pool), S("IsBackgroundPicture", "1"));
  const std::string picture = Bmp(Solid(4, 4, qRgb(0, 255, 0)));
  auto slide = [](const std::string& layout, const std::string& count) {
    return S("BackgroundKinds", "1;") + S("BackgroundPictureSources", "2;") + S("BackgroundPictureList", " 0;") +
           S("BackgroundPictureLayout", layout) + S("RandomTileCount", "0") + S("TileCount", count) +
           S("ShowCaption", "0") + S("ShowText", "0") + S("EffectList", "");
  };
  show.AddPicture(picture, slide("0", "4"));  // stretched
  show.AddPicture(picture, slide("2", "2"));  // tiles 21 wide and 11 high
  show.AddPicture(picture, slide("2", "0"));  // no tile count: once, stretched
  show.AddPicture(picture, slide("1", "4"));  // centred on black
  TfRun& run = show.Start({200, 100});
  EXPECT_EQ(run.FSlideCount, 4);
  EXPECT_EQ(run.FBackgrounds.size(), 1u);
  run.FormShow();
  EXPECT_EQ(run.Preparer().Background().pixel(10, 50), qRgb(255, 0, 0));
  EXPECT_EQ(run.Preparer().Background().pixel(190, 50), qRgb(0, 0, 255));
  Finish(run);
  run.SelectTimerTimer();
  EXPECT_EQ(run.Preparer().Background().pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(run.Preparer().Background().pixel(15, 5), qRgb(0, 0, 255));
  EXPECT_EQ(run.Preparer().Background().pixel(21 + 5, 11 + 5), qRgb(255, 0, 0));  // the next tile, both ways
  Finish(run);
  run.SelectTimerTimer();
  EXPECT_EQ(run.Preparer().Background().pixel(10, 50), qRgb(255, 0, 0));
  EXPECT_EQ(run.Preparer().Background().pixel(190, 50), qRgb(0, 0, 255));
  Finish(run);
  run.SelectTimerTimer();
  EXPECT_EQ(run.Preparer().Background().pixel(100, 50), qRgb(0, 0, 255));  // the picture's middle, unscaled: it fits
  EXPECT_EQ(run.Preparer().Background().pixel(70, 50), qRgb(0, 0, 0));
  EXPECT_EQ(run.Preparer().Background().pixel(90, 50), qRgb(255, 0, 0));
}

TEST(RunWindow, MissingExternalPictureEndsTheShow) {
  QStringList shown;
  SetMessageSink([&](const QString& m) { shown << m; });
  TBuiltShow show;
  show.header = H("MediaEmbedded", "0") + H("MediaBesideProgram", "0");
  show.AddRecord(S("FileName", "/nowhere/lost.jpg") + Plain());
  TfRun& run = show.Start({100, 100});
  run.FormShow();
  SetMessageSink({});
  EXPECT_EQ(shown, QStringList{"File not found : /nowhere/lost.jpg"});
  EXPECT_TRUE(run.Closing());
  EXPECT_TRUE(run.Show().FRunning);  // cleared only when the music is stopped for closing
  EXPECT_FALSE(run.SelectTimer.isActive());
}

TEST(RunWindow, MissingPictureWhoseCloseIsRefusedIsPassedOverForTheRun) {
  // Two missing pictures and one that is there; the password refuses the close. Each missing
  // picture shows its message and asks once; afterwards the show plays the third picture and
  // passes over the missing ones silently.
  QStringList shown;
  int asked = 0;
  SetMessageSink([&](const QString& m) { shown << m; });
  SetPasswordPromptForTesting([&](QString& typed) {
    ++asked;
    typed = "wrong";
    return true;
  });
  const std::string there = sftest::WriteFile("there.bmp", Bmp(Solid(10, 10, qRgb(0, 0, 255))));
  TBuiltShow show;
  show.header = H("MediaEmbedded", "0") + H("MediaBesideProgram", "0");
  show.AddRecord(S("FileName", "/nowhere/a.bmp") + Plain());
  show.AddRecord(S("FileName", there) + Plain());
  show.AddRecord(S("FileName", "/nowhere/b.bmp") + Plain());
  TfRun& run = show.Start({100, 100});
  show.settings->PasswordEnabled = true;
  show.settings->Password = "right";
  run.FormShow();
  EXPECT_EQ(run.FCurrent, 1);
  for (int round = 0; round < 4; ++round) {
    Finish(run);
    run.SelectTimerTimer();
    EXPECT_FALSE(run.Closing());
    EXPECT_EQ(run.FCurrent, 1);
  }
  SetMessageSink({});
  SetPasswordPromptForTesting({});
  EXPECT_EQ(shown, (QStringList{"File not found : /nowhere/a.bmp", "File not found : /nowhere/b.bmp"}));
  EXPECT_EQ(asked, 2);
  Finish(run);
  EXPECT_EQ(run.Surface().pixel(50, 50), qRgb(0, 0, 255));
}

TEST(RunWindow, TextBlockLinesAndMessagesFollowThePlatformsRules) {
  // A final line break starts no line: "a" CR LF "b" CR LF stands where "a" CR LF "b" stands.
  auto background = [](const std::string& text) {
    TBuiltShow show;
    show.AddPicture(Bmp(Solid(8, 8, qRgb(0, 0, 0))), S("BackgroundKinds", "0;") + S("RandomBackgroundColor", "0") +
                                                         S("SolidColor", "0") + S("ShowCaption", "0") + S("ShowText", "1") +
                                                         S("Text", text) + S("TextPosition", "3") + S("EffectList", "") +
                                                         F(20, "16777215"));
    TfRun& run = show.Start({400, 300});
    run.FormShow();
    return run.Preparer().Background().copy();
  };
  const QImage two = background("Ab\r\ncd");
  EXPECT_EQ(background("Ab\r\ncd\r\n"), two);
  EXPECT_NE(background("Ab\r\ncd\r\n\r\n"), two);  // an empty line before the last break counts

  // A background picture that is not there: the project's text formatted with its name.
  QStringList shown;
  SetMessageSink([&](const QString& m) { shown << m; });
  TBuiltShow show;
  show.header = H("MediaEmbedded", "0") + H("MediaBesideProgram", "0") + F(86, "[%-12s] %%");
  show.AddRecord(S("FileName", "/nowhere/pool.bmp") + S("IsBackgroundPicture", "1"));
  show.AddPicture("", S("FileName", sftest::WriteFile("pic.bmp", Bmp(Solid(4, 4, qRgb(0, 255, 0))))) +
                          S("BackgroundKinds", "1;") + S("BackgroundPictureSources", "2;") +
                          S("BackgroundPictureList", " 0;") + S("BackgroundPictureLayout", "0") + S("ShowCaption", "0") +
                          S("ShowText", "0") + S("EffectList", ""));
  TfRun& run = show.Start({100, 100});
  run.FormShow();
  SetMessageSink({});
  EXPECT_EQ(shown, QStringList{"[/nowhere/pool.bmp] %"});
}

TEST(RunWindow, RandomPositionDrawsItsNumbersEvenWithoutRoom) {
  // Original size, random position: a picture larger than the area is centred, and the two
  // numbers are drawn all the same, so that the generator stands where it stands after a
  // picture that had room.
  auto seedAfter = [](int size, QPoint* at) {
    TBuiltShow show;
    show.header = H("FitMode", "0") + H("RandomPosition", "1");
    show.AddPicture(Bmp(Solid(size, size, qRgb(9, 9, 9))), Plain());
    TfRun& run = show.Start({100, 100});
    run.Rng().Seed(77);
    run.FormShow();
    *at = run.Preparer().Place();
    return run.Rng().CurrentSeed();
  };
  QPoint big, small;
  const uint32_t afterBig = seedAfter(300, &big), afterSmall = seedAfter(50, &small);
  EXPECT_EQ(big, QPoint(-100, -100));
  EXPECT_TRUE(QRect(0, 0, 50, 50).contains(small));
  EXPECT_EQ(afterBig, afterSmall);
}

TEST(RunWindow, WindowsSideBySideDrawOnlyFromTheirOwnGenerators) {
  // Two windows over one show of random order, random effects, random positions and random
  // backgrounds, their generators seeded alike and their ticks taken in turn: each shows, tick
  // for tick, what the other shows, as a window alone would.
  TBuiltShow shows[2];
  for (TBuiltShow& show : shows) {
    show.header = H("RandomOrder", "1") + H("RandomPosition", "1");
    for (QRgb c : {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)})
      show.AddPicture(Bmp(Solid(40, 30, c)), S("BackgroundKinds", "0;2;") + S("RandomBackgroundColor", "1") +
                                                 S("ShowCaption", "0") + S("ShowText", "0") +
                                                 S("EffectList", "14;37;47;58;99;") + S("RandomEffect", "1"));
    show.seed = 31;
  }
  TfRun& a = shows[0].Start({160, 120});
  TfRun& b = shows[1].Start({160, 120});
  a.FormShow();
  b.FormShow();
  for (int slide = 0; slide < 6; ++slide) {
    ASSERT_EQ(a.FCurrent, b.FCurrent) << slide;
    ASSERT_EQ(a.FEffect, b.FEffect) << slide;
    for (int tick = 0; tick < 100000 && (a.ShowTimer.isActive() || b.ShowTimer.isActive()); ++tick) {
      ASSERT_EQ(a.ShowTimer.isActive(), b.ShowTimer.isActive()) << slide << " tick " << tick;
      a.ShowTimerTimer();
      b.ShowTimerTimer();
      ASSERT_EQ(a.Surface(), b.Surface()) << slide << " tick " << tick;
    }
    a.SelectTimerTimer();
    b.SelectTimerTimer();
  }
}
