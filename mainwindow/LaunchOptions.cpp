#include "mainwindow/LaunchOptions.h"

LaunchOptions Parse_Launch_Options(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  const std::string simulateWith = "--simulate=";
  const std::string screenshotTo = "--screenshot=";
  for (const std::string& argument : arguments) {
    if (argument == "--simulate") {
      options.simulate = true;
    } else if (argument.rfind(simulateWith, 0) == 0 && argument.size() > simulateWith.size()) {
      options.simulate = true;
      options.chipFile = argument.substr(simulateWith.size());
    } else if (argument.rfind(screenshotTo, 0) == 0 && argument.size() > screenshotTo.size()) {
      options.screenshotFile = argument.substr(screenshotTo.size());
    } else {
      options.error = "unknown argument: " + argument;
    }
  }
  if (!options.screenshotFile.empty() && !options.simulate) {
    options.error = "--screenshot needs --simulate";
  }
  return options;
}
