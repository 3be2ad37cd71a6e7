// The project header: defaults, repeated tags, booleans, unknown tags, the last field, the
// interface texts and Windows-1252 text.
#include <QJsonArray>
#include <gtest/gtest.h>

#include "tests/common/inforun.h"
#include "tests/common/testutil.h"

using namespace sftest;

namespace {
QJsonObject Header(const std::string& headerText) {
  ProjectBuilder b;
  b.header = headerText;
  auto r = RunInfo(WriteFile("header.scr", b.Build()));
  EXPECT_EQ(r.code, 0) << r.err;
  return r.json["header"].toObject();
}
}  // namespace

TEST(Header, NoFieldsGivesExactlyTheDefaults) {
  QJsonObject h = Header("");
  const QJsonObject expected = QJsonDocument::fromJson(R"({
    "MusicFiles": [], "RandomPosition": true, "RandomOrder": true, "DisplaySeconds": 5,
    "LoopMusic": true, "MusicPauseTicks": 5, "RandomMusic": true, "ShowDialogPicture": false,
    "ShowAuthorInfo": false, "AuthorName": "", "ShowWebSite": false, "WebSite": "",
    "ShowEMail": false, "EMail": "", "ShowHelpMenu": false, "Version": "1.0", "Copyright": "",
    "ShowDescription": false, "Description": "", "ProjectName": "", "DialogPicture": "",
    "MenuMode": 0, "MediaEmbedded": true, "PlayerMediaEmbedded": true,
    "ScreenTransitionMode": 1, "FitMode": 1, "MediaBesideProgram": true})").object();
  for (auto it = expected.begin(); it != expected.end(); ++it)
    EXPECT_EQ(h[it.key()], it.value()) << it.key().toStdString();
  ASSERT_EQ(h["Texts"].toArray().size(), 51);
  for (const QJsonValue& t : h["Texts"].toArray()) EXPECT_EQ(t.toString(), "");
  EXPECT_EQ(h.size(), expected.size() + 1);  // nothing beyond the fields and the texts
}

TEST(Header, LastOccurrenceWinsAndListsAppend) {
  QJsonObject h = Header(F(5, "7") + F(1, "a.mp3") + F(5, "9") + F(1, "b.wav") + F(1, "c.mid") +
                         F(30, "One.scr") + F(30, "Two.scr"));
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 9);
  EXPECT_EQ(h["MusicFiles"].toArray(), (QJsonArray{"a.mp3", "b.wav", "c.mid"}));
  EXPECT_EQ(h["ProjectName"].toString(), "Two.scr");
}

TEST(Header, BooleansAreTrueExactlyForOne) {
  // Tags whose default is true, each given a value that is not exactly "1".
  for (const char* value : {"", " 1", "01", "1 ", "true", "2"}) {
    std::string text;
    for (uint8_t tag : {3, 4, 6, 8, 38, 39, 93}) text += F(tag, value);
    QJsonObject h = Header(text);
    for (const char* name : {"RandomPosition", "RandomOrder", "LoopMusic", "RandomMusic", "MediaEmbedded",
                             "PlayerMediaEmbedded", "MediaBesideProgram"})
      EXPECT_FALSE(h[name].toBool()) << name << " with '" << value << "'";
  }
  QJsonObject h = Header(F(9, "1") + F(15, "1") + F(17, "1") + F(19, "1") + F(24, "1") + F(28, "1"));
  for (const char* name : {"ShowDialogPicture", "ShowAuthorInfo", "ShowWebSite", "ShowEMail", "ShowHelpMenu",
                           "ShowDescription"})
    EXPECT_TRUE(h[name].toBool()) << name;
}

TEST(Header, UnknownTagsAndBadIntegersAreSkipped) {
  QJsonObject h = Header(F(11, "junk") + F(2, "x") + F(94, "y") + F(200, "z") + F(5, "abc") + F(7, "") +
                         F(34, "2") + F(40, " 0") + F(41, "-1"));
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 5);   // "abc" does not convert: the default stays
  EXPECT_EQ(h["MusicPauseTicks"].toInt(), 5);  // nor does an empty value
  EXPECT_EQ(h["MenuMode"].toInt(), 2);
  EXPECT_EQ(h["ScreenTransitionMode"].toInt(), 0);  // a leading blank is allowed in a number
  EXPECT_EQ(h["FitMode"].toInt(), -1);
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 5);
}

TEST(Header, FieldWithoutFinalTerminatorIsLost) {
  QJsonObject h = Header(F(5, "8") + "\x1e" "www.example.org");
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 8);
  EXPECT_EQ(h["WebSite"].toString(), "");
}

TEST(Header, TextsFillTheirEntriesAndKeepLineBreaks) {
  QJsonObject h = Header(F(42, "first") + F(86, "File %s is missing") + F(91, "Settings") + F(92, "Stop") +
                         F(29, "line one\r\nline two"));
  QJsonArray t = h["Texts"].toArray();
  EXPECT_EQ(t[0].toString(), "first");
  EXPECT_EQ(t[44].toString(), "File %s is missing");
  EXPECT_EQ(t[49].toString(), "Settings");
  EXPECT_EQ(t[50].toString(), "Stop");
  EXPECT_EQ(h["Description"].toString(), "line one\r\nline two");
}

TEST(Header, Windows1252TextBecomesUnicode) {
  QJsonObject h = Header(F(16, "Ren\xE9 M\xFCller") + F(27, "\xA9 2004 \x9Cuvre") + F(26, "\x93v2\x94"));
  EXPECT_EQ(h["AuthorName"].toString(), QString::fromUtf8("René Müller"));
  EXPECT_EQ(h["Copyright"].toString(), QString::fromUtf8("© 2004 œuvre"));
  EXPECT_EQ(h["Version"].toString(), QString::fromUtf8("\u201Cv2\u201D"));
}

TEST(Header, ByteEightyEndsAFieldSoTheEuroSignCannotBeStored) {
  // 0x80, the euro sign of Windows-1252, is the field terminator.
  QJsonObject h = Header(F(27, "5 \x80" "uro") + F(5, "8"));
  EXPECT_EQ(h["Copyright"].toString(), "5 ");
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 8);  // "uro" was read as a field with tag 'u'
}

TEST(Header, TextEndsAtTheFirstNul) {
  QJsonObject h = Header(F(5, "6") + std::string("\0", 1) + F(7, "9"));
  EXPECT_EQ(h["DisplaySeconds"].toInt(), 6);
  EXPECT_EQ(h["MusicPauseTicks"].toInt(), 5);
}
