#pragma once
// vesk's command line on CLI11: the one place that declares vesk, its
// commands and their files and options. An option that several commands
// take is declared once, on vesk, in a group that knows those commands; the
// commands fall through to vesk for it, so that it may stand before or after
// the command. An option of one command is that command's.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "VeskOptions.h"

// The options some commands share, an option group of vesk's. The other
// commands exclude the group: CLI11 refuses its options with them, and asks
// for its required ones only when one of its commands is given.
class SharedOptions final : public CLI::Option_group {
 public:
  using CLI::Option_group::Option_group;

  // The commands that take the options, in the help's order.
  void setCommands(std::vector<std::string> commands) { commands_ = std::move(commands); }
  [[nodiscard]] bool takenBy(const CLI::App& command) const;
  // "read, blank, write, verify"
  [[nodiscard]] std::string commandList() const;

 private:
  std::vector<std::string> commands_;
};

// Where the command stood, as CLI11 met it.
struct CommandWord {
  const CLI::App* command = nullptr;  // none yet
  std::size_t leftBefore = 0;         // the words vesk left over before it
};

// Declares vesk itself (its description, --version, the exit statuses), its
// shared options and its commands, all bound to `options`; `word` learns the
// command once CLI11 reaches it.
void declareVesk(CLI::App& vesk, VeskOptions& options, CommandWord& word);

// vesk's groups of shared options, in the help's order.
std::vector<const SharedOptions*> sharedOptions(const CLI::App& vesk);

// vesk's commands, in the help's order.
std::vector<const CLI::App*> commandsOf(const CLI::App& vesk);

// The command's word on the command line: "read", "blank", ... "info".
const char* commandName(VeskCommand command);
