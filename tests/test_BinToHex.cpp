#include "BinToHex.h"

#include <sys/stat.h>

#include "ConverterTestSupport.h"

namespace {

class BinToHexTest : public FolderTest {};

TEST_F(BinToHexTest, ShortReadAndFailedWriteReportTheInputAndKeepTheOutput) {
  RecordedMessages messages;
  writeFile(filePath("short.bin"), std::string(10, 'a'));
  EXPECT_EQ(BinToHex(filePath("short.bin"), filePath("short.hex"), 16, messages), 0);
  EXPECT_EQ(readFile(filePath("short.hex")), "");  // created, and left empty
  writeFile(filePath("big.bin"), randomBytes(1 << 20, 1));
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(BinToHex(filePath("big.bin"), filePath("big.hex"), 1 << 20, messages), 0);
  }
  EXPECT_EQ(readFile(filePath("big.hex")).size(), 1000u);  // what was written stays
  // and the room set aside for the rest is given back.
  struct stat info {};
  ASSERT_EQ(::stat(filePath("big.hex").c_str(), &info), 0);
  EXPECT_LE(info.st_blocks * 512, 65536);
  EXPECT_EQ(messages.shown,
            (std::vector<std::string>{"Error Reading File " + filePath("short.bin"),
                                      "Error Reading File " + filePath("big.bin")}));
}

}  // namespace
