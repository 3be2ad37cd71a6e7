// A show from files: what reads and what is left out, natural order, the options, the names a
// project cannot hold.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "authoring/newshow.h"
#include "tests/common/inforun.h"
#include "tests/common/testutil.h"
#include "tests/swf/swfwriter.h"
#include "tools/pack.h"

using namespace sftest;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

struct NewRun {
  int code;
  std::string out, err;
};

NewRun New(QStringList args) {
  std::ostringstream out, err;
  const int code = sf::CmdNew(args << "--player" << SHOWFORGE_BIN, out, err);
  return {code, out.str(), err.str()};
}

bool Convert(const std::string& canvas, const std::string& path) {
  QProcess p;
  p.start("convert", {"-size", "40x30", Q(canvas), Q(path)});
  return p.waitForFinished(30000) && p.exitCode() == 0;
}

QStringList Lines(const std::string& text) { return Q(text).split('\n', Qt::SkipEmptyParts); }

}  // namespace

TEST(NewShow, AFolderOfMixedFormatsGivesTheFilesThatReadInNaturalOrder) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string clip = FfmpegMade("c.mp4", {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-t", "1",
                                                "-pix_fmt", "yuv420p"});
  if (clip.empty()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string dir = ScratchDir("new-mixed");
  const std::string in = dir + "/pictures";
  QDir().mkpath(Q(in));
  ASSERT_TRUE(Convert("xc:red", in + "/photo_1.png"));
  ASSERT_TRUE(Convert("xc:lime", in + "/img2.jpg"));
  ASSERT_TRUE(Convert("xc:blue", in + "/img10.gif"));
  ASSERT_TRUE(Convert("xc:yellow", in + "/scan3.tif"));
  ASSERT_TRUE(Convert("xc:cyan", in + "/layers4.psd"));
  Write(in + "/clip5.mp4", clip);
  Write(in + "/movie6.swf", Movie(80, 60, 10, 45, Background(0xFF0000) + ShowFrame()));
  Write(in + "/notes.txt", "a text, not a picture\n");
  Write(in + "/broken.png", ReadFile(in + "/photo_1.png").substr(0, 60));
  Write(in + "/.hidden.png", ReadFile(in + "/photo_1.png"));

  const std::string show = dir + "/Trip.scr";
  const NewRun r = New({Q(in), "-o", Q(show), "--seconds", "3", "--effects", "3, band up SMALL", "--speed", "40",
                     "--caption-from-name", "--name", "Trip"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "made " + show + " (" + std::to_string(ReadFile(show).size()) + " bytes): 7 slides\n");
  const QStringList err = Lines(r.err);
  ASSERT_EQ(err.size(), 2) << r.err;
  EXPECT_TRUE(err[0].startsWith(Q("showforge-tool: left out " + in + "/broken.png: "))) << r.err;
  EXPECT_TRUE(err[1].startsWith(Q("showforge-tool: left out " + in + "/notes.txt: not a picture, clip or movie")))
      << r.err;

  const InfoRun info = RunInfo(show);
  ASSERT_EQ(info.code, 0) << info.err;
  const QJsonObject h = info.json["header"].toObject();
  EXPECT_EQ(h["ProjectName"].toString(), "Trip");
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 3);
  EXPECT_FALSE(h["RandomOrder"].toBool());
  EXPECT_EQ(h["FitMode"].toInt(), 1);
  QStringList names, captions;
  for (const QJsonValue& v : info.json["slides"].toArray()) {
    const QJsonObject s = v.toObject();
    names << s["FileName"].toString();
    captions << s["Caption"].toString();
    EXPECT_EQ(s["EffectList"].toString(), "3;19;");
    EXPECT_FALSE(s["RandomEffect"].toBool());
    EXPECT_EQ(s["EffectSpeed"].toInt(), 40);
    EXPECT_FALSE(s["ShowText"].toBool());
    EXPECT_TRUE(s["ShowCaption"].toBool());
  }
  EXPECT_EQ(names, (QStringList{"clip5.mp4", "img2.jpg", "img10.gif", "layers4.psd", "movie6.swf", "photo_1.png",
                                "scan3.tif"}));
  EXPECT_EQ(captions, (QStringList{"clip5", "img2", "img10", "layers4", "movie6", "photo 1", "scan3"}));
  const QJsonArray slides = info.json["slides"].toArray();
  EXPECT_EQ(slides[0].toObject()["SlideKind"].toInt(), 2);
  EXPECT_EQ(slides[0].toObject()["Media"].toObject()["Width"].toInt(), 64);
  EXPECT_FALSE(slides[0].toObject()["MusicDuringSlide"].toBool());
  const QJsonObject movie = slides[4].toObject();
  EXPECT_EQ(movie["SlideKind"].toInt(), 1);
  EXPECT_EQ(movie["Media"].toObject()["Frames"].toInt(), 45);
  // It plays once through (4.5 s), not for ever: end mode 1 after 5 seconds.
  EXPECT_EQ(movie["FlashEndMode"].toInt(), 1);
  EXPECT_EQ(movie["FlashEndSeconds"].toInt(), 5);
  EXPECT_EQ(slides[1].toObject()["FormatCode"].toInt(), 2);
  EXPECT_EQ(slides[6].toObject()["FormatCode"].toInt(), 5);
}

TEST(NewShow, NoReadableFileWritesNothingAndFails) {
  const std::string dir = ScratchDir("new-none");
  QDir().mkpath(Q(dir + "/in"));
  Write(dir + "/in/notes.txt", "words");
  Write(dir + "/in/broken.png", "\x89PNG\r\n\x1a\n");
  Write(dir + "/old.scr", "older show");
  NewRun r = New({Q(dir + "/in"), Q(dir + "/missing.jpg"), "-o", Q(dir + "/old.scr")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  const QStringList err = Lines(r.err);
  ASSERT_EQ(err.size(), 4) << r.err;
  EXPECT_TRUE(err[0].contains("left out " + Q(dir) + "/in/broken.png"));
  EXPECT_TRUE(err[1].contains("left out " + Q(dir) + "/in/notes.txt"));
  EXPECT_EQ(err[2], "showforge-tool: left out " + Q(dir) + "/missing.jpg: no such file or folder");
  EXPECT_EQ(err[3], "showforge-tool: none of the files given is a picture, clip or movie that the show can play");
  EXPECT_EQ(ReadFile(dir + "/old.scr"), "older show");
  EXPECT_EQ(QDir(Q(dir)).entryList(QDir::Files | QDir::Hidden), QStringList{"old.scr"});
  // An empty folder is no show either.
  QDir().mkpath(Q(dir + "/empty"));
  r = New({Q(dir + "/empty"), "-o", Q(dir + "/new.scr")});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(QFile::exists(Q(dir + "/new.scr")));
}

TEST(NewShow, CommandLinesItCannotTakeAreRefusedBeforeAnythingIsRead) {
  struct Case {
    QStringList args;
    const char* message;
  } cases[] = {
      {{"x.png", "-o", "s.scr", "--seconds", "0"}, "--seconds takes a whole number from 1 to 86400"},
      {{"x.png", "-o", "s.scr", "--seconds", "86401"}, "--seconds takes a whole number from 1 to 86400"},
      {{"x.png", "-o", "s.scr", "--speed", "51"}, "--speed takes a whole number from 1 to 50"},
      {{"x.png", "-o", "s.scr", "--effects", "12,Nope"}, "no effect is numbered or named \"Nope\""},
      {{"x.png", "-o", "s.scr", "--effects", "161"}, "no effect is numbered or named \"161\""},
      {{"x.png", "-o", "s.scr", "--effects", ""}, "no effect is numbered or named \"\""},
      {{"x.png", "-o", "s.scr", "--colour", "red"}, "unknown option --colour"},
      {{"x.png", "-o", "s.scr", "--name", " "}, "--name takes a name"},
      {{"x.png", "-o", "s.scr", "--music"}, "a value must follow --music"},
      {{"x.png"}, "new takes pictures or folders and -o SHOW.scr"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(sf::CmdNew(c.args, out, err), 2) << c.message;
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("usage: showforge-tool new"), std::string::npos);
  }
  EXPECT_FALSE(QFile::exists("s.scr"));
}

TEST(NewShow, NamesAProjectCannotHoldAreMadeStorableAndMusicComesInOrder) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = ScratchDir("new-names");
  const std::string odd = dir + "/caf\xC3\xA9 5\xE2\x82\xAC_\xE6\x97\xA5\xE6\x9C\xAC.png";  // "café 5€_日本.png"
  ASSERT_TRUE(Convert("xc:red", odd));
  QDir().mkpath(Q(dir + "/music"));
  Write(dir + "/music/track10.wav", ToneWav(300, 440));
  Write(dir + "/music/track9.wav", ToneWav(300, 660));
  Write(dir + "/music/cover.txt", "no sound here");
  Write(dir + "/music/\xE6\x97\xA5.wav", ToneWav(200, 550));
  const std::string show = dir + "/show.scr";
  const NewRun r = New({Q(odd), "-o", Q(show), "--caption-from-name", "--music", Q(dir + "/music")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("1 slide, 3 music files"), std::string::npos) << r.out;
  ASSERT_EQ(Lines(r.err).size(), 1) << r.err;
  EXPECT_NE(r.err.find("cover.txt"), std::string::npos);
  const InfoRun info = RunInfo(show);
  ASSERT_EQ(info.code, 0) << info.err;
  const QJsonObject slide = info.json["slides"].toArray()[0].toObject();
  EXPECT_EQ(slide["FileName"].toString(), QString::fromUtf8("caf\u00e9 5____.png"));
  EXPECT_EQ(slide["Caption"].toString(), QString::fromUtf8("caf\u00e9 5"));
  const QJsonObject h = info.json["header"].toObject();
  EXPECT_EQ(h["MusicFiles"].toArray(), (QJsonArray{"track9.wav", "track10.wav", "_.wav"}));
  EXPECT_TRUE(h["LoopMusic"].toBool());
  EXPECT_FALSE(h["RandomMusic"].toBool());
  // The show's own name comes from its file, made storable too.
  EXPECT_EQ(h["ProjectName"].toString(), "show.scr");
}

TEST(NewShow, AShowMadeAgainIntoItsPicturesFolderIsNoSlideOfItself) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string dir = ScratchDir("new-again");
  QDir().mkpath(Q(dir + "/pics"));
  ASSERT_TRUE(Convert("xc:red", dir + "/pics/a.png"));
  ASSERT_TRUE(Convert("xc:blue", dir + "/pics/b.png"));
  const std::string show = dir + "/pics/show.scr";
  NewRun r = New({Q(dir + "/pics"), "-o", Q(show)});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // Again, now that the show lies among its pictures: it is passed over without a word, and the
  // same two slides are made (".scr" is also a picture's extension, so it was once read as one).
  r = New({Q(dir + "/pics"), "-o", Q(show)});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("2 slides"), std::string::npos) << r.out;
  // Another show among the pictures is told as a show, not as a damaged picture.
  ASSERT_TRUE(QFile::copy(Q(show), Q(dir + "/pics/older.scr")));
  r = New({Q(dir + "/pics"), "-o", Q(show)});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "showforge-tool: left out " + dir + "/pics/older.scr: a show: it carries a project of its own\n");
  EXPECT_NE(r.out.find("2 slides"), std::string::npos) << r.out;
}

TEST(NewShow, NaturalOrderIsTotalAndCountsDigitsAsNumbers) {
  const QStringList sorted = {"", "1", "01", "9", "10", "a", "A1", "a1", "a01", "a2b", "a10", "a10a",
                              "img2.png", "img10.png", "img0010.png", "img99999999999999999999.png",
                              "img100000000000000000000.png", "img_1.png", "Zeta", "zeta2"};
  for (qsizetype i = 0; i < sorted.size(); ++i)
    for (qsizetype j = 0; j < sorted.size(); ++j)
      EXPECT_EQ(sf::NaturalLess(sorted[i], sorted[j]), i < j) << sorted[i].toStdString() << " / " << sorted[j].toStdString();
}

TEST(NewShow, FoldersAreWalkedInOrderPassingOverHiddenFilesPalettesAndLinkLoops) {
  const std::string dir = ScratchDir("new-collect");
  for (const char* f : {"b10.jpg", "b9.jpg", ":colon.jpg", ".hidden.jpg", "pic.cut", "pic.PAL", "lone.pal", "sub2/x.jpg",
                        "sub10/y.jpg", "sub2/deeper/z.jpg", ".git/config"}) {
    QDir().mkpath(QFileInfo(Q(dir + "/" + f)).path());
    Write(dir + "/" + f, "x");
  }
  ASSERT_TRUE(QFile::link(Q(dir), Q(dir + "/sub2/loop")));
  QStringList left;
  auto leftOut = [&](const QString& path, const QString& why) { left << path + ": " + why; };
  auto rel = [&](QStringList files) {
    for (QString& f : files) f = f.mid(qsizetype(dir.size()) + 1);
    return files;
  };
  EXPECT_EQ(rel(sf::CollectFiles({Q(dir)}, false, leftOut)),
            (QStringList{":colon.jpg", "b9.jpg", "b10.jpg", "lone.pal", "pic.cut"}));
  EXPECT_EQ(rel(sf::CollectFiles({Q(dir)}, true, leftOut)), (QStringList{":colon.jpg", "b9.jpg", "b10.jpg", "lone.pal", "pic.cut",
                                                                         "sub2/deeper/z.jpg", "sub2/x.jpg", "sub10/y.jpg"}));
  EXPECT_TRUE(left.isEmpty());
  // Files as given, in the order given; a hidden one named on its own is taken.
  EXPECT_EQ(rel(sf::CollectFiles({Q(dir + "/b10.jpg"), Q(dir + "/nothing"), Q(dir + "/.hidden.jpg")}, false, leftOut)),
            (QStringList{"b10.jpg", ".hidden.jpg"}));
  EXPECT_EQ(left, QStringList{Q(dir + "/nothing: no such file or folder")});
}

TEST(NewShow, CaptionsFromNames) {
  EXPECT_EQ(sf::CaptionFromName("/x/My_holiday.2024.JPG"), "My holiday.2024");
  EXPECT_EQ(sf::CaptionFromName("/x/_trip_.png"), "trip");
  EXPECT_EQ(sf::CaptionFromName("/x/.png"), "");
  EXPECT_EQ(sf::CaptionFromName(QString("/x/") + QString(150, 'n') + ".png"), QString(100, 'n'));
  EXPECT_EQ(sf::CaptionFromName(QString::fromUtf8("/x/\u65e5\u672c.png")), "");
  EXPECT_EQ(sf::StoredFileName(QString("/x/") + QString(300, 'n') + ".jpeg"), QString(250, 'n') + ".jpeg");
  EXPECT_EQ(sf::StoredFileName(QString("/x/") + QString(300, 'n') + QChar(0x65e5) + ".jpeg"),
            QString(250, 'n') + ".jpeg");
}
