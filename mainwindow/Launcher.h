#pragma once

#include <functional>
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
  // Starts the program as start() does; once it has ended, `ended` is called
  // on this thread from the event loop. Nothing waits for the program
  // meanwhile, and it keeps running when this program ends first. `ended` is
  // not called when the start fails.
  virtual Expected<> startWatched(const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  std::function<void()> ended) = 0;
};
