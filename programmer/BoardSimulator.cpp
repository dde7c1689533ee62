#include "programmer/BoardSimulator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "programmer/BoardControl.h"
#include "programmer/RawFiles.h"

namespace {

constexpr std::uint8_t kFloating = 0xFF;  // undriven lines read high

bool Pulsing(std::uint8_t control) {
  constexpr std::uint8_t both = control_bit::kPulse | control_bit::kProgram;
  return (control & both) == both;
}

}  // namespace

BoardSimulator::BoardSimulator(std::uint16_t base, std::int32_t chipSize)
    : base_(base), chip_(static_cast<std::size_t>(std::max(chipSize, 0)), kFloating) {}

std::vector<std::uint8_t>& BoardSimulator::Chip() {
  return chip_;
}
const std::vector<std::uint8_t>& BoardSimulator::Chip() const {
  return chip_;
}

void BoardSimulator::Wait() const {
  const auto until = std::chrono::steady_clock::now() + latency_;
  while (std::chrono::steady_clock::now() < until) {
  }
}

void BoardSimulator::out(std::uint16_t port, std::uint8_t value) {
  if (logging_) log_.push_back({true, port, value});
  if (latency_.count() > 0) Wait();
  if (port == base_) {
    ++stats_.dataWrites;
    latch_ = value;
  } else if (port == static_cast<std::uint16_t>(base_ + 2)) {
    ++stats_.controlWrites;
    WriteControl(value);
  } else {
    ++stats_.otherAccesses;
  }
}

std::uint8_t BoardSimulator::in(std::uint16_t port) {
  std::uint8_t value = kFloating;
  if (latency_.count() > 0) Wait();
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

void BoardSimulator::WriteControl(std::uint8_t value) {
  const std::uint8_t before = control_;
  control_ = value;
  if (Pulsing(before) && !Pulsing(value)) EndPulse();
  const auto rose = [&](std::uint8_t bit) { return !(before & bit) && (value & bit); };
  if (rose(control_bit::kRun)) {
    ++stats_.restarts;
    counter_ = 0;
  }
  if (rose(control_bit::kStep) && !chip_.empty()) {
    ++stats_.steps;
    if (static_cast<std::size_t>(++counter_) >= chip_.size()) counter_ = 0;
  }
}

void BoardSimulator::EndPulse() {
  ++stats_.pulses;
  if (static_cast<std::size_t>(counter_) >= chip_.size() || dead_.contains(counter_)) return;
  if (const auto weak = weakPulsesLeft_.find(counter_); weak != weakPulsesLeft_.end()) {
    if (--weak->second > 0) return;
    weakPulsesLeft_.erase(weak);
  }
  // The lines carry the latch only while the port drives them (bit 5 clear).
  const std::uint8_t lines = (control_ & control_bit::kDataInput) ? kFloating : latch_;
  chip_[static_cast<std::size_t>(counter_)] &= lines;
}

void BoardSimulator::MakeWeakCell(std::int32_t location, int pulsesNeeded) {
  weakPulsesLeft_[location] = pulsesNeeded;
}

void BoardSimulator::MakeDeadCell(std::int32_t location) {
  dead_.insert(location);
}

bool BoardSimulator::LoadChip(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    std::fill(chip_.begin(), chip_.end(), kFloating);  // no file yet: a blank chip
    return true;
  }
  if (fd < 0) {
    error = FileFailure(errno).reason;
    return false;
  }
  struct stat st {};
  int failure = ::fstat(fd, &st) != 0 ? errno : 0;
  if (failure == 0 && S_ISDIR(st.st_mode)) failure = EISDIR;
  if (failure == 0 && static_cast<std::uint64_t>(st.st_size) > chip_.size()) {
    ::close(fd);
    // Cutting it would lose the rest of the file when the chip is saved back.
    error =
        "the file is bigger than the simulated chip (" + std::to_string(chip_.size()) + " bytes)";
    return false;
  }
  std::vector<std::uint8_t> loaded(chip_.size(), kFloating);
  if (failure == 0) failure = ReadFully(fd, loaded.data(), static_cast<std::size_t>(st.st_size));
  ::close(fd);
  if (failure != 0) {
    error = FileFailure(failure).reason;
    return false;
  }
  chip_ = std::move(loaded);
  return true;
}

bool BoardSimulator::SaveChip(const std::string& path, std::string& error) const {
  const FileResult result = ReplaceFile(path, chip_.data(), chip_.size());
  if (!result) error = result.reason;
  return result.ok;
}
