// A screen's video and flash slides. A clip plays in the video panel over the slide's background,
// caption and text; a movie plays in the screen's flash window over the slide's background
// colour, whose end watch hands back to the show cycle with WM_FLASH_ENDED.
#include <cstdio>

#include "container/projectinfo.h"
#include "platform/trace.h"
#include "player/flashform.h"
#include "player/messages.h"
#include "player/runwindow.h"
#include "player/show.h"

namespace sf {

QString TfRun::FetchSlideMedia(const TPictureInfo& slide) {
  slideMedia_.Release();
  slideMedia_ = show_.Media().FetchMedia(slide.ResourceIndex);
  if (slideMedia_.Error() == TMediaFile::TError::Missing) show_.Message("File not found : " + slideMedia_.MissingPath());
  return slideMedia_.Path();
}

void TfRun::VideoSlide(const TPictureInfo& slide) {
  show_.SlideStarted(*this, false);
  ShowMessages(prep_.PrepareBackdrop(slide, random_));
  canvas_.Draw(0, 0, prep_.Background());
  Repaint();
  const QString path = FetchSlideMedia(slide);
  if (Closing()) return;  // a message about a missing file was up when the show ended
  const bool started = !path.isEmpty() && video_.StartVideo(path, slide.VideoSizeMode, project_.RandomPosition,
                                                            video_.FVideoPos, FPreview, QSize(FShowWidth, FShowHeight), random_);
  if (!path.isEmpty() && !started)
    std::fprintf(stderr, "showforge: the video %s is passed over: %s\n", qPrintable(slide.FileName),
                 qPrintable(video_.mp.LastError()));
  // A clip that is missing or cannot be played is passed over: its slide stands for the
  // display time, and the show goes on.
  if (!started) HoldSlide();
}

bool TfRun::FlashSlide(const TPictureInfo& slide) {
  show_.SlideStarted(*this, false);
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
  if (Closing()) return true;  // a message about a missing file was up when the show ended
  if (path.isEmpty()) {
    // The movie could not be fetched (the project said why): its colour stands for the display
    // time, and the show goes on.
    FFlashShowing = false;
    HoldSlide();
    return true;
  }
  flash_ = FHosted ? TfFlashform::CreatePreview(this, plBK, settings_, true, params, path)
                   : TfFlashform::CreateFullScreen(this, show_.FlashAsking(), &pm, settings_, !MenuModeOn(), true, params,
                                                   path, geometry());
  TfFlashform* form = flash_.get();
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
