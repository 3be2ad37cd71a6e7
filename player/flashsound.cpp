#include "player/flashsound.h"

#include <QFile>
#include <algorithm>
#include <cstdio>

#include "platform/mediaplayer.h"
#include "platform/tempdir.h"
#include "platform/trace.h"

namespace sf {
namespace {

constexpr size_t kMaxChannels = 8, kMaxStreams = 4;
// An event sound of many loops is written about this much at a time.
constexpr int64_t kFileMs = 60000;

}  // namespace

TFlashSound::TFlashSound() = default;

TFlashSound::~TFlashSound() {
  // The players close their files before the files go.
  streams_.clear();
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

TFlashSound::TStream* TFlashSound::StreamOf(const void* timeline) {
  for (TStream& s : streams_)
    if (s.timeline == timeline) return &s;
  return nullptr;
}

void TFlashSound::StartStream(const void* timeline, const swf::TStreamSound& stream, int block, bool paces) {
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
  // The timeline's own player, a silent one, a new one, or the one started longest ago of those
  // that do not pace the movie (of which there is one at least: one stream paces it).
  TStream* s = StreamOf(timeline);
  if (!s)
    for (TStream& other : streams_)
      if (!other.sounding) {
        s = &other;
        break;
      }
  if (!s && streams_.size() < kMaxStreams) s = &streams_.emplace_back();
  if (!s) s = &*std::min_element(streams_.begin(), streams_.end(), [](const TStream& a, const TStream& b) {
    return a.paces != b.paces ? b.paces : a.started < b.started;
  });
  if (s->sounding && s->timeline != timeline) s->player->Stop();
  s->timeline = timeline;
  s->paces = paces;
  s->sounding = false;
  s->started = ++starts_;
  if (it->second.isEmpty()) return;
  if (!s->player) s->player = std::make_unique<TMediaPlayer>(TMediaPlayer::TUse::Sound);
  TMediaPlayer& player = *s->player;
  if (player.FileName != it->second || player.Mode() == TMediaPlayer::TMode::NotOpen || player.Ended()) {
    player.FileName = it->second;
    if (!player.Open()) {
      std::fprintf(stderr, "showforge: a flash movie's stream sound does not play: %s\n", qPrintable(player.LastError()));
      return;
    }
  }
  player.Seek(swf::BlockMs(stream, block));
  player.Play();
  s->sounding = true;
}

void TFlashSound::StopStream(const void* timeline) {
  TStream* s = StreamOf(timeline);
  if (!s || !s->sounding) return;
  s->sounding = false;
  s->player->Stop();
}

int64_t TFlashSound::StreamPosition(const void* timeline) {
  const TStream* s = StreamOf(timeline);
  if (!s || !s->sounding || s->player->Mode() != TMediaPlayer::TMode::Playing || s->player->Ended()) return -1;
  return s->player->Position();
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
