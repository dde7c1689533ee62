#include "HexRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string records(const std::vector<std::uint8_t>& image, std::size_t begin, std::size_t end) {
  std::string text(hexTextBound(end - begin), '\0');
  text.resize(formatRecords(image.data() + begin, begin, end - begin, text.data()));
  return text;
}

TEST(HexRecords, LinesAndChecksumsAreExact) {
  std::vector<std::uint8_t> image(0x10020, 0x00);
  for (int i = 0; i < 16; ++i) image[0x10 + i] = static_cast<std::uint8_t>(i);
  std::fill(image.begin() + 0xFFF0, image.begin() + 0x10000, 0xFF);
  image[0x10010] = 0xAA, image[0x10011] = 0xBB, image[0x10012] = 0xCC;
  struct Case {
    std::size_t begin, end;
    const char* text;
  } const cases[] = {
      {0x0000, 0x0010, ":1000000000000000000000000000000000000000F0\r\n"},
      {0x0010, 0x0020, ":10001000000102030405060708090A0B0C0D0E0F68\r\n"},
      {0xFFF0, 0x10000, ":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF11\r\n"},
      // Past 64 KiB a type-04 record comes first and the address starts again at 0000;
      // a tail of 1 to 15 bytes is a shorter record whose length gives its count.
      {0x10000, 0x10013,
       ":020000040001F9\r\n:1000000000000000000000000000000000000000F0\r\n:03001000AABBCCBC\r\n"},
      {0x10010, 0x10011, ":01001000AA45\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(records(image, c.begin, c.end), c.text) << c.begin;
}

TEST(HexRecords, TheFileLengthIsKnownBeforehand) {
  // zeza reserves room for its output up to this length and no further.
  const std::vector<std::uint8_t> image(3 * 65536 + 40, 0x5A);
  for (std::size_t size : {0, 1, 15, 16, 17, 65535, 65536, 65537, 65552, 131072, 131088, 196648}) {
    EXPECT_EQ(hexFileLength(size), records(image, 0, size).size() + kEndOfFileRecordLength) << size;
  }
}

}  // namespace
