// The effect command: frames, tick counts, the animated preview and the table.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <gtest/gtest.h>
#include <sstream>

#include "tests/common/testutil.h"
#include "tools/effectcmd.h"
#include "transitions/table.h"

using namespace sftest;

namespace {
struct CmdRun {
  int code;
  std::string out, err;
};
CmdRun Effect(QStringList args) {
  std::ostringstream out, err;
  int code = sf::CmdEffect(args, out, err);
  return {code, out.str(), err.str()};
}
}  // namespace

TEST(EffectCommand, WritesOneFramePerTickAndEndsOnTheNewPicture) {
  const QString dir = QString::fromStdString(ScratchDir("frames"));
  CmdRun r = Effect({"--name", "Scan down", "--size", "64x100", "--speed", "50", "-o", dir});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "ticks: 3\n");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files), (QStringList{"0001.png", "0002.png", "0003.png"}));
  const QImage last(dir + "/0003.png"), first(dir + "/0001.png");
  EXPECT_EQ(last.convertToFormat(QImage::Format_RGB32), sf::MakeNewPicture(64, 100));
  const QImage old = sf::MakeOldPicture(64, 100), made = sf::MakeNewPicture(64, 100);
  EXPECT_EQ(first.pixel(10, 20), made.pixel(10, 20));  // the first band is in
  EXPECT_EQ(first.pixel(10, 70), old.pixel(10, 70));   // the rest still shows the old picture
}

TEST(EffectCommand, TakesPicturesAndSeeds) {
  const std::string dir = ScratchDir("pics");
  QImage a(40, 30, QImage::Format_RGB32), b(50, 20, QImage::Format_RGB32);
  a.fill(Qt::red);
  b.fill(Qt::green);
  ASSERT_TRUE(a.save(QString::fromStdString(dir + "/new.bmp")));
  ASSERT_TRUE(b.save(QString::fromStdString(dir + "/old.bmp")));
  CmdRun r = Effect({"--index", "2", "--new", QString::fromStdString(dir + "/new.bmp"), "--old",
                     QString::fromStdString(dir + "/old.bmp"), "--seed", "4", "-o", QString::fromStdString(dir + "/f")});
  ASSERT_EQ(r.code, 0) << r.err;
  const int ticks = std::stoi(r.out.substr(7));
  const QImage last(QString::fromStdString(dir + "/f/") + QString("%1.png").arg(ticks, 4, 10, QChar('0')));
  EXPECT_EQ(last.size(), QSize(40, 30));  // the target has the new picture's size
  EXPECT_EQ(last.pixel(39, 29), QColor(Qt::red).rgb());
  CmdRun again = Effect({"--index", "2", "--new", QString::fromStdString(dir + "/new.bmp"), "--old",
                         QString::fromStdString(dir + "/old.bmp"), "--seed", "4", "-o", QString::fromStdString(dir + "/g")});
  EXPECT_EQ(again.out, r.out);
  CmdRun none = Effect({"--index", "-1", "-o", QString::fromStdString(dir + "/h")});
  EXPECT_EQ(none.code, 0);
  EXPECT_EQ(none.out, "ticks: 1\n");
  EXPECT_EQ(Effect({"--index", "161", "-o", "x"}).code, 2);
  EXPECT_EQ(Effect({"--name", "Scan to center(Vertical)", "-o", "x"}).code, 1);  // the name has a trailing blank
  EXPECT_EQ(Effect({"--index", "1", "--size", "0x5", "-o", "x"}).code, 2);
  EXPECT_EQ(Effect({"--index", "1", "--new", QString::fromStdString(dir + "/missing.bmp"), "-o", "x"}).code, 1);
}

TEST(EffectCommand, AnimatedPreviewIsAGifOtherReadersPlay) {
  const std::string gif = ScratchDir("gif") + "/fx.gif";
  CmdRun r = Effect({"--name", "Band from center large", "--size", "120x80", "--speed", "30", "-o",
                     QString::fromStdString(gif)});
  ASSERT_EQ(r.code, 0) << r.err;
  const int ticks = std::stoi(r.out.substr(7));
  QProcess p;
  p.start("convert", {QString::fromStdString(gif), "-coalesce", "-format", "%w %h\\n", "info:"});
  if (!p.waitForFinished(20000) || p.exitCode() != 0) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const QStringList frames = QString(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(frames.size(), ticks + 1);  // the old picture, then one frame a tick
  for (const QString& f : frames) EXPECT_EQ(f, "120 80");
  // The last frame, put together from the frames' changed parts, is the new picture (within the
  // preview's palette of 6 x 7 x 6 levels).
  p.start("convert", {QString::fromStdString(gif), "-coalesce", "-delete", "0--2", "-depth", "8", "rgb:-"});
  ASSERT_TRUE(p.waitForFinished(20000));
  const QByteArray raw = p.readAllStandardOutput();
  ASSERT_EQ(raw.size(), 120 * 80 * 3);
  const QImage want = sf::MakeNewPicture(120, 80);
  int far = 0;
  for (int i = 0; i < 120 * 80; ++i) {
    const QRgb w = want.pixel(i % 120, i / 120);
    const auto* g = reinterpret_cast<const uint8_t*>(raw.constData()) + i * 3;
    far += std::abs(qRed(w) - g[0]) > 26 || std::abs(qGreen(w) - g[1]) > 22 || std::abs(qBlue(w) - g[2]) > 26;
  }
  EXPECT_EQ(far, 0);
}

TEST(EffectCommand, ListShowsTheWholeTable) {
  CmdRun r = Effect({"--list"});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 161);
  EXPECT_NE(r.out.find("108  \"Scan to center(Vertical) \""), std::string::npos);
  auto line = [&](const std::string& start) {
    const size_t at = r.out.find(start);
    return at == std::string::npos ? std::string() : r.out.substr(at, r.out.find('\n', at) - at);
  };
  const std::string sweep = line("129  \"Sweep down\""), band = line("  0  \"Band down large\"");
  EXPECT_NE(sweep.find(" 50 ms"), std::string::npos) << sweep;
  EXPECT_NE(sweep.find("fixed-pace"), std::string::npos) << sweep;
  EXPECT_TRUE(sweep.ends_with(" built")) << sweep;
  EXPECT_EQ(r.out.find("not built"), std::string::npos);
  EXPECT_NE(band.find(" 10 ms"), std::string::npos) << band;
  EXPECT_TRUE(band.ends_with(" built")) << band;
}

TEST(EffectCommand, GalleryShowsEveryEffectAnimatedAndGroupedByFamily) {
  const QString dir = QString::fromStdString(ScratchDir("gallery"));
  CmdRun r = Effect({"--gallery", dir});
  ASSERT_EQ(r.code, 0) << r.err;
  QFile page(dir + "/index.html");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(page.readAll());
  // Every effect once, by its number and name, its preview beside it; eleven family sections.
  EXPECT_EQ(html.count("<figure>"), 161);
  EXPECT_EQ(html.count("<section>"), 11);
  for (int i = 0; i < sf::kEffectCount; ++i) {
    const QString name = QString::fromLatin1(sf::EffectTable()[size_t(i)].name).toHtmlEscaped();
    const QString file = QString("effect-%1.gif").arg(i, 3, 10, QChar('0'));
    EXPECT_TRUE(html.contains(QString("src=\"%1\" alt=\"%2\"").arg(file, name))) << i;
    EXPECT_TRUE(html.contains(QString("<span class=\"n\">%1</span> %2 ").arg(i).arg(name))) << i;
    // Every preview animates: the old picture, the effect's stages, the new picture.
    QImageReader gif(dir + "/" + file);
    ASSERT_TRUE(gif.canRead()) << file.toStdString();
    EXPECT_GE(gif.imageCount(), 3) << file.toStdString();
    EXPECT_LE(gif.imageCount(), 122) << file.toStdString();  // long effects are shortened
    EXPECT_EQ(gif.size(), QSize(160, 120));
  }
  // The family headings come in the page's order, each effect under its own.
  EXPECT_LT(html.indexOf("Scan, shutter"), html.indexOf("effect-104.gif"));
  EXPECT_LT(html.indexOf("effect-104.gif"), html.indexOf("Growing rectangles"));
  EXPECT_GT(html.indexOf("effect-160.gif"), html.indexOf("Zig-zag, lines"));
  EXPECT_LT(html.indexOf("effect-160.gif"), html.indexOf("Ragged band"));
}
