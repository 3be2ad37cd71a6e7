// What the studio's views stand on, without a window: thumbnails decoded off the event loop with
// the decoder's message for a damaged file, the slide list's drops, the effect preview, and
// builds that fail or are stopped leaving the old show whole.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include "studio/model/buildtask.h"
#include "studio/model/effectpreview.h"
#include "studio/model/slidelistmodel.h"
#include "studio/model/slidepreview.h"
#include "studio/model/thumbnails.h"
#include "tests/common/testutil.h"
#include "tests/studio/studioutil.h"

using namespace sftest;
using namespace sf;

namespace {

QString Picture(const std::string& name, QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  const QString path = QString::fromStdString(ScratchDir("views")) + "/" + QString::fromStdString(name);
  EXPECT_TRUE(image.save(path));
  return path;
}

const TLeftOut kIgnore = kIgnoreLeftOut;


}  // namespace

TEST(Thumbnails, FitTheBoxAndTellWhyAFileDoesNotDecode) {
  const QString wide = Picture("wide.png", QSize(640, 200), Qt::red);
  const QString small = Picture("small.png", QSize(20, 10), Qt::blue);
  const QString damaged = QString::fromStdString(WriteFile("damaged.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)));
  const QString gone = QString::fromStdString(ScratchDir("views")) + "/gone.jpg";
  TPictureLoader loader(QSize(160, 120), 2);
  std::vector<std::pair<int, int>> progress;
  QObject::connect(&loader, &TPictureLoader::Progress, [&](int d, int a) { progress.push_back({d, a}); });
  for (const QString& p : {wide, small, damaged, gone}) EXPECT_EQ(loader.Get(p), nullptr);
  EXPECT_EQ(loader.Asked(), 4);
  ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
  EXPECT_EQ(progress.back(), std::make_pair(0, 0));
  EXPECT_EQ(loader.Get(wide)->image.size(), QSize(160, 50));
  EXPECT_EQ(loader.Get(wide)->size, QSize(640, 200));
  EXPECT_EQ(QColor(loader.Get(wide)->image.pixel(80, 25)), QColor(Qt::red));
  EXPECT_EQ(loader.Get(small)->image.size(), QSize(20, 10)) << "never enlarged";
  EXPECT_TRUE(loader.Get(damaged)->image.isNull());
  EXPECT_FALSE(loader.Get(damaged)->error.isEmpty());
  EXPECT_TRUE(loader.Get(gone)->error.startsWith("cannot read it")) << loader.Get(gone)->error.toStdString();
  // Asking again decodes nothing again; Clear forgets, and what was asked before it never lands.
  loader.Request(wide);
  EXPECT_TRUE(loader.Idle());
  loader.Request(small);
  loader.Clear();
  EXPECT_TRUE(loader.Idle());
  QCoreApplication::processEvents();
  EXPECT_EQ(loader.Get(small), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
  EXPECT_NE(loader.Get(small), nullptr);
}

TEST(Thumbnails, ALimitedLoaderForgetsTheOldestFirst) {
  TPictureLoader loader(QSize(8, 8), 1);
  loader.SetLimit(2);
  const QString a = Picture("a.png", QSize(4, 4), Qt::red), b = Picture("b.png", QSize(4, 4), Qt::green),
                c = Picture("c.png", QSize(4, 4), Qt::blue);
  for (const QString& p : {a, b, c}) {
    loader.Request(p);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
  }
  EXPECT_EQ(loader.Get(a), nullptr);
  EXPECT_NE(loader.Get(c), nullptr);
  EXPECT_NE(loader.Get(b), nullptr);
}

TEST(SlideList, DropsMoveSlidesAndAddFilesWhereTheyFall) {
  const QString red = Picture("list-red.png", QSize(8, 8), Qt::red);
  const QString lime = Picture("list-lime.png", QSize(8, 8), Qt::green);
  const QString blue = Picture("list-blue.png", QSize(8, 8), Qt::blue);
  TStudioDocument doc;
  doc.NewShow({red, lime}, kIgnore);
  TPictureLoader thumbs(QSize(16, 16), 1);
  TSlideListModel model(doc, thumbs);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), "list-red.png");
  EXPECT_EQ(model.data(model.index(0), TSlideListModel::EffectRole).toString(), "Random of all 161");

  // Dragging slide 0 onto the end.
  std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(0)}));
  ASSERT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, QModelIndex()));
  EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "list-red.png");
  // Files from the desktop between the two slides; a sound among them goes to the music and a
  // text file is told about.
  const QString folder = QFileInfo(blue).absolutePath();
  const QString notes = Put(folder, "notes.txt", "x");
  const QString tune = Put(folder, "tune.wav", ToneWav(30, 500));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(blue), QUrl::fromLocalFile(notes), QUrl::fromLocalFile(tune)});
  QStringList told;
  QObject::connect(&model, &TSlideListModel::LeftOut, [&](const QStringList& m) { told = m; });
  ASSERT_TRUE(model.dropMimeData(&files, Qt::CopyAction, 1, 0, QModelIndex()));
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "list-blue.png");
  EXPECT_EQ(doc.Show().music, QStringList{tune});
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(told.front().startsWith(notes));
  EXPECT_EQ(doc.UndoStack().count(), 2) << "a move and a drop of files";
  // Dropped on an item: before it.
  std::unique_ptr<QMimeData> last(model.mimeData({model.index(2)}));
  ASSERT_TRUE(model.dropMimeData(last.get(), Qt::MoveAction, -1, -1, model.index(0)));
  EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), "list-red.png");
  // Every thumbnail is asked for once the slides are there.
  ASSERT_TRUE(WaitUntil([&] { return thumbs.Idle() && !model.data(model.index(0), Qt::DecorationRole).isNull(); }));
}

TEST(SlideList, EffectSummaries) {
  auto summary = [](std::optional<QString> list, bool random) {
    TFieldSet f;
    if (list) f.Set(pfEffectList, *list);
    f.Set(pfRandomEffect, random);
    return EffectSummary(f).toStdString();
  };
  EXPECT_EQ(summary(std::nullopt, true), "Random of all 161");
  EXPECT_EQ(summary(std::nullopt, false), "All 161 in turn");
  EXPECT_EQ(summary(QString(""), true), "No effect");
  EXPECT_EQ(summary(QString("45;"), true), "Fan wipe");
  EXPECT_EQ(summary(QString("108;"), true), "Scan to center(Vertical)");
  EXPECT_EQ(summary(QString("3;45"), true), "Band from center small") << "the entry after the last ';' is not read";
  EXPECT_EQ(summary(QString("3; 45;9;"), false), "3 effects in turn");
  EXPECT_EQ(EffectListText(EffectIndices(" 7; 0;160;")), "7;0;160;");
}

TEST(EffectPreview, RunsTheEffectFromOnePictureToTheNext) {
  QImage from(400, 200, QImage::Format_RGB32), to(400, 200, QImage::Format_RGB32);
  from.fill(Qt::red);
  to.fill(Qt::blue);
  TEffectPreview preview(QSize(200, 100));
  preview.SetPictures(from, to);
  // No effect: the new picture at once, shrunk to the screen (here it fills it).
  preview.Start(-1, 25, true);
  EXPECT_TRUE(preview.Step());
  EXPECT_EQ(preview.Ticks(), 1);
  EXPECT_EQ(QColor(preview.Screen().pixel(0, 0)), QColor(Qt::blue));
  // A wipe starts from the old picture, shows both on its way and ends on the new one; faster
  // speeds take fewer ticks.
  int ticks[2] = {};
  for (int k = 0; k < 2; ++k) {
    preview.Start(106, k == 0 ? 5 : 50, true);  // "Scan right"
    EXPECT_EQ(QColor(preview.Screen().pixel(199, 50)), QColor(Qt::red));
    bool mixed = false;
    while (!preview.Step()) {
      const QColor left(preview.Screen().pixel(0, 50)), right(preview.Screen().pixel(199, 50));
      mixed |= left != right && (left == QColor(Qt::blue) || right == QColor(Qt::blue));
      ASSERT_LT(preview.Ticks(), 10000);
    }
    EXPECT_TRUE(mixed);
    EXPECT_EQ(QColor(preview.Screen().pixel(199, 99)), QColor(Qt::blue));
    ticks[k] = preview.Ticks();
  }
  EXPECT_GT(ticks[0], 3 * ticks[1]);
  // A picture of another shape stands centred on black.
  QImage tall(10, 100, QImage::Format_RGB32);
  tall.fill(Qt::white);
  preview.SetPictures(tall, tall);
  preview.Start(-1, 25, true);
  preview.Step();
  EXPECT_EQ(QColor(preview.Screen().pixel(100, 50)), QColor(Qt::white));
  EXPECT_EQ(QColor(preview.Screen().pixel(0, 50)), QColor(Qt::black));
}

TEST(BuildTask, AFailedOrStoppedBuildLeavesTheOldShowWhole) {
  const QString out = QString::fromStdString(ScratchDir("build"));
  const QString player = Put(out, "player", "#!/bin/sh\nexit 0\n");
  // A large medium, so that the copy reports progress more than once.
  const QString big = Put(out, "big.jpg", std::string(3 << 20, 'x'));
  TStudioDocument doc;
  doc.NewShow({big}, kIgnore);
  const QString show = out + "/show.scr";
  Put(out, "show.scr", "the old show");

  auto run = [&](const TShowDocument& d, bool stop) {
    TBuildTask task(d, player, show);
    std::optional<TResult> result;
    int progress = 0;
    QObject::connect(&task, &TBuildTask::Progress, [&](qint64, qint64) { ++progress; });
    QObject::connect(&task, &TBuildTask::Finished, [&](const TResult& r) { result = r; });
    // Stopped before it starts: the build ends at its first chunk of media.
    if (stop) task.Cancel();
    task.Start();
    EXPECT_TRUE(WaitUntil([&] { return result.has_value(); }, 20000));
    return std::make_pair(result.value_or(Failure("no end")), progress);
  };
  const auto [stopped, unused1] = run(doc.Show(), true);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(ReadFile(show.toStdString()), "the old show");

  TShowDocument missing = doc.Show();
  missing.slides.front().file = out + "/gone.jpg";
  const auto [failed, unused2] = run(missing, false);
  EXPECT_FALSE(failed.Ok());
  EXPECT_TRUE(failed.error.contains("gone.jpg")) << failed.error.toStdString();
  EXPECT_EQ(ReadFile(show.toStdString()), "the old show");

  const auto [built, told] = run(doc.Show(), false);
  EXPECT_TRUE(built.Ok()) << built.error.toStdString();
  EXPECT_GE(told, 2);
  EXPECT_GT(QFileInfo(show).size(), 3 << 20);
}

// The preview composes a slide as the player does: the background around the fitted picture,
// the caption over it, the show's fit mode; a movie or a picture that does not decode gives none.
TEST(SlidePreview, ComposesTheSlideAsTheShowDoes) {
  const QString folder = QString::fromStdString(ScratchDir("preview"));
  QImage red(40, 30, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(folder + "/red.png"));
  Put(folder, "bad.png", "not a picture");
  TStudioDocument doc;
  doc.NewShow({folder + "/red.png", folder + "/bad.png"}, kIgnoreLeftOut);
  (void)doc.SetSlideFields({0}, {{pfSolidColor, int32_t(0xFF0000)}, {pfBackgroundKinds, QString("0;")},
                                 {pfRandomBackgroundColor, false}},
                           "Blue");
  (void)doc.SetHeaderFields({{hfRandomPosition, false}}, "Centred");
  const QSize screen(320, 240);
  QImage shot = PreviewSlide(doc.Show(), 0, screen, 1);
  ASSERT_EQ(shot.size(), screen);
  EXPECT_EQ(shot.pixelColor(160, 120), QColor(Qt::red)) << "the picture, centred and kept at its size";
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::blue)) << "the background colour, stored as BGR";
  EXPECT_EQ(shot.pixelColor(160 - 21, 120), QColor(Qt::blue)) << "the picture is 40 wide";
  (void)doc.SetHeaderFields({{hfFitMode, int32_t(3)}}, "Stretched");
  shot = PreviewSlide(doc.Show(), 0, screen, 1);
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red)) << "stretched over the screen";
  QString why;
  EXPECT_TRUE(PreviewSlide(doc.Show(), 1, screen, 1, &why).isNull());
  EXPECT_EQ(why, "the picture does not decode");
  EXPECT_TRUE(PreviewSlide(doc.Show(), 2, screen, 1, &why).isNull());
  (void)doc.SetSlideFields({0}, {{pfSlideKind, int32_t(1)}}, "Movie");
  EXPECT_TRUE(PreviewSlide(doc.Show(), 0, screen, 1, &why).isNull());
  EXPECT_EQ(why, "a flash movie: Play shows it");
}
