#pragma once

#include <CLI/CLI.hpp>

// vesk's help in CLI11's layout, with two additions: `vesk --help` lists the
// options of the commands too, each once, under the commands that take it;
// and an option whose value comes only after "=" shows as --simulate[=CHIP.bin].
class VeskHelp final : public CLI::Formatter {
 public:
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
  std::string make_option_opts(const CLI::Option* option) const override;
};
