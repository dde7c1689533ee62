#include "LaunchOptions.h"

#include <charconv>

LaunchOptions parseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
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
      const auto [end, error] = std::from_chars(first, last, options.simulatorLatencyUs);
      if (first == last || error != std::errc() || end != last || options.simulatorLatencyUs < 0) {
        options.error = "--simulate-latency needs a whole number of microseconds";
      }
    } else {
      options.error = "unknown argument: " + argument;
    }
  }
  if (options.simulatorLatencyUs > 0 && !options.simulate) {
    options.error = "--simulate-latency needs --simulate";
  }
  return options;
}
