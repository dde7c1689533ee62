#include "TerminalProgress.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
// Too early for an estimate that means anything.
constexpr std::chrono::milliseconds kFirstEstimate{300};

std::string durationText(std::int64_t seconds) {
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  return text;
}

}  // namespace

std::string progressBarText(std::int32_t value, std::int32_t maximum,
                            std::chrono::nanoseconds elapsed) {
  const double done = maximum > 0 ? static_cast<double>(value) / maximum : 0.0;
  const int filled = static_cast<int>(done * kBarWidth);
  std::string text(kBarWidth + 2, '.');
  text.front() = '[';
  text.replace(1, filled, filled, '#');
  text.back() = ']';
  char figures[64];
  std::snprintf(figures, sizeof figures, " %3d%%  %d/%d locations  ", static_cast<int>(done * 100),
                value, maximum);
  text += figures;
  if (value > 0 && elapsed >= kFirstEstimate) {
    const double perLocation = std::chrono::duration<double>(elapsed).count() / value;
    text += durationText(std::llround(perLocation * (maximum - value)));
  } else {
    text += "-:--";
  }
  return text + " left";
}

void TerminalProgress::setVisible(bool visible) {
  if (!visible && visible_ && point_.location > 0 && stop_ != nullptr && stop_->requested()) {
    draw(point_.location, Clock::now());
    line_.endLine();
  } else if (!visible) {
    line_.clear();
  }
  visible_ = visible;
  throttle_.restart();
  point_ = {};
  passStart_ = Clock::now();
}

void TerminalProgress::setMaximum(std::int32_t maximum) {
  maximum_ = maximum;
}

void TerminalProgress::setValue(std::int32_t value) {
  if (!visible_) return;
  if (point_.follow(value)) {
    passStart_ = Clock::now();
    throttle_.restart();
  }
  if (throttle_.due()) draw(value, throttle_.lastDraw());
}

void TerminalProgress::draw(std::int32_t value, Clock::time_point now) {
  line_.show(progressBarText(value, maximum_, now - passStart_));
}
