#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "BoardSimulator.h"
#include "Expected.h"

// The faults a simulated chip is given, as the front ends take them from the
// user: a comma-separated list of
//   weak:ADDR:N          the cell needs N times the pulse time of a sound one
//                        (100 us): N pulses of 100 us, one of N x 100 us
//   dead:ADDR            the cell never changes
//   unstable:ADDR:MASK   the bits in MASK read at random at every read
//   stuck-data:BIT:0|1   data line BIT always reads and programs as 0 or 1
//   open-address:LINE    location a reads and programs as a with bit LINE clear
//   no-chip              an empty socket: every read FFh, pulses change nothing
//   seed:N               the seed of the random reads (default 1)
// ADDR and MASK in decimal or as 0x...; LINE 0 to 19, for the simulated chip's
// 1 MiB. A later item for the same cell, data line or seed replaces an
// earlier one of its kind; a cell may be weak (or dead) and unstable at once.
struct SimulatedFaults {
  struct WeakCell {
    std::int32_t address;
    int times;  // the pulse time of a sound cell's it needs
    bool operator==(const WeakCell&) const = default;
  };
  struct UnstableCell {
    std::int32_t address;
    std::uint8_t mask;
    bool operator==(const UnstableCell&) const = default;
  };
  std::vector<WeakCell> weak;
  std::vector<std::int32_t> dead;
  std::vector<UnstableCell> unstable;
  std::uint8_t stuckLow = 0;           // data lines stuck at 0, one bit each
  std::uint8_t stuckHigh = 0;          // data lines stuck at 1
  std::uint32_t openAddressLines = 0;  // one bit for each open line
  bool noChip = false;
  std::uint32_t seed = BoardSimulator::kDefaultSeed;
  bool operator==(const SimulatedFaults&) const = default;
};

// The most times a sound cell's pulse time a weak cell may need.
inline constexpr int kMostWeakTimes = 65535;

// The list parsed; a bad list is refused with a sentence that names the item
// ("weak:0x10: ..."), for the front end's usage error.
Expected<SimulatedFaults> parseSimulatedFaults(std::string_view list);

// The same for --simulate-faults of both programs, whose refusal names it.
Expected<SimulatedFaults> simulatedFaultsOption(std::string_view list);

// Gives the simulator the faults; cells beyond its chip never show.
void applySimulatedFaults(const SimulatedFaults& faults, BoardSimulator& simulator);
