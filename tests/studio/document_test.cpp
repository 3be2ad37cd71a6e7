// The studio's document without a window: every edit undoes and redoes to the same manifest
// bytes, the slide operations at their edges, the background picture pool, refused values, and
// manifests and show files that go through the studio and pack to the same show.
#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include "authoring/manifest.h"
#include "authoring/pack.h"
#include "player/slidemath.h"
#include "studio/model/studiodocument.h"
#include "tests/common/testutil.h"
#include "tests/studio/studioutil.h"

using namespace sftest;
using namespace sf;

namespace {

// A folder of small pictures our decoders read, named by colour.
QString Pictures(const std::string& name, const QStringList& colours) {
  const QString folder = QString::fromStdString(ScratchDir(name));
  for (const QString& c : colours) {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(QColor(c));
    EXPECT_TRUE(image.save(folder + "/" + c + ".png"));
  }
  return folder;
}

const TLeftOut kIgnore = kIgnoreLeftOut;


QByteArray Bytes(const TStudioDocument& doc) { return ManifestText(doc.Show(), "/shows"); }

QStringList Files(const TStudioDocument& doc) {
  QStringList names;
  for (int s = 0; s < doc.SlideCount(); ++s) names << QFileInfo(doc.Slide(s).file).completeBaseName();
  return names;
}

// A document of the pictures, saved, with an empty undo stack.
struct Fixture {
  QString folder;
  TStudioDocument doc;
  explicit Fixture(const std::string& name, const QStringList& colours = {"red", "lime", "blue", "yellow", "aqua"}) {
    folder = Pictures(name, colours);
    doc.NewShow({folder}, kIgnore);
  }
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(StudioDocument, EveryEditUndoesAndRedoesToTheSameManifestBytes) {
  Fixture f("undo");
  const QString extra = Pictures("undo-extra", {"white", "black"});
  const QString back = Pictures("undo-back", {"gray", "navy"});
  const std::string tone = Put(back, "tone.wav", ToneWav(50, 440)).toStdString();
  const QByteArray start = Bytes(f.doc);
  // Each edit, from the state the ones before it left.
  const std::vector<std::pair<const char*, std::function<void()>>> edits = {
      {"add files", [&] { f.doc.AddFiles(2, {extra}, kIgnore); }},
      {"add a sound", [&] { f.doc.AddFiles(0, {QString::fromStdString(tone)}, kIgnore); }},
      {"caption", [&] { (void)f.doc.SetSlideFields({0, 3}, {{pfCaption, QString("Hello")}, {pfShowCaption, true}}, "Caption"); }},
      {"take a field away", [&] { (void)f.doc.SetSlideFields({0}, {{pfShowCaption, std::nullopt}}, "Caption"); }},
      {"font", [&] { (void)f.doc.SetSlideFields({1}, {{FontPartTag(pfCaptionFont, TFieldKind::FontStyle), QString("13")}}, "Font"); }},
      {"move", [&] { f.doc.MoveSlides({0, 4}, 6); }},
      {"duplicate", [&] { f.doc.DuplicateSlides({1, 2}); }},
      {"background picture", [&] { f.doc.SetBackgroundPicture({0, 1}, back + "/gray.png", 2, 5); }},
      {"another background picture", [&] { f.doc.SetBackgroundPicture({0}, back + "/navy.png", 0, std::nullopt); }},
      {"remove", [&] { f.doc.RemoveSlides({0, 2, 3}); }},
      {"header", [&] { (void)f.doc.SetHeaderFields({{hfDisplaySeconds, int32_t(9)}, {hfAuthorName, QString("Ann")}}, "Header"); }},
      {"music", [&] { f.doc.SetMusic({QString::fromStdString(tone), QString::fromStdString(tone)}, "Music"); }},
      {"dialog picture", [&] { f.doc.SetDialogPicture(extra + "/white.png"); }},
  };
  std::vector<QByteArray> states = {start};
  for (const auto& [what, edit] : edits) {
    const QByteArray before = Bytes(f.doc);
    const int steps = f.doc.UndoStack().count();
    edit();
    const QByteArray after = Bytes(f.doc);
    EXPECT_NE(after, before) << what << " changed nothing";
    EXPECT_EQ(f.doc.UndoStack().count(), steps + 1) << what << " is not one step";
    f.doc.UndoStack().undo();
    EXPECT_EQ(Bytes(f.doc), before) << "undo of " << what;
    f.doc.UndoStack().redo();
    EXPECT_EQ(Bytes(f.doc), after) << "redo of " << what;
    states.push_back(after);
  }
  // All the way back, and forward again, passing every state.
  for (size_t i = states.size() - 1; i > 0; --i) {
    f.doc.UndoStack().undo();
    EXPECT_EQ(Bytes(f.doc), states[i - 1]) << "undoing back to state " << i - 1;
  }
  EXPECT_FALSE(f.doc.Modified());
  for (size_t i = 1; i < states.size(); ++i) {
    f.doc.UndoStack().redo();
    EXPECT_EQ(Bytes(f.doc), states[i]) << "redoing to state " << i;
  }
}

TEST(StudioDocument, MovesAtTheEdgesAndAroundBackgroundPictures) {
  Fixture f("move");
  EXPECT_EQ(Files(f.doc), (QStringList{"aqua", "blue", "lime", "red", "yellow"}));  // natural order
  // Moves that change nothing put nothing on the stack.
  f.doc.MoveSlides({0}, 0);
  f.doc.MoveSlides({0}, 1);
  f.doc.MoveSlides({4}, 5);
  f.doc.MoveSlides({4}, 99);
  f.doc.MoveSlides({3, 4}, 3);
  EXPECT_EQ(f.doc.UndoStack().count(), 0);
  // Before an item that moves too: before the next one that stays.
  EXPECT_EQ(f.doc.MoveSlides({1, 3}, 1), (QList<int>{1, 2}));
  EXPECT_EQ(Files(f.doc), (QStringList{"aqua", "blue", "red", "lime", "yellow"}));
  EXPECT_EQ(f.doc.MoveSlides({0, 2, 4}, 5), (QList<int>{2, 3, 4}));
  EXPECT_EQ(Files(f.doc), (QStringList{"blue", "lime", "aqua", "red", "yellow"}));
  EXPECT_EQ(f.doc.MoveSlides({4}, 0), (QList<int>{0}));
  EXPECT_EQ(Files(f.doc), (QStringList{"yellow", "blue", "lime", "aqua", "red"}));
  // Slide numbers out of range and repeated are passed over.
  EXPECT_EQ(f.doc.MoveSlides({-1, 7, 1, 1}, 0), (QList<int>{0}));
  EXPECT_EQ(Files(f.doc), (QStringList{"blue", "yellow", "lime", "aqua", "red"}));

  // A background picture is a record among the slides that the list does not show: moving and
  // adding slides at the end keeps them before it, and the slide numbers skip it.
  const QString back = Pictures("move-back", {"gray"});
  f.doc.SetBackgroundPicture({0}, back + "/gray.png", 1, std::nullopt);
  ASSERT_EQ(f.doc.Show().slides.size(), 6u);
  EXPECT_EQ(f.doc.BackgroundRecords(), std::vector<int>{5});
  f.doc.MoveSlides({0}, 5);
  EXPECT_EQ(Files(f.doc), (QStringList{"yellow", "lime", "aqua", "red", "blue"}));
  EXPECT_EQ(f.doc.BackgroundRecords(), std::vector<int>{5});
  f.doc.AddFiles(99, {f.folder + "/red.png"}, kIgnore);
  EXPECT_EQ(f.doc.SlideCount(), 6);
  EXPECT_EQ(f.doc.BackgroundRecords(), std::vector<int>{6});
}

// Playing from a slide: the slides before it follow the last, each keeping its background
// picture; the show the author edits stays as it was.
TEST(StudioDocument, TheShowFromASlideOnLeavesTheShowAsItWas) {
  Fixture f("from");
  const QString back = Pictures("from-back", {"gray"});
  f.doc.SetBackgroundPicture({1}, back + "/gray.png", 2, 4);
  f.doc.UndoStack().setClean();
  const QByteArray before = Bytes(f.doc);
  for (int first : {-1, 0, 5}) EXPECT_EQ(ManifestText(f.doc.ShowFromSlide(first), "/shows"), before) << first;
  TStudioDocument from;
  from.Reset(f.doc.ShowFromSlide(3), {});
  EXPECT_EQ(Files(from), (QStringList{"red", "yellow", "aqua", "blue", "lime"}));
  ASSERT_EQ(from.BackgroundRecords().size(), 1u);
  EXPECT_EQ(from.Show().slides[size_t(from.BackgroundRecords()[0])].file, back + "/gray.png");
  EXPECT_TRUE(ListsBackground(from.Slide(3).fields.Text(pfBackgroundPictureList), 0)) << "blue keeps its background";
  EXPECT_EQ(Bytes(f.doc), before);
  EXPECT_FALSE(f.doc.Modified());
}

TEST(StudioDocument, ARecordsOwnDataIndexGoesWhenTheRecordsMove) {
  // A manifest may give each record's data index; after a move the index would name another
  // slide's data, so every structural edit takes them away and packing numbers them anew.
  const QString folder = Pictures("resource", {"red", "lime", "blue"});
  QFile m(folder + "/manifest.json");
  ASSERT_TRUE(m.open(QIODevice::WriteOnly));
  m.write(R"({"slides": [{"file": "red.png", "ResourceIndex": 0}, {"file": "lime.png", "ResourceIndex": 1},
                        {"file": "blue.png", "ResourceIndex": 2}]})");
  m.close();
  TStudioDocument doc;
  ASSERT_TRUE(doc.OpenManifest(folder + "/manifest.json").Ok());
  (void)doc.SetSlideFields({0}, {{pfCaption, QString("x")}}, "Caption");
  EXPECT_TRUE(doc.Slide(1).fields.Has(pfResourceIndex)) << "a field edit keeps them";
  doc.MoveSlides({2}, 0);
  for (int s = 0; s < 3; ++s) EXPECT_FALSE(doc.Slide(s).fields.Has(pfResourceIndex)) << s;
  doc.UndoStack().undo();
  EXPECT_EQ(doc.Slide(2).fields.Int(pfResourceIndex, -1), 2);
}

TEST(StudioDocument, TypingIsOneStepAndRefusedValuesChangeNothing) {
  Fixture f("typing");
  const QByteArray start = Bytes(f.doc);
  for (const char* text : {"H", "He", "Hel", "Hello"})
    EXPECT_TRUE(f.doc.SetSlideFields({1}, {{pfCaption, QString(text)}}, "Caption", 7).isEmpty());
  EXPECT_EQ(f.doc.UndoStack().count(), 1);
  EXPECT_EQ(f.doc.Slide(1).fields.Text(pfCaption), "Hello");
  // Typing on other slides is a step of its own.
  (void)f.doc.SetSlideFields({2}, {{pfCaption, QString("W")}}, "Caption", 7);
  EXPECT_EQ(f.doc.UndoStack().count(), 2);
  f.doc.UndoStack().undo();
  f.doc.UndoStack().undo();
  EXPECT_EQ(Bytes(f.doc), start);

  // A euro sign is the byte that ends a field; a caption holds 100 characters; a colour is a number.
  const QString euro = f.doc.SetSlideFields({0}, {{pfCaption, QString("5 €")}}, "Caption");
  EXPECT_TRUE(euro.startsWith("Caption: ")) << euro.toStdString();
  EXPECT_TRUE(euro.contains("euro")) << euro.toStdString();
  EXPECT_FALSE(f.doc.SetSlideFields({0}, {{pfCaption, QString(101, 'x')}}, "Caption").isEmpty());
  EXPECT_TRUE(f.doc.SetSlideFields({0}, {{pfCaption, QString(100, 'x')}}, "Caption").isEmpty());
  f.doc.UndoStack().undo();
  const QString colour =
      f.doc.SetSlideFields({0}, {{FontPartTag(pfCaptionFont, TFieldKind::FontColor), QString("red")}}, "Colour");
  EXPECT_EQ(colour.toStdString(), "CaptionFont.Color: must be a whole number from -2147483648 to 2147483647");
  EXPECT_EQ(f.doc.SetHeaderFields({{hfProjectName, QString("Ω")}}, "Name").toStdString(),
            "ProjectName: has a character that Windows-1252 cannot hold");
  EXPECT_EQ(Bytes(f.doc), start);
  EXPECT_FALSE(f.doc.Modified());
}

TEST(StudioDocument, BackgroundPicturesJoinAndLeaveThePool) {
  Fixture f("pool");
  const QString back = Pictures("pool-back", {"gray", "navy", "olive"});
  f.doc.SetBackgroundPicture({0, 1}, back + "/gray.png", 2, 4);
  f.doc.SetBackgroundPicture({2}, back + "/navy.png", 1, std::nullopt);
  f.doc.SetBackgroundPicture({3}, back + "/gray.png", 0, std::nullopt);  // the one already there
  ASSERT_EQ(f.doc.BackgroundRecords().size(), 2u);
  EXPECT_EQ(f.doc.Slide(3).fields.Text(pfBackgroundPictureList), " 0;");
  EXPECT_EQ(f.doc.Slide(2).fields.Text(pfBackgroundPictureList), " 1;");
  EXPECT_EQ(f.doc.Slide(0).fields.Int(pfTileCount, 0), 4);
  EXPECT_FALSE(f.doc.Slide(0).fields.Bool(pfRandomTileCount, true));
  // Gray leaves the pool once no slide names it: navy becomes picture 0 and slide 2 says so.
  f.doc.SetBackgroundPicture({0, 1, 3}, back + "/olive.png", 0, std::nullopt);
  ASSERT_EQ(f.doc.BackgroundRecords().size(), 2u);
  EXPECT_EQ(f.doc.Show().slides[size_t(f.doc.BackgroundRecords()[0])].file, back + "/navy.png");
  EXPECT_EQ(f.doc.Slide(2).fields.Text(pfBackgroundPictureList), " 0;");
  EXPECT_EQ(f.doc.Slide(0).fields.Text(pfBackgroundPictureList), " 1;");
  // Deleting the only slide that names navy takes it away too, in the same step.
  const int steps = f.doc.UndoStack().count();
  f.doc.RemoveSlides({2});
  EXPECT_EQ(f.doc.UndoStack().count(), steps + 1);
  ASSERT_EQ(f.doc.BackgroundRecords().size(), 1u);
  EXPECT_EQ(f.doc.Slide(0).fields.Text(pfBackgroundPictureList), " 0;");
  f.doc.UndoStack().undo();
  EXPECT_EQ(f.doc.Slide(2).fields.Text(pfBackgroundPictureList), " 0;");
  EXPECT_EQ(f.doc.BackgroundRecords().size(), 2u);
}

TEST(StudioDocument, NewShowSortsFilesAndTellsWhatItLeavesOut) {
  const QString folder = Pictures("sorting", {"red"});
  QImage(8, 8, QImage::Format_RGB32).save(folder + "/img10.png");
  QImage(8, 8, QImage::Format_RGB32).save(folder + "/img2.png");
  Put(folder, "notes.txt", "words");
  Put(folder, "tune.mp3", "not really a tune");
  Put(folder, "clip.mp4", "not really a clip");
  // A show built into the folder of its pictures is no picture of the next show.
  TStudioDocument built;
  built.NewShow({folder + "/red.png"}, kIgnore);
  const QString player = QString::fromStdString(WriteFile("sorting-player", "#!/bin/sh\nexit 0\n"));
  ASSERT_TRUE(Pack(built.Show(), player, folder + "/sorting.scr").Ok());
  Put(folder, "damaged.scr", "not a show");
  QStringList left;
  TStudioDocument doc;
  doc.NewShow({folder, folder + "/missing.png"}, [&](const QString& p, const QString& why) { left << QFileInfo(p).fileName() + ": " + why; });
  EXPECT_EQ(Files(doc), (QStringList{"clip", "damaged", "img2", "img10", "red"}));
  EXPECT_EQ(doc.Slide(0).fields.Int(pfSlideKind, 0), 2);
  EXPECT_EQ(doc.Show().music.size(), 1);
  EXPECT_EQ(left, (QStringList{"missing.png: no such file or folder",
                               "notes.txt: not a picture, flash movie, video clip or sound by its name",
                               "sorting.scr: a show: it carries a project of its own (File > Open edits it)"}));
  EXPECT_EQ(doc.Show().header.Text(hfProjectName), QDir(folder).dirName() + ".scr");
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(doc.Path().isEmpty());
  EXPECT_FALSE(doc.Save().Ok()) << "a show without a manifest is saved as a file first";
}

TEST(StudioDocument, AManifestThatDoesNotReadOpensNothing) {
  Fixture f("badmanifest");
  const QByteArray before = Bytes(f.doc);
  const std::string bad = WriteFile("badmanifest.json", "{\"slides\": [\n  {\"file\": \"a.png\",}\n]}");
  const TResult r = f.doc.OpenManifest(QString::fromStdString(bad));
  ASSERT_FALSE(r.Ok());
  EXPECT_TRUE(r.error.contains("line 2, column")) << r.error.toStdString();
  const std::string unknown = WriteFile("unknown.json", R"({"slides": [{"file": "a.png", "Captoin": "x"}]})");
  EXPECT_TRUE(f.doc.OpenManifest(QString::fromStdString(unknown)).error.contains("slides[0].Captoin"));
  EXPECT_EQ(Bytes(f.doc), before);
}

TEST(StudioDocument, AManifestSavedByTheStudioPacksTheSameShow) {
  // Every kind of field, fonts, texts, music, a dialog picture and a background picture between
  // the slides.
  const QString folder = Pictures("roundtrip", {"red", "lime", "gray", "white"});
  Put(folder, "tune.wav", ToneWav(40, 330));
  QFile m(folder + "/manifest.json");
  ASSERT_TRUE(m.open(QIODevice::WriteOnly));
  m.write(R"({"header": {"ProjectName": "Round.scr", "DisplaySeconds": 3, "Texts": {"49": "Settings", "50": "Stop"},
                         "RandomOrder": false, "Description": "two\r\nlines", "FitMode": 2},
             "music": ["tune.wav"], "dialogPicture": "white.png",
             "slides": [{"file": "red.png", "Caption": "Red", "CaptionFont": {"Name": "DejaVu Sans", "Height": -30, "Bold": true},
                         "BackgroundKinds": "1;", "BackgroundPictureSources": "2;", "BackgroundPictureList": " 0;"},
                        {"file": "gray.png", "IsBackgroundPicture": true},
                        {"file": "lime.png", "EffectList": "3;45;", "RandomEffect": false, "EffectSpeed": 40,
                         "Text": "a\r\nb", "TextPosition": 9, "TextX": 12, "TextY": -4}]})");
  m.close();
  const QString player = Put(folder, "player", "#!/bin/sh\nexit 0\n");
  const QString a = QString::fromStdString(ScratchDir("roundtrip-out")) + "/a.scr";
  TShowDocument read;
  ASSERT_TRUE(ReadManifest(folder + "/manifest.json", read).Ok());
  ASSERT_TRUE(Pack(read, player, a).Ok());

  TStudioDocument doc;
  ASSERT_TRUE(doc.OpenManifest(folder + "/manifest.json").Ok());
  EXPECT_EQ(doc.SlideCount(), 2);
  const QString elsewhere = QString::fromStdString(ScratchDir("roundtrip-saved")) + "/sub/show.json";
  QDir().mkpath(QFileInfo(elsewhere).absolutePath());
  ASSERT_TRUE(doc.SaveAs(elsewhere).Ok());
  EXPECT_EQ(doc.Path(), elsewhere);
  EXPECT_TRUE(QString::fromUtf8(ReadAll(elsewhere)).contains("\"../../" + QDir(folder).dirName() + "/red.png\""))
      << "paths are relative to the manifest";
  TShowDocument saved;
  ASSERT_TRUE(ReadManifest(elsewhere, saved).Ok());
  const QString b = QString::fromStdString(ScratchDir("roundtrip-out")) + "/b.scr";
  ASSERT_TRUE(Pack(saved, player, b).Ok());
  EXPECT_EQ(ReadAll(a), ReadAll(b));
  EXPECT_FALSE(ReadAll(a).isEmpty());
}

TEST(StudioDocument, AShowFileOpenedAndSavedPacksTheSameShow) {
  const QString folder = Pictures("scr", {"red", "lime", "navy"});
  TStudioDocument made;
  made.NewShow({folder}, kIgnore);
  (void)made.SetSlideFields({1}, {{pfCaption, QString("Lime")}, {pfShowCaption, true}}, "Caption");
  made.SetBackgroundPicture({0}, folder + "/navy.png", 2, 3);
  const QString player = QString::fromStdString(WriteFile("scr-player", "#!/bin/sh\nexit 0\n"));
  ASSERT_TRUE(QFileInfo(player).isFile());
  const QString out = QString::fromStdString(ScratchDir("scr-out"));
  ASSERT_TRUE(Pack(made.Show(), player, out + "/first.scr").Ok());

  TStudioDocument doc;
  const QString media = QString::fromStdString(ScratchDir("scr-media"));
  ASSERT_TRUE(doc.OpenShowFile(out + "/first.scr", media).Ok());
  EXPECT_EQ(doc.Path(), media + "/manifest.json");
  EXPECT_EQ(doc.SlideCount(), 3);
  EXPECT_EQ(doc.Slide(1).fields.Text(pfCaption), "Lime");
  ASSERT_TRUE(doc.Save().Ok());
  TShowDocument saved;
  ASSERT_TRUE(ReadManifest(doc.Path(), saved).Ok());
  ASSERT_TRUE(Pack(saved, player, out + "/second.scr").Ok());
  EXPECT_EQ(ReadAll(out + "/first.scr"), ReadAll(out + "/second.scr"));

  // A file that carries no project opens nothing.
  EXPECT_FALSE(doc.OpenShowFile(player, QString::fromStdString(ScratchDir("scr-none"))).Ok());
  EXPECT_EQ(doc.SlideCount(), 3);
}
