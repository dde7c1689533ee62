// vesk's command line: the forms users write, and what must be refused
// before a chip is touched.
#include <gtest/gtest.h>

#include "VeskOptions.h"

namespace {

using Ask = VeskArguments::Ask;

TEST(VeskPort, EveryFormGivesTheBaseAndTheRangeIsTheOptionsWindows) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"378h", 888},
      {"0X3bc", 956},
      {"888", 888},
      {"378", 378},
      {"LPT2", 632},
      {"lpt3", 956},
      {"7FFDh", 32765},
      {"0x1", 1},
      {"7FFEh", std::nullopt},
      {"32766", std::nullopt},
      {"0h", std::nullopt},
      {"0x-5", std::nullopt},
      {"0x", std::nullopt},
      {"lpt4", std::nullopt},
      {"0x378h", std::nullopt},
      {"FFFFFFFFFFFFh", std::nullopt}};
  for (const auto& [text, base] : cases) EXPECT_EQ(parsePort(text), base) << text;
  EXPECT_EQ(
      parseVeskArguments({"blank", "-t", "2732", "--port", "lpt4"}).error,
      "--port lpt4: give the base address as 378h, 0x378, 888 (decimal) or lpt1 to lpt3, from 1 "
      "to 32765");
}

TEST(VeskArguments, TypesAreTheCataloguesAndTheTwoUnavailableOnesAreRefused) {
  for (const EpromTypeRow& row : kEpromCatalogue) {
    const VeskArguments parsed = parseVeskArguments({"blank", "-t", row.caption});
    EXPECT_EQ(parsed.ask, row.selectable ? Ask::Run : Ask::Error) << row.caption;
    EXPECT_EQ(parsed.options.type, row.selectable ? &row : nullptr);
  }
  for (const char* unknown : {" 2732", "27C256", ""})
    EXPECT_EQ(parseVeskArguments({"blank", "-t", unknown}).ask, Ask::Error) << unknown;
}

TEST(VeskArguments, SettingsStayInTheOptionsWindowsRanges) {
  for (const auto& [option, accepted] : {std::pair{"--pulse=5", true},
                                         {"--pulse=6", false},
                                         {"--pulse=-1", false},
                                         {"--pulse=1.5", false},
                                         {"--io-delay=5000", true},
                                         {"--io-delay=5001", false},
                                         {"--port=99999", false}})
    EXPECT_EQ(parseVeskArguments({"write", "-t", "2716", "in.bin", option}).ask == Ask::Run,
              accepted)
        << option;
  const PortSettings settings =
      parseVeskArguments({"write", "--pulse", "0", "--io-delay", "0", "--port", "lpt2",
                          "--no-blank-check", "-t2716", "x.bin"})
          .options.settings;
  EXPECT_EQ(
      std::tuple(settings.ProgPulse, settings.IoDelay, settings.LptBase, settings.VerifyEmpty),
      std::tuple(0, 0, 632, false));
}

TEST(VeskArguments, CommandFileAndOptionsInAnyOrder) {
  const VeskArguments all =
      parseVeskArguments({"-qt", "27512", "verify", "--simulate=chip.bin", "--", "-odd.bin"});
  ASSERT_EQ(all.ask, Ask::Run) << all.error;
  EXPECT_EQ(
      std::tuple(all.options.command, all.options.file, all.options.quiet, all.options.chipFile),
      std::tuple(VeskCommand::Verify, "-odd.bin", true, "chip.bin"));
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

}  // namespace
