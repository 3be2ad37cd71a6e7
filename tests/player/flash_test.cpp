// Flash slides: the flash window's end rules fired by hand and one in real time, its close events
// by mouse and key with the pass flags, the menu, the password asked once; the flash slide in the
// show cycle: the music pause, the colours and modes handed over, the window freed by the end
// message, the slide step and the show's end, the cursor, a movie that starts under a dialog, a
// movie that cannot be read, a missing movie, the preview.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "player/flashform.h"
#include "player/messages.h"
#include "player/password.h"
#include "platform/messagebox.h"
#include "tests/player/showbuilder.h"
#include "tests/swf/swfwriter.h"

using namespace sf;
using sftest::H;
using sftest::S;

namespace {

// A movie of `frames` frames at `rate`: a red box on blue, moving one pixel a frame.
std::string MovieBytes(int frames, double rate = 12) {
  std::string tags = sftest::Background(0x0000FF) + sftest::BoxShape(1, 10, 10, 0xFF0000) + sftest::Place(1, 1, 0, 0);
  for (int f = 0; f < frames; ++f) tags += (f ? sftest::Move(1, f * 20, 0) : "") + sftest::ShowFrame();
  return sftest::Movie(80, 60, rate, frames, tags, 'C');
}

QString MovieFile(const char* name, int frames, double rate = 12) {
  return QString::fromStdString(sftest::WriteFile(name, MovieBytes(frames, rate)));
}

// Keeps the messages the flash window posts to it.
class TRecorder : public QObject {
 public:
  std::vector<std::tuple<int32_t, intptr_t, intptr_t>> got;
  int Count(int32_t message) const {
    return int(std::count_if(got.begin(), got.end(), [&](const auto& m) { return std::get<0>(m) == message; }));
  }
  // The messages posted so far, and those of the password checks that close events queue (the
  // check runs at the first turn of the loop, its message arrives at the second).
  void Take() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }

 protected:
  void customEvent(QEvent* e) override {
    if (e->type() != TMessageEvent::EventType()) return;
    const auto* m = static_cast<TMessageEvent*>(e);
    got.emplace_back(m->Message, m->WParam, m->LParam);
  }
};

struct TFlashFixture {
  TRecorder notify;
  TRWSetting settings{"flashtest"};
  QMenu pm;
  std::shared_ptr<bool> asking = std::make_shared<bool>(false);  // the show's
  std::unique_ptr<TfFlashform> form;

  TFlashFixture() {
    settings.PasswordEnabled = false;
    settings.CloseOnLeftClick = settings.CloseOnRightClick = settings.CloseOnDoubleClick = true;
    settings.CloseOnMouseMove = settings.CloseOnEsc = settings.CloseOnEnter = settings.CloseOnKey = false;
  }


  // A full-screen window without autoplay: the tests fire its timers.
  TfFlashform& Open(const TFlashParams& params, const QString& path, bool closeByMouse = true) {
    form.reset();
    form = TfFlashform::CreateFullScreen(&notify, asking, &pm, settings, closeByMouse, false, params, path,
                                         QRect(0, 0, 160, 120));
    return *form;
  }
};

TFlashParams EndMode(int mode, int frame = 0, int seconds = 0) {
  TFlashParams p;
  p.endMode = mode, p.endFrame = frame, p.endSeconds = seconds;
  return p;
}

void Press(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at = {20, 20}) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void MoveTo(QWidget* w, QPoint at) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

}  // namespace

TEST(FlashWindow, EndRules) {
  TFlashFixture f;
  const QString hundred = MovieFile("hundred.swf", 100);
  const int ended = WM_FLASH_ENDED;

  // End mode 0 at frame 50: the first tick whose frame is 50 or more; the start frame counts.
  TfFlashform& atFrame = f.Open(EndMode(0, 50), hundred);
  EXPECT_EQ(atFrame.FTotalFrames, 100);
  atFrame.FStartFrame = 7;
  atFrame.PlaytimerTimer();
  EXPECT_FALSE(atFrame.Playtimer.isActive());
  EXPECT_TRUE(atFrame.FFlash->Playing());
  EXPECT_EQ(atFrame.FFlash->CurrentFrame(), 7);
  atFrame.FFlash->GotoFrame(49);
  atFrame.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);
  atFrame.FFlash->GotoFrame(50);
  atFrame.stoptimerTimer();
  f.notify.Take();
  ASSERT_EQ(f.notify.got.size(), 1u);
  EXPECT_EQ(f.notify.got[0], std::make_tuple(ended, intptr_t(1), intptr_t(1)));
  EXPECT_FALSE(atFrame.FFlash->Playing());
  EXPECT_EQ(atFrame.FLastFrame, 50);

  // End mode 1, ten seconds: the 11th tick.
  f.notify.got.clear();
  TfFlashform& timed = f.Open(EndMode(1, 0, 10), hundred);
  timed.PlaytimerTimer();
  for (int tick = 1; tick <= 10; ++tick) timed.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);
  EXPECT_TRUE(timed.FFlash->Playing());
  timed.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 1);
  EXPECT_FALSE(timed.FFlash->Playing());

  // End mode 2: never by itself, even stopped.
  f.notify.got.clear();
  TfFlashform& never = f.Open(EndMode(2), hundred);
  never.PlaytimerTimer();
  never.FFlash->StopPlay();
  for (int tick = 0; tick < 200; ++tick) never.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);

  // The other end mode: a movie that advances goes on; the first tick after it wrapped to a lower
  // frame ends it.
  TfFlashform& loops = f.Open(EndMode(3), hundred);
  loops.PlaytimerTimer();
  for (int frame : {5, 60, 99}) {
    loops.FFlash->GotoFrame(frame);
    loops.stoptimerTimer();
  }
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);
  EXPECT_EQ(loops.FLastFrame, 99);
  loops.FFlash->GotoFrame(2);
  loops.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 1);
  EXPECT_FALSE(loops.FFlash->Playing());
  EXPECT_EQ(loops.FLastFrame, 2);

  // A frame that stands still for a tick while playing ends it too.
  f.notify.got.clear();
  TfFlashform& still = f.Open(EndMode(7), hundred);
  still.PlaytimerTimer();
  still.FFlash->GotoFrame(4);
  still.stoptimerTimer();
  still.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 1);

  // A movie that never plays: TotalFrames div 18 + 3 ticks (90 frames: 8); the watch then stops.
  f.notify.got.clear();
  TfFlashform& idle = f.Open(EndMode(3), MovieFile("ninety.swf", 90));
  idle.stoptimer.start();
  idle.PlaytimerTimer();
  idle.FFlash->StopPlay();
  for (int tick = 1; tick <= 7; ++tick) idle.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);
  idle.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 1);
  EXPECT_FALSE(idle.stoptimer.isActive());

  // One that stopped after it had moved: three ticks.
  f.notify.got.clear();
  TfFlashform& stopped = f.Open(EndMode(3), MovieFile("ninety.swf", 90));
  stopped.PlaytimerTimer();
  stopped.FFlash->GotoFrame(30);
  stopped.stoptimerTimer();
  stopped.FFlash->StopPlay();
  stopped.stoptimerTimer();
  stopped.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 0);
  stopped.stoptimerTimer();
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(ended), 1);
}

TEST(FlashWindow, ALoopingMovieEndsAfterItWrapsInRealTime) {
  TFlashFixture f;
  // 40 frames at 30 a second loop every 1.33 s: the tick at 1 s sees it advance, the one at 2 s
  // sees a lower frame.
  f.form = TfFlashform::CreateFullScreen(&f.notify, f.asking, &f.pm, f.settings, true, true, EndMode(3),
                                         MovieFile("loop.swf", 40, 30), QRect(0, 0, 160, 120));
  TfFlashform* form = f.form.get();
  ASSERT_TRUE(form->FFlash->HasMovie());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(sftest::WaitUntil([&] { return f.notify.Count(WM_FLASH_ENDED) > 0; }, 6000));
  EXPECT_GE(clock.elapsed(), 1800);
  EXPECT_FALSE(form->FFlash->Playing());
}

TEST(FlashWindow, ClicksMovesKeysAndTheMenu) {
  TFlashFixture f;
  const QString movie = MovieFile("clicks.swf", 10);
  TFlashParams takes;
  takes.takesClicks = true;
  // The movie takes the left clicks: neither a click nor a double click ends the show; a right
  // click still does.
  TfFlashform& form = f.Open(takes, movie);
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick})
    Press(form.FFlash, type, Qt::LeftButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
  Press(form.FFlash, QEvent::MouseButtonPress, Qt::RightButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 1);

  // Without: a left click ends it, only with "Mouse Left Click"; a double click with "Mouse Double
  // Click"; a release never.
  f.notify.got.clear();
  TfFlashform& clicks = f.Open({}, movie);
  Press(clicks.FFlash, QEvent::MouseButtonRelease, Qt::LeftButton);
  f.settings.CloseOnLeftClick = false;
  Press(clicks.FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
  Press(clicks.FFlash, QEvent::MouseButtonDblClick, Qt::LeftButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 1);
  f.settings.CloseOnLeftClick = true;
  Press(clicks.FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 2);
  // "Mouse Right Click" off: a right click does nothing.
  f.settings.CloseOnRightClick = false;
  Press(clicks.FFlash, QEvent::MouseButtonPress, Qt::RightButton);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 2);

  // Mouse moves: the first is recorded; moves under the threshold (sensitivity 2: 20 pixels) do
  // not count; the sensitivity's number of large moves is let pass; the next ends the show.
  f.notify.got.clear();
  f.settings.CloseOnMouseMove = true;
  f.settings.MouseSensitivity = 2;
  TfFlashform& moves = f.Open({}, movie);
  MoveTo(moves.FFlash, {10, 10});
  EXPECT_EQ(QPoint(moves.FMoves.lastX, moves.FMoves.lastY), QPoint(10, 10));
  MoveTo(moves.FFlash, {29, 29});
  EXPECT_EQ(moves.FMoves.moves, 0);
  MoveTo(moves.FFlash, {30, 10});
  MoveTo(moves.FFlash, {10, 40});
  EXPECT_EQ(moves.FMoves.moves, 2);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
  MoveTo(moves.FFlash, {60, 10});
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 1);
  // The movie takes the moves: none counts.
  TFlashParams takesMoves;
  takesMoves.takesMouseMoves = true;
  TfFlashform& movie2 = f.Open(takesMoves, movie);
  for (int x = 0; x < 100; x += 30) MoveTo(movie2.FFlash, {x, x});
  EXPECT_EQ(movie2.FMoves.lastX, -10);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 1);

  // Keys: Escape and Enter by their settings; the specified key exactly.
  f.notify.got.clear();
  f.settings.CloseOnEsc = true;
  f.settings.CloseOnKey = true;
  f.settings.CloseKey = "q";
  TfFlashform& keys = f.Open({}, movie);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QCoreApplication::sendEvent(&keys, &enter);
  QKeyEvent upper(QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier, "Q");
  QCoreApplication::sendEvent(&keys, &upper);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&keys, &escape);
  f.notify.Take();
  QKeyEvent q(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q");
  QCoreApplication::sendEvent(&keys, &q);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 2);

  // Menu mode: a right click opens the run window's menu and closes nothing; mouse moves never
  // end the show and bring the arrow back.
  f.notify.got.clear();
  f.settings.CloseOnRightClick = true;
  f.pm.addAction("Setting");
  TfFlashform& menu = f.Open({}, movie, false);
  EXPECT_FALSE(f.pm.isVisible());
  Press(menu.FFlash, QEvent::MouseButtonPress, Qt::RightButton);
  EXPECT_TRUE(f.pm.isVisible());
  f.pm.hide();
  menu.FFlash->setCursor(Qt::BlankCursor);
  for (int x = 0; x < 150; x += 40) MoveTo(menu.FFlash, {x, x / 2});
  EXPECT_EQ(menu.FFlash->cursor().shape(), Qt::ArrowCursor);
  f.notify.Take();
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
}

TEST(FlashWindow, ThePasswordIsAskedOnceAndARefusalCountsMovesAgain) {
  TFlashFixture f;
  f.settings.PasswordEnabled = true;
  f.settings.Password = "Secret";
  f.settings.CloseOnMouseMove = true;
  f.settings.MouseSensitivity = 0;
  int asked = 0;
  TfFlashform* form = nullptr;
  QString answer = "wrong";
  SetPasswordPromptForTesting([&](QString& typed) {
    ++asked;
    // Close events while the prompt is up open no second prompt.
    Press(form->FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
    QCoreApplication::processEvents();
    typed = answer;
    return true;
  });
  form = &f.Open({}, MovieFile("pw.swf", 5));
  MoveTo(form->FFlash, {0, 0});
  MoveTo(form->FFlash, {50, 50});
  EXPECT_EQ(form->FMoves.moves, 1);
  f.notify.Take();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 0);
  EXPECT_EQ(form->FMoves.moves, 0);  // refused: the moves count again from none
  answer = "SECRET";
  Press(form->FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
  f.notify.Take();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(f.notify.Count(WM_SHOW_CLOSE), 1);
  SetPasswordPromptForTesting({});
}

namespace {

// A show: a picture with music, the flash movie, a picture.
struct TFlashShow : sftest::TBuiltShow {
  void Picture(bool music = false) {
    AddPicture(sftest::Bmp(sftest::Solid(16, 16, qRgb(255, 255, 0))),
               sftest::Plain(0x808080) + S("MusicDuringSlide", music ? "1" : "0"));
  }
  void Flash(const std::string& bytes, const std::string& fields = "") {
    AddSlide(bytes, sftest::Plain() + S("SlideKind", "1") + S("FileName", "movie.swf") +
                        S("FlashBackgroundColor", std::to_string(0x0000FF)) + S("FlashScaleMode", "2") +
                        S("FlashAlignMode", "5") + S("FlashEndMode", "1") + S("FlashEndSeconds", "4") + fields);
  }
};

}  // namespace

TEST(FlashSlide, PlaysInItsWindowAndTheCycleGoesOnAtItsEnd) {
  TFlashShow show;
  show.tracks = {sftest::ToneWav(3000, 440)};
  show.Picture(true);
  show.Flash(MovieBytes(20), S("FlashMouseClick", "1"));
  show.Picture();
  TfRun& run = show.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(run.Show().Music().FMusicPlaying);
  sftest::Finish(run);
  SendMessage(&run, WM_FLASH_STARTFRAME, 3);
  run.SelectTimerTimer();
  QCoreApplication::processEvents();
  EXPECT_FALSE(run.Show().Music().FMusicPlaying);  // paused for the movie
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  ASSERT_TRUE(run.FFlashShowing);
  ASSERT_NE(run.FlashWindow(), nullptr);
  TfFlashform& form = *run.FlashWindow();
  EXPECT_EQ(form.windowTitle(), "FlashPanel");
  EXPECT_TRUE(form.isWindow());
  EXPECT_EQ(form.geometry(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(form.FFlash->geometry(), QRect(0, 0, 1024, 768));
  // The slide's colour (red, as the show stores it: 0x00BBGGRR) fills the screen behind the
  // movie and reaches the control as 0x00RRGGBB.
  EXPECT_EQ(run.Surface().pixel(500, 400), qRgb(255, 0, 0));
  EXPECT_EQ(form.FFlash->BackgroundColor(), 0xFF0000);
  EXPECT_EQ(form.FFlash->ScaleMode(), 2);
  EXPECT_EQ(form.FFlash->AlignMode(), 5);
  EXPECT_FALSE(form.FFlash->Menu);
  EXPECT_EQ(form.FEndMode, 1);
  EXPECT_EQ(form.FEndSeconds, 4);
  EXPECT_TRUE(form.FTakesClicks);
  EXPECT_EQ(form.FStartFrame, 3);
  EXPECT_TRUE(form.Playtimer.isActive());
  EXPECT_TRUE(form.stoptimer.isActive());
  EXPECT_FALSE(run.SelectTimer.isActive());
  for (int tick = 0; tick < 5; ++tick) form.stoptimerTimer();
  // The end message frees the window; the next slide comes after a millisecond.
  QCoreApplication::processEvents();
  EXPECT_EQ(run.FlashWindow(), nullptr);
  EXPECT_FALSE(run.FFlashShowing);
  EXPECT_EQ(run.FFlashStartFrame, 0);
  EXPECT_TRUE(run.SelectTimer.isActive());
  EXPECT_EQ(run.SelectTimer.interval(), 1);
  run.SelectTimerTimer();
  EXPECT_EQ(run.FCurrent, 2);

  // Back to the movie: the slide step frees a window still up, and so does the show's end.
  auto toTheMovie = [&] {
    sftest::Finish(run);
    run.SelectTimerTimer();  // the first picture
    sftest::Finish(run);
    run.SelectTimerTimer();
  };
  toTheMovie();
  ASSERT_NE(run.FlashWindow(), nullptr);
  run.SelectTimerTimer();
  EXPECT_EQ(run.FlashWindow(), nullptr);
  EXPECT_EQ(run.FCurrent, 2);
  toTheMovie();
  ASSERT_NE(run.FlashWindow(), nullptr);
  run.Show().EndShow();
  EXPECT_EQ(run.FlashWindow(), nullptr);
  EXPECT_FALSE(run.FFlashShowing);
}

TEST(FlashSlide, AClosingAsksOnceAndTheRunWindowsEndFreesTheWindow) {
  TFlashShow show;
  show.Flash(MovieBytes(20));
  show.settingsSetup = [](TRWSetting& s) {
    s.PasswordEnabled = true;
    s.Password = "pw";
    s.CloseOnLeftClick = true;
  };
  int asked = 0;
  SetPasswordPromptForTesting([&](QString& typed) {
    ++asked;
    typed = "PW";
    return true;
  });
  TfRun& run = show.Start();
  run.FormShow();
  ASSERT_NE(run.FlashWindow(), nullptr);
  EXPECT_FALSE(run.FlashWindow()->FTakesClicks);
  Press(run.FlashWindow()->FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(run.Closing());
  EXPECT_FALSE(run.Show().FRunning);
  EXPECT_EQ(run.FlashWindow(), nullptr);
  SetPasswordPromptForTesting({});

  // The run window destroyed with a movie up frees it.
  TFlashShow again;
  again.Flash(MovieBytes(20));
  again.Start().FormShow();
  const QPointer<TfFlashform> up = again.run->FlashWindow();
  ASSERT_FALSE(up.isNull());
  again.show.reset();
  EXPECT_TRUE(up.isNull());
}

TEST(FlashSlide, UnreadableAndMissingMoviesAndThePreview) {
  // A movie that cannot be read is passed over at once, as a picture that does not decode is.
  TFlashShow show;
  show.Flash("FWS\x0a this is not a movie");
  show.Picture();
  TfRun& run = show.Start();
  run.FormShow();
  EXPECT_EQ(run.FlashWindow(), nullptr);
  EXPECT_FALSE(run.FFlashShowing);
  EXPECT_EQ(run.FCurrent, 1);
  EXPECT_TRUE(run.ShowTimer.isActive());

  // A movie beside the program that is not there: the container's message; its colour stands for
  // the display time.
  QStringList shown;
  SetMessageSink([&](const QString& m) { shown << m; });
  TFlashShow missing;
  missing.header = H("MediaEmbedded", "0") + H("PlayerMediaEmbedded", "0") + H("MediaBesideProgram", "0");
  missing.AddRecord(S("SlideKind", "1") + S("FileName", "/nowhere/movie.swf") + S("FlashBackgroundColor", "65280"));
  TfRun& m = missing.Start();
  m.FormShow();
  SetMessageSink({});
  EXPECT_EQ(shown, QStringList{"File not found : /nowhere/movie.swf"});
  EXPECT_EQ(m.FlashWindow(), nullptr);
  EXPECT_FALSE(m.FFlashShowing);
  EXPECT_TRUE(m.SelectTimer.isActive());
  EXPECT_EQ(m.SelectTimer.interval(), 2000);
  EXPECT_EQ(m.Surface().pixel(10, 10), qRgb(0, 255, 0));

  // The preview: the window inside the panel at its size; every mouse message but the right
  // button's goes to the movie, and the right button does nothing.
  TFlashShow preview;
  preview.Flash(MovieBytes(20));
  preview.settingsSetup = [](TRWSetting& s) { s.CloseOnLeftClick = s.CloseOnRightClick = s.CloseOnMouseMove = true; };
  TfRun& small = preview.Start({152, 112}, true);
  small.FormShow();
  ASSERT_NE(small.FlashWindow(), nullptr);
  TfFlashform& form = *small.FlashWindow();
  EXPECT_FALSE(form.isWindow());
  EXPECT_EQ(form.geometry(), QRect(0, 0, 152, 112));
  EXPECT_TRUE(form.FFlash->PassLButtonDown && form.FFlash->PassLButtonDblClk && form.FFlash->PassMouseMove);
  EXPECT_FALSE(form.FFlash->PassRButtonDown);
  EXPECT_FALSE(form.FFlash->OnRButtonDown);
  EXPECT_TRUE(form.FFlash->PopupMenu.isNull());
  Press(form.FFlash, QEvent::MouseButtonPress, Qt::RightButton);
  Press(form.FFlash, QEvent::MouseButtonPress, Qt::LeftButton);
  for (int x = 0; x < 150; x += 40) MoveTo(form.FFlash, {x, x / 2});
  QCoreApplication::processEvents();
  EXPECT_FALSE(small.Closing());
}

TEST(FlashSlide, TheCursorShowsFromTheMovieToTheEndOfTheNextTransition) {
  TFlashShow show;
  show.Picture();
  show.Flash(MovieBytes(20));
  show.AddPicture(sftest::Bmp(sftest::Solid(64, 64, qRgb(0, 255, 0))), sftest::Plain() + S("EffectList", "0;"));
  TfRun& run = show.Start();
  run.FormShow();
  sftest::Finish(run);
  ASSERT_TRUE(run.CursorHidden());  // hidden at the end of the first picture's transition
  run.SelectTimerTimer();
  ASSERT_NE(run.FlashWindow(), nullptr);
  // The flash window's creation sets the screen's cursor to the arrow: over the show too.
  EXPECT_FALSE(run.CursorHidden());
  EXPECT_EQ(run.cursor().shape(), Qt::ArrowCursor);
  SendMessage(&run, WM_FLASH_ENDED, 1, 1);
  run.SelectTimerTimer();
  // The next picture's transition runs with the cursor shown; its end hides it.
  ASSERT_TRUE(run.ShowTimer.isActive());
  run.ShowTimerTimer();
  ASSERT_TRUE(run.ShowTimer.isActive()) << "the effect ended in one tick";
  EXPECT_FALSE(run.CursorHidden());
  EXPECT_EQ(run.cursor().shape(), Qt::ArrowCursor);
  sftest::Finish(run);
  EXPECT_TRUE(run.CursorHidden());
  EXPECT_EQ(run.cursor().shape(), Qt::BlankCursor);
}

TEST(FlashSlide, AMovieThatStartsUnderADialogLeavesItTheKeyboard) {
  // Without a dialog the flash window takes the keyboard (the keys of the close events are its).
  TFlashShow alone;
  alone.Flash(MovieBytes(20));
  alone.Start().FormShow();
  ASSERT_NE(alone.run->FlashWindow(), nullptr);
  EXPECT_TRUE(sftest::WaitUntil([&] { return QApplication::activeWindow() == alone.run->FlashWindow(); }));
  alone.show.reset();

  // A dialog is up (the password prompt of a close event, the settings dialog from the menu) when
  // the next movie starts: its window comes up beneath, and the dialog keeps the keyboard.
  TFlashShow show;
  show.Flash(MovieBytes(20));
  TfRun& run = show.Start();
  QDialog dialog;
  dialog.setWindowModality(Qt::ApplicationModal);  // as its exec() opens it
  dialog.show();
  EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
  ASSERT_TRUE(sftest::WaitUntil([&] { return QApplication::activeWindow() == &dialog; }));
  run.FormShow();
  ASSERT_NE(run.FlashWindow(), nullptr);
  EXPECT_TRUE(run.FlashWindow()->isVisible());
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &dialog) << "the movie's window took the keyboard from the dialog";
  dialog.hide();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
