// The show over two screens of different sizes (the offscreen platform set up with a 1280 x 1024
// screen beside a 1920 x 1080 one): a window a screen laid out for its own size, the same first
// slide and then each screen's own cycle, input on either screen closing both with one password
// prompt, and screens that go and come while the show runs.
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <gtest/gtest.h>

#include <vector>

#include "player/password.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "tests/common/testutil.h"
#include "tests/player/showbuilder.h"

using namespace sf;

namespace {

struct TScreensShow : sftest::TBuiltShow {
  TScreensShow() { onScreen = true; }
  // Pictures of 200 x 100 in original size, centred.
  void Pictures(int n) {
    header += sftest::H("FitMode", "0");
    for (int i = 0; i < n; ++i) AddPicture(sftest::Bmp(sftest::Solid(200, 100, qRgb(40 * i, 0, 0))), sftest::Plain());
  }
};

}  // namespace

TEST(Screens, AWindowAScreenEachLaidOutForItsOwnSize) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test's platform has not two screens";
  TScreensShow show;
  show.Pictures(2);
  show.Start();
  ASSERT_EQ(show.show->ScreenCount(), 2u);
  show.show->Show();
  TfRun& left = show.show->ScreenAt(0);
  TfRun& right = show.show->ScreenAt(1);
  EXPECT_EQ(left.geometry(), QRect(0, 0, 1280, 1024));
  EXPECT_EQ(right.geometry(), QRect(1280, 0, 1920, 1080));
  EXPECT_EQ(left.Surface().size(), QSize(1280, 1024));
  EXPECT_EQ(right.Surface().size(), QSize(1920, 1080));
  EXPECT_TRUE(left.isVisible() && right.isVisible());
  // The same picture, centred on each screen.
  EXPECT_EQ(left.FCurrent, 0);
  EXPECT_EQ(right.FCurrent, 0);
  EXPECT_EQ(left.Preparer().Place(), QPoint(540, 462));
  EXPECT_EQ(right.Preparer().Place(), QPoint(860, 490));
  show.show->EndShow();
}

TEST(Screens, TheSameFirstSlideThenEachScreensOwnRandomOrder) {
  TScreensShow show;
  show.header = sftest::H("RandomOrder", "1");
  show.Pictures(12);
  show.Start();
  show.show->Show();
  TfRun& left = show.show->ScreenAt(0);
  TfRun& right = show.show->ScreenAt(1);
  EXPECT_EQ(left.FCurrent, right.FCurrent);
  std::vector<int> a, b;
  for (int i = 0; i < 8; ++i) {
    sftest::Finish(left);
    sftest::Finish(right);
    left.SelectTimerTimer();
    right.SelectTimerTimer();
    a.push_back(left.FCurrent);
    b.push_back(right.FCurrent);
  }
  EXPECT_NE(a, b) << "the screens drew the same order";
  show.show->EndShow();
}

TEST(Screens, InputOnEitherScreenClosesBothWithOnePrompt) {
  TScreensShow show;
  show.Pictures(1);
  show.settingsSetup = [](TRWSetting& s) {
    s.PasswordEnabled = true;
    s.Password = "pw";
  };
  show.Start();
  show.show->Show();
  TfRun& left = show.show->ScreenAt(0);
  TfRun& right = show.show->ScreenAt(1);
  int asked = 0;
  QString answer = "no";
  SetPasswordPromptForTesting([&](QString& typed) {
    ++asked;
    left.FormKeyDown(Qt::Key_Escape);  // a key on the other screen while the prompt is up
    typed = answer;
    return true;
  });
  right.FormKeyDown(Qt::Key_Escape);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(show.show->Closing());
  answer = "PW";
  right.FormKeyDown(Qt::Key_Escape);
  SetPasswordPromptForTesting({});
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(show.show->Closing());
  EXPECT_FALSE(left.isVisible());
  EXPECT_FALSE(right.isVisible());
  EXPECT_FALSE(left.ShowTimer.isActive() || left.SelectTimer.isActive());
}

TEST(Screens, AScreenThatGoesTakesOnlyItsWindowAndOneThatComesGetsOne) {
  TScreensShow show;
  show.Pictures(3);
  show.Start();
  show.show->Show();
  QScreen* second = QGuiApplication::screens().at(1);
  QPointer<TfRun> right = &show.show->ScreenAt(1);
  TfRun& left = show.show->ScreenAt(0);
  emit qApp->screenRemoved(second);
  EXPECT_EQ(show.show->ScreenCount(), 1u);
  EXPECT_EQ(&show.show->ScreenAt(0), &left);
  EXPECT_FALSE(right.isNull());  // deleted once the loop is back, not under its own handlers
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(right.isNull());
  // The left screen's show goes on.
  sftest::Finish(left);
  left.SelectTimerTimer();
  EXPECT_EQ(left.FCurrent, 1);
  EXPECT_FALSE(show.show->Closing());

  emit qApp->screenAdded(second);
  ASSERT_EQ(show.show->ScreenCount(), 2u);
  TfRun& back = show.show->ScreenAt(1);
  EXPECT_EQ(back.geometry(), QRect(1280, 0, 1920, 1080));
  EXPECT_TRUE(back.isVisible());
  EXPECT_GE(back.FCurrent, 0);  // its first slide is up

  // The last screen stays, whatever goes, and no longer names the screen that went.
  emit qApp->screenRemoved(second);
  emit qApp->screenRemoved(QGuiApplication::screens().at(0));
  EXPECT_EQ(show.show->ScreenCount(), 1u);
  EXPECT_FALSE(show.show->ScreenAt(0).Covers(QGuiApplication::screens().at(0)));
  show.show->EndShow();
}

TEST(Screens, MusicPlaysOnceAndFollowsTheFirstScreensSlides) {
  TScreensShow show;
  show.tracks = {sftest::ToneWav(20000, 440)};
  show.header = sftest::H("LoopMusic", "1");
  for (bool music : {true, false})
    show.AddPicture(sftest::Bmp(sftest::Solid(20, 20, qRgb(9, 9, 9))),
                    sftest::Plain() + sftest::S("MusicDuringSlide", music ? "1" : "0"));
  show.Start();
  show.show->Show();
  TMusic& music = show.show->Music();
  // The media library opens after the first frame; off the loop the music catches up at once.
  ASSERT_TRUE(sftest::WaitUntil([&] {
    QCoreApplication::processEvents();
    return music.mpmusic.Mode() == TMediaPlayer::TMode::Playing;
  }));
  // The second screen goes on to the slide without music: the music plays on.
  TfRun& right = show.show->ScreenAt(1);
  sftest::Finish(right);
  right.SelectTimerTimer();
  ASSERT_EQ(right.FCurrent, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  // The first screen does: the music pauses.
  TfRun& left = show.show->ScreenAt(0);
  sftest::Finish(left);
  left.SelectTimerTimer();
  QCoreApplication::processEvents();
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  show.show->EndShow();
}
