#pragma once

#include <cstdint>

#include "DelayLoop.h"

// The two waits of the board protocols, behind an interface so that tests can
// record them in order with the port accesses.
class BoardTiming {
 public:
  virtual ~BoardTiming() = default;
  virtual void delay(std::int32_t iterations) = 0;        // Delay_Loop
  virtual void pulseWait(std::int32_t milliseconds) = 0;  // the programming pulse
};

// Delay_Loop and a real millisecond sleep. delay() is inline so that the board
// protocols, handed a RealTiming, make no call at all for a delay of 0.
class RealTiming final : public BoardTiming {
 public:
  void delay(std::int32_t iterations) override {
    if (iterations > 0) Delay_Loop(iterations);
  }
  void pulseWait(std::int32_t milliseconds) override;
};
