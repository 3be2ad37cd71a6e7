// The flash window: a window of its own over the show (or inside the preview's panel) that holds
// the flash control, starts the movie, watches for its end by the slide's end rule and hands back
// to the run window with WM_FLASH_ENDED. Its close events follow the run window's rules.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/color.h"
#include "player/closerules.h"
#include "swf/flashcontrol.h"

namespace sf {

class TRWSetting;

// The flash control with the five mouse messages diverted: a message whose pass flag is on goes
// to the movie; one whose flag is off goes to its event, if one is set, and no further.
class TMyShockwaveFlash : public swf::TShockwaveFlash {
  Q_OBJECT

 public:
  using TShockwaveFlash::TShockwaveFlash;

  using TClickEvent = std::function<void(TMyShockwaveFlash* sender)>;
  using TMoveEvent = std::function<void(TMyShockwaveFlash* sender, int32_t x, int32_t y)>;

  bool PassLButtonDown = true, PassLButtonUp = true, PassRButtonDown = true, PassMouseMove = true,
       PassLButtonDblClk = true;
  TClickEvent OnLButtonDown, OnLButtonUp, OnRButtonDown, OnLButtonDblClk;
  TMoveEvent OnMouseMove;
  // Pops up at a right click that does not go to the movie.
  QPointer<QMenu> PopupMenu;

  // Takes a colour as the show stores it (0x00BBGGRR) and gives the control 0x00RRGGBB.
  void SetBackgroundColour(TColor colour);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};

// What the run window hands to the flash window for a slide.
struct TFlashParams {
  TColor backgroundColour = 0;
  int32_t alignMode = 0, scaleMode = 0;
  int32_t startFrame = 0;
  int32_t endMode = 3, endFrame = 0, endSeconds = 0;
  bool takesMouseMoves = false, takesClicks = false;
};

class TfFlashform : public QWidget {
  Q_OBJECT

 public:
  // Full screen over `area`, the run window's popup menu `pm`; the close events by mouse are
  // installed when `closeByMouse` (menu mode off). `notify` receives WM_FLASH_ENDED and
  // WM_SHOW_CLOSE; `asking` is the show's: whether a password prompt of a flash window's close
  // event is up.
  static std::unique_ptr<TfFlashform> CreateFullScreen(QObject* notify, std::shared_ptr<bool> asking, QMenu* pm,
                                                       TRWSetting& settings, bool closeByMouse, bool autoplay,
                                                       const TFlashParams& params, const QString& path, QRect area);
  // Inside the preview's panel, at its size; the movie gets every mouse message but the right
  // button's, which does nothing.
  static std::unique_ptr<TfFlashform> CreatePreview(QObject* notify, QWidget* plBK, TRWSetting& settings,
                                                    bool autoplay, const TFlashParams& params, const QString& path);
  // Frees the control and the window. Posts nothing.
  ~TfFlashform() override;

  void PlaytimerTimer();
  void stoptimerTimer();
  void FormKeyDown(int key);
  void FormKeyPress(const QString& text);
  // The close events of the mouse.
  void LeftClickClose();
  void RightClickClose();
  void DoubleClickClose();
  void FlashMouseMoveClose(int32_t x, int32_t y);

  TRWSetting* FSetting = nullptr;
  int32_t FLastFrame = 0;
  int32_t FTotalFrames = 0;
  int32_t FIdleTicks = 0;
  TMyShockwaveFlash* FFlash = nullptr;
  QPointer<QObject> FNotifyWnd;
  int32_t FStartFrame = 0;
  TMouseMoveWatch FMoves;
  bool FCloseByMouse = false;
  int32_t FEndMode = 3, FEndFrame = 0;
  int32_t FSecondsCount = 0;
  int32_t FEndSeconds = 0;
  bool FTakesMouseMoves = false, FTakesClicks = false;

  QTimer Playtimer, stoptimer;

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormClose
  void keyPressEvent(QKeyEvent* event) override;

 private:
  explicit TfFlashform(QWidget* parent);
  void FormCreate();
  void LoadMovie(const TFlashParams& params, const QString& path);
  void Ended();
  // Runs the password check and, when it passes, asks the run window to close the show.
  void AskToClose(bool byMouseMove);
  std::shared_ptr<bool> asking_ = std::make_shared<bool>(false);
};

}  // namespace sf
