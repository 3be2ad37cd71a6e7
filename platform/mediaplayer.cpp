#include "platform/mediaplayer.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "platform/mpvlib.h"

namespace sf {
namespace {

// How long Open waits for mpv to load a file before it gives up on it.
constexpr int kOpenTimeoutMs = 10000;

double DoubleProperty(const TMpvApi* api, mpv_handle* mpv, const char* name) {
  double v = 0;
  return mpv && api->get_property(mpv, name, MPV_FORMAT_DOUBLE, &v) >= 0 ? v : 0.0;
}

int64_t IntProperty(const TMpvApi* api, mpv_handle* mpv, const char* name) {
  int64_t v = 0;
  return mpv && api->get_property(mpv, name, MPV_FORMAT_INT64, &v) >= 0 ? v : 0;
}

}  // namespace

void TMediaPlayer::LoadLibraryInBackground() { BeginLoadingMpv(); }

bool TMediaPlayer::LibrarySettled() { return MpvSettled(); }

TMediaPlayer::TMediaPlayer(TUse use, QObject* parent) : QObject(parent), use_(use), video_(use != TUse::Sound) {}

TMediaPlayer::~TMediaPlayer() {
  // The render context goes before the player; neither calls back once it is told to stop.
  if (render_) {
    api_->render_context_set_update_callback(render_, nullptr, nullptr);
    api_->render_context_free(render_);
  }
  if (mpv_) {
    api_->set_wakeup_callback(mpv_, nullptr, nullptr);
    api_->terminate_destroy(mpv_);
  }
}

bool TMediaPlayer::Create() {
  if (mpv_) return true;
  // The library is opened at the first player's start (or was begun in the background); a
  // machine without it has been told so once, and plays no music and no video.
  api_ = Mpv();
  if (!api_) {
    error_ = QString("the media player library %1 cannot be loaded").arg(MpvLibraryName());
    return false;
  }
  // mpv refuses to start under a numeric locale other than C (Qt takes it from the environment).
  std::setlocale(LC_NUMERIC, "C");
  mpv_ = api_->create();
  if (!mpv_) {
    error_ = "the media player could not be started";
    return false;
  }
  // Nothing of the user's own mpv set-up, no scripts, no network helpers, no keys or on-screen
  // controls: the show alone decides what plays. A machine without sound plays silently.
  const QByteArray audio = qgetenv("SHOWFORGE_AUDIO");
  const std::pair<const char*, const char*> options[] = {
      {"config", "no"},
      {"terminal", "no"},
      {"msg-level", "all=no"},
      {"load-scripts", "no"},
      {"ytdl", "no"},
      {"osc", "no"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"load-unsafe-playlists", "no"},
      {"idle", "yes"},
      {"keep-open", "no"},
      {"audio-display", "no"},
      {"audio-fallback-to-null", "yes"},
      {"sub-auto", "no"},
      {"sid", "no"},
      {"hwdec", "no"},
      {"vo", use_ == TUse::Video ? "libmpv" : "null"},
      {"vid", video_ ? "auto" : "no"},
      // The frame fills the display rectangle, as the system's player stretched it.
      {"keepaspect", "no"},
  };
  for (const auto& [name, value] : options) api_->set_option_string(mpv_, name, value);
  if (use_ == TUse::Probe) api_->set_option_string(mpv_, "ao", "null");
  else if (!audio.isEmpty()) api_->set_option_string(mpv_, "ao", audio.constData());
  // The null output's own buffer is so large at low sample rates that a short track ends at
  // once; a tenth of a second makes it keep time like a sound card.
  if (audio == "null" && use_ != TUse::Probe) api_->set_option_string(mpv_, "ao-null-buffer", "0.05");
  if (api_->initialize(mpv_) < 0) {
    api_->terminate_destroy(mpv_);
    mpv_ = nullptr;
    error_ = "the media player could not be started";
    return false;
  }
  if (use_ == TUse::Video) {
    char sw[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, sw}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (api_->render_context_create(&render_, mpv_, params) < 0) {
      render_ = nullptr;
      error_ = "the video renderer could not be started";
      return false;
    }
    api_->render_context_set_update_callback(
        render_,
        [](void* self) {
          auto* player = static_cast<TMediaPlayer*>(self);
          QMetaObject::invokeMethod(player, [player] { player->RenderFrame(); }, Qt::QueuedConnection);
        },
        this);
  }
  // mpv wakes the event loop from its own thread; the events are read on this one.
  api_->set_wakeup_callback(
      mpv_,
      [](void* self) {
        auto* player = static_cast<TMediaPlayer*>(self);
        QMetaObject::invokeMethod(player, [player] { player->Drain(); }, Qt::QueuedConnection);
      },
      this);
  return true;
}

void TMediaPlayer::Drain() {
  if (!mpv_) return;
  for (;;) {
    const mpv_event* event = api_->wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    Handle(event);
  }
}

bool TMediaPlayer::Handle(const mpv_event* event) {
  switch (event->event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event->data);
      if (load_ == TLoad::Waiting && loadingId_ < 0) loadingId_ = start->playlist_entry_id;
      return false;
    }
    case MPV_EVENT_FILE_LOADED:
      if (load_ != TLoad::Waiting || loadingId_ < 0) return false;
      load_ = TLoad::Loaded;
      return true;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event->data);
      if (load_ == TLoad::Waiting && loadingId_ >= 0 && end->playlist_entry_id == loadingId_) {
        load_ = TLoad::Failed;
        error_ = end->reason == MPV_END_FILE_REASON_ERROR ? QString::fromUtf8(api_->error_string(end->error))
                                                          : QString("not a file the player can play");
        return true;
      }
      if (end->playlist_entry_id != currentId_ || mode_ == TMode::NotOpen || ended_) return false;
      if (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR ||
          end->reason == MPV_END_FILE_REASON_REDIRECT) {
        ended_ = true;
        mode_ = TMode::Stopped;
        // Told after the event has been read, so that a listener may open the next file at once.
        QMetaObject::invokeMethod(this, [this] { emit EndOfFile(); }, Qt::QueuedConnection);
      }
      return false;
    }
    case MPV_EVENT_VIDEO_RECONFIG:
      videoSize_ = QSize(int(IntProperty(api_, mpv_, "dwidth")), int(IntProperty(api_, mpv_, "dheight")));
      return false;
    default: return false;
  }
}

bool TMediaPlayer::Open() {
  error_.clear();
  if (!Create()) return false;
  Unload();
  const QByteArray path = FileName.toLocal8Bit();
  if (path.isEmpty()) {
    error_ = "no file name";
    return false;
  }
  api_->set_property_string(mpv_, "pause", "yes");  // a file opens stopped at its start
  const char* command[] = {"loadfile", path.constData(), "replace", nullptr};
  load_ = TLoad::Waiting;
  loadingId_ = -1;
  if (api_->command(mpv_, command) < 0) {
    error_ = "the player refused the file";
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  while (load_ == TLoad::Waiting) {
    const qint64 left = kOpenTimeoutMs - clock.elapsed();
    if (left <= 0) {
      load_ = TLoad::Failed;
      error_ = "the player took too long to open it";
      break;
    }
    Handle(api_->wait_event(mpv_, double(left) / 1000.0));
  }
  if (load_ != TLoad::Loaded) {
    const char* stop[] = {"stop", nullptr};
    api_->command(mpv_, stop);
    loadingId_ = -1;
    return false;
  }
  // A file that is only a list of others is not played: the show plays what it carries.
  if (IntProperty(api_, mpv_, "playlist-count") > 1) {
    Unload();
    error_ = "a playlist, not a file the player can play";
    return false;
  }
  currentId_ = loadingId_;
  loadingId_ = -1;
  lastPosition_ = 0;
  rendered_ = 0;
  length_ = std::max<int64_t>(0, int64_t(DoubleProperty(api_, mpv_, "duration") * 1000.0 + 0.5));
  // The video's size is known once its first frame is decoded, which mpv does while the file
  // stands at its start.
  mode_ = TMode::Stopped;
  ended_ = false;
  if (video_ && HasVideoTrack()) {
    while (videoSize_.isEmpty() && clock.elapsed() < kOpenTimeoutMs) {
      const mpv_event* event = api_->wait_event(mpv_, double(kOpenTimeoutMs - clock.elapsed()) / 1000.0);
      const bool end = event->event_id == MPV_EVENT_END_FILE;  // broke off before its first frame
      Handle(event);
      if (end) break;
    }
  }
  return true;
}

bool TMediaPlayer::HasVideoTrack() const {
  char* vid = api_->get_property_string(mpv_, "vid");
  const bool selected = vid != nullptr && std::strcmp(vid, "no") != 0;
  api_->free(vid);
  return selected;
}

bool TMediaPlayer::HasSound() const {
  if (mode_ == TMode::NotOpen || !mpv_) return false;
  char* aid = api_->get_property_string(mpv_, "aid");
  const bool selected = aid != nullptr && std::strcmp(aid, "no") != 0;
  api_->free(aid);
  return selected;
}

void TMediaPlayer::Unload() {
  if (mode_ == TMode::NotOpen || !mpv_) return;
  const char* stop[] = {"stop", nullptr};
  api_->command(mpv_, stop);
  mode_ = TMode::NotOpen;
  currentId_ = -1;
  length_ = 0;
  ended_ = false;
  videoSize_ = QSize();
  if (!frame_.isNull()) frame_.fill(Qt::black);  // nothing of a closed file is shown again
}

void TMediaPlayer::Play() {
  if (mode_ == TMode::NotOpen || ended_) return;
  api_->set_property_string(mpv_, "pause", "no");
  mode_ = TMode::Playing;
}

void TMediaPlayer::Pause() {
  if (mode_ == TMode::Playing) {
    api_->set_property_string(mpv_, "pause", "yes");
    mode_ = TMode::Paused;
  } else if (mode_ == TMode::Paused) {
    api_->set_property_string(mpv_, "pause", "no");
    mode_ = TMode::Playing;
  }
}

void TMediaPlayer::Resume() {
  if ((mode_ != TMode::Paused && mode_ != TMode::Stopped) || ended_) return;
  api_->set_property_string(mpv_, "pause", "no");
  mode_ = TMode::Playing;
}

void TMediaPlayer::Stop() {
  if (mode_ != TMode::Playing && mode_ != TMode::Paused) return;
  api_->set_property_string(mpv_, "pause", "yes");
  mode_ = TMode::Stopped;
}

void TMediaPlayer::Close() { Unload(); }

void TMediaPlayer::Seek(int64_t ms) {
  if (mode_ == TMode::NotOpen || ended_) return;
  const QByteArray seconds = QByteArray::number(double(std::max<int64_t>(0, ms)) / 1000.0, 'f', 3);
  const char* command[] = {"seek", seconds.constData(), "absolute+exact", nullptr};
  api_->command(mpv_, command);
}

int64_t TMediaPlayer::Position() const {
  if (mode_ == TMode::NotOpen) return 0;
  if (ended_) return length_;
  // Shortly before the end mpv has no position any more: the last one it gave stands.
  double seconds = 0;
  if (api_->get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &seconds) >= 0)
    lastPosition_ = std::clamp<int64_t>(int64_t(seconds * 1000.0 + 0.5), 0, length_);
  return lastPosition_;
}

int64_t TMediaPlayer::DroppedFrames() const {
  return IntProperty(api_, mpv_, "frame-drop-count") + IntProperty(api_, mpv_, "decoder-frame-drop-count");
}

void TMediaPlayer::SetDisplaySize(QSize size) {
  if (size == displaySize_) return;
  displaySize_ = size;
  frame_ = QImage();
  pixels_.reset();
  if (size.isEmpty()) return;
  const size_t stride = (size_t(size.width()) * 4 + 63) / 64 * 64;
  pixels_ = std::unique_ptr<uchar, void (*)(void*)>(static_cast<uchar*>(std::aligned_alloc(64, stride * size_t(size.height()))),
                                                  std::free);
  if (!pixels_) return;
  frame_ = QImage(pixels_.get(), size.width(), size.height(), qsizetype(stride), QImage::Format_RGB32);
  frame_.fill(Qt::black);
}

void TMediaPlayer::RenderFrame() {
  if (!render_) return;
  const uint64_t flags = api_->render_context_update(render_);
  if (!(flags & MPV_RENDER_UPDATE_FRAME) || frame_.isNull()) return;
  int size[2] = {frame_.width(), frame_.height()};
  char format[] = "bgr0";  // the bytes of a 32-bit RGB bitmap on this machine
  size_t stride = size_t(frame_.bytesPerLine());
  int block = 0;  // never wait here for the frame's time: mpv says when it is due
  mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                               {MPV_RENDER_PARAM_SW_FORMAT, format},
                               {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                               {MPV_RENDER_PARAM_SW_POINTER, pixels_.get()},
                               {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (api_->render_context_render(render_, params) < 0) return;
  ++rendered_;
  emit FrameReady();
}

}  // namespace sf
