#include "converter/BinToHex.h"

#include <gtest/gtest.h>

#include "ConverterTestSupport.h"

namespace {

class BinToHexTest : public TempFolder {
 protected:
  int Convert(const std::string& name, std::uint32_t size) {
    return BinToHex(Path(name), Path("x.hex"), size, messages_);
  }
  RecordedMessages messages_;
};

TEST_F(BinToHexTest, EmptyInputGivesTheEndRecordAlone) {
  WriteFile(Path("x.bin"), "");
  EXPECT_EQ(Convert("x.bin", 0), 1);
  EXPECT_EQ(ReadFile(Path("x.hex")), ":00000001FF\r\n");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(BinToHexTest, A27512ImageGives4096RecordsAndTheEndRecord) {
  WriteFile(Path("x.bin"), RandomBytes(65536));
  EXPECT_EQ(Convert("x.bin", 65536), 1);
  const std::string hex = ReadFile(Path("x.hex"));
  EXPECT_EQ(hex.size(), 184333u);
  EXPECT_EQ(hex.substr(hex.size() - 13 - 45, 9), ":10FFF000");
  EXPECT_EQ(hex.substr(hex.size() - 13), ":00000001FF\r\n");
}

TEST_F(BinToHexTest, NeverWritesOverAnExistingFile) {
  WriteFile(Path("x.bin"), std::string(16, '\0'));
  WriteFile(Path("x.hex"), "keep");
  EXPECT_EQ(Convert("x.bin", 16), 1);
  EXPECT_EQ(ReadFile(Path("x.hex")), "keep");
  EXPECT_EQ(ReadFile(Path("x.hex1")).substr(0, 9), ":10000000");
}

TEST_F(BinToHexTest, InputsThatCannotBeOpenedCreateNothingAndSayNothing) {
  std::filesystem::create_directory(Path("folder.bin"));
  EXPECT_EQ(Convert("missing.bin", 16), 0);
  EXPECT_EQ(Convert("folder.bin", 4096), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("x.hex")));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(BinToHexTest, ShortReadAndFailedWriteReportTheInput) {
  WriteFile(Path("short.bin"), std::string(10, 'a'));
  EXPECT_EQ(BinToHex(Path("short.bin"), Path("short.hex"), 16, messages_), 0);
  EXPECT_EQ(ReadFile(Path("short.hex")), "");  // created, left empty

  WriteFile(Path("big.bin"), RandomBytes(1 << 20));
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(BinToHex(Path("big.bin"), Path("big.hex"), 1 << 20, messages_), 0);
  }
  EXPECT_EQ(ReadFile(Path("big.hex")).size(), 1000u);  // what was written stays
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"Error Reading File " + Path("short.bin"),
                                                       "Error Reading File " + Path("big.bin")}));
}

}  // namespace
