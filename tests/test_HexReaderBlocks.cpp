// The block-by-block HEX reader against the whole-file reader it replaced:
// on generated texts, with every block size that matters, records cut by a
// block's end at every position, sinks that fail, and sources that do.
#include <gtest/gtest.h>

#include <random>

#include "HexBlocks.h"
#include "HexParser.h"
#include "MemoryStreams.h"
#include "WholeFileHexReader.h"

namespace {

const std::uint8_t* bytesOf(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

using Reading = std::pair<HexReadEnd, std::string>;  // how it ended, and its log

Reading readWhole(const std::string& text, std::size_t sinkCapacity = SIZE_MAX) {
  ReadingLog log(sinkCapacity);
  return {readWholeHexText(bytesOf(text), text.size(), log, log), log.log()};
}

Reading readInBlocks(const std::string& text, std::size_t block, std::size_t piece = SIZE_MAX,
                     std::size_t sinkCapacity = SIZE_MAX, std::size_t failAt = SIZE_MAX) {
  ReadingLog log(sinkCapacity);
  MemorySource source(bytesOf(text), text.size(), piece, failAt);
  return {readHexRecords(source, text.size(), log, log, block), log.log()};
}
// HEX text as files come: mostly full data records, with every other kind of
// record, bad checksums, lower case, stray characters, different line ends,
// with or without an end record, cut off or not.
class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : random_(seed) {}

  std::string make(int records) {
    std::string text = chance(10) ? pick({"\r\n", "\xEF\xBB\xBF", "junk"}) : "";
    for (int i = 0; i < records; ++i) text += record() + separator();
    if (chance(70)) text += record(0, 0x01) + separator() + (chance(20) ? record() : "");
    if (chance(20)) text.resize(random_() % (text.size() + 1));
    return text;
  }

  std::string record() {
    static constexpr unsigned kTypes[] = {0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0x04, 0x05, 0x7E};
    const unsigned length =
        chance(80)
            ? 16
            : pick<unsigned>({0, 1, 2, 3, 15, 17, 32, 255, static_cast<unsigned>(random_() % 256)});
    return record(length, kTypes[random_() % std::size(kTypes)]);
  }

  std::string record(unsigned length, unsigned type) {
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(random_()),
        static_cast<std::uint8_t>(random_() & 0xF0), static_cast<std::uint8_t>(type)};
    for (unsigned i = 0; i < length; ++i) bytes.push_back(static_cast<std::uint8_t>(random_()));
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    if (chance(5)) bytes.back() ^= static_cast<std::uint8_t>(1 + random_() % 255);
    std::string text = ":";
    const char* digits = chance(10) ? "0123456789abcdef" : "0123456789ABCDEF";
    for (std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 0xF]};
    if (chance(3)) text[1 + random_() % (text.size() - 1)] = pick({'g', 'G', ' ', '\x80', '\xFF'});
    return text;
  }

 private:
  std::string separator() {
    if (chance(5)) return std::string(random_() % 700, pick({' ', 'x', '\n'}));
    return pick({"\r\n", "\r\n", "\n", "", " ;\t\r\n"});
  }
  bool chance(unsigned percent) { return random_() % 100 < percent; }
  template <class T>
  T pick(std::initializer_list<T> choices) {
    return choices.begin()[random_() % choices.size()];
  }

  std::mt19937 random_;
};

TEST(HexReaderBlocks, ReadsGeneratedTextsAsTheWholeFileReaderDoes) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const std::string text = TextMaker(seed).make(seed % 40);
    const Reading expected = readWhole(text);
    for (std::size_t block : {1, 2, 3, 11, 44, 45, 46, 520, 521, 522, 4096})
      EXPECT_EQ(readInBlocks(text, block), expected) << "seed " << seed << ", block " << block;
    // A source may hand out less than a block at a time.
    EXPECT_EQ(readInBlocks(text, 100, 7), expected) << "seed " << seed;
  }
}

TEST(HexReaderBlocks, RecordsCutByABlockEndAtEveryPosition) {
  // The block end walks through a full record, one of 255 bytes (longer than
  // a block of 64), a bad checksum and the end record; and the same text cut short.
  TextMaker maker(7);
  std::string records = maker.record(16, 0) + "\r\n" + maker.record(255, 0) + "\n" +
                        maker.record(3, 4) + maker.record(16, 0) + "\r\n";
  records[records.size() - 4] ^= 1;  // the last record's checksum
  records += maker.record(0, 1) + "\r\n";
  for (std::size_t shift = 0; shift < 600; ++shift) {
    const std::string text = std::string(shift, '\n') + records;
    for (const std::string& t : {text, text.substr(0, text.size() - 1 - shift % 40)})
      for (std::size_t block : {64, 600})
        EXPECT_EQ(readInBlocks(t, block), readWhole(t)) << block << ", shift " << shift;
  }
}

TEST(HexReaderBlocks, ASinkThatFailsStopsTheReadingAtTheSamePlace) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    const std::string text = TextMaker(seed).make(60);
    for (std::size_t capacity : {0, 1, 16, 100, 500})
      EXPECT_EQ(readInBlocks(text, 64, 64, capacity), readWhole(text, capacity)) << seed;
  }
  // Past 512 KiB of text the data go out in blocks of 256 KiB, also in between messages.
  std::string big;
  TextMaker maker(3);
  while (big.size() < 3'000'000) big += maker.record(16, 0) + "\r\n";
  for (std::size_t capacity : {SIZE_MAX, std::size_t{300'000}})
    EXPECT_EQ(readInBlocks(big, 65536, 65536, capacity), readWhole(big, capacity)) << capacity;
}

TEST(HexReaderBlocks, AFailedReadHandsOutTheRecordsBeforeItAndSaysNothing) {
  // Not an end of input: no "bad formed" warning, and the caller learns of it.
  const std::string warning = "message: Warning: Hex file bad formed, end of record not found\n";
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const std::string text = TextMaker(seed).make(30) + ":00000001FF\r\n";
    for (std::size_t failAt : {std::size_t{0}, std::size_t{50}, text.size() / 2}) {
      auto [end, log] = readWhole(text.substr(0, failAt));
      if (end == HexReadEnd::EndRecord) continue;  // the end came before the failure
      ASSERT_TRUE(log.ends_with(warning));
      log.resize(log.size() - warning.size());
      EXPECT_EQ(readInBlocks(text, 64, SIZE_MAX, SIZE_MAX, failAt),
                Reading(HexReadEnd::ReadFailed, log))
          << seed;
    }
  }
}

TEST(HexReaderBlocks, SixteenBytesAtOnceDecodeAndEncodeAsOneAtATime) {
  // Every character in every position of the block decodes as the table
  // says, stray characters included; every byte value encodes the same.
  std::string chars(32, '0');
  for (unsigned c = 0; c < 256; ++c) {
    for (std::size_t at = 0; at < 32; ++at) {
      chars[at] = static_cast<char>(c);
      std::uint8_t fast[16], plain[16];
      EXPECT_EQ(decodeHexPairs16(bytesOf(chars), fast),
                decodeHexPairs16Portable(bytesOf(chars), plain));
      EXPECT_TRUE(std::equal(fast, fast + 16, plain)) << c << " at " << at;
      chars[at] = "0123456789abcdefABCDEF"[(c + at) % 22];
    }
  }
  std::uint8_t bytes[16];
  for (unsigned v = 0; v < 256; ++v) {
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<std::uint8_t>(v + 17 * i);
    char fast[32], plain[32];
    EXPECT_EQ(encodeHexPairs16(bytes, fast), encodeHexPairs16Portable(bytes, plain));
    EXPECT_EQ(std::string(fast, 32), std::string(plain, 32)) << v;
  }
}

}  // namespace
