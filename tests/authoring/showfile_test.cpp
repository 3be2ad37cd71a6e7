// Shows as files: extract and pack again, rehost behind another program, cancelled packs.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

#include "authoring/manifest.h"
#include "authoring/pack.h"
#include "authoring/showfile.h"
#include "tests/common/inforun.h"
#include "tests/common/testutil.h"

using namespace sftest;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Packs a manifest written into dir behind player.
std::string PackShow(const std::string& dir, const std::string& manifest, const std::string& player,
                     const std::string& name = "show.scr") {
  Write(dir + "/manifest.json", manifest);
  sf::TShowDocument doc;
  sf::TResult r = sf::ReadManifest(Q(dir + "/manifest.json"), doc);
  EXPECT_TRUE(r.Ok()) << r.error.toStdString();
  r = sf::Pack(doc, Q(player), Q(dir + "/" + name));
  EXPECT_TRUE(r.Ok()) << r.error.toStdString();
  return dir + "/" + name;
}

// The files of a folder (but its manifest) and their bytes; hidden ones too.
std::map<QString, std::string> Media(const std::string& dir) {
  std::map<QString, std::string> files;
  for (const QString& name : QDir(Q(dir)).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot))
    if (name != "manifest.json") files[name] = ReadFile(dir + "/" + name.toStdString());
  return files;
}

// A stand-in for a program that is not ours: n bytes that begin as a Windows executable does.
std::string ForeignProgram(size_t n) {
  std::string p = "MZ\x90";
  for (size_t i = p.size(); i < n; ++i) p += char((i * 131) ^ (i >> 7));
  return p;
}

// A show with slides, a dialog picture and two tracks, all media of known bytes.
const char kManifest[] = R"({"header": {"ProjectName": "Far.scr", "DisplaySeconds": 2, "ShowDialogPicture": true},
  "music": ["t1.wav", "t2.mp3"], "dialogPicture": "face.png",
  "slides": [{"file": "a.jpg", "Caption": "one", "CaptionFont": {"Bold": true}}, {"file": "b.bmp", "EffectList": "3;"}]})";

std::string MakeMedia(const std::string& dir) {
  Write(dir + "/a.jpg", std::string(700000, 'a'));  // more than one copy chunk
  Write(dir + "/b.bmp", "BM b");
  Write(dir + "/face.png", "PNG face");
  Write(dir + "/t1.wav", "RIFF one");
  Write(dir + "/t2.mp3", "ID3 two");
  return dir;
}

}  // namespace

TEST(Rehost, AProjectBehindAForeignProgramComesOutBehindOursWithEveryByteOfItsMedia) {
  const std::string dir = MakeMedia(ScratchDir("rehost"));
  Write(dir + "/foreign.exe", ForeignProgram(70001));
  const std::string foreign = PackShow(dir, kManifest, dir + "/foreign.exe", "foreign.scr");
  const std::string ours = dir + "/ours.scr";
  sf::TRehostReport report;
  sf::TResult r = sf::Rehost(Q(foreign), SHOWFORGE_BIN, Q(ours), &report);
  ASSERT_TRUE(r.Ok()) << r.error.toStdString();
  const std::string player = ReadFile(SHOWFORGE_BIN);
  EXPECT_FALSE(report.ownPlayer);
  EXPECT_EQ(report.shift, int64_t(player.size()) - 70001);
  EXPECT_EQ(ReadFile(ours).substr(0, player.size()), player);
  EXPECT_TRUE(QFileInfo(Q(ours)).isExecutable());

  // The same header and slide records; every position moved by the shift.
  const InfoRun a = RunInfo(foreign), b = RunInfo(ours);
  ASSERT_EQ(a.code, 0) << a.err;
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(a.json["header"], b.json["header"]);
  EXPECT_EQ(a.json["slides"], b.json["slides"]);
  const QJsonObject ta = a.json["table"].toObject(), tb = b.json["table"].toObject();
  for (const char* list : {"ResourceOffsets", "MusicOffsets"}) {
    ASSERT_EQ(ta[list].toArray().size(), tb[list].toArray().size());
    for (qsizetype i = 0; i < ta[list].toArray().size(); ++i)
      EXPECT_EQ(tb[list].toArray()[i].toInt() - ta[list].toArray()[i].toInt(), report.shift) << list << i;
  }
  for (const char* at : {"SlideListStart", "HeaderStart", "TableStart"})
    EXPECT_EQ(tb[at].toInt() - ta[at].toInt(), report.shift) << at;

  // Every medium byte for byte, and the same manifest.
  ASSERT_TRUE(sf::Extract(Q(foreign), Q(dir + "/x-foreign")).Ok());
  ASSERT_TRUE(sf::Extract(Q(ours), Q(dir + "/x-ours")).Ok());
  const auto media = Media(dir + "/x-foreign");
  EXPECT_EQ(media.size(), 5u);
  EXPECT_EQ(media.at("a.jpg"), std::string(700000, 'a'));
  EXPECT_EQ(media, Media(dir + "/x-ours"));
  EXPECT_EQ(ReadFile(dir + "/x-foreign/manifest.json"), ReadFile(dir + "/x-ours/manifest.json"));

  // Behind the player it already has, the show stays what it is; moved back behind the foreign
  // program (a shift downwards) it is the packed show again, byte for byte.
  ASSERT_TRUE(sf::Rehost(Q(ours), SHOWFORGE_BIN, Q(dir + "/again.scr"), &report).Ok());
  EXPECT_TRUE(report.ownPlayer);
  EXPECT_EQ(report.shift, 0);
  EXPECT_TRUE(ReadFile(dir + "/again.scr") == ReadFile(ours));
  ASSERT_TRUE(sf::Rehost(Q(ours), Q(dir + "/foreign.exe"), Q(dir + "/back.scr"), &report).Ok());
  EXPECT_EQ(report.shift, 70001 - int64_t(player.size()));
  EXPECT_TRUE(ReadFile(dir + "/back.scr") == ReadFile(foreign));
}

TEST(Rehost, ATableWithoutPositionsCarriesTheWholeFileAsItsProjectAndReadsTheSame) {
  // An empty offset table: every position is 0, so the header is all the file before the table
  // (the program's bytes are read as fields and passed over).
  const std::string dir = ScratchDir("rehost-zero");
  const std::string show = dir + "/zero.scr";
  Write(show, std::string("MZ program\x80") + F(30, "Zero.scr") + F(5, "9") + LengthField(0));
  ASSERT_TRUE(sf::Rehost(Q(show), SHOWFORGE_BIN, Q(dir + "/out.scr")).Ok());
  const InfoRun a = RunInfo(show), b = RunInfo(dir + "/out.scr");
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(b.json["header"].toObject()["ProjectName"].toString(), "Zero.scr");
  EXPECT_EQ(a.json["header"], b.json["header"]);
  EXPECT_EQ(a.json["slides"], b.json["slides"]);
}

TEST(Rehost, AFileWithoutAReadableProjectIsRefusedAndNothingIsWritten) {
  const std::string dir = ScratchDir("rehost-refused");
  Write(dir + "/out.scr", "older show");
  Write(dir + "/text.txt", "just some text");
  ProjectBuilder damaged;
  damaged.AddResource("DATA");
  damaged.slideList = Rec(F(3, "400"));  // its data would run past the media
  Write(dir + "/damaged.scr", damaged.Build());
  struct Case {
    std::string show, player, message;
  } cases[] = {
      {dir + "/text.txt", SHOWFORGE_BIN, dir + "/text.txt carries no readable project: 'some text' is not a valid integer value"},
      {dir + "/damaged.scr", SHOWFORGE_BIN, dir + "/damaged.scr: the project is damaged: slide 0's data"},
      {dir + "/gone.scr", SHOWFORGE_BIN, "cannot open " + dir + "/gone.scr"},
      {dir + "/damaged.scr", dir + "/no-player", "no player at " + dir + "/no-player"},
      {dir + "/damaged.scr", dir + "/out.scr", "the show would replace its own player " + dir + "/out.scr"},
  };
  for (const Case& c : cases) {
    const sf::TResult r = sf::Rehost(Q(c.show), Q(c.player), Q(dir + "/out.scr"));
    EXPECT_EQ(r.error.left(int(c.message.size())).toStdString(), c.message);
    EXPECT_EQ(ReadFile(dir + "/out.scr"), "older show");
  }
  EXPECT_EQ(QDir(Q(dir)).entryList(QDir::Files | QDir::Hidden).size(), 3);  // no temporary file left
}

TEST(Extract, WhatThePlayerReadsOfAForeignShowPacksAgain) {
  // Stored values a manifest could not say as they are: a number that does not convert, a caption
  // over its capacity, style digits out of order, media names that clash or are no file names.
  const std::string dir = ScratchDir("extract-odd");
  ProjectBuilder b;
  b.AddResource("AAAA");
  b.AddResource("BBB");
  b.AddResource("");
  b.AddResource("DD");
  b.AddResource("E");
  b.AddResource("");  // the dialog picture's two entries
  b.AddResource("");
  b.header = F(30, "Odd.scr") + F(5, "soon") + F(4, "0");
  b.slideList = Rec(F(2, "C:\\pics\\a.jpg") + F(3, "4") + F(8, std::string(150, 'c')) + F(13, "41") + F(35, "fast")) +
                Rec(F(2, "A.JPG") + F(3, "3") + F(45, "2") + F(1, "7")) + Rec(F(2, "manifest.json") + F(3, "0")) +
                Rec(F(2, "..") + F(3, "2")) + Rec(F(2, ":colon.jpg") + F(3, "1"));
  const std::string show = dir + "/odd.scr";
  Write(show, b.Build());
  sf::TShowDocument doc;
  ASSERT_TRUE(sf::Extract(Q(show), Q(dir + "/out"), &doc).Ok());
  EXPECT_EQ(Media(dir + "/out"), (std::map<QString, std::string>{
                                     {"a.jpg", "AAAA"}, {"slide2.JPG", "BBB"}, {"slide3.json", ""}, {"slide4.", "DD"},
                                     {":colon.jpg", "E"}}));
  // A name that Qt would take for one of its resources stays a file in the folder.
  EXPECT_FALSE(QFile::exists(Q(QDir::currentPath().toStdString() + "/:colon.jpg")));
  EXPECT_FALSE(QFile::exists("/:colon.jpg"));
  // The manifest reads back as the document extract gave, and packs.
  sf::TShowDocument back;
  ASSERT_TRUE(sf::ReadManifest(Q(dir + "/out/manifest.json"), back).Ok());
  EXPECT_EQ(back, doc);
  ASSERT_TRUE(sf::Pack(doc, SHOWFORGE_BIN, Q(dir + "/again.scr")).Ok());
  const InfoRun a = RunInfo(show), again = RunInfo(dir + "/again.scr");
  ASSERT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(a.json["header"], again.json["header"]);
  EXPECT_EQ(a.json["slides"], again.json["slides"]);
  EXPECT_EQ(again.json["slides"].toArray()[0].toObject()["Caption"].toString().size(), 100);
}

TEST(Extract, MediaThatStayOutsideTheShowAreNotMadeUp) {
  // Without embedded media the show has only the dialog picture's name: no file stands for it.
  const std::string dir = ScratchDir("extract-outside");
  ProjectBuilder b;
  b.header = F(38, "0") + F(39, "0") + F(9, "1") + F(31, "face.png") + F(1, "song.mp3");
  b.slideList = Rec(F(2, "x.jpg"));
  Write(dir + "/outside.scr", b.Build());
  ASSERT_TRUE(sf::Extract(Q(dir + "/outside.scr"), Q(dir + "/out")).Ok());
  EXPECT_TRUE(Media(dir + "/out").empty());
  Write(dir + "/program", b.image);
  sf::TShowDocument doc;
  ASSERT_TRUE(sf::ReadManifest(Q(dir + "/out/manifest.json"), doc).Ok());
  ASSERT_TRUE(sf::Pack(doc, Q(dir + "/program"), Q(dir + "/again.scr")).Ok());
  const InfoRun a = RunInfo(dir + "/outside.scr"), again = RunInfo(dir + "/again.scr");
  EXPECT_EQ(a.json["header"], again.json["header"]);
  EXPECT_EQ(a.json["slides"], again.json["slides"]);
}

TEST(Extract, ReplacesAnOlderExtractionWholeOrNotAtAll) {
  const std::string dir = MakeMedia(ScratchDir("extract-replace"));
  const std::string show = PackShow(dir, kManifest, SHOWFORGE_BIN);
  const std::string out = dir + "/out";
  QDir().mkpath(Q(out));
  Write(out + "/manifest.json", "older manifest");
  Write(out + "/a.jpg", "older a");
  Write(out + "/keep.txt", "the author's own");
  // A folder in the way of one medium: nothing at all is replaced.
  QDir().mkpath(Q(out + "/face.png"));
  sf::TResult r = sf::Extract(Q(show), Q(out));
  EXPECT_EQ(r.error.toStdString(), "cannot write " + out + "/face.png: a folder of that name is in the way");
  EXPECT_EQ(ReadFile(out + "/manifest.json"), "older manifest");
  EXPECT_EQ(ReadFile(out + "/a.jpg"), "older a");
  EXPECT_EQ(QDir(Q(out)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"a.jpg", "face.png", "keep.txt", "manifest.json"}));
  // Out of the way, everything is replaced, the rest of the folder stays, nothing hidden remains.
  QDir(Q(out + "/face.png")).removeRecursively();
  ASSERT_TRUE(sf::Extract(Q(show), Q(out)).Ok());
  EXPECT_EQ(ReadFile(out + "/a.jpg"), std::string(700000, 'a'));
  EXPECT_EQ(ReadFile(out + "/keep.txt"), "the author's own");
  EXPECT_EQ(QDir(Q(out)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"a.jpg", "b.bmp", "face.png", "keep.txt", "manifest.json", "t1.wav", "t2.mp3"}));
  // Its manifest is written as the document writer writes it: reading and writing it changes
  // no byte.
  sf::TShowDocument doc;
  ASSERT_TRUE(sf::ReadManifest(Q(out + "/manifest.json"), doc).Ok());
  EXPECT_EQ(sf::ManifestText(doc, Q(out)).toStdString(), ReadFile(out + "/manifest.json"));
}

TEST(Pack, ACancelledPackWritesNothingAndKeepsTheOlderShow) {
  const std::string dir = MakeMedia(ScratchDir("pack-cancel"));
  Write(dir + "/show.scr", "older show");
  Write(dir + "/manifest.json", kManifest);
  sf::TShowDocument doc;
  ASSERT_TRUE(sf::ReadManifest(Q(dir + "/manifest.json"), doc).Ok());
  std::vector<std::pair<int64_t, int64_t>> calls;
  sf::TResult r = sf::Pack(doc, SHOWFORGE_BIN, Q(dir + "/show.scr"), [&](int64_t done, int64_t total) {
    calls.emplace_back(done, total);
    return calls.size() < 2;
  });
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.Ok());
  ASSERT_EQ(calls.size(), 2u);
  const int64_t media = 700000 + 4 + 8 + 8 + 7;
  EXPECT_EQ(calls[0], std::make_pair(int64_t(409600), media));  // the first chunk of a.jpg
  EXPECT_EQ(calls[1], std::make_pair(int64_t(700000), media));
  EXPECT_EQ(ReadFile(dir + "/show.scr"), "older show");
  EXPECT_EQ(QDir(Q(dir)).entryList(QDir::Files | QDir::Hidden).size(), 7);
  // Uncancelled, the progress ends at the total.
  calls.clear();
  r = sf::Pack(doc, SHOWFORGE_BIN, Q(dir + "/show.scr"), [&](int64_t done, int64_t total) {
    calls.emplace_back(done, total);
    return true;
  });
  ASSERT_TRUE(r.Ok()) << r.error.toStdString();
  EXPECT_EQ(calls.back(), std::make_pair(media, media));
}
