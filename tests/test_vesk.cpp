// The built vesk, run as a user runs it: on a simulated chip kept in a file,
// with standard error a file or a terminal, ended by signals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;

// The command with a 2732 on the chip file, pulses of 0.1 ms (all a sound simulated
// cell needs), and `options`.
std::vector<std::string> on2732(std::vector<std::string> command,
                                std::vector<std::string> options = {}) {
  for (const char* option : {"-t", "2732", "--pulse", "0.1", "--simulate=chip.bin"})
    options.push_back(option);
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

TEST_F(VeskProgram, AChipIsProgrammedOnceThenRefusedAsNotBlankOrBad) {
  writeFile(path("in.bin"), pattern(2048));  // smaller than the chip: the rest is left FFh
  const std::string smaller = "Warning!:  File is Smaller than Eprom Size\n";
  // The 2732's datasheet's voltages, once the write is announced.
  const std::string willWrite =
      "Will Write Eprom 2732: 4096 Byte\nWrite Eprom: set VPP to 25 V, VCC 5 V for the 2732\n";
  EXPECT_EQ(run(on2732({"blank"})), Result(0, "Blank Check: The Eprom is Empty\n", ""));
  EXPECT_EQ(chip(), chipHolding({}));  // a chip file not there yet is a blank chip
  EXPECT_EQ(run(on2732({"write", "in.bin"})),
            Result(0, smaller + willWrite + "Write Eprom: 4096 Byte programmed from in.bin\n",
                   "1 pulse: 4096 locations\nMost pulses: 1, at 00000\n"));
  const Bytes image = pattern(2048);
  EXPECT_EQ(chip(), chipHolding(image));
  EXPECT_EQ(run(on2732({"blank"})),
            Result(1,
                   "Warning !: The Eprom is not Empty\nBlank Check: location 00000 holds 00, "
                   "not FF\n",
                   ""));
  EXPECT_EQ(
      run(on2732({"write", "in.bin"})),
      Result(
          1,
          smaller + willWrite +
              "Warning !: The Eprom is not Empty\nWrite Eprom: location 00000 holds 00, not FF\n",
          ""));
  // Unchecked, the first location (00h) cannot take the FFh asked of it.
  writeFile(path("ff.bin"), Bytes(4096, 0xFF));
  EXPECT_EQ(run(on2732({"write", "ff.bin"}, {"--no-blank-check"})),
            Result(1,
                   willWrite + "Warning !: Bad Eprom\nWrite Eprom: location 00000 wanted FF, "
                               "read 00 after the last pulse\n",
                   ""));
  EXPECT_EQ(chip(), chipHolding(image));
}

// Writes on a 2716 whose location 123h needs 20 times a sound cell's pulse
// time, or more than 25 pulses can give. The real clock times the pulses, and
// a busy machine only makes them longer: each case holds whatever the load.
TEST_F(VeskProgram, AWeakCellTakesTheMostPulsesTheAlgorithmGivesAndNoMore) {
  const bool faults =
      std::get<2>(run({"write", "--help"})).find("--simulate-faults") != std::string::npos;
  writeFile(path("in.bin"), pattern(2048));
  const std::string bad = "Warning !: Bad Eprom\nWrite Eprom: location ";
  const struct {
    std::vector<std::string> options;
    int status;
    std::size_t programmed;  // the locations that hold the image, from 0
    std::string errors;
  } cases[] = {
      {{"--algorithm", "quick"}, 0, 2048, ""},
      // A pulse of 0 never programs: the first location reads FFh, as with no chip.
      {{"--algorithm", "quick", "--pulse", "0"},
       1,
       0,
       bad + "00000 wanted 00, read FF after the last pulse\n"
             "is a chip in the socket and the board powered?\n"},
      {{"--algorithm", "quick", "--simulate-faults=weak:0x123:20"}, 0, 2048, ""},
      {{"--algorithm", "quick", "--simulate-faults=weak:0x123:65535"},
       1,
       0x123,
       bad + "00123 wanted FC, read FF after the last pulse\n"},
      // Beyond the default's 10 pulses.
      {{"--pulse", "0.1", "--max-pulses", "25", "--simulate-faults=weak:0x123:20"}, 0, 2048, ""},
  };
  for (const auto& c : cases) {
    if (!faults && !c.options.empty() && c.options.back().starts_with("--simulate-faults"))
      continue;
    std::filesystem::remove(path("chip.bin"));
    std::vector<std::string> write{"write", "-q", "-t", "2716", "--simulate=chip.bin"};
    write.insert(write.end(), c.options.begin(), c.options.end());
    write.push_back("in.bin");
    const auto [status, errors, output] = run(write);
    EXPECT_EQ(status, c.status) << testing::PrintToString(c.options);
    EXPECT_EQ(errors, c.errors) << testing::PrintToString(c.options);
    // The weak cell took the most pulses, however long the load made them.
    if (c.status == 0 && c.options.back().starts_with("--simulate-faults")) {
      EXPECT_THAT(output, testing::AllOf(HasSubstr("1 pulse: 2047 locations\n"),
                                         HasSubstr(", at 00123\n")));
    }
    Bytes image = pattern(2048);
    std::fill(image.begin() + static_cast<long>(c.programmed), image.end(), 0xFF);
    EXPECT_EQ(chip(), chipHolding(image)) << testing::PrintToString(c.options);
  }
}

TEST_F(VeskProgram, ReadSavesTheChipAndVerifyListsTheFirstDifferences) {
  writeFile(path("chip.bin"), pattern(4096));
  EXPECT_EQ(run(on2732({"read", "out.bin"})),
            Result(0,
                   "Will Read Eprom 2732: 4096 Byte\nRead Eprom: 4096 Byte saved in out.bin, "
                   "CheckSum = 7EB58\n",
                   "File: out.bin\nSize: 4096 bytes\nCheckSum = 7EB58\nCRC32: 8a2f5e52\nSHA-1: "
                   "00800dbc496d892249616c4f9f1f7a939ba62e1d\n"));
  EXPECT_EQ(readFile<Bytes>(path("out.bin")), pattern(4096));
  EXPECT_EQ(run(on2732({"verify", "out.bin"})),
            Result(0, "Will Read Eprom 2732: 4096 Byte\nVerify: The Eprom matches out.bin\n", ""));
  Bytes other = pattern(4096);
  std::fill_n(other.begin() + 0x100, 20, 0xFF);
  writeFile(path("other.bin"), other);
  EXPECT_EQ(run(on2732({"verify", "other.bin"}, {"-q"})),
            Result(1, "",
                   "20 bytes differ (address: chip file), the first 16\n00100: 07 FF\n00101: 0E "
                   "FF\n00102: 15 FF\n00103: 1C FF\n00104: 23 FF\n00105: 2A FF\n00106: 31 FF\n"
                   "00107: 38 FF\n00108: 3F FF\n00109: 46 FF\n0010A: 4D FF\n0010B: 54 FF\n0010C: "
                   "5B FF\n0010D: 62 FF\n0010E: 69 FF\n0010F: 70 FF\n"
                   "0 bits still to program (1 on the chip, 0 in the file)\n"
                   "87 bits need the chip erased (0 on the chip, 1 in the file)\n"));
}

TEST_F(VeskProgram, UsageFileAndPortErrorsExitTwoAndChangeNothing) {
  writeFile(path("chip.bin"), pattern(4096));
  ASSERT_EQ(::mkfifo(path("fifo.bin").c_str(), 0644), 0);
  const std::set<std::string> before = listing(work_.path);
  // How standard error begins; only a command line that was not understood
  // points to the help.
  const std::string tryHelp = "\nTry 'vesk --help'.\n";
  const std::tuple<std::vector<std::string>, std::string, bool> cases[] = {
      {{},
       "vesk: no command given (read, blank, write, verify, info, split, merge or types)" + tryHelp,
       true},
      {{"read", "-t", "27080", "out.bin"}, "vesk: type 27080 cannot be chosen", true},
      {{"blank", "-t", "2732", "--pulse", "9"}, "vesk: --pulse 9: ", true},
      // Refused as the words are read: no chip file is made.
      {{"read", "-t", "2732", "--json", "--simulate=new.bin", "-"},
       "vesk: --json and the image cannot share standard output: name a file for the image" +
           tryHelp,
       true},
      {on2732({"write", "missing.bin"}),
       "Open: Cannot read the file missing.bin\nNo such file or directory\n", false},
      {on2732({"verify", "fifo.bin"}), "Open: Cannot read the file fifo.bin\nNot a regular file\n",
       false},
      {on2732({"read", "no-folder/out.bin"}, {"-q"}),
       "Save As: Cannot write the file no-folder/out.bin\nNo such file or directory\n", false},
      {{"blank", "-t", "2716", "--simulate=fifo.bin"},
       "vesk: The simulated chip cannot be kept in fifo.bin: it is not a regular file.\n",
       false},
      // No board anywhere, and no rights for direct I/O.
      {{"blank", "-t", "2732", "--port", "0x7FF0"},
       "No Port Access: The programmer board at base address 32752 (7FF0h) cannot be reached.\n",
       false}};
  for (const auto& [arguments, errors, usage] : cases) {
    const auto [status, shownErrors, output] = run(arguments);
    EXPECT_EQ(std::tuple(status, output, shownErrors.substr(0, errors.size())),
              std::tuple(2, "", errors));
    EXPECT_EQ(shownErrors.ends_with(tryHelp), usage) << shownErrors;
  }
  EXPECT_EQ(std::tuple(listing(work_.path), chip()), std::tuple(before, pattern(4096)));
  EXPECT_EQ(std::get<2>(run({"--version"})), "vesk " VESK_VERSION "\n");
  // What does not reach standard output (a full disk) is an error, not a result.
  writeFile(path("rom.bin"), pattern(16));
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"--version"}, {"info", "rom.bin"}}) {
    ProgramRun full = vesk(arguments);
    full.outputFile = "/dev/full";
    EXPECT_EQ(waitForExit(full.start()), 2) << arguments.front();
    EXPECT_EQ(readFile(full.errorFile), "vesk: standard output: No space left on device\n")
        << arguments.front();
  }
  EXPECT_THAT(std::get<2>(run({"read", "--help"})),
              HasSubstr("\nUsage: vesk read [OPTIONS] OUT.bin\n"));
}

TEST_F(VeskProgram, ChipTypesAsPrintedOnChipsAreTheCataloguesTypes) {
  const std::pair<const char*, std::size_t> forms[] = {
      {"M2716-1F1", 2048}, {"27c64", 8192},   {"2764A", 8192},    {"27128a", 16384},
      {"27C256", 32768},   {"27C512", 65536}, {"27C010", 131072}, {"27C020", 262144}};
  for (const auto& [form, size] : forms) {
    EXPECT_EQ(std::get<0>(run({"read", "-q", "-t", form, "--simulate", "out.bin"})), 0) << form;
    EXPECT_EQ(readFile(path("out.bin")).size(), size) << form;
  }
  for (const std::string refused : {"27C040", "27C080"}) {
    const auto [status, errors, output] = run({"read", "-t", refused, "--simulate", "no.bin"});
    EXPECT_EQ(status, 2) << refused;
    EXPECT_THAT(errors, ::testing::StartsWith("vesk: type " + refused + " (the "));
  }
  EXPECT_FALSE(std::filesystem::exists(path("no.bin")));
}

TEST_F(VeskProgram, TheDigitsOfLpt1OrLpt2WithoutTheirHAreRefusedAsAmbiguous) {
  const std::string tryHelp = "\nTry 'vesk --help'.\n";
  EXPECT_EQ(run({"blank", "-t", "2732", "--simulate", "--port", "378"}),
            Result(2,
                   "vesk: --port 378 is ambiguous: write 378h (or lpt1) for LPT1, or 17Ah for "
                   "decimal 378" +
                       tryHelp,
                   ""));
  EXPECT_EQ(run({"blank", "-t", "2732", "--simulate", "--port", "278"}),
            Result(2,
                   "vesk: --port 278 is ambiguous: write 278h (or lpt2) for LPT2, or 116h for "
                   "decimal 278" +
                       tryHelp,
                   ""));
  // LPT1's other forms reach the simulated board, which sits there.
  for (const char* lpt1 : {"378h", "0x378", "888", "LPT1"})
    EXPECT_EQ(run({"blank", "-t", "2732", "--simulate", "--port", lpt1}),
              Result(0, "Blank Check: The Eprom is Empty\n", ""))
        << lpt1;
  // Other decimal bases are taken: whatever answers there, the line was understood.
  for (const char* decimal : {"632", "4000"}) {
    const std::string errors =
        std::get<1>(run({"blank", "-t", "2732", "--simulate", "--port", decimal}));
    EXPECT_FALSE(errors.ends_with(tryHelp)) << decimal << ": " << errors;
  }
}

TEST_F(VeskProgram, ABareSimulateNeverTakesTheNextWordAsItsChipFile) {
  writeFile(path("in.bin"), pattern(4096));
  const std::set<std::string> before = listing(work_.path);
  const std::string tryHelp = "\nTry 'vesk --help'.\n";
  EXPECT_EQ(run({"write", "-t", "2732", "--simulate", "chip.bin", "in.bin"}),
            Result(2,
                   "vesk: write takes one file; for the simulated chip kept in chip.bin, write "
                   "--simulate=chip.bin" +
                       tryHelp,
                   ""));
  EXPECT_EQ(run({"blank", "-t", "2732", "--simulate", "chip.bin"}),
            Result(2,
                   "vesk: blank takes no file; for the simulated chip kept in chip.bin, write "
                   "--simulate=chip.bin" +
                       tryHelp,
                   ""));
  EXPECT_EQ(run({"blank", "-t", "2732", "--simulate="}),
            Result(2, "vesk: --simulate= needs a value after the '='" + tryHelp, ""));
  EXPECT_EQ(listing(work_.path), before);  // no chip file, and the image as it was
  // The form the hint names, with the options before the command.
  EXPECT_EQ(std::get<0>(run(
                {"-qt", "2732", "--pulse", "0.1", "--simulate=chip.bin", "write", "--", "in.bin"})),
            0);
  EXPECT_EQ(chip(), chipHolding(pattern(4096)));
}

// The options a help lists, one a line: "  -t,--type TYPE ..." gives -t and --type.
std::set<std::string> optionsListed(const std::string& help) {
  std::set<std::string> names;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("  -")) continue;
    std::string listed = line.substr(2, line.find_first_of(" [", 2) - 2);
    std::replace(listed.begin(), listed.end(), ',', ' ');
    std::istringstream words(listed);
    for (std::string name; words >> name;) names.insert(name);
  }
  return names;
}

TEST_F(VeskProgram, EveryOptionOfEveryCommandIsInTheHelpAndInTheManPage) {
  const std::string help = std::get<2>(run({"--help"}));
  const std::set<std::string> listed = optionsListed(help);
  const std::size_t commandList = help.find("\nCommands:\n");
  ASSERT_NE(commandList, std::string::npos) << help;
  std::istringstream commands(help.substr(commandList + 11));
  for (std::string line; std::getline(commands, line) && !line.empty();) {
    const std::string command = line.substr(2, line.find(' ', 2) - 2);
    for (const std::string& name : optionsListed(std::get<2>(run({command, "--help"}))))
      EXPECT_TRUE(listed.contains(name)) << command << " " << name;
  }
  EXPECT_GE(listed.size(), 12U);
  const std::string manPage = readFile(VESK_MAN_PAGE);
  for (const std::string& name : listed) {
    std::string written;  // as roff writes it, each minus sign escaped
    for (const char c : name) written += c == '-' ? "\\-" : std::string(1, c);
    EXPECT_THAT(manPage, HasSubstr(written));
  }
}

TEST_F(VeskProgram, AChipFileThatCannotBeWrittenBackIsAnErrorNotACrash) {
  // A file-size limit below the chip's 1 MiB: the programming is done, but the
  // chip file cannot take it. vesk must not be killed by SIGXFSZ.
  writeFile(path("chip.bin"), chipHolding({}));
  writeFile(path("in.bin"), pattern(2048));
  const auto [status, errors, output] = run(on2732({"write", "in.bin"}), {.fileSizeLimit = 65536});
  EXPECT_EQ(status, 2);
  EXPECT_THAT(errors, HasSubstr("Simulated Chip: The simulated chip cannot be saved to chip.bin\n"
                                "File too large\n"));
  EXPECT_EQ(std::tuple(chip(), listing(work_.path)),
            std::tuple(chipHolding({}), std::set<std::string>{"chip.bin", "in.bin"}));
}

TEST_F(VeskProgram, AProgressBarOnlyWhenStandardErrorIsATerminal) {
  const std::vector<std::string> read{"read", "-t", "27512", "--simulate", "out.bin"};
  const std::string onTerminal = std::get<1>(run(read, {.terminal = true}));
  for (const char* part : {"Will Read Eprom 27512: 65536 Byte", "/65536 locations", "% ", " left"})
    EXPECT_THAT(onTerminal, HasSubstr(part));
  const auto [status, errors, output] = run(read);
  EXPECT_EQ(std::tuple(status, errors),
            std::tuple(0,
                       "Will Read Eprom 27512: 65536 Byte\nRead Eprom: 65536 Byte saved in "
                       "out.bin, CheckSum = FF0000\n"));
  const auto [quietStatus, quietTerminal, quietOutput] =
      run({"read", "-q", "-t", "27512", "--simulate", "out.bin"}, {.terminal = true});
  EXPECT_EQ(std::tuple(quietStatus, quietTerminal, quietOutput), std::tuple(0, "", output));
}

TEST_F(VeskProgram, TerminationSignalsStopBetweenLocationsAndTheChipFileKeepsWhatWasDone) {
  writeFile(path("in.bin"), pattern(2048));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::filesystem::remove(path("chip.bin"));
    // About 10 s at 5 ms a location: the signal comes in the middle.
    const ProgramRun write = vesk({"write", "-t", "2716", "--pulse", "5", "--no-blank-check",
                                   "--simulate=chip.bin", "in.bin"},
                                  {.terminal = true});
    const pid_t program = write.start();
    std::string onTerminal;
    ASSERT_TRUE(waitFor([&] {
      return (onTerminal += shown(write.terminalFd)).find(" 129/2048 locations") !=
             std::string::npos;
    }));
    ::kill(program, signal);
    EXPECT_EQ(waitForExit(program), 128 + signal);
    onTerminal += shown(write.terminalFd);
    ::close(write.terminalFd);
    // A clean prefix: every location before the stop programmed, none after it.
    const Bytes held = chip(), image = pattern(2048);
    const auto stop = std::mismatch(image.begin(), image.end(), held.begin()).first - image.begin();
    EXPECT_TRUE(stop >= 128 && stop < 2048) << signal << " " << stop;
    EXPECT_EQ(Bytes(held.begin() + stop, held.end()), Bytes(kChipFileSize - stop, 0xFF)) << signal;
    // The bar is left standing where the run stopped, and the next line says so.
    const std::string stopped = "Write Eprom: stopped at location " + std::to_string(stop) +
                                " of 2048; the chip file keeps what was programmed\r\n";
    EXPECT_THAT(onTerminal, ::testing::StartsWith("Will Write Eprom 2716: 2048 Byte\r\n"));
    ASSERT_THAT(onTerminal, ::testing::EndsWith(" left\r\n" + stopped));
    const std::size_t lastBar = onTerminal.rfind('\r', onTerminal.size() - stopped.size() - 3);
    EXPECT_THAT(onTerminal.substr(lastBar),
                HasSubstr(std::string("%  ").append(std::to_string(stop)).append("/2048 ")));
    EXPECT_EQ(listing(work_.path), (std::set<std::string>{"chip.bin", "in.bin"}));  // no temporary
  }
}

}  // namespace
