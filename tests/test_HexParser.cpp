#include "HexParser.h"

#include "ConverterTestSupport.h"
#include "MemoryStreams.h"

namespace {

using Strings = std::vector<std::string>;
using Outcome = std::tuple<HexReadEnd, std::string, Strings>;  // the end, bytes and messages

// The reading of `text`, into a sink that takes every byte or none.
Outcome read(const std::string& text, bool failingSink = false) {
  struct : ByteSink, RecordedMessages {
    std::string bytes;
    bool fail = false;
    bool write(const std::uint8_t* data, std::size_t size) override {
      bytes.append(reinterpret_cast<const char*>(data), size);
      return !fail;
    }
  } out;
  out.fail = failingSink;
  MemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const HexReadEnd end = readHexRecords(source, text.size(), out, out);
  return {end, out.bytes, out.shown};
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
  for (const Case& c : cases)
    EXPECT_EQ(read(c.text), Outcome(HexReadEnd::EndRecord, c.bytes, {})) << c.what;
}

TEST(HexParser, BadChecksumsAreReportedInOrderAndTheDataKept) {
  EXPECT_EQ(read(":0100000041BF\n:0100000042BD\n:010000004300\n:02000004000000\n"),
            Outcome(HexReadEnd::EndOfInput, "ABC",
                    {"Bad checksum!! Hex = BF - Calculated = BE",
                     "Bad checksum!! Hex = 0 - Calculated = BC",
                     "Bad checksum!! Hex = 0 - Calculated = FA", kBadFormed}));
}

TEST(HexParser, CutOffRecordsEndTheReadingKeepingCompleteRecords) {
  for (const std::string tail :
       {"", ":", ":01000000", ":0100000041", ":0100000041B", ":10000000FF"})
    EXPECT_EQ(read(":0100000041BE\r\n" + tail), Outcome(HexReadEnd::EndOfInput, "A", {kBadFormed}))
        << tail;
  EXPECT_EQ(std::get<2>(read("")), Strings{kBadFormed});
}

TEST(HexParser, BufferedOutputIsWrittenBeforeEachMessage) {
  // So a failing output is noticed before the next bad record is reported.
  EXPECT_EQ(read(":0100000041BE\n:0100000042BC\n" + kEnd, true),
            Outcome(HexReadEnd::WriteFailed, "A", {}));
}

}  // namespace
