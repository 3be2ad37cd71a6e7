// Renders the demo show's pictures and synthesises its two tunes.
//
//   make_demo_media OUTDIR
//
// Everything is drawn from code: gradients, shapes and text for the pictures, sine tones with
// an envelope for the music (16-bit mono WAV), and a title movie written tag by tag (text in
// fonts embedded from DejaVu's outlines under a drop shadow, a shape tween, a glowing button, a
// chime), so that the demo carries nothing we did not make.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <random>

#include "tests/swf/swftags.h"

namespace {

constexpr int W = 640, H = 480;
QString g_out;

bool Save(const QImage& image, const char* name, const char* format, int quality = 90) {
  const QString path = g_out + "/" + name;
  if (!image.save(path, format, quality)) {
    std::fprintf(stderr, "make_demo_media: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

QImage Canvas(int w = W, int h = H) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

QImage Harbour() {
  QImage img = Canvas();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, H * 0.6);
  sky.setColorAt(0, QColor(40, 30, 90));
  sky.setColorAt(1, QColor(250, 140, 60));
  p.fillRect(0, 0, W, int(H * 0.6), sky);
  p.setBrush(QColor(255, 210, 120));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(W * 0.7, H * 0.55), 50, 50);
  QLinearGradient sea(0, H * 0.6, 0, H);
  sea.setColorAt(0, QColor(30, 60, 110));
  sea.setColorAt(1, QColor(5, 15, 40));
  p.fillRect(0, int(H * 0.6), W, H - int(H * 0.6), sea);
  for (int i = 0; i < 12; ++i) {  // the sun's glitter on the water
    p.setBrush(QColor(255, 200, 120, 160 - i * 10));
    p.drawRect(QRectF(W * 0.7 - 40 + i * 3, H * 0.62 + i * 14, 80 - i * 6, 3));
  }
  p.setBrush(QColor(20, 20, 30));  // boats and a pier
  p.drawRect(QRectF(0, H * 0.58, W * 0.35, 10));
  for (int i = 0; i < 5; ++i) p.drawRect(QRectF(20 + i * 45, H * 0.58, 6, 40));
  QPainterPath hull;
  hull.moveTo(300, 330);
  hull.lineTo(400, 330);
  hull.lineTo(385, 350);
  hull.lineTo(315, 350);
  hull.closeSubpath();
  p.drawPath(hull);
  p.drawRect(QRectF(348, 250, 4, 80));
  QPainterPath sail;
  sail.moveTo(352, 255);
  sail.lineTo(395, 325);
  sail.lineTo(352, 325);
  sail.closeSubpath();
  p.setBrush(QColor(230, 225, 210));
  p.drawPath(sail);
  return img;
}

QImage Hills() {
  QImage img = Canvas();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, H);
  sky.setColorAt(0, QColor(120, 180, 240));
  sky.setColorAt(1, QColor(220, 240, 255));
  p.fillRect(img.rect(), sky);
  const QColor greens[] = {QColor(70, 140, 60), QColor(50, 115, 45), QColor(30, 90, 35)};
  for (int layer = 0; layer < 3; ++layer) {
    QPainterPath hill;
    hill.moveTo(0, H);
    for (int x = 0; x <= W; x += 8)
      hill.lineTo(x, H * (0.45 + 0.12 * layer) + 40 * std::sin(x / (90.0 + 30 * layer) + layer * 1.7));
    hill.lineTo(W, H);
    hill.closeSubpath();
    p.fillPath(hill, greens[layer]);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 220));
  for (int i = 0; i < 3; ++i) {  // clouds
    const double cx = 120 + i * 190, cy = 70 + (i % 2) * 30;
    for (int k = 0; k < 4; ++k) p.drawEllipse(QPointF(cx + k * 28 - 40, cy + (k % 2) * 8), 30, 20);
  }
  return img;
}

QImage Tiles() {
  QImage img = Canvas(480, 360);
  QPainter p(&img);
  for (int y = 0; y < 360; y += 40)
    for (int x = 0; x < 480; x += 40) {
      const bool dark = ((x + y) / 40) % 2;
      p.fillRect(x, y, 40, 40, dark ? QColor(180, 60, 40) : QColor(240, 220, 170));
      p.fillRect(x + 16, y + 16, 8, 8, dark ? QColor(240, 220, 170) : QColor(40, 90, 160));
    }
  return img;
}

QImage Stars() {
  QImage img = Canvas();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(W * 0.3, H * 0.3, W * 0.8);
  glow.setColorAt(0, QColor(30, 30, 80));
  glow.setColorAt(1, QColor(2, 2, 12));
  p.fillRect(img.rect(), glow);
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> ux(0, W), uy(0, H), us(0.5, 2.2);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 400; ++i) {
    const int b = 150 + int(rng() % 105);
    p.setBrush(QColor(b, b, 255));
    p.drawEllipse(QPointF(ux(rng), uy(rng)), us(rng) * 0.6, us(rng) * 0.6);
  }
  p.setBrush(QColor(240, 240, 210));  // a crescent moon
  p.drawEllipse(QPointF(500, 110), 45, 45);
  p.setBrush(QColor(12, 12, 40));
  p.drawEllipse(QPointF(520, 95), 42, 42);
  return img;
}

QImage Rings() {
  // An 8-bit picture with its own palette of 256 colours.
  QImage img(400, 400, QImage::Format_Indexed8);
  QList<QRgb> palette;
  for (int i = 0; i < 256; ++i) palette << qRgb(i, (i * 3) % 256, 255 - i);
  img.setColorTable(palette);
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      const double d = std::hypot(x - 200.0, y - 200.0);
      img.setPixel(x, y, uint(int(d * 2.2) % 256));
    }
  return img;
}

QImage Waves() {
  QImage img = Canvas();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(img.rect(), QColor(10, 40, 80));
  for (int band = 0; band < 14; ++band) {
    QPainterPath wave;
    const double base = 40 + band * 32;
    wave.moveTo(0, H);
    for (int x = 0; x <= W; x += 6) wave.lineTo(x, base + 18 * std::sin(x / 45.0 + band * 0.8));
    wave.lineTo(W, H);
    wave.closeSubpath();
    p.fillPath(wave, QColor(20 + band * 8, 80 + band * 10, 140 + band * 7, 90));
  }
  return img;
}

QImage Mosaic() {
  QImage img = Canvas();
  QPainter p(&img);
  std::mt19937 rng(7);
  for (int y = 0; y < H; y += 32)
    for (int x = 0; x < W; x += 32) {
      const int hue = int((x + y) * 360 / (W + H) + rng() % 40) % 360;
      p.fillRect(x + 1, y + 1, 30, 30, QColor::fromHsv(hue, 150 + int(rng() % 100), 200));
    }
  return img;
}

QImage Lamp() {
  // The magenta of the top-left pixel is the transparent colour of the slide.
  QImage img = Canvas(320, 400);
  img.fill(QColor(255, 0, 255));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 60));
  p.drawRect(150, 120, 20, 240);
  p.drawRect(90, 350, 140, 30);
  QPainterPath shade;
  shade.moveTo(100, 130);
  shade.lineTo(220, 130);
  shade.lineTo(185, 40);
  shade.lineTo(135, 40);
  shade.closeSubpath();
  p.fillPath(shade, QColor(240, 200, 80));
  p.setBrush(QColor(255, 250, 200));
  p.drawEllipse(QPoint(160, 140), 18, 12);
  return img;
}

QImage Paper() {
  QImage img = Canvas(64, 64);
  std::mt19937 rng(3);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int v = 215 + int(rng() % 25) - ((x % 16 == 0 || y % 16 == 0) ? 30 : 0);
      img.setPixel(x, y, qRgb(v, v - 8, v - 25));
    }
  return img;
}

QImage Dialog() {
  QImage img = Canvas(160, 320);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 320);
  g.setColorAt(0, QColor(20, 40, 100));
  g.setColorAt(1, QColor(200, 90, 40));
  p.fillRect(img.rect(), g);
  p.setPen(QColor(255, 255, 255));
  QFont f("DejaVu Sans", 16, QFont::Bold);
  p.setFont(f);
  p.drawText(QRect(0, 120, 160, 40), Qt::AlignCenter, "ShowForge");
  f.setPointSize(9);
  f.setBold(false);
  p.setFont(f);
  p.drawText(QRect(0, 160, 160, 30), Qt::AlignCenter, "demo show");
  return img;
}

// A tune: notes (MIDI numbers, 0 a rest) of equal length, each a sine with two overtones and
// an attack-decay envelope, as 22,050 Hz 16-bit mono PCM.
bool Tune(const char* name, const std::vector<int>& notes, double noteSeconds) {
  constexpr int kRate = 22050;
  const int perNote = int(noteSeconds * kRate);
  std::vector<int16_t> samples;
  samples.reserve(notes.size() * size_t(perNote));
  for (int note : notes) {
    const double f = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    for (int i = 0; i < perNote; ++i) {
      const double t = double(i) / kRate;
      const double env = note == 0 ? 0 : std::min(1.0, t / 0.01) * std::exp(-3.0 * t / noteSeconds);
      const double v = std::sin(2 * M_PI * f * t) + 0.3 * std::sin(4 * M_PI * f * t) + 0.1 * std::sin(6 * M_PI * f * t);
      samples.push_back(int16_t(std::lround(9000 * env * v)));
    }
  }
  QByteArray wav;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF)); };
  auto u16 = [&](uint16_t v) { wav.append(char(v & 0xFF)); wav.append(char(v >> 8)); };
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  wav.append("RIFF");
  u32(36 + dataBytes);
  wav.append("WAVEfmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(kRate);
  u32(kRate * 2);
  u16(2);
  u16(16);
  wav.append("data");
  u32(dataBytes);
  for (int16_t s : samples) u16(uint16_t(s));
  QFile out(g_out + "/" + name);
  if (!out.open(QIODevice::WriteOnly) || out.write(wav) != wav.size()) {
    std::fprintf(stderr, "make_demo_media: cannot write %s\n", name);
    return false;
  }
  return true;
}

// A title movie of 800 x 450 at 24 frames a second, four seconds long: "ShowForge" in DejaVu
// Serif's outlines under a drop shadow, a line of text with a coloured run, a square that tweens
// into a bar and back, a button with its up, over and down states under a glow, and a chime when
// it starts.
bool TitleMovie(const char* name) {
  using namespace sftest;
  constexpr int kW = 800, kH = 450, kFrames = 96;
  const std::string title = "<p align=\"center\"><font color=\"#FFD866\">ShowForge</font></p>";
  const std::string line =
      "<p align=\"center\">Flash slides with <font color=\"#7FDBFF\">text</font>, tweens, filters and buttons</p>";
  const std::string label = "<p align=\"center\">Press me</p>";
  std::string t = Background(0x14233A);
  t += DefineFont2(1, "DejaVu Serif", SystemGlyphs("DejaVu Serif", "ShowFrge", true), true, 760 * 20, 240 * 20, 0, true);
  t += DefineFont2(2, "DejaVu Sans", SystemGlyphs("DejaVu Sans", "Flash slides with text, tweens, filters and buttonsPrm", true),
                   true, 760 * 20, 240 * 20, 0, true);
  auto field = [](int id, int font, int pixels, int width, int height, uint32_t argb, const std::string& html) {
    TEditText e;
    e.x1 = width * 20, e.y1 = height * 20;
    e.fontId = font, e.height = pixels * 20, e.argb = argb;
    e.multiline = e.html = e.outlines = true;
    e.text = html;
    return DefineEditText(id, e);
  };
  t += field(10, 1, 96, kW, 130, 0xFFFFFFFF, title) + field(11, 2, 26, kW, 40, 0xFFE8EEF4, line);
  // The title under a soft black shadow, down and to the right.
  t += Place3(1, 10, 0, 50 * 20, 0, FilterList({ShadowFilter(false, 0xC0000000, 8, 8, M_PI / 4, 6, 1, false, false, true, 3)}));
  t += Place(2, 11, 0, 185 * 20);
  // The tween, in the stage's own twips: a red square of 60 pixels becomes a golden bar of 360.
  TShapeRecords from(1, 0), to(0, 0);
  from.Box(370 * 20, 240 * 20, 60 * 20, 60 * 20, 0, 1, -1);
  to.Style(-1, -1, -1, true, 220 * 20, 250 * 20).Line(360 * 20, 0).Line(0, 40 * 20).Line(-360 * 20, 0).Line(0, -40 * 20);
  t += DefineMorphShape(20, kW * 20, kH * 20, {MorphSolid(0xFFE8453C, 0xFFFFC233)}, {}, 1, 0, from.End(), to.End());
  // The button: a box of 200 x 44 pixels in three blues, its label over every state.
  auto box = [](int id, uint32_t rgb) {
    return DefineShape(3, id, 200 * 20, 44 * 20, Styles({SolidFill(rgb, 255)}, {}), 1, 0,
                       TShapeRecords(1, 0).Box(0, 0, 200 * 20, 44 * 20, 0, 1, -1).End());
  };
  t += box(30, 0x2E86DE) + box(31, 0x54A0FF) + box(32, 0x1B4F8C) + field(33, 2, 22, 200, 44, 0xFFFFFFFF, label);
  t += DefineButton2(34, {{1 | 8, 30, 1}, {2, 31, 1}, {4, 32, 1}, {1 | 2 | 4, 33, 2, 0, 9 * 20}},
                     {{0x0008, PlayAction()}});
  t += Place3(4, 34, 300 * 20, 360 * 20, 0, FilterList({ShadowFilter(true, 0xFF7FDBFF, 12, 12, 0, 0, 1.5, false, false, true, 2)}));
  // A chime as the movie starts: two notes, 22,050 samples a second in ADPCM.
  std::vector<int16_t> chime(22050 * 6 / 10);
  for (size_t i = 0; i < chime.size(); ++i) {
    const double s = double(i) / 22050, f = s < 0.3 ? 880 : 1318.5, since = s < 0.3 ? s : s - 0.3;
    chime[i] = int16_t(std::lround(7000 * std::exp(-6 * since) * std::sin(2 * M_PI * f * s)));
  }
  t += DefineSound(40, 1, 2, true, false, uint32_t(chime.size()), Adpcm4(chime)) + StartSound(40);
  for (int f = 0; f < kFrames; ++f) {
    const double phase = f < kFrames / 2 ? f / double(kFrames / 2 - 1) : (kFrames - 1 - f) / double(kFrames / 2 - 1);
    const int ratio = int(std::lround(65535 * (0.5 - 0.5 * std::cos(M_PI * phase))));
    t += PlaceRatio(3, 20, ratio, f > 0) + ShowFrame();
  }
  const std::string movie = Movie(kW, kH, 24, kFrames, t, 'C');
  QFile out(g_out + "/" + name);
  if (!out.open(QIODevice::WriteOnly) || out.write(movie.data(), qint64(movie.size())) != qint64(movie.size())) {
    std::fprintf(stderr, "make_demo_media: cannot write %s\n", name);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_media OUTDIR\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  g_out = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(g_out)) {
    std::fprintf(stderr, "make_demo_media: cannot make %s\n", argv[1]);
    return 1;
  }
  bool ok = Save(Harbour(), "harbour.jpg", "JPEG") && Save(Hills(), "hills.jpg", "JPEG") &&
            Save(Tiles(), "tiles.bmp", "BMP") && Save(Stars(), "stars.jpg", "JPEG") &&
            Save(Rings(), "rings.bmp", "BMP") && Save(Waves(), "waves.jpg", "JPEG") &&
            Save(Mosaic(), "mosaic.jpg", "JPEG") && Save(Lamp(), "lamp.bmp", "BMP") &&
            Save(Paper(), "paper.bmp", "BMP") && Save(Dialog(), "dialog.jpg", "JPEG");
  // A morning tune in C major and an evening one in A minor.
  ok = ok && Tune("morning.wav", {60, 64, 67, 72, 67, 64, 62, 65, 69, 74, 69, 65, 64, 67, 72, 76, 72, 67, 60, 0}, 0.35);
  ok = ok && TitleMovie("title.swf");
  ok = ok && Tune("evening.wav", {57, 60, 64, 69, 64, 60, 55, 59, 62, 67, 62, 59, 53, 57, 60, 65, 64, 0}, 0.45);
  return ok ? 0 : 1;
}
