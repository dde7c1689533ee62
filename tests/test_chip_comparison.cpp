// A chip read against a file's image: the bits each way, the first
// differences, and the patterns a data line, an address line or an empty
// socket leave.
#include <gtest/gtest.h>

#include "ChipComparison.h"
#include "TestFiles.h"

namespace {

using Kind = DifferencePatternKind;

// An 8 KiB image of many values, and that image as a faulty board reads it.
Bytes readAs(const std::function<std::uint8_t(const Bytes&, std::size_t)>& fault) {
  const Bytes file = pattern(8192);
  Bytes chip(file.size());
  for (std::size_t at = 0; at < file.size(); ++at) chip[at] = fault(file, at);
  return chip;
}

TEST(CompareChip, ALineFaultOrAnEmptySocketIsNamedAndTheBitsAreCountedEachWay) {
  const Bytes file = pattern(8192);
  const auto stuckLow = [](const Bytes& f, std::size_t at) {
    return static_cast<std::uint8_t>(f[at] & ~0x08);
  };
  const auto openA12 = [](const Bytes& f, std::size_t at) { return f[at & ~std::size_t{0x1000}]; };
  Bytes twoWays = file;
  twoWays[5] = 0xFF, twoWays[9] = 0x00;  // 5: 23h wanted, 9: 3Fh
  const struct {
    const char* name;
    Bytes chip;
    std::vector<DifferencePattern> patterns;
    std::int64_t toProgram, toErase;
  } cases[] = {
      {"stuck D3", readAs(stuckLow), {{Kind::DataLine, 3}}, 0, 4080},
      {"open A12", readAs(openA12), {{Kind::AddressLine, 12}}, -1, -1},
      {"empty socket", Bytes(8192, 0xFF), {{Kind::Blank}}, -1, 0},
      {"two ways", twoWays, {}, 5, 6},
      {"one bit at one location",
       [&] {
         Bytes c = file;
         c[7] ^= 0x10;
         return c;
       }(),
       {},
       -1,
       -1},
  };
  for (const auto& c : cases) {
    const ChipComparison found = compareChip(c.chip, file);
    EXPECT_EQ(found.patterns, c.patterns) << c.name;
    if (c.toProgram >= 0) {
      EXPECT_EQ(found.bitsToProgram, c.toProgram) << c.name;
    }
    if (c.toErase >= 0) {
      EXPECT_EQ(found.bitsToErase, c.toErase) << c.name;
    }
  }
  const ChipComparison twoWaysFound = compareChip(twoWays, file);
  EXPECT_EQ(twoWaysFound.first, (std::vector<ChipDifference>{{5, 0xFF, 0x23}, {9, 0x00, 0x3F}}));
  EXPECT_EQ(twoWaysFound.firstToErase, (std::vector<ChipDifference>{{9, 0x00, 0x3F}}));
  EXPECT_EQ(std::tuple(twoWaysFound.differences, twoWaysFound.locationsToErase), std::tuple(2, 1));
  // The lists stop at 16; the counts do not.
  const ChipComparison stuck = compareChip(readAs(stuckLow), file);
  EXPECT_EQ(std::tuple(stuck.first.size(), stuck.firstToErase.size(), stuck.locationsToErase),
            std::tuple(kFirstDifferences, kFirstDifferences, 4080));
  EXPECT_EQ(stuck.first[0], (ChipDifference{2, 0x06, 0x0E}));
}

TEST(CompareChip, OnlyTheLocationsComparedCountAndTheSameImageHasNoDifferences) {
  const Bytes file = pattern(64);
  Bytes chip = file;
  chip[3] = 0xFF, chip[40] = 0xFF;
  std::vector<bool> compared(64, true);
  compared[40] = false;
  const ChipComparison found = compareChip(chip, file, compared);
  EXPECT_EQ(found.first, (std::vector<ChipDifference>{{3, 0xFF, file[3]}}));
  EXPECT_EQ(compareChip(chip, file, std::vector<bool>(3, true)).differences, 0);  // 3 on: beyond
  const ChipComparison same = compareChip(file, file);
  EXPECT_EQ(
      std::tuple(same.differences, same.bitsToProgram, same.bitsToErase, same.patterns.size()),
      std::tuple(0, 0, 0, 0u));
  EXPECT_TRUE(compareChip(Bytes(64, 0xFF), Bytes(64, 0xFF)).patterns.empty());  // blank, and wanted
}

}  // namespace
