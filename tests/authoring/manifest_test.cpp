// The manifest's document: reading, writing byte for byte again, where a bad manifest is wrong,
// and the stored fields of a show as the document takes them.
#include <QDir>
#include <QFile>
#include <fstream>
#include <gtest/gtest.h>

#include "authoring/manifest.h"
#include "authoring/pack.h"
#include "tests/common/testutil.h"

using namespace sftest;
using sf::TFieldSet;
using sf::TShowDocument;

namespace {

TShowDocument Parse(const std::string& json, const QString& folder = "/shows/sunset") {
  TShowDocument doc;
  const sf::TResult r = sf::ParseManifest(QByteArray::fromStdString(json), "m.json", folder, doc);
  EXPECT_TRUE(r.Ok()) << r.error.toStdString();
  return doc;
}

std::string ParseError(const std::string& json) {
  TShowDocument doc;
  const sf::TResult r = sf::ParseManifest(QByteArray::fromStdString(json), "m.json", "/x", doc);
  EXPECT_FALSE(r.Ok()) << json;
  return r.error.toStdString();
}

// Every kind of field, both fonts, the interface texts, music names and paths inside and outside
// the manifest's folder.
const char kRich[] = R"({
  "slides": [
    {"TextFont": {"Italic": true, "Name": "Courier"}, "Caption": "caf\u00e9 \u201cA\u201d", "file": "media/a.jpg",
     "ShowText": false, "CaptionFont": {"Height": -30, "Bold": true, "StrikeOut": true, "Color": 255},
     "EffectList": "20;21;", "ResourceIndex": 4},
    {"FileName": "beside.gif", "EffectSpeed": 50},
    {"file": "../elsewhere/c.png", "CaptionFont": {"Bold": false}}
  ],
  "music": ["tunes/one.wav", "/abs/two.mp3"],
  "dialogPicture": "./face.jpg",
  "header": {"Texts": {"50": "Stop", "7": "seven"}, "MusicFiles": ["x.wav", "y.mp3"], "DisplaySeconds": 7,
             "RandomOrder": false, "Description": "two\r\nlines \u007f", "ProjectName": "Sunset.scr"}
})";

}  // namespace

TEST(Manifest, ReadsEveryKindOfFieldAndWritesTheSameBytesAgain) {
  const TShowDocument doc = Parse(kRich);
  ASSERT_EQ(doc.slides.size(), 3u);
  EXPECT_EQ(doc.slides[0].file, "/shows/sunset/media/a.jpg");
  EXPECT_EQ(doc.slides[2].file, "/shows/elsewhere/c.png");
  EXPECT_EQ(doc.music, (QStringList{"/shows/sunset/tunes/one.wav", "/abs/two.mp3"}));
  EXPECT_EQ(doc.dialogPicture, "/shows/sunset/face.jpg");
  EXPECT_EQ(doc.header.Int(sf::hfDisplaySeconds, 0), 7);
  EXPECT_EQ(doc.header.Text(sf::kFirstSettingTextTag + 50), "Stop");
  const TFieldSet& first = doc.slides[0].fields;
  // The style flags become the style field's digits in order, whatever order the keys came in.
  EXPECT_EQ(first.Text(sf::FontPartTag(sf::pfCaptionFont, sf::TFieldKind::FontStyle)), "14");
  EXPECT_EQ(first.Text(sf::FontPartTag(sf::pfTextFont, sf::TFieldKind::FontStyle)), "2");
  EXPECT_EQ(first.Int(sf::FontPartTag(sf::pfCaptionFont, sf::TFieldKind::FontColor), 0), 255);
  EXPECT_FALSE(first.Has(sf::pfFileName));  // packing fills it in
  // A style given with every flag false is a style field without digits.
  EXPECT_EQ(doc.slides[2].fields.Text(sf::FontPartTag(sf::pfCaptionFont, sf::TFieldKind::FontStyle), "x"), "");

  const QByteArray text = sf::ManifestText(doc, "/shows/sunset");
  TShowDocument again;
  ASSERT_TRUE(sf::ParseManifest(text, "m.json", "/shows/sunset", again).Ok());
  EXPECT_EQ(again, doc);
  EXPECT_EQ(sf::ManifestText(again, "/shows/sunset"), text);
  // Canonical: header first in the table's order (the texts at their tag), paths relative, each
  // font at its first field's place with all four flags when it has a style.
  const std::string s = text.toStdString();
  EXPECT_LT(s.find("\"header\""), s.find("\"music\""));
  EXPECT_LT(s.find("\"MusicFiles\""), s.find("\"DisplaySeconds\""));
  EXPECT_LT(s.find("\"ProjectName\""), s.find("\"Texts\""));
  EXPECT_LT(s.find("\"7\": \"seven\""), s.find("\"50\": \"Stop\""));
  EXPECT_NE(s.find("\"file\": \"../elsewhere/c.png\""), std::string::npos) << s;
  EXPECT_NE(s.find("\"dialogPicture\": \"face.jpg\""), std::string::npos);
  EXPECT_LT(s.find("\"Caption\""), s.find("\"CaptionFont\""));
  EXPECT_LT(s.find("\"CaptionFont\""), s.find("\"ShowText\""));
  EXPECT_LT(s.find("\"ShowText\""), s.find("\"TextFont\""));
  EXPECT_NE(s.find("\"Underline\": false"), std::string::npos);

  // Written for another folder, the same files are named from there.
  const QByteArray moved = sf::ManifestText(doc, "/shows/other/deeper");
  EXPECT_NE(moved.indexOf("\"../../sunset/media/a.jpg\""), -1) << moved.toStdString();
  TShowDocument fromThere;
  ASSERT_TRUE(sf::ParseManifest(moved, "m.json", "/shows/other/deeper", fromThere).Ok());
  EXPECT_EQ(fromThere, doc);

  // A path that names the manifest's own folder, or a file whose name Qt would take for one of
  // its resources, is written so that it reads back.
  const TShowDocument self = Parse(R"({"slides": [{"file": "./"}], "music": ["sub/..", ":tune.wav"]})");
  EXPECT_EQ(self.music[1], "/shows/sunset/:tune.wav");
  const QByteArray selfText = sf::ManifestText(self, "/shows/sunset");
  EXPECT_NE(selfText.indexOf("\"file\": \".\""), -1) << selfText.toStdString();
  TShowDocument selfAgain;
  ASSERT_TRUE(sf::ParseManifest(selfText, "m.json", "/shows/sunset", selfAgain).Ok());
  EXPECT_EQ(selfAgain, self);
}

TEST(Manifest, ANewDocumentWrittenToDiskReadsBackAndAFailedWriteKeepsTheOldFile) {
  const QString dir = QString::fromStdString(ScratchDir("manifest-disk"));
  const TShowDocument doc = Parse(kRich, dir);
  ASSERT_TRUE(sf::WriteManifest(doc, dir + "/m.json").Ok());
  TShowDocument back;
  ASSERT_TRUE(sf::ReadManifest(dir + "/m.json", back).Ok());
  EXPECT_EQ(back, doc);
  // A manifest that cannot be written (its folder is a file) says so.
  const sf::TResult r = sf::WriteManifest(doc, dir + "/m.json/inside.json");
  EXPECT_FALSE(r.Ok());
  EXPECT_NE(r.error.indexOf("cannot write " + dir + "/m.json/inside.json"), -1) << r.error.toStdString();
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"m.json"});
}

TEST(Manifest, JsonThatDoesNotParseSaysTheLineAndColumn) {
  EXPECT_EQ(ParseError("{\n  \"header\": {\n    \"DisplaySeconds\": 5,,\n"),
            "m.json: not JSON at line 3, column 26: unterminated object");
  EXPECT_EQ(ParseError("{\"slides\": [1 2]}"), "m.json: not JSON at line 1, column 16: missing value separator");
  EXPECT_EQ(ParseError(""), "m.json: not JSON at line 1, column 1: illegal value");
  EXPECT_EQ(ParseError("[]"), "m.json: must hold one JSON object");
  // A value whose field cannot hold it stands where it is.
  EXPECT_EQ(ParseError(R"({"slides": [{}, {"CaptionFont": {"Height": "big"}}]})"),
            "slides[1].CaptionFont.Height: must be a whole number from -2147483648 to 2147483647");
  EXPECT_EQ(ParseError(R"({"header": {"MusicFiles": ["a.wav", 3]}})"), "header.MusicFiles[1]: must be a text");
  EXPECT_EQ(ParseError(R"({"header": {"MusicFiles": ["a.wav", "\u20ac.mp3"]}})"),
            "header.MusicFiles[1]: holds the byte 0x80 (the euro sign in Windows-1252), which a project cannot store");
  EXPECT_EQ(ParseError(R"({"music": [""]})"), "music[0]: must be a file path");
  EXPECT_EQ(ParseError(R"({"slides": [{"file": 7}]})"), "slides[0].file: must be a file path");
  EXPECT_EQ(ParseError(R"({"header": {"Texts": {"07": "x"}}})"), "header.Texts: unknown entry 07 (entries are 0 to 50)");
}

TEST(Manifest, TextsAreCheckedAtTheirCapacitiesAndSeparators) {
  // A caption may hold 100 characters, not 101; a slide's text may not hold 0x7F, a header's may.
  std::string caption(100, 'c');
  Parse(R"({"slides": [{"Caption": ")" + caption + R"("}]})");
  EXPECT_EQ(ParseError(R"({"slides": [{"Caption": ")" + caption + R"(c"}]})"),
            "slides[0].Caption: is 101 characters long, more than the 100 it may hold");
  EXPECT_NE(ParseError(R"({"slides": [{"CaptionFont": {"Name": "a\u007fb"}}]})").find("slides[0].CaptionFont.Name: holds the byte 0x7f"),
            std::string::npos);
  EXPECT_EQ(Parse(R"({"header": {"Description": "a\u007fb"}})").header.Text(sf::hfDescription), "a\x7f" "b");
  // A document built in code is checked as a manifest is: a style is its digits once, in order.
  EXPECT_EQ(sf::CheckSlideValue(sf::pfCaptionFont + 4, QString("31")), "must hold each style digit once, in order");
  EXPECT_EQ(sf::CheckSlideValue(sf::pfCaptionFont + 4, QString("5")), "must hold only the style digits 1 to 4");
  EXPECT_EQ(sf::CheckSlideValue(sf::pfCaptionFont + 4, QString("134")), "");
  EXPECT_EQ(sf::CheckSlideValue(sf::pfShowCaption, int32_t(1)), "must be true or false");
  EXPECT_EQ(sf::CheckSlideValue(sf::pfText, QString(4097, 'x')), "");
  EXPECT_NE(sf::CheckSlideValue(sf::pfText, QString(4098, 'x')), "");
  EXPECT_EQ(sf::CheckSlideValue(4, QString()), "is not a slide field");
  EXPECT_EQ(sf::CheckHeaderValue(sf::kFirstSettingTextTag + 50, QString("last text")), "");
  EXPECT_EQ(sf::CheckHeaderValue(sf::hfMediaBesideProgram, QString("x")), "must be true or false");
  EXPECT_EQ(sf::CheckHeaderValue(94, QString("x")), "is not a header field");
}

TEST(Manifest, StoredFieldsAreTakenAsThePlayerReadsThem) {
  auto f = [](uint8_t tag, const std::string& v) { return F(tag, v); };
  // The last occurrence wins, a number that does not convert leaves the one before it, the music
  // names add up, unknown tags pass, a NUL ends the text.
  const TFieldSet h = sf::HeaderFieldsFromStored(f(5, "7") + f(5, " 9") + f(5, "x") + f(1, "a.wav") + f(11, "?") +
                                                 f(4, "1") + f(4, "01") + f(1, "b\x80") + f(30, "late") +
                                                 std::string(1, '\0') + f(30, "after the end"));
  EXPECT_EQ(h.Int(sf::hfDisplaySeconds, 0), 9);
  EXPECT_FALSE(h.Bool(sf::hfRandomOrder, true));
  EXPECT_EQ(std::get<QStringList>(*h.Find(sf::hfMusicFiles)), QStringList({"a.wav", "b"}));
  EXPECT_FALSE(h.Has(11));
  EXPECT_EQ(h.Text(sf::hfProjectName), "late");  // the field after the NUL is not read
  // Texts are cut to their capacities; style digits add up over occurrences, in order; a font's
  // numbers that do not convert are left out.
  const TFieldSet s = sf::SlideFieldsFromStored(f(8, std::string(150, 'c')) + f(13, "4") + f(13, "x1") + f(10, "red") +
                                                f(23, "") + f(2, "C:\\pics\\a.jpg"));
  EXPECT_EQ(s.Text(sf::pfCaption).size(), 100);
  EXPECT_EQ(s.Text(sf::pfCaptionFont + 4), "14");
  EXPECT_FALSE(s.Has(sf::pfCaptionFont + 1));
  EXPECT_EQ(s.Text(sf::pfTextFont + 4, "unset"), "");
  EXPECT_EQ(s.Text(sf::pfFileName), "C:\\pics\\a.jpg");
}

TEST(Manifest, PackRefusesADocumentWhoseValueAFieldCannotTakeAndWritesNothing) {
  const std::string dir = ScratchDir("pack-doc");
  std::ofstream(dir + "/a.jpg") << "JPEG";
  TShowDocument doc;
  doc.slides.push_back({QString::fromStdString(dir + "/a.jpg"), {}});
  doc.slides.push_back({QString::fromStdString(dir + "/a.jpg"), {}});
  doc.slides[1].fields.Set(sf::pfCaption, QString(101, 'x'));
  const QString out = QString::fromStdString(dir + "/show.scr");
  sf::TResult r = sf::Pack(doc, SHOWFORGE_BIN, out);
  EXPECT_EQ(r.error, "slides[1].Caption: is 101 characters long, more than the 100 it may hold");
  doc.slides[1].fields.Set(sf::pfCaption, QString("fine"));
  doc.slides[0].fields.Set(sf::pfTextFont + 2, QString("tall"));
  r = sf::Pack(doc, SHOWFORGE_BIN, out);
  EXPECT_EQ(r.error, "slides[0].TextFont.Height: must be a whole number from -2147483648 to 2147483647");
  doc.slides[0].fields.Remove(sf::pfTextFont + 2);
  doc.header.Set(sf::kFirstSettingTextTag + 3, true);
  EXPECT_EQ(sf::Pack(doc, SHOWFORGE_BIN, out).error, "header.Texts.3: must be a text");
  doc.header = {};
  // Nor may the show take the player's place.
  EXPECT_EQ(sf::Pack(doc, out, out).error, "no player at " + out);
  EXPECT_TRUE(sf::Pack(doc, SHOWFORGE_BIN, out).Ok());
  const QString copy = QString::fromStdString(dir + "/player");
  ASSERT_TRUE(QFile::copy(SHOWFORGE_BIN, copy));
  EXPECT_EQ(sf::Pack(doc, copy, copy).error, "the show would replace its own player " + copy);
  EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 3);
}
