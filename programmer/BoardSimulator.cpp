#include "BoardSimulator.h"

#include <algorithm>

#include "BoardControl.h"

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
  if (logging_) log_.push_back({true, port, value});
  if (latency_.count() > 0) wait();
  if (port == base_) {
    ++stats_.dataWrites;
    latch_ = value;
  } else if (port == static_cast<std::uint16_t>(base_ + 2)) {
    ++stats_.controlWrites;
    writeControl(value);
  } else {
    ++stats_.otherAccesses;
  }
}

std::uint8_t BoardSimulator::in(std::uint16_t port) {
  std::uint8_t value = kFloating;
  if (latency_.count() > 0) wait();
  if (port == base_) {
    ++stats_.dataReads;
    if (!(control_ & control_bit::kDataInput))
      value = latch_;
    else if (static_cast<std::size_t>(counter_) < chip_.size())
      value = chip_[static_cast<std::size_t>(counter_)];
  } else if (port == static_cast<std::uint16_t>(base_ + 2)) {
    value = control_;  // a real control register reads back too
  } else {
    ++stats_.otherAccesses;
  }
  if (logging_) log_.push_back({false, port, value});
  return value;
}

void BoardSimulator::writeControl(std::uint8_t value) {
  const std::uint8_t before = control_;
  control_ = value;
  if (pulsing(before) && !pulsing(value)) endPulse(before);
  const auto rose = [&](std::uint8_t bit) { return !(before & bit) && (value & bit); };
  if (rose(control_bit::kRestartCounter)) {
    ++stats_.restarts;
    counter_ = 0;
  }
  if (rose(control_bit::kStep) && !chip_.empty()) {
    ++stats_.steps;
    if (static_cast<std::size_t>(++counter_) >= chip_.size()) counter_ = 0;
  }
}

void BoardSimulator::endPulse(std::uint8_t during) {
  ++stats_.pulses;
  if (static_cast<std::size_t>(counter_) >= chip_.size() || dead_.contains(counter_)) return;
  if (const auto weak = weakPulsesLeft_.find(counter_); weak != weakPulsesLeft_.end()) {
    if (--weak->second > 0) return;
    weakPulsesLeft_.erase(weak);
  }
  // What the cell takes is what the lines carried during the pulse: the latch
  // while the port drove them (bit 5 clear), nothing (FFh) while it did not.
  // The write that ends the pulse does not count.
  const std::uint8_t lines = (during & control_bit::kDataInput) ? kFloating : latch_;
  chip_[static_cast<std::size_t>(counter_)] &= lines;
}

void BoardSimulator::makeWeakCell(std::int32_t location, int pulsesNeeded) {
  weakPulsesLeft_[location] = pulsesNeeded;
}

void BoardSimulator::makeDeadCell(std::int32_t location) {
  dead_.insert(location);
}
