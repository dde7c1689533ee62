#include "converter/FileSearch.h"

#include <gtest/gtest.h>

#include "ConverterTestSupport.h"

namespace {

TEST(MatchesWildcard, StarQuestionMarkAndCaseFolding) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } const cases[] = {
      {"*.bin", "a.bin", true},   {"*.bin", "b.BIN", true},
      {"*.bin", "c.txt", false},  {"*.bin", "a.bin.txt", false},
      {"x.hex", "X.HEX", true},   {"?.hex", "ab.hex", false},
      {"??.hex", "ab.hex", true}, {"*", "", true},
      {"", "a", false},           {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYcZ", false}, {"*.*", "a.b.bin", true},
      {"***x", "abx", true},      {"*a*a*a*a*b", std::string(40, 'a').c_str(), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  }
}

class FindFilesTest : public TempFolder {};

TEST_F(FindFilesTest, MatchesInNameOrderFoldersIncludedWithSizes) {
  WriteFile(Path("b.BIN"), "12345");
  WriteFile(Path("a.bin"), "1");
  WriteFile(Path("c.txt"), "");
  std::filesystem::create_directory(Path("d.bin"));
  const FileSearch search = FindFiles(Path("*.bin"));
  EXPECT_EQ(search.folder, dir_.string() + "/");
  ASSERT_EQ(search.matches.size(), 3u);
  EXPECT_EQ(search.matches[0].name, "a.bin");
  EXPECT_EQ(search.matches[1].name, "b.BIN");
  EXPECT_EQ(search.matches[1].size, 5u);
  EXPECT_EQ(search.matches[2].name, "d.bin");

  EXPECT_TRUE(FindFiles(Path("nothing.bin")).matches.empty());
  EXPECT_TRUE(FindFiles(Path("no-such-folder/*")).matches.empty());
  EXPECT_TRUE(FindFiles(Path("")).matches.empty());
}

TEST_F(FindFilesTest, RelativeArgumentsResolveAgainstTheCurrentFolder) {
  std::filesystem::create_directories(Path("sub/deeper"));
  WriteFile(Path("sub/x.bin"), "");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(Path("sub/deeper"));
  const FileSearch search = FindFiles("../x.bin");
  std::filesystem::current_path(previous);
  EXPECT_EQ(search.folder, Path("sub/"));
  ASSERT_EQ(search.matches.size(), 1u);
  EXPECT_EQ(search.matches[0].name, "x.bin");
}

}  // namespace
