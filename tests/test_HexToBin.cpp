#include "HexToBin.h"

#include <cstdlib>

#include "BinToHex.h"
#include "ConverterTestSupport.h"

namespace {

class HexToBinTest : public FolderTest {
 protected:
  RecordedMessages messages_;
};

TEST_F(HexToBinTest, WriterOutputReadsBackToTheSameBytesHereAndInObjcopy) {
  const bool objcopy = std::system("objcopy --version >/dev/null 2>&1") == 0;
  for (std::uint32_t size : {0u, 1u, 15u, 16u, 65536u, 65537u, 1048576u + 5u}) {
    const std::string bytes = randomBytes(size, size), name = filePath(std::to_string(size));
    writeFile(name + ".bin", bytes);
    ASSERT_EQ(BinToHex(name + ".bin", name + ".hex", size, messages_), 1);
    const auto hexSize = std::filesystem::file_size(name + ".hex");
    if (size == 0) {
      EXPECT_EQ(readFile(name + ".hex"), ":00000001FF\r\n");
    } else if (size == 65536) {
      EXPECT_EQ(hexSize, 184333u);
    }
    ASSERT_EQ(HexToBin(name + ".hex", name + ".bin", hexSize, messages_), 1);
    EXPECT_EQ(readFile(name + ".bin1"), bytes) << size;
    if (!objcopy || size == 0) continue;  // objcopy refuses a file without data
    ASSERT_EQ(std::system(("objcopy -I ihex -O binary " + name + ".hex " + name + ".o").c_str()),
              0);
    EXPECT_EQ(readFile(name + ".o"), bytes) << size;
  }
  EXPECT_EQ(messages_.shown, std::vector<std::string>{});
  if (!objcopy) GTEST_SKIP() << "objcopy is missing; only our own reader was checked";
}

TEST_F(HexToBinTest, ShortReadAndFailedWriteReportTheInputAndKeepTheOutput) {
  writeFile(filePath("short.hex"), ":00000001FF");
  EXPECT_EQ(HexToBin(filePath("short.hex"), filePath("short.bin"), 12, messages_), 0);
  EXPECT_EQ(readFile(filePath("short.bin")), "");
  std::string hex;
  for (int i = 0; i < 30000; ++i) hex += ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
  writeFile(filePath("big.hex"), hex + ":00000001FF\r\n");
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(HexToBin(filePath("big.hex"), filePath("big.bin"), hex.size() + 13, messages_), 0);
  }
  EXPECT_EQ(readFile(filePath("big.bin")).size(), 1000u);
  EXPECT_EQ(messages_.shown,
            (std::vector<std::string>{"Error Reading File " + filePath("short.hex"),
                                      "Error Reading File " + filePath("big.hex")}));
}

}  // namespace
