// The show driven by a hand-moved clock: the slide cycle of three slides with its transitions and
// display times, the music paused and resumed by the slides' flags, and the maximum run time,
// each to the millisecond and without waiting for real time.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/clock.h"
#include "player/password.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "tests/common/testutil.h"
#include "tests/player/showbuilder.h"

using namespace sf;

namespace {

// Three pictures that come in by "Slide in from left" (effect 20) at speed 25; the first and
// the last ask for music.
struct TClockedShow : sftest::TBuiltShow {
  TManualClock time;
  explicit TClockedShow(bool music = false) {
    clock = &time;
    for (int i = 0; i < 3; ++i)
      AddPicture(sftest::Bmp(sftest::Solid(64, 48, qRgb(60 * i, 0, 0))),
                 sftest::Plain() + sftest::S("EffectList", "20;") + sftest::S("EffectSpeed", "25") +
                     sftest::S("MusicDuringSlide", music && i != 1 ? "1" : "0"));
  }
  // Moves the clock a millisecond at a time until the slide on the screen changes; the time
  // that took.
  int64_t UntilNextSlide(int64_t limit = 60000) {
    const int32_t was = run->FCurrent;
    const int64_t from = time.Now();
    while (run->FCurrent == was && time.Now() - from < limit) time.Advance(1);
    return time.Now() - from;
  }
  // The time from now to the end of the transition that runs.
  int64_t UntilTransitionEnds() {
    const int64_t from = time.Now();
    while (run->ShowTimer.isActive() && time.Now() - from < 60000) time.Advance(1);
    return time.Now() - from;
  }
};

}  // namespace

TEST(Show, ASlideCycleOfThreeSlidesRunsOnTheClock) {
  TClockedShow show;
  TfRun& run = show.Start({320, 240});
  run.FormShow();
  ASSERT_EQ(run.FCurrent, 0);
  // Each slide: its transition's ticks, then the display time and a second, then the next.
  std::vector<int> order{run.FCurrent};
  std::vector<int64_t> transitions, holds;
  for (int i = 0; i < 4; ++i) {
    transitions.push_back(show.UntilTransitionEnds());
    ASSERT_TRUE(run.SelectTimer.isActive());
    holds.push_back(show.UntilNextSlide());
    order.push_back(run.FCurrent);
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1}));
  for (int64_t hold : holds) EXPECT_EQ(hold, 2000);
  // The same effect at the same speed on the same picture takes the same ticks every time; the
  // first slide's first step comes at once, a tick before the others' first.
  const int64_t tick = TTransitionEngine::Interval(20);
  EXPECT_GT(transitions[1], 10 * tick);
  EXPECT_EQ(transitions[0], transitions[1] - tick);
  for (size_t i = 2; i < transitions.size(); ++i) EXPECT_EQ(transitions[i], transitions[1]);
}

TEST(Show, MusicPausesForASlideWithoutItAndResumesAfter) {
  TClockedShow show(true);
  show.tracks = {sftest::ToneWav(30000, 440)};
  show.header = sftest::H("LoopMusic", "1");
  TfRun& run = show.Start({320, 240});
  TMusic& music = run.Show().Music();
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Stopped);  // opened, not started
  run.FormShow();
  show.time.Advance(1);
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  show.UntilTransitionEnds();
  show.UntilNextSlide();
  ASSERT_EQ(run.FCurrent, 1);
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  EXPECT_FALSE(music.FMusicPlaying);
  show.UntilTransitionEnds();
  show.UntilNextSlide();
  ASSERT_EQ(run.FCurrent, 2);
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  EXPECT_EQ(music.FTrack, 0);  // the same track, resumed rather than opened again
}

TEST(Show, TheMaximumRunTimeEndsTheShowOnTheSecond) {
  TClockedShow show;
  show.settingsSetup = [](TRWSetting& s) {
    s.UseMaxRunTime = true;
    s.MaxRunMinutes = 2;
  };
  TfRun& run = show.Start({320, 240});
  run.FormShow();
  show.time.Advance(2 * 60 * 1000 - 1);
  EXPECT_FALSE(run.Closing());
  EXPECT_TRUE(run.SelectTimer.isActive() || run.ShowTimer.isActive());  // the cycle went on
  show.time.Advance(1);
  EXPECT_TRUE(run.Closing());
  EXPECT_FALSE(run.SelectTimer.isActive() || run.ShowTimer.isActive());
  EXPECT_FALSE(run.Show().MaxRuntime.isActive());

  // A password that refuses the close: the show goes on, silent, and is not asked again.
  TClockedShow guarded;
  guarded.settingsSetup = [](TRWSetting& s) {
    s.UseMaxRunTime = true;
    s.MaxRunMinutes = 0;  // taken as one minute
    s.PasswordEnabled = true;
    s.Password = "pw";
  };
  int asked = 0;
  SetPasswordPromptForTesting([&](QString&) { return ++asked, false; });
  TfRun& g = guarded.Start({320, 240});
  g.FormShow();
  guarded.time.Advance(60 * 1000);
  guarded.time.Advance(5 * 60 * 1000);
  SetPasswordPromptForTesting({});
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(g.Closing());
  EXPECT_TRUE(g.SelectTimer.isActive() || g.ShowTimer.isActive());
}

namespace {

// Media that are not there: every fetch fails as a missing file, and is counted.
struct TMissingMedia : TMediaFetch {
  std::map<int, int> musicFetches, mediaFetches;
  TMediaFile FetchMusic(int32_t index) override {
    ++musicFetches[index];
    return TMediaFile::Failed(TMediaFile::TError::Missing, QString("/gone/track%1.mp3").arg(index));
  }
  TMediaFile FetchMedia(int32_t index) override {
    ++mediaFetches[index];
    return TMediaFile::Failed(TMediaFile::TError::Missing, QString("/gone/clip%1.mp4").arg(index));
  }
};

}  // namespace

TEST(Show, MissingTracksAreToldOfOnceAndNeverFetchedAgain) {
  TMissingMedia media;
  QStringList told;
  TClockedShow show(true);
  show.tracks = {sftest::ToneWav(100, 440), sftest::ToneWav(100, 550)};
  show.header = sftest::H("LoopMusic", "1");
  show.media = &media;
  show.message = [&](const QString& m) { told << m; };
  TfRun& run = show.Start({320, 240});
  run.FormShow();
  show.time.Advance(30 * 1000);  // fifteen seconds of slides, music ticks every second
  EXPECT_EQ(media.musicFetches, (std::map<int, int>{{0, 1}, {1, 1}}));
  EXPECT_EQ(told.size(), 2);  // once a track, in the show's own words
  // The show goes on, silent, its music timer stopped.
  EXPECT_FALSE(run.Show().Music().MusicPlayTimer.isActive());
  EXPECT_FALSE(run.Closing());
  EXPECT_TRUE(run.SelectTimer.isActive() || run.ShowTimer.isActive());
}
