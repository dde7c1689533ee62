#include "BoardSimulator.h"

#include <algorithm>

#include "BoardControl.h"
#include "PortPresence.h"

namespace {

constexpr std::uint8_t kFloating = 0xFF;  // undriven lines read high

bool pulsing(std::uint8_t control) {
  constexpr std::uint8_t kBoth = control_bit::kPulse | control_bit::kProgram;
  return (control & kBoth) == kBoth;
}

}  // namespace

BoardSimulator::BoardSimulator(std::uint16_t base, std::int32_t chipSize)
    : base_(base), chip_(static_cast<std::size_t>(std::max(chipSize, 0)), kFloating) {}

std::vector<std::uint8_t>& BoardSimulator::chip() {
  return chip_;
}
const std::vector<std::uint8_t>& BoardSimulator::chip() const {
  return chip_;
}

void BoardSimulator::wait() const {
  const auto until = std::chrono::steady_clock::now() + latency_;
  while (std::chrono::steady_clock::now() < until) {
  }
}

void BoardSimulator::out(std::uint16_t port, std::uint8_t value) {
  if (latency_.count() > 0) wait();
  if (port == base_)
    latch_ = value;
  else if (port == static_cast<std::uint16_t>(base_ + 2))
    writeControl(value);
}

std::uint8_t BoardSimulator::in(std::uint16_t port) {
  if (latency_.count() > 0) wait();
  if (port == base_) return (control_ & control_bit::kDataInput) ? chipOutput() : latch_;
  if (port == static_cast<std::uint16_t>(base_ + 2)) return control_;  // a real one reads back too
  return kFloating;
}

std::optional<std::size_t> BoardSimulator::addressedCell() const {
  const auto cell = static_cast<std::size_t>(counter_ & ~openAddress_);
  if (socketEmpty_ || cell >= chip_.size()) return std::nullopt;
  return cell;
}

std::uint8_t BoardSimulator::chipOutput() {
  const std::optional<std::size_t> cell = addressedCell();
  if (!cell) return onDataLines(kFloating);
  std::uint8_t value = chip_[*cell];
  if (!unstable_.empty()) {
    if (const auto found = unstable_.find(static_cast<std::int32_t>(*cell));
        found != unstable_.end()) {
      const auto noise = static_cast<std::uint8_t>(random_());
      value = static_cast<std::uint8_t>((value & ~found->second) | (noise & found->second));
    }
  }
  return onDataLines(value);
}

std::uint8_t BoardSimulator::onDataLines(std::uint8_t driven) const {
  return static_cast<std::uint8_t>((driven & ~stuckLow_) | stuckHigh_);
}

void BoardSimulator::writeControl(std::uint8_t value) {
  const std::uint8_t before = control_;
  control_ = value;
  if (!pulsing(before) && pulsing(value)) pulseStart_ = now();
  if (pulsing(before) && !pulsing(value)) endPulse(before);
  const auto rose = [&](std::uint8_t bit) { return !(before & bit) && (value & bit); };
  if (rose(control_bit::kRestartCounter)) counter_ = 0;
  if (rose(control_bit::kStep) && !chip_.empty()) {
    if (static_cast<std::size_t>(++counter_) >= chip_.size()) counter_ = 0;
  }
}

void BoardSimulator::endPulse(std::uint8_t during) {
  ++pulses_;
  const std::chrono::nanoseconds pulse = now() - pulseStart_;
  const std::optional<std::size_t> cell = addressedCell();
  if (!cell || pulse.count() <= 0 || dead_.contains(static_cast<std::int32_t>(*cell))) return;
  // What the cell takes is what the lines carried during the pulse: the latch
  // while the port drove them (bit 5 clear), nothing (FFh) while it did not.
  // The write that ends the pulse does not count.
  const std::uint8_t driven = (during & control_bit::kDataInput) ? kFloating : latch_;
  program(*cell, onDataLines(driven), pulse);
}

void BoardSimulator::program(std::size_t cell, std::uint8_t lines, std::chrono::nanoseconds pulse) {
  std::uint8_t& byte = chip_[cell];
  const auto pulled = static_cast<std::uint8_t>(byte & ~lines);  // bits at 1, lines at 0
  if (pulled == 0) return;
  std::chrono::nanoseconds needed = kPulseTimeNeeded;
  if (const auto weak = weakTimes_.find(static_cast<std::int32_t>(cell)); weak != weakTimes_.end())
    needed *= weak->second;
  const auto partial = gathered_.find(cell);
  if (partial == gathered_.end() && pulse >= needed) {  // the usual pulse: enough at once
    byte &= lines;
    return;
  }
  auto& times = partial != gathered_.end() ? partial->second : gathered_[cell];
  bool left = false;
  for (int bit = 0; bit < 8; ++bit) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    auto& time = times[static_cast<std::size_t>(bit)];
    if (pulled & mask) time += pulse;
    if (time >= needed) {
      byte = static_cast<std::uint8_t>(byte & ~mask);
      time = {};
    }
    left = left || time.count() > 0;
  }
  if (!left) gathered_.erase(cell);
}

void BoardSimulator::makeWeakCell(std::int32_t location, int times) {
  weakTimes_[location] = times;
}

void BoardSimulator::makeDeadCell(std::int32_t location) {
  dead_.insert(location);
}

void BoardSimulator::makeUnstableCell(std::int32_t location, std::uint8_t mask) {
  unstable_[location] = mask;
}

void BoardSimulator::stickDataLine(int bit, bool high) {
  const auto line = static_cast<std::uint8_t>(1u << bit);
  stuckLow_ = static_cast<std::uint8_t>(high ? stuckLow_ & ~line : stuckLow_ | line);
  stuckHigh_ = static_cast<std::uint8_t>(high ? stuckHigh_ | line : stuckHigh_ & ~line);
}

void BoardSimulator::openAddressLine(int line) {
  openAddress_ |= std::int32_t{1} << line;
}

void BoardSimulator::emptySocket() {
  socketEmpty_ = true;
}

void BoardSimulator::seedRandomReads(std::uint32_t seed) {
  random_.seed(seed);
}

Expected<PortIo*> SimulatorPortSource::acquire(std::int16_t base) {
  if (answered_ != base) {
    answered_.reset();
    if (Expected<> answers = checkPortAnswers(simulator_, base); !answers)
      return Failure{answers.error() + " The simulated board sits at " +
                     baseAddressText(static_cast<std::int16_t>(simulator_.base())) +
                     ": choose that base address" + basePlace_ + "."};
    answered_ = base;
  }
  return &simulator_;
}
