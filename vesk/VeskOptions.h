#pragma once

#include <string>
#include <vector>

#include "EpromCatalogue.h"
#include "PortSettings.h"
#include "ProgrammingAlgorithms.h"

// vesk's command line: one command, its options and its files. The commands
// and what each takes are declared in VeskSubcommands.cpp.
enum class VeskCommand { Read, Blank, Write, Verify };

struct VeskOptions {
  VeskCommand command = VeskCommand::Read;
  const EpromTypeRow* type = nullptr;  // the catalogue's row, never an unavailable one
  PortSettings settings;               // the window's defaults, changed by the options
  ProgrammingMethod method;            // write: --algorithm, --pulse, --max-pulses
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
  std::string help;  // the help asked for: vesk's, or one command's
};

// `arguments` without the program name. Options may stand before or after the
// command; "--" ends them, and "-" is a file name.
[[nodiscard]] VeskArguments parseVeskArguments(const std::vector<std::string>& arguments);
