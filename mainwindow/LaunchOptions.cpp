#include "LaunchOptions.h"

#include <charconv>

Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  std::string error;  // of the last argument not understood
  const std::string simulateWith = "--simulate=";
  const std::string latencyOf = "--simulate-latency=";
  for (const std::string& argument : arguments) {
    if (argument == "--simulate") {
      options.simulate = true;
    } else if (argument.rfind(simulateWith, 0) == 0 && argument.size() > simulateWith.size()) {
      options.simulate = true;
      options.chipFile = argument.substr(simulateWith.size());
    } else if (argument.rfind(latencyOf, 0) == 0) {
      const char* first = argument.data() + latencyOf.size();
      const char* last = argument.data() + argument.size();
      const auto [end, parsed] = std::from_chars(first, last, options.simulatorLatencyUs);
      if (first == last || parsed != std::errc() || end != last || options.simulatorLatencyUs < 0) {
        error = "--simulate-latency needs a whole number of microseconds";
      }
    } else {
      error = "unknown argument: " + argument;
    }
  }
  if (options.simulatorLatencyUs > 0 && !options.simulate) {
    error = "--simulate-latency needs --simulate";
  }
  if (!error.empty()) return Failure{error};
  return options;
}
