// Flash slides: the movie plays in the flash window over the slide's background colour; the
// window's end watch hands back to the show cycle with WM_FLASH_ENDED.
#include <cstdio>

#include "container/projectinfo.h"
#include "platform/trace.h"
#include "player/flashform.h"
#include "player/messages.h"
#include "player/runwindow.h"

namespace sf {

bool TfRun::FlashSlide(const TPictureInfo& slide) {
  PostMessage(this, WM_MUSIC_PAUSE);
  FreeFlashWindow();
  prep_.Background().fill(ToQRgb(slide.FlashBackgroundColor));
  canvas_.Draw(0, 0, prep_.Background());
  Repaint();
  TFlashParams params;
  params.backgroundColour = slide.FlashBackgroundColor;
  params.alignMode = slide.FlashAlignMode;
  params.scaleMode = slide.FlashScaleMode;
  params.startFrame = FFlashStartFrame;
  params.endMode = slide.FlashEndMode;
  params.endFrame = slide.FlashEndFrame;
  params.endSeconds = slide.FlashEndSeconds;
  params.takesMouseMoves = slide.FlashMouseMove;
  params.takesClicks = slide.FlashMouseClick;
  FFlashShowing = true;
  const QString path = FetchSlideMedia(slide);
  if (quitting_) return true;  // a message about a missing file was up when the show ended
  if (path.isEmpty()) {
    // The movie could not be fetched (the project said why): its colour stands for the display
    // time, and the show goes on.
    FFlashShowing = false;
    SelectTimer.setInterval(project_.DisplaySeconds * 1000 + 1000);
    SelectTimer.start();
    return true;
  }
  TfFlashform* form =
      FHosted ? TfFlashform::CreatePreview(this, plBK, settings_, true, params, path)
               : TfFlashform::CreateFullScreen(this, &pm, settings_, !MenuModeOn(), true, params, path,
                                               ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
  // The full-screen window's creation sets the screen's cursor to the arrow: it shows over the
  // show too, until the end of the next transition hides it.
  if (!FHosted) ShowCursorAgain();
  if (!form->FFlash->HasMovie()) {
    // A movie that cannot be read is passed over, as a picture that does not decode is.
    std::fprintf(stderr, "showforge: the flash movie %s is passed over: %s\n", qPrintable(slide.FileName),
                 qPrintable(form->FFlash->MovieError()));
    FreeFlashWindow();
    FFlashShowing = false;
    return false;
  }
  Trace("flash", "play %s: %d frames, end mode %d, from frame %d", qPrintable(slide.FileName), form->FTotalFrames,
        form->FEndMode, form->FStartFrame);
  return true;
}

}  // namespace sf
