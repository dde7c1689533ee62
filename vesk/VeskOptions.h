#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "EpromCatalogue.h"
#include "PortSettings.h"

// vesk's command line: one command, its options and at most one file.
enum class VeskCommand { Read, Blank, Write, Verify };

struct VeskOptions {
  VeskCommand command = VeskCommand::Read;
  const EpromTypeRow* type = nullptr;  // the catalogue's row, never an unavailable one
  PortSettings settings;               // the window's defaults, changed by the options
  bool simulate = false;
  std::string chipFile;  // --simulate=CHIP.bin; empty: a blank chip for this run
  bool quiet = false;
  std::string file;  // OUT.bin of read, IN.bin of write and verify
};

// What the command line asks for: a run, the help, the version, or nothing
// (`error` says why, in one sentence).
struct VeskArguments {
  enum class Ask { Run, Help, Version, Error } ask = Ask::Error;
  VeskOptions options;
  std::string error;
};

// `arguments` without the program name. Options may stand before or after the
// command; "--" ends them.
[[nodiscard]] VeskArguments parseVeskArguments(const std::vector<std::string>& arguments);

// A base address as the user writes it: "378h", "0x378", decimal "888", or
// "lpt1" to "lpt3"; the same range as the Options window (1 to 32765).
[[nodiscard]] std::optional<std::int16_t> parsePort(std::string_view text);

// The help text, its list of types taken from the catalogue.
std::string veskUsage();
