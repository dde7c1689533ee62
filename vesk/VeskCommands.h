#pragma once

#include <cstdio>

#include "Commands.h"
#include "VeskOptions.h"

// How a command ended, as vesk's exit status tells it.
enum class VeskStatus {
  Done = 0,        // the chip was read, is blank, was programmed, matches
  ChipSaidNo = 1,  // not blank, Bad Eprom, differences
  Failed = 2,      // a file or the port failed (reported)
  Unstable = 3,    // the chip reads unstable: its passes did not all read the same
  Stopped = 128    // a termination signal stopped it (the exit status is 128 + the signal)
};

// Runs options.command on the chip with the window's commands of the core:
// the same port handling, messages, progress and chip file (`context`, which
// main() makes and tests may make otherwise). The results go to `results`:
// as text (a read's identity, verify's differences, the unstable locations),
// or with --json as one object, which a run stopped by a signal does not give.
// info reads files only, and takes only the messages of `context`.
[[nodiscard]] VeskStatus runVeskCommand(const VeskOptions& options, CommandContext& context,
                                        std::FILE* results = stdout);
