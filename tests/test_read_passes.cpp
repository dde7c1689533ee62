// Reads of one chip in several passes: merged bit by bit by majority, a tie
// to 0 (or to 0 wherever a pass read 0), with the locations that did not
// read the same listed; and the passes against a file, where only what
// differs in every pass is a difference.
#include <gtest/gtest.h>

#include "ReadPasses.h"
#include "TestFiles.h"

namespace {

std::vector<MemoryImage> passesOf(std::initializer_list<Bytes> reads) {
  std::vector<MemoryImage> passes;
  for (const Bytes& read : reads) {
    passes.emplace_back(static_cast<std::int32_t>(read.size()));
    std::copy(read.begin(), read.end(), passes.back().data());
  }
  return passes;
}

Bytes bytesOf(const MemoryImage& image) {
  return {image.data(), image.data() + image.size()};
}

TEST(MergePasses, PassesThatAgreeGiveTheirImageAndNoUnstableLocation) {
  for (const auto& passes :
       {passesOf({{0x12, 0xFF, 0x00}}),
        passesOf({{0x12, 0xFF, 0x00}, {0x12, 0xFF, 0x00}, {0x12, 0xFF, 0x00}})}) {
    const MergedPasses merged = mergePasses(passes);
    EXPECT_EQ(bytesOf(merged.image), (Bytes{0x12, 0xFF, 0x00}));
    EXPECT_TRUE(merged.unstable.empty());
  }
  EXPECT_EQ(mergePasses({}).image.size(), 0);
}

TEST(MergePasses, EachBitTakesItsMajorityATieGoesTo0AndEveryUnstableLocationIsListed) {
  const std::vector<MemoryImage> three =
      passesOf({{0x0F, 0x80, 0xAA, 0x00}, {0x0F, 0x81, 0xAB, 0x01}, {0x0F, 0x01, 0xAA, 0x03}});
  const MergedPasses merged = mergePasses(three);
  EXPECT_EQ(bytesOf(merged.image), (Bytes{0x0F, 0x81, 0xAA, 0x01}));
  EXPECT_EQ(merged.unstable, (std::vector<UnstableLocation>{{1, {0x80, 0x81, 0x01}, 0x81},
                                                            {2, {0xAA, 0xAB, 0xAA}, 0x01},
                                                            {3, {0x00, 0x01, 0x03}, 0x03}}));
  // Two passes that disagree: every differing bit is a tie, so it is 0.
  const MergedPasses tie = mergePasses(passesOf({{0xF0, 0x3C}, {0x0F, 0x3C}}));
  EXPECT_EQ(bytesOf(tie.image), (Bytes{0x00, 0x3C}));
  EXPECT_EQ(tie.unstable, (std::vector<UnstableLocation>{{0, {0xF0, 0x0F}, 0xFF}}));
  // Four: two 1s of four is a tie too, three a majority.
  const MergedPasses four = mergePasses(passesOf({{0x03}, {0x03}, {0x01}, {0x00}}));
  EXPECT_EQ(bytesOf(four.image), Bytes{0x01});
}

TEST(MergePasses, TheZeroVoteTakesA0ReadInAnyPassAndListsTheSameLocations) {
  const std::vector<MemoryImage> three =
      passesOf({{0x0F, 0x80, 0xAA, 0x03}, {0x0F, 0x81, 0xAB, 0x01}, {0x0F, 0x01, 0xAB, 0x03}});
  const MergedPasses zero = mergePasses(three, PassVote::Zero);
  EXPECT_EQ(bytesOf(zero.image), (Bytes{0x0F, 0x00, 0xAA, 0x01}));
  EXPECT_EQ(zero.unstable, mergePasses(three).unstable);
}

TEST(MergePasses, PassesOfDifferentSizesMergeOverTheSmallest) {
  const MergedPasses merged = mergePasses(passesOf({{0x01, 0x02, 0x03}, {0x01, 0x06}}));
  EXPECT_EQ(bytesOf(merged.image), (Bytes{0x01, 0x02}));
  EXPECT_EQ(merged.unstable, (std::vector<UnstableLocation>{{1, {0x02, 0x06}, 0x04}}));
}

TEST(ComparePasses, WhatDiffersInEveryPassIsADifferenceWhatDiffersInSomeIsUnstable) {
  const std::vector<MemoryImage> passes = passesOf({{0x00, 0x11, 0x22, 0x33, 0x44},
                                                    {0x00, 0x10, 0x22, 0x37, 0x45},
                                                    {0x00, 0x11, 0x23, 0x33, 0x47}});
  const MemoryImage file = passesOf({{0x00, 0x11, 0x20, 0x33, 0x40}}).front();
  const PassedComparison comparison = comparePasses(passes, file);
  // Location 2 differs in every pass, though not the same way: the chip's
  // value there is the merged one.
  EXPECT_EQ(comparison.differences,
            (std::vector<PassedDifference>{{2, 0x22, 0x20}, {4, 0x45, 0x40}}));
  EXPECT_EQ(comparison.unstable, (std::vector<UnstableLocation>{{1, {0x11, 0x10, 0x11}, 0x01},
                                                                {3, {0x33, 0x37, 0x33}, 0x04}}));
  // One pass: every difference is a difference.
  const PassedComparison once = comparePasses(passesOf({{0x00, 0x10, 0x22}}), file);
  EXPECT_EQ(once.differences, (std::vector<PassedDifference>{{1, 0x10, 0x11}, {2, 0x22, 0x20}}));
  EXPECT_TRUE(once.unstable.empty());
}

}  // namespace
