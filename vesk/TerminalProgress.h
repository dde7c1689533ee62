#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "ProgressThrottle.h"
#include "RunStop.h"
#include "StatusLine.h"
#include "StopPoint.h"
#include "UserInterfaces.h"

// The run's progress as a bar on the status line, for a terminal:
//   [#########.....................]  30%  1229/4096 locations  0:02 left
// Drawn at the first location and then a few times a second; wiped when the
// run ends, but left standing at the location where a run stopped for the
// program's end (`stop`), as a line of its own. Each pass over the chip
// (programming after the blank check) starts its own time estimate.
class TerminalProgress final : public Progress {
 public:
  using Clock = ProgressThrottle::Clock;

  explicit TerminalProgress(StatusLine& line, const StopRequest* stop = nullptr)
      : line_(line), stop_(stop) {}

  void setVisible(bool visible) override;
  void setMaximum(std::int32_t maximum) override;
  void setValue(std::int32_t value) override;

 private:
  void draw(std::int32_t value, Clock::time_point now);

  StatusLine& line_;
  const StopRequest* stop_;
  bool visible_ = false;
  std::int32_t maximum_ = 0;
  StopPoint point_;  // where the run stands
  Clock::time_point passStart_;
  ProgressThrottle throttle_;
};

// No progress at all: standard error is no terminal, or vesk is quiet.
class SilentProgress final : public Progress {
 public:
  void setVisible(bool) override {}
  void setMaximum(std::int32_t) override {}
  void setValue(std::int32_t) override {}
};

// The bar's text for `value` of `maximum` locations done in `elapsed`.
std::string progressBarText(std::int32_t value, std::int32_t maximum,
                            std::chrono::nanoseconds elapsed);
