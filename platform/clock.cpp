#include "platform/clock.h"

#include <QCoreApplication>
#include <algorithm>

namespace sf {

TTimer::TTimer(std::function<void()> tick, TClock* clock) : tick_(std::move(tick)), clock_(clock) {
  if (clock_ != nullptr) return;
  qt_ = std::make_unique<QTimer>();
  QObject::connect(qt_.get(), &QTimer::timeout, [this] { tick_(); });
}

TTimer::~TTimer() {
  if (clock_ != nullptr && active_) clock_->Disarm(*this);
}

void TTimer::setInterval(int ms) {
  interval_ = ms;
  if (qt_) qt_->setInterval(ms);
}

void TTimer::start() {
  if (qt_) return qt_->start();
  active_ = true;
  clock_->Arm(*this, clock_->Now() + interval_);
}

void TTimer::stop() {
  if (qt_) return qt_->stop();
  if (active_) clock_->Disarm(*this);
  active_ = false;
}

bool TTimer::isActive() const { return qt_ ? qt_->isActive() : active_; }

TManualClock::~TManualClock() {
  for (const TArmed& a : armed_) a.timer->active_ = false;
}

void TManualClock::Arm(TTimer& timer, int64_t due) {
  Disarm(timer);
  armed_.push_back({&timer, due, order_++});
}

void TManualClock::Disarm(TTimer& timer) {
  std::erase_if(armed_, [&](const TArmed& a) { return a.timer == &timer; });
}

void TManualClock::Advance(int64_t ms) {
  const int64_t end = now_ + std::max<int64_t>(ms, 0);
  // What was posted before time moves is taken first, as the loop would before its next timer.
  auto deliver = [] {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::sendPostedEvents();
  };
  deliver();
  for (;;) {
    const auto next = std::min_element(armed_.begin(), armed_.end(), [](const TArmed& a, const TArmed& b) {
      return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == armed_.end() || next->due > end) break;
    TTimer* timer = next->timer;
    now_ = std::max(now_, next->due);
    // Re-armed for its next tick before this one runs, as a repeating timer is; a zero interval
    // still moves it after the timers already due at this time.
    next->due = now_ + std::max(timer->interval_, 0);
    next->order = order_++;
    if (timer->interval_ <= 0) next->due = std::max(next->due, now_ + 1);
    timer->tick_();
    deliver();
  }
  now_ = end;
}

}  // namespace sf
