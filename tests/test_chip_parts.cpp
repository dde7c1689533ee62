// The parts table and the names people write: makers' prefixes, speed,
// package and revision suffixes, any case, and the names that are refused.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ChipParts.h"

namespace {

// The part's own name and the name it was found by, or "none".
std::string found(std::string_view text) {
  const std::optional<PartName> named = partNamed(text);
  if (!named) return "none";
  return std::string(named->part->names.front()) + "/" + std::string(named->name);
}

TEST(ChipParts, NamesAsPrintedWithPrefixesAndSuffixesInAnyCase) {
  const std::pair<const char*, const char*> cases[] = {{"M27C512-10F1", "27C512/27C512"},
                                                       {"AM27C256-150DC", "27C256/27C256"},
                                                       {"TMS27C512-20", "27C512/27C512"},
                                                       {"D2764A-25", "2764A/2764A"},
                                                       {"TMM27256AD-20", "27256/27256"},
                                                       {"HN27C256G", "27C256/27C256"},
                                                       {"MBM27C256", "27C256/27C256"},
                                                       {"NMC27C256", "27C256/27C256"},
                                                       {"AT27C512R", "27C512/27C512"},
                                                       {"m27c1001-12f1", "27C010/27C1001"},
                                                       {"27C512A-90I/L", "27C512/27C512"},
                                                       {"2732a", "2732A/2732A"},
                                                       {"2732", "2732/2732"},
                                                       {"27128A-2", "27128A/27128A"},
                                                       {"27c64a", "27C64/27C64"},
                                                       {"2764-20", "2764/2764"},
                                                       {"272001", "27C020/272001"},
                                                       {"TMS2732A-45JL", "2732A/2732A"},
                                                       {"HN4827128G-25", "27128/27128"},
                                                       {"UPD27C256D-15", "27C256/27C256"}};
  for (const auto& [text, part] : cases) EXPECT_EQ(found(text), part) << text;
  // A digit after the name makes another number; a prefix no maker has, a
  // name without its 27, blanks and other signs are no part.
  for (const char* refused :
       {"", "27", "27C", "C256", "x2764", "27C2564", "27C01", "27C16", "M27C512 ", " 27C512",
        "2764_20", "AM", "27C5122", "QQ27C256", "27C256.", "M-27C256"})
    EXPECT_EQ(found(refused), "none") << refused;
}

TEST(ChipParts, TheTypesTheBoardCannotTakeAreKnownByTheirNamesToo) {
  EXPECT_STREQ(unavailableTypeNamed("M27C4001-10F1")->caption, "274001");
  EXPECT_STREQ(unavailableTypeNamed("27c801")->caption, "27080");
  EXPECT_STREQ(unavailableTypeNamed("27080")->caption, "27080");
  EXPECT_EQ(unavailableTypeNamed("27C512"), nullptr);
  EXPECT_EQ(unavailableTypeNamed("27C0401"), nullptr);
}

// Each part takes a type the board can be set to, no name belongs to two
// parts, and the figures are those of a programming mode: VPP above VCC,
// VCC from 5 to 6.5 V, VPP at most 25 V; a part whose datasheet's pulse does
// not fit the board says what vesk does instead.
TEST(ChipParts, EveryPartIsABoardTypeWithFiguresOfAProgrammingMode) {
  std::set<std::string> names;
  for (const ChipPart& part : chipParts()) {
    const std::string name = part.names.front();
    EXPECT_TRUE(catalogueRowOf(part).selectable) << name;
    EXPECT_GT(part.vpp, part.vcc) << name;
    EXPECT_TRUE(part.vcc >= 500 && part.vcc <= 650) << name;
    EXPECT_LE(part.vpp, 2500) << name;
    EXPECT_EQ(part.note != nullptr, part.algorithm == ProgrammingAlgorithm::Default) << name;
    for (const char* each : part.names)
      if (each != nullptr) {
        EXPECT_TRUE(names.insert(each).second) << each;
        EXPECT_EQ(partNamed(each)->part, &part) << each;
      }
  }
  EXPECT_EQ(names.size(), 19U);
}

}  // namespace
