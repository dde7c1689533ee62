// vesk's command line: the forms users write, and what must be refused
// before a chip is touched.
#include <gtest/gtest.h>

#include "OptionValues.h"
#include "VeskOptions.h"

namespace {

using Ask = VeskArguments::Ask;

TEST(VeskOptions, EveryFormOfPortGivesItsBaseWithinTheOptionsWindowsRange) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"378h", 888}, {"0X3bc", 956}, {"888", 888},     {"378", 378},
      {"LPT2", 632}, {"lpt3", 956},  {"7FFDh", 32765}, {"0x1", 1},
      {"7FFEh", {}}, {"32766", {}},  {"0h", {}},       {"0x-5", {}},
      {"0x", {}},    {"lpt4", {}},   {"0x378h", {}},   {"FFFFFFFFFFFFh", {}}};
  for (const auto& [text, base] : cases) EXPECT_EQ(parsePort(text), base) << text;
  EXPECT_EQ(parseVeskArguments({"blank", "-t", "2732", "--port", "lpt4"}).error,
            "--port lpt4: give the base address as 378h, 0x378, 888 (decimal) or lpt1 to lpt3, "
            "from 1 to 32765");
}

TEST(VeskOptions, CommandFileAndOptionsInAnyOrderButNothingMissingOrTooMuch) {
  const VeskArguments all =
      parseVeskArguments({"-qt", "27512", "verify", "--simulate=chip.bin", "--", "-odd.bin"});
  EXPECT_EQ(std::tuple(all.ask, all.options.command, all.options.file, all.options.quiet,
                       all.options.chipFile),
            std::tuple(Ask::Run, VeskCommand::Verify, "-odd.bin", true, "chip.bin"));
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"read", "-t", "2732"},
                                             {"write", "-t", "2732", "a.bin", "b.bin"},
                                             {"blank", "-t", "2732", "a.bin"},
                                             {"erase", "-t", "2732"},
                                             {"blank", "-t", "2732", "--simulate="},
                                             {"blank", "-t", "2732", "--bogus"},
                                             {"blank", "-t"}})
    EXPECT_EQ(parseVeskArguments(wrong).ask, Ask::Error) << testing::PrintToString(wrong);
  EXPECT_EQ(parseVeskArguments({"read", "--help"}).ask, Ask::Help);
}

TEST(VeskOptions, EveryAgainstCountsAndTheVoteAndRepeatGoWithTheirCommands) {
  const VeskArguments read = parseVeskArguments({"--against", "mame.xml", "read", "-t", "2732",
                                                 "--against=roms", "--vote", "ZERO", "out.bin"});
  EXPECT_EQ(std::tuple(read.ask, read.options.against, read.options.vote, read.options.file),
            std::tuple(Ask::Run, std::vector<std::string>{"mame.xml", "roms"}, PassVote::Zero,
                       "out.bin"));
  EXPECT_TRUE(
      parseVeskArguments({"info", "--against", "a", "--no-cache", "x.bin"}).options.noCache);
  EXPECT_TRUE(parseVeskArguments({"verify", "-t", "27128", "--repeat", "a.bin"}).options.repeat);
  EXPECT_EQ(parseVeskArguments({"read", "-t", "2732", "--vote", "some", "o.bin"}).error,
            "--vote some: give majority or zero");
  EXPECT_EQ(parseVeskArguments({"info", "--repeat", "a.bin"}).error,
            "--repeat is not an option of info (only of write, verify)");
  EXPECT_EQ(parseVeskArguments({"verify", "-t", "2732", "--vote", "zero", "a.bin"}).error,
            "unknown option --vote");
}

}  // namespace

namespace {

std::string typeCaption(std::string_view text) {
  const Expected<const ChipPart*> part = chipTypeOption(text);
  return part ? (*part)->type : part.error();
}

TEST(VeskOptions, ChipTypesAsPrintedOnChipsAreTheCataloguesTypes) {
  const std::pair<const char*, const char*> accepted[] = {
      {"2716", "2716"},     {"M2716-1F1", "2716"}, {"2732a", "2732"},     {"27C64", "2764"},
      {"2764A", "2764"},    {"27c64a", "2764"},    {"27128A", "27128"},   {"27C128", "27128"},
      {"27256a", "27256"},  {"27C256B", "27256"},  {"27C512", "27512"},   {"27C010", "271001"},
      {"27c020", "272001"}, {"271001", "271001"},  {"27C1001", "271001"}, {"272001", "272001"},
      {"2764-20", "2764"}};
  for (const auto& [text, caption] : accepted) EXPECT_EQ(typeCaption(text), caption) << text;
  const std::string unavailable =
      " cannot be chosen: it is listed, but not available (greyed out in VeskEprom too)";
  EXPECT_EQ(typeCaption("27C040"), "type 27C040 (the 274001)" + unavailable);
  EXPECT_EQ(typeCaption("27c080"), "type 27c080 (the 27080)" + unavailable);
  EXPECT_EQ(typeCaption("M27C4001-10F1"), "type M27C4001-10F1 (the 274001)" + unavailable);
  EXPECT_EQ(typeCaption("274001"), "type 274001" + unavailable);
  // A name no part of the table has is refused, naming it: 27C16 and 27C32
  // are no parts whose datasheets the table knows.
  for (const char* unknown : {"", "27C", "C256", "x2764", "27C2564", "27C01", "27C16", "27c32"})
    EXPECT_EQ(typeCaption(unknown),
              "unknown type '" + std::string(unknown) +
                  "'; the types are 2716, 2732, 2764, 27128, 27256, 27512, 271001, 272001, also "
                  "as printed on chips (27C256, 27C010, 2764A, M27C512-10F1): vesk types lists "
                  "them");
}

// The algorithm is the part's datasheet's unless --algorithm gives one; the
// board's type is the part's.
TEST(VeskOptions, TheAlgorithmIsThePartsUnlessGiven) {
  const std::tuple<std::vector<std::string>, ProgrammingAlgorithm, const char*> cases[] = {
      {{"-t", "27C512"}, ProgrammingAlgorithm::Quick, "27512"},
      {{"-t", "M27256-2F1"}, ProgrammingAlgorithm::Intelligent, "27256"},
      {{"-t", "2716"}, ProgrammingAlgorithm::Default, "2716"},
      {{"-t", "27C512", "--algorithm", "default"}, ProgrammingAlgorithm::Default, "27512"},
      {{"--algorithm", "intelligent", "-t", "27C010"},
       ProgrammingAlgorithm::Intelligent,
       "271001"}};
  for (const auto& [options, algorithm, type] : cases) {
    std::vector<std::string> words{"write"};
    words.insert(words.end(), options.begin(), options.end());
    words.push_back("a.bin");
    const VeskArguments write = parseVeskArguments(words);
    ASSERT_EQ(write.ask, Ask::Run) << write.error;
    EXPECT_EQ(write.options.method.algorithm, algorithm) << testing::PrintToString(options);
    EXPECT_STREQ(write.options.type->caption, type);
  }
}

TEST(VeskOptions, LptDigitsWithoutTheirHAreAmbiguousOtherDecimalBasesAreNot) {
  const std::string lpt1 = "is ambiguous: write 378h (or lpt1) for LPT1, or 17Ah for decimal ";
  EXPECT_EQ(portOption("378").error(), "--port 378 " + lpt1 + "378");
  EXPECT_EQ(portOption(" 0378").error(), "--port  0378 " + lpt1 + "0378");
  EXPECT_EQ(portOption("278").error(),
            "--port 278 is ambiguous: write 278h (or lpt2) for LPT2, or 116h for decimal 278");
  const std::pair<const char*, std::int16_t> accepted[] = {
      {"888", 888},  {"632", 632},   {"956", 956},   {"4000", 4000},
      {"378h", 888}, {"0x378", 888}, {"0x278", 632}, {"LPT1", 888}};
  for (const auto& [text, base] : accepted) {
    const Expected<std::int16_t> port = portOption(text);
    ASSERT_TRUE(port) << text << ": " << port.error();
    EXPECT_EQ(*port, base) << text;
  }
}

TEST(VeskOptions, ABareSimulateNeverTakesTheNextWord) {
  const VeskArguments blankChip =
      parseVeskArguments({"read", "-t", "27512", "--simulate", "out.bin"});
  EXPECT_EQ(blankChip.ask, Ask::Run);
  EXPECT_TRUE(blankChip.options.simulate);
  EXPECT_EQ(blankChip.options.chipFile, "");
  EXPECT_EQ(blankChip.options.file, "out.bin");
  EXPECT_EQ(parseVeskArguments({"write", "-t", "2732", "--simulate", "chip.bin", "in.bin"}).error,
            "write takes one file; for the simulated chip kept in chip.bin, write "
            "--simulate=chip.bin");
  EXPECT_EQ(parseVeskArguments({"blank", "-t", "2732", "--simulate", "chip.bin"}).error,
            "blank takes no file; for the simulated chip kept in chip.bin, write "
            "--simulate=chip.bin");
  EXPECT_EQ(parseVeskArguments({"--simulate", "chip.bin", "blank", "-t", "2732"}).error,
            "unknown command 'chip.bin' (read, blank, write, verify, info, split, merge or types); "
            "for the "
            "simulated chip "
            "kept in chip.bin, write --simulate=chip.bin");
  // Without a bare --simulate before it, a file too many is only that.
  EXPECT_EQ(parseVeskArguments({"write", "-t", "2732", "--simulate=c.bin", "a.bin", "b.bin"}).error,
            "write takes one file");
}

TEST(VeskOptions, WordsAroundTheCommand) {
  // Before the command, after it, and in one word; the last of a repeated option counts.
  const VeskArguments read = parseVeskArguments(
      {"--port=lpt2", "-qt2716", "--io-delay", "7", "read", "--pulse", "0", "-t", "27C256", "-"});
  ASSERT_EQ(read.ask, Ask::Run) << read.error;
  EXPECT_EQ(read.options.command, VeskCommand::Read);
  EXPECT_STREQ(read.options.type->caption, "27256");
  EXPECT_EQ(read.options.settings.LptBase, 632);
  EXPECT_EQ(read.options.settings.IoDelay, 7);
  EXPECT_EQ(read.options.method.pulse, std::chrono::microseconds(0));
  EXPECT_TRUE(read.options.quiet);
  EXPECT_FALSE(read.options.simulate);
  EXPECT_EQ(read.options.file, "-");
  // A command that is also a file's name, after "--".
  const VeskArguments write = parseVeskArguments({"-t", "2732", "--", "write", "verify"});
  EXPECT_EQ(write.options.command, VeskCommand::Write);
  EXPECT_EQ(write.options.file, "verify");
  EXPECT_TRUE(write.options.settings.VerifyEmpty);
  EXPECT_FALSE(parseVeskArguments({"write", "--no-blank-check", "-t", "2732", "a.bin"})
                   .options.settings.VerifyEmpty);
}

TEST(VeskOptions, WhatIsWrongIsSaidInOneSentence) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "no command given (read, blank, write, verify, info, split, merge or types)"},
      {{"-t", "2732", "erase"},
       "unknown command 'erase' (read, blank, write, verify, info, split, merge or types)"},
      {{"-t", "read"},
       "no command given (read, blank, write, verify, info, split, merge or types)"},
      {{"read", "-t", "2732"}, "read needs OUT.bin, the file the chip is read into"},
      {{"blank"},
       "blank needs -t TYPE, the chip as printed on it (27C256, M27C512-10F1, 2764A-25 ...: vesk "
       "types lists them) or the board's type, one of 2716, 2732, 2764, 27128, 27256, 27512, "
       "271001, 272001"},
      {{"blank", "-qt"}, "-t needs a value"},
      {{"blank", "-t", "2732", "--port"}, "--port needs a value"},
      {{"blank", "-t", "2732", "--port="}, "--port= needs a value after the '='"},
      {{"blank", "-t", "2732", "--simulate="}, "--simulate= needs a value after the '='"},
      {{"blank", "-t", "2732", "--quiet=yes"}, "--quiet takes no value"},
      {{"blank", "-t", "2732", "--no-blank-check=false"}, "--no-blank-check takes no value"},
      {{"blank", "-t", "2732", "--bogus=1", "x"}, "unknown option --bogus"},
      {{"blank", "-qzt", "2732"}, "unknown option -z"},
      {{"erase", "read", "a.bin"},
       "unknown command 'erase' (read, blank, write, verify, info, split, merge or types)"},
      {{"blank", "-t", "2732", "--io-delay", "5001"},
       "--io-delay 5001: give a whole number from 0 to 5000"},
      {{"blank", "-t", "2732", "--pulse", "-1"},
       "--pulse -1: give the milliseconds from 0.05 to 5, at most three decimals, or 0"},
      {{"write", "-t", "2732", "--algorithm", "fast", "a.bin"},
       "--algorithm fast: give default, intelligent or quick"},
      {{"write", "-t", "2732", "--max-pulses", "26", "a.bin"},
       "--max-pulses 26: give a whole number from 1 to 25"},
      {{"read", "-t", "2732", "--algorithm", "quick", "a.bin"}, "unknown option --algorithm"},
      {{"info", "--port", "378h", "a.bin"},
       "--port is not an option of info (only of read, blank, write, verify)"},
      {{"-t", "2732", "info", "a.bin"},
       "-t,--type is not an option of info (only of read, blank, write, verify)"},
      // Not read at all: CLI11 would read on for ever.
      {{"", "--help"}, "an empty word is no command, option or file"},
      {{"read", "-t", "2732", "a.bin", ""}, "an empty word is no command, option or file"},
      {{"-q", "merge", "--ways", "2", "--json", "-", "a.bin", "b.bin"},
       "--json and the image cannot share standard output: name a file for the image"}};
  for (const auto& [words, error] : cases) {
    const VeskArguments wrong = parseVeskArguments(words);
    EXPECT_EQ(wrong.ask, Ask::Error) << testing::PrintToString(words);
    EXPECT_EQ(wrong.error, error) << testing::PrintToString(words);
  }
}

TEST(VeskOptions, APulseInMillisecondsToTheMicrosecondAndTheAlgorithmsFigures) {
  const std::pair<const char*, long> pulses[] = {
      {"0", 0},     {"0.05", 50}, {"0.1", 100},  {"1.250", 1250},
      {"5", 5000},  {"0.04", -1}, {"5.001", -1}, {"0.0005", -1},
      {"-0.5", -1}, {".5", -1},   {"1.", -1},    {"1e3", -1},
      {"0x1", -1},  {"", -1},     {"1.2.3", -1}, {"99999999999999999999", -1}};
  for (const auto& [text, micro] : pulses) {
    const Expected<std::chrono::microseconds> pulse = pulseOption(text);
    EXPECT_EQ(pulse ? pulse->count() : -1, micro) << text;
  }
  EXPECT_EQ(maxPulsesOption("1").value(), 1);
  EXPECT_FALSE(maxPulsesOption("0"));
  const VeskArguments write = parseVeskArguments({"write", "-t", "27C512", "--algorithm", "quick",
                                                  "--max-pulses", "7", "--pulse=0.2", "a.bin"});
  ASSERT_EQ(write.ask, Ask::Run) << write.error;
  EXPECT_EQ(write.options.method,
            (ProgrammingMethod{ProgrammingAlgorithm::Quick, std::chrono::microseconds(200), 7}));
  EXPECT_EQ(parseVeskArguments({"write", "-t", "2732", "a.bin"}).options.method,
            ProgrammingMethod{});
}

TEST(VeskOptions, HelpForVeskOrOneCommandWhateverElseIsWrong) {
  const VeskArguments vesk = parseVeskArguments({"--bogus", "-h"});
  EXPECT_EQ(vesk.ask, Ask::Help);
  EXPECT_TRUE(vesk.help.starts_with("Reads, blank-checks")) << vesk.help;
  const VeskArguments write = parseVeskArguments({"-h", "write", "a.bin", "b.bin"});
  EXPECT_EQ(write.ask, Ask::Help);
  EXPECT_NE(write.help.find("\nUsage: vesk write [OPTIONS] IN.bin\n"), std::string::npos)
      << write.help;
  EXPECT_EQ(parseVeskArguments({"write", "--version", "-t"}).ask, Ask::Version);
  // A value refused before CLI11 looks at -h.
  EXPECT_EQ(parseVeskArguments({"--port", "lpt4", "blank", "--help"}).ask, Ask::Help);
}

}  // namespace
