#include "VeskSubcommands.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>
#include <utility>

#include "FileOptionValues.h"
#include "OptionValues.h"
#include "PortSourceFactory.h"

namespace {

// An option with a value that `read` turns into `target` (a T, or a
// std::optional<T> that only the option sets), or refuses in its own words.
template <class T, class Target>
CLI::Option* addValue(CLI::App& app, std::string names, std::string valueName,
                      std::string description, Expected<T> (*read)(std::string_view),
                      Target& target) {
  CLI::Option* option = app.add_option_function<std::string>(
      std::move(names),
      [read, &target](const std::string& text) {
        Expected<T> value = read(text);
        if (!value) throw CLI::ValidationError(value.error());
        target = std::move(*value);
      },
      std::move(description));
  return option->type_name(std::move(valueName));
}

// A flag, which `set` records. A value after "=" is refused: CLI11 would
// take "--quiet=no" as a value for the flag, and "--no-blank-check=false" as
// the flag not given.
CLI::Option* addFlag(CLI::App& app, const std::string& names, std::string description,
                     std::function<void()> set) {
  const std::string name = names.substr(names.rfind(',') + 1);  // "-q,--quiet": --quiet
  return app
      .add_option(
          names,
          [name, set = std::move(set)](const CLI::results_t& given) {
            for (const std::string& value : given)
              if (!value.empty()) throw CLI::ValidationError(name + " takes no value");
            set();
            return true;
          },
          std::move(description))
      ->expected(0, 0)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* addFlag(CLI::App& app, const std::string& names, std::string description,
                     bool& target) {
  return addFlag(app, names, std::move(description), [&target] { target = true; });
}

// A file the command takes, named in the help as `name`.
CLI::Option* addFile(CLI::App& command, std::string name, std::string& target,
                     std::string description) {
  return command.add_option(std::move(name), target, std::move(description))
      ->required()
      ->type_name("");
}

// The options of every command.
void addCommonOptions(CLI::App& group, VeskOptions& options) {
  addFlag(group, "-q,--quiet", "no progress bar and no notes, only warnings and errors",
          options.quiet);
  addFlag(group, "--json",
          "the results on standard output as one JSON object\n(info: one a file) instead of text",
          options.json);
}

// The options of every command that drives the board.
void addBoardOptions(CLI::App& group, VeskOptions& options) {
  addValue(group, "-t,--type", "TYPE",
           "the chip as printed on it (27C256, M27C512-10F1,\n2764A-25 ...: vesk types lists "
           "them) or the board's\ntype, one of\n" +
               choosableTypes(),
           chipTypeOption, options.part)
      ->required();
  addValue(group, "--port", "PORT",
           "the port's base address: " + portForms() + ",\nlpt1, lpt2 or lpt3 (default " +
               baseAddressHex(PortSettings{}.LptBase) + ")",
           portOption, options.settings.LptBase);
  addValue(group, "--io-delay", "N",
           "delay loop iterations between port accesses,\n0 to " + std::to_string(kHighestIoDelay) +
               " (default " + std::to_string(PortSettings{}.IoDelay) + ")",
           ioDelayOption, options.settings.IoDelay);
  addValue(group, "--pulse", "MS",
           "programming pulse in milliseconds, 0.05 to " + std::to_string(kHighestProgPulse) +
               " or 0\n(default: the algorithm's; " + std::to_string(PortSettings{}.ProgPulse) +
               " for default)",
           pulseOption, options.method.pulse);
  addFlag(group, "--no-blank-check", "write without checking first that the chip is blank",
          [&options] { options.settings.VerifyEmpty = false; });
  // The chip file only after "=": a blank would let --simulate take the next
  // word, which may be the image.
  CLI::Option* simulate = group
                              .add_option(
                                  "--simulate",
                                  [&options](const CLI::results_t& given) {
                                    options.simulate = true;
                                    options.chipFile = given.back();
                                    return true;
                                  },
                                  kSimulateHelp)
                              ->expected(0, 0)
                              ->type_name("CHIP.bin");
  addValue(group, "--simulate-faults", "LIST", kSimulatedFaultsHelp, simulatedFaultsOption,
           options.faults)
      ->needs(simulate);
  addValue(group, "--simulate-latency", "US", kSimulateLatencyHelp, latencyOption, options.latency)
      ->needs(simulate);
}

// --passes of the commands that read the chip.
void addPassesOption(CLI::App& group, VeskOptions& options) {
  addValue(group, "--passes", "N",
           "read the chip N times, 1 to " + std::to_string(kMostPasses) +
               " (default 2);\na byte that differs between passes is unstable",
           passesOption, options.passes);
}

// What is printed of a dump besides its size, checksum, hashes and findings.
void addRomListOptions(CLI::App& group, VeskOptions& options) {
  addFlag(group, "--mame", "also print MAME's ROM_LOAD line", options.mame);
  addFlag(group, "--dat", "also print a Logiqx DAT <rom> line", options.dat);
}

// The known ROMs a dump is named by.
void addReferenceOptions(CLI::App& group, VeskOptions& options) {
  group
      .add_option(
          "--against",
          [&options](const CLI::results_t& given) {
            options.against = given;
            return true;
          },
          "name the dump among the ROMs SOURCE knows: MAME's\n-listxml, a software list, a "
          "Logiqx or ClrMamePro\nDAT, a folder, zip or 7z of ROM images; again for\nmore "
          "sources")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("SOURCE");
  addFlag(group, "--no-cache",
          "read the sources themselves, not their index in\n$XDG_CACHE_HOME/vesk", options.noCache);
}

// A smaller image in a bigger chip.
void addRepeatOption(CLI::App& group, VeskOptions& options) {
  addFlag(group, "--repeat",
          "repeat an image of 1/2, 1/4 ... of the chip to fill it\n(a 2764's image in a 27128)",
          options.repeat);
}

// What is made of a dump: its lines in ROM lists, the known ROMs it is.
void addDumpOptions(CLI::App& group, VeskOptions& options) {
  addRomListOptions(group, options);
  addReferenceOptions(group, options);
}

// The format of the image file read or written.
void addFormatOption(CLI::App& group, VeskOptions& options) {
  addValue(group, "--format", "FORMAT",
           "the image file's format: bin, ihex (Intel HEX) or srec\n(S-records); by default "
           "the content says when a file\nis read, the name when one is written",
           imageFileFormatOption, options.imageFile.format);
}

// Where the data of an image file that is read go.
void addPlacementOptions(CLI::App& group, VeskOptions& options) {
  addValue(group, "--offset", "N",
           "added to the file's addresses, decimal or hex; negative\nfor a ROM linked above 0 "
           "(-0xE000: E000h at 0)",
           offsetOption, options.imageFile.offset);
  addValue(group, "--fill", "BYTE",
           "the byte of the locations the file leaves, default FFh;\nverify compares them only "
           "when it is given",
           fillOption, options.imageFile.fill);
}

// What falls outside the chip, for the commands that place a file in it.
void addFitOptions(CLI::App& group, VeskOptions& options) {
  addFlag(group, "--cut",
          "take the part of the file that fits the chip and leave\nout the rest (a file "
          "that does not fit is refused)",
          options.imageFile.cut);
}

// The parts of a 16- or 32-bit board.
void addPartOptions(CLI::App& group, VeskOptions& options) {
  addValue(group, "--ways", "N", "2 (a 16-bit board's even and odd chips) or 4\n(a 32-bit board's)",
           waysOption, options.ways)
      ->required();
  addFlag(group, "--swap",
          "swap the two bytes of each 16-bit word (before splitting,\nafter merging)",
          options.swapWords);
  addFlag(group, "--force",
          "replace files that exist (safely: each new file is\nrenamed over the old)",
          options.force);
}

// Each command's own files and options.

void declareRead(CLI::App& read, VeskOptions& options) {
  addFile(read, "OUT.bin", options.file, "the file the chip is read into");
  addValue(read, "--vote", "HOW",
           "where the passes disagree, a bit is its majority's\n(majority, the default; a tie "
           "is 0) or 0 when any\npass read 0 (zero: for cells losing their charge)",
           voteOption, options.vote);
}

void declareBlank(CLI::App&, VeskOptions&) {}

void declareWrite(CLI::App& write, VeskOptions& options) {
  addFile(write, "IN.bin", options.file, "the image to program");
  addValue(write, "--algorithm", "NAME",
           "how each location is pulsed (default: the one of the\npart's datasheet, see vesk "
           "types):\ndefault (pulses of --pulse ms, at "
           "most 10),\nintelligent (1 ms, at most " +
               std::to_string(kMostPulses) +
               ", then 3 ms per pulse taken),\nquick (0.1 ms, at most " +
               std::to_string(kMostPulses) + ")",
           algorithmOption, options.algorithm);
  addValue(write, "--max-pulses", "N",
           "pulses a location gets before Bad Eprom, 1 to " + std::to_string(kMostPulses) +
               "\n(default: the algorithm's)",
           maxPulsesOption, options.method.maxPulses);
  addFlag(write, "--over",
          "program over what the chip holds (no blank check):\nonly the locations that "
          "differ are pulsed; refused\nwhen a bit would have to go from 0 to 1",
          options.over);
  addFlag(write, "--no-verify",
          "do not read the whole chip back against the image once\nprogrammed",
          [&options] { options.verify = false; });
}

void declareVerify(CLI::App& verify, VeskOptions& options) {
  addFile(verify, "IN.bin", options.file, "the image to compare the chip with");
}

void declareInfo(CLI::App& info, VeskOptions& options) {
  info.add_option("FILE", options.infoFiles, "the image files to identify and check")
      ->required()
      ->type_name("");
}

void declareSplit(CLI::App& split, VeskOptions& options) {
  addFile(split, "FILE", options.file,
          "the image to split; its parts go beside it: NAME.even.EXT\nand NAME.odd.EXT, or "
          "NAME.0.EXT to NAME.3.EXT");
}

void declareMerge(CLI::App& merge, VeskOptions& options) {
  addFile(merge, "OUT", options.file, "the image the parts are joined into; - for standard output");
  merge.add_option("PARTS", options.parts, "the parts in order: even then odd, or 0 to 3")
      ->required()
      ->expected(2, 4)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("");
}

void declareTypes(CLI::App&, VeskOptions&) {}

// vesk's commands in the order the help lists them.
struct CommandDeclaration {
  VeskCommand command;
  const char* name;
  const char* description;
  void (*declare)(CLI::App&, VeskOptions&);
};

constexpr std::array<CommandDeclaration, 8> kCommands{{
    {VeskCommand::Read, "read", "read the chip into OUT.bin (.bin, .hex, .s19 ...)", declareRead},
    {VeskCommand::Blank, "blank", "check that every location of the chip is FFh", declareBlank},
    {VeskCommand::Write, "write",
     "program IN.bin into the chip, after a blank check, and\nread the whole chip back",
     declareWrite},
    {VeskCommand::Verify, "verify", "read the chip and compare it with IN.bin", declareVerify},
    {VeskCommand::Info, "info",
     "the size, checksum, CRC32, SHA-1 and findings of image files\n(no board needed)",
     declareInfo},
    {VeskCommand::Split, "split", "split FILE into the images of a 16-bit board's chips",
     declareSplit},
    {VeskCommand::Merge, "merge", "join the images of a 16-bit board's chips into OUT",
     declareMerge},
    {VeskCommand::Types, "types",
     "the parts -t takes: their names, sizes, the board's type,\nalgorithm, VPP and VCC (no board "
     "needed)",
     declareTypes},
}};

// The options several commands share, and which.
struct SharedDeclaration {
  std::vector<VeskCommand> commands;
  void (*declare)(CLI::App&, VeskOptions&);
};

std::vector<SharedDeclaration> sharedDeclarations() {
  using enum VeskCommand;
  return {{{Read, Blank, Write, Verify, Info, Split, Merge, Types}, addCommonOptions},
          {{Read, Blank, Write, Verify}, addBoardOptions},
          {{Read, Verify}, addPassesOption},
          {{Write, Verify}, addRepeatOption},
          {{Read, Info}, addDumpOptions},
          {{Read, Write, Verify, Info, Split, Merge}, addFormatOption},
          {{Write, Verify, Info, Split}, addPlacementOptions},
          {{Write, Verify}, addFitOptions},
          {{Split, Merge}, addPartOptions}};
}

std::vector<SharedOptions*> declareShared(CLI::App& vesk, VeskOptions& options) {
  std::vector<SharedOptions*> groups;
  for (const SharedDeclaration& declaration : sharedDeclarations()) {
    auto* group = vesk.add_option_group<SharedOptions>("");
    std::vector<std::string> commands;
    for (const VeskCommand command : declaration.commands)
      commands.emplace_back(commandName(command));
    group->setCommands(std::move(commands));
    group->group("Options of " + group->commandList());
    group->set_help_flag();  // vesk's help is the one
    declaration.declare(*group, options);
    groups.push_back(group);
  }
  return groups;
}

// vesk itself, inherited by the commands declared after it.
void describeVesk(CLI::App& vesk) {
  vesk.description(
      "Reads, blank-checks, programs and verifies a 27-series EPROM on the programmer\n"
      "board at the parallel port.");
  vesk.footer(
      "Options may stand before or after the command; \"--\" ends them.\n"
      "\n"
      "Exit status: 0 done; 1 the chip said no (not blank, Bad Eprom, differences);\n"
      "2 a usage, file or port error; 3 the chip reads unstable (read, verify);\n"
      "128 + N when stopped by signal N (130: Ctrl+C).");
  vesk.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  // At most one command. That one must be given is vesk's to say, not
  // CLI11's: CLI11 reads a command after "--" (vesk -t 2716 -- write
  // verify), but does not count it.
  vesk.require_subcommand(0, 1);
  // At once: the version wins over whatever else is on the command line.
  vesk.set_version_flag("--version", "", "Print the version and exit")->trigger_on_parse();
}

// A command with its own files and options; it falls through to vesk for
// the shared options it takes, and excludes the others.
void declareCommand(CLI::App& vesk, const CommandDeclaration& declaration,
                    const std::vector<SharedOptions*>& shared, VeskOptions& options,
                    CommandWord& word) {
  CLI::App* command = vesk.add_subcommand(declaration.name, declaration.description);
  command->group("Commands");
  command->fallthrough();
  command->preparse_callback(
      [&options, &word, &vesk, command, chosen = declaration.command](std::size_t) {
        options.command = chosen;
        word = {command, vesk.remaining().size()};
      });
  declaration.declare(*command, options);
  for (SharedOptions* group : shared)
    if (!group->takenBy(*command)) command->excludes(group);
}

// The chip -t names: the board's type it takes, and the algorithm of its
// datasheet unless --algorithm gives one.
void settleChip(VeskOptions& options) {
  if (options.part == nullptr) return;
  options.type = &catalogueRowOf(*options.part);
  options.method.algorithm = options.algorithm.value_or(options.part->algorithm);
}

// Once every word is read, before anything is made (a simulated chip's
// file): what the options cannot do together.
void checkTogether(const VeskOptions& options) {
  const bool imageToOutput = options.file == "-" && (options.command == VeskCommand::Read ||
                                                     options.command == VeskCommand::Merge);
  if (imageToOutput && options.json)
    throw CLI::ValidationError(
        "--json and the image cannot share standard output: name a file for the image");
}

}  // namespace

bool SharedOptions::takenBy(const CLI::App& command) const {
  return std::find(commands_.begin(), commands_.end(), command.get_name()) != commands_.end();
}

std::string SharedOptions::commandList() const {
  std::string list;
  for (const std::string& command : commands_) list += (list.empty() ? "" : ", ") + command;
  return list;
}

void declareVesk(CLI::App& vesk, VeskOptions& options, CommandWord& word) {
  describeVesk(vesk);
  vesk.final_callback([&options] {
    settleChip(options);
    checkTogether(options);
  });
  const std::vector<SharedOptions*> shared = declareShared(vesk, options);
  for (const CommandDeclaration& declaration : kCommands)
    declareCommand(vesk, declaration, shared, options, word);
}

std::vector<const SharedOptions*> sharedOptions(const CLI::App& vesk) {
  std::vector<const SharedOptions*> groups;
  for (const CLI::App* sub : vesk.get_subcommands({}))
    if (const auto* group = dynamic_cast<const SharedOptions*>(sub)) groups.push_back(group);
  return groups;
}

std::vector<const CLI::App*> commandsOf(const CLI::App& vesk) {
  return vesk.get_subcommands([](const CLI::App* sub) { return !sub->get_name().empty(); });
}

const char* commandName(VeskCommand command) {
  for (const CommandDeclaration& declaration : kCommands)
    if (declaration.command == command) return declaration.name;
  return "";
}
