#include "swf/flashcontrol.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace sf::swf {

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // the pointer over a button shows its over state
  connect(&frames_, &QTimer::timeout, this, &TShockwaveFlash::Tick);
}

TShockwaveFlash::~TShockwaveFlash() = default;

void TShockwaveFlash::SetSoundOutput(std::unique_ptr<TSoundOutput> output) {
  // The player lets go of the output before it goes.
  if (player_) player_->SetSoundOutput(output.get());
  sound_ = std::move(output);
}

void TShockwaveFlash::SetMovie(const QString& path) {
  frames_.stop();
  player_.reset();
  movie_ = path;
  error_.clear();
  leftDown_ = false;
  if (!path.isEmpty()) {
    try {
      player_ = std::make_unique<TSwfPlayer>(TSwfMovie::LoadFile(path), sound_.get());
    } catch (const ESwfError& e) {
      error_ = QString::fromStdString(e.what());
    }
  }
  if (player_) {
    // A movie of no frame rate plays at 12 frames a second rather than as fast as it can.
    const double rate = player_->Movie().frameRate > 0 ? player_->Movie().frameRate : 12.0;
    frames_.start(std::clamp(int(std::lround(1000.0 / rate)), 1, 1000));
  }
  update();
}

void TShockwaveFlash::SetScaleMode(int mode) {
  scaleMode_ = mode;
  update();
}

void TShockwaveFlash::SetAlignMode(int flags) {
  alignMode_ = flags;
  update();
}

void TShockwaveFlash::SetBackgroundColor(int32_t rgb) {
  background_ = rgb;
  update();
}

int32_t TShockwaveFlash::TotalFrames() const { return player_ ? player_->TotalFrames() : 0; }
bool TShockwaveFlash::Playing() const { return player_ && player_->Playing(); }
int32_t TShockwaveFlash::CurrentFrame() const { return player_ ? player_->CurrentFrame() : 0; }

void TShockwaveFlash::Play() {
  if (player_) player_->Play();
}

void TShockwaveFlash::StopPlay() {
  if (player_) player_->Stop();
}

void TShockwaveFlash::GotoFrame(int32_t frame) {
  if (!player_) return;
  player_->GotoFrame(frame);
  update();
}

void TShockwaveFlash::Tick() {
  if (!player_) return;
  if (player_->Tick() > 0) update();
}

void TShockwaveFlash::Pointer(QPointF at, bool down) {
  if (!player_) return;
  // Widget pixels to the stage's twips, as the frame is drawn.
  const qreal dpr = devicePixelRatioF();
  const QSize device = (QSizeF(size()) * dpr).toSize();
  bool invertible = false;
  const QTransform toStage =
      StageTransform(player_->Movie().stage, device, scaleMode_, alignMode_).inverted(&invertible);
  if (invertible && player_->Pointer(toStage.map(at * dpr), down)) update();
}

void TShockwaveFlash::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  leftDown_ = true;
  Pointer(event->position(), true);
}

void TShockwaveFlash::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  leftDown_ = false;
  Pointer(event->position(), false);
}

void TShockwaveFlash::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  Pointer(event->position(), leftDown_);
}

void TShockwaveFlash::paintEvent(QPaintEvent*) {
  const QColor background = background_ >= 0 ? QColor(QRgb(uint32_t(background_)))
                            : player_           ? player_->Movie().background
                                                : QColor(Qt::white);
  // The frame is drawn in device pixels: on a scaled screen the movie keeps its sharpness.
  const qreal dpr = devicePixelRatioF();
  const QSize device = (QSizeF(size()) * dpr).toSize();
  if (frame_.size() != device) frame_ = QImage(device, QImage::Format_RGB32);
  frame_.setDevicePixelRatio(1.0);
  frame_.fill(background);
  if (player_) {
    // Outside the stage the background shows, as the bands of "show all" do.
    const QTransform toDevice = StageTransform(player_->Movie().stage, device, scaleMode_, alignMode_);
    Render(frame_, *player_, toDevice, toDevice.mapRect(player_->Movie().stage).toAlignedRect());
  }
  frame_.setDevicePixelRatio(dpr);
  QPainter p(this);
  p.drawImage(QPointF(0, 0), frame_);
}

QImage TShockwaveFlash::Grab() { return grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace sf::swf
