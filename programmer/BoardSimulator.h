#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "programmer/PortIo.h"
#include "programmer/PortSource.h"

// The programmer board and a chip in software. (Interface sketch: the
// implementation may add to it; what is declared here is what the window and
// the tests rely on.)
class BoardSimulator final : public PortIo {
 public:
  static constexpr std::uint16_t kDefaultBase = 888;
  static constexpr std::int32_t kDefaultChipSize = 1 << 20;  // a blank 27080-sized socket

  explicit BoardSimulator(std::uint16_t base = kDefaultBase,
                          std::int32_t chipSize = kDefaultChipSize);

  void out(std::uint16_t port, std::uint8_t value) override;
  std::uint8_t in(std::uint16_t port) override;

  // The chip in the socket; starts blank (all FFh).
  std::vector<std::uint8_t>& Chip();
  const std::vector<std::uint8_t>& Chip() const;

  // Chip file of --simulate=CHIP.bin. Loading a missing file gives a blank chip.
  // Both return false with the system's reason in `error` on failure; saving
  // goes through a temporary file renamed over the target.
  bool LoadChip(const std::string& path, std::string& error);
  bool SaveChip(const std::string& path, std::string& error) const;
};

// Always hands out the simulator, whatever the base address: at a base the
// simulated board does not sit on, it behaves as a missing board.
class SimulatorPortSource final : public PortSource {
 public:
  explicit SimulatorPortSource(BoardSimulator& simulator) : simulator_(simulator) {}
  PortIo* Acquire(std::int16_t, std::string&) override { return &simulator_; }

 private:
  BoardSimulator& simulator_;
};

// ppdev for the /dev/parportN whose base address is LptBase, else direct x86 I/O (root).
std::unique_ptr<PortSource> MakeHardwarePortSource();
