// Background music with the null audio output and tracks the tests make: the order with and
// without loop, the pause and resume of a track by the slides' flags, the pause between tracks,
// random order, "Enabled Music", an empty playlist, tracks that cannot be played and the tracks
// that follow them, a missing track told of once, the stops at the show's end. The music timer
// is fired by hand; mpv plays in real time.
#include <QBuffer>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <unistd.h>

#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "player/flashform.h"
#include "player/messages.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"
#include "tests/player/showbuilder.h"
#include "tests/swf/swfwriter.h"

using namespace sf;

namespace {

std::string Tone(int ms, double hertz) { return sftest::ToneWav(ms, hertz); }

// A track in another format, made by ffmpeg from a tone; empty without ffmpeg.
std::string Encoded(const char* ext, int ms) {
  const std::string wav = sftest::WriteFile(std::string("enc-") + ext + ".wav", Tone(ms, 440));
  return sftest::FfmpegMade(std::string("tone.") + ext, {"-i", wav});
}

bool WaitFor(const std::function<bool()>& done, int ms = 5000) { return sftest::WaitUntil(done, ms); }

// Pictures whose flags say whether music plays during them, and the tracks; the music loops and
// pauses a tick between tracks unless the header says otherwise.
struct TMusicShow : sftest::TBuiltShow {
  std::vector<bool> slideFlags{true};

  TfRun& Start() {
    for (bool flag : slideFlags)
      AddPicture(sftest::Bmp(sftest::Solid(8, 8, qRgb(128, 128, 128))),
                 sftest::S("EffectList", "") + sftest::S("MusicDuringSlide", flag ? "1" : "0"));
    header = sftest::H("LoopMusic", "1") + sftest::H("MusicPauseTicks", "1") + header;
    return TBuiltShow::Start({64, 48});
  }

  // Lets the current track play to its end, then fires the music timer until the next track
  // plays; gives its index, or -1 when the music is over.
  int Next(int pauseTicks = 1) {
    TfRun& r = *run;
    EXPECT_TRUE(WaitFor([&] { return r.Show().Music().mpmusic.Ended(); })) << "track " << r.Show().Music().FTrack << " did not end";
    for (int tick = 1; tick <= pauseTicks; ++tick) {
      const bool wasEnded = r.Show().Music().mpmusic.Ended();
      r.Show().Music().MusicPlayTimerTimer();
      if (tick < pauseTicks) {
        EXPECT_TRUE(wasEnded && r.Show().Music().mpmusic.Ended()) << "a new track came before the pause was over";
      }
    }
    if (r.Show().Music().FPlaylistDone) return -1;
    EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
    return r.Show().Music().FTrack;
  }
};

}  // namespace

TEST(Music, TracksInOrderWithAndWithoutLoop) {
  TMusicShow loop;
  // Tracks of 400 ms: the null output keeps a tenth of a second in its buffer and lets the end
  // come that much early.
  loop.tracks = {Tone(400, 440), Tone(400, 550), Tone(400, 660)};
  TfRun& run = loop.Start();
  // Mode set-up opened the first track without starting it; the first slide with music starts it.
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped);
  EXPECT_FALSE(run.Show().Music().FMusicPlaying);
  EXPECT_TRUE(run.Show().Music().FMusicLoaded);
  run.FormShow();
  QCoreApplication::processEvents();
  EXPECT_TRUE(run.Show().Music().FMusicPlaying);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  std::vector<int> order{run.Show().Music().FTrack};
  for (int i = 0; i < 5; ++i) order.push_back(loop.Next());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1, 2}));

  TMusicShow once;
  once.header = sftest::HeaderField("LoopMusic", "0");
  once.tracks = loop.tracks;
  once.slideFlags = {true, true};
  TfRun& r = once.Start();
  r.FormShow();
  QCoreApplication::processEvents();
  order = {r.Show().Music().FTrack};
  for (int i = 0; i < 3; ++i) order.push_back(once.Next());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, -1}));
  // Silence for the rest of the run, also for slides that ask for music.
  EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::NotOpen);
  EXPECT_FALSE(r.Show().Music().MusicPlayTimer.isActive());
  for (int i = 0; i < 100000 && r.ShowTimer.isActive(); ++i) r.ShowTimerTimer();
  r.SelectTimerTimer();  // the next slide asks for music
  SendMessage(&r.Show(), WM_MUSIC_START);
  QCoreApplication::processEvents();
  EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::NotOpen);
  EXPECT_FALSE(r.Show().Music().FMusicPlaying);
}

TEST(Music, SlidesPauseAndResumeTheSameTrack) {
  TMusicShow show;
  show.tracks = {Tone(3000, 440), Tone(150, 880)};
  show.slideFlags = {true, false, true};
  TfRun& run = show.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  ASSERT_TRUE(WaitFor([&] { return run.Show().Music().mpmusic.Position() >= 400; }));
  for (int i = 0; i < 100000 && run.ShowTimer.isActive(); ++i) run.ShowTimerTimer();
  run.SelectTimerTimer();  // a slide without the flag
  QCoreApplication::processEvents();
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  EXPECT_FALSE(run.Show().Music().FMusicPlaying);
  const int64_t stoppedAt = run.Show().Music().mpmusic.Position();
  QThread::msleep(300);
  QCoreApplication::processEvents();
  EXPECT_NEAR(double(run.Show().Music().mpmusic.Position()), double(stoppedAt), 30.0);  // it stands while paused
  for (int i = 0; i < 100000 && run.ShowTimer.isActive(); ++i) run.ShowTimerTimer();
  run.SelectTimerTimer();  // the flag again: the same track goes on from where it stood
  QCoreApplication::processEvents();
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  EXPECT_EQ(run.Show().Music().FTrack, 0);
  ASSERT_TRUE(WaitFor([&] { return run.Show().Music().mpmusic.Position() >= stoppedAt + 200; }));
  EXPECT_LT(run.Show().Music().mpmusic.Position(), stoppedAt + 1500);
  // While the track plays, the timer finds it running and does nothing.
  run.Show().Music().MusicPlayTimerTimer();
  EXPECT_EQ(run.Show().Music().FTrack, 0);
  EXPECT_EQ(run.Show().Music().FTrackEndTicks, 0);
}

TEST(Music, PauseTicksBetweenTracksAndRandomOrder) {
  TMusicShow paused;
  paused.header = sftest::HeaderField("MusicPauseTicks", "3");
  paused.tracks = {Tone(300, 440), Tone(300, 550)};
  TfRun& run = paused.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  // The next track starts on the third tick after the end, not before.
  EXPECT_EQ(paused.Next(3), 1);

  TMusicShow random;
  random.header = sftest::HeaderField("RandomMusic", "1");
  for (int i = 0; i < 4; ++i) random.tracks.push_back(Tone(200, 300 + 100 * i));
  random.seed = 5;
  TfRun& r = random.Start();
  r.FormShow();
  QCoreApplication::processEvents();
  std::vector<int> drawn{r.Show().Music().FTrack};
  for (int i = 0; i < 15; ++i) drawn.push_back(random.Next());
  // Every track of the list comes, and one may come twice in a row.
  EXPECT_EQ(std::set<int>(drawn.begin(), drawn.end()), (std::set<int>{0, 1, 2, 3}));
  bool repeated = false;
  for (size_t i = 1; i < drawn.size(); ++i) repeated |= drawn[i] == drawn[i - 1];
  EXPECT_TRUE(repeated) << "sixteen draws from four tracks without a repeat";
}

TEST(Music, NothingPlaysWithoutAPlaylistOrWithMusicOff) {
  TMusicShow empty;
  TfRun& run = empty.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  SendMessage(&run.Show(), WM_MUSIC_START);
  SendMessage(&run.Show(), WM_MUSIC_RESUME);
  EXPECT_FALSE(run.Show().Music().mpmusic.Started());  // no call on the player at all
  EXPECT_FALSE(run.Show().Music().MusicPlayTimer.isActive());

  TMusicShow off;
  off.tracks = {Tone(100, 440)};
  off.settingsSetup = [](TRWSetting& s) { s.MusicEnabled = false; };
  TfRun& r = off.Start();
  r.FormShow();
  QCoreApplication::processEvents();
  SendMessage(&r.Show(), WM_MUSIC_START);
  EXPECT_FALSE(r.Show().Music().mpmusic.Started());
  EXPECT_FALSE(r.Show().Music().MusicPlayTimer.isActive());
  EXPECT_FALSE(r.Show().Music().FMusicPlaying);
}

TEST(Music, TracksThatCannotBePlayedArePassedOver) {
  TMusicShow show;
  show.header = sftest::HeaderField("LoopMusic", "0");
  show.tracks = {Tone(300, 440), "RIFF this is no sound at all", Tone(300, 660)};
  TfRun& run = show.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(WaitFor([&] { return run.Show().Music().mpmusic.Ended(); }));
  run.Show().Music().MusicPlayTimerTimer();  // track 1 is damaged: it fails to open
  EXPECT_EQ(run.Show().Music().FTrack, 1);
  EXPECT_FALSE(run.Show().Music().FMusicLoaded);
  EXPECT_TRUE(run.Show().Music().MusicPlayTimer.isActive());
  run.Show().Music().MusicPlayTimerTimer();  // the next tick tries the next track at once
  EXPECT_EQ(run.Show().Music().FTrack, 2);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);

  // No track of the list plays: the music stops for the run, and the show goes on.
  TMusicShow none;
  none.tracks = {"not music", std::string(5000, '\x7F')};
  TfRun& silent = none.Start();
  silent.FormShow();
  QCoreApplication::processEvents();
  for (int i = 0; i < 4 && silent.Show().Music().MusicPlayTimer.isActive(); ++i) silent.Show().Music().MusicPlayTimerTimer();
  EXPECT_FALSE(silent.Show().Music().MusicPlayTimer.isActive());
  EXPECT_FALSE(silent.Show().Music().FMusicPlaying);
  SendMessage(&silent.Show(), WM_MUSIC_RESUME);
  EXPECT_FALSE(silent.Show().Music().MusicPlayTimer.isActive());
  EXPECT_TRUE(silent.ShowTimer.isActive() || silent.SelectTimer.isActive());
}

TEST(Music, ATrackOpenedInPlaceOfOneThatFailedWaitsUntilTheMusicIsDue) {
  // The first track cannot be played: the timer opens the second while a slide without music is
  // on screen. It waits, opened at its start, until a slide with music starts it.
  TMusicShow show;
  show.tracks = {"RIFF this is no sound at all", Tone(3000, 440)};
  show.slideFlags = {false, true};
  TfRun& run = show.Start();
  EXPECT_FALSE(run.Show().Music().FMusicLoaded);
  run.FormShow();
  QCoreApplication::processEvents();
  run.Show().Music().MusicPlayTimerTimer();
  EXPECT_EQ(run.Show().Music().FTrack, 1);
  EXPECT_TRUE(run.Show().Music().FMusicLoaded);
  EXPECT_FALSE(run.Show().Music().FMusicPlaying);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped);
  run.Show().Music().MusicPlayTimerTimer();  // standing at its start: the timer leaves it
  EXPECT_EQ(run.Show().Music().FTrack, 1);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped);
  sftest::Finish(run);
  run.SelectTimerTimer();  // the slide with music
  QCoreApplication::processEvents();
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  EXPECT_EQ(run.Show().Music().FTrack, 1);
  EXPECT_LT(run.Show().Music().mpmusic.Position(), 1000);  // from its start

  // The same over a flash slide, and after a track that ended while a slide with music stood,
  // when the slide on screen at the end of the pause is a movie.
  const std::string movie = sftest::Movie(
      80, 60, 12, 2, sftest::Background(0x0000FF) + sftest::ShowFrame() + sftest::ShowFrame(), 'F');
  for (const bool failed : {true, false}) {
    TMusicShow flash;
    flash.tracks = {failed ? "not music" : Tone(300, 440), Tone(3000, 550)};
    flash.AddSlide(movie, sftest::Plain() + sftest::S("SlideKind", "1") + sftest::S("FileName", "m.swf"));
    flash.slideFlags = {true};
    TfRun& r = flash.Start();
    r.FormShow();  // the movie first: the music waits
    QCoreApplication::processEvents();
    ASSERT_TRUE(r.FFlashShowing);
    if (!failed) {
      // The first track plays to its end while a slide with music stands, then the movie comes.
      SendMessage(&r.Show(), WM_MUSIC_RESUME);
      ASSERT_TRUE(WaitFor([&] { return r.Show().Music().mpmusic.Ended(); }));
      r.Show().Music().MusicPlayTimerTimer();  // its end: the pause of a tick is over
      ASSERT_EQ(r.Show().Music().FTrack, 1);
      EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped) << "the next track played over the movie";
    } else {
      r.Show().Music().MusicPlayTimerTimer();
      ASSERT_EQ(r.Show().Music().FTrack, 1);
      EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped) << "the next track played over the movie";
    }
    EXPECT_FALSE(r.Show().Music().FMusicPlaying);
    SendMessage(&r, WM_FLASH_ENDED, 1, 1);
    r.SelectTimerTimer();  // the picture with music
    QCoreApplication::processEvents();
    EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  }
}

TEST(Music, AMissingTrackIsToldOfOnceARun) {
  // Two tracks beside the program, the second missing, looping: its message comes the first time
  // the playlist reaches it; later passes skip it silently. Requests that come while the message
  // is up (the show goes on under it) open no track.
  const QString there = QString::fromStdString(sftest::WriteFile("there.wav", Tone(300, 440)));
  TMusicShow show;
  show.header = sftest::H("PlayerMediaEmbedded", "0") + sftest::H("MediaBesideProgram", "0") +
                sftest::H("MusicFiles", there.toStdString()) + sftest::H("MusicFiles", "/nowhere/gone.wav");
  TfRun* run = nullptr;
  QStringList shown;
  SetMessageSink([&](const QString& m) {
    shown << m;
    SendMessage(&run->Show(), WM_MUSIC_RESUME);
    run->Show().Music().MusicPlayTimerTimer();
  });
  TfRun& r = show.Start();
  run = &r;
  r.FormShow();
  QCoreApplication::processEvents();
  std::vector<int> order;
  for (int pass = 0; pass < 3; ++pass) {
    ASSERT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
    order.push_back(r.Show().Music().FTrack);
    ASSERT_TRUE(WaitFor([&] { return r.Show().Music().mpmusic.Ended(); }));
    r.Show().Music().MusicPlayTimerTimer();  // the missing track
    EXPECT_EQ(r.Show().Music().FTrack, 1);
    EXPECT_FALSE(r.Show().Music().FMusicLoaded);
    EXPECT_NE(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
    ASSERT_TRUE(r.Show().Music().MusicPlayTimer.isActive());
    r.Show().Music().MusicPlayTimerTimer();  // back to the first
  }
  SetMessageSink({});
  EXPECT_EQ(order, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
  EXPECT_EQ(r.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
}

TEST(Music, Mp3AndOggPlayToTheirEnd) {
  const std::string mp3 = Encoded("mp3", 300), ogg = Encoded("ogg", 300);
  if (mp3.empty() || ogg.empty()) GTEST_SKIP() << "ffmpeg cannot make MP3 and Ogg tracks here";
  TMusicShow show;
  show.tracks = {mp3, ogg, Tone(100, 440)};
  TfRun& run = show.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  // The coders add a frame or two of silence to 300 ms.
  EXPECT_GE(run.Show().Music().mpmusic.Length(), 280);
  EXPECT_LE(run.Show().Music().mpmusic.Length(), 700);
  EXPECT_EQ(show.Next(), 1);
  EXPECT_GE(run.Show().Music().mpmusic.Length(), 280);
  EXPECT_LE(run.Show().Music().mpmusic.Length(), 700);
  EXPECT_EQ(show.Next(), 2);
}

TEST(Music, TheShowsEndStopsIt) {
  TMusicShow show;
  show.tracks = {Tone(3000, 440)};
  show.settingsSetup = [](TRWSetting& s) {
    s.UseMaxRunTime = true;
    s.MaxRunMinutes = 1;
  };
  TfRun& run = show.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(run.Show().Music().FMusicPlaying);
  // Switched off in the settings read back during the show: paused.
  TRWSetting stored(show.project->ProjectName);
  stored.MusicEnabled = false;
  stored.UseMaxRunTime = true;
  stored.MaxRunMinutes = 1;
  ASSERT_TRUE(stored.Save());
  SendMessage(&run.Show(), WM_SETTINGS_RELOAD);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  SendMessage(&run.Show(), WM_MUSIC_RESUME);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  stored.MusicEnabled = true;
  ASSERT_TRUE(stored.Save());
  SendMessage(&run.Show(), WM_SETTINGS_RELOAD);
  SendMessage(&run.Show(), WM_MUSIC_RESUME);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  // The maximum run time stops the music and ends the show.
  run.Show().FRunSecondsLeft = 1;
  run.Show().MaxRuntimeTimer();
  EXPECT_TRUE(run.Closing());
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped);
  EXPECT_FALSE(run.Show().Music().MusicPlayTimer.isActive());
  EXPECT_FALSE(run.Show().FRunning);

  // WM_SHOW_CLOSE stops it too.
  TMusicShow closed;
  closed.tracks = {Tone(3000, 440)};
  TfRun& c = closed.Start();
  c.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(c.Show().Music().FMusicPlaying);
  SendMessage(&c.Show(), WM_SHOW_CLOSE);
  EXPECT_EQ(c.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Stopped);
  EXPECT_FALSE(c.Show().FRunning);
  EXPECT_TRUE(c.Closing());
}

// Two processes of one show file (here two shows over one file in one process: the music lock
// is a lock of an open file, which excludes the second show as it would a second process).
TEST(Music, OneShowOfAFilePlaysTheMusicAndAnotherTakesItOverAfterItsLastTrack) {
  TMusicShow first;
  first.tracks = {Tone(400, 440), Tone(400, 550), Tone(400, 660)};
  TfRun& run = first.Start();
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(run.Show().Music().MusicIsOurs());
  ASSERT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);

  TProjectInfo project(first.project->ProgramPath());
  project.ReadHeader();
  TRWSetting settings(project.ProjectName);
  TRunSetup setup;
  setup.showArea = {64, 48};
  setup.onScreen = false;
  TShowSeams seams;
  seams.seed = 1;
  auto second = std::make_unique<TShow>(project, settings, setup, seams);
  TMusic& music = second->Music();
  second->Screen().FormShow();
  QCoreApplication::processEvents();
  SendMessage(second.get(), WM_MUSIC_START);
  SendMessage(second.get(), WM_MUSIC_RESUME);
  music.MusicPlayTimerTimer();
  EXPECT_FALSE(music.MusicIsOurs());
  EXPECT_FALSE(music.mpmusic.Started());  // no call on its player at all
  EXPECT_FALSE(music.FMusicLoaded);
  EXPECT_TRUE(music.MusicPlayTimer.isActive()) << "nothing would ask for the music again";

  // Another show file of the same project name is another show: it plays its own music.
  TMusicShow other;
  other.tracks = {Tone(400, 440)};
  TfRun& o = other.Start();
  o.FormShow();
  QCoreApplication::processEvents();
  EXPECT_TRUE(o.Show().Music().MusicIsOurs());
  EXPECT_EQ(o.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Playing);

  EXPECT_EQ(first.Next(), 1);
  music.MusicPlayTimerTimer();
  EXPECT_FALSE(music.mpmusic.Started());
  // The first show ends during its second track: the second takes the music over at its next
  // tick, with the track after it.
  first.show.reset();
  music.MusicPlayTimerTimer();
  EXPECT_TRUE(music.MusicIsOurs());
  EXPECT_EQ(music.FTrack, 2);
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Playing);
  EXPECT_TRUE(music.MusicPlayTimer.isActive());
  // And it goes on with the playlist as its own.
  ASSERT_TRUE(WaitFor([&] { return music.mpmusic.Ended(); }));
  music.MusicPlayTimerTimer();
  EXPECT_EQ(music.FTrack, 0);
  EXPECT_EQ(music.mpmusic.Mode(), TMediaPlayer::TMode::Playing);
}

TEST(Music, TheMusicLockNamesTheShowFileAndItsProject) {
  const QString file = QString::fromStdString(sftest::WriteFile("lock.scr", "x"));
  const QString link = file + ".link";
  ASSERT_EQ(symlink(file.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
  const QString name = TMusic::MusicLockName("Summer", file);
  EXPECT_EQ(TMusic::MusicLockName("Summer", link), name);  // one file, however it is reached
  EXPECT_NE(TMusic::MusicLockName("Summer", file + "2"), name);
  EXPECT_NE(TMusic::MusicLockName("Winter", file), name);
  EXPECT_NE(TMusic::MusicLockName("Summer\nx", file), TMusic::MusicLockName("Summer_x", file));
  // Any project name gives one file name of a length the file system takes.
  const QString odd = TMusic::MusicLockName("../" + QString(400, QChar(0x00E9)) + "/x", file);
  EXPECT_FALSE(odd.contains('/'));
  EXPECT_LT(odd.toUtf8().size(), 120);
}
