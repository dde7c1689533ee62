#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Expected.h"

// VeskEprom's command line:
//   --simulate            the board simulator with a blank chip, instead of the port
//   --simulate=CHIP.bin   the simulator, its chip kept in CHIP.bin between runs
//   --simulate-latency=US (for the tests of the built program) each access to
//                         the simulated board takes US microseconds, so that a
//                         read lasts long enough to act on the window during it
struct LaunchOptions {
  bool simulate = false;
  std::string chipFile;
  std::int32_t simulatorLatencyUs = 0;
};

// `arguments` without the program name, Qt's own options already removed. A
// command line that is not understood fails, saying what is wrong with it.
Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "Usage: VeskEprom [--simulate[=CHIP.bin]]\n"
    "  --simulate           use the board simulator (a blank chip) instead of the parallel port\n"
    "  --simulate=CHIP.bin  the same, with the chip's contents kept in CHIP.bin\n";
