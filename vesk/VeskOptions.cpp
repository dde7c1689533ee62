#include "VeskOptions.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#include "CommandLineWords.h"
#include "PortSourceFactory.h"
#include "VeskHelp.h"
#include "VeskSubcommands.h"

// CLI11 reads the words as VeskSubcommands.cpp declares them; this file says
// what is wrong with them in vesk's words, and refuses the two words CLI11
// would misread: an empty one, and "--NAME=" with nothing after the "=".

namespace {

// "read, blank, write, verify, info, split or merge"
std::string commandList(const CLI::App& vesk) {
  const std::vector<const CLI::App*> commands = commandsOf(vesk);
  std::string list;
  for (std::size_t i = 0; i < commands.size(); ++i)
    list += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + commands[i]->get_name();
  return list;
}

// An empty word is no command, option or file; and CLI11 (2.1) takes it for
// the name of one of vesk's option groups, which then reads the words after
// it, and for ever when one is an option the group does not have. It is
// refused before CLI11 reads the words.
bool hasEmptyWord(const std::vector<std::string>& words) {
  return std::find(words.begin(), words.end(), "") != words.end();
}

// The word a bare --simulate was followed by: meant as the chip file, it
// became a command or a file too many.
std::optional<std::string> wordAfterBareSimulate(const std::vector<std::string>& words) {
  for (std::size_t i = 0; i + 1 < words.size() && words[i] != "--"; ++i)
    if (words[i] == "--simulate" && !words[i + 1].starts_with("-")) return words[i + 1];
  return std::nullopt;
}

std::string simulateHint(const std::string& chipFile) {
  return "; for the simulated chip kept in " + chipFile + ", write --simulate=" + chipFile;
}

// A word CLI11 left over that looks like an option: "--bogus=1", "-zt".
bool isOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-';
}

std::string unknownOption(const std::string& word) {
  return "unknown option " +
         (word.starts_with("--") ? word.substr(0, word.find('=')) : word.substr(0, 2));
}

std::string tooManyFiles(const CLI::App& command, const std::optional<std::string>& chipFile) {
  int files = 0;
  for (const CLI::Option* option : command.get_options())
    if (option->get_positional()) files += option->get_items_expected_max();
  return command.get_name() +
         (files == 0   ? " takes no file"
          : files == 1 ? " takes one file"
                       : " takes " + std::to_string(files) + " files") +
         (chipFile ? simulateHint(*chipFile) : "");
}

// What is wrong with the command and the words vesk left over, the plainest
// first: a word where the command should be, no command at all, an option no
// command has, a file too many. Empty when nothing is.
std::string leftOverFault(const CLI::App& vesk, const CommandWord& given,
                          const std::vector<std::string>& words) {
  const std::vector<std::string> leftOver = vesk.remaining();
  const std::size_t before = given.command == nullptr ? leftOver.size() : given.leftBefore;
  const std::optional<std::string> chipFile = wordAfterBareSimulate(words);
  for (std::size_t i = 0; i < before && i < leftOver.size(); ++i)
    if (!isOption(leftOver[i]))
      return "unknown command '" + leftOver[i] + "' (" + commandList(vesk) + ")" +
             (chipFile == leftOver[i] ? simulateHint(*chipFile) : "");
  if (given.command == nullptr) return "no command given (" + commandList(vesk) + ")";
  for (const std::string& word : leftOver) {
    if (word == "--") continue;
    return isOption(word) ? unknownOption(word) : tooManyFiles(*given.command, chipFile);
  }
  return {};
}

// The options `command` takes: its own, then those of vesk's groups that it
// takes; with `others`, those of the groups it does not take after them.
std::vector<const CLI::Option*> optionsOf(const CLI::App& vesk, const CLI::App& command,
                                          bool others = false) {
  std::vector<const CLI::Option*> options = command.get_options();
  for (const bool taken : {true, false})
    for (const SharedOptions* group : sharedOptions(vesk))
      if (group->takenBy(command) == taken && (taken || others))
        for (const CLI::Option* option : group->get_options()) options.push_back(option);
  return options;
}

// "-t TYPE", "OUT.bin": an option as a usage line shows it.
std::string usageName(const CLI::Option& option) {
  if (option.get_positional()) return option.get_name();
  const std::string name = option.get_snames().empty() ? "--" + option.get_lnames().front()
                                                       : "-" + option.get_snames().front();
  return name + " " + option.get_type_name();
}

// "read needs OUT.bin, the file the chip is read into": the first required
// file or option not given, and its description.
std::string requiredMissing(const CLI::App& vesk, const CLI::App& command,
                            const std::string& cli11) {
  for (const CLI::Option* option : optionsOf(vesk, command)) {
    if (!option->get_required() || option->count() > 0) continue;
    std::string description = option->get_description();
    std::replace(description.begin(), description.end(), '\n', ' ');
    return command.get_name() + " needs " + usageName(*option) + ", " + description;
  }
  return cli11;
}

// "-t needs a value": CLI11 stops for want of a value at the end of the
// words, and names the option first ("--type: 1 required TYPE missing").
std::string valueMissing(const CLI::App& vesk, const CLI::App& command, const std::string& cli11) {
  for (const CLI::Option* option : optionsOf(vesk, command, true)) {
    if (!cli11.starts_with(option->get_name() + ":")) continue;
    const std::string name = usageName(*option);
    return name.substr(0, name.find(' ')) + " needs a value";
  }
  return cli11;
}

// "--port is not an option of info (only of read, blank, write, verify)".
std::string notAnOptionOf(const CLI::App& vesk, const CLI::App& command, const std::string& cli11) {
  for (const SharedOptions* group : sharedOptions(vesk)) {
    if (group->takenBy(command)) continue;
    for (const CLI::Option* option : group->get_options()) {
      if (option->count() == 0) continue;
      return option->get_name(false, true) + " is not an option of " + command.get_name() +
             " (only of " + group->commandList() + ")";
    }
  }
  return cli11;
}

// What CLI11 refused, in vesk's words; a value's refusal is in its own.
std::string refusal(const CLI::App& vesk, const CLI::App& command,
                    const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const CLI::RequiredError& required) {
    return requiredMissing(vesk, command, required.what());
  } catch (const CLI::ArgumentMismatch& mismatch) {
    return valueMissing(vesk, command, mismatch.what());
  } catch (const CLI::RequiresError& needs) {
    // Only the simulator's options need another: --simulate. CLI11 names the option first.
    return std::string_view(needs.what()).starts_with("--simulate-latency") ? kLatencyNeedsSimulate
                                                                            : kFaultsNeedSimulate;
  } catch (const CLI::ExcludesError& excluded) {
    return notAnOptionOf(vesk, command, excluded.what());
  } catch (const CLI::ParseError& other) {
    return other.what();
  }
}

// What is wrong with the words, in one sentence; empty when nothing is.
std::string whatIsWrong(const CLI::App& vesk, const CommandWord& given,
                        const std::vector<std::string>& words, const std::exception_ptr& error) {
  if (std::optional<std::string> empty = emptyOptionValue(words)) return *empty;
  if (std::string fault = leftOverFault(vesk, given, words); !fault.empty()) return fault;
  return error ? refusal(vesk, *given.command, error) : std::string();
}

// Whether -h was given, to vesk or to a command. CLI11 looks at it only once
// every value is read, and a value it refuses would hide the help asked for.
bool helpAsked(const CLI::App& vesk) {
  if (vesk.get_help_ptr()->count() > 0) return true;
  for (const CLI::App* command : commandsOf(vesk))
    if (command->get_help_ptr()->count() > 0) return true;
  return false;
}

// vesk's help in CLI11's layout; set before the commands are declared, which inherit it.
void prepareHelp(CLI::App& vesk) {
  vesk.formatter(std::make_shared<VeskHelp>());
  vesk.get_formatter()->label("Positionals", "Files");
  vesk.get_formatter()->label("SUBCOMMAND", "COMMAND");
  vesk.get_formatter()->column_width(27);
}

}  // namespace

VeskArguments parseVeskArguments(const std::vector<std::string>& arguments) {
  VeskArguments result;
  if (hasEmptyWord(arguments)) {
    result.error = "an empty word is no command, option or file";
    return result;
  }
  CLI::App vesk("", "vesk");
  prepareHelp(vesk);
  CommandWord given;
  declareVesk(vesk, result.options, given);
  std::vector<const char*> argv{"vesk"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::exception_ptr error;
  try {
    vesk.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForVersion&) {
    result.ask = VeskArguments::Ask::Version;
    return result;
  } catch (const CLI::ParseError&) {
    error = std::current_exception();
  }
  if (helpAsked(vesk)) {
    result.ask = VeskArguments::Ask::Help;
    result.help = vesk.help();
    return result;
  }
  result.error = whatIsWrong(vesk, given, arguments, error);
  if (result.error.empty()) result.ask = VeskArguments::Ask::Run;
  return result;
}
