#include "programmer/BoardTiming.h"

#include <time.h>

#include <cerrno>
#include <chrono>

#include "programmer/DelayLoop.h"

namespace {

// A plain millisecond sleep overshoots by 50-150 us on a desktop kernel (timer
// slack, wake-up latency), which adds up to 10-15 % over a chip. So the pulse
// sleeps on an absolute deadline to shortly before its end and spins the rest:
// it is never shorter than asked and rarely more than a few microseconds longer.
constexpr std::chrono::microseconds kSpinMargin{300};

timespec ToTimespec(std::chrono::steady_clock::time_point t) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
  return ts;
}

}  // namespace

void RealTiming::Delay(std::int32_t iterations) {
  Delay_Loop(iterations);
}

void RealTiming::PulseWait(std::int32_t milliseconds) {
  if (milliseconds <= 0) return;  // a sleep of 0 ms: the pulse is as short as the two writes
  using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC on Linux
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  const timespec wakeUp = ToTimespec(deadline - kSpinMargin);
  while (Clock::now() < deadline - kSpinMargin &&
         clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wakeUp, nullptr) == EINTR) {
  }
  while (Clock::now() < deadline) {
  }
}
