// Writes seeds for the flash player's fuzz target into a folder: movies of many shapes in the
// three compressions, a stage-sized bitmap, a movie with a little of everything, a stage of
// titles (text, filters, a tween, a button, sounds), one of the rarer effects (a sprite's own
// stream, bitmap caching, bevels and convolutions, a single-line field, button sounds, sounds by
// class); and for each
// movie named after the folder, the same compressed, and compressed with a length field that
// claims far more than its data holds (one under the most a movie may have, one over it).
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

#include "tests/swf/samplemovies.h"

namespace {

bool Write(const QString& path, const std::string& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
    std::fprintf(stderr, "swf_seeds: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// A movie's bytes compressed (CWS), the header's length field set to `length` (0: its own).
std::string Compressed(const std::string& movie, uint32_t length) {
  if (length == 0) length = uint32_t(movie.size());
  std::string head = "CWS" + movie.substr(3, 1);
  for (int i = 0; i < 4; ++i) head += char((length >> (8 * i)) & 0xFF);
  return head + sftest::Zlib(movie.substr(8));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // the bitmap movie's JPEG is written by Qt
  if (argc < 2) {
    std::fprintf(stderr, "usage: swf_seeds DIR [MOVIE.swf ...]\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  for (char compression : {'F', 'C', 'Z'})
    ok &= Write(dir + "/shapes-" + QChar(compression).toLower() + "ws.swf", sftest::ShapesMovie(1920, 1080, 400, compression));
  ok &= Write(dir + "/bitmap.swf", sftest::BitmapMovie(1920, 1080));
  ok &= Write(dir + "/features.swf", sftest::FeaturesMovie());
  ok &= Write(dir + "/titles.swf", sftest::TitlesMovie(320, 240, 6, 4));
  ok &= Write(dir + "/effects.swf", sftest::EffectsMovie());
  for (int i = 2; i < argc; ++i) {
    QFile file(QString::fromLocal8Bit(argv[i]));
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "swf_seeds: cannot read %s\n", argv[i]);
      ok = false;
      continue;
    }
    const std::string movie = file.readAll().toStdString();
    if (movie.size() < 8 || movie.compare(0, 3, "FWS") != 0) {
      std::fprintf(stderr, "swf_seeds: %s is no uncompressed movie\n", argv[i]);
      ok = false;
      continue;
    }
    const QString name = dir + "/" + QFileInfo(file).completeBaseName();
    ok &= Write(name + "-cws.swf", Compressed(movie, 0));
    ok &= Write(name + "-claims-200m.swf", Compressed(movie, 200u << 20));
    ok &= Write(name + "-claims-1g.swf", Compressed(movie, 1u << 30));
  }
  return ok ? 0 : 1;
}
