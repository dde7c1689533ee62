#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ChipParts.h"
#include "EpromCatalogue.h"
#include "ImageFileIo.h"
#include "PortSettings.h"
#include "ProgrammingAlgorithms.h"
#include "ReadPasses.h"
#include "SimulatedFaults.h"

// vesk's command line: one command, its options and its files. The commands
// and what each takes are declared in VeskSubcommands.cpp.
enum class VeskCommand { Read, Blank, Write, Verify, Info, Split, Merge, Types };

struct VeskOptions {
  VeskCommand command = VeskCommand::Read;
  const ChipPart* part = nullptr;      // -t: the part, with its datasheet's figures
  const EpromTypeRow* type = nullptr;  // the catalogue's row of the part, never an unavailable one
  PortSettings settings;               // the window's defaults, changed by the options
  // write: --algorithm, --pulse, --max-pulses; the algorithm the part's unless given.
  ProgrammingMethod method;
  std::optional<ProgrammingAlgorithm> algorithm;  // --algorithm
  bool over = false;   // write --over: programmed over what the chip holds
  bool verify = true;  // write: the whole chip read back once programmed (--no-verify: not)
  bool simulate = false;
  std::string chipFile;  // --simulate=CHIP.bin; empty: a blank chip for this run
  bool quiet = false;
  std::string file;  // OUT.bin of read, IN.bin of write and verify

  // Image files: how they are read and written, and the parts of a 16-bit board.
  ImageFileOptions imageFile;      // --format, --offset, --fill
  std::size_t ways = 0;            // split and merge: --ways 2 or 4
  bool swapWords = false;          // --swap
  bool force = false;              // --force: split and merge may replace files
  std::vector<std::string> parts;  // merge's PARTS; its OUT is `file`, split's FILE too
  bool repeat = false;  // write, verify: an image a fraction of the chip repeated to fill it

  // Dumps: the simulated chip's faults, the passes of a read, what is printed.
  SimulatedFaults faults;               // --simulate-faults, only with --simulate
  std::chrono::microseconds latency{};  // --simulate-latency: each access to the simulated board
  int passes = 2;                       // read and verify
  PassVote vote = PassVote::Majority;   // read: how the passes' bits make the image
  bool json = false;                    // one JSON object per command on standard output
  bool mame = false;                    // MAME's ROM_LOAD line after the identity
  bool dat = false;                     // a Logiqx DAT line after the identity
  std::vector<std::string> infoFiles;   // FILE... of info
  // Known ROMs: the reference sources a dump is named by (read, info).
  std::vector<std::string> against;  // --against, in the order given
  bool noCache = false;              // --no-cache: the sources read without their index
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
