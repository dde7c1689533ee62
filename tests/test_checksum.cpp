#include <gtest/gtest.h>

#include "CheckSum.h"
#include "HexText.h"

namespace {

TEST(Calc_CheckSum, BlankChipOfEveryTypeZeroAndShortImages) {
  const char* expected[] = {"7F800",  "FF000",   "1FE000",  "3FC000",  "7F8000",
                            "FF0000", "1FE0000", "3FC0000", "7F80000", "FF00000"};
  for (std::size_t row = 0; row < std::size(expected); ++row) {
    MemoryImage image(2048 << row);  // the ten types, 2716 to 27080
    std::fill(image.data(), image.data() + image.size(), 0xFF);
    EXPECT_EQ(checkSumText(Calc_CheckSum(image, image.size())),
              std::string("CheckSum = ") + expected[row]);
  }
  MemoryImage image(2048);
  EXPECT_EQ(checkSumText(Calc_CheckSum(image, 2048)), "CheckSum = 0");
  image.at(2047) = 0x01;
  EXPECT_EQ(checkSumText(Calc_CheckSum(image, 4096)), "CheckSum = 1");  // never past the end
}

TEST(Byte_To_Hex_String, AlwaysTwoUpperCaseDigits) {
  for (const auto& [value, text] : {std::pair<int, const char*>{0, "00"},
                                    {9, "09"},
                                    {10, "0A"},
                                    {15, "0F"},
                                    {16, "10"},
                                    {171, "AB"},
                                    {255, "FF"}})
    EXPECT_EQ(Byte_To_Hex_String(static_cast<std::uint8_t>(value)), text);
}

}  // namespace
