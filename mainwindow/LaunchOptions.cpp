#include "LaunchOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "CommandLineWords.h"
#include "PortSourceFactory.h"
#include "WholeNumbers.h"

namespace {

// Qt's options that VeskEprom takes, each with its value in the next word;
// Qt takes them with one dash or two. CLI11 knows no long option of one
// dash: it leaves them over, and they stay on the command line for
// QApplication. The others (-geometry, -reverse, -style, -stylesheet,
// -qwindowtitle...) would change the window's fixed size, layout, fonts or
// title, and are refused as unknown.
struct QtOption {
  std::string_view name;
  std::string_view value;
  std::string_view description;
};
constexpr std::array<QtOption, 3> kQtOptions{{
    {"platform", "NAME", "Qt's platform plugin: xcb, wayland, offscreen..."},
    {"display", "DISPLAY", "the X display the window opens on"},
    {"session", "ID", "the session a session manager starts it again in"},
}};

bool isQtOption(std::string_view word) {
  if (word.starts_with("--")) word.remove_prefix(1);
  return word.starts_with("-") &&
         std::any_of(kQtOptions.begin(), kQtOptions.end(),
                     [word](const QtOption& option) { return option.name == word.substr(1); });
}

// Why the words CLI11 left over are not Qt's options, each with its value.
std::optional<std::string> notQtOptions(const std::vector<std::string>& leftOver) {
  for (std::size_t i = 0; i < leftOver.size(); ++i) {
    if (!isQtOption(leftOver[i])) return "unknown argument: " + leftOver[i];
    if (++i == leftOver.size()) return leftOver[i - 1] + " needs a value";
  }
  return std::nullopt;
}

// The help in CLI11's layout, a long option's value in GNU's forms
// (--simulate-faults=LIST; --simulate[=CHIP.bin] for one that comes only
// after "="), and Qt's options after VeskEprom's own.
class LaunchHelp final : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    if (option->get_type_name().empty()) return {};
    if (option->get_items_expected_max() == 0) return "[=" + option->get_type_name() + "]";
    return "=" + option->get_type_name();
  }

  std::string make_footer(const CLI::App* app) const override {
    std::string text = "Qt's options:\n";
    for (const QtOption& option : kQtOptions) {
      std::string line = "  -" + std::string(option.name) + " " + std::string(option.value);
      line.resize(std::max(line.size() + 1, get_column_width()), ' ');
      text += line + std::string(option.description) + "\n";
    }
    return text + "\n" + Formatter::make_footer(app);
  }
};

// VeskEprom itself: what it is, its exit statuses, its help and version.
void describe(CLI::App& app) {
  app.description("The EPROM programmer's window, on the parallel port or on the board simulator.");
  app.footer(
      "Exit status: 0 closed, 1 no display or a chip file that cannot be kept,\n"
      "2 a command line that is not understood, 128 + N ended by signal N.");
  app.allow_extras();  // Qt's options
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.set_help_flag("-h,--help", "print this help and exit");
  // At once: the version wins over whatever else is on the command line.
  app.set_version_flag("--version", "", "print the version and exit")->trigger_on_parse();
}

void addLatencyOption(CLI::App& app, LaunchOptions& options, CLI::Option* simulate) {
  app.add_option_function<std::string>(
         "--simulate-latency",
         [&options](const std::string& text) {
           const std::optional<std::int32_t> latency =
               wholeNumberIn(text, 0, std::numeric_limits<std::int32_t>::max());
           if (!latency)
             throw CLI::ValidationError("--simulate-latency needs a whole number of microseconds");
           options.simulatorLatencyUs = *latency;
         },
         kSimulateLatencyHelp)
      ->type_name("US")
      ->needs(simulate);
}

// The simulator's options, bound to `options`. Returns the faults' option.
const CLI::Option* declareSimulator(CLI::App& app, LaunchOptions& options) {
  // The chip file only after "=", as in vesk.
  CLI::Option* simulate = app.add_option(
                                 "--simulate",
                                 [&options](const CLI::results_t& given) {
                                   options.simulate = true;
                                   options.chipFile = given.back();
                                   return true;
                                 },
                                 kSimulateHelp)
                              ->expected(0, 0)
                              ->type_name("CHIP.bin");
  const CLI::Option* faults = app.add_option_function<std::string>(
                                     "--simulate-faults",
                                     [&options](const std::string& list) {
                                       Expected<SimulatedFaults> read = simulatedFaultsOption(list);
                                       if (!read) throw CLI::ValidationError(read.error());
                                       options.faults = std::move(*read);
                                     },
                                     kSimulatedFaultsHelp)
                                  ->type_name("LIST")
                                  ->needs(simulate);
  addLatencyOption(app, options, simulate);
  return faults;
}

// What CLI11 refused, in VeskEprom's words; a value's refusal is in its own.
std::string refusal(const CLI::App& app, const CLI::Option& faults,
                    const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const CLI::RequiresError&) {
    // Only the simulator's options need another: --simulate.
    return faults.count() > 0 ? kFaultsNeedSimulate : kLatencyNeedsSimulate;
  } catch (const CLI::ArgumentMismatch& mismatch) {
    // "--simulate-faults: 1 required LIST missing": CLI11 names the option first.
    for (const CLI::Option* option : app.get_options())
      if (std::string(mismatch.what()).starts_with(option->get_name() + ":"))
        return option->get_name() + " needs a value";
    return mismatch.what();
  } catch (const CLI::ParseError& other) {
    return other.what();
  }
}

}  // namespace

Expected<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  CLI::App app("", "VeskEprom");
  app.formatter(std::make_shared<LaunchHelp>());
  app.get_formatter()->column_width(27);
  describe(app);
  const CLI::Option* faults = declareSimulator(app, options);
  std::vector<const char*> argv{"VeskEprom"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::exception_ptr error;
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForVersion&) {
    options.ask = LaunchOptions::Ask::Version;
    return options;
  } catch (const CLI::ParseError&) {
    error = std::current_exception();
  }
  // CLI11 looks at --help only once every value is read: it wins here.
  if (app.get_help_ptr()->count() > 0) {
    options.ask = LaunchOptions::Ask::Help;
    options.help = app.help();
    return options;
  }
  if (std::optional<std::string> empty = emptyOptionValue(arguments)) return Failure{*empty};
  if (std::optional<std::string> notQt = notQtOptions(app.remaining())) return Failure{*notQt};
  if (error) return Failure{refusal(app, *faults, error)};
  return options;
}
