// Video slides: the clip plays in the video panel over the slide's background, caption and
// text, at the size its size mode gives, until it ends; the show cycle then goes on after the
// display time.
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>

#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "player/messages.h"
#include "player/runwindow.h"
#include "player/slidemath.h"

namespace sf {

// displaypanel: shows the video player's latest frame; a button pressed on it is a press on the
// show surface.
class TVideoPanel : public QWidget {
 public:
  TVideoPanel(TfRun* run, QWidget* parent) : QWidget(parent), run_(run) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);  // keys go to the run window
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QImage& frame = run_->mp.Frame();
    if (frame.size() == size()) p.drawImage(0, 0, frame);
    else if (!frame.isNull()) p.drawImage(rect(), frame);
    else p.fillRect(rect(), Qt::black);
  }
  void mousePressEvent(QMouseEvent* e) override { run_->displaypanelMouseDown(e->button(), e->globalPosition().toPoint()); }

 private:
  TfRun* run_;
};

QWidget* TfRun::NewVideoPanel(QWidget* parent) {
  auto* panel = new TVideoPanel(this, parent);
  panel->setObjectName("displaypanel");
  // The panel comes up with the clip's first frame: until then the slide's background stands
  // where the clip will be, and nothing of an earlier clip shows.
  connect(&mp, &TMediaPlayer::FrameReady, panel, [this, panel] {
    if (FVideoPlaying && panel->isHidden()) panel->show();
    panel->update();
  });
  return panel;
}

void TfRun::displaypanelMouseDown(Qt::MouseButton button, QPoint globalPos) { pbShowMouseDown(button, globalPos); }

void TfRun::VideoSlide(const TPictureInfo& slide) {
  PostMessage(this, WM_MUSIC_PAUSE);
  ShowMessages(prep_.PrepareBackdrop(slide, ProcessRandom()));
  canvas_.Draw(0, 0, prep_.Background());
  Repaint();
  const QString path = FetchSlideMedia(slide);
  if (quitting_) return;  // a message about a missing file was up when the show ended
  const bool started = !path.isEmpty() && StartVideo(path, slide.VideoSizeMode, project_.RandomPosition, FVideoPos, FPreview);
  if (!path.isEmpty() && !started)
    std::fprintf(stderr, "showforge: the video %s is passed over: %s\n", qPrintable(slide.FileName), qPrintable(mp.LastError()));
  if (!started) {
    // A clip that is missing or cannot be played is passed over: its slide stands for the
    // display time, and the show goes on.
    SelectTimer.setInterval(project_.DisplaySeconds * 1000 + 1000);
    SelectTimer.start();
  }
}

QString TfRun::FetchSlideMedia(const TPictureInfo& slide) {
  slideMedia_.Release();
  slideMedia_ = project_.FetchMedia(slide.ResourceIndex);
  if (slideMedia_.Error() == TMediaFile::TError::Missing) ShowMessage("File not found : " + slideMedia_.MissingPath());
  return slideMedia_.Path();
}

bool TfRun::StartVideo(const QString& path, int32_t sizeMode, bool randomPosition, int32_t startPos, bool preview) {
  mp.FileName = path;
  if (!mp.Open()) return false;
  FVideoWidth = mp.VideoSize().width();
  FVideoHeight = mp.VideoSize().height();
  const QSize shown = VideoShownSize(sizeMode, QSize(FVideoWidth, FVideoHeight), FShowWidth, preview,
                                     QSize(FVideoShowWidth, FVideoShowHeight));
  FVideoShowWidth = shown.width();
  FVideoShowHeight = shown.height();
  const int32_t roomX = FShowWidth - FVideoShowWidth, roomY = FShowHeight - FVideoShowHeight;
  if (randomPosition) {
    // A clip larger than the show area has no room to move in: it is centred. The numbers are
    // drawn all the same.
    const int32_t x = Random(roomX), y = Random(roomY);
    FPicX = roomX > 0 ? x : roomX / 2;
    FPicY = roomY > 0 ? y : roomY / 2;
  } else {
    FPicX = roomX / 2;
    FPicY = roomY / 2;
  }
  displaypanel->setGeometry(ToLogical(QRect(FPicX, FPicY, FVideoShowWidth, FVideoShowHeight)));
  mp.SetDisplaySize(QSize(FVideoShowWidth, FVideoShowHeight));
  mp.Seek(startPos);
  mp.Play();
  Trace("video", "play %s (%d x %d, %lld ms) at %d x %d from %d ms", qPrintable(path), FVideoWidth, FVideoHeight,
        (long long)mp.Length(), FVideoShowWidth, FVideoShowHeight, startPos);
  VidioTimer.start();
  FVideoPlaying = true;
  return true;
}

void TfRun::VidioTimerTimer() {
  FVideoPos = int32_t(mp.Position());
  // The end: the position stands at the length, which it does once mpv has told of the file's
  // end (its own position stops a little short of the length). A clip of no known length ends
  // with the end of its file alone.
  const int64_t length = mp.Length();
  if (mp.Ended() || (length > 0 && FVideoPos >= length)) {
    StopVideo();
    SelectTimer.start();  // with the interval it was last given
    FVideoPos = 0;
  }
}

void TfRun::StopVideo() {
  Trace("video", "stop at %d ms: %lld frames shown, %lld dropped", int(mp.Position()), (long long)mp.RenderedFrames(),
        (long long)mp.DroppedFrames());
  mp.Stop();
  mp.Close();
  FVideoPlaying = false;
  VidioTimer.stop();
  displaypanel->hide();
}

}  // namespace sf
