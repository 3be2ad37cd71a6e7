// The show: what happens once however many screens it plays on. It reads the slide records, owns
// the background music, the close rules with their password prompt, the maximum run time, and
// the end of the show with the program's exit; it owns a player (a run window) per screen, each
// of which runs its own slide cycle and tells the show when a slide starts and when the user asks
// to close.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/random.h"
#include "player/music.h"
#include "player/runsetup.h"

namespace sf {

class TProjectInfo;
class TRWSetting;
class TfRun;

// What a show is given in place of the real thing (tests, a show driven by hand): the clock its
// timers run on (none: the event loop's), where its media files come from (none: the project),
// where its messages go (none: a message box), and the seed of its generators (none: the clock's).
struct TShowSeams {
  TClock* clock = nullptr;
  TMediaFetch* media = nullptr;
  std::function<void(const QString&)> message;
  std::optional<uint32_t> seed;
};

class TShow : public QObject {
  Q_OBJECT

 public:
  TShow(TProjectInfo& project, TRWSetting& settings, const TRunSetup& setup, TShowSeams seams = {});
  ~TShow() override;

  // The players: full screen, one a screen, the primary screen's first (the music follows its
  // slides); else one, in the host window or off screen.
  TfRun& Screen() { return *screens_.front(); }
  size_t ScreenCount() const { return screens_.size(); }
  TfRun& ScreenAt(size_t index) { return *screens_[index]; }
  // Shows the run windows: each prepares its first slide as it is shown.
  void Show();

  // Whether the show has ended (the loop is told to end).
  bool Closing() const { return quitting_; }
  // The ordinary close of the show, through the close query.
  void CloseShow();
  // The close query: false refuses the close (a wrong password, or Cancel).
  bool FormCloseQuery();
  // Ends the show at once, without the close query: the program was told to end (SIGTERM), or
  // the host of a preview went away.
  void EndShow();
  // Whether a password prompt opened by a flash window's close event is up: the events that
  // follow, on any screen, open no second one. Shared with the flash windows, which may outlive
  // the prompt's answer.
  const std::shared_ptr<bool>& FlashAsking() const { return asking_; }
  // The "Setting" item of the menu: the password, then the settings dialog over `parent`.
  void OpenSettings(QWidget* parent);
  // A dialog of the show is up: mouse moves and presses do not close the show meanwhile.
  bool DialogOpen() const { return dialogOpen_; }

  // A screen's slide starts: on the first screen, a picture that asks for music resumes it and
  // every other slide pauses it.
  void SlideStarted(const TfRun& screen, bool wantsMusic);
  // The first frame is on a screen: the media library is opened in the background when the show
  // plays music or video.
  void FirstFrameShown();

  // A message to the user.
  void Message(const QString& text) const;

  TProjectInfo& Project() { return project_; }
  TRWSetting& Settings() { return settings_; }
  TClock* Clock() const { return seams_.clock; }
  TMediaFetch& Media() const;
  TMusic& Music() { return music_; }

  void MaxRuntimeTimer();
  TTimer MaxRuntime;
  int32_t FRunSecondsLeft = 0;
  bool FRunning = false;

 protected:
  void customEvent(QEvent* event) override;

 private:
  // Full screen: a player for a screen, and the screen's going.
  bool CoversScreens() const { return setup_.onScreen && !setup_.preview; }
  void AddScreen(QScreen* screen);
  void RemoveScreen(QScreen* screen);
  std::optional<uint32_t> ScreenSeed(size_t index);
  bool MusicDue() const;
  bool SlideAsksForMusic() const;
  bool ShowNeedsMedia() const;
  void MediaLibrarySettled();

  TProjectInfo& project_;
  TRWSetting& settings_;
  TShowSeams seams_;
  TRunSetup setup_;
  TRandom random_;  // the slide records' random defaults, the first slide of several screens, the music's random tracks
  TMusic music_;
  std::vector<std::unique_ptr<TfRun>> screens_;
  std::vector<QPointer<TfRun>> leaving_;  // the windows of screens that went, until deleted
  int32_t firstSlide_ = -1;  // the slide every screen starts with
  bool quitting_ = false;
  bool dialogOpen_ = false;
  std::shared_ptr<bool> asking_ = std::make_shared<bool>(false);
  // The media library is opened once the first frame is on the screen, when the show plays
  // music or video; until it is there the music waits, and then catches up, once no screen
  // runs a transition.
  bool mediaBegun_ = false;
  TTimer mediaWait_;
};

}  // namespace sf
