#include "converter/HexToBin.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "ConverterTestSupport.h"
#include "converter/BinToHex.h"

namespace {

class HexToBinTest : public TempFolder {
 protected:
  RecordedMessages messages_;
};

TEST_F(HexToBinTest, WriterOutputReadsBackToTheSameBytes) {
  const bool have_objcopy = std::system("objcopy --version >/dev/null 2>&1") == 0;
  for (std::uint32_t size : {0u, 1u, 15u, 16u, 65536u, 65537u, 1048576u + 5u}) {
    const std::string bytes = RandomBytes(size, size);
    const std::string name = std::to_string(size);
    WriteFile(Path(name + ".bin"), bytes);
    ASSERT_EQ(BinToHex(Path(name + ".bin"), Path(name + ".hex"), size, messages_), 1);
    ASSERT_EQ(HexToBin(Path(name + ".hex"), Path(name + ".bin"),
                       std::filesystem::file_size(Path(name + ".hex")), messages_),
              1);
    EXPECT_EQ(ReadFile(Path(name + ".bin1")), bytes) << size;
    // objcopy refuses a file without data, so the empty one is left out.
    if (!have_objcopy || size == 0) continue;
    const std::string command =
        "objcopy -I ihex -O binary " + Path(name + ".hex") + " " + Path(name + ".objcopy");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(Path(name + ".objcopy")), bytes) << size;
  }
  EXPECT_TRUE(messages_.shown.empty());
  if (!have_objcopy) GTEST_SKIP() << "objcopy is not installed";
}

TEST_F(HexToBinTest, MissingEndRecordIsAWarningNotAFailure) {
  WriteFile(Path("x.hex"), ":0100000041BE\r\n");
  EXPECT_EQ(HexToBin(Path("x.hex"), Path("x.bin"), 15, messages_), 1);
  EXPECT_EQ(ReadFile(Path("x.bin")), "A");
  EXPECT_EQ(messages_.shown,
            std::vector<std::string>{"Warning: Hex file bad formed, end of record not found"});
}

TEST_F(HexToBinTest, ShortReadAndFailedWriteReportTheInput) {
  WriteFile(Path("short.hex"), ":00000001FF");
  EXPECT_EQ(HexToBin(Path("short.hex"), Path("short.bin"), 12, messages_), 0);
  EXPECT_EQ(ReadFile(Path("short.bin")), "");

  std::string hex;
  for (int i = 0; i < 30000; ++i) hex += ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
  WriteFile(Path("big.hex"), hex + ":00000001FF\r\n");
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(HexToBin(Path("big.hex"), Path("big.bin"), hex.size() + 13, messages_), 0);
  }
  EXPECT_EQ(ReadFile(Path("big.bin")).size(), 1000u);  // what was written stays
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"Error Reading File " + Path("short.hex"),
                                                       "Error Reading File " + Path("big.hex")}));
}

}  // namespace
