#include "player/flashform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>

#include "platform/widgets.h"
#include "player/flashsound.h"
#include "player/messages.h"
#include "player/password.h"
#include "settings/rwsetting.h"

namespace sf {

// --- The control ---

void TMyShockwaveFlash::SetBackgroundColour(TColor colour) {
  const uint32_t c = uint32_t(colour);
  SetBackgroundColor(int32_t((c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF)));
}

// A message passed on goes to the movie (its buttons); one held back goes to its event.
void TMyShockwaveFlash::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) {
    if (PassLButtonDown) TShockwaveFlash::mousePressEvent(event);
    else if (OnLButtonDown) OnLButtonDown(this);
  } else if (event->button() == Qt::RightButton && !PassRButtonDown) {
    if (OnRButtonDown) OnRButtonDown(this);
    if (PopupMenu) PopupMenu->popup(mapToGlobal(event->position().toPoint()));
  }
}

void TMyShockwaveFlash::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  if (PassLButtonUp) TShockwaveFlash::mouseReleaseEvent(event);
  else if (OnLButtonUp) OnLButtonUp(this);
}

// Only the left button's double click is one of the five; passed on, it is a press to the movie.
void TMyShockwaveFlash::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  if (PassLButtonDblClk) TShockwaveFlash::mousePressEvent(event);
  else if (OnLButtonDblClk) OnLButtonDblClk(this);
}

void TMyShockwaveFlash::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  // A movie that takes the clicks sees where the pointer is, so that its buttons show their over
  // state under it, even when the moves themselves are held back for the close events.
  if (PassMouseMove || PassLButtonDown) TShockwaveFlash::mouseMoveEvent(event);
  if (PassMouseMove || !OnMouseMove) return;
  // The position as the message carries it: two unsigned 16-bit halves.
  const QPoint p = event->position().toPoint();
  OnMouseMove(this, int32_t(uint16_t(p.x())), int32_t(uint16_t(p.y())));
}

// --- The window ---

TfFlashform::TfFlashform(QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget
                             : Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                   Qt::Tool) {
  setWindowTitle("FlashPanel");
  setAttribute(Qt::WA_DeleteOnClose, false);
  Playtimer.setInterval(100);
  stoptimer.setInterval(1000);
  connect(&Playtimer, &QTimer::timeout, this, &TfFlashform::PlaytimerTimer);
  connect(&stoptimer, &QTimer::timeout, this, &TfFlashform::stoptimerTimer);
  FormCreate();
}

void TfFlashform::FormCreate() {
  FMoves = {};
  FSecondsCount = 0;
  FTakesMouseMoves = FTakesClicks = false;
}

TfFlashform::~TfFlashform() {
  Playtimer.stop();
  stoptimer.stop();
  delete FFlash;
  FFlash = nullptr;
}

std::unique_ptr<TfFlashform> TfFlashform::CreateFullScreen(QObject* notify, std::shared_ptr<bool> asking, QMenu* pm,
                                                           TRWSetting& settings, bool closeByMouse, bool autoplay,
                                                           const TFlashParams& params, const QString& path,
                                                           QRect area) {
  std::unique_ptr<TfFlashform> owned(new TfFlashform(nullptr));
  TfFlashform* form = owned.get();
  form->asking_ = std::move(asking);
  form->FSetting = &settings;
  form->setGeometry(area);
  form->FNotifyWnd = notify;
  form->setFocusPolicy(Qt::StrongFocus);  // the keys of the close events come to the window

  TMyShockwaveFlash* flash = form->FFlash = new TMyShockwaveFlash(form);
  flash->setCursor(Qt::ArrowCursor);
  flash->setGeometry(0, 0, area.width(), area.height());
  flash->setFocusPolicy(Qt::NoFocus);
  flash->PassRButtonDown = false;
  form->FCloseByMouse = closeByMouse;
  if (closeByMouse) flash->OnRButtonDown = [form](TMyShockwaveFlash*) { form->RightClickClose(); };
  else flash->PopupMenu = pm;

  form->FEndMode = params.endMode;
  form->FEndFrame = params.endFrame;
  form->FEndSeconds = params.endSeconds;
  form->FTakesMouseMoves = params.takesMouseMoves;
  form->FTakesClicks = params.takesClicks;
  if (form->FTakesClicks) {
    flash->PassLButtonDown = flash->PassLButtonUp = true;
  } else {
    flash->PassLButtonDown = flash->PassLButtonUp = false;
    flash->OnLButtonDown = [form](TMyShockwaveFlash*) { form->LeftClickClose(); };
    flash->OnLButtonUp = [](TMyShockwaveFlash*) {};
    flash->PassLButtonDblClk = false;
    flash->OnLButtonDblClk = [form](TMyShockwaveFlash*) { form->DoubleClickClose(); };
  }
  flash->PassMouseMove = form->FTakesMouseMoves;
  flash->setMouseTracking(true);
  if (!form->FTakesMouseMoves)
    flash->OnMouseMove = [form](TMyShockwaveFlash*, int32_t x, int32_t y) { form->FlashMouseMoveClose(x, y); };

  form->LoadMovie(params, path);
  BringToFront(form);  // beneath a dialog that is up
  form->setFocus();
  if (autoplay) form->Playtimer.start(), form->stoptimer.start();
  return owned;
}

std::unique_ptr<TfFlashform> TfFlashform::CreatePreview(QObject* notify, QWidget* plBK, TRWSetting& settings,
                                                        bool autoplay, const TFlashParams& params,
                                                        const QString& path) {
  std::unique_ptr<TfFlashform> owned(new TfFlashform(plBK));
  TfFlashform* form = owned.get();
  form->FSetting = &settings;
  form->setGeometry(0, 0, plBK->width(), plBK->height());
  form->FNotifyWnd = notify;
  // A preview takes no keys: the host's dialog keeps them.
  form->setFocusPolicy(Qt::NoFocus);
  TMyShockwaveFlash* flash = form->FFlash = new TMyShockwaveFlash(form);
  flash->setGeometry(0, 0, form->width(), form->height());
  flash->setFocusPolicy(Qt::NoFocus);
  flash->PassRButtonDown = false;  // no event and no menu: a right click does nothing
  form->FEndMode = params.endMode;
  form->FEndFrame = params.endFrame;
  form->FEndSeconds = params.endSeconds;
  form->LoadMovie(params, path);
  form->show();
  flash->raise();
  form->raise();
  if (autoplay) form->Playtimer.start(), form->stoptimer.start();
  return owned;
}

void TfFlashform::LoadMovie(const TFlashParams& params, const QString& path) {
  FFlash->Menu = false;
  FFlash->SetMovie(path);
  FFlash->SetBackgroundColour(params.backgroundColour);
  FFlash->SetScaleMode(params.scaleMode);
  FFlash->SetAlignMode(params.alignMode);
  FStartFrame = params.startFrame;
  FTotalFrames = FFlash->TotalFrames();
  FLastFrame = 0;
  FIdleTicks = 0;
}

void TfFlashform::PlaytimerTimer() {
  Playtimer.stop();
  FFlash->GotoFrame(FStartFrame);
  // The movie sounds from here, where it starts in the window: not from its load a moment before.
  FFlash->SetSoundOutput(std::make_unique<TFlashSound>());
  FFlash->Play();
}

void TfFlashform::Ended() {
  if (FNotifyWnd) PostMessage(FNotifyWnd, WM_FLASH_ENDED, 1, 1);
}

void TfFlashform::stoptimerTimer() {
  switch (FEndMode) {
    case 0:
      if (FFlash->CurrentFrame() >= FEndFrame) {
        FFlash->StopPlay();
        Ended();
      }
      FLastFrame = FFlash->CurrentFrame();
      break;
    case 1:
      if (++FSecondsCount > FEndSeconds) {
        FFlash->StopPlay();
        Ended();
      }
      FLastFrame = FFlash->CurrentFrame();
      break;
    case 2: FLastFrame = FFlash->CurrentFrame(); break;
    default: {
      if (!FFlash->Playing()) {
        ++FIdleTicks;
        const int32_t limit = FLastFrame != 0 ? 3 : FTotalFrames / 18 + 3;
        if (FIdleTicks == limit) {
          Ended();
          stoptimer.stop();
        }
        break;
      }
      const int32_t frame = FFlash->CurrentFrame();
      if (frame != FLastFrame && frame >= FLastFrame) {
        FLastFrame = frame;  // still advancing
        break;
      }
      // The frame stood still for a tick, or went back: the movie looped.
      FFlash->StopPlay();
      Ended();
      FLastFrame = FFlash->CurrentFrame();
      break;
    }
  }
}

void TfFlashform::closeEvent(QCloseEvent* event) {
  Ended();
  QWidget::closeEvent(event);
}

void TfFlashform::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event->key());
  if (!event->text().isEmpty()) FormKeyPress(event->text());
}

void TfFlashform::FormKeyDown(int key) {
  if (ClosingKey(*FSetting, key)) AskToClose(false);
}

void TfFlashform::FormKeyPress(const QString& text) {
  if (ClosingText(*FSetting, text)) AskToClose(false);
}

void TfFlashform::LeftClickClose() {
  if (!FTakesClicks && FSetting->CloseOnLeftClick) AskToClose(false);
}

void TfFlashform::RightClickClose() {
  if (FSetting->CloseOnRightClick) AskToClose(false);
}

void TfFlashform::DoubleClickClose() {
  if (!FTakesClicks && FSetting->CloseOnDoubleClick) AskToClose(false);
}

void TfFlashform::FlashMouseMoveClose(int32_t x, int32_t y) {
  if (FTakesMouseMoves) return;
  if (FCloseByMouse && FSetting->CloseOnMouseMove) {
    if (FMoves.Closes(FSetting->MouseSensitivity, x, y)) AskToClose(true);
    return;
  }
  if (FFlash->cursor().shape() != Qt::ArrowCursor) FFlash->setCursor(Qt::ArrowCursor);
}

void TfFlashform::AskToClose(bool byMouseMove) {
  if (*asking_) return;
  *asking_ = true;
  // The prompt opens from the event loop, not from inside this window's handlers: while it is
  // up the movie may end or the show may close, and the run window then frees this window, which
  // must not be on the stack at that moment. The password is asked here only; the run window
  // then closes the show without asking again.
  QPointer<TfFlashform> self(this);
  QPointer<QObject> notify = FNotifyWnd;
  TRWSetting* settings = FSetting;
  QTimer::singleShot(0, QCoreApplication::instance(), [self, notify, settings, byMouseMove, asking = asking_] {
    const bool allowed = notify && PasswordCheck(*settings);
    *asking = false;
    if (allowed) PostMessage(notify, WM_SHOW_CLOSE);
    else if (self && byMouseMove) self->FMoves.moves = 0;
  });
}

}  // namespace sf
