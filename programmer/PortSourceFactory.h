#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "BoardSimulator.h"
#include "ChipFile.h"
#include "Expected.h"
#include "PortSource.h"
#include "SimulatedFaults.h"

// What a program's command line says of the board simulator. More settings
// of the simulated board join these as the programs learn them.
struct SimulatorSettings {
  bool simulate = false;  // the simulator instead of the parallel port
  std::string chipFile;   // the simulated chip kept in this file; empty: a blank chip
  std::chrono::microseconds latency{0};  // how long each access to the simulated board takes
  SimulatedFaults faults{};              // the simulated chip's faults; none by default
};

// The simulator's options as both programs' help describes them, and why the
// faults are refused without the simulator.
inline constexpr const char* kSimulateHelp =
    "the board simulator instead of the port: a blank chip,\nor the chip kept in CHIP.bin";
inline constexpr const char* kSimulatedFaultsHelp =
    "with --simulate: the simulated chip's faults, as\nweak:ADDR:N, dead:ADDR, "
    "unstable:ADDR:MASK,\nstuck-data:BIT:0|1, open-address:LINE, no-chip, seed:N\n"
    "(comma-separated)";
inline constexpr const char* kSimulateLatencyHelp =
    "with --simulate: each access to the simulated board\ntakes US microseconds, as on a "
    "slow bus";
inline constexpr const char* kFaultsNeedSimulate =
    "--simulate-faults needs --simulate: only a simulated chip has them";
inline constexpr const char* kLatencyNeedsSimulate = "--simulate-latency needs --simulate";

// The port source a program runs on, and what it stands on. Held by main()
// for the whole run.
struct MadePortSource {
  std::unique_ptr<BoardSimulator> simulator;  // with the simulator
  std::unique_ptr<ChipFile> chipFile;         // with the simulator's chip file
  std::unique_ptr<PortSource> ports;          // never null
};

// The simulator (with its chip file, checked, locked and loaded now, so that
// a file that cannot be kept is refused before any work) or the parallel
// port. `basePlace` says where the program's user chooses another base
// address (" in Options"), for the port's refusals. The simulated chip times
// its pulses on `clock`, the clock of the program's BoardTiming, which must
// outlive it. When the chip file cannot be used: one sentence that names it
// says why.
Expected<MadePortSource> makePortSource(const SimulatorSettings& simulator,
                                        const std::string& basePlace, const BoardClock& clock);
