// The run window: the player. It owns the off-screen bitmaps, the slide lists and the timers,
// and drives the show cycle: choose the next slide, prepare it off screen, hand it to the
// transition engine, hold it for the display time, and go on until the show is closed.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "container/mediafile.h"
#include "container/pictureinfo.h"
#include "platform/canvas.h"
#include "platform/mediaplayer.h"
#include "platform/scratch.h"
#include "player/slideprep.h"
#include "transitions/engine.h"
#include "transitions/qrxarray.h"

namespace sf {

class TProjectInfo;
class TRWSetting;
class TX11HostWatch;

// How the run window is set up: full screen, or inside a preview host.
struct TRunSetup {
  bool preview = false;      // inside the host window: the host, not the user's input, ends the show
  uint32_t hostWindow = 0;   // the X11 window of a preview
  bool screenHost = false;   // the host covers a screen: slides are laid out as on the full screen
  // The show area when it is not the screen's or the host's (tests); empty: asked of the system.
  QSize showArea;
  // Whether the window takes the screen: shows itself, takes the desktop snapshot. Off in tests,
  // which drive the cycle by hand.
  bool onScreen = true;
  // The slide the show starts with (from 0, in project order); -1: the first the order gives.
  int32_t firstSlide = -1;
  // When the program started, for the trace of the first frame (SHOWFORGE_TRACE=1).
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// The desktop snapshot's file name in the private temporary folder.
extern const char kDesktopSnapshotName[];

class TfRun : public QWidget {
  Q_OBJECT

 public:
  TfRun(TProjectInfo& project, TRWSetting& settings, const TRunSetup& setup);
  ~TfRun() override;

  // The handlers, public so that tests can fire the timers by hand.
  void FormShow();
  void SelectTimerTimer();
  void ShowTimerTimer();
  void MaxRuntimeTimer();
  void MusicPlayTimerTimer();
  void VidioTimerTimer();
  void displaypanelMouseDown(Qt::MouseButton button, QPoint globalPos);
  // Background music (music.cpp).
  void OpenTrack(bool play);
  void StopMusic();
  void PauseMusic();
  void ResumeMusic();
  // Close events and input.
  void pbShowMouseMove(int x, int y);
  void pbShowMouseDown(Qt::MouseButton button, QPoint globalPos);
  void pbShowDblClick();
  void FormKeyDown(int key);
  void FormKeyPress(const QString& text);
  void Setting1Click();
  void Close1Click();
  // The close query: false refuses the close (a wrong password, or Cancel).
  bool FormCloseQuery();
  // The ordinary close of the show, through the close query.
  void CloseShow();
  // Ends the show at once, without the close query: the program was told to end (SIGTERM).
  void Terminate() { EndShow(); }
  // Whether the show has been closed (the loop is told to end).
  bool Closing() const { return quitting_; }
  bool CursorHidden() const { return cursorHidden_; }
  // Menu mode: a right click opens the popup menu, and mouse moves never end the show.
  bool MenuModeOn() const;

  // The visible show surface (the picture of pbShow).
  QImage& Surface() { return surface_; }
  TTransitionEngine& Engine() { return engine_; }
  // The slides' preparation: their pictures, places, backgrounds and composites.
  TSlidePreparer& Preparer() { return prep_; }

  // The window's state.
  int32_t FPicX = 0, FPicY = 0;  // where the video panel stands
  std::vector<TPictureInfo*> FSlides, FBackgrounds;
  int32_t FSlideKind = 0;
  int32_t FVideoPos = 0;
  int32_t FFlashStartFrame = 0;
  bool FStarted = false;
  int32_t FCurrent = -1;
  int32_t FEffect = kNoEffect;
  bool FPreview = false;  // the preview's layout: a host smaller than a screen
  bool FHosted = false;   // inside a host window: input does not end the show, the host does
  qreal dpr_ = 1.0;       // device pixels a unit of Qt's geometry (the screen's scale factor)
  int32_t FShowWidth = 0, FShowHeight = 0;
  int32_t FVideoWidth = 0, FVideoHeight = 0, FVideoShowWidth = 0, FVideoShowHeight = 0;
  bool FVideoPlaying = false, FFlashShowing = false;
  int32_t FLastMouseX = -10, FLastMouseY = 0;
  int32_t FMouseMoves = 0;
  bool FDialogOpen = false;
  bool FFirstShow = true;
  bool FMusicPlaying = false, FMusicLoaded = false;
  int32_t FTrackEndTicks = 0;
  bool FRunning = false;
  int32_t FRunSecondsLeft = 0;
  int32_t FTrack = 0;
  bool FPlaylistDone = false;
  int32_t FSlideCount = 0;
  std::vector<TQrxArray> FSlideEffects;
  TQrxArray FUserEffects;

  QTimer ShowTimer, SelectTimer, VidioTimer, MaxRuntime, MusicPlayTimer;
  // The background music's player (mpmusic).
  TMediaPlayer mpmusic{TMediaPlayer::TUse::Sound};
  // The video slides' player (mp), drawing into displaypanel.
  TMediaPlayer mp{TMediaPlayer::TUse::Video};
  QMenu pm;
  QAction* Setting1 = nullptr;
  QAction* Close1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  void FormCreate();
  void FullScreenSetup();
  void PreviewSetup();
  void SplitRecords();
  void FormResize();
  void TakeDesktopSnapshot();
  // Ends the show without the close query: the host of a preview went away.
  void EndShow();
  void ShowCursorAgain();

  // Slide preparation.
  bool PrepareSlide(int32_t index);
  void ShowMessages(const QStringList& messages);
  TShowArea Area() const { return {QSize(FShowWidth, FShowHeight), FPreview, dpr_}; }
  void StartTransition(const TPictureInfo& slide, TQrxArray& list, int32_t speed, bool random);
  void Repaint();
  // A rectangle of device pixels (the show's surface) in the units the widgets are placed in.
  QRect ToLogical(QRect device) const;

  // Video slides (video.cpp).
  QWidget* NewVideoPanel(QWidget* parent);
  void VideoSlide(const TPictureInfo& slide);
  bool StartVideo(const QString& path, int32_t sizeMode, bool randomPosition, int32_t startPos, bool preview);
  void StopVideo();

  // The file of a flash or video slide's medium; empty, the user told why, when there is none.
  QString FetchSlideMedia(const TPictureInfo& slide);

  // Flash slides (flash.cpp): false when the movie cannot be read and the slide is passed over.
  bool FlashSlide(const TPictureInfo& slide);

  TProjectInfo& project_;
  TRWSetting& settings_;
  TRunSetup setup_;
  QImage surface_;
  TCanvas canvas_{surface_};
  TTransitionEngine engine_;
  TSlidePreparer prep_;
  QWidget* plBK = nullptr;
  QWidget* pbShow = nullptr;
  QWidget* displaypanel = nullptr;
  std::unique_ptr<TX11HostWatch> host_;
  bool cursorHidden_ = false;
  bool quitting_ = false;
  // Slides whose external picture was found missing and whose close the password refused:
  // passed over for the rest of the run.
  std::vector<bool> missing_;
  // Music tracks that could not be opened, passed over for the rest of the run; when every track
  // of the list is one, the music stops for the run.
  bool MusicOpenAt(int32_t index);
  bool MusicDue() const;
  std::vector<bool> badTracks_;
  TMediaFile musicFile_;   // the track the music player has open
  TMediaFile slideMedia_;  // the movie or clip of the flash or video slide
  bool musicDead_ = false;
  bool musicOpening_ = false;  // a track's file is being fetched (its message may be up)
  // Work of the start done on other cores while the first slide is prepared: its fonts resolved,
  // the window's backing store faulted in. Joined before the window is painted, at the first
  // frame, at the show's end and in the destructor.
  void WarmFonts();
  void PrefaultBackingStore();
  void JoinStartHelpers();
  std::thread fontWarmer_;
  TPageToucher backingTouch_;
  // The first frame: traced, and the media library begun in the background.
  void FirstFrameShown();
  long long MsSinceStart() const;
  // The media library is opened once the first frame is on the screen, when the show plays
  // music or video; until it is there the music's set-up waits, and then catches up.
  bool ShowNeedsMedia() const;
  void BeginMediaLibrary();
  void MediaLibrarySettled();
  bool musicWaits_ = false, mediaBegun_ = false;
  QTimer mediaWait_;
  // The trace of the first frame and of each transition's ticks.
  bool trace_ = false, firstFrameShown_ = false;
  int32_t ticks_ = 0;
  QElapsedTimer transitionClock_;

  friend class TShowSurface;
};

}  // namespace sf
