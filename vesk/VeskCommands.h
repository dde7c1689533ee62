#pragma once

#include <cstdio>

#include "BoardTiming.h"
#include "ChipFile.h"
#include "PortSource.h"
#include "RunStop.h"
#include "UserInterfaces.h"
#include "VeskOptions.h"

// What a vesk command works with; main() makes them, tests may make others.
struct VeskServices {
  PortSource& ports;
  BoardTiming& timing;
  Messages& messages;
  Progress& progress;
  const StopRequest* stop = nullptr;
  ChipFile* chipFile = nullptr;  // the simulated chip's file, when there is one
  std::FILE* report = stdout;    // where verify lists the differences
};

// How a command ended, as vesk's exit status tells it.
enum class VeskStatus {
  Done = 0,        // the chip was read, is blank, was programmed, matches
  ChipSaidNo = 1,  // not blank, Bad Eprom, differences
  Failed = 2,      // a file or the port failed (reported)
  Stopped = 3      // a termination signal stopped it (the exit status is 128 + the signal)
};

// The first differences that verify lists.
inline constexpr int kListedDifferences = 16;

// Runs options.command on the chip, with the window's commands of the core:
// the same port handling, boxes, progress and chip file.
[[nodiscard]] VeskStatus runVeskCommand(const VeskOptions& options, VeskServices& services);
