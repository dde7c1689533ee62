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

}  // namespace
