#pragma once

#include <string>
#include <vector>

#include "Expected.h"

// Starts another program without waiting for it and without reading its
// result. Each argument reaches the program whole, blanks included.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // Fails, saying why, when the program cannot be started.
  virtual Expected<> start(const std::string& program,
                           const std::vector<std::string>& arguments) = 0;
};
