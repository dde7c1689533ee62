#include "converter/Zeza.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ConverterTestSupport.h"

namespace {

class RunZezaTest : public TempFolder {
 protected:
  std::vector<std::string> Run(const std::vector<std::string>& arguments) {
    RecordedMessages messages;
    RunZeza(arguments, messages);
    return messages.shown;
  }
};

TEST_F(RunZezaTest, WrongArgumentCountShowsTheUsageTextByteForByte) {
  const std::string usage =
      "Usage:\r\nDrag and drop the hex or bin file to this exe\r\n"
      "and the new file will be created in the same folder\r\n\r\n"
      "Otherwise from the command line:\r\n"
      "Morvel file.hex \t(convert in file.bin)\r\nMorvel file.bin \t(convert in file.hex)\r\n"
      "Morvel *.hex    \t(convert all hex in bin)\r\nMorvel *.bin    \t(convert all bin in hex)\r\n"
      "\r\n";
  WriteFile(Path("x.bin"), "");
  EXPECT_EQ(Run({}), std::vector<std::string>{usage});
  EXPECT_EQ(Run({Path("x.bin"), Path("x.bin")}), std::vector<std::string>{usage});
  EXPECT_FALSE(std::filesystem::exists(Path("x.hex")));
}

TEST_F(RunZezaTest, FilesOf4GiBAreRefusedAndTheOthersConverted) {
  for (const char* name : {"a.bin", "big.bin"}) {
    const int fd = ::open(Path(name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, name[0] == 'a' ? 16 : 1ll << 32), 0);  // sparse: no disk used
    ::close(fd);
  }
  EXPECT_EQ(Run({Path("*.bin")}), std::vector<std::string>{"File is too large!!! (big.bin)"});
  EXPECT_TRUE(std::filesystem::exists(Path("a.hex")));
  EXPECT_FALSE(std::filesystem::exists(Path("big.hex")));
}

TEST_F(RunZezaTest, MessagesOfSeveralFilesComeInMatchOrder) {
  WriteFile(Path("a.hex"), ":0100000041BF\n:00000001FF");
  WriteFile(Path("b.hex"), ":0100000042BD\n");
  WriteFile(Path("c.bin"), "");
  EXPECT_EQ(Run({Path("*")}),
            (std::vector<std::string>{"Bad checksum!! Hex = BF - Calculated = BE",
                                      "Warning: Hex file bad formed, end of record not found"}));
  EXPECT_EQ(ReadFile(Path("a.bin")), "A");
  EXPECT_EQ(ReadFile(Path("b.bin")), "B");
  EXPECT_EQ(ReadFile(Path("c.hex")), ":00000001FF\r\n");
  EXPECT_EQ(Run({"no-such-file.hex"}),
            std::vector<std::string>{"Can't find file no-such-file.hex"});
}

}  // namespace
