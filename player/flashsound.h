// The flash window's sound: where the flash control sends a movie's sounds, played through the
// platform's media player. Each timeline's stream plays in a player of its own, up to four at
// once (the movie's own keeps its place; of its sprites' streams, the one started longest ago
// gives way to a fifth), and event sounds in up to eight more (the oldest gives way to a ninth);
// each is a file in the private temporary folder, written when it first sounds. Nothing of the
// media player is made before a movie's first sound, so that a movie without sound never starts
// it. An event sound of many loops is written a minute at a time and opened again where a file
// ends.
#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "swf/sound.h"

namespace sf {

class TMediaPlayer;

class TFlashSound final : public QObject, public swf::TSoundOutput {
 public:
  TFlashSound();
  ~TFlashSound() override;

  void StartStream(const void* timeline, const swf::TStreamSound& stream, int block, bool paces) override;
  void StopStream(const void* timeline) override;
  int64_t StreamPosition(const void* timeline) override;
  void StartSound(uint16_t id, const swf::TSoundData& sound, const swf::TSoundInfo& info) override;

  // The event sounds that sound now, by character id, for tests.
  std::vector<uint16_t> Sounding() const;

 private:
  struct TChannel {
    std::unique_ptr<TMediaPlayer> player;
    uint16_t id = 0;
    swf::TSoundData sound;
    swf::TSoundInfo info;
    uint32_t nextLoop = 0;  // the first loop not yet written
    QString file;
    uint64_t started = 0;   // when, in the order of starts
  };

  // Writes a file in the private folder; empty when it cannot.
  QString Write(const swf::TSoundFile& file);
  // Opens the channel's file and plays it.
  bool Play(TChannel& c, const swf::TSoundFile& file);
  void Ended(TChannel& c);
  bool Sounds(const TChannel& c) const;

  // A timeline's stream: the player it sounds in while `sounding`.
  struct TStream {
    std::unique_ptr<TMediaPlayer> player;
    const void* timeline = nullptr;
    bool paces = false;  // the movie's own
    bool sounding = false;
    uint64_t started = 0;
  };
  TStream* StreamOf(const void* timeline);

  std::vector<TStream> streams_;
  std::map<const swf::TStreamSound*, QString> streamFiles_;  // each stream's file, written once
  std::vector<std::unique_ptr<TChannel>> channels_;
  std::vector<QString> files_;
  uint64_t starts_ = 0, written_ = 0;
};

}  // namespace sf
