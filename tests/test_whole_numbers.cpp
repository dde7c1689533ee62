// Whole numbers as users type them: each form only where the caller takes
// it, the whole text and nothing else, and no value that wraps into range.
#include <gtest/gtest.h>

#include <limits>

#include "WholeNumbers.h"

namespace {

TEST(WholeNumbers, EachFormOnlyWhereTheCallerTakesIt) {
  const NumberForms every{
      .hexAfter0x = true, .hexBeforeH = true, .sign = true, .blanksAround = true};
  using Value = std::optional<std::int64_t>;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  // The text, as decimal only and with every form.
  const std::tuple<const char*, Value, Value> cases[] = {
      {"888", 888, 888},
      {"0888", 888, 888},
      {"0x378", {}, 0x378},
      {"0X3bc", {}, 0x3BC},
      {"378h", {}, 0x378},
      {"E000H", {}, 0xE000},
      {"-0xE000", {}, -0xE000},
      {"+16", {}, 16},
      {" 888 ", {}, 888},
      {"9223372036854775807", kLargest, kLargest},
      {"9223372036854775808", {}, {}},
      {"99999999999999999999", {}, {}},
      {"0x378h", {}, {}},
      {"0x-5", {}, {}},
      {"--16", {}, {}},
      {"- 16", {}, {}},
      {"0x", {}, {}},
      {"h", {}, {}},
      {"-", {}, {}},
      {"", {}, {}},
      {"1e3", {}, {}},
      {"1.0", {}, {}},
      {"16 k", {}, {}},
  };
  for (const auto& [text, decimal, anyForm] : cases) {
    EXPECT_EQ(wholeNumber(text), decimal) << text;
    EXPECT_EQ(wholeNumber(text, every), anyForm) << text;
  }
  EXPECT_EQ(wholeNumber("0x10", {.hexBeforeH = true}), std::nullopt);
  EXPECT_EQ(wholeNumber("10h", {.hexAfter0x = true}), std::nullopt);
  EXPECT_EQ(digitsValue("0378", 16), 0x378u);
  EXPECT_EQ(digitsValue("+1"), std::nullopt);
}

TEST(WholeNumbers, InRangeAndNeverWrappedIntoIt) {
  EXPECT_EQ(wholeNumberIn<std::uint8_t>("255", 0, 0xFF), 255);
  EXPECT_EQ(wholeNumberIn<std::uint8_t>("256", 0, 0xFF), std::nullopt);
  EXPECT_EQ(wholeNumberIn<std::uint8_t>("-1", 0, 0xFF, {.sign = true}), std::nullopt);
  constexpr std::uint32_t kMost = std::numeric_limits<std::uint32_t>::max();
  EXPECT_EQ(wholeNumberIn<std::uint32_t>("4294967295", 0, kMost), kMost);
  EXPECT_EQ(wholeNumberIn<std::uint32_t>("4294967296", 0, kMost), std::nullopt);
  EXPECT_EQ(
      wholeNumberIn<std::int16_t>("-0x8000", -0x7FFF, 0x7FFF, {.hexAfter0x = true, .sign = true}),
      std::nullopt);
  EXPECT_EQ(wholeNumberIn<std::int32_t>("0", 1, 25), std::nullopt);
}

}  // namespace
