#include "BinToHex.h"

#include "ConverterTestSupport.h"

namespace {

class BinToHexTest : public FolderTest {};

TEST_F(BinToHexTest, ShortReadAndFailedWriteReportTheInputAndKeepTheOutput) {
  RecordedMessages messages;
  WriteFile(Path("short.bin"), std::string(10, 'a'));
  EXPECT_EQ(BinToHex(Path("short.bin"), Path("short.hex"), 16, messages), 0);
  EXPECT_EQ(ReadFile(Path("short.hex")), "");  // created, and left empty
  WriteFile(Path("big.bin"), RandomBytes(1 << 20, 1));
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(BinToHex(Path("big.bin"), Path("big.hex"), 1 << 20, messages), 0);
  }
  EXPECT_EQ(ReadFile(Path("big.hex")).size(), 1000u);  // what was written stays
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"Error Reading File " + Path("short.bin"),
                                                      "Error Reading File " + Path("big.bin")}));
}

}  // namespace
