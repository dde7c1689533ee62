#pragma once

#include <cstdint>

// Where a run over the chip stands, and so where it stopped when it stops:
// which pass over the chip (0 the first; a write that checks the chip first
// has the check as pass 0) and how many locations that pass has done.
struct StopPoint {
  std::int32_t pass = 0;
  std::int32_t location = 0;

  // Follows ProgressBar1 as the board routines move it: within a pass its
  // value rises by one a location, so a value that does not rise starts the
  // next pass. True when `value` starts one.
  bool follow(std::int32_t value) {
    const bool nextPass = value <= location;
    if (nextPass) ++pass;
    location = value;
    return nextPass;
  }
};
