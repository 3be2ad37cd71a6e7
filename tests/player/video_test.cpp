// Video slides with clips ffmpeg makes whose frames change colour: the place and size of the
// panel, the end rule and the follow-up of the show cycle, two clips in a row, the music pause, a
// clip that cannot be opened, a press on the panel. The video timer is fired by hand; mpv plays in real time.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "player/messages.h"
#include "player/runwindow.h"
#include "settings/rwsetting.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"
#include "tests/player/showbuilder.h"

using namespace sf;

namespace {

// 320 x 240 at 25 frames a second: red, lime and blue for 0.4 seconds each.
const std::string& Clip() {
  static const std::string clip = sftest::FfmpegMade(
      "colours.mp4", {"-f", "lavfi", "-i", "color=c=red:s=320x240:r=25:d=0.4", "-f", "lavfi", "-i",
                      "color=c=lime:s=320x240:r=25:d=0.4", "-f", "lavfi", "-i", "color=c=blue:s=320x240:r=25:d=0.4",
                      "-filter_complex", "[0][1][2]concat=n=3:v=1:a=0", "-pix_fmt", "yuv420p"});
  return clip;
}

// A show of pictures and clips on grey backgrounds.
struct TVideoShow : sftest::TBuiltShow {
  void Add(const std::string& bytes, const std::string& fields) { AddSlide(bytes, sftest::Plain(8421504) + fields); }
  void Picture() { Add(sftest::Bmp(sftest::Solid(16, 16, qRgb(255, 255, 0))), sftest::S("FormatCode", "1")); }
  void Video(int sizeMode, const std::string& bytes = Clip()) {
    Add(bytes, sftest::S("SlideKind", "2") + sftest::S("FileName", "clip.mp4") +
                   sftest::S("VideoSizeMode", std::to_string(sizeMode)));
  }
};

using sftest::Finish;

QWidget* Panel(TfRun& run) { return run.findChild<QWidget*>("displaypanel"); }

// The colour in the middle of the latest frame, as red, lime or blue ("?" for another, "none" for no
// frame or a black one).
const char* FrameColour(TfRun& run) {
  const QImage& f = run.Video().mp.Frame();
  if (f.isNull()) return "none";
  const QRgb c = f.pixel(f.width() / 2, f.height() / 2);
  if (qRed(c) < 30 && qGreen(c) < 30 && qBlue(c) < 30) return "none";  // black: no frame
  if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) return "red";
  if (qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60) return "lime";
  if (qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60) return "blue";
  return "?";
}

}  // namespace

TEST(Video, PlaysCentredAtItsSizeAndTheCycleGoesOnWhenItEnds) {
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow show;
  show.Picture();
  show.Video(3);
  show.Picture();
  TfRun& run = show.Start();
  run.FormShow();
  Finish(run);
  ASSERT_EQ(run.SelectTimer.interval(), 2000);  // after a picture: the display time and a second
  run.SelectTimerTimer();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  EXPECT_EQ(run.FSlideKind, 2);
  EXPECT_EQ(QSize(run.Video().FVideoWidth, run.Video().FVideoHeight), QSize(320, 240));
  EXPECT_EQ(QSize(run.Video().FVideoShowWidth, run.Video().FVideoShowHeight), QSize(512, 383));
  EXPECT_EQ(Panel(run)->geometry(), QRect(256, 192, 512, 383));  // centred in plBK
  EXPECT_TRUE(sftest::WaitUntil([&] { return !Panel(run)->isHidden(); }));  // with the first frame
  EXPECT_TRUE(run.Video().VidioTimer.isActive());
  EXPECT_FALSE(run.SelectTimer.isActive());
  EXPECT_EQ(run.Surface().pixel(5, 5), qRgb(128, 128, 128));  // the slide's background stands around it
  // The frames come in order, at the panel's size.
  std::vector<std::string> seen;
  ASSERT_TRUE(sftest::WaitUntil([&] {
    const std::string c = FrameColour(run);
    if (c != "none" && c != "?" && (seen.empty() || seen.back() != c)) seen.push_back(c);
    return run.Video().mp.Ended();
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"red", "lime", "blue"}));
  EXPECT_EQ(run.Video().mp.Frame().size(), QSize(512, 383));
  // The tick that finds the end stops the clip and starts the slide timer with its last interval.
  run.Video().VidioTimerTimer();
  EXPECT_FALSE(run.Video().FVideoPlaying);
  EXPECT_TRUE(Panel(run)->isHidden());
  EXPECT_FALSE(run.Video().VidioTimer.isActive());
  EXPECT_TRUE(run.SelectTimer.isActive());
  EXPECT_EQ(run.SelectTimer.interval(), 2000);
  EXPECT_EQ(run.Video().FVideoPos, 0);
  run.SelectTimerTimer();
  EXPECT_EQ(run.FCurrent, 2);
}

TEST(Video, TheNextClipsPanelShowsNothingOfTheLastOne) {
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow show;
  show.Video(0);
  show.Video(0);
  TfRun& run = show.Start();
  run.FormShow();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  ASSERT_TRUE(sftest::WaitUntil([&] { return run.Video().mp.Ended(); }));
  ASSERT_STREQ(FrameColour(run), "blue");  // the clip's last frame
  run.Video().VidioTimerTimer();
  ASSERT_FALSE(run.Video().FVideoPlaying);
  EXPECT_TRUE(Panel(run)->isHidden());
  EXPECT_STREQ(FrameColour(run), "none") << "the closed clip's last frame is kept";
  // The second clip, at the same place and size: its panel stays hidden (the slide's grey
  // shows) until its own first frame stands in it.
  run.SelectTimerTimer();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  EXPECT_TRUE(Panel(run)->isHidden()) << "the panel came up before the clip's first frame";
  std::vector<std::string> shown;
  ASSERT_TRUE(sftest::WaitUntil([&] {
    if (!Panel(run)->isHidden()) shown.push_back(FrameColour(run));
    return shown.size() >= 3;
  }));
  EXPECT_EQ(shown.front(), "red");
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "blue"), 0);
}

TEST(Video, TicksBeforeTheEndKeepThePositionAndAFlashEndMakesItOneMillisecond) {
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow show;
  show.Video(0);
  TfRun& run = show.Start();
  // After a flash slide (WM_FLASH_ENDED) the slide timer runs at 1 ms; a video that ends starts
  // it with that interval.
  SendMessage(&run, WM_FLASH_ENDED, 1, 1);
  EXPECT_EQ(run.SelectTimer.interval(), 1);
  run.SelectTimerTimer();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  ASSERT_TRUE(sftest::WaitUntil([&] { return run.Video().mp.Position() >= 300; }));
  run.Video().VidioTimerTimer();
  EXPECT_TRUE(run.Video().FVideoPlaying);
  EXPECT_GE(run.Video().FVideoPos, 300);
  EXPECT_LT(run.Video().FVideoPos, 1200);
  ASSERT_TRUE(sftest::WaitUntil([&] { return run.Video().mp.Ended(); }));
  run.Video().VidioTimerTimer();
  EXPECT_FALSE(run.Video().FVideoPlaying);
  EXPECT_EQ(run.SelectTimer.interval(), 1);
  EXPECT_TRUE(run.SelectTimer.isActive());
}

TEST(Video, RandomPlacesKeptSizesAndThePreview) {
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow random;
  random.header = sftest::HeaderField("RandomPosition", "1");
  random.Video(1);
  random.Video(9);  // an unknown mode keeps the previous size
  TfRun& run = random.Start();
  std::set<std::pair<int, int>> places;
  for (int i = 0; i < 4; ++i) {
    run.SelectTimerTimer();
    ASSERT_TRUE(run.Video().FVideoPlaying);
    EXPECT_EQ(QSize(run.Video().FVideoShowWidth, run.Video().FVideoShowHeight), QSize(640, 480)) << i;
    EXPECT_TRUE(QRect(0, 0, 1024 - 640, 768 - 480).contains(QPoint(run.Video().FPicX, run.Video().FPicY))) << run.Video().FPicX << "," << run.Video().FPicY;
    EXPECT_EQ(Panel(run)->pos(), QPoint(run.Video().FPicX, run.Video().FPicY));
    places.insert({run.Video().FPicX, run.Video().FPicY});
  }
  EXPECT_GT(places.size(), 1u);

  TVideoShow preview;
  preview.Video(5);
  TfRun& small = preview.Start({152, 112}, true);
  small.SelectTimerTimer();
  ASSERT_TRUE(small.Video().FVideoPlaying);
  EXPECT_EQ(Panel(small)->geometry(), QRect((152 - 300) / 2, (112 - 224) / 2, 300, 224));
}

TEST(Video, MusicPausesAndPressesOnTheClipCount) {
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow show;
  show.tracks = {sftest::ToneWav(3000, 440)};
  show.Picture();
  show.Video(0);
  TfRun& run = show.Start();
  show.settings->CloseOnLeftClick = true;
  run.FormShow();
  QCoreApplication::processEvents();
  ASSERT_TRUE(run.Show().Music().FMusicPlaying);
  Finish(run);
  run.SelectTimerTimer();
  QCoreApplication::processEvents();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  EXPECT_FALSE(run.Show().Music().FMusicPlaying);
  EXPECT_EQ(run.Show().Music().mpmusic.Mode(), TMediaPlayer::TMode::Paused);
  // A button pressed on the clip is pressed on the show.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Panel(run), &press);
  EXPECT_TRUE(run.Closing());
  EXPECT_FALSE(run.Video().FVideoPlaying);  // the show's end stops the clip
}

TEST(Video, AClipThatCannotBeOpenedIsPassedOverAfterTheDisplayTime) {
  TVideoShow show;
  show.Video(3, "this is not a video at all");
  show.Picture();
  TfRun& run = show.Start();
  run.FormShow();
  EXPECT_FALSE(run.Video().FVideoPlaying);
  EXPECT_TRUE(Panel(run)->isHidden());
  EXPECT_FALSE(run.Video().VidioTimer.isActive());
  EXPECT_TRUE(run.SelectTimer.isActive());
  EXPECT_EQ(run.SelectTimer.interval(), 2000);
  EXPECT_EQ(run.Surface().pixel(500, 400), qRgb(128, 128, 128));  // its slide's background
  run.SelectTimerTimer();
  EXPECT_EQ(run.FCurrent, 1);

  // A clip beside the program that is not there: the container's message, then the same.
  QStringList shown;
  SetMessageSink([&](const QString& m) { shown << m; });
  TVideoShow missing;
  missing.header = sftest::HeaderField("MediaEmbedded", "0") + sftest::HeaderField("PlayerMediaEmbedded", "0") +
                   sftest::HeaderField("MediaBesideProgram", "0");
  missing.Add("", sftest::SlideField("SlideKind", "2") + sftest::SlideField("FileName", "/nowhere/clip.avi"));
  TfRun& m = missing.Start();
  m.FormShow();
  SetMessageSink({});
  EXPECT_EQ(shown, QStringList{"File not found : /nowhere/clip.avi"});
  EXPECT_TRUE(m.SelectTimer.isActive());
  EXPECT_FALSE(m.Closing());
}

TEST(Video, AClipsFileLeavesTheTracksFileAlone) {
  // The music's track and a slide's clip are copied out of the show each to a file of its own:
  // a video slide does not take away the file the music player reads the playing track from.
  if (Clip().empty()) GTEST_SKIP() << "ffmpeg cannot make the clip here";
  TVideoShow show;
  show.tracks = {sftest::ToneWav(3000, 440)};
  show.Video(0);
  TfRun& run = show.Start();
  ASSERT_TRUE(run.Show().Music().FMusicLoaded);
  const QString track = show.project->TempDir + "qel.wav";
  ASSERT_TRUE(QFile::exists(track));
  run.FormShow();
  ASSERT_TRUE(run.Video().FVideoPlaying);
  EXPECT_TRUE(QFile::exists(track));
  // Both go with the run window.
  const QStringList held = QDir(show.project->TempDir).entryList(QDir::Files);
  EXPECT_EQ(held.size(), 2) << held.join(' ').toStdString();
  show.show.reset();
  EXPECT_TRUE(QDir(show.project->TempDir).entryList(QDir::Files).isEmpty());
}
