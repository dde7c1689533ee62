#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Expected.h"
#include "SimulatedFaults.h"

// VeskEprom's command line, read by CLI11 before Qt starts, so that the help,
// the version and a command line that is not understood need no display. Of
// Qt's own options only those that cannot upset the window's fixed layout
// are taken (they stay on the command line for QApplication): -platform,
// -display and the -session a session manager starts it again with.
struct LaunchOptions {
  enum class Ask { Window, Help, Version } ask = Ask::Window;
  bool simulate = false;
  std::string chipFile;
  std::int32_t simulatorLatencyUs = 0;
  SimulatedFaults faults;
  std::string help;  // with Ask::Help: the usage, as the options declare it
};

// `arguments` without the program name. A command line that is not
// understood fails, saying what is wrong with it; --help and --version win
// over everything else on it.
Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments);
