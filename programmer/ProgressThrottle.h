#pragma once

#include <chrono>

// When a progress display redraws. The board routines report every location,
// a simulated read one every few nanoseconds: a display redraws at the first
// value after a restart, then at most once per kRedrawInterval, and reads
// the clock only once per kValuesPerClockCheck values.
class ProgressThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRedrawInterval{100};
  static constexpr int kValuesPerClockCheck = 64;

  // The next value is due at once (a new pass over the chip).
  void restart() { drawn_ = false; }
  // The display has just been drawn by other means (shown): the next values wait.
  void drawnNow() { markDrawn(Clock::now()); }

  // Whether the display is to redraw for the value that has just come; when
  // it is, it counts as drawn at lastDraw().
  bool due() {
    if (drawn_ && ++valuesSinceCheck_ < kValuesPerClockCheck) return false;
    valuesSinceCheck_ = 0;
    const Clock::time_point now = Clock::now();
    if (drawn_ && now - lastDraw_ < kRedrawInterval) return false;
    markDrawn(now);
    return true;
  }
  Clock::time_point lastDraw() const { return lastDraw_; }

 private:
  void markDrawn(Clock::time_point now) {
    lastDraw_ = now;
    drawn_ = true;
    valuesSinceCheck_ = 0;
  }

  bool drawn_ = false;
  int valuesSinceCheck_ = 0;
  Clock::time_point lastDraw_;
};
