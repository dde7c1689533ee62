#include "VeskHelp.h"

#include <utility>
#include <vector>

#include "VeskSubcommands.h"

namespace {

// The options of a command's own, its files and its help left out.
std::vector<const CLI::Option*> ownOptions(const CLI::App& command) {
  return command.get_options([&command](const CLI::Option* option) {
    return !option->get_positional() && option != command.get_help_ptr();
  });
}

// An option that takes no word of its own but a value after "=", as
// --simulate=CHIP.bin: declared to expect no value, with a name for the value.
bool takesValueAfterEquals(const CLI::Option& option) {
  return option.get_items_expected_max() == 0 && !option.get_type_name().empty();
}

}  // namespace

std::string VeskHelp::make_subcommands(const CLI::App* app, CLI::AppFormatMode) const {
  if (app->get_parent() != nullptr) return sharedOptionsOf(*app->get_parent(), app);
  const std::vector<const CLI::App*> commands = commandsOf(*app);
  std::string text = "\n" + commands.front()->get_group() + ":\n";
  for (const CLI::App* command : commands) text += make_subcommand(command);
  text += sharedOptionsOf(*app, nullptr);
  for (const CLI::App* command : commands)
    if (const std::vector<const CLI::Option*> own = ownOptions(*command); !own.empty())
      text += make_group("Options of " + command->get_name(), false, own);
  return text;
}

// vesk's shared options, those of `command` or (no command) all of them.
std::string VeskHelp::sharedOptionsOf(const CLI::App& vesk, const CLI::App* command) const {
  std::string text;
  for (const SharedOptions* group : sharedOptions(vesk))
    if (command == nullptr || group->takenBy(*command))
      text += make_group(group->get_group(), false, group->get_options());
  return text;
}

std::string VeskHelp::make_usage(const CLI::App* app, std::string name) const {
  if (app->get_parent() != nullptr) return Formatter::make_usage(app, std::move(name));
  return get_label("Usage") + ": " + name + " [" + get_label("OPTIONS") + "] " +
         get_label("SUBCOMMAND") + "\n";
}

std::string VeskHelp::make_option_opts(const CLI::Option* option) const {
  if (takesValueAfterEquals(*option)) return "[=" + option->get_type_name() + "]";
  return Formatter::make_option_opts(option);
}
