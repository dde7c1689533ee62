#include "VeskOptions.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "Expected.h"
#include "VeskHelp.h"
#include "VeskSubcommands.h"

// CLI11 reads the words; this file puts the command first, so that every
// option may also stand before it, and words vesk's errors.

namespace {

bool takesNextWord(const CLI::Option& option) {
  return option.get_items_expected_max() > 0;
}

// Every option name of vesk and its commands ("-t", "--type"). A name means
// the same in every command that has it, so the words before the command can
// be read without knowing the command yet.
class OptionNames {
 public:
  explicit OptionNames(const CLI::App& vesk) {
    add(vesk);
    for (const CLI::App* command : vesk.get_subcommands({})) add(*command);
  }

  const CLI::Option* find(const std::string& name) const {
    const auto found = options_.find(name);
    return found == options_.end() ? nullptr : found->second;
  }

 private:
  void add(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
      for (const std::string& name : option->get_snames()) note("-" + name, *option);
      for (const std::string& name : option->get_lnames()) note("--" + name, *option);
    }
  }

  void note(const std::string& name, const CLI::Option& option) {
    const auto [known, added] = options_.emplace(name, &option);
    if (!added && takesNextWord(*known->second) != takesNextWord(option))
      throw std::logic_error(name + " takes a value in one command and none in another");
  }

  std::map<std::string, const CLI::Option*> options_;
};

// Where the command stands: the first word that is neither an option nor an
// option's value, read as CLI11 reads words. Refuses what CLI11 would take
// silently: a value after "=" for a flag, or nothing after the "=".
Expected<std::optional<std::size_t>> findCommand(const std::vector<std::string>& words,
                                                 const OptionNames& names) {
  std::optional<std::size_t> command;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    std::string name;
    std::string rest;
    if (word == "--") {
      if (!command && i + 1 < words.size()) command = i + 1;
      break;
    }
    if (CLI::detail::split_long(word, name, rest)) {
      const CLI::Option* option = names.find("--" + name);
      const std::size_t equals = word.find('=');
      if (option == nullptr) continue;  // CLI11 leaves it over, to be named
      if (equals == std::string::npos) {
        if (takesNextWord(*option)) ++i;
      } else if (!takesNextWord(*option) && !takesValueAfterEquals(*option)) {
        return Failure{"--" + name + " takes no value"};
      } else if (rest.empty()) {
        return Failure{word + " needs a value after the '='"};
      }
    } else if (CLI::detail::split_short(word, name, rest) &&
               (names.find("-" + name) != nullptr ||
                std::isdigit(static_cast<unsigned char>(name[0])) == 0)) {
      // "-qt 2732", "-t2732": the first letter that takes a value ends the word.
      for (std::size_t letter = 1; letter < word.size(); ++letter) {
        const CLI::Option* option = names.find(std::string{'-', word[letter]});
        if (option == nullptr) break;
        if (!takesNextWord(*option)) continue;
        if (letter + 1 == word.size()) ++i;
        break;
      }
    } else if (!command) {
      command = i;
    }
  }
  return command;
}

// "read, blank, write or verify"
std::string commandList(const CLI::App& vesk) {
  const std::vector<const CLI::App*> commands = vesk.get_subcommands({});
  std::string list;
  for (std::size_t i = 0; i < commands.size(); ++i)
    list += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + commands[i]->get_name();
  return list;
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

std::string commandMissing(const CLI::App& vesk, const std::vector<std::string>& words,
                           std::optional<std::size_t> command) {
  if (!command) return "no command given (" + commandList(vesk) + ")";
  std::string text = "unknown command '" + words[*command] + "' (" + commandList(vesk) + ")";
  if (wordAfterBareSimulate(words) == words[*command]) text += simulateHint(words[*command]);
  return text;
}

std::string tooManyFiles(const CLI::App& command, const std::vector<std::string>& words) {
  int files = 0;
  for (const CLI::Option* option : command.get_options())
    if (option->get_positional()) files += option->get_items_expected_max();
  std::string text =
      command.get_name() + (files == 0   ? " takes no file"
                            : files == 1 ? " takes one file"
                                         : " takes " + std::to_string(files) + " files");
  if (const std::optional<std::string> chipFile = wordAfterBareSimulate(words))
    text += simulateHint(*chipFile);
  return text;
}

// What CLI11 left over: an option no command has, or a file too many.
std::string leftOver(const CLI::App& vesk, const std::vector<std::string>& words) {
  for (const std::string& word : vesk.remaining(true)) {
    if (word == "--") continue;
    if (word.starts_with("--")) return "unknown option " + word.substr(0, word.find('='));
    if (word.size() > 1 && word[0] == '-') return "unknown option " + word.substr(0, 2);
    return tooManyFiles(*vesk.get_subcommands().front(), words);
  }
  return {};
}

// "OUT.bin", "-t TYPE": an option as a usage line shows it.
std::string usageName(const CLI::Option& option) {
  if (option.get_positional()) return option.get_name();
  const std::string name = option.get_snames().empty() ? "--" + option.get_lnames().front()
                                                       : "-" + option.get_snames().front();
  return name + " " + option.get_type_name();
}

// "read needs OUT.bin, the file the chip is read into": the first required
// file or option not given, and its description; else CLI11's `words`.
std::string requiredMissing(const CLI::App& vesk, const std::string& words) {
  const CLI::App& command = *vesk.get_subcommands().front();
  for (const CLI::Option* option : command.get_options()) {
    if (!option->get_required() || option->count() > 0) continue;
    std::string description = option->get_description();
    std::replace(description.begin(), description.end(), '\n', ' ');
    return command.get_name() + " needs " + usageName(*option) + ", " + description;
  }
  return words;
}

// "-t needs a value": CLI11 stops for want of a value only at the last word.
std::string valueMissing(const std::string& lastWord) {
  const bool shortOptions = !lastWord.starts_with("--");
  return (shortOptions ? std::string{'-', lastWord.back()} : lastWord) + " needs a value";
}

// vesk's CLI11 app, its commands bound to `options`.
void prepare(CLI::App& vesk, VeskOptions& options) {
  // Inherited by the commands, so set before they are declared.
  vesk.formatter(std::make_shared<VeskHelp>());
  vesk.get_formatter()->label("Positionals", "Files");
  vesk.get_formatter()->label("SUBCOMMAND", "COMMAND");
  vesk.get_formatter()->column_width(27);
  vesk.require_subcommand(1, 1);
  vesk.fallthrough();   // --version after the command
  vesk.allow_extras();  // left over for leftOver() to name
  vesk.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  declareVesk(vesk, options);
  for (CLI::App* command : vesk.get_subcommands({})) command->group("Commands");
}

// `words` with the command first and the others in their order, backwards:
// CLI11 reads from the end.
std::vector<std::string> forCli11(std::vector<std::string> words,
                                  std::optional<std::size_t> command) {
  if (command) {
    const auto at = words.begin() + static_cast<std::ptrdiff_t>(*command);
    std::rotate(words.begin(), at, at + 1);
  }
  std::reverse(words.begin(), words.end());
  return words;
}

// The plainest fault first: no command, then words no command takes, then
// what CLI11 stopped at (`failure`). The command is the word findCommand()
// found; CLI11 may have taken another one.
std::string whatIsWrong(const CLI::App& vesk, const std::vector<std::string>& arguments,
                        std::optional<std::size_t> command, const std::string& failure) {
  if (!command || vesk.get_subcommands().empty() ||
      vesk.get_subcommands().front()->get_name() != arguments[*command])
    return commandMissing(vesk, arguments, command);
  if (std::string over = leftOver(vesk, arguments); !over.empty()) return over;
  return failure;
}

}  // namespace

VeskArguments parseVeskArguments(const std::vector<std::string>& arguments) {
  VeskArguments result;
  CLI::App vesk("", "vesk");
  prepare(vesk, result.options);
  const Expected<std::optional<std::size_t>> command = findCommand(arguments, OptionNames(vesk));
  if (!command) {
    result.error = command.error();
    return result;
  }
  std::vector<std::string> words = forCli11(arguments, *command);
  const std::string lastWord = words.empty() ? "" : words.front();
  std::string failure;
  try {
    vesk.parse(words);
  } catch (const CLI::CallForHelp&) {
    result.ask = VeskArguments::Ask::Help;
    result.help = vesk.help();
    return result;
  } catch (const CLI::CallForVersion&) {
    result.ask = VeskArguments::Ask::Version;
    return result;
  } catch (const CLI::RequiredError& error) {
    if (!vesk.get_subcommands().empty()) failure = requiredMissing(vesk, error.what());
  } catch (const CLI::ArgumentMismatch&) {
    failure = valueMissing(lastWord);
  } catch (const CLI::ParseError& error) {
    failure = error.what();
  }
  result.error = whatIsWrong(vesk, arguments, *command, failure);
  if (result.error.empty()) result.ask = VeskArguments::Ask::Run;
  return result;
}
