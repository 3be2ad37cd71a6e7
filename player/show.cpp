#include "player/show.h"

#include <QCoreApplication>
#include <QPointer>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "player/messages.h"
#include "player/password.h"
#include "player/runwindow.h"
#include "settings/rwsetting.h"
#include "settings/settingdialog.h"

namespace sf {

TShow::TShow(TProjectInfo& project, TRWSetting& settings, const TRunSetup& setup, TShowSeams seams)
    : MaxRuntime([this] { MaxRuntimeTimer(); }, seams.clock),
      project_(project),
      settings_(settings),
      seams_(std::move(seams)),
      setup_(setup),
      music_(project, seams_.media != nullptr ? *seams_.media : project, settings, random_,
             {[this] { return MusicDue(); }, [this] { return quitting_; }, [this](const QString& m) { Message(m); }},
             seams_.clock),
      mediaWait_([this] {
        if (!TMediaPlayer::LibrarySettled() ||
            std::any_of(screens_.begin(), screens_.end(), [](const auto& s) { return s->ShowTimer.isActive(); }))
          return;
        mediaWait_.stop();
        MediaLibrarySettled();
      }, seams_.clock) {
  if (seams_.seed) random_.Seed(*seams_.seed);
  else random_.Randomize();
  MaxRuntime.setInterval(1000);
  if (settings_.UseMaxRunTime) {
    FRunSecondsLeft = settings_.MaxRunMinutes * 60;
    if (FRunSecondsLeft == 0) FRunSecondsLeft = 60;
    MaxRuntime.start();
  }
  project_.ReadSlides(random_);
  firstSlide_ = setup.firstSlide;
  if (CoversScreens()) {
    // Full screen: every screen, the primary one first. All start at the same slide; in random
    // order it is drawn once for all, and then each screen follows its own cycle.
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen(); screens.removeOne(primary)) screens.prepend(primary);
    const auto slides = std::count_if(project_.Slides.begin(), project_.Slides.end(),
                                      [](const TPictureInfo& r) { return !r.IsBackgroundPicture; });
    if (firstSlide_ < 0 && project_.RandomOrder && screens.size() > 1 && slides > 0)
      firstSlide_ = random_.Random(int32_t(slides));
    for (QScreen* screen : screens) AddScreen(screen);
    if (screens.isEmpty()) AddScreen(nullptr);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
      if (quitting_) return;
      AddScreen(screen);
      screens_.back()->show();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &TShow::RemoveScreen);
  } else {
    AddScreen(nullptr);
  }
  // Mode set-up: the first track is opened, not started; the first slide that asks for music
  // starts it. On the screen the media library is opened once the first frame is there: the
  // music waits for it, then does what the slide on the screen asks.
  music_.SetWaiting(setup.onScreen && settings_.MusicEnabled && !project_.MusicFiles.isEmpty() &&
                    !TMediaPlayer::LibrarySettled());
  music_.OpenTrack(false);
  FRunning = true;
}

std::optional<uint32_t> TShow::ScreenSeed(size_t index) {
  if (seams_.seed) return *seams_.seed + 0x9E3779B9u * uint32_t(index);
  // Each screen its own sequence: screens made in the same instant must not repeat each other.
  if (index == 0) return std::nullopt;
  return random_.CurrentSeed() ^ (0x9E3779B9u * uint32_t(index));
}

void TShow::AddScreen(QScreen* screen) {
  TRunSetup setup = setup_;
  setup.screen = screen;
  setup.firstSlide = firstSlide_;
  screens_.push_back(std::make_unique<TfRun>(*this, setup, ScreenSeed(screens_.size())));
}

void TShow::RemoveScreen(QScreen* screen) {
  const auto it = std::find_if(screens_.begin(), screens_.end(), [&](const auto& s) { return s->Covers(screen); });
  if (it == screens_.end()) return;
  // The last window stays: Qt stands a placeholder screen in for the one that went, and the show
  // goes on there until a screen comes back. It no longer names the screen that went.
  if (screens_.size() == 1) {
    (*it)->ScreenGone();
    return;
  }
  // The window may be inside one of its own handlers (a dialog's loop runs under it): it is
  // stopped now and deleted once the loop is back.
  TfRun* gone = it->release();
  screens_.erase(it);
  gone->Stop();
  gone->deleteLater();
  leaving_.emplace_back(gone);
}

TShow::~TShow() {
  screens_.clear();
  for (const QPointer<TfRun>& gone : leaving_) delete gone.data();  // the loop did not come back for them
  if (FRunning) {
    music_.StopMusic();
    FRunning = false;
  }
  music_.MusicPlayTimer.stop();
}

void TShow::Show() {
  for (const auto& screen : screens_)
    if (!quitting_) screen->show();
}

TMediaFetch& TShow::Media() const { return seams_.media != nullptr ? *seams_.media : project_; }

void TShow::Message(const QString& text) const {
  if (seams_.message) seams_.message(text);
  else ShowMessage(text);
}

void TShow::CloseShow() {
  if (quitting_ || !FormCloseQuery()) return;
  EndShow();
}

void TShow::EndShow() {
  if (quitting_) return;
  quitting_ = true;
  for (const auto& screen : screens_) screen->Stop();
  MaxRuntime.stop();
  // A preview's foreign parent keeps the loop from ending on the last window: leave it directly.
  QCoreApplication::exit(0);
}

bool TShow::FormCloseQuery() {
  if (!settings_.PasswordEnabled || Screen().FHosted) return true;
  if (dialogOpen_) return false;  // the prompt is up already (input on another screen): once
  dialogOpen_ = true;
  for (const auto& screen : screens_) screen->ShowCursorAgain();
  const bool allowed = PasswordCheck(settings_);
  dialogOpen_ = false;
  return allowed;
}

void TShow::OpenSettings(QWidget* parent) {
  dialogOpen_ = true;
  QCoreApplication::processEvents();
  if (!quitting_ && (!settings_.PasswordEnabled || PasswordCheck(settings_)) && !quitting_) {
    for (const auto& screen : screens_) screen->ShowCursorAgain();
    ShowSettingDialog(project_, settings_, parent);
    // The settings are reloaded by the message, which is handled before it returns: loading
    // them here as well would read the same values and report a damaged key twice.
    if (!quitting_) SendMessage(this, WM_SETTINGS_RELOAD);
    if (!quitting_ && SlideAsksForMusic() && settings_.MusicEnabled) PostMessage(this, WM_MUSIC_RESUME);
  }
  dialogOpen_ = false;
}

void TShow::SlideStarted(const TfRun& screen, bool wantsMusic) {
  // The music follows the first screen's slides; the others' come and go under it.
  if (&screen == screens_.front().get()) PostMessage(this, wantsMusic ? WM_MUSIC_RESUME : WM_MUSIC_PAUSE);
}

bool TShow::SlideAsksForMusic() const { return screens_.front()->SlideAsksForMusic(); }

bool TShow::MusicDue() const {
  // The music follows the first screen's slides.
  const TfRun& screen = *screens_.front();
  return settings_.MusicEnabled && screen.SlideAsksForMusic() && !screen.Video().Playing() && !screen.FFlashShowing;
}

bool TShow::ShowNeedsMedia() const {
  if (settings_.MusicEnabled && !project_.MusicFiles.isEmpty()) return true;
  return std::any_of(project_.Slides.begin(), project_.Slides.end(),
                     [](const TPictureInfo& s) { return !s.IsBackgroundPicture && s.SlideKind == 2; });
}

void TShow::FirstFrameShown() {
  if (mediaBegun_ || !ShowNeedsMedia()) return;
  mediaBegun_ = true;
  TMediaPlayer::LoadLibraryInBackground();
  if (!music_.Waiting()) return;
  // Asked on this thread a few times a second until the opening has ended; the music then
  // catches up, once no transition runs: opening a track starts the player and waits for it to
  // load the file, a pause the first transition would show.
  mediaWait_.setInterval(20);
  mediaWait_.start();
}

void TShow::MediaLibrarySettled() {
  if (Traced("show"))
    std::fprintf(stderr, "showforge: media library settled %lld ms after start\n",
                 (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - setup_.started).count());
  music_.CatchUp(SlideAsksForMusic() && settings_.MusicEnabled);
}

void TShow::MaxRuntimeTimer() {
  if (--FRunSecondsLeft > 0) return;
  // Refused by the password, the show goes on without music and does not ask again.
  MaxRuntime.stop();
  music_.StopMusic();
  CloseShow();
  FRunning = false;
}

void TShow::customEvent(QEvent* event) {
  if (event->type() != TMessageEvent::EventType()) return QObject::customEvent(event);
  switch (static_cast<TMessageEvent*>(event)->Message) {
    case WM_SHOW_CLOSE:
      // A flash window asked for the password before it posted this: the show ends without
      // asking a second time.
      if (FRunning) {
        music_.StopMusic();
        FRunning = false;
        EndShow();
      }
      break;
    case WM_SETTINGS_RELOAD:
      try {
        settings_.Load();
      } catch (const ERegistryException& e) {
        // A damaged key: the values read before the fault are taken, the message is shown,
        // and the show goes on.
        Message(QString::fromStdString(e.what()));
      }
      FRunSecondsLeft = settings_.MaxRunMinutes * 60;  // 0 stays 0: the next tick ends the show
      if (settings_.UseMaxRunTime) MaxRuntime.start();
      else MaxRuntime.stop();
      if (!settings_.MusicEnabled) music_.PauseMusic();
      break;
    case WM_MUSIC_START:
      if (settings_.MusicEnabled && !music_.FMusicPlaying) music_.OpenTrack(true);
      break;
    case WM_MUSIC_STOP: music_.StopMusic(); break;
    case WM_MUSIC_PAUSE: music_.PauseMusic(); break;
    case WM_MUSIC_RESUME:
      if (settings_.MusicEnabled) music_.ResumeMusic();
      break;
    default: break;
  }
}

}  // namespace sf
