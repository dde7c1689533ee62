#include "VeskSubcommands.h"

#include <array>
#include <string_view>
#include <utility>

#include "OptionValues.h"

namespace {

// An option with a value that `read` turns into `target` (a T, or a
// std::optional<T> that only the option sets), or refuses in its own words.
template <class T, class Target>
CLI::Option* addValue(CLI::App& command, std::string names, std::string valueName,
                      std::string description, Expected<T> (*read)(std::string_view),
                      Target& target) {
  CLI::Option* option = command.add_option_function<std::string>(
      std::move(names),
      [read, &target](const std::string& text) {
        Expected<T> value = read(text);
        if (!value) throw CLI::ValidationError(value.error());
        target = std::move(*value);
      },
      std::move(description));
  return option->type_name(std::move(valueName));
}

// A file the command takes, named in the help as `name`.
CLI::Option* addFile(CLI::App& command, std::string name, std::string& target,
                     std::string description) {
  return command.add_option(std::move(name), target, std::move(description))
      ->required()
      ->type_name("");
}

// The options of every command that drives the board.
void addBoardOptions(CLI::App& command, VeskOptions& options) {
  addValue(command, "-t,--type", "TYPE",
           "the chip type, one of\n" + choosableTypes() +
               "\n(or as printed on chips: 27C256, 27C010, 2764A ...)",
           chipTypeOption, options.type)
      ->required();
  addValue(command, "--port", "PORT",
           "the port's base address: " + portForms() + ",\nlpt1, lpt2 or lpt3 (default " +
               baseAddressHex(PortSettings{}.LptBase) + ")",
           portOption, options.settings.LptBase);
  addValue(command, "--io-delay", "N",
           "delay loop iterations between port accesses,\n0 to " + std::to_string(kHighestIoDelay) +
               " (default " + std::to_string(PortSettings{}.IoDelay) + ")",
           ioDelayOption, options.settings.IoDelay);
  addValue(command, "--pulse", "MS",
           "programming pulse in milliseconds, 0.05 to " + std::to_string(kHighestProgPulse) +
               " or 0\n(default: the algorithm's; " + std::to_string(PortSettings{}.ProgPulse) +
               " for default)",
           pulseOption, options.method.pulse);
  command.add_flag_callback(
      "--no-blank-check", [&options] { options.settings.VerifyEmpty = false; },
      "write without checking first that the chip is blank");
  // The chip file only after "=": a blank would let --simulate take the next
  // word, which may be the image.
  command
      .add_option(
          "--simulate",
          [&options](const CLI::results_t& given) {
            options.simulate = true;
            options.chipFile = given.back();
            return true;
          },
          "the board simulator instead of the port: a blank chip,\nor the chip kept in CHIP.bin")
      ->expected(0, 0)
      ->type_name("CHIP.bin");
}

// The options of every command.
void addCommonOptions(CLI::App& command, VeskOptions& options) {
  command.add_flag("-q,--quiet", options.quiet,
                   "no progress bar and no notes, only warnings and errors");
}

void declareRead(CLI::App& read, VeskOptions& options) {
  addFile(read, "OUT.bin", options.file, "the file the chip is read into");
  addBoardOptions(read, options);
}

void declareBlank(CLI::App& blank, VeskOptions& options) {
  addBoardOptions(blank, options);
}

void declareWrite(CLI::App& write, VeskOptions& options) {
  addFile(write, "IN.bin", options.file, "the image to program");
  addBoardOptions(write, options);
  addValue(write, "--algorithm", "NAME",
           "how each location is pulsed (see the man page):\ndefault (pulses of --pulse ms, at "
           "most 10),\nintelligent (1 ms, at most " +
               std::to_string(kMostPulses) +
               ", then 3 ms per pulse taken),\nquick (0.1 ms, at most " +
               std::to_string(kMostPulses) + ")",
           algorithmOption, options.method.algorithm);
  addValue(write, "--max-pulses", "N",
           "pulses a location gets before Bad Eprom, 1 to " + std::to_string(kMostPulses) +
               "\n(default: the algorithm's)",
           maxPulsesOption, options.method.maxPulses);
}

void declareVerify(CLI::App& verify, VeskOptions& options) {
  addFile(verify, "IN.bin", options.file, "the image to compare the chip with");
  addBoardOptions(verify, options);
}

// vesk's commands in the order the help lists them. A command's own files and
// options are declared by its function; the options every command has are added after.
struct CommandDeclaration {
  VeskCommand command;
  const char* name;
  const char* description;
  void (*declare)(CLI::App&, VeskOptions&);
};

constexpr std::array<CommandDeclaration, 4> kCommands{{
    {VeskCommand::Read, "read", "read the chip into OUT.bin (exactly the chip's size)",
     declareRead},
    {VeskCommand::Blank, "blank", "check that every location of the chip is FFh", declareBlank},
    {VeskCommand::Write, "write", "program IN.bin into the chip, after a blank check",
     declareWrite},
    {VeskCommand::Verify, "verify", "read the chip and compare it with IN.bin", declareVerify},
}};

}  // namespace

void declareVesk(CLI::App& vesk, VeskOptions& options) {
  vesk.description(
      "Reads, blank-checks, programs and verifies a 27-series EPROM on the programmer\n"
      "board at the parallel port.");
  // Set before the commands are added: they inherit it.
  vesk.footer(
      "Options may stand before or after the command; \"--\" ends them.\n"
      "\n"
      "Exit status: 0 done; 1 the chip said no (not blank, Bad Eprom, differences);\n"
      "2 a usage, file or port error; 128 + N when stopped by signal N (130: Ctrl+C).");
  vesk.add_flag_callback(
          "--version", [] { throw CLI::CallForVersion(); }, "Print the version and exit")
      ->trigger_on_parse();
  for (const CommandDeclaration& declaration : kCommands) {
    CLI::App& command = *vesk.add_subcommand(declaration.name, declaration.description);
    command.preparse_callback(
        [&options, chosen = declaration.command](std::size_t) { options.command = chosen; });
    declaration.declare(command, options);
    addCommonOptions(command, options);
  }
}

bool takesValueAfterEquals(const CLI::Option& option) {
  return option.get_items_expected_max() == 0 && !option.get_type_name().empty();
}
