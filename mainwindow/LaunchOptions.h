#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Expected.h"
#include "SimulatedFaults.h"

// VeskEprom's command line, read before Qt starts, so that the help, the
// version and a command line that is not understood need no display. Of
// Qt's own options only those that cannot upset the window's fixed layout
// are taken (they stay on the command line for QApplication): -platform,
// -display and the -session a session manager starts it again with.
struct LaunchOptions {
  enum class Ask { Window, Help, Version } ask = Ask::Window;
  bool simulate = false;
  std::string chipFile;
  std::int32_t simulatorLatencyUs = 0;
  SimulatedFaults faults;
};

// `arguments` without the program name. A command line that is not
// understood fails, saying what is wrong with it; --help and --version win
// over everything else on it.
Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "Usage: VeskEprom [OPTION]...\n"
    "The EPROM programmer's window, on the parallel port or on the board simulator.\n"
    "\n"
    "  --simulate              use the board simulator (a blank chip) instead of the\n"
    "                          parallel port\n"
    "  --simulate=CHIP.bin     the same, with the chip's contents kept in CHIP.bin\n"
    "  --simulate-faults=LIST  with --simulate: the simulated chip fails as real chips\n"
    "                          do; LIST is comma-separated weak:ADDR:N, dead:ADDR,\n"
    "                          unstable:ADDR:MASK, stuck-data:BIT:0|1,\n"
    "                          open-address:LINE, no-chip, seed:N\n"
    "  --simulate-latency=US   with --simulate: each access to the simulated board\n"
    "                          takes US microseconds, as on a slow bus\n"
    "  -platform NAME          Qt's platform plugin: xcb, wayland, offscreen...\n"
    "  -display DISPLAY        the X display the window opens on\n"
    "  -session ID             the session a session manager starts it again in\n"
    "  -h, --help              print this help and exit\n"
    "      --version           print the version and exit\n"
    "\n"
    "Exit status: 0 closed, 1 no display or a chip file that cannot be kept,\n"
    "2 a command line that is not understood, 128 + N ended by signal N.\n";
