#include "player/music.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "container/projectinfo.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "settings/rwsetting.h"

namespace sf {

TMusic::TMusic(TProjectInfo& project, TMediaFetch& media, TRWSetting& settings, TRandom& random, THost host,
               TClock* clock)
    : MusicPlayTimer([this] { MusicPlayTimerTimer(); }, clock),
      project_(project),
      media_(media),
      settings_(settings),
      random_(random),
      host_(std::move(host)),
      musicLock_(MusicLockName(project.ProjectName, project.ProgramPath())) {
  MusicPlayTimer.setInterval(1000);
}

QString TMusic::MusicLockName(const QString& projectName, const QString& showFile) {
  // The file by its canonical path, so that a link to the show or a relative path names the
  // same one; the project name stays readable in the lock's name.
  const QFileInfo file(showFile);
  const QString path = file.canonicalFilePath().isEmpty() ? file.absoluteFilePath() : file.canonicalFilePath();
  const QByteArray key = projectName.toUtf8() + '\0' + path.toUtf8();
  return "qel_showforge.music." + LockNamePart(projectName) + "." +
         QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

bool TMusic::TakeMusic(bool retry) {
  if (lock_ == TLock::Ours || (lock_ == TLock::Others && !retry)) return lock_ == TLock::Ours;
  const TLock before = lock_;
  switch (musicLock_.TryTake()) {
    case TLockFile::TTake::Busy:
      if (before == TLock::Unasked) Trace("music", "another process plays the music");
      lock_ = TLock::Others;
      return false;
    case TLockFile::TTake::Failed:
      // Without a lock the music plays as it would in a process of its own.
      Trace("music", "no music lock can be had: the music plays here");
      break;
    case TLockFile::TTake::Taken:
      if (before == TLock::Others) {
        bool ok = false;
        const int32_t last = musicLock_.Note().trimmed().toInt(&ok);
        FTrack = ok && last >= 0 && last < int32_t(project_.MusicFiles.size()) ? last : -1;
        Trace("music", "taken over after track %d", FTrack);
      } else {
        Trace("music", "the music plays here");
      }
      break;
  }
  lock_ = TLock::Ours;
  return true;
}

// Opens track `index` on the music player; false when its path comes back empty or the player
// cannot open it. A track that fails is passed over silently for the rest of the run (the
// message about a missing file comes once), and a playlist of which no track plays stops the
// music for the run instead of trying again every second.
bool TMusic::MusicOpenAt(int32_t index) {
  std::vector<bool>& bad = badTracks_;
  bad.resize(size_t(project_.MusicFiles.size()), false);
  if (bad[size_t(index)]) return false;
  // The message about a missing file runs a loop of its own, in which the show goes on: no music
  // request opens another track meanwhile. The last track's copy goes first: the next one may
  // be written under its name.
  musicOpening_ = true;
  musicFile_.Release();
  musicFile_ = media_.FetchMusic(index);
  if (musicFile_.Error() == TMediaFile::TError::Missing) host_.message(project_.FileNotFoundMessage(musicFile_.MissingPath()));
  musicOpening_ = false;
  const QString path = musicFile_.Path();
  bool opened = false;
  if (!path.isEmpty() && !Closing()) {
    mpmusic.FileName = path;
    Trace("music", "open %d", index);
    musicLock_.SetNote(QByteArray::number(index));
    opened = mpmusic.Open();
    if (!opened)
      std::fprintf(stderr, "showforge: music track %d (%s) is passed over: %s\n", index,
                   qPrintable(project_.MusicFiles.value(index)), qPrintable(mpmusic.LastError()));
  }
  if (Closing()) return opened;  // the show ended under the message: the track is not to blame
  bad[size_t(index)] = !opened;
  musicDead_ = std::all_of(bad.begin(), bad.end(), [](bool b) { return b; });
  if (musicDead_) {
    // No track of the list can be played: the show goes on silent.
    MusicPlayTimer.stop();
    std::fprintf(stderr, "showforge: no music track of the show can be played; the show goes on without music\n");
  }
  return opened;
}

void TMusic::OpenTrack(bool play) {
  if (FPlaylistDone && !project_.LoopMusic) return;
  if (!settings_.MusicEnabled || project_.MusicFiles.isEmpty() || musicDead_ || musicOpening_) return;
  // The first process of the show that wants music takes it, also while its media library is
  // still being opened.
  const bool ours = TakeMusic(false);
  if (musicWaits_) return;  // the media library is still being opened: the music catches up then
  if (!ours) {
    // Another process plays the music: the timer asks again at each tick.
    if (!Closing() && !MusicPlayTimer.isActive()) MusicPlayTimer.start();
    return;
  }
  const int32_t count = int32_t(project_.MusicFiles.size());
  FTrack = project_.RandomMusic ? random_.Random(count) : 0;
  if (MusicOpenAt(FTrack)) {
    FMusicLoaded = true;
    play = play && !Closing();
    if (play) {
      Trace("music", "play");
      mpmusic.Play();
    }
    FMusicPlaying = play;
  } else {
    FMusicLoaded = false;  // the timer's next tick tries the next track
  }
  if (!musicDead_ && !Closing()) MusicPlayTimer.start();
}

void TMusic::StopMusic() {
  if (project_.MusicFiles.isEmpty() || !FMusicPlaying || !FMusicLoaded) return;
  Trace("music", "stop");
  mpmusic.Stop();
  FMusicPlaying = false;
  MusicPlayTimer.stop();
}

void TMusic::PauseMusic() {
  if (project_.MusicFiles.isEmpty() || !FMusicPlaying || !FMusicLoaded) return;
  FMusicPlaying = false;
  Trace("music", "pause");
  mpmusic.Pause();
}

void TMusic::ResumeMusic() {
  if (FPlaylistDone && !project_.LoopMusic) return;
  if (project_.MusicFiles.isEmpty() || !settings_.MusicEnabled || musicOpening_) return;
  if (!FMusicLoaded) {
    OpenTrack(true);
  } else if (!FMusicPlaying) {
    Trace("music", "resume");
    mpmusic.Resume();
    FMusicPlaying = true;
  }
}

void TMusic::MusicPlayTimerTimer() {
  if (musicOpening_) return;
  // While another process plays the music this one waits for it to end, and then goes on from
  // the track after the one it played.
  if (!TakeMusic(settings_.MusicEnabled)) return;
  // A track that could not be opened is passed over at once; one that plays (or stands paused)
  // is left alone until it has reached its end, and then for the project's pause.
  if (FMusicLoaded) {
    const int64_t length = mpmusic.Length();
    if (!mpmusic.Ended() && (length == 0 || mpmusic.Position() < length)) return;
    if (++FTrackEndTicks < project_.MusicPauseTicks) return;
  }
  FTrackEndTicks = 0;
  MusicPlayTimer.stop();
  FMusicPlaying = false;
  const int32_t count = int32_t(project_.MusicFiles.size());
  if (!settings_.MusicEnabled || count == 0) return;
  if (project_.RandomMusic) {
    FTrack = random_.Random(count);
  } else if (++FTrack > count - 1) {
    if (project_.LoopMusic) {
      FTrack = 0;
    } else {
      // The playlist ran out: the music is over for this run.
      FPlaylistDone = true;
      if (FMusicLoaded) {
        Trace("music", "close");
        mpmusic.Close();
      }
      FMusicLoaded = FMusicPlaying = false;
      return;
    }
  }
  if (FMusicLoaded) {
    Trace("music", "close");
    mpmusic.Close();
    FMusicLoaded = false;
  }
  FMusicLoaded = MusicOpenAt(FTrack);
  // The next track plays at once while the music is due. Otherwise (the track before it could
  // not be opened, or the show went on to a slide without music during the pause) it waits,
  // opened, for the next slide that asks for music, as the first track of the show does.
  if (FMusicLoaded && host_.due()) {
    Trace("music", "play");
    mpmusic.Play();
    FMusicPlaying = true;
  }
  if (!musicDead_ && !Closing()) MusicPlayTimer.start();
}

void TMusic::CatchUp(bool play) {
  musicWaits_ = false;
  if (Closing()) return;
  OpenTrack(false);
  if (play) ResumeMusic();
}

void TMusic::End() {
  StopMusic();
  MusicPlayTimer.stop();
}

}  // namespace sf
