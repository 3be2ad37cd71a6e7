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
  s.project->ReadSlides();
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

TEST(Media, MusicFetchesShareOneTemporaryFileAtATime) {
  ProjectBuilder b;
  b.AddResource("");
  b.AddResource("");
  b.AddMusic("TRACK ONE");
  b.AddMusic("TRACK TWO");
  b.AddMusic("TRACK THREE");
  b.header = F(1, "one.wav") + F(1, "C:\\Music\\two.wav") + F(1, "three.mp3");
  Show s = Open(b);
  const QString first = s.project->GetMusicFile(0);
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ(first, s.project->TempDir + "qel.wav");
  EXPECT_EQ(Bytes(first), "TRACK ONE");
  const QString second = s.project->GetMusicFile(1);
  EXPECT_EQ(second, first);  // the same path, written anew
  EXPECT_EQ(Bytes(second), "TRACK TWO");
  const QString third = s.project->GetMusicFile(2);  // the last track runs up to the slide list
  EXPECT_EQ(third, s.project->TempDir + "qel.mp3");
  EXPECT_EQ(Bytes(third), "TRACK THREE");
  EXPECT_FALSE(QFile::exists(first));  // the previous file is gone
  EXPECT_EQ(s.project->CurrentTempFile, third);
  EXPECT_TRUE(s.project->GetMusicFile(3).isEmpty());
  EXPECT_TRUE(s.project->GetMusicFile(-1).isEmpty());
  EXPECT_EQ(s.project->CurrentTempFile, third);  // nothing happened
  s.project.reset();
  EXPECT_FALSE(QFile::exists(third));  // freeing the project deletes it
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
  project.ReadSlides();
  Messages messages;
  QByteArray stream;
  int32_t code = 0;
  ASSERT_TRUE(project.GetSlideData(0, stream, code));
  EXPECT_EQ(stream, "BM-bytes");
  EXPECT_EQ(code, 1);  // from the extension, not the record
  EXPECT_FALSE(project.GetSlideData(1, stream, code));
  const QString folder = QFileInfo(QString::fromStdString(show)).absolutePath();
  EXPECT_EQ(project.GetMusicFile(0), folder + "/song.mid");
  EXPECT_EQ(project.GetMediaFile(2), folder + "/clip.avi");
  EXPECT_TRUE(messages.shown.isEmpty());
  EXPECT_TRUE(project.GetMusicFile(1).isEmpty());
  EXPECT_TRUE(project.GetMediaFile(1).isEmpty());
  ASSERT_EQ(messages.shown.size(), 2);
  EXPECT_EQ(messages.shown[0], "Where is [" + folder.left(2) + " ] " + folder + "/gone.wav?");
  EXPECT_EQ(messages.shown[1], "File not found : " + folder + "/missing.jpg");
  EXPECT_TRUE(project.CurrentTempFile.isEmpty());  // nothing was extracted
  // The project's empty text gives an empty message; one that Format rejects keeps its words.
  project.Texts[stFileNotFound].clear();
  EXPECT_TRUE(project.GetMusicFile(1).isEmpty());
  project.Texts[stFileNotFound] = "Lost: %d";
  EXPECT_TRUE(project.GetMusicFile(1).isEmpty());
  ASSERT_EQ(messages.shown.size(), 4);
  EXPECT_EQ(messages.shown[2], "");
  EXPECT_EQ(messages.shown[3], "Lost: %d " + folder + "/gone.wav");

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
  const QString flash = s.project->GetMediaFile(0);
  EXPECT_EQ(flash, s.project->TempDir + "qel.swf");
  EXPECT_EQ(Bytes(flash), "FWS movie");
  const QString video = s.project->GetMediaFile(1);
  EXPECT_EQ(video, s.project->TempDir + "qel.MPG");
  EXPECT_EQ(Bytes(video), "video clip");
  EXPECT_FALSE(QFile::exists(flash));
  EXPECT_TRUE(s.project->GetMediaFile(5).isEmpty());
}

TEST(Media, AFileThatCannotBeWrittenGivesNoPath) {
  ProjectBuilder b;
  b.AddResource("movie");
  b.AddResource("");
  b.AddResource("");
  b.AddMusic("tune");
  b.header = F(1, "a.wav");
  b.slideList = Rec(F(2, "m.swf") + F(3, "5") + F(52, "1"));
  Show s = Open(b);
  ASSERT_FALSE(s.project->GetMusicFile(0).isEmpty());
  const QString previous = s.project->CurrentTempFile;
  s.project->TempDir = "/nonexistent/folder/";
  EXPECT_TRUE(s.project->GetMediaFile(0).isEmpty());  // not a path to a file that is not there
  EXPECT_TRUE(s.project->CurrentTempFile.isEmpty());
  EXPECT_FALSE(QFile::exists(previous));  // the previous file was deleted first
  EXPECT_TRUE(s.project->GetMusicFile(0).isEmpty());
}
