#include "HexParser.h"

#include "ConverterTestSupport.h"
#include "MemorySource.h"

namespace {

// Records what the reader hands out and says.
struct Outcome : ByteSink, RecordedMessages {
  HexReadEnd end{};
  std::string bytes;
  bool fail = false;
  bool write(const std::uint8_t* data, std::size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
    return !fail;
  }
};

Outcome read(const std::string& text, bool failingSink = false) {
  Outcome out;
  out.fail = failingSink;
  MemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  out.end = readHexRecords(source, text.size(), out, out);
  return out;
}

const std::string kEnd = ":00000001FF";
const std::string kBadFormed = "Warning: Hex file bad formed, end of record not found";

TEST(HexParser, ToleratesWhatRealFilesLookLike) {
  struct Case {
    const char* what;
    std::string text, bytes;
  } const cases[] = {
      {"end record alone", kEnd + "\r\n", ""},
      {"CR LF", ":0100000041BE\r\n:0100000042BD\r\n" + kEnd + "\r\n", "AB"},
      {"LF", ":0100000041BE\n:0100000042BD\n" + kEnd + "\n", "AB"},
      {"no line ends", ":0100000041BE:0100000042BD" + kEnd, "AB"},
      {"lower case", ":0a0000004142434445464748494a3f\n" + kEnd, "ABCDEFGHIJ"},
      {"garbage between records", ":0100000041BE junk\t;\r\n\n:0100000042BD" + kEnd, "AB"},
      {"leading blank line", "\r\n:0100000041BE\r\n" + kEnd, "A"},
      {"records after the end record", ":0100000041BE\n" + kEnd + "\n:0100000042BD\n", "A"},
      {"addresses ignored", ":0110000041AE\n:0100000042BD\n:01800000433C\n" + kEnd, "ABC"},
      {"lengths 3 and 0", ":0300000041424337\n:0000000000\n" + kEnd, "ABC"},
      {"other types add nothing", ":020000040001F9\n:0100000041BE\n:0400000500001234B1\n" + kEnd,
       "A"},
  };
  for (const Case& c : cases) {
    const Outcome out = read(c.text);
    EXPECT_EQ(out.end, HexReadEnd::EndRecord) << c.what;
    EXPECT_EQ(out.bytes, c.bytes) << c.what;
    EXPECT_EQ(out.shown, std::vector<std::string>{}) << c.what;
  }
}

TEST(HexParser, BadChecksumsAreReportedInOrderAndTheDataKept) {
  const Outcome out = read(":0100000041BF\n:0100000042BD\n:010000004300\n:02000004000000\n");
  EXPECT_EQ(out.end, HexReadEnd::EndOfInput);
  EXPECT_EQ(out.bytes, "ABC");
  EXPECT_EQ(out.shown,
            (std::vector<std::string>{"Bad checksum!! Hex = BF - Calculated = BE",
                                      "Bad checksum!! Hex = 0 - Calculated = BC",
                                      "Bad checksum!! Hex = 0 - Calculated = FA", kBadFormed}));
}

TEST(HexParser, CutOffRecordsEndTheReadingKeepingCompleteRecords) {
  for (const std::string tail :
       {"", ":", ":01000000", ":0100000041", ":0100000041B", ":10000000FF"}) {
    const Outcome out = read(":0100000041BE\r\n" + tail);
    EXPECT_EQ(out.end, HexReadEnd::EndOfInput) << tail;
    EXPECT_EQ(out.bytes, "A") << tail;
    EXPECT_EQ(out.shown, std::vector<std::string>{kBadFormed}) << tail;
  }
  EXPECT_EQ(read("").shown, std::vector<std::string>{kBadFormed});
}

TEST(HexParser, BufferedOutputIsWrittenBeforeEachMessage) {
  // So a failing output is noticed before the next bad record is reported.
  const Outcome failed = read(":0100000041BE\n:0100000042BC\n" + kEnd, true);
  EXPECT_EQ(failed.end, HexReadEnd::WriteFailed);
  EXPECT_EQ(failed.shown, std::vector<std::string>{});
}

}  // namespace
