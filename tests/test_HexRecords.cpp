#include "converter/HexRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string DataRecord(std::uint16_t address, const std::vector<std::uint8_t>& data) {
  std::string line(64 * 1024, '\0');
  line.resize(FormatDataRecord(line.data(), address, data.data(), data.size()));
  return line;
}

std::string Records(const std::vector<std::uint8_t>& image) {
  std::string text(HexTextBound(image.size()), '\0');
  text.resize(FormatRecords(image.data(), 0, image.size(), text.data()));
  return text;
}

TEST(HexRecords, DataRecordsHaveExactDigitsAndChecksums) {
  const std::vector<std::uint8_t> zeros(16, 0), ones(16, 0xFF),
      counting{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  struct Case {
    std::uint16_t address;
    std::vector<std::uint8_t> data;
    const char* line;
  } const cases[] = {
      {0x0000, zeros, ":1000000000000000000000000000000000000000F0\r\n"},
      {0x0000, counting, ":10000000000102030405060708090A0B0C0D0E0F78\r\n"},
      {0xFFF0, ones, ":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF11\r\n"},
      {0x0010, ones, ":10001000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0\r\n"},
      // A tail shorter than 16 bytes: its length field gives the count; digits upper case.
      {0x0010, {0xAA, 0xBB, 0xCC}, ":03001000AABBCCBC\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(DataRecord(c.address, c.data), c.line);
}

TEST(HexRecords, ExtendedLinearAddressRecords) {
  char line[kAddressRecordLength + 1] = {};
  EXPECT_EQ(FormatExtendedLinearAddress(line, 0x0001), kAddressRecordLength);
  EXPECT_STREQ(line, ":020000040001F9\r\n");
  FormatExtendedLinearAddress(line, 0xFFFF);
  EXPECT_STREQ(line, ":02000004FFFFFC\r\n");
}

TEST(HexRecords, UpTo64KiBOnlyDataRecordsBeyondThatASegmentRecordPer64KiB) {
  const std::string small = Records(std::vector<std::uint8_t>(65536, 0xA5));
  EXPECT_EQ(small.size(), 4096 * kFullRecordLength);
  EXPECT_EQ(small.find(":02"), std::string::npos);
  EXPECT_EQ(small.substr(small.size() - 45, 9), ":10FFF000");

  // 2 segments and 3 bytes: the address field starts again at 0000 after each type-04 record.
  std::vector<std::uint8_t> image(2 * 65536 + 3, 0x5A);
  const std::string text = Records(image);
  const std::size_t first = text.find(":020000040001F9\r\n");
  const std::size_t second = text.find(":020000040002F8\r\n");
  ASSERT_EQ(first, 4096 * kFullRecordLength);
  ASSERT_EQ(second, 2 * 4096 * kFullRecordLength + kAddressRecordLength);
  EXPECT_EQ(text.substr(first + kAddressRecordLength, 9), ":10000000");
  EXPECT_EQ(text.substr(second + kAddressRecordLength), ":030000005A5A5AEF\r\n");
  EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos);

  // Formatting chunk by chunk gives the same text as all at once.
  std::string pieces;
  for (std::size_t begin = 0; begin < image.size(); begin += 32768) {
    std::string part(HexTextBound(32768), '\0');
    part.resize(
        FormatRecords(image.data(), begin, std::min(begin + 32768, image.size()), part.data()));
    pieces += part;
  }
  EXPECT_EQ(pieces, text);
}

}  // namespace
