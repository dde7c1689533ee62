#include "BoardTiming.h"

#include <sys/prctl.h>
#include <time.h>

#include <cerrno>
#include <chrono>

namespace {

// A plain sleep overshoots by 50-150 us on a desktop kernel (the thread's
// timer slack, then the wake-up), which adds 5-15 % to a millisecond's pulse
// and more than doubles one of 100 us. So the pulse sleeps with the slack
// lowered to shortly before its end, on an absolute deadline, and spins the
// rest (all of a pulse no longer than the margin): never shorter than asked,
// and on an idle machine only a few microseconds longer.
constexpr std::chrono::microseconds kSpinMargin{100};

// Lowers the calling thread's timer slack for one sleep and puts it back.
class FineTimerSlack {
 public:
  FineTimerSlack() : saved_(::prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0)) {
    if (saved_ > 0) ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  }
  ~FineTimerSlack() {
    if (saved_ > 0) ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(saved_), 0, 0, 0);
  }
  FineTimerSlack(const FineTimerSlack&) = delete;
  FineTimerSlack& operator=(const FineTimerSlack&) = delete;

 private:
  int saved_;
};

timespec toTimespec(std::chrono::steady_clock::time_point t) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
  return ts;
}

}  // namespace

void RealTiming::pulseWait(std::chrono::microseconds length) {
  if (length.count() <= 0) return;          // a pulse of 0: as short as the two writes around it
  using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC on Linux
  const Clock::time_point deadline = Clock::now() + length;
  if (length > kSpinMargin) {
    const timespec wakeUp = toTimespec(deadline - kSpinMargin);
    const FineTimerSlack fineSlack;
    while (Clock::now() < deadline - kSpinMargin &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wakeUp, nullptr) == EINTR) {
    }
  }
  while (Clock::now() < deadline) {
  }
}
