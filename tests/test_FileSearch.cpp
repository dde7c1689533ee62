#include "FileSearch.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(MatchesWildcard, StarQuestionMarkAndCaseFolding) {
  using Pair = std::pair<const char*, const char*>;
  for (const auto& [pattern, name] :
       {Pair{"*.bin", "b.BIN"}, Pair{"x.hex", "X.HEX"}, Pair{"??.hex", "ab.hex"}, Pair{"*", ""},
        Pair{"a*b*c", "aXbYbZc"}, Pair{"***x", "abx"}}) {
    EXPECT_TRUE(matchesWildcard(pattern, name)) << pattern << " " << name;
  }
  for (const auto& [pattern, name] :
       {Pair{"*.bin", "a.bin.txt"}, Pair{"?.hex", "ab.hex"}, Pair{"", "a"}, Pair{"a*b*c", "aXbYcZ"},
        Pair{"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}}) {
    EXPECT_FALSE(matchesWildcard(pattern, name)) << pattern << " " << name;
  }
}

}  // namespace
