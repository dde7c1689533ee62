#include <gtest/gtest.h>

#include <chrono>

#include "BoardTiming.h"

TEST(RealTiming, PulseIsNeverShorterThanAsked) {
  RealTiming timing;
  const auto start = std::chrono::steady_clock::now();
  timing.pulseWait(2);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2));
}
