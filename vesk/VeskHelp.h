#pragma once

#include <CLI/CLI.hpp>
#include <string>

// vesk's help in CLI11's layout, with these additions: a command's help lists
// the shared options it takes, under the commands that take them; `vesk
// --help` lists every option of the commands, each once, the same way, and
// shows the command as required, which CLI11 is not told; and an option whose
// value comes only after "=" shows as --simulate[=CHIP.bin].
class VeskHelp final : public CLI::Formatter {
 public:
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_option_opts(const CLI::Option* option) const override;

 private:
  std::string sharedOptionsOf(const CLI::App& vesk, const CLI::App* command) const;
};
