// Our flash player on movies written here from the published format: the three headers, shapes
// with curves, fills on either side of an edge, new styles, lines, gradients, bitmap fills from
// lossless and JPEG bitmaps, moves, colour transforms, sprites, frame actions; damaged and hostile
// movies; the control's members; and a movie ffmpeg writes.
#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "swf/flashcontrol.h"
#include "swf/player.h"
#include "tests/common/testutil.h"
#include "tests/swf/swfwriter.h"

using namespace sf::swf;
using sftest::TBits;
using sftest::TShapeRecords;

using sftest::Background;
using sftest::BoxShape;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0x000000;

std::shared_ptr<const TSwfMovie> Load(const std::string& bytes) {
  return TSwfMovie::Load(QByteArray::fromStdString(bytes));
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

bool Near(QRgb a, uint32_t rgb, int tolerance = 24) {
  return std::abs(qRed(a) - int(rgb >> 16)) <= tolerance && std::abs(qGreen(a) - int((rgb >> 8) & 0xFF)) <= tolerance &&
         std::abs(qBlue(a) - int(rgb & 0xFF)) <= tolerance;
}

std::string Jpeg(QRgb colour, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 95);
  return bytes.toStdString();
}

// A box filled with bitmap `bitmapId` scaled by `scale` screen pixels per bitmap pixel.
std::string BitmapBox(int id, int bitmapId, int w, int h, int type, double scale) {
  TBits fill;
  fill.U8(type);
  fill.U16(bitmapId);
  fill.Matrix(20 * scale, 20 * scale, 0, 0, 0, 0);
  return sftest::DefineShape(1, id, w * 20, h * 20, sftest::Styles({fill.Data()}, {}), 1, 0,
                             TShapeRecords(1, 0).Box(0, 0, w * 20, h * 20, 0, 1, -1).End());
}

}  // namespace

TEST(SwfMovie, HeadersShapesAndTheThreeCompressions) {
  const std::string tags = Background(kWhite) + BoxShape(1, 20, 10, kRed) + sftest::Place(1, 1, 100, 100) + sftest::ShowFrame();
  QImage frames[3];
  int n = 0;
  for (char compression : {'F', 'C', 'Z'}) {
    auto movie = Load(sftest::Movie(40, 30, 24, 1, tags, compression));
    EXPECT_EQ(movie->StageSize(), QSize(40, 30));
    EXPECT_DOUBLE_EQ(movie->frameRate, 24.0);
    EXPECT_EQ(movie->FrameCount(), 1);
    frames[n++] = RenderFrame(movie, 0);
  }
  EXPECT_EQ(frames[0].size(), QSize(40, 30));
  EXPECT_EQ(At(frames[0], 10, 8), kRed);   // inside the box at (5, 5) to (25, 15)
  EXPECT_EQ(At(frames[0], 2, 2), kWhite);  // the background
  EXPECT_EQ(At(frames[0], 26, 16), kWhite);
  EXPECT_EQ(frames[0], frames[1]);
  EXPECT_EQ(frames[0], frames[2]);
}

TEST(SwfMovie, CurvesFillsOnBothSidesNewStylesAndLines) {
  // A circle of four quadratic curves about (20, 20) pixels with radius 15: (9, 9) lies inside
  // the curves and outside the straight diamond through their anchors; (6, 6) outside both.
  const std::string circle =
      sftest::DefineShape(1, 1, 800, 800, sftest::Styles({sftest::SolidFill(kBlue)}, {}), 1, 0,
                          TShapeRecords(1, 0)
                              .Style(0, 1, -1, true, 100, 400)
                              .Curve(0, -300, 300, 0)
                              .Curve(300, 0, 0, 300)
                              .Curve(0, 300, -300, 0)
                              .Curve(-300, 0, 0, -300)
                              .End());
  auto round = Load(sftest::Movie(40, 40, 12, 1, Background(kWhite) + circle + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame()));
  const QImage c = RenderFrame(round, 0);
  EXPECT_EQ(At(c, 20, 20), kBlue);
  EXPECT_EQ(At(c, 9, 9), kBlue);
  EXPECT_EQ(At(c, 6, 6), kWhite);

  // A square split down the middle: each edge carries the fill on its right (fill 1) and on its
  // left (fill 0). The outline runs clockwise with the inside on its right; the middle edge runs
  // down with the left half on its right.
  const std::string split =
      sftest::DefineShape(1, 2, 800, 800, sftest::Styles({sftest::SolidFill(kRed), sftest::SolidFill(kGreen)}, {}), 2, 0,
                          TShapeRecords(2, 0)
                              .Style(0, 1, -1, true, 0, 0)
                              .Line(400, 0)
                              .Style(0, 2, -1)
                              .Line(400, 0)
                              .Line(0, 800)
                              .Line(-400, 0)
                              .Style(0, 1, -1)
                              .Line(-400, 0)
                              .Line(0, -800)
                              .Style(2, 1, -1, true, 400, 0)
                              .Line(0, 800)
                              .End());
  const QImage s = RenderFrame(Load(sftest::Movie(40, 40, 12, 1, split + sftest::Place(1, 2, 0, 0) + sftest::ShowFrame())), 0);
  EXPECT_EQ(At(s, 5, 20), kRed);
  EXPECT_EQ(At(s, 35, 20), kGreen);

  // New styles within a shape (DefineShape2): the second box takes its colour from them. A line
  // style of 4 pixels runs along the bottom.
  TShapeRecords records(1, 1);
  records.Box(0, 0, 400, 400, 0, 1, 0);
  records.NewStyles(sftest::Styles({sftest::SolidFill(kGreen)}, {sftest::LineStyle(80, kBlue)}), 1, 1, 0, 1, 0, 400, 0);
  records.Line(400, 0).Line(0, 400).Line(-400, 0).Line(0, -400);
  records.Style(-1, 0, 1, true, 0, 700).Line(800, 0);
  const std::string styled = sftest::DefineShape(2, 3, 800, 800, sftest::Styles({sftest::SolidFill(kRed)}, {}), 1, 1, records.End());
  const QImage n = RenderFrame(Load(sftest::Movie(40, 40, 12, 1, Background(kWhite) + styled + sftest::Place(1, 3, 0, 0) + sftest::ShowFrame())), 0);
  EXPECT_EQ(At(n, 10, 10), kRed);
  EXPECT_EQ(At(n, 30, 10), kGreen);
  EXPECT_EQ(At(n, 20, 35), kBlue);   // on the line: rows 33 to 37
  EXPECT_EQ(At(n, 20, 30), kWhite);  // above it
}

TEST(SwfMovie, GradientsAndBitmapFills) {
  // A linear gradient from red to blue across a box 40 pixels wide: the gradient square (-16384
  // to 16384) scaled to 800 twips and moved to its middle.
  TBits g;
  g.U8(0x10);
  g.Matrix(800.0 / 32768, 800.0 / 32768, 0, 0, 400, 0);
  g.UB(0, 2), g.UB(0, 2), g.UB(2, 4);
  g.U8(0), g.Rgb(kRed), g.U8(255), g.Rgb(kBlue);
  const std::string gradient = sftest::DefineShape(1, 1, 800, 200, sftest::Styles({g.Data()}, {}), 1, 0,
                                                   TShapeRecords(1, 0).Box(0, 0, 800, 200, 0, 1, -1).End());
  const QImage gi = RenderFrame(Load(sftest::Movie(40, 10, 12, 1, gradient + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame())), 0);
  EXPECT_TRUE(Near(At(gi, 0, 5), kRed, 12));
  EXPECT_TRUE(Near(At(gi, 39, 5), kBlue, 12));
  EXPECT_TRUE(Near(At(gi, 20, 5), 0x7F0080, 12));

  // A 2 x 2 lossless bitmap (red, green / blue, white) filling a box, 4 screen pixels a bitmap
  // pixel, without smoothing: repeating, and clipped (nothing beyond the bitmap).
  TBits lossless;
  lossless.U16(7), lossless.U8(5), lossless.U16(2), lossless.U16(2);
  const std::string pixels("\0\xFF\0\0\0\0\xFF\0\0\0\0\xFF\0\xFF\xFF\xFF", 16);
  lossless.Bytes(sftest::Zlib(pixels));
  const std::string bitmap = sftest::Tag(20, lossless.Data(), true);
  for (int type : {0x42, 0x43}) {
    const std::string tags = Background(kBlack) + bitmap + BitmapBox(1, 7, 16, 8, type, 4) + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame();
    const QImage b = RenderFrame(Load(sftest::Movie(16, 8, 12, 1, tags)), 0);
    EXPECT_EQ(At(b, 1, 1), kRed) << type;
    EXPECT_EQ(At(b, 6, 1), kGreen) << type;
    EXPECT_EQ(At(b, 1, 6), kBlue) << type;
    EXPECT_EQ(At(b, 6, 6), kWhite) << type;
    EXPECT_EQ(At(b, 10, 1), type == 0x42 ? kRed : kBlack) << type;  // the second tile, or nothing
  }

  // JPEG bitmaps: DefineBitsJPEG2 with the erroneous header writers put before the data, and
  // DefineBitsJPEG3 with an alpha plane of one half over a black background.
  TBits jpeg2;
  jpeg2.U16(8);
  jpeg2.Bytes(std::string("\xFF\xD9\xFF\xD8", 4) + Jpeg(qRgb(0, 0, 255), 16, 16));
  const QImage j2 = RenderFrame(Load(sftest::Movie(16, 16, 12, 1,
                                                   sftest::Tag(21, jpeg2.Data(), true) + BitmapBox(1, 8, 16, 16, 0x41, 1) +
                                                       sftest::Place(1, 1, 0, 0) + sftest::ShowFrame())),
                                0);
  EXPECT_TRUE(Near(At(j2, 8, 8), kBlue)) << std::hex << At(j2, 8, 8);
  TBits jpeg3;
  const std::string image = Jpeg(qRgb(255, 255, 255), 16, 16);
  jpeg3.U16(9), jpeg3.U32(uint32_t(image.size()));
  jpeg3.Bytes(image + sftest::Zlib(std::string(256, '\x80')));
  const QImage j3 = RenderFrame(Load(sftest::Movie(16, 16, 12, 1,
                                                   Background(kBlack) + sftest::Tag(35, jpeg3.Data(), true) +
                                                       BitmapBox(1, 9, 16, 16, 0x41, 1) + sftest::Place(1, 1, 0, 0) +
                                                       sftest::ShowFrame())),
                                0);
  EXPECT_TRUE(Near(At(j3, 8, 8), 0x808080, 6)) << std::hex << At(j3, 8, 8);
}

TEST(SwfMovie, MovesColourTransformsSpritesAndActions) {
  // Frame 1 places a red box at the left; frame 2 moves it 20 pixels right.
  const std::string moves = Background(kWhite) + BoxShape(1, 10, 10, kRed) + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame() +
                            sftest::Move(1, 400, 0) + sftest::ShowFrame();
  auto moving = Load(sftest::Movie(40, 10, 12, 2, moves));
  EXPECT_EQ(At(RenderFrame(moving, 0), 5, 5), kRed);
  const QImage moved = RenderFrame(moving, 1);
  EXPECT_EQ(At(moved, 5, 5), kWhite);
  EXPECT_EQ(At(moved, 25, 5), kRed);

  // A colour transform: red times 0, green plus 255.
  TBits place;
  place.U8(0x0E);  // a character, a matrix, a colour transform
  place.U16(1), place.U16(1);
  place.Translate(0, 0);
  const int mult[4] = {0, 256, 256, 256}, add[4] = {0, 255, 0, 0};
  place.ColorTransform(mult, add);
  const QImage cx = RenderFrame(Load(sftest::Movie(10, 10, 12, 1, BoxShape(1, 10, 10, kRed) + sftest::Tag(26, place.Data()) + sftest::ShowFrame())), 0);
  EXPECT_EQ(At(cx, 5, 5), kGreen);

  // A sprite of two frames (red, then blue) plays its own timeline on the movie's.
  TBits sprite;
  sprite.U16(10), sprite.U16(2);
  TBits remove;
  remove.U16(1);
  sprite.Bytes(sftest::Place(1, 1, 0, 0) + sftest::ShowFrame() + sftest::Tag(28, remove.Data()) + sftest::Place(1, 2, 0, 0) +
               sftest::ShowFrame() + sftest::EndTag());
  const std::string sprites = BoxShape(1, 10, 10, kRed) + BoxShape(2, 10, 10, kBlue) + sftest::Tag(39, sprite.Data()) +
                              sftest::Place(1, 10, 0, 0) + sftest::ShowFrame() + sftest::ShowFrame() + sftest::ShowFrame();
  auto withSprite = Load(sftest::Movie(10, 10, 12, 3, sprites));
  EXPECT_EQ(At(RenderFrame(withSprite, 0), 5, 5), kRed);
  EXPECT_EQ(At(RenderFrame(withSprite, 1), 5, 5), kBlue);
  EXPECT_EQ(At(RenderFrame(withSprite, 2), 5, 5), kRed);  // the sprite loops

  // Actions: a stop in the second frame; a goto that passes over a frame; a label.
  auto action = [](std::vector<std::string> records) {
    std::string body;
    for (const std::string& r : records) body += r;
    return sftest::Tag(12, body + std::string(1, '\0'));
  };
  const std::string stop = std::string(1, '\x07');
  auto stopped = Load(sftest::Movie(10, 10, 12, 3, sftest::ShowFrame() + action({stop}) + sftest::ShowFrame() + sftest::ShowFrame()));
  TSwfPlayer p(stopped);
  EXPECT_TRUE(p.Playing());
  p.Advance();
  EXPECT_EQ(p.CurrentFrame(), 1);
  EXPECT_FALSE(p.Playing());
  p.Advance();
  EXPECT_EQ(p.CurrentFrame(), 1);
  p.Play();
  p.Advance();
  p.Advance();
  EXPECT_EQ(p.CurrentFrame(), 0);  // the end loops to the first frame
  const std::string gotoThree("\x81\x02\x00\x03\x00", 5);  // GotoFrame 3 (0-based)
  TBits label;
  label.String("again");
  const std::string gotoLabel = std::string("\x8C", 1) + std::string(1, char(6)) + std::string(1, '\0') + "again" + std::string(1, '\0');
  auto jumps = Load(sftest::Movie(10, 10, 12, 5,
                                  sftest::Tag(43, label.Data()) + sftest::ShowFrame() + action({gotoThree}) + sftest::ShowFrame() +
                                      sftest::ShowFrame() + sftest::ShowFrame() + action({gotoLabel, stop}) + sftest::ShowFrame()));
  TSwfPlayer j(jumps);
  j.Advance();
  EXPECT_EQ(j.CurrentFrame(), 3);  // frame 1's action went on to frame 3
  j.Advance();
  EXPECT_EQ(j.CurrentFrame(), 0);  // frame 4 goes to the label "again" and stops there
  EXPECT_FALSE(j.Playing());
}

TEST(SwfMovie, FrameCountsAndCharactersDefinedAgain) {
  // A count of 0 counts the frames shown; a larger count adds frames that change nothing.
  EXPECT_EQ(Load(sftest::Movie(10, 10, 12, 0, sftest::ShowFrame() + sftest::ShowFrame() + sftest::ShowFrame()))->FrameCount(), 3);
  EXPECT_EQ(Load(sftest::Movie(10, 10, 12, 5, sftest::ShowFrame()))->FrameCount(), 5);
  // An id defined again in a later frame names the new character from there on (as ffmpeg's
  // movies redefine their bitmap every frame).
  const std::string tags = BoxShape(1, 10, 10, kRed) + sftest::Place(1, 1, 0, 0) + sftest::ShowFrame() +
                           BoxShape(1, 10, 10, kBlue) + sftest::Tag(28, std::string("\x01\x00", 2)) +
                           sftest::Place(1, 1, 0, 0) + sftest::ShowFrame();
  auto again = Load(sftest::Movie(10, 10, 12, 2, tags));
  EXPECT_EQ(At(RenderFrame(again, 0), 5, 5), kRed);
  EXPECT_EQ(At(RenderFrame(again, 1), 5, 5), kBlue);
}

TEST(SwfMovie, DamagedAndHostileMoviesNeverCrash) {
  const std::string good = sftest::Movie(20, 20, 12, 2, Background(kWhite) + BoxShape(1, 10, 10, kRed) + sftest::Place(1, 1, 0, 0) +
                                                            sftest::ShowFrame() + sftest::Move(1, 100, 100) + sftest::ShowFrame());
  // Every cut of the file either fails with a reason or plays what it holds.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    try {
      auto movie = Load(good.substr(0, cut));
      RenderFrame(movie, movie->FrameCount() - 1);
    } catch (const ESwfError& e) {
      EXPECT_GT(std::string(e.what()).size(), 0u);
    }
  }
  EXPECT_THROW(Load("not a movie"), ESwfError);
  EXPECT_THROW(Load(sftest::Movie(20000, 10, 12, 1, "")), ESwfError);  // a stage over 16,384 pixels
  // A compressed movie that claims 4 GB from a few bytes is refused.
  std::string claim = sftest::Movie(10, 10, 12, 1, sftest::ShowFrame(), 'C');
  claim[4] = claim[5] = claim[6] = claim[7] = '\xFF';
  EXPECT_THROW(Load(claim), ESwfError);
  // A sprite that places itself, and sprites that place a hundred of each other: bounded.
  TBits self;
  self.U16(5), self.U16(1);
  self.Bytes(sftest::Place(1, 5, 0, 0) + sftest::ShowFrame() + sftest::EndTag());
  auto loop = Load(sftest::Movie(10, 10, 12, 1, sftest::Tag(39, self.Data()) + sftest::Place(1, 5, 0, 0) + sftest::ShowFrame()));
  EXPECT_NO_THROW(RenderFrame(loop, 0));
  std::string nested;
  for (int level = 0; level < 6; ++level) {
    TBits s;
    s.U16(20 + level), s.U16(1);
    std::string places;
    for (int d = 1; d <= 100; ++d) places += sftest::Place(d, level == 0 ? 1 : 19 + level, d * 20, 0);
    s.Bytes(places + sftest::ShowFrame() + sftest::EndTag());
    nested += sftest::Tag(39, s.Data());
  }
  auto wide = Load(sftest::Movie(10, 10, 12, 1, BoxShape(1, 1, 1, kRed) + nested + sftest::Place(1, 25, 0, 0) + sftest::ShowFrame()));
  TSwfPlayer many(wide);
  for (int i = 0; i < 3; ++i) many.Advance();
  SUCCEED();
  // A lossless bitmap of 16,000 x 16,000 pixels from a few bytes is passed over.
  TBits huge;
  huge.U16(7), huge.U8(5), huge.U16(16000), huge.U16(16000);
  huge.Bytes(sftest::Zlib(std::string(1000, '\0')));
  auto bomb = Load(sftest::Movie(16, 8, 12, 1, sftest::Tag(20, huge.Data(), true) + BitmapBox(1, 7, 16, 8, 0x42, 1) +
                                                  sftest::Place(1, 1, 0, 0) + sftest::ShowFrame()));
  EXPECT_EQ(bomb->Character(7), nullptr);
  EXPECT_NO_THROW(RenderFrame(bomb, 0));
}

TEST(SwfControl, MembersScaleAndAlign) {
  const std::string path = sftest::WriteFile(
      "control.swf", sftest::Movie(40, 20, 20, 3, Background(kRed) + sftest::ShowFrame() + sftest::ShowFrame() + sftest::ShowFrame()));
  TShockwaveFlash flash;
  flash.resize(200, 200);
  flash.SetMovie(QString::fromStdString(path));
  ASSERT_TRUE(flash.HasMovie()) << flash.MovieError().toStdString();
  EXPECT_EQ(flash.TotalFrames(), 3);
  EXPECT_TRUE(flash.Playing());
  flash.StopPlay();
  EXPECT_FALSE(flash.Playing());
  flash.GotoFrame(2);
  EXPECT_EQ(flash.CurrentFrame(), 2);
  flash.GotoFrame(7);  // held to the movie
  EXPECT_EQ(flash.CurrentFrame(), 2);
  flash.Play();
  EXPECT_TRUE(flash.Playing());
  // Show all: the 40 x 20 stage at 5 times, centred; the letterbox in the control's colour.
  flash.SetBackgroundColor(0x0000FF);
  QImage shot = flash.Grab();
  EXPECT_EQ(At(shot, 100, 10), kBlue);  // above the stage (rows 50 to 149)
  EXPECT_EQ(At(shot, 100, 100), kBlue);  // the control's colour replaces the movie's
  flash.SetBackgroundColor(-1);
  shot = flash.Grab();
  EXPECT_EQ(At(shot, 100, 100), kRed);
  EXPECT_EQ(At(shot, 100, 10), kRed);  // the movie's colour everywhere
  // The stage mappings: show all, no border, exact fit, no scale; and the align flags.
  const QRectF stage(0, 0, 800, 400);  // 40 x 20 pixels
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 0, 0).mapRect(stage), QRectF(0, 50, 200, 100));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 1, 0).mapRect(stage), QRectF(-100, 0, 400, 200));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 2, 0).mapRect(stage), QRectF(0, 0, 200, 200));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 3, 0).mapRect(stage), QRectF(80, 90, 40, 20));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 3, 1 | 8).mapRect(stage), QRectF(0, 180, 40, 20));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 0, 4).mapRect(stage), QRectF(0, 0, 200, 100));
  EXPECT_EQ(StageTransform(stage, QSize(200, 200), 3, 2 | 4).mapRect(stage), QRectF(160, 0, 40, 20));
  // A movie that cannot be read leaves the control empty with the reason.
  flash.SetMovie(QString::fromStdString(sftest::WriteFile("broken.swf", "FWS\x0a broken")));
  EXPECT_FALSE(flash.HasMovie());
  EXPECT_FALSE(flash.MovieError().isEmpty());
  EXPECT_EQ(flash.TotalFrames(), 0);
}

TEST(SwfMovie, AMovieFfmpegWroteShowsItsFrames) {
  // ffmpeg writes each frame as a JPEG (DefineBitsJPEG2) filling a shape, redefining the bitmap
  // every frame; its own reading of the movie is the reference, within JPEG rounding.
  const std::string dir = sftest::ScratchDir("ffswf");
  const QString swf = QString::fromStdString(dir + "/clip.swf");
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1", "-c:v", "mjpeg",
                     "-q:v", "3", swf});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) GTEST_SKIP() << "ffmpeg cannot write SWF here";
  p.start("ffmpeg", {"-v", "error", "-y", "-i", swf, QString::fromStdString(dir + "/f%02d.png")});
  ASSERT_TRUE(p.waitForFinished(60000));
  auto movie = TSwfMovie::LoadFile(swf);
  ASSERT_EQ(movie->StageSize(), QSize(160, 120));
  ASSERT_EQ(movie->FrameCount(), 10);
  for (int frame : {0, 4, 9}) {
    const QImage ours = RenderFrame(movie, frame);
    const QImage theirs = QImage(QString::fromStdString(dir + "/" + QString("f%1.png").arg(frame + 1, 2, 10, QChar('0')).toStdString()))
                              .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(theirs.size(), ours.size()) << frame;
    int64_t total = 0;
    int worst = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) {
        const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
        const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        total += d;
        worst = std::max(worst, d);
      }
    EXPECT_LT(double(total) / (160 * 120), 3.0) << frame;
    EXPECT_LT(worst, 48) << frame;
  }
}
