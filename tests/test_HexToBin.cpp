// Both directions of the conversion, on files.
#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "BinToHex.h"
#include "ConverterTestSupport.h"
#include "HexParser.h"
#include "HexToBin.h"
#include "MessageTexts.h"

namespace {

class HexToBinTest : public FolderTest {
 protected:
  RecordedMessages messages_;
};
using BinToHexTest = HexToBinTest;

TEST_F(HexToBinTest, WriterOutputReadsBackToTheSameBytesHereAndInObjcopy) {
  const bool objcopy = std::system("objcopy --version >/dev/null 2>&1") == 0;
  for (std::uint32_t size : {0u, 1u, 15u, 16u, 65536u, 65537u, 1048576u + 5u}) {
    const std::string bytes = randomBytes(size, size), name = filePath(std::to_string(size));
    writeFile(name + ".bin", bytes);
    ASSERT_EQ(BinToHex(name + ".bin", name + ".hex", size, messages_), 1);
    const auto hexSize = static_cast<std::uint32_t>(std::filesystem::file_size(name + ".hex"));
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

TEST_F(BinToHexTest, ShortReadAndFailedWriteReportTheInputAndKeepTheOutput) {
  writeFile(filePath("short.bin"), std::string(10, 'a'));
  EXPECT_EQ(BinToHex(filePath("short.bin"), filePath("short.hex"), 16, messages_), 0);
  EXPECT_EQ(readFile(filePath("short.hex")), "");  // created, and left empty
  writeFile(filePath("big.bin"), randomBytes(1 << 20, 1));
  {
    FileSizeLimit limit(1000);
    EXPECT_EQ(BinToHex(filePath("big.bin"), filePath("big.hex"), 1 << 20, messages_), 0);
  }
  EXPECT_EQ(readFile(filePath("big.hex")).size(), 1000u);  // what was written stays
  // and the room set aside for the rest is given back.
  struct stat info {};
  ASSERT_EQ(::stat(filePath("big.hex").c_str(), &info), 0);
  EXPECT_LE(info.st_blocks * 512, 65536);
  EXPECT_EQ(messages_.shown,
            (std::vector<std::string>{"Error Reading File " + filePath("short.bin"),
                                      "Error Reading File " + filePath("big.bin")}));
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
    EXPECT_EQ(HexToBin(filePath("big.hex"), filePath("big.bin"),
                       static_cast<std::uint32_t>(hex.size() + 13), messages_),
              0);
  }
  EXPECT_EQ(readFile(filePath("big.bin")).size(), 1000u);
  EXPECT_EQ(messages_.shown,
            (std::vector<std::string>{"Error Reading File " + filePath("short.hex"),
                                      "Error Reading File " + filePath("big.hex")}));
}

// Changes the input file when the first bad checksum is reported, that is
// while the first block is converted.
struct ChangeOnFirstMessage : RecordedMessages {
  std::function<void()> change;
  void ShowMessage(const std::string& text) override {
    if (shown.empty()) change();
    RecordedMessages::ShowMessage(text);
  }
};

TEST_F(HexToBinTest, AFileChangedWhileItIsReadIsReadAsFoundOrFailsWhereItEnds) {
  const std::string record = ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
  std::string hex = ":0100000041BF\r\n";  // a bad checksum
  while (hex.size() < 3 * kTextBlockBytes) hex += record;
  const std::string path = filePath("x.hex");

  // Records added since the file was found are not read: the end is where it was.
  writeFile(path, hex);
  ChangeOnFirstMessage grows;
  grows.change = [&] { std::ofstream(path, std::ios::app) << record << ":00000001FF\r\n"; };
  EXPECT_EQ(HexToBin(path, filePath("grown.bin"), static_cast<std::uint32_t>(hex.size()), grows),
            1);
  EXPECT_EQ(grows.shown, (std::vector<std::string>{"Bad checksum!! Hex = BF - Calculated = BE",
                                                   std::string(kBadFormed)}));
  EXPECT_EQ(readFile(filePath("grown.bin")).size(), 1 + (hex.size() - 15) / 45 * 16);

  // A file that loses its end is a failed read, not a shorter file, and the
  // output keeps the records read before.
  writeFile(path, hex);
  ChangeOnFirstMessage shrinks;
  shrinks.change = [&] { std::filesystem::resize_file(path, hex.size() / 2); };
  EXPECT_EQ(HexToBin(path, filePath("cut.bin"), static_cast<std::uint32_t>(hex.size()), shrinks),
            0);
  EXPECT_EQ(shrinks.shown, (std::vector<std::string>{"Bad checksum!! Hex = BF - Calculated = BE",
                                                     "Error Reading File " + path}));
  const std::string cut = readFile(filePath("cut.bin"));
  EXPECT_GT(cut.size(), 1u);
  EXPECT_EQ(cut, readFile(filePath("grown.bin")).substr(0, cut.size()));
  EXPECT_EQ(cut.substr(0, 17),
            std::string("A\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F", 17));
}

}  // namespace
