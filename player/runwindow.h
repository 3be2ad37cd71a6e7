// The run window: the player of one screen. It owns the off-screen bitmaps, the slide lists, the
// transition engine, the video panel, its flash window and its own generator, and drives the
// show cycle on its screen: choose the next slide, prepare it off screen, hand it to the
// transition engine, hold it for the display time, and go on until the show ends. What happens
// once a show (the music, the close, the maximum run time) it leaves to its show.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QWidget>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "container/mediafile.h"
#include "container/pictureinfo.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/scratch.h"
#include "player/closerules.h"
#include "player/runsetup.h"
#include "player/slideprep.h"
#include "player/video.h"
#include "transitions/engine.h"
#include "transitions/qrxarray.h"

namespace sf {

class TfFlashform;
class TProjectInfo;
class TRWSetting;
class TShow;
class TX11HostWatch;

// The desktop snapshot's file name in the private temporary folder.
extern const char kDesktopSnapshotName[];

class TfRun : public QWidget {
  Q_OBJECT

 public:
  // One screen of `show`, its generator seeded with `seed` (none: from the clock).
  TfRun(TShow& show, const TRunSetup& setup, std::optional<uint32_t> seed = {});
  ~TfRun() override;

  // The handlers, public so that tests can fire the timers by hand.
  void FormShow();
  void SelectTimerTimer();
  void ShowTimerTimer();
  void displaypanelMouseDown(Qt::MouseButton button, QPoint globalPos);
  // Input: what the user does on this screen counts towards the show's close.
  void pbShowMouseMove(int x, int y);
  void pbShowMouseDown(Qt::MouseButton button, QPoint globalPos);
  void pbShowDblClick();
  void FormKeyDown(int key);
  void FormKeyPress(const QString& text);
  void Setting1Click();
  void Close1Click();
  // The show ends: the cycle stops, the flash window and the clip close, and the window with them.
  void Stop();
  bool Closing() const;
  bool CursorHidden() const { return cursorHidden_; }
  void ShowCursorAgain();
  // Menu mode: a right click opens the popup menu, and mouse moves never end the show.
  bool MenuModeOn() const;
  // Whether this is the window of `screen` (null: the primary screen's, or a host's).
  bool Covers(const QScreen* screen) const { return setup_.screen == screen; }
  // The screen went and the window stays (the show's last): it names no screen from now on.
  void ScreenGone() { setup_.screen = nullptr; }
  // The slide on the screen is a picture that asks for music.
  bool SlideAsksForMusic() const;

  // The visible show surface (the picture of pbShow).
  QImage& Surface() { return surface_; }
  TTransitionEngine& Engine() { return engine_; }
  // The slides' preparation: their pictures, places, backgrounds and composites.
  TSlidePreparer& Preparer() { return prep_; }
  TVideoSlide& Video() { return video_; }
  const TVideoSlide& Video() const { return video_; }
  // The flash slide's window while one plays, else null.
  TfFlashform* FlashWindow() const { return flash_.get(); }
  TRandom& Rng() { return random_; }
  TShow& Show() const { return show_; }

  // The window's state.
  std::vector<TPictureInfo*> FSlides, FBackgrounds;
  int32_t FSlideKind = 0;
  int32_t FFlashStartFrame = 0;
  bool FStarted = false;
  int32_t FCurrent = -1;
  int32_t FEffect = kNoEffect;
  bool FPreview = false;  // the preview's layout: a host smaller than a screen
  bool FHosted = false;   // inside a host window: input does not end the show, the host does
  qreal dpr_ = 1.0;       // device pixels a unit of Qt's geometry (the screen's scale factor)
  int32_t FShowWidth = 0, FShowHeight = 0;
  bool FFlashShowing = false;
  TMouseMoveWatch FMoves;
  bool FFirstShow = true;
  int32_t FSlideCount = 0;
  std::vector<TQrxArray> FSlideEffects;
  TQrxArray FUserEffects;

  TTimer ShowTimer, SelectTimer;
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
  QScreen* Screen() const;
  void TakeDesktopSnapshot();
  void CloseShow();

  // Slide preparation.
  bool PrepareSlide(int32_t index);
  void ShowMessages(const QStringList& messages);
  TShowArea Area() const { return {QSize(FShowWidth, FShowHeight), FPreview, dpr_}; }
  void StartTransition(const TPictureInfo& slide, TQrxArray& list, int32_t speed, bool random);
  void Repaint();
  // A rectangle of device pixels (the show's surface) in the units the widgets are placed in.
  QRect ToLogical(QRect device) const;
  // The display time, then the next slide.
  void HoldSlide();

  // Video slides.
  void VideoSlide(const TPictureInfo& slide);
  // The file of a flash or video slide's medium; empty, the user told why, when there is none.
  QString FetchSlideMedia(const TPictureInfo& slide);

  // Flash slides (flash.cpp): false when the movie cannot be read and the slide is passed over.
  bool FlashSlide(const TPictureInfo& slide);
  void FreeFlashWindow();

  TShow& show_;
  TProjectInfo& project_;
  TRWSetting& settings_;
  TRunSetup setup_;
  TRandom random_;
  QImage surface_;
  TCanvas canvas_{surface_};
  TTransitionEngine engine_{random_};
  TSlidePreparer prep_;
  QWidget* plBK = nullptr;
  QWidget* pbShow = nullptr;
  TVideoSlide video_;
  std::unique_ptr<TfFlashform> flash_;
  std::unique_ptr<TX11HostWatch> host_;
  bool cursorHidden_ = false;
  bool wroteSnapshot_ = false;  // the desktop snapshot's file is this window's (the primary screen's)
  // Slides whose external picture was found missing and whose close the password refused:
  // passed over for the rest of the run.
  std::vector<bool> missing_;
  TMediaFile slideMedia_;  // the movie or clip of the flash or video slide
  // Work of the start done on other cores while the first slide is prepared: its fonts resolved,
  // the window's backing store faulted in. Joined before the window is painted, at the first
  // frame, at the show's end and in the destructor.
  void WarmFonts();
  void PrefaultBackingStore();
  void JoinStartHelpers();
  std::thread fontWarmer_;
  TPageToucher backingTouch_;
  // The first frame: traced, and the show told.
  void FirstFrameShown();
  long long MsSinceStart() const;
  // The trace of the first frame and of each transition's ticks.
  bool trace_ = false, firstFrameShown_ = false;
  int32_t ticks_ = 0;
  int32_t stepInterval_ = 10;  // the running effect's tick
  QElapsedTimer transitionClock_;

  friend class TShowSurface;
};

}  // namespace sf
