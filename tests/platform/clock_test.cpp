// The hand-driven clock: timers fire in time order as it moves, repeat at their interval, and
// what a tick does to the timers (stop, restart, a new interval) holds from that tick on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"

using namespace sf;

TEST(ManualClock, TimersFireInTimeOrderAndRepeat) {
  TManualClock clock;
  std::vector<std::string> fired;
  TTimer a([&] { fired.push_back("a@" + std::to_string(clock.Now())); }, &clock);
  TTimer b([&] { fired.push_back("b@" + std::to_string(clock.Now())); }, &clock);
  a.start(30);
  b.start(20);
  clock.Advance(59);
  EXPECT_EQ(fired, (std::vector<std::string>{"b@20", "a@30", "b@40"}));
  EXPECT_EQ(clock.Now(), 59);
  fired.clear();
  clock.Advance(1);  // both due at 60: the one armed first goes first
  EXPECT_EQ(fired, (std::vector<std::string>{"a@60", "b@60"}));
  EXPECT_TRUE(a.isActive() && b.isActive());
}

TEST(ManualClock, ATickMayStopRestartOrRetimeTimers) {
  TManualClock clock;
  std::vector<std::string> fired;
  TTimer later([&] { fired.push_back("later@" + std::to_string(clock.Now())); }, &clock);
  TTimer once([&] {
    fired.push_back("once@" + std::to_string(clock.Now()));
    once.stop();
    later.start(5);  // restarted from now, not from when it was first started
  }, &clock);
  // A zero interval still lets time move: the clock does not spin at one instant.
  int spins = 0;
  TTimer zero([&] { ++spins; }, &clock);
  later.start(100);
  once.start(10);
  zero.start(0);
  clock.Advance(20);
  EXPECT_EQ(fired, (std::vector<std::string>{"once@10", "later@15", "later@20"}));
  EXPECT_FALSE(once.isActive());
  EXPECT_GE(spins, 1);
  EXPECT_LE(spins, 21);
  zero.stop();
  // A timer destroyed while armed is taken off the clock.
  {
    TTimer gone([&] { fired.push_back("gone"); }, &clock);
    gone.start(1);
  }
  fired.clear();
  clock.Advance(1);
  EXPECT_TRUE(fired.empty());
  // Restarting an active timer moves its tick instead of adding one.
  later.stop();
  later.start(10);
  clock.Advance(5);
  later.start();
  clock.Advance(9);
  EXPECT_TRUE(fired.empty());
  clock.Advance(1);
  EXPECT_EQ(fired.size(), 1u);
}
