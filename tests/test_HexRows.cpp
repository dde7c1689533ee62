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
