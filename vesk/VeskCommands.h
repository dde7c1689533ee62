#pragma once

#include <cstdio>

#include "Commands.h"
#include "VeskOptions.h"

// How a command ended, as vesk's exit status tells it.
enum class VeskStatus {
  Done = 0,        // the chip was read, is blank, was programmed, matches
  ChipSaidNo = 1,  // not blank, Bad Eprom, differences
  Failed = 2,      // a file or the port failed (reported)
  Stopped = 3      // a termination signal stopped it (the exit status is 128 + the signal)
};

// The first differences that verify lists.
inline constexpr int kListedDifferences = 16;

// Runs options.command on the chip with the window's commands of the core:
// the same port handling, messages, progress and chip file (`context`, which
// main() makes and tests may make otherwise). Verify lists the differences
// on `report`.
[[nodiscard]] VeskStatus runVeskCommand(const VeskOptions& options, CommandContext& context,
                                        std::FILE* report = stdout);
