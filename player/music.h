// Background music: the project's playlist through the show's music player. Music plays while
// picture slides that ask for it are on screen; a once-a-second timer notices the end of a track,
// waits the project's pause and opens the next one. One per show, whatever the number of screens.
//
// Of the processes that play the same show at the same time (one a saver window, one a screen),
// one plays the music: the first to want it takes the show's music lock and keeps it for its
// life; the others open no track and ask for the lock at each tick of their music timer, so that
// when the one that plays ends, another takes the music over with the track after the last one
// it played (left as a note in the lock file).
#pragma once

#include <functional>
#include <vector>

#include "container/mediafile.h"
#include "platform/clock.h"
#include "platform/instancelock.h"
#include "platform/mediaplayer.h"

namespace sf {

class TProjectInfo;
class TRandom;
class TRWSetting;

class TMusic {
 public:
  // What the music asks of its show: whether the music is due now (the slide on screen is a
  // picture that asks for it, and no video or flash slide plays), whether the show is ending,
  // and where a message goes.
  struct THost {
    std::function<bool()> due, closing;
    std::function<void(const QString&)> message;
  };
  // The tracks come from `media`.
  TMusic(TProjectInfo& project, TMediaFetch& media, TRWSetting& settings, TRandom& random, THost host, TClock* clock);

  // Opens a track of the list (the first, or a random one), and plays it when `play`.
  void OpenTrack(bool play);
  void StopMusic();
  void PauseMusic();
  void ResumeMusic();
  // The music timer's tick.
  void MusicPlayTimerTimer();
  // Until the media library has been opened the music only notes what is asked of it; then it
  // opens its first track and plays it when it is due.
  void SetWaiting(bool waits) { musicWaits_ = waits; }
  bool Waiting() const { return musicWaits_; }
  void CatchUp(bool play);
  // The show ends: the timer stops, and so does a track that plays.
  void End();
  // Whether this process plays the show's music (it holds the music lock, or no lock can be had
  // here); false while another process plays it.
  bool MusicIsOurs() const { return lock_ == TLock::Ours; }
  // The name of the music lock of a show: its project name and the file it is read from, so
  // that every saver process of one show file agrees and different shows never do.
  static QString MusicLockName(const QString& projectName, const QString& showFile);

  TMediaPlayer mpmusic{TMediaPlayer::TUse::Sound};
  TTimer MusicPlayTimer;
  bool FMusicPlaying = false, FMusicLoaded = false;
  int32_t FTrackEndTicks = 0;
  int32_t FTrack = 0;
  bool FPlaylistDone = false;

 private:
  bool MusicOpenAt(int32_t index);
  bool Closing() const { return host_.closing(); }
  // Asks for the music lock: once at the first request, and again when `retry` while another
  // process has it. Taking it over from another, the track the last holder played becomes the
  // current one, so that the track the timer opens next is the one after it.
  bool TakeMusic(bool retry);

  TProjectInfo& project_;
  TMediaFetch& media_;
  TRWSetting& settings_;
  TRandom& random_;
  THost host_;
  // Music tracks that could not be opened, passed over for the rest of the run; when every track
  // of the list is one, the music stops for the run.
  std::vector<bool> badTracks_;
  TMediaFile musicFile_;  // the track the music player has open
  bool musicDead_ = false;
  bool musicOpening_ = false;  // a track's file is being fetched (its message may be up)
  bool musicWaits_ = false;
  enum class TLock { Unasked, Ours, Others } lock_ = TLock::Unasked;
  TLockFile musicLock_;
};

}  // namespace sf
