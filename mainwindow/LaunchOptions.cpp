#include "LaunchOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace {

// Qt's options that VeskEprom takes, each with its value in the next
// argument; Qt takes them with one dash or two. The others (-geometry,
// -reverse, -style, -stylesheet, -qwindowtitle...) would change the window's
// fixed size, layout, fonts or title, and are refused as unknown.
constexpr std::array<std::string_view, 3> kQtOptions{"platform", "display", "session"};

bool isQtOption(std::string_view argument) {
  if (argument.starts_with("--")) argument.remove_prefix(1);
  return argument.starts_with("-") &&
         std::find(kQtOptions.begin(), kQtOptions.end(), argument.substr(1)) != kQtOptions.end();
}

// The text after `prefix` when `argument` starts with it.
bool valueAfter(const std::string& argument, std::string_view prefix, std::string& value) {
  if (!argument.starts_with(prefix)) return false;
  value = argument.substr(prefix.size());
  return true;
}

}  // namespace

Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  bool faultsGiven = false;
  std::string error;  // of the first argument not understood
  const auto refuse = [&error](std::string why) {
    if (error.empty()) error = std::move(why);
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string value;
    if (argument == "--help" || argument == "-h") {
      options.ask = LaunchOptions::Ask::Help;
    } else if (argument == "--version") {
      if (options.ask == LaunchOptions::Ask::Window) options.ask = LaunchOptions::Ask::Version;
    } else if (argument == "--simulate") {
      options.simulate = true;
    } else if (valueAfter(argument, "--simulate=", value) && !value.empty()) {
      options.simulate = true;
      options.chipFile = value;
    } else if (valueAfter(argument, "--simulate-latency=", value)) {
      const char* last = value.data() + value.size();
      const auto [end, parsed] = std::from_chars(value.data(), last, options.simulatorLatencyUs);
      if (value.empty() || parsed != std::errc() || end != last || options.simulatorLatencyUs < 0)
        refuse("--simulate-latency needs a whole number of microseconds");
    } else if (valueAfter(argument, "--simulate-faults=", value)) {
      Expected<SimulatedFaults> faults = parseSimulatedFaults(value);
      if (faults)
        options.faults = std::move(*faults);
      else
        refuse("--simulate-faults " + faults.error());
      faultsGiven = true;
    } else if (isQtOption(argument)) {
      if (++i == arguments.size()) refuse(argument + " needs a value");
    } else {
      refuse("unknown argument: " + argument);
    }
  }
  if (options.simulatorLatencyUs > 0 && !options.simulate)
    refuse("--simulate-latency needs --simulate");
  if (faultsGiven && !options.simulate)
    refuse("--simulate-faults needs --simulate: only a simulated chip has them");
  if (!error.empty() && options.ask == LaunchOptions::Ask::Window) return Failure{error};
  return options;
}
