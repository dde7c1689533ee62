#pragma once

#include <chrono>
#include <cstdint>

#include "DelayLoop.h"

// The clock the board's waits are measured on: the steady clock for real
// runs, a test's own clock that moves only when it is told to wait. The
// simulated chip judges its pulses on it, so that what it takes follows the
// waits the routines asked for.
class BoardClock {
 public:
  virtual ~BoardClock() = default;
  // Time since a fixed start of the clock's own; only differences count.
  virtual std::chrono::nanoseconds now() const = 0;
};

// The two waits of the board protocols, behind an interface so that tests can
// record them in order with the port accesses, on the clock they are measured by.
class BoardTiming : public BoardClock {
 public:
  virtual void delay(std::int32_t iterations) = 0;  // Delay_Loop
  // The programming pulse: never shorter than `length`; 0 returns at once.
  virtual void pulseWait(std::chrono::microseconds length) = 0;
};

// The steady clock (CLOCK_MONOTONIC on Linux).
inline std::chrono::nanoseconds steadyNow() {
  return std::chrono::steady_clock::now().time_since_epoch();
}

// Delay_Loop and a real pulse on the steady clock. delay() is inline so that
// the board protocols, handed a RealTiming, make no call at all for a delay of 0.
class RealTiming final : public BoardTiming {
 public:
  void delay(std::int32_t iterations) override {
    if (iterations > 0) Delay_Loop(iterations);
  }
  void pulseWait(std::chrono::microseconds length) override;
  std::chrono::nanoseconds now() const override { return steadyNow(); }
};
