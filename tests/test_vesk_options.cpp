// vesk's command line: the forms users write, and what must be refused
// before a chip is touched.
#include <gtest/gtest.h>

#include "vesk/VeskOptions.h"

namespace {

VeskArguments Parse(std::vector<std::string> arguments) {
  return Parse_Vesk_Arguments(arguments);
}

TEST(VeskPort, EveryFormGivesTheBaseAndTheRangeIsTheOptionsWindows) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"378h", 888},
      {"378H", 888},
      {"0x378", 888},
      {"0X3bc", 956},
      {"888", 888},
      {"378", 378},  // decimal without a mark
      {"lpt1", 888},
      {"LPT2", 632},
      {"lpt3", 956},
      {"1", 1},
      {"32765", 32765},
      {"7FFDh", 32765},
      {"0x7FFD", 32765},
      {"32766", std::nullopt},
      {"7FFEh", std::nullopt},
      {"0", std::nullopt},
      {"0h", std::nullopt},
      {"0x0", std::nullopt},
      {"-1", std::nullopt},
      {"0x-5", std::nullopt},
      {"h", std::nullopt},
      {"0x", std::nullopt},
      {"lpt4", std::nullopt},
      {"378x", std::nullopt},
      {"0x378h", std::nullopt},
      {"FFFFFFFFFFFFh", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, base] : cases) EXPECT_EQ(Parse_Port(text), base) << text;
}

TEST(VeskArguments, TypesAreTheCataloguesAndTheTwoUnavailableOnesAreRefused) {
  for (const EpromTypeRow& row : kEpromCatalogue) {
    const VeskArguments parsed = Parse({"blank", "-t", row.caption});
    if (row.selectable) {
      ASSERT_EQ(parsed.ask, VeskArguments::Ask::Run) << row.caption << ": " << parsed.error;
      EXPECT_EQ(parsed.options.type, &row);
    } else {
      EXPECT_EQ(parsed.ask, VeskArguments::Ask::Error);
      EXPECT_NE(parsed.error.find("cannot be chosen"), std::string::npos) << parsed.error;
    }
  }
  for (const char* unknown : {" 2732", "2732 ", "27C256", "27", ""}) {
    const VeskArguments parsed = Parse({"blank", "-t", unknown});
    EXPECT_EQ(parsed.ask, VeskArguments::Ask::Error) << unknown;
    EXPECT_NE(parsed.error.find("272001"), std::string::npos) << parsed.error;  // lists the types
  }
  EXPECT_EQ(Parse({"blank"}).ask, VeskArguments::Ask::Error);  // no type at all
}

TEST(VeskArguments, PulseAndDelayStayInTheOptionsWindowsRanges) {
  const struct {
    std::vector<std::string> arguments;
    bool accepted;
  } cases[] = {
      {{"--pulse", "0"}, true},       {{"--pulse=5"}, true},        {{"--pulse", "6"}, false},
      {{"--pulse", "-1"}, false},     {{"--pulse", "1.5"}, false},  {{"--pulse", ""}, false},
      {{"--pulse"}, false},           {{"--io-delay=5000"}, true},  {{"--io-delay", "5001"}, false},
      {{"--io-delay", "1e3"}, false}, {{"--port", "99999"}, false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"write", "-t", "2716", "in.bin"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const VeskArguments parsed = Parse(arguments);
    EXPECT_EQ(parsed.ask == VeskArguments::Ask::Run, c.accepted) << c.arguments[0];
  }
  const VeskArguments parsed =
      Parse({"write", "--pulse=0", "--io-delay", "5000", "--port", "lpt2", "-t2716", "x.bin"});
  EXPECT_EQ(parsed.options.settings.ProgPulse, 0);
  EXPECT_EQ(parsed.options.settings.IoDelay, 5000);
  EXPECT_EQ(parsed.options.settings.LptBase, 632);
}

TEST(VeskArguments, CommandFileAndOptionsInAnyOrder) {
  const VeskArguments all = Parse(
      {"-qt", "27512", "verify", "--simulate=chip.bin", "--no-blank-check", "--", "-odd.bin"});
  ASSERT_EQ(all.ask, VeskArguments::Ask::Run) << all.error;
  EXPECT_EQ(all.options.command, VeskCommand::Verify);
  EXPECT_EQ(all.options.file, "-odd.bin");
  EXPECT_TRUE(all.options.quiet && all.options.simulate);
  EXPECT_EQ(all.options.chipFile, "chip.bin");
  EXPECT_FALSE(all.options.settings.VerifyEmpty);

  const VeskArguments plain = Parse({"read", "out.bin", "--type", "2732", "--simulate"});
  ASSERT_EQ(plain.ask, VeskArguments::Ask::Run) << plain.error;
  EXPECT_TRUE(plain.options.simulate && plain.options.chipFile.empty());
  EXPECT_TRUE(plain.options.settings.VerifyEmpty);  // the window's defaults otherwise
  EXPECT_EQ(plain.options.settings.LptBase, 888);

  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{},
                                             {"-t", "2732"},
                                             {"read", "-t", "2732"},
                                             {"write", "-t", "2732", "a.bin", "b.bin"},
                                             {"blank", "-t", "2732", "a.bin"},
                                             {"erase", "-t", "2732"},
                                             {"blank", "-t", "2732", "--simulate="},
                                             {"blank", "-t", "2732", "--quiet=yes"},
                                             {"blank", "-t", "2732", "-x"},
                                             {"blank", "-t", "2732", "--bogus"},
                                             {"blank", "-t"}}) {
    const VeskArguments parsed = Parse(wrong);
    EXPECT_EQ(parsed.ask, VeskArguments::Ask::Error) << testing::PrintToString(wrong);
    EXPECT_FALSE(parsed.error.empty());
  }
  EXPECT_EQ(Parse({"read", "--help"}).ask, VeskArguments::Ask::Help);
  EXPECT_EQ(Parse({"-h"}).ask, VeskArguments::Ask::Help);
  EXPECT_EQ(Parse({"--version"}).ask, VeskArguments::Ask::Version);
}

}  // namespace
