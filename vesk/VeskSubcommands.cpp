#include "VeskSubcommands.h"

#include <array>
#include <string_view>
#include <utility>

#include "FileOptionValues.h"
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

// The simulated chip's faults, only with --simulate: checked once the
// command's words are all read, whatever their order.
void addFaultsOption(CLI::App& command, VeskOptions& options) {
  const CLI::Option* faults =
      addValue(command, "--simulate-faults", "LIST",
               "with --simulate: the simulated chip's faults, as\nweak:ADDR:N, dead:ADDR, "
               "unstable:ADDR:MASK,\nstuck-data:BIT:0|1, open-address:LINE, no-chip, seed:N\n"
               "(comma-separated)",
               simulatedFaultsOption, options.faults);
  command.parse_complete_callback([faults, &options] {
    if (faults->count() > 0 && !options.simulate)
      throw CLI::ValidationError(
          "--simulate-faults needs --simulate: only a simulated chip has them");
  });
}

// --passes of the commands that read the chip.
void addPassesOption(CLI::App& command, VeskOptions& options) {
  addValue(command, "--passes", "N",
           "read the chip N times, 1 to " + std::to_string(kMostPasses) +
               " (default 2);\na byte that differs between passes is unstable",
           passesOption, options.passes);
}

// What is printed of a dump besides its size, checksum, hashes and findings.
void addRomListOptions(CLI::App& command, VeskOptions& options) {
  command.add_flag("--mame", options.mame, "also print MAME's ROM_LOAD line");
  command.add_flag("--dat", options.dat, "also print a Logiqx DAT <rom> line");
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
  addFaultsOption(command, options);
}

// The options of every command.
void addCommonOptions(CLI::App& command, VeskOptions& options) {
  command.add_flag("-q,--quiet", options.quiet,
                   "no progress bar and no notes, only warnings and errors");
  command.add_flag(
      "--json", options.json,
      "the results on standard output as one JSON object\n(info: one a file) instead of text");
}

// Image files: the format of the file read or written, where a file's data
// go, and the parts of a 16-bit board.
void addFormatOption(CLI::App& command, VeskOptions& options) {
  addValue(command, "--format", "FORMAT",
           "the image file's format: bin, ihex (Intel HEX) or srec\n(S-records); by default "
           "the content says when a file\nis read, the name when one is written",
           imageFileFormatOption, options.imageFile.format);
}

// The options of every command that loads an image file.
void addImageInputOptions(CLI::App& command, VeskOptions& options) {
  addFormatOption(command, options);
  addValue(command, "--offset", "N",
           "added to the file's addresses, decimal or hex; negative\nfor a ROM linked above 0 "
           "(-0xE000: E000h at 0)",
           offsetOption, options.imageFile.offset);
  addValue(command, "--fill", "BYTE",
           "the byte of the locations the file leaves, default FFh;\nverify compares them only "
           "when it is given",
           fillOption, options.imageFile.fill);
}

void addPartOptions(CLI::App& command, VeskOptions& options) {
  addValue(command, "--ways", "N",
           "2 (a 16-bit board's even and odd chips) or 4\n(a 32-bit board's)", waysOption,
           options.ways)
      ->required();
  command.add_flag("--swap", options.swapWords,
                   "swap the two bytes of each 16-bit word (before splitting,\nafter merging)");
  command.add_flag("--force", options.force,
                   "replace files that exist (safely: each new file is\nrenamed over the old)");
}

void declareRead(CLI::App& read, VeskOptions& options) {
  addFile(read, "OUT.bin", options.file, "the file the chip is read into");
  addBoardOptions(read, options);
  addFormatOption(read, options);
  addPassesOption(read, options);
  addRomListOptions(read, options);
}

void declareBlank(CLI::App& blank, VeskOptions& options) {
  addBoardOptions(blank, options);
}

void declareWrite(CLI::App& write, VeskOptions& options) {
  addFile(write, "IN.bin", options.file, "the image to program");
  addBoardOptions(write, options);
  addImageInputOptions(write, options);
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
  write.add_flag("--over", options.over,
                 "program over what the chip holds (no blank check):\nonly the locations that "
                 "differ are pulsed; refused\nwhen a bit would have to go from 0 to 1");
}

void declareVerify(CLI::App& verify, VeskOptions& options) {
  addFile(verify, "IN.bin", options.file, "the image to compare the chip with");
  addBoardOptions(verify, options);
  addImageInputOptions(verify, options);
  addPassesOption(verify, options);
}

void declareInfo(CLI::App& info, VeskOptions& options) {
  info.add_option("FILE", options.infoFiles, "the image files to identify and check")
      ->required()
      ->type_name("");
  addImageInputOptions(info, options);
  addRomListOptions(info, options);
}

void declareSplit(CLI::App& split, VeskOptions& options) {
  addFile(split, "FILE", options.file,
          "the image to split; its parts go beside it: NAME.even.EXT\nand NAME.odd.EXT, or "
          "NAME.0.EXT to NAME.3.EXT");
  addPartOptions(split, options);
  addImageInputOptions(split, options);
}

void declareMerge(CLI::App& merge, VeskOptions& options) {
  addFile(merge, "OUT", options.file, "the image the parts are joined into; - for standard output");
  merge.add_option("PARTS", options.parts, "the parts in order: even then odd, or 0 to 3")
      ->required()
      ->expected(2, 4)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("");
  addPartOptions(merge, options);
  addFormatOption(merge, options);
}

// vesk's commands in the order the help lists them. A command's own files and
// options are declared by its function; the options every command has are added after.
struct CommandDeclaration {
  VeskCommand command;
  const char* name;
  const char* description;
  void (*declare)(CLI::App&, VeskOptions&);
};

constexpr std::array<CommandDeclaration, 7> kCommands{{
    {VeskCommand::Read, "read", "read the chip into OUT.bin (.bin, .hex, .s19 ...)", declareRead},
    {VeskCommand::Blank, "blank", "check that every location of the chip is FFh", declareBlank},
    {VeskCommand::Write, "write", "program IN.bin into the chip, after a blank check",
     declareWrite},
    {VeskCommand::Verify, "verify", "read the chip and compare it with IN.bin", declareVerify},
    {VeskCommand::Info, "info",
     "the size, checksum, CRC32, SHA-1 and findings of image files\n(no board needed)",
     declareInfo},
    {VeskCommand::Split, "split", "split FILE into the images of a 16-bit board's chips",
     declareSplit},
    {VeskCommand::Merge, "merge", "join the images of a 16-bit board's chips into OUT",
     declareMerge},
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
      "2 a usage, file or port error; 3 the chip reads unstable (read, verify);\n"
      "128 + N when stopped by signal N (130: Ctrl+C).");
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

const char* commandName(VeskCommand command) {
  for (const CommandDeclaration& declaration : kCommands)
    if (declaration.command == command) return declaration.name;
  return "";
}
