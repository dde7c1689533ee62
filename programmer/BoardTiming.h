#pragma once

#include <cstdint>

// The two waits of the board protocols, behind an interface so that tests can
// record them in order with the port accesses.
class BoardTiming {
 public:
  virtual ~BoardTiming() = default;
  virtual void Delay(std::int32_t iterations) = 0;        // Delay_Loop
  virtual void PulseWait(std::int32_t milliseconds) = 0;  // the programming pulse
};

// Delay_Loop and a real millisecond sleep.
class RealTiming final : public BoardTiming {
 public:
  void Delay(std::int32_t iterations) override;
  void PulseWait(std::int32_t milliseconds) override;
};
