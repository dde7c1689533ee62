#pragma once

#include <string>
#include <vector>

// Starts another program without waiting for it and without reading its
// result. Each argument reaches the program whole, blanks included.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // False, with the reason in `whyNot`, when the program cannot be started.
  virtual bool start(const std::string& program, const std::vector<std::string>& arguments,
                     std::string& whyNot) = 0;
};
