#include "converter/FileNames.h"

#include <gtest/gtest.h>

#include "ConverterTestSupport.h"

namespace {

TEST(SplitExtension, OnlyTheLastDotCountsAndOnlyTheExtensionIsLowered) {
  struct Case {
    const char* name;
    const char* base;
    const char* extension;
  } const cases[] = {
      {"x.bin", "x", "bin"},    {"X.HEX", "X", "hex"},         {"a.b.Bin", "a.b", "bin"},
      {"README", "README", ""}, {"trailing.", "trailing", ""}, {".hex", "", "hex"},
      {"Ä.ÖBIN", "Ä", "Öbin"},  // bytes beyond ASCII are left as they are
  };
  for (const Case& c : cases) {
    const SplitName split = SplitExtension(c.name);
    EXPECT_EQ(split.base, c.base) << c.name;
    EXPECT_EQ(split.extension, c.extension) << c.name;
  }
}

class MakeUniqueNameTest : public TempFolder {};

TEST_F(MakeUniqueNameTest, CountsPastFilesFoldersAndLinks) {
  EXPECT_EQ(MakeUniqueName(Path("x.bin")), Path("x.bin"));
  WriteFile(Path("x.bin"), "");
  WriteFile(Path("x.bin1"), "");
  std::filesystem::create_directory(Path("x.bin2"));
  std::filesystem::create_symlink(Path("nowhere"), Path("x.bin3"));
  EXPECT_EQ(MakeUniqueName(Path("x.bin")), Path("x.bin4"));

  // A caller that lost the name to someone else goes on from the next counter.
  std::uint64_t counter = 5;
  EXPECT_EQ(MakeUniqueName(Path("x.bin"), counter), Path("x.bin5"));
  EXPECT_EQ(counter, 5u);
}

}  // namespace
