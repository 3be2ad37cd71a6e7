#include "studio/model/effectpreview.h"

#include <QPainter>

#include "player/slidemath.h"

namespace sf {

TEffectPreview::TEffectPreview(QSize screen) : size_(screen.expandedTo(QSize(1, 1))) {
  screen_ = QImage(size_, QImage::Format_RGB32);
  screen_.fill(Qt::black);
  canvas_ = std::make_unique<TCanvas>(screen_);
  from_ = to_ = screen_.copy();
}

QImage TEffectPreview::Composed(const QImage& picture) const {
  QImage out(size_, QImage::Format_RGB32);
  out.fill(Qt::black);
  if (picture.isNull()) return out;
  const QSize fitted = FitRule(picture.size(), size_);
  QPainter p(&out);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRect(QPoint((size_.width() - fitted.width()) / 2, (size_.height() - fitted.height()) / 2), fitted),
              picture);
  return out;
}

void TEffectPreview::SetPictures(const QImage& from, const QImage& to) {
  from_ = Composed(from);
  to_ = Composed(to);
}

int32_t TEffectPreview::Start(int32_t effect, int32_t speed, bool wholeScreen) {
  screen_ = from_.copy();  // the canvas keeps drawing into screen_, which only takes new pixels
  canvas_ = std::make_unique<TCanvas>(screen_);
  ticks_ = 0;
  return engine_.Start(effect, *canvas_, to_, from_, 0, 0, speed, wholeScreen);
}

bool TEffectPreview::Step() {
  if (!engine_.Running()) return true;
  ++ticks_;
  return engine_.Step();
}

}  // namespace sf
