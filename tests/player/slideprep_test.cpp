// Slide preparation without a window: the studio's way in (a media source of its own, a slide,
// any screen size and layout, a generator), and its agreement with what the run window shows.
#include <QBuffer>
#include <gtest/gtest.h>

#include <map>

#include "container/projectinfo.h"
#include "player/slideprep.h"
#include "tests/player/showbuilder.h"

using namespace sf;

namespace {

using sftest::Bmp;
using sftest::H;
using sftest::Plain;
using sftest::S;
using sftest::Solid;

// Pictures held in memory by record index, as a document's files would give them.
class TMemoryMedia : public TMediaSource {
 public:
  std::map<int32_t, QByteArray> pictures;
  bool embeds = true;

  bool GetSlideData(int32_t index, QByteArray& stream, int32_t& formatCode) override {
    stream.clear();
    const auto found = pictures.find(index);
    if (found == pictures.end()) return false;
    stream = found->second;
    formatCode = 1;  // BMP
    return true;
  }
  bool EmbedsMedia() const override { return embeds; }
  QString ExternalPath(const QString& stored) const override { return "/shows/" + stored; }
  QString FileNotFoundMessage(const QString& path) const override { return "missing " + path; }
};

// A picture slide of the record index with a solid background and no texts.
TPictureInfo PlainSlide(int32_t index, TColor background) {
  TPictureInfo slide;
  slide.ResourceIndex = index;
  slide.BackgroundKinds = "0;";
  slide.RandomBackgroundColor = false;
  slide.SolidColor = background;
  slide.ShowCaption = slide.ShowText = false;
  return slide;
}

}  // namespace

TEST(SlidePreparer, ComposesASlideForAnyScreenSizeAndLayout) {
  TMemoryMedia media;
  media.pictures[0] = QByteArray::fromStdString(Bmp(Solid(400, 300, qRgb(0, 200, 0))));
  const TPictureInfo slide = PlainSlide(0, 0x0000FF);  // red: 0x00BBGGRR
  TSlideStyle style;
  style.randomPosition = false;
  for (const bool whole : {true, false}) {
    style.wholeScreen = whole;
    struct {
      QSize screen;
      bool preview;
      int32_t fit;
      QRect picture;
    } cases[] = {
        {{1920, 1080}, false, 1, {760, 390, 400, 300}},   // fits: its own size, centred
        {{320, 240}, false, 1, {0, 0, 320, 240}},         // shrunk to the screen, same aspect
        {{200, 300}, false, 1, {0, 75, 200, 150}},        // a tall screen: bands above and below
        {{1920, 1080}, false, 3, {0, 0, 1920, 1080}},     // stretched
        {{200, 100}, true, 0, {33, 0, 133, 100}},         // a preview fits even in original size
        {{200, 100}, false, 0, {-100, -100, 400, 300}},  // larger than the screen: centred over it
    };
    for (const auto& c : cases) {
      style.fitMode = c.fit;
      TRandom random(1);
      const QImage shot = ComposeSlide(media, style, {}, slide, {c.screen, c.preview}, random);
      ASSERT_EQ(shot.size(), c.screen);
      const QRect on = c.picture & shot.rect();
      const auto at = [&](QPoint p) { return shot.pixel(p) & 0xFFFFFF; };
      EXPECT_EQ(at(on.topLeft()), 0x00C800u) << whole << c.screen.width() << "x" << c.screen.height();
      EXPECT_EQ(at(on.bottomRight()), 0x00C800u);
      // The background just outside the picture, where the screen shows any.
      const QPoint outside[] = {on.topLeft() - QPoint(1, 0), on.topLeft() - QPoint(0, 1),
                                on.bottomRight() + QPoint(1, 0), on.bottomRight() + QPoint(0, 1)};
      for (const QPoint& p : outside)
        if (shot.rect().contains(p)) {
          EXPECT_EQ(at(p), 0xFF0000u) << p.x() << "," << p.y();
        }
    }
  }
}

TEST(SlidePreparer, CaptionsStandOverThePictureOnlyWhenTheWholeScreenComesIn) {
  TMemoryMedia media;
  media.pictures[0] = QByteArray::fromStdString(Bmp(Solid(100, 100, qRgb(0, 200, 0))));
  TPictureInfo slide = PlainSlide(0, 0);
  slide.ShowCaption = true;
  slide.Caption = "WWWW";
  slide.CaptionPosition = 9;  // at (40, 40), inside the picture's square
  slide.CaptionX = slide.CaptionY = 40;
  slide.CaptionFont.Height = -30;
  slide.CaptionFont.Color = 0xFFFFFF;
  TSlideStyle style;
  style.randomPosition = false;
  const auto whitePixels = [&](bool whole) {
    style.wholeScreen = whole;
    TRandom random(1);
    const QImage shot = ComposeSlide(media, style, {}, slide, {{100, 100}, false}, random);
    int white = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) white += (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    return white;
  };
  EXPECT_GT(whitePixels(true), 0);   // drawn over the composed screen
  EXPECT_EQ(whitePixels(false), 0);  // drawn on the background, which the picture then covers
}

TEST(SlidePreparer, MissingAndDamagedPictures) {
  TMemoryMedia media;
  media.pictures[1] = "not a picture";
  TPictureInfo lost = PlainSlide(0, 0), damaged = PlainSlide(1, 0);
  lost.FileName = "lost.jpg";
  TSlideStyle style;
  for (const bool embeds : {true, false}) {
    media.embeds = embeds;
    QStringList messages;
    TRandom random(1);
    EXPECT_TRUE(ComposeSlide(media, style, {}, lost, {{64, 48}}, random, &messages).isNull());
    // Inside the show a fetch that fails is a damaged picture, passed over without a word.
    EXPECT_EQ(messages, embeds ? QStringList() : QStringList{"File not found : /shows/lost.jpg"});
    messages.clear();
    EXPECT_TRUE(ComposeSlide(media, style, {}, damaged, {{64, 48}}, random, &messages).isNull());
    EXPECT_TRUE(messages.isEmpty());
  }
  // A pool background that is missing is told with the show's own text and leaves the
  // background as it was; the slide is shown over it.
  media.embeds = false;
  media.pictures[2] = QByteArray::fromStdString(Bmp(Solid(8, 8, qRgb(1, 2, 3))));
  TPictureInfo pool = PlainSlide(3, 0), slide = PlainSlide(2, 0);
  pool.FileName = "pool.bmp";
  slide.BackgroundKinds = "1;";
  slide.BackgroundPictureSources = "2;";
  slide.BackgroundPictureList = " 0;";
  QStringList messages;
  TRandom random(1);
  const QImage shot = ComposeSlide(media, style, {{}, {&pool}}, slide, {{64, 48}}, random, &messages);
  EXPECT_EQ(messages, QStringList{"missing pool.bmp"});
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFF, 0u);
}

TEST(SlidePreparer, DrawsAsTheRunWindowDoesForTheSameSeed) {
  // Random backgrounds, gradients, tiles and positions: a slide composed on its own with the seed
  // the window's generator stands at gives the screen the window's transition ends on.
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    sftest::TBuiltShow show;
    show.header = H("ScreenTransitionMode", "1") + H("RandomPosition", "1");
    show.AddPicture(Bmp(Solid(90, 70, qRgb(10, 20, 30))),
                    S("BackgroundKinds", "0;1;2;") + S("BackgroundPictureSources", "1;") + S("RandomTileCount", "1") +
                        S("ShowCaption", "0") + S("ShowText", "0") + S("EffectList", "0;") + S("RandomEffect", "0"));
    TfRun& run = show.Start({320, 240});
    run.Rng().Seed(seed);
    run.FormShow();
    sftest::Finish(run);
    TRandom random(seed);
    TSlideRecords records;
    for (const TPictureInfo& r : show.project->Slides) records.slides.push_back(&r);
    const QImage alone = ComposeSlide(*show.project, TSlideStyle::Of(*show.project), records, show.project->Slides[0],
                                      {{320, 240}}, random);
    ASSERT_EQ(alone, run.Surface()) << seed;
  }
}
