// Media fetches: slide data, dialog picture, music and media files, embedded or beside the
// program; format codes by extension.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>
#include <gtest/gtest.h>

#include "container/picture.h"
#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "tests/common/testutil.h"

using namespace sf;
using namespace sftest;

TEST(FormatFromExtension, PrefixRulesOfTheExtensionTable) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {
      {"PHOTO.JPEG.", 2}, {"a.b.Tga", 6},  {"nodot", -1},       {"x.scr", 7},     {"a.pngx", 15},
      {"a.jpe", -1},      {"a.jpg", 2},    {"a.TIFF", 5},       {"a.rgba", 3},    {"a.bw", 3},
      {"a.pic", 4},       {"a.pcd", 8},    {"a.pbm", 9},        {"a.pal", 10},    {"a.gif", 11},
      {"a.rpf", 12},      {"a.pdd", 13},   {"a.psp", 14},       {"a.dib", 1},     {"a.win", 6},
      {"a.", -1},         {"", -1},        {"dir.jpg/file", -1}, {"C:\\x.png\\y", -1}, {".bmp", 1},
      {"a.bmpx.q", -1},   {"a.b", -1},     {"a.p", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFromExtension(c.name), c.code) << c.name;
}

namespace {

struct Show {
  std::string path;
  std::unique_ptr<TProjectInfo> project;
};

Show Open(const ProjectBuilder& b, const std::string& name = "show.scr") {
  Show s;
  s.path = WriteFile(name, b.Build());
  s.project = std::make_unique<TProjectInfo>(QString::fromStdString(s.path));
  s.project->ReadHeader();
  TRandom random;
  s.project->ReadSlides(random);
  EXPECT_TRUE(s.project->LoadError().isEmpty()) << s.project->LoadError().toStdString();
  return s;
}

std::string Bytes(const QString& path) { return ReadFile(path.toStdString()); }

struct Messages {
  QStringList shown;
  Messages() {
    SetMessageSink([this](const QString& m) { shown << m; });
  }
  ~Messages() { SetMessageSink({}); }
};

}  // namespace

TEST(Media, SlideDataComesFromItsOwnRegion) {
  ProjectBuilder b;
  b.AddResource("first picture");
  b.AddResource("second");
  b.AddResource("DIALOG");  // the dialog picture between the last two entries
  b.resources.push_back(b.resources.back() + 6);
  b.header = F(31, "face.PNG");
  b.slideList = Rec(F(3, "13") + F(45, "11")) + Rec(F(3, "6")) + Rec(F(3, "0"));
  Show s = Open(b);
  QByteArray stream("old contents");
  int32_t code = 0;
  ASSERT_TRUE(s.project->GetSlideData(0, stream, code));
  EXPECT_EQ(stream, "first picture");
  EXPECT_EQ(code, 11);
  ASSERT_TRUE(s.project->GetSlideData(1, stream, code));
  EXPECT_EQ(stream, "second");
  EXPECT_EQ(code, 2);  // the default format code
  // No data at all: an empty stream and success.
  ASSERT_TRUE(s.project->GetSlideData(2, stream, code));
  EXPECT_TRUE(stream.isEmpty());
  EXPECT_FALSE(s.project->GetSlideData(3, stream, code));
  EXPECT_FALSE(s.project->GetSlideData(-1, stream, code));
  ASSERT_TRUE(s.project->GetDialogPicture(stream, code));
  EXPECT_EQ(stream, "DIALOG");
  EXPECT_EQ(code, 15);
}

TEST(Media, RegionCopyStopsWithFailureAtTheEndOfTheFile) {
  ProjectBuilder b;
  std::string big(1000000, '\0');  // more than two chunks
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 977);
  b.AddResource(big);
  b.slideList = Rec(F(3, std::to_string(big.size())));
  Show s = Open(b);
  QByteArray stream;
  int32_t code = 0;
  ASSERT_TRUE(s.project->GetSlideData(0, stream, code));
  EXPECT_EQ(stream.toStdString(), big);
  const int64_t size = int64_t(b.Build().size());
  EXPECT_FALSE(s.project->CopyRegion(size - 5, 900000, stream));
  EXPECT_EQ(stream.size(), 5);  // what was there
  EXPECT_TRUE(s.project->CopyRegion(size - 5, 5, stream));
  EXPECT_FALSE(s.project->CopyRegion(size + 10, 1, stream));
}

TEST(Media, FetchedMusicIsATemporaryFileThatGoesWithItsObject) {
  ProjectBuilder b;
  b.AddResource("");
  b.AddResource("");
  b.AddMusic("TRACK ONE");
  b.AddMusic("TRACK TWO");
  b.AddMusic("TRACK THREE");
  b.header = F(1, "one.wav") + F(1, "C:\\Music\\two.wav") + F(1, "three.mp3");
  Show s = Open(b);
  TMediaFile track = s.project->FetchMusic(0);
  ASSERT_TRUE(track.Ok());
  EXPECT_EQ(track.Path(), s.project->TempDir + "qel.wav");
  EXPECT_EQ(Bytes(track.Path()), "TRACK ONE");
  // The next track under the same name: taking its place keeps the file the new one wrote.
  track = s.project->FetchMusic(1);
  EXPECT_EQ(track.Path(), s.project->TempDir + "qel.wav");
  EXPECT_EQ(Bytes(track.Path()), "TRACK TWO");
  const QString wav = track.Path();
  track = s.project->FetchMusic(2);  // the last track runs up to the slide list
  EXPECT_EQ(track.Path(), s.project->TempDir + "qel.mp3");
  EXPECT_EQ(Bytes(track.Path()), "TRACK THREE");
  EXPECT_FALSE(QFile::exists(wav));  // the one it replaced is gone
  for (const int32_t none : {3, -1}) {
    const TMediaFile nothing = s.project->FetchMusic(none);
    EXPECT_FALSE(nothing.Ok());
    EXPECT_EQ(nothing.Error(), TMediaFile::TError::NoSuchMedium);
  }
  EXPECT_TRUE(QFile::exists(track.Path()));  // nothing happened to the one held
  // Moved, the file stays with its new holder and goes with it.
  const QString mp3 = track.Path();
  {
    TMediaFile moved(std::move(track));
    EXPECT_FALSE(track.Ok());
    EXPECT_TRUE(QFile::exists(mp3));
  }
  EXPECT_FALSE(QFile::exists(mp3));
}

TEST(Media, MusicAndASlidesMediumHaveFilesOfTheirOwn) {
  // A video slide fetched while a track plays leaves the track's file alone, even with the
  // same extension.
  ProjectBuilder b;
  b.AddResource("clip bytes");
  b.AddResource("");
  b.AddResource("");
  b.AddMusic("tune");
  b.header = F(1, "tune.mp4");
  b.slideList = Rec(F(2, "clip.mp4") + F(3, "10") + F(52, "2"));
  Show s = Open(b);
  const TMediaFile track = s.project->FetchMusic(0);
  TMediaFile clip = s.project->FetchMedia(0);
  ASSERT_TRUE(track.Ok() && clip.Ok());
  EXPECT_NE(track.Path(), clip.Path());
  EXPECT_EQ(Bytes(track.Path()), "tune");
  EXPECT_EQ(Bytes(clip.Path()), "clip bytes");
  clip.Release();
  EXPECT_EQ(Bytes(track.Path()), "tune");
}

TEST(Media, ExternalMediaAreFoundBesideTheProgram) {
  const std::string dir = ScratchDir("beside");
  ProjectBuilder b;
  b.header = F(38, "0") + F(39, "0") + F(1, "D:\\Tunes\\song.mid") + F(1, "gone.wav") + F(86, "Where is [%-3.2s] %0:s?");
  b.slideList = Rec(F(2, "C:\\Pictures\\pic.BMP") + F(45, "2")) + Rec(F(2, "missing.jpg")) +
                Rec(F(2, "D:\\Clips\\clip.avi") + F(52, "2"));
  const std::string show = dir + "/show.scr";
  { std::ofstream(show, std::ios::binary) << b.Build(); }
  { std::ofstream(dir + "/pic.BMP", std::ios::binary) << "BM-bytes"; }
  { std::ofstream(dir + "/song.mid", std::ios::binary) << "MThd"; }
  { std::ofstream(dir + "/clip.avi", std::ios::binary) << "RIFF"; }
  TProjectInfo project(QString::fromStdString(show));
  project.ReadHeader();
  TRandom random;
  project.ReadSlides(random);
  Messages messages;
  QByteArray stream;
  int32_t code = 0;
  ASSERT_TRUE(project.GetSlideData(0, stream, code));
  EXPECT_EQ(stream, "BM-bytes");
  EXPECT_EQ(code, 1);  // from the extension, not the record
  EXPECT_FALSE(project.GetSlideData(1, stream, code));
  const QString folder = QFileInfo(QString::fromStdString(show)).absolutePath();
  {
    const TMediaFile song = project.FetchMusic(0), clip = project.FetchMedia(2);
    EXPECT_EQ(song.Path(), folder + "/song.mid");
    EXPECT_EQ(clip.Path(), folder + "/clip.avi");
  }
  EXPECT_TRUE(QFile::exists(folder + "/song.mid"));  // an external file is never removed
  EXPECT_TRUE(QFile::exists(folder + "/clip.avi"));
  const TMediaFile gone = project.FetchMusic(1), lost = project.FetchMedia(1);
  EXPECT_FALSE(gone.Ok());
  EXPECT_EQ(gone.Error(), TMediaFile::TError::Missing);
  EXPECT_EQ(gone.MissingPath(), folder + "/gone.wav");
  EXPECT_EQ(lost.Error(), TMediaFile::TError::Missing);
  EXPECT_EQ(lost.MissingPath(), folder + "/missing.jpg");
  EXPECT_TRUE(messages.shown.isEmpty());  // the fetch tells nobody: the player does
  EXPECT_TRUE(QDir(project.TempDir).entryList(QDir::Files).isEmpty());  // nothing was extracted
  // The project's text: an empty one gives an empty message; one that Format rejects keeps its words.
  EXPECT_EQ(project.FileNotFoundMessage(gone.MissingPath()), "Where is [" + folder.left(2) + " ] " + folder + "/gone.wav?");
  project.Texts[stFileNotFound].clear();
  EXPECT_EQ(project.FileNotFoundMessage(gone.MissingPath()), "");
  project.Texts[stFileNotFound] = "Lost: %d";
  EXPECT_EQ(project.FileNotFoundMessage(gone.MissingPath()), "Lost: %d " + folder + "/gone.wav");

  // Without MediaBesideProgram the stored path is used as it stands.
  project.MediaBesideProgram = false;
  EXPECT_FALSE(project.GetSlideData(0, stream, code));
  project.Slides[0].FileName = QString::fromStdString(dir + "/pic.BMP");
  EXPECT_TRUE(project.GetSlideData(0, stream, code));
}

TEST(Media, FlashAndVideoFilesAreExtractedWithTheirExtension) {
  ProjectBuilder b;
  b.AddResource("FWS movie");
  b.AddResource("video clip");
  b.AddResource("");
  b.AddResource("");
  b.slideList = Rec(F(2, "intro.swf") + F(3, "9") + F(52, "1")) + Rec(F(2, "clip.MPG") + F(3, "10") + F(52, "2"));
  Show s = Open(b);
  TMediaFile medium = s.project->FetchMedia(0);
  EXPECT_EQ(medium.Path(), s.project->TempDir + "qelslide.swf");
  EXPECT_EQ(Bytes(medium.Path()), "FWS movie");
  const QString flash = medium.Path();
  medium = s.project->FetchMedia(1);
  EXPECT_EQ(medium.Path(), s.project->TempDir + "qelslide.MPG");
  EXPECT_EQ(Bytes(medium.Path()), "video clip");
  EXPECT_FALSE(QFile::exists(flash));
  EXPECT_EQ(s.project->FetchMedia(5).Error(), TMediaFile::TError::NoSuchMedium);
}

TEST(Media, AFileThatCannotBeWrittenGivesNoPathAndLeavesNothing) {
  ProjectBuilder b;
  b.AddResource("movie");
  b.AddResource("");
  b.AddResource("");
  b.AddMusic("tune");
  b.header = F(1, "a.wav");
  b.slideList = Rec(F(2, "m.swf") + F(3, "5") + F(52, "1"));
  Show s = Open(b);
  const QString temp = s.project->TempDir;
  s.project->TempDir = "/nonexistent/folder/";
  const TMediaFile movie = s.project->FetchMedia(0), tune = s.project->FetchMusic(0);
  EXPECT_FALSE(movie.Ok());  // not a path to a file that is not there
  EXPECT_EQ(movie.Error(), TMediaFile::TError::Unwritable);
  EXPECT_EQ(tune.Error(), TMediaFile::TError::Unwritable);
  // A medium whose bytes cannot be read gives no file either, and leaves none behind.
  s.project->TempDir = temp;
  s.project->Slides[0].DataSize = 1 << 30;
  EXPECT_EQ(s.project->FetchMedia(0).Error(), TMediaFile::TError::Unwritable);
  EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty());
}
