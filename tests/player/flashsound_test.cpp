// A movie's sounds through the flash window's sound output and the real media player (silent
// under SHOWFORGE_AUDIO=null, keeping time as a sound card would): the stream starts at the frame
// of its first block and the frames keep with it, a sprite's stream plays beside it, an event
// sound starts at its frame, a button's as the pointer moves and presses, StartSound2's by its
// class, each with its trace line; a movie without sound never opens the media library.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/mediaplayer.h"
#include "player/flashsound.h"
#include "swf/player.h"
#include "tests/swf/swftags.h"

using namespace sf;

namespace {

// A tone of n samples.
std::vector<int16_t> Tone(size_t n, int rate, double hz = 440) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = int16_t(std::lround(8000 * std::sin(2 * M_PI * hz * double(i) / rate)));
  return s;
}

struct TTick {
  int32_t frame;
  int64_t streamMs;  // where the stream stood after the tick, -1 while it does not sound
  std::string trace;
};

// Ticks a player every `everyMs` until it has shown frame `until` (or ten seconds, on a machine
// slow to start the media player), each tick's frame, stream position and trace lines.
std::vector<TTick> Play(swf::TSwfPlayer& player, TFlashSound& sound, int everyMs, int32_t until) {
  std::vector<TTick> ticks;
  QElapsedTimer clock;
  clock.start();
  while (player.CurrentFrame() < until && clock.elapsed() < 10000) {
    QCoreApplication::processEvents();
    ::testing::internal::CaptureStderr();
    player.Tick();
    const std::string trace = ::testing::internal::GetCapturedStderr();
    ticks.push_back({player.CurrentFrame(), sound.StreamPosition(&player.Root()), trace});
    const qint64 next = qint64(ticks.size()) * everyMs;
    while (clock.elapsed() < next) {
      QCoreApplication::processEvents();
      QThread::msleep(2);
    }
  }
  return ticks;
}

// The first tick whose trace holds a line.
const TTick* FirstWith(const std::vector<TTick>& ticks, const std::string& line) {
  for (const TTick& t : ticks)
    if (t.trace.find(line + "\n") != std::string::npos) return &t;
  return nullptr;
}

}  // namespace

TEST(FlashSound, StreamAndEventSoundsStartAtTheirFramesAndTheFramesKeepWithTheStream) {
  setenv("SHOWFORGE_TRACE", "flash", 1);  // read at the first trace: this test's own process
  constexpr int kRate = 11025, kFps = 12, kPerFrame = kRate / kFps;
  // Frames 0 and 1 silent; from frame 2 on, a block of PCM each frame (30 frames: 2.5 s of
  // sound); frame 5 starts event sound 7 (ADPCM, a second long), frame 6 starts it again
  // though it sounds, with no-multiple: no second start.
  std::string tags = sftest::Background(0xFFFFFF) + sftest::SoundStreamHead2(3, 1, true, false, kPerFrame) +
                     sftest::DefineSound(7, 1, 1, true, false, kRate, sftest::Adpcm4(Tone(kRate, kRate, 880)));
  const std::vector<int16_t> tone = Tone(size_t(kPerFrame) * 40, kRate);
  for (int f = 0; f < 40; ++f) {
    if (f >= 2 && f < 32)
      tags += sftest::SoundStreamBlock(sftest::Pcm16(std::vector<int16_t>(tone.begin() + (f - 2) * kPerFrame,
                                                                          tone.begin() + (f - 1) * kPerFrame)));
    if (f == 5) tags += sftest::StartSound(7);
    if (f == 6) {
      sftest::TSoundInfoW once;
      once.noMultiple = true;
      tags += sftest::StartSound(7, once);
    }
    tags += sftest::ShowFrame();
  }
  const auto movie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(40, 30, kFps, 40, tags)));
  ASSERT_TRUE(movie->root.stream);

  TFlashSound sound;
  swf::TSwfPlayer player(movie, &sound);
  // Ticked five times a frame up to frame 16: the frames wait on the sound and do not run ahead
  // of it.
  const std::vector<TTick> ticks = Play(player, sound, 1000 / kFps / 5, 16);
  ASSERT_GE(player.CurrentFrame(), 16) << "the movie did not reach frame 16 in ten seconds";
  const TTick* stream = FirstWith(ticks, "flash: sound stream");
  const TTick* event = FirstWith(ticks, "flash: sound 7");
  ASSERT_TRUE(stream);
  ASSERT_TRUE(event);
  // A tick that falls behind shows two frames at once: the sound starts in the tick that went
  // through its frame, whatever frame the tick ended on.
  auto startedAt = [&](const TTick* t, int32_t frame) {
    const int32_t before = t == &ticks.front() ? -1 : (t - 1)->frame;
    EXPECT_LT(before, frame);
    EXPECT_GE(t->frame, frame);
  };
  startedAt(stream, 2);
  startedAt(event, 5);
  int events = 0;
  for (const TTick& t : ticks)
    for (size_t at = 0; (at = t.trace.find("flash: sound 7\n", at)) != std::string::npos; ++at) ++events;
  EXPECT_EQ(events, 1);  // the no-multiple start while it sounds starts nothing
  // The frame is the one whose block the sound has reached: frame 2 and the stream's twelfths
  // of a second, give or take one for the tick's own step (frames that went on while the media
  // player was starting have been waited back in).
  const TTick& last = ticks.back();
  ASSERT_GE(last.streamMs, 0);
  EXPECT_NEAR(last.frame, 2 + last.streamMs * kFps / 1000, 1) << "at " << last.streamMs << " ms of the stream";
  // While the stream sounded and moved on, the frames went at its pace, not the ticks' (five a
  // frame).
  int sounding = 0, advanced = 0;
  for (size_t i = 1; i < ticks.size(); ++i)
    if (ticks[i].streamMs > 0 && ticks[i - 1].streamMs > 0) ++sounding, advanced += ticks[i].frame != ticks[i - 1].frame;
  EXPECT_GT(sounding, 20);
  EXPECT_LT(advanced, sounding / 2);

  // A player given its output where it stands (as the flash window gives it when the movie
  // starts in it): that frame's sounds start then, once; none of the frames before it sounded.
  TFlashSound later;
  swf::TSwfPlayer waiting(movie);
  waiting.GotoFrame(5);
  ::testing::internal::CaptureStderr();
  waiting.SetSoundOutput(&later);
  const std::string given = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(given, "flash: sound 7\nflash: sound stream\n");
  waiting.SetSoundOutput(nullptr);  // the stream stops on the output it sounded on
  EXPECT_EQ(waiting.Root().Streaming(), nullptr);
}

TEST(FlashSound, AMovieWithoutSoundNeverOpensTheMediaLibrary) {
  // Its own process (one test each under ctest): nothing has opened the library before.
  ASSERT_FALSE(TMediaPlayer::LibrarySettled());
  const std::string tags = sftest::Background(0xFFFFFF) + sftest::BoxShape(1, 10, 10, 0xFF0000) + sftest::Place(1, 1, 0, 0) +
                           sftest::ShowFrame() + sftest::ShowFrame();
  const auto movie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(40, 30, 12, 2, tags)));
  TFlashSound sound;
  swf::TSwfPlayer player(movie, &sound);
  for (int i = 0; i < 5; ++i) player.Tick();
  EXPECT_FALSE(TMediaPlayer::LibrarySettled());
  EXPECT_TRUE(sound.Sounding().empty());
}

namespace {

// What the trace says while `f` runs.
template <class F>
std::string Traced(F&& f) {
  ::testing::internal::CaptureStderr();
  f();
  return ::testing::internal::GetCapturedStderr();
}

// A short sound of 16-bit samples at 11,025 a second.
std::string ShortSound(int id) {
  return sftest::DefineSound(id, 3, 1, true, false, 1100, sftest::Pcm16(Tone(1100, 11025)));
}

}  // namespace

TEST(FlashSound, ButtonSoundsStartAsThePointerComesPressesReleasesAndLeaves) {
  setenv("SHOWFORGE_TRACE", "flash", 1);
  // A button whose hit area is the box (20, 20) to (40, 40) pixels, with sound 6 as the pointer
  // leaves it, 7 as it comes over it, 8 as it presses and 9 as it releases.
  const std::string tags = sftest::Background(0xFFFFFF) + sftest::BoxShape(1, 20, 20, 0xFF0000) + ShortSound(6) +
                           ShortSound(7) + ShortSound(8) + ShortSound(9) +
                           sftest::DefineButton2(2, {{1 | 2 | 4 | 8, 1, 1}}, {}) + sftest::DefineButtonSound(2, {6, 7, 8, 9}) +
                           sftest::Place(1, 2, 400, 400) + sftest::ShowFrame();
  const auto movie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(100, 60, 12, 1, tags)));
  TFlashSound sound;
  swf::TSwfPlayer player(movie, &sound);
  auto at = [&](double x, double y, bool down) { return Traced([&] { player.Pointer(QPointF(x * 20, y * 20), down); }); };
  EXPECT_EQ(at(5, 5, false), "");
  EXPECT_EQ(at(30, 30, false), "flash: sound 7\n");
  EXPECT_EQ(at(35, 30, false), "");  // moving over it starts nothing more
  EXPECT_EQ(at(35, 30, true), "flash: sound 8\n");
  EXPECT_EQ(at(35, 30, false), "flash: sound 9\n");
  EXPECT_EQ(at(50, 30, false), "flash: sound 6\n");
  // Pressed away from the button and brought over it held: it is not the pressed button, no
  // sound; a press that comes straight onto it sounds its coming over, then its press.
  EXPECT_EQ(at(50, 30, true), "");
  EXPECT_EQ(at(30, 30, true), "");
  EXPECT_EQ(at(50, 30, false), "");
  EXPECT_EQ(at(30, 30, true), "flash: sound 7\nflash: sound 8\n");

  // Sounds named that are not sounds, or not defined, and a button sound for no button: the
  // pointer goes over and presses without a sound and without harm.
  const std::string odd = sftest::Background(0xFFFFFF) + sftest::BoxShape(1, 20, 20, 0xFF0000) +
                          sftest::DefineButton2(2, {{1 | 2 | 4 | 8, 1, 1}}, {}) + sftest::DefineButtonSound(2, {1, 40, 2, 0}) +
                          sftest::DefineButtonSound(77, {1, 1, 1, 1}) + sftest::Place(1, 2, 400, 400) + sftest::ShowFrame();
  const auto oddMovie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(100, 60, 12, 1, odd)));
  swf::TSwfPlayer quiet(oddMovie, &sound);
  EXPECT_EQ(Traced([&] { quiet.Pointer(QPointF(600, 600), false), quiet.Pointer(QPointF(600, 600), true); }), "");
  EXPECT_EQ(quiet.Root().List().at(1).button->state, swf::TButton::kDown);
}

TEST(FlashSound, StartSound2PlaysTheSoundItsClassNames) {
  setenv("SHOWFORGE_TRACE", "flash", 1);
  // StartSound2 names its sound by a class: the sound the movie's SymbolClass gives that name
  // (given here after the frame that starts it) plays. A class the movie defines only in its
  // scripts, which we do not run, names no sound here: passed over. So is a class that names a
  // shape.
  const std::string tags = sftest::Background(0xFFFFFF) + ShortSound(5) + sftest::BoxShape(1, 10, 10, 0xFF0000) +
                           sftest::ShowFrame() + sftest::StartSound2("Chime") + sftest::StartSound2("ScriptOnly") +
                           sftest::StartSound2("Box") + sftest::StartSound2("") + sftest::ShowFrame() +
                           sftest::SymbolClass({{5, "Chime"}, {1, "Box"}, {0, "Main"}}) + sftest::ShowFrame();
  const auto movie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(40, 30, 12, 3, tags)));
  TFlashSound sound;
  swf::TSwfPlayer player(movie, &sound);
  EXPECT_EQ(Traced([&] { player.Advance(); }), "flash: sound 5\n");
  EXPECT_EQ(Traced([&] { player.Advance(); }), "");
  EXPECT_EQ(player.CurrentFrame(), 2);
}

TEST(FlashSound, ASpritesStreamPlaysBesideTheMoviesWhichPacesTheMovie) {
  setenv("SHOWFORGE_TRACE", "flash", 1);
  constexpr int kRate = 11025, kFps = 12, kPerFrame = kRate / kFps;
  const std::vector<int16_t> tone = Tone(size_t(kPerFrame) * 40, kRate);
  auto block = [&](int i) {
    return sftest::SoundStreamBlock(
        sftest::Pcm16(std::vector<int16_t>(tone.begin() + i * kPerFrame, tone.begin() + (i + 1) * kPerFrame)));
  };
  // A sprite of 30 frames with a stream of its own, a block each frame; placed four times on the
  // movie's third frame. The movie streams a block each frame from its first.
  std::string sprite = sftest::SoundStreamHead2(3, 1, true, false, kPerFrame);
  for (int f = 0; f < 30; ++f) sprite += block(f) + sftest::ShowFrame();
  std::string tags = sftest::Background(0xFFFFFF) + sftest::Sprite(5, 30, sprite) +
                     sftest::SoundStreamHead2(3, 1, true, false, kPerFrame);
  for (int f = 0; f < 40; ++f) {
    tags += block(f);
    if (f == 2)
      for (int depth = 1; depth <= 4; ++depth) tags += sftest::Place(depth, 5, 0, 0);
    tags += sftest::ShowFrame();
  }
  const auto movie = swf::TSwfMovie::Load(QByteArray::fromStdString(sftest::Movie(40, 30, kFps, 40, tags)));
  TFlashSound sound;
  swf::TSwfPlayer player(movie, &sound);
  const std::vector<TTick> ticks = Play(player, sound, 1000 / kFps / 5, 12);
  ASSERT_GE(player.CurrentFrame(), 12) << "the movie did not reach frame 12 in ten seconds";
  int streams = 0;
  for (const TTick& t : ticks)
    for (size_t at = 0; (at = t.trace.find("flash: sound stream\n", at)) != std::string::npos; ++at) ++streams;
  EXPECT_EQ(streams, 4);  // the sprites' (the movie's started before the ticks were watched)
  // Four sound at once, each where its own timeline stands, the movie's ahead of the sprites'
  // (which start when the media player has opened them, each at its own pace on a busy machine).
  // The fifth took the place of the sprite's that started first, not of the movie's.
  const int64_t movieMs = sound.StreamPosition(&player.Root());
  ASSERT_GE(movieMs, 0);
  EXPECT_EQ(sound.StreamPosition(player.Root().List().at(1).sprite.get()), -1);
  for (uint16_t depth = 2; depth <= 4; ++depth) {
    const int64_t ms = sound.StreamPosition(player.Root().List().at(depth).sprite.get());
    EXPECT_GE(ms, 0) << depth;
    EXPECT_GT(movieMs, ms) << depth;
  }
  // The movie's frames kept with its own stream after the sprites' started, not with theirs.
  EXPECT_NEAR(player.CurrentFrame(), movieMs * kFps / 1000, 1) << "at " << movieMs << " ms of the movie's stream";
  const TTick& last = ticks.back();
  EXPECT_NEAR(last.frame, last.streamMs * kFps / 1000, 1);
}
