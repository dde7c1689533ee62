#include "HexRows.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

TEST(HexRows, AddressesHaveFiveDigitsUpToTheBiggestChip) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "00000"},     {15, "0000F"},      {16, "00010"},       {255, "000FF"},
      {256, "00100"},   {4095, "00FFF"},    {4096, "01000"},     {65535, "0FFFF"},
      {65536, "10000"}, {0xFFFF0, "FFFF0"}, {0x100000, "100000"}};
  for (const auto& [address, text] : cases)
    EXPECT_EQ(Address_To_Hex_String(address), text) << address;
}

TEST(HexRows, DataAndCharacterEntriesShowEveryByteAsItIs) {
  std::array<std::uint8_t, 16> row{};
  std::iota(row.begin(), row.end(), std::uint8_t{0x41});
  EXPECT_EQ(dataEntry(row.data()), " 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50");
  EXPECT_EQ(asciEntry(row.data()), "  ABCDEFGHIJKLMNOP");
  // No dots, no substitutes, NUL and control characters included.
  const std::array<std::uint8_t, 16> raw{0x00, 0x0A, 0x0D, 0x09, 0x7F, 0x80, 0xA0, 0xAD,
                                         0xFF, 0x2E, 0x20, 0x01, 0x1F, 0x9F, 0xE9, 0x30};
  EXPECT_EQ(asciEntry(raw.data()), "  " + std::string(raw.begin(), raw.end()));
}
