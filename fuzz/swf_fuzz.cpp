// The flash player on any bytes: the reader, then the first frames played and drawn on a small
// stage, as the flash window would play them, the pointer moved, pressed and released over it,
// and the files of the sounds it starts made as the flash window's output makes them.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "swf/player.h"
#include "swf/sound.h"

namespace {

// Makes the file of each sound as it starts (the media player is not asked to play them).
class TFileMaker final : public sf::swf::TSoundOutput {
 public:
  void StartStream(const void*, const sf::swf::TStreamSound& stream, int block, bool) override {
    Make([&] { return sf::swf::StreamSoundFile(stream); });
    (void)sf::swf::BlockMs(stream, block);
  }
  void StopStream(const void*) override {}
  int64_t StreamPosition(const void*) override { return -1; }
  void StartSound(uint16_t, const sf::swf::TSoundData& sound, const sf::swf::TSoundInfo& info) override {
    Make([&] { return sf::swf::EventSoundFile(sound, info, 0, 60000); });
    Make([&] { return sf::swf::EventSoundFile(sound, info, 1, 1000); });
  }

 private:
  template <class TMake>
  void Make(TMake&& make) {
    try {
      const sf::swf::TSoundFile file = make();
      if (file.bytes.size() > (qsizetype(1) << 30)) __builtin_trap();
    } catch (const sf::swf::ESwfError&) {
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<const sf::swf::TSwfMovie> movie;
  try {
    movie = sf::swf::TSwfMovie::Load(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  } catch (const sf::swf::ESwfError&) {
    return 0;
  }
  TFileMaker sound;
  sf::swf::TSwfPlayer player(movie, &sound);
  QImage view(64, 48, QImage::Format_RGB32);
  const QTransform toDevice = sf::swf::StageTransform(movie->stage, view.size(), 0, 0);
  const QRectF stage = movie->stage;
  for (int frame = 0; frame < 4; ++frame) {
    view.fill(movie->background);
    sf::swf::Render(view, player, toDevice, view.rect());
    // The pointer across the stage, pressed on the second frame and released on the third.
    const QPointF at(stage.left() + stage.width() * (frame + 1) / 5, stage.top() + stage.height() * (frame + 1) / 5);
    player.Pointer(at, frame == 1 || frame == 2);
    player.Tick();
  }
  player.GotoFrame(0);
  return 0;
}
