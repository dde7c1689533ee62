#include "VeskHelp.h"

#include <set>
#include <utility>
#include <vector>

#include "VeskSubcommands.h"

namespace {

// The options some commands share, and those commands.
struct OptionSet {
  std::vector<std::string> commands;
  std::vector<const CLI::Option*> options;
};

std::vector<std::string> commandsTaking(const CLI::App& vesk, const std::string& option) {
  std::vector<std::string> names;
  for (const CLI::App* command : vesk.get_subcommands({}))
    if (command->get_option_no_throw(option) != nullptr) names.push_back(command->get_name());
  return names;
}

// Every command's options but the help, in the order they are first declared,
// gathered by the commands that take them.
std::vector<OptionSet> optionSets(const CLI::App& vesk) {
  std::vector<OptionSet> sets;
  std::set<std::string> seen;
  for (const CLI::App* command : vesk.get_subcommands({})) {
    for (const CLI::Option* option : command->get_options()) {
      if (option->get_positional() || option == command->get_help_ptr() ||
          !seen.insert(option->get_name()).second)
        continue;
      std::vector<std::string> commands = commandsTaking(vesk, option->get_name());
      auto set = sets.begin();
      while (set != sets.end() && set->commands != commands) ++set;
      if (set == sets.end()) set = sets.insert(set, {std::move(commands), {}});
      set->options.push_back(option);
    }
  }
  return sets;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

std::string VeskHelp::make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const {
  std::string text = Formatter::make_subcommands(app, mode);
  if (app->get_parent() != nullptr) return text;
  for (const OptionSet& set : optionSets(*app))
    text += make_group("Options of " + joined(set.commands), false, set.options);
  return text;
}

std::string VeskHelp::make_option_opts(const CLI::Option* option) const {
  if (takesValueAfterEquals(*option)) return "[=" + option->get_type_name() + "]";
  return Formatter::make_option_opts(option);
}
