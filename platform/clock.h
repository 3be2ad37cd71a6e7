// The show's timers and the clock they run on. On the event loop's clock a timer is a QTimer; on
// a hand-driven clock (tests, a show drawn off screen) time moves only when it is told to, and the
// timers fire in time order as it moves, with the loop's posted events taken between ticks, so
// that a show's cycle runs as on the screen without waiting for real time.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace sf {

class TTimer;

// Where timers get their ticks.
class TClock {
 public:
  virtual ~TClock() = default;
  // Milliseconds since an arbitrary start, never going back.
  virtual int64_t Now() const = 0;

 protected:
  friend class TTimer;
  // The timer is due at `due`; Disarm takes it off.
  virtual void Arm(TTimer& timer, int64_t due) = 0;
  virtual void Disarm(TTimer& timer) = 0;
};

// A repeating timer, as QTimer is: start() (re)starts it for its interval, a tick comes every
// interval until stop(). Without a clock it runs on the event loop.
class TTimer {
 public:
  explicit TTimer(std::function<void()> tick, TClock* clock = nullptr);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  void setInterval(int ms);
  int interval() const { return interval_; }
  void start();
  void start(int ms) { setInterval(ms), start(); }
  void stop();
  bool isActive() const;

 private:
  friend class TManualClock;
  std::function<void()> tick_;
  TClock* clock_;
  std::unique_ptr<QTimer> qt_;  // on the event loop's clock
  int interval_ = 0;
  bool active_ = false;  // on a clock of ours
};

// A clock that moves only when told.
class TManualClock : public TClock {
 public:
  ~TManualClock() override;
  int64_t Now() const override { return now_; }
  // Moves time on by ms, firing every timer that falls due on the way in time order (at equal
  // times in the order they were armed). Events posted before are delivered first, and each
  // tick's posted events after it.
  void Advance(int64_t ms);

 protected:
  void Arm(TTimer& timer, int64_t due) override;
  void Disarm(TTimer& timer) override;

 private:
  struct TArmed {
    TTimer* timer;
    int64_t due;
    uint64_t order;
  };
  std::vector<TArmed> armed_;
  int64_t now_ = 0;
  uint64_t order_ = 0;
};

}  // namespace sf
