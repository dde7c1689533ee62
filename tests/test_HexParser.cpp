#include "converter/HexParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConverterTestSupport.h"

namespace {

struct MemorySink : ByteSink {
  std::string bytes;
  int writes_left = 1 << 30;  // then every write fails
  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (writes_left-- <= 0) return false;
    bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
};

struct Outcome {
  HexReadEnd end;
  std::string bytes;
  std::vector<std::string> messages;
};

Outcome Read(const std::string& text, MemorySink sink = {}) {
  RecordedMessages messages;
  const HexReadEnd end = ReadHexRecords(reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size(), sink, messages);
  return {end, sink.bytes, messages.shown};
}

const std::string kEnd = ":00000001FF";
const std::string kBadFormed = "Warning: Hex file bad formed, end of record not found";

TEST(HexParser, ToleratesWhatRealFilesLookLike) {
  struct Case {
    const char* what;
    std::string text;
    std::string bytes;
  } const cases[] = {
      {"end record alone", kEnd + "\r\n", ""},
      {"CR LF", ":0100000041BE\r\n:0100000042BD\r\n" + kEnd + "\r\n", "AB"},
      {"LF", ":0100000041BE\n:0100000042BD\n" + kEnd + "\n", "AB"},
      {"no line ends", ":0100000041BE:0100000042BD" + kEnd, "AB"},
      {"lower case", ":0a0000000102030405060708090abf\n" + kEnd,
       "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a"},
      {"garbage between records", ":0100000041BE junk\t;;\r\n\n:0100000042BD" + kEnd, "AB"},
      {"leading blank line", "\r\n:0100000041BE\r\n" + kEnd, "A"},
      {"records after the end record", ":0100000041BE\n" + kEnd + "\n:0100000042BD\n", "A"},
      {"addresses ignored, file order kept", ":0110000041AE\n:0100000042BD\n" + kEnd, "AB"},
      {"first address 8000h", ":01800000413E\n" + kEnd, "A"},
      {"lengths 3 and 0", ":0300000041424337\n:0000000000\n" + kEnd, "ABC"},
      {"other record types add nothing",
       ":020000040001F9\n:0100000041BE\n:0400000500001234B1\n" + kEnd, "A"},
  };
  for (const Case& c : cases) {
    const Outcome out = Read(c.text);
    EXPECT_EQ(out.end, HexReadEnd::EndRecord) << c.what;
    EXPECT_EQ(out.bytes, c.bytes) << c.what;
    EXPECT_TRUE(out.messages.empty()) << c.what << ": " << out.messages.front();
  }
}

TEST(HexParser, BadChecksumsAreReportedInOrderAndTheDataKept) {
  const Outcome out = Read(
      ":0100000041BF\n:0100000042BD\n:0100000043BC\n:010000004400\n"
      ":0100000045BA\n:0100000046BA\n:02000004000000\n");
  EXPECT_EQ(out.end, HexReadEnd::EndOfInput);
  EXPECT_EQ(out.bytes, "ABCDEF");
  EXPECT_EQ(out.messages, (std::vector<std::string>{
                              "Bad checksum!! Hex = BF - Calculated = BE",
                              "Bad checksum!! Hex = 0 - Calculated = BB",
                              "Bad checksum!! Hex = BA - Calculated = B9",
                              "Bad checksum!! Hex = 0 - Calculated = FA",
                              kBadFormed,
                          }));
}

TEST(HexParser, CutOffRecordsEndTheReadingKeepingCompleteRecords) {
  for (const std::string tail :
       {"", ":", ":01000000", ":0100000041", ":0100000041B", ":10000000FF"}) {
    const Outcome out = Read(":0100000041BE\r\n" + tail);
    EXPECT_EQ(out.end, HexReadEnd::EndOfInput) << tail;
    EXPECT_EQ(out.bytes, "A") << tail;
    EXPECT_EQ(out.messages, std::vector<std::string>{kBadFormed}) << tail;
  }
  EXPECT_EQ(Read("").messages, std::vector<std::string>{kBadFormed});
  EXPECT_EQ(Read(":00000001F").messages, std::vector<std::string>{kBadFormed});
}

TEST(HexParser, AFailedWriteStopsBeforeTheNextMessage) {
  // Data waiting in the buffer is written before a message is shown, so a
  // failing output is noticed before the bad record after it is reported.
  MemorySink failing;
  failing.writes_left = 0;
  const Outcome out = Read(":0100000041BE\n:0100000042BC\n" + kEnd, failing);
  EXPECT_EQ(out.end, HexReadEnd::WriteFailed);
  EXPECT_TRUE(out.messages.empty());

  // Large inputs reach the sink in more than one block, all of it in order.
  std::string text;
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    text += ":0100000041BE\r\n:0100000042BD\r\n";
    expected += "AB";
  }
  EXPECT_EQ(Read(text + kEnd).bytes, expected);
}

}  // namespace
