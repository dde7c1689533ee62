#include <gtest/gtest.h>

#include "CheckSum.h"

TEST(Calc_CheckSum, PlainSumInHexWithoutLeadingZerosNeverPastTheImage) {
  MemoryImage image(1 << 20);  // the biggest chip, blank: the sum needs 28 bits
  std::fill(image.data(), image.data() + image.size(), 0xFF);
  EXPECT_EQ(checkSumText(Calc_CheckSum(image, image.size())), "CheckSum = FF00000");
  image.recreate(2048);
  EXPECT_EQ(checkSumText(Calc_CheckSum(image, 2048)), "CheckSum = 0");
  image.at(2047) = 0x01;
  EXPECT_EQ(checkSumText(Calc_CheckSum(image, 4096)), "CheckSum = 1");
}
