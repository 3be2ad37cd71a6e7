#include "player/flashsound.h"

#include <QFile>
#include <algorithm>
#include <cstdio>

#include "platform/mediaplayer.h"
#include "platform/tempdir.h"
#include "platform/trace.h"

namespace sf {
namespace {

constexpr size_t kMaxChannels = 8;
// An event sound of many loops is written about this much at a time.
constexpr int64_t kFileMs = 60000;

}  // namespace

TFlashSound::TFlashSound() = default;

TFlashSound::~TFlashSound() {
  // The players close their files before the files go.
  stream_.reset();
  channels_.clear();
  for (const QString& f : files_) QFile::remove(f);
}

QString TFlashSound::Write(const swf::TSoundFile& file) {
  const QString dir = PrivateTempDir();
  if (dir.isEmpty()) return {};
  const QString path = dir + QString("flash-sound-%1.%2").arg(++written_).arg(file.extension);
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size()) {
    std::fprintf(stderr, "showforge: a flash sound cannot be written to %s\n", qPrintable(path));
    out.remove();
    return {};
  }
  files_.push_back(path);
  return path;
}

void TFlashSound::StartStream(const swf::TStreamSound& stream, int block) {
  Trace("flash", "sound stream");
  auto it = streamFiles_.find(&stream);
  if (it == streamFiles_.end()) {
    QString path;
    try {
      const swf::TSoundFile file = swf::StreamSoundFile(stream);
      if (!file.bytes.isEmpty()) path = Write(file);
    } catch (const swf::ESwfError& e) {
      Trace("flash", "sound stream passed over: %s", e.what());
    }
    it = streamFiles_.emplace(&stream, path).first;
  }
  current_ = nullptr;
  if (it->second.isEmpty()) return;
  if (!stream_) stream_ = std::make_unique<TMediaPlayer>(TMediaPlayer::TUse::Sound);
  if (stream_->FileName != it->second || stream_->Mode() == TMediaPlayer::TMode::NotOpen || stream_->Ended()) {
    stream_->FileName = it->second;
    if (!stream_->Open()) {
      std::fprintf(stderr, "showforge: a flash movie's stream sound does not play: %s\n", qPrintable(stream_->LastError()));
      return;
    }
  }
  stream_->Seek(swf::BlockMs(stream, block));
  stream_->Play();
  current_ = &stream;
}

void TFlashSound::StopStream(const swf::TStreamSound& stream) {
  if (current_ != &stream) return;
  current_ = nullptr;
  if (stream_) stream_->Stop();
}

int64_t TFlashSound::StreamPosition(const swf::TStreamSound& stream) {
  if (current_ != &stream || !stream_ || stream_->Mode() != TMediaPlayer::TMode::Playing || stream_->Ended()) return -1;
  return stream_->Position();
}

bool TFlashSound::Sounds(const TChannel& c) const {
  return c.player && c.player->Mode() == TMediaPlayer::TMode::Playing && !c.player->Ended();
}

std::vector<uint16_t> TFlashSound::Sounding() const {
  std::vector<uint16_t> ids;
  for (const auto& c : channels_)
    if (Sounds(*c)) ids.push_back(c->id);
  return ids;
}

bool TFlashSound::Play(TChannel& c, const swf::TSoundFile& file) {
  const QString path = Write(file);
  if (path.isEmpty()) return false;
  if (!c.file.isEmpty()) {  // the channel's last file goes once the player lets go of it
    c.player->Close();
    QFile::remove(c.file);
    files_.erase(std::remove(files_.begin(), files_.end(), c.file), files_.end());
  }
  c.file = path;
  c.player->FileName = path;
  if (!c.player->Open()) {
    std::fprintf(stderr, "showforge: a flash movie's sound %u does not play: %s\n", c.id, qPrintable(c.player->LastError()));
    return false;
  }
  c.player->Play();
  c.nextLoop += file.loops;
  return true;
}

void TFlashSound::Ended(TChannel& c) {
  // The next loops of a sound of many, a file at a time.
  if (c.nextLoop >= std::max<uint16_t>(c.info.loops, 1)) return;
  try {
    const swf::TSoundFile file = swf::EventSoundFile(c.sound, c.info, c.nextLoop, kFileMs);
    if (!file.bytes.isEmpty()) Play(c, file);
  } catch (const swf::ESwfError&) {
  }
}

void TFlashSound::StartSound(uint16_t id, const swf::TSoundData& sound, const swf::TSoundInfo& info) {
  if (info.stop) {  // the sound's instances stop
    for (auto& c : channels_)
      if (c->id == id && c->player) c->player->Stop(), c->info.loops = 0;
    return;
  }
  if (info.noMultiple) {
    for (const auto& c : channels_)
      if (c->id == id && Sounds(*c)) return;
  }
  swf::TSoundFile file;
  try {
    file = swf::EventSoundFile(sound, info, 0, kFileMs);
  } catch (const swf::ESwfError& e) {
    Trace("flash", "sound %u passed over: %s", id, e.what());
    return;
  }
  if (file.bytes.isEmpty()) return;
  Trace("flash", "sound %u", id);
  // A channel that is silent, a new one, or the one that started longest ago.
  TChannel* channel = nullptr;
  for (auto& c : channels_)
    if (!Sounds(*c)) {
      channel = c.get();
      break;
    }
  if (!channel && channels_.size() < kMaxChannels) {
    channels_.push_back(std::make_unique<TChannel>());
    channel = channels_.back().get();
    channel->player = std::make_unique<TMediaPlayer>(TMediaPlayer::TUse::Sound);
    connect(channel->player.get(), &TMediaPlayer::EndOfFile, this, [this, channel] { Ended(*channel); });
  }
  if (!channel) {
    channel = std::min_element(channels_.begin(), channels_.end(), [](const auto& a, const auto& b) {
                return a->started < b->started;
              })->get();
    channel->player->Stop();
  }
  channel->id = id;
  channel->sound = sound;
  channel->info = info;
  channel->nextLoop = 0;
  channel->started = ++starts_;
  Play(*channel, file);
}

}  // namespace sf
