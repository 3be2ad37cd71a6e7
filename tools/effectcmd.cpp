#include "tools/effectcmd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "container/picture.h"
#include "imaging/graphic.h"
#include "platform/random.h"
#include "tools/gif.h"
#include "transitions/engine.h"

namespace sf {

QImage MakeOldPicture(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(20, 40, 90));
  QPainter p(&img);
  p.setPen(QPen(QColor(60, 110, 170), 6));
  for (int x = -h; x < w; x += 24) p.drawLine(x, h, x + h, 0);
  return img;
}

QImage MakeNewPicture(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient g(0, 0, w, h);
  g.setColorAt(0, QColor(250, 200, 60));
  g.setColorAt(1, QColor(200, 40, 40));
  p.fillRect(img.rect(), g);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawEllipse(QPoint(w / 2, h / 2), std::max(1, std::min(w, h) / 4), std::max(1, std::min(w, h) / 4));
  p.setBrush(QColor(30, 30, 30));
  for (int y = 0; y < h; y += 40)
    for (int x = (y / 40) % 2 * 40; x < w; x += 80) p.drawRect(x, y, 12, 12);
  return img;
}

namespace {

const char kUsage[] =
    "usage: showforge-tool effect (--index N | --name NAME) [--size WxH] [--speed S] [--seed K]\n"
    "                             [--old PIC] [--new PIC] -o OUT(folder or .gif)\n"
    "       showforge-tool effect --list\n"
    "       showforge-tool effect --gallery DIR [--speed S] [--seed K]\n";

QString HtmlText(const QString& s) { return s.toHtmlEscaped(); }

// The gallery: an animated preview of every effect and a page that shows them all, so that an
// author can choose effects by looking.
int WriteGallery(const QString& dir, int32_t speed, uint32_t seed, std::ostream& out, std::ostream& err) {
  constexpr int kW = 160, kH = 120;
  // Browsers show a frame for at least 2 hundredths of a second; a long effect shows every
  // k-th tick so that its preview keeps to about kMaxFrames frames.
  constexpr int kMaxFrames = 120, kMinDelayCs = 2;
  if (!QDir().mkpath(dir)) {
    err << "showforge-tool: cannot write " << dir.toStdString() << "\n";
    return 1;
  }
  const QImage newPicture = MakeNewPicture(kW, kH), oldPicture = MakeOldPicture(kW, kH);
  for (int32_t index = 0; index < kEffectCount; ++index) {
    // A dry run tells the number of ticks.
    QImage target = oldPicture.copy();
    TCanvas canvas(target);
    TRandom random(seed);
    TTransitionEngine engine(random);
    const int32_t interval = engine.Start(index, canvas, newPicture, oldPicture, 0, 0, speed);
    int ticks = 1;
    while (!engine.Step()) ++ticks;
    const int group = (ticks + kMaxFrames - 1) / kMaxFrames;
    const int delay = std::max(kMinDelayCs, (group * interval + 5) / 10);

    target = oldPicture.copy();
    random.Seed(seed);
    engine.Start(index, canvas, newPicture, oldPicture, 0, 0, speed);
    canvas.TakeDirty();
    TGifWriter writer;
    const QString file = QDir(dir).filePath(QString("effect-%1.gif").arg(index, 3, 10, QChar('0')));
    bool ok = writer.Open(file, kW, kH) && writer.AddFrame(target, QRect(), 60);  // the old picture a moment
    bool done = false;
    for (int tick = 1; ok && !done; ++tick) {
      done = engine.Step();
      if (tick % group != 0 && !done) continue;
      const QRect dirty = canvas.TakeDirty();
      ok = writer.AddFrame(target, dirty, done ? 150 : delay);  // the whole new picture holds a while
    }
    if (!writer.Close() || !ok) {
      err << "showforge-tool: cannot write " << file.toStdString() << "\n";
      return 1;
    }
  }
  QString html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>ShowForge: the 161 transition effects</title>\n<style>\n"
      "body { font-family: sans-serif; margin: 1.5em; background: #f4f4f0; color: #222; }\n"
      "h1 { font-size: 1.5em; } h2 { font-size: 1.15em; margin-top: 1.6em; border-bottom: 1px solid #bbb; }\n"
      ".grid { display: flex; flex-wrap: wrap; gap: 14px; }\n"
      "figure { margin: 0; width: 160px; }\n"
      "img { display: block; width: 160px; height: 120px; border: 1px solid #888; }\n"
      "figcaption { font-size: 12px; line-height: 1.3; margin-top: 3px; }\n"
      "figcaption .n { font-weight: bold; } figcaption .t { color: #777; }\n"
      "</style>\n</head>\n<body>\n<h1>The 161 transition effects</h1>\n";
  html += QString("<p>Each preview runs its effect at speed %1 on a picture of 160 &times; 120 pixels, "
                  "tick by tick at the effect's own tick (at least two hundredths of a second a frame, "
                  "as browsers show them). The number is the one a show's effect list and the settings "
                  "use.</p>\n")
              .arg(speed);
  for (const TEffectFamily& f : EffectFamilies()) {
    html += QString("<section>\n<h2>%1</h2>\n<div class=\"grid\">\n").arg(HtmlText(f.title));
    for (int32_t index = 0; index < kEffectCount; ++index) {
      const TEffectInfo& e = EffectTable()[size_t(index)];
      if (std::string_view(e.family) != f.family) continue;
      const QString name = HtmlText(QString::fromLatin1(e.name));
      html += QString("<figure><img src=\"effect-%1.gif\" alt=\"%2\"><figcaption><span class=\"n\">%3</span> %2 "
                      "<span class=\"t\">(%4 ms)</span></figcaption></figure>\n")
                  .arg(index, 3, 10, QChar('0'))
                  .arg(name)
                  .arg(index)
                  .arg(e.interval);
    }
    html += "</div>\n</section>\n";
  }
  html += "</body>\n</html>\n";
  QFile page(QDir(dir).filePath("index.html"));
  if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) || page.write(html.toUtf8()) < 0) {
    err << "showforge-tool: cannot write " << page.fileName().toStdString() << "\n";
    return 1;
  }
  out << "gallery: " << kEffectCount << " effects in " << QDir(dir).filePath("index.html").toStdString() << "\n";
  return 0;
}

bool LoadDevicePicture(const QString& path, QImage& image, std::ostream& err) {
  try {
    if (!LoadPictureFile(path, image) || image.isNull()) {
      err << "showforge-tool: cannot decode " << path.toStdString() << "\n";
      return false;
    }
  } catch (const EInvalidGraphic& e) {
    err << "showforge-tool: " << path.toStdString() << ": " << e.what() << "\n";
    return false;
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  return true;
}

}  // namespace

int CmdEffect(const QStringList& args, std::ostream& out, std::ostream& err) {
  int32_t index = -2, speed = 25, w = 320, h = 240;
  uint32_t seed = 1;
  QString output, oldPath, newPath, gallery;
  bool list = false, speedGiven = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    bool ok = true;
    if (a == "--list") list = true;
    else if (a == "--gallery" && hasValue) gallery = args[++i];
    else if (a == "--index" && hasValue) index = args[++i].toInt(&ok);
    else if (a == "--name" && hasValue) {
      index = EffectIndex(args[++i].toLatin1().constData());
      if (index < 0) {
        err << "showforge-tool: no effect is named \"" << args[i].toStdString() << "\"\n";
        return 1;
      }
    } else if (a == "--size" && hasValue) {
      const QStringList wh = args[++i].split('x');
      ok = wh.size() == 2;
      if (ok) w = wh[0].toInt(&ok);
      if (ok) h = wh[1].toInt(&ok);
      ok = ok && w > 0 && h > 0 && int64_t(w) * h <= kMaxPicturePixels;
    } else if (a == "--speed" && hasValue) {
      speed = args[++i].toInt(&ok);
      speedGiven = true;
    }
    else if (a == "--seed" && hasValue) seed = args[++i].toUInt(&ok);
    else if (a == "--old" && hasValue) oldPath = args[++i];
    else if (a == "--new" && hasValue) newPath = args[++i];
    else if (a == "-o" && hasValue) output = args[++i];
    else ok = false;
    if (!ok) {
      err << "showforge-tool: bad option " << a.toStdString() << "\n" << kUsage;
      return 2;
    }
  }
  // The previews are small: at speed 4 an effect crosses their 160 pixels in about as many ticks
  // as it crosses a screen 1,000 pixels wide at the default speed 25.
  if (!gallery.isEmpty()) return WriteGallery(gallery, speedGiven ? std::clamp(speed, 1, 50) : 4, seed, out, err);
  if (list) {
    int32_t i = 0;
    for (const TEffectInfo& e : EffectTable()) {
      char line[160];
      std::snprintf(line, sizeof line, "%3d  %-36s %3d ms  %-10s %s\n", i++, ("\"" + std::string(e.name) + "\"").c_str(),
                    e.interval, e.family, e.Built() ? "built" : "not built yet");
      out << line;
    }
    return 0;
  }
  if (index < -1 || index >= kEffectCount || output.isEmpty()) {
    err << (index < -1 || index >= kEffectCount ? "showforge-tool: give an effect index from -1 to 160 or a name\n" : "")
        << kUsage;
    return 2;
  }

  QImage newPicture, oldPicture;
  if (!newPath.isEmpty() && !LoadDevicePicture(newPath, newPicture, err)) return 1;
  if (newPath.isEmpty()) newPicture = MakeNewPicture(w, h);
  // The old picture fills a bitmap of the new one's size: the engine's old bitmap, and the
  // target's first content.
  QImage given;
  if (!oldPath.isEmpty() && !LoadDevicePicture(oldPath, given, err)) return 1;
  if (oldPath.isEmpty()) given = MakeOldPicture(newPicture.width(), newPicture.height());
  oldPicture = QImage(newPicture.size(), QImage::Format_RGB32);
  oldPicture.fill(Qt::black);
  TCanvas(oldPicture).Draw(0, 0, given);
  QImage target = oldPicture.copy();
  TCanvas canvas(target);

  const bool gif = output.endsWith(".gif", Qt::CaseInsensitive);
  TGifWriter writer;
  if (gif ? !writer.Open(output, target.width(), target.height()) : !QDir().mkpath(output)) {
    err << "showforge-tool: cannot write " << output.toStdString() << "\n";
    return 1;
  }
  TRandom random(seed);
  TTransitionEngine engine(random);
  const int32_t interval = engine.Start(index, canvas, newPicture, oldPicture, 0, 0, speed);
  const int delay = std::max(2, interval / 10);
  if (gif) writer.AddFrame(target, QRect(), 50);
  canvas.TakeDirty();
  constexpr int kMaxTicks = 1000000;  // every effect ends long before; a guard against a hang
  int ticks = 0;
  bool done = false;
  while (!done && ticks < kMaxTicks) {
    done = engine.Step();
    ++ticks;
    const QRect dirty = canvas.TakeDirty();
    const bool ok = gif ? writer.AddFrame(target, dirty, done ? 100 : delay)
                        : target.save(QDir(output).filePath(QString("%1.png").arg(ticks, 4, 10, QChar('0'))), "PNG");
    if (!ok) {
      err << "showforge-tool: cannot write " << output.toStdString() << "\n";
      return 1;
    }
  }
  if (gif && !writer.Close()) {
    err << "showforge-tool: cannot write " << output.toStdString() << "\n";
    return 1;
  }
  if (!done) {
    err << "showforge-tool: the effect did not end in " << kMaxTicks << " ticks\n";
    return 1;
  }
  out << "ticks: " << ticks << "\n";
  return 0;
}

}  // namespace sf
