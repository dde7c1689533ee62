#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "PortIo.h"
#include "PortSettings.h"
#include "PortSource.h"

// The programmer board and a chip in software, at one base address:
// - the address counter restarts at 0 on a control write with bit 1 set that
//   follows one with bit 1 clear, steps on each 0->1 edge of bit 0 and wraps
//   at the chip size (a write that does both restarts first, then steps);
// - with control bit 5 set a data read gives the chip byte at the counter,
//   with it clear the last byte written (the port's latch);
// - a programming pulse lasts while bits 2 and 3 are both set; at its end the
//   cell at the counter becomes cell AND data lines (the latch while the port
//   drives them during the pulse, FFh while bit 5 left them floating): an
//   EPROM cell only ever loses 1s;
// - accesses to any other address do nothing and read FFh, as with no board.
class BoardSimulator final : public PortIo {
 public:
  static constexpr auto kDefaultBase = static_cast<std::uint16_t>(kLpt1Base);
  static constexpr std::int32_t kDefaultChipSize = 1 << 20;  // a blank 27080-sized socket

  struct Statistics {
    std::uint64_t dataWrites = 0;
    std::uint64_t dataReads = 0;
    std::uint64_t controlWrites = 0;
    std::uint64_t pulses = 0;         // programming pulses ended
    std::uint64_t steps = 0;          // counter steps
    std::uint64_t restarts = 0;       // counter restarts at location 0
    std::uint64_t otherAccesses = 0;  // at addresses where the board is not
  };

  struct Access {
    bool write;
    std::uint16_t port;
    std::uint8_t value;
    bool operator==(const Access&) const = default;
  };

  explicit BoardSimulator(std::uint16_t base = kDefaultBase,
                          std::int32_t chipSize = kDefaultChipSize);

  void out(std::uint16_t port, std::uint8_t value) override;
  std::uint8_t in(std::uint16_t port) override;

  // The chip in the socket; starts blank (all FFh).
  std::vector<std::uint8_t>& chip();
  const std::vector<std::uint8_t>& chip() const;

  // A weak cell takes its value only at the `pulsesNeeded`-th pulse it gets;
  // a dead cell never changes.
  void makeWeakCell(std::int32_t location, int pulsesNeeded);
  void makeDeadCell(std::int32_t location);

  const Statistics& stats() const { return stats_; }
  void resetStats() { stats_ = {}; }

  // Every access, in order, while logging is on.
  void setLogging(bool on) { logging_ = on; }
  const std::vector<Access>& log() const { return log_; }
  void clearLog() { log_.clear(); }

  // Each access busy-waits this long, to model the real bus (about 1 us).
  void setLatency(std::chrono::nanoseconds perAccess) { latency_ = perAccess; }

  std::uint16_t base() const { return base_; }
  std::int32_t counter() const { return counter_; }
  std::uint8_t control() const { return control_; }

 private:
  void writeControl(std::uint8_t value);
  void endPulse(std::uint8_t during);
  void wait() const;

  std::uint16_t base_;
  std::vector<std::uint8_t> chip_;
  std::int32_t counter_ = 0;
  std::uint8_t control_ = 0;
  std::uint8_t latch_ = 0xFF;
  std::unordered_map<std::int32_t, int> weakPulsesLeft_;
  std::unordered_set<std::int32_t> dead_;
  Statistics stats_;
  bool logging_ = false;
  std::vector<Access> log_;
  std::chrono::nanoseconds latency_{0};
};

// Always hands out the simulator, whatever the base address: at a base the
// simulated board does not sit on, it behaves as a missing board.
class SimulatorPortSource final : public PortSource {
 public:
  explicit SimulatorPortSource(BoardSimulator& simulator) : simulator_(simulator) {}
  Expected<PortIo*> acquire(std::int16_t) override { return &simulator_; }

 private:
  BoardSimulator& simulator_;
};
