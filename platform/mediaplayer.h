// The media player of the show: one class for the background music and for video slides, over
// libmpv. It keeps the system's vocabulary (open by file name, play, pause, resume, stop, close,
// seek, length and position in milliseconds, the video's own size, a display size) and its
// semantics: a file opens stopped at its start; pause is a toggle; at the end of the file the
// position stands at the length.
//
// mpv is asked for nothing while it works on its own threads: it wakes the Qt event loop when
// it has events, and says when a new video frame is ready; both are handled on the thread that
// owns the player.
//
// The library is opened when a player first starts, not when the program starts: a show
// without music or video never loads it. A machine without it is told so once, and every Open
// then fails, as for a file that cannot be played.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

struct mpv_event;
struct mpv_handle;
struct mpv_render_context;

namespace sf {

struct TMpvApi;

class TMediaPlayer : public QObject {
  Q_OBJECT

 public:
  enum class TMode { NotOpen, Stopped, Playing, Paused };
  // Sound only (music); a video with its sound, its frames rendered into Frame(); or a look at a
  // file's size and length that never plays it (no sound output, no frames).
  enum class TUse { Sound, Video, Probe };

  explicit TMediaPlayer(TUse use, QObject* parent = nullptr);
  ~TMediaPlayer() override;
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  // The file the next Open opens.
  QString FileName;

  // Opens FileName (closing what was open), stopped at its start. False, with LastError(), when
  // mpv cannot open or play it: missing, damaged, no decoder for it.
  bool Open();
  // From the current position.
  void Play();
  // A toggle: pauses a playing file, resumes a paused one, does nothing otherwise.
  void Pause();
  // Continues a paused or stopped file.
  void Resume();
  // Stops playing; the position stays where it is.
  void Stop();
  void Close();
  void Seek(int64_t ms);

  // Begins opening the media library on a thread of its own, so that the first Open finds it
  // ready; Open waits for an opening under way. Nothing when it is open or begun.
  static void LoadLibraryInBackground();
  // Whether opening the library has ended, opened or not: Open would not wait for it.
  static bool LibrarySettled();

  TMode Mode() const { return mode_; }
  // Whether mpv was ever started for this player (the first Open starts it).
  bool Started() const { return mpv_ != nullptr; }
  // The length of the open file in milliseconds, 0 when none is open or it has no length.
  int64_t Length() const { return length_; }
  // The position in milliseconds; the length once the file has played to its end (mpv's own
  // position stops a little short of it).
  int64_t Position() const;
  bool Ended() const { return ended_; }
  const QString& LastError() const { return error_; }

  // The video's own display size; empty for sound.
  QSize VideoSize() const { return videoSize_; }
  // Whether the open file has a sound track.
  bool HasSound() const;
  // The size the video is shown at: frames are scaled to it.
  void SetDisplaySize(QSize size);
  // The latest frame, at the display size; black once the file is closed.
  const QImage& Frame() const { return frame_; }
  // Frames mpv dropped since the file was opened; frames rendered into Frame() since then.
  int64_t DroppedFrames() const;
  int64_t RenderedFrames() const { return rendered_; }

 signals:
  // The open file played to its end (or broke off while playing).
  void EndOfFile();
  // A new frame stands in Frame().
  void FrameReady();

 private:
  bool Create();
  void Drain();
  // Handles one event; true when it ends the wait of Open.
  bool Handle(const mpv_event* event);
  void RenderFrame();
  void Unload();
  bool HasVideoTrack() const;

  const TUse use_;
  const bool video_;  // the file's video is decoded
  const TMpvApi* api_ = nullptr;
  mpv_handle* mpv_ = nullptr;
  mpv_render_context* render_ = nullptr;
  TMode mode_ = TMode::NotOpen;
  int64_t length_ = 0;
  mutable int64_t lastPosition_ = 0;
  int64_t rendered_ = 0;
  bool ended_ = false;
  QString error_;
  QSize videoSize_, displaySize_;
  // Open's wait: the id of the file it loads, and how the load went.
  int64_t loadingId_ = -1, currentId_ = -1;
  enum class TLoad { Waiting, Loaded, Failed } load_ = TLoad::Waiting;
  // The frame buffer: rows aligned to 64 bytes for mpv's converter.
  std::unique_ptr<uchar, void (*)(void*)> pixels_{nullptr, nullptr};
  QImage frame_;
};

}  // namespace sf
