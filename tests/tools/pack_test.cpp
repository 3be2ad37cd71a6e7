// pack, info, extract and pack again; the manifest's errors; decode.
#include <QDir>
#include <QFile>
#include <QImage>
#include <fstream>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sstream>

#include "container/fields.h"
#include "tests/common/inforun.h"
#include "tests/common/testutil.h"
#include "tests/swf/swfwriter.h"
#include "tools/pack.h"

using namespace sftest;

namespace {

struct CmdRun {
  int code;
  std::string out, err;
};

template <typename Cmd>
CmdRun Call(Cmd cmd, QStringList args) {
  std::ostringstream out, err;
  int code = cmd(args, out, err);
  return {code, out.str(), err.str()};
}

CmdRun Pack(const std::string& manifest, const std::string& output, const char* player = SHOWFORGE_BIN) {
  return Call(sf::CmdPack, {QString::fromStdString(manifest), "-o", QString::fromStdString(output), "--player",
                            player});
}
CmdRun Extract(const std::string& show, const std::string& dir) {
  return Call(sf::CmdExtract, {QString::fromStdString(show), "-d", QString::fromStdString(dir)});
}

std::string Json(const QJsonObject& o) { return QJsonDocument(o).toJson().toStdString(); }

// Packs, extracts and packs again; the two shows must be the same to the byte.
void ExpectRoundTrip(const std::string& manifest) {
  const std::string dir = ScratchDir("roundtrip");
  CmdRun first = Pack(manifest, dir + "/first.scr");
  ASSERT_EQ(first.code, 0) << first.err;
  CmdRun ex = Extract(dir + "/first.scr", dir + "/out");
  ASSERT_EQ(ex.code, 0) << ex.err;
  CmdRun second = Pack(dir + "/out/manifest.json", dir + "/second.scr");
  ASSERT_EQ(second.code, 0) << second.err;
  const std::string a = ReadFile(dir + "/first.scr"), b = ReadFile(dir + "/second.scr");
  EXPECT_EQ(a.size(), b.size());
  EXPECT_TRUE(a == b) << "the shows differ";
}

// A manifest that sets every field of the header and of a slide record, with media files.
QJsonObject EveryField(const std::string& dir) {
  auto file = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    return QString(name);
  };
  QJsonObject header;
  int n = 0;
  for (const sf::THeaderField& f : sf::HeaderFields()) {
    ++n;
    switch (f.kind) {
      case sf::TFieldKind::Bool: header[f.name] = n % 2 == 0; break;
      case sf::TFieldKind::Int: header[f.name] = n * 3 - 7; break;
      case sf::TFieldKind::Text: header[f.name] = QString::fromUtf8("%1 text, caf\u00e9 \u201cquoted\u201d").arg(f.name); break;
      case sf::TFieldKind::List: header[f.name] = QJsonArray{"a.wav", "C:\\Music\\b.mp3"}; break;
      case sf::TFieldKind::SettingText: {
        QJsonObject texts;
        for (int k = 0; k < 51; ++k) texts[QString::number(k)] = QString("text %1").arg(k);
        header[f.name] = texts;
        break;
      }
      default: break;
    }
  }
  QJsonObject slide;
  slide["file"] = file("pic.jpg", std::string(5000, 'J'));
  for (const sf::TSlideField& f : sf::SlideFields()) {
    ++n;
    switch (f.kind) {
      case sf::TFieldKind::Bool: slide[f.name] = n % 2 == 0; break;
      case sf::TFieldKind::Int: slide[f.name] = n * 11 - 300; break;
      case sf::TFieldKind::Text: slide[f.name] = QString(std::min(f.capacity, 40), QChar('a' + n % 26)); break;
      default: break;
    }
  }
  slide["ResourceIndex"] = 0;
  slide["DataSize"] = 5000;
  slide["CaptionFont"] = QJsonObject{{"Name", "Arial"}, {"Height", -30}, {"Color", 255}, {"Charset", 238},
                                     {"Bold", true}, {"Italic", false}, {"Underline", true}, {"StrikeOut", false}};
  slide["TextFont"] = QJsonObject{{"Name", "Courier New"}, {"Height", 14}, {"Color", 65280}, {"Charset", 0},
                                  {"Bold", false}, {"Italic", true}, {"Underline", false}, {"StrikeOut", true}};
  header["MediaEmbedded"] = true;
  header["PlayerMediaEmbedded"] = true;
  QJsonObject second{{"file", file("second.bmp", "BM second")}, {"Caption", "two"}};
  return QJsonObject{{"header", header},
                     {"music", QJsonArray{file("a.wav", "RIFF one"), file("b.mp3", "ID3 two")}},
                     {"dialogPicture", file("face.png", "PNG face")},
                     {"slides", QJsonArray{slide, second}}};
}

}  // namespace

TEST(Pack, DemoShowRoundTripsByteForByte) {
  const std::string manifest = std::string(SHOWFORGE_DEMO_DIR) + "/manifest.json";
  ASSERT_TRUE(QFile::exists(QString::fromStdString(manifest))) << "the demo is built with the tests";
  ExpectRoundTrip(manifest);
  // And it is the show the build made (behind the stripped player the build packs it with).
  const std::string dir = ScratchDir("demo");
  ASSERT_EQ(Pack(manifest, dir + "/Demo.scr", SHOWFORGE_DEMO_DIR "/showforge").code, 0);
  EXPECT_TRUE(ReadFile(dir + "/Demo.scr") == ReadFile(std::string(SHOWFORGE_DEMO_DIR) + "/Demo.scr"));
  auto info = RunInfo(dir + "/Demo.scr");
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_GE(info.json["slides"].toArray().size(), 8);
  EXPECT_EQ(info.json["header"].toObject()["MusicFiles"].toArray().size(), 2);
}

TEST(Pack, ManifestThatSetsEveryFieldRoundTripsAndReadsBack) {
  const std::string dir = ScratchDir("every");
  const QJsonObject m = EveryField(dir);
  std::ofstream(dir + "/manifest.json") << Json(m);
  ExpectRoundTrip(dir + "/manifest.json");

  ASSERT_EQ(Pack(dir + "/manifest.json", dir + "/show.scr").code, 0);
  auto info = RunInfo(dir + "/show.scr");
  ASSERT_EQ(info.code, 0) << info.err;
  // Every header field reads back as the manifest gave it.
  const QJsonObject h = info.json["header"].toObject(), mh = m["header"].toObject();
  for (auto it = mh.begin(); it != mh.end(); ++it) {
    if (it.key() == "Texts") {
      for (int k = 0; k < 51; ++k)
        EXPECT_EQ(h["Texts"].toArray()[k].toString(), it->toObject()[QString::number(k)].toString());
      continue;
    }
    EXPECT_EQ(h[it.key()], *it) << it.key().toStdString();
  }
  const QJsonObject s = info.json["slides"].toArray()[0].toObject(), ms = m["slides"].toArray()[0].toObject();
  for (auto it = ms.begin(); it != ms.end(); ++it) {
    if (it.key() != "file") {
      EXPECT_EQ(s[it.key()], *it) << it.key().toStdString();
    }
  }
  // The media: slides first, the dialog picture's two entries, the music last.
  const std::string show = ReadFile(dir + "/show.scr");
  const QJsonObject t = info.json["table"].toObject();
  const QJsonArray res = t["ResourceOffsets"].toArray(), mus = t["MusicOffsets"].toArray();
  ASSERT_EQ(res.size(), 4);
  ASSERT_EQ(mus.size(), 2);
  EXPECT_EQ(show.substr(size_t(res[1].toInt()), 9), "BM second");
  EXPECT_EQ(show.substr(size_t(res[2].toInt()), size_t(res[3].toInt() - res[2].toInt())), "PNG face");
  EXPECT_EQ(show.substr(size_t(mus[1].toInt()), size_t(t["SlideListStart"].toInt() - mus[1].toInt())), "ID3 two");
  // The second slide got what pack fills in.
  const QJsonObject s2 = info.json["slides"].toArray()[1].toObject();
  EXPECT_EQ(s2["FileName"].toString(), "second.bmp");
  EXPECT_EQ(s2["FormatCode"].toInt(), 1);
  EXPECT_EQ(s2["DataSize"].toInt(), 9);
  EXPECT_EQ(s2["ResourceIndex"].toInt(), 1);
  EXPECT_EQ(s2["EffectSpeed"].toInt(), 25);  // not given: not written, the default holds
  // The output is a program.
  EXPECT_TRUE(QFile::permissions(QString::fromStdString(dir + "/show.scr")) & QFile::ExeOwner);
}

TEST(Pack, ManifestErrorsNameTheFieldAndLeaveNoOutput) {
  const std::string dir = ScratchDir("errors");
  std::ofstream(dir + "/p.jpg") << "JPEG";
  struct Case {
    const char* manifest;
    const char* message;
  } cases[] = {
      {R"({"header": {"Colour": 1}})", "unknown field header.Colour"},
      {R"({"slides": [{"file": "p.jpg", "Captoin": "x"}]})", "unknown field slides[0].Captoin"},
      {R"({"slides": [{"file": "p.jpg", "CaptionFont": {"Size": 3}}]})", "slides[0].CaptionFont: unknown field Size"},
      {R"({"header": {"DisplaySeconds": "5"}})", "header.DisplaySeconds: must be a whole number"},
      {R"({"header": {"DisplaySeconds": 2.5}})", "header.DisplaySeconds: must be a whole number"},
      {R"({"header": {"DisplaySeconds": 3000000000}})", "header.DisplaySeconds: must be a whole number"},
      {R"({"header": {"LoopMusic": 1}})", "header.LoopMusic: must be true or false"},
      {R"({"header": {"AuthorName": 7}})", "header.AuthorName: must be a text"},
      {R"({"header": {"Copyright": "5 \u20ac"}})", "header.Copyright: holds the byte 0x80"},
      {R"({"header": {"Copyright": "\u4e2d"}})", "header.Copyright: has a character that Windows-1252 cannot hold"},
      {R"({"header": {"Texts": {"51": "x"}}})", "header.Texts: unknown entry 51"},
      {R"({"slides": [{"file": "p.jpg", "Caption": "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789X"}]})",
       "slides[0].Caption: is 101 characters long, more than the 100"},
      {R"({"slides": [{"file": "p.jpg", "Text": "a\u007fb"}]})", "slides[0].Text: holds the byte 0x7f"},
      {R"({"slides": [{"file": "missing.jpg"}]})", "slides[0].file: no such file"},
      {R"({"slides": [{"Caption": "no file"}]})", "slides[0]: needs a file"},
      {R"({"music": ["gone.wav"]})", "music[0]: no such file"},
      {R"({"dialogPicture": "gone.png"})", "dialogPicture: no such file"},
      {R"({"extra": 1})", "unknown field extra"},
      {R"({"slides": {}})", "slides: must be a list"},
      {R"([1, 2])", "must hold one JSON object"},
      {R"({"header": )", "not JSON"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir + "/m.json", std::ios::trunc) << c.manifest;
    CmdRun r = Pack(dir + "/m.json", dir + "/out.scr");
    EXPECT_EQ(r.code, 1) << c.manifest;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.manifest << " -> " << r.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/out.scr"))) << c.manifest;
  }
  QStringList left = QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden);
  left.sort();
  EXPECT_EQ(left, (QStringList{"m.json", "p.jpg"}));  // no temporary file left behind either

  // A failed pack leaves an older show in place.
  std::ofstream(dir + "/out.scr") << "previous show";
  std::ofstream(dir + "/m.json", std::ios::trunc) << R"({"music": ["gone.wav"]})";
  EXPECT_EQ(Pack(dir + "/m.json", dir + "/out.scr").code, 1);
  EXPECT_EQ(ReadFile(dir + "/out.scr"), "previous show");
}

TEST(Pack, MediaNotEmbeddedStayOutOfTheShow) {
  const std::string dir = ScratchDir("external");
  std::ofstream(dir + "/p.jpg") << std::string(3000, 'J');
  std::ofstream(dir + "/t.wav") << std::string(2000, 'W');
  std::ofstream(dir + "/m.json") << R"({"header": {"MediaEmbedded": false, "PlayerMediaEmbedded": false},
      "music": ["t.wav"], "slides": [{"file": "p.jpg"}, {"FileName": "beside.gif"}]})";
  ASSERT_EQ(Pack(dir + "/m.json", dir + "/s.scr").code, 0);
  const int64_t player = int64_t(ReadFile(SHOWFORGE_BIN).size());
  EXPECT_LT(int64_t(ReadFile(dir + "/s.scr").size()) - player, 1000);
  auto info = RunInfo(dir + "/s.scr");
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_EQ(info.json["header"].toObject()["MusicFiles"].toArray(), QJsonArray{"t.wav"});
  EXPECT_EQ(info.json["slides"].toArray()[1].toObject()["FileName"].toString(), "beside.gif");
  ExpectRoundTrip(dir + "/m.json");
}

TEST(Decode, WritesPngAndReportsDecoderErrors) {
  const std::string dir = ScratchDir("decode");
  // A 2 x 1 bitmap with an alpha mask (a version 4 header): pixels (10,20,30,128), (200,100,50,255).
  auto le = [](std::string& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(char((v >> (8 * i)) & 0xFF));
  };
  std::string bmp = "BM";
  le(bmp, 14 + 108 + 8, 4);
  le(bmp, 0, 4);
  le(bmp, 14 + 108, 4);
  for (uint32_t v : {108u, 2u, 1u}) le(bmp, v, 4);
  le(bmp, 1, 2);
  le(bmp, 32, 2);
  for (uint32_t v : {3u, 8u, 2835u, 2835u, 0u, 0u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u, 0x73524742u})
    le(bmp, v, 4);
  bmp += std::string(48, '\0');
  bmp += std::string("\x1e\x14\x0a\x80\x32\x64\xc8\xff", 8);
  std::ofstream(dir + "/a.bmp", std::ios::binary) << bmp;
  CmdRun r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/a.bmp"), "-o", QString::fromStdString(dir + "/a.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  QImage back(QString::fromStdString(dir + "/a.png"));
  ASSERT_EQ(back.size(), QSize(2, 1));
  EXPECT_TRUE(back.hasAlphaChannel());
  EXPECT_EQ(back.pixel(1, 0), qRgba(200, 100, 50, 255));
  EXPECT_EQ(qAlpha(back.pixel(0, 0)), 128);  // alpha kept
  EXPECT_EQ(qRed(back.pixel(0, 0)), 10);

  std::ofstream(dir + "/bad.jpg") << "not a jpeg";
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/bad.jpg"), "-o", QString::fromStdString(dir + "/b.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("JPEG error #"), std::string::npos) << r.err;
  // The code decides, not the name.
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/a.bmp"), "--code", "2", "-o", QString::fromStdString(dir + "/c.png")});
  EXPECT_EQ(r.code, 1);
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/a.bmp"), "--code", "0", "-o", QString::fromStdString(dir + "/c.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("has no decoder"), std::string::npos);
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/a.bmp"), "--code", "5", "-o", QString::fromStdString(dir + "/c.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Invalid TIFF image format."), std::string::npos);
  std::ofstream(dir + "/x.unknown") << "x";
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/x.unknown"), "-o", QString::fromStdString(dir + "/d.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/d.png")));
}

TEST(Decode, WritesAFlashMovieFrame) {
  const std::string dir = ScratchDir("decodeswf");
  // A red 10 x 10 box on white that moves 20 pixels right in the second of three frames.
  const std::string movie = sftest::Movie(
      40, 20, 12, 3,
      sftest::Background(0xFFFFFF) + sftest::BoxShape(1, 10, 10, 0xFF0000) + sftest::Place(1, 1, 0, 0) +
          sftest::ShowFrame() + sftest::Move(1, 400, 0) + sftest::ShowFrame() + sftest::ShowFrame(),
      'C');
  std::ofstream(dir + "/m.swf", std::ios::binary) << movie;
  const QString in = QString::fromStdString(dir + "/m.swf"), out = QString::fromStdString(dir + "/m.png");
  CmdRun r = Call(sf::CmdDecode, {in, "--frame", "2", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("frame 2 of 3, 40 x 20"), std::string::npos) << r.out;
  QImage frame(out);
  ASSERT_EQ(frame.size(), QSize(40, 20));
  EXPECT_EQ(frame.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(frame.pixel(25, 5) & 0xFFFFFF, 0xFF0000u);
  // Frame 1 unless told; a frame past the end or below 1 is refused.
  ASSERT_EQ(Call(sf::CmdDecode, {in, "-o", out}).code, 0);
  EXPECT_EQ(QImage(out).pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
  r = Call(sf::CmdDecode, {in, "--frame", "4", "-o", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("has 3 frames"), std::string::npos) << r.err;
  EXPECT_EQ(Call(sf::CmdDecode, {in, "--frame", "0", "-o", out}).code, 2);
  // A stage of 16,000 x 16,000 pixels from a few bytes is not drawn.
  std::ofstream(dir + "/huge.swf", std::ios::binary) << sftest::Movie(16000, 16000, 12, 1, sftest::ShowFrame());
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/huge.swf"), "-o", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("stage of 16000 x 16000 pixels is larger than a movie of"), std::string::npos) << r.err;
  // A damaged movie: the player's reason.
  std::ofstream(dir + "/bad.swf", std::ios::binary) << movie.substr(0, 12);
  r = Call(sf::CmdDecode, {QString::fromStdString(dir + "/bad.swf"), "-o", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("bad.swf: "), std::string::npos) << r.err;
}

TEST(Decode, WritesWhatTheFlashWindowShowsAfterTicks) {
  const std::string dir = ScratchDir("decodeticks");
  // The movie stops in its first frame; its sprite of five frames moves a red box 4 pixels a
  // frame and goes on playing.
  std::string frames;
  for (int i = 0; i < 5; ++i) frames += (i == 0 ? sftest::Place(1, 1, 0, 0) : sftest::Move(1, i * 80, 0)) + sftest::ShowFrame();
  const std::string movie = sftest::Movie(
      20, 4, 12, 2,
      sftest::Background(0xFFFFFF) + sftest::BoxShape(1, 4, 4, 0xFF0000) + sftest::Sprite(2, 5, frames) +
          sftest::Place(1, 2, 0, 0) + sftest::DoAction(sftest::StopAction()) + sftest::ShowFrame() + sftest::ShowFrame());
  std::ofstream(dir + "/m.swf", std::ios::binary) << movie;
  const QString in = QString::fromStdString(dir + "/m.swf"), out = QString::fromStdString(dir + "/m.png");
  CmdRun r = Call(sf::CmdDecode, {in, "--ticks", "5", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("after 5 ticks, frame 1 of 2, 20 x 4"), std::string::npos) << r.out;
  QImage image(out);
  ASSERT_EQ(image.size(), QSize(20, 4));
  EXPECT_EQ(image.pixel(17, 2) & 0xFFFFFF, 0xFF0000u);  // the sprite's fifth frame
  EXPECT_EQ(image.pixel(1, 2) & 0xFFFFFF, 0xFFFFFFu);
  ASSERT_EQ(Call(sf::CmdDecode, {in, "--ticks", "1", "-o", out}).code, 0);
  EXPECT_EQ(QImage(out).pixel(1, 2) & 0xFFFFFF, 0xFF0000u);
  // A count that is no whole number from 1, or both ways of choosing the picture: refused.
  for (const QStringList& bad : {QStringList{in, "--ticks", "0", "-o", out}, QStringList{in, "--ticks", "x", "-o", out},
                                 QStringList{in, "--ticks", "-3", "-o", out},
                                 QStringList{in, "--frame", "1", "--ticks", "2", "-o", out},
                                 QStringList{in, "--ticks", "2", "--frame", "1", "-o", out}}) {
    r = Call(sf::CmdDecode, bad);
    EXPECT_EQ(r.code, 2) << bad.join(' ').toStdString();
    EXPECT_NE(r.err.find("--ticks K"), std::string::npos) << r.err;
  }
}
