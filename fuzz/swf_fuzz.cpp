// The flash player on any bytes: the reader, then the first frames played and drawn on a small
// stage, as the flash window would play them.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "swf/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<const sf::swf::TSwfMovie> movie;
  try {
    movie = sf::swf::TSwfMovie::Load(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  } catch (const sf::swf::ESwfError&) {
    return 0;
  }
  sf::swf::TSwfPlayer player(movie);
  QImage view(64, 48, QImage::Format_RGB32);
  const QTransform toDevice = sf::swf::StageTransform(movie->stage, view.size(), 0, 0);
  for (int frame = 0; frame < 4; ++frame) {
    view.fill(movie->background);
    sf::swf::Render(view, player, toDevice, view.rect());
    player.Advance();
  }
  player.GotoFrame(0);
  return 0;
}
