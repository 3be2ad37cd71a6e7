#include "player/video.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/random.h"
#include "platform/trace.h"
#include "player/slidemath.h"

namespace sf {
namespace {

// displaypanel: shows the video player's latest frame; a button pressed on it is a press on the
// show surface.
class TVideoPanel : public QWidget {
 public:
  TVideoPanel(const TMediaPlayer& player, std::function<void(Qt::MouseButton, QPoint)> press, QWidget* parent)
      : QWidget(parent), player_(player), press_(std::move(press)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);  // keys go to the run window
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QImage& frame = player_.Frame();
    if (frame.size() == size()) p.drawImage(0, 0, frame);
    else if (!frame.isNull()) p.drawImage(rect(), frame);
    else p.fillRect(rect(), Qt::black);
  }
  void mousePressEvent(QMouseEvent* e) override { press_(e->button(), e->globalPosition().toPoint()); }

 private:
  const TMediaPlayer& player_;
  std::function<void(Qt::MouseButton, QPoint)> press_;
};

}  // namespace

TVideoSlide::TVideoSlide(QWidget* parent, THost host, TClock* clock)
    : VidioTimer([this] { VidioTimerTimer(); }, clock), host_(std::move(host)) {
  VidioTimer.setInterval(1000);
  auto* panel = new TVideoPanel(mp, host_.press, parent);
  panel->setObjectName("displaypanel");
  panel->hide();
  displaypanel = panel;
  // The panel comes up with the clip's first frame: until then the slide's background stands
  // where the clip will be, and nothing of an earlier clip shows.
  QObject::connect(&mp, &TMediaPlayer::FrameReady, panel, [this, panel] {
    if (FVideoPlaying && panel->isHidden()) panel->show();
    panel->update();
  });
}

bool TVideoSlide::StartVideo(const QString& path, int32_t sizeMode, bool randomPosition, int32_t startPos,
                             bool preview, QSize showSize, TRandom& random) {
  mp.FileName = path;
  if (!mp.Open()) return false;
  FVideoWidth = mp.VideoSize().width();
  FVideoHeight = mp.VideoSize().height();
  const QSize shown = VideoShownSize(sizeMode, QSize(FVideoWidth, FVideoHeight), showSize.width(), preview,
                                     QSize(FVideoShowWidth, FVideoShowHeight));
  FVideoShowWidth = shown.width();
  FVideoShowHeight = shown.height();
  const int32_t roomX = showSize.width() - FVideoShowWidth, roomY = showSize.height() - FVideoShowHeight;
  if (randomPosition) {
    // A clip larger than the show area has no room to move in: it is centred. The numbers are
    // drawn all the same.
    const int32_t x = random.Random(roomX), y = random.Random(roomY);
    FPicX = roomX > 0 ? x : roomX / 2;
    FPicY = roomY > 0 ? y : roomY / 2;
  } else {
    FPicX = roomX / 2;
    FPicY = roomY / 2;
  }
  displaypanel->setGeometry(host_.toLogical(QRect(FPicX, FPicY, FVideoShowWidth, FVideoShowHeight)));
  mp.SetDisplaySize(QSize(FVideoShowWidth, FVideoShowHeight));
  mp.Seek(startPos);
  mp.Play();
  Trace("video", "play %s (%d x %d, %lld ms) at %d x %d from %d ms", qPrintable(path), FVideoWidth, FVideoHeight,
        (long long)mp.Length(), FVideoShowWidth, FVideoShowHeight, startPos);
  VidioTimer.start();
  FVideoPlaying = true;
  return true;
}

void TVideoSlide::VidioTimerTimer() {
  FVideoPos = int32_t(mp.Position());
  // The end: the position stands at the length, which it does once mpv has told of the file's
  // end (its own position stops a little short of the length). A clip of no known length ends
  // with the end of its file alone.
  const int64_t length = mp.Length();
  if (mp.Ended() || (length > 0 && FVideoPos >= length)) {
    StopVideo();
    FVideoPos = 0;
    host_.ended();
  }
}

void TVideoSlide::StopVideo() {
  Trace("video", "stop at %d ms: %lld frames shown, %lld dropped", int(mp.Position()), (long long)mp.RenderedFrames(),
        (long long)mp.DroppedFrames());
  mp.Stop();
  mp.Close();
  FVideoPlaying = false;
  VidioTimer.stop();
  displaypanel->hide();
}

}  // namespace sf
