// Chip images from Intel HEX, S-records and raw binaries: recognised by
// content, read with their addresses, placed with offset and fill; srec_cat
// is the yardstick for generated files.
#include <algorithm>
#include <random>

#include "AsciiCase.h"
#include "FolderTest.h"
#include "ImageFileFormats.h"
#include "ImagePlacement.h"
#include "SrecCat.h"

namespace {

Expected<PlacedImage> place(const std::string& text, std::size_t size, std::int64_t offset = 0) {
  const auto* const bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  Expected<AddressedData> data =
      readAddressedData(bytes, text.size(), recognizeFormat(bytes, text.size()));
  if (!data) return Failure{data.error()};
  return placeData(*data, size, offset, 0xFF);
}

std::string errorOf(const std::string& text, std::size_t size = 0x10000, std::int64_t offset = 0) {
  const Expected<PlacedImage> placed = place(text, size, offset);
  return placed ? "no error" : placed.error();
}

// Intel HEX under extended linear (04) or segment (02) address records, or
// both in one file, and S-records of every width.
enum class Kind { LinearHex, SegmentHex, MixedHex, SRecords };

struct Generated {
  std::string text;
  std::size_t covered = 0;
};

// Data records of 1 to 40 random bytes (now and then up to 250) between
// `low` and `low + span`, with gaps, in random order, under the address
// records they need (and now and then new ones, of either kind in a mixed
// file); start-address records in HEX files; in S-records each data record
// as S1, S2 or S3 where its addresses fit, a header, a count record (S5 or
// S6) and an end record (S7, S8 or S9) or none; LF or CR LF.
Generated generate(Kind kind, std::uint32_t low, std::size_t span, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::pair<std::uint32_t, Bytes>> chunks;
  for (std::uint64_t at = low + random() % 64;;) {
    Bytes data(1 + (random() % 8 == 0 ? random() % 250 : random() % 40));
    if (at + data.size() > low + span) break;
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    chunks.emplace_back(static_cast<std::uint32_t>(at), data);
    at += data.size() + (random() % 4 == 0 ? random() % 700 : 0);
  }
  std::shuffle(chunks.begin(), chunks.end(), random);
  const auto b = [](std::uint32_t v) { return static_cast<std::uint8_t>(v); };
  Generated file;
  if (kind == Kind::SRecords && seed % 4 != 0)
    file.text = sRecord('0', 0, 2, {'r', 'o', 'm'}) + "\n";
  bool segmented = kind == Kind::SegmentHex;
  std::uint32_t base = 0;  // the linear upper half, or the segment
  std::size_t records = 0;
  for (const auto& [address, data] : chunks) {
    const auto size = static_cast<std::uint32_t>(data.size());
    if (kind == Kind::SRecords) {
      const std::uint64_t end = std::uint64_t{address} + size;
      const char type = end <= 0x10000 && random() % 3 == 0     ? '1'
                        : end <= 0x1000000 && random() % 2 == 0 ? '2'
                                                                : '3';
      file.text += sRecord(type, address, type - '0' + 1, data);
    } else {
      const bool fits = segmented ? address >= base * 16 && address + size - base * 16 <= 0x10000
                                  : address >> 16 == base;
      if (!fits || random() % 20 == 0) {
        if (kind == Kind::MixedHex) segmented = random() % 2 == 0;
        if (segmented) {
          base = (address >> 4) - std::min<std::uint32_t>(address >> 4, random() % 0x800);
          file.text += ihexRecord(2, 0, {b(base >> 8), b(base)}) + "\n";
        } else {
          base = address >> 16;
          file.text += ihexRecord(4, 0, {b(base >> 8), b(base)}) + "\n";
        }
      }
      file.text += ihexRecord(
          0, static_cast<std::uint16_t>(address - (segmented ? base * 16 : base << 16)), data);
    }
    file.text += random() % 2 ? "\n" : "\r\n";
    file.covered += size;
    ++records;
    // A start address of the kind the file's addresses are (srec_cat takes
    // a 03 record to make the data records after it segmented, and a 05
    // one linear, which the start records do not say).
    if (kind != Kind::SRecords && random() % 50 == 0)
      file.text += ihexRecord(segmented ? 3 : 5, 0, {1, 2, 3, 4}) + "\n";
  }
  if (kind == Kind::SRecords) {
    const auto count = static_cast<std::uint32_t>(records);
    if (seed % 3 != 0)
      file.text += (seed % 2 ? sRecord('5', count, 2, {}) : sRecord('6', count, 3, {})) + "\n";
    if (seed % 5 != 0)
      file.text += sRecord("789"[seed % 3], 0, 4 - static_cast<int>(seed % 3), {}) + "\n";
  } else {
    file.text += ":00000001FF\r\n";
  }
  return file;
}

// As real tools' files can be: a byte-order mark and blank lines first,
// blanks after the records, lower-case digits, a Ctrl+Z at the end.
std::string decorated(const std::string& text) {
  std::string out = "\xEF\xBB\xBF\r\n \n";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') out += " \t";
    while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) out += text[i++];
    if (i == text.size()) break;
    out += text[i] == 'S' ? 'S' : asciiLower(text[i]);
  }
  return out + "\x1A";
}

// A generated file: its kind, where its data lie (`span` bytes from
// `low`), the chip it is placed in and the offset that brings it there.
struct Case {
  Kind kind;
  std::uint32_t low;
  std::size_t span, size;
  std::int64_t offset;
  unsigned seed;
};

// Where a generated file's data start: anywhere its kind reaches, and
// across the boundaries where records change (64 KiB for the linear base,
// S1 to S2, S2 to S3), often.
std::uint32_t lowFor(Kind kind, std::size_t span, std::mt19937& random) {
  const auto under = [&](std::uint64_t limit) {  // a start whose data end below `limit`
    return static_cast<std::uint32_t>(random() % (limit - span));
  };
  const auto across = [&](std::uint64_t boundary) {
    return static_cast<std::uint32_t>(boundary - 1 - random() % (span - 1));
  };
  const unsigned choice = random() % 4;
  switch (kind) {
    case Kind::LinearHex:
      return choice == 0   ? under(0x10000)
             : choice == 1 ? under(0x100000000)
                           : across(0x10000 * (1 + random() % 0xFFFF));
    case Kind::SegmentHex:
    case Kind::MixedHex:  // segments reach 1 MiB
      return choice < 2 ? under(0xF0000) : across(0x10000 * (1 + random() % 14));
    case Kind::SRecords:
      break;
  }
  if (choice == 3)
    return static_cast<std::uint32_t>(0x100000000 - span - random() % 256);  // the top
  return choice == 0 ? under(0x100000000)
                     : across(std::uint64_t{1} << (8 + 8 * choice));  // 64K, 16M
}

// Generated files of every kind, a few thousand of them, each in a chip of
// 2 to 16 KiB at an offset that brings its data there, and a few bigger.
std::vector<Case> generatedCases() {
  std::vector<Case> cases;
  const Case fixed[] = {
      {Kind::LinearHex, 0, 0x7000, 0x8000, 0x1000, 0},
      {Kind::LinearHex, 0x1F000, 0x20000, 0x20000, -0x1F000, 0},  // across two 64 KiB boundaries
      {Kind::SegmentHex, 0xE000, 0x2000, 0x2000, -0xE000, 0},     // a ROM linked at E000h
      {Kind::SegmentHex, 0x40000, 0x40000, 0x40000, -0x40000, 0},
      {Kind::SRecords, 0, 0x10000, 0x10000, 0, 0},                 // S1, S2 and S3
      {Kind::SRecords, 0xFF8000, 0x10000, 0x10000, -0xFF8000, 0},  // S2 and S3 across 16 MiB
  };
  unsigned seed = 0;
  for (const Case& c : fixed) {
    for (int i = 0; i < 3; ++i) cases.push_back({c.kind, c.low, c.span, c.size, c.offset, ++seed});
  }
  std::mt19937 random(25);
  while (cases.size() < 3000) {
    const auto kind = static_cast<Kind>(random() % 4);
    const std::size_t size = std::size_t{0x800} << random() % 4;
    const std::size_t shift = random() % (size / 4);
    const std::uint32_t low = lowFor(kind, size - shift, random);
    cases.push_back({kind, low, size - shift, size,
                     static_cast<std::int64_t>(shift) - static_cast<std::int64_t>(low), ++seed});
  }
  return cases;
}

class AddressedFiles : public FolderTest {};

TEST_F(AddressedFiles, GeneratedFilesPlaceAsSrecCatPlacesThem) {
  const std::vector<Case> cases = generatedCases();
  constexpr std::size_t kBatch = 500;  // files for one run of srec_cat
  for (std::size_t first = 0; first < cases.size(); first += kBatch) {
    std::vector<Generated> files;
    std::vector<SrecCatInput> inputs;
    for (std::size_t i = first; i < std::min(first + kBatch, cases.size()); ++i) {
      const Case& c = cases[i];
      files.push_back(generate(c.kind, c.low, c.span, c.seed));
      inputs.push_back({filePath(std::to_string(i)),
                        c.kind == Kind::SRecords ? "-Motorola" : "-Intel", c.offset, c.size});
      writeFile(inputs.back().path, files.back().text);
    }
    const std::vector<Bytes> expected = srecCatImages(inputs, filePath("arguments"));
    ASSERT_EQ(expected.size(), files.size()) << "srec_cat refused files from " << first;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const SrecCatInput& input = inputs[i];
      for (const std::string& text : {files[i].text, decorated(files[i].text)}) {
        const Expected<PlacedImage> placed = place(text, input.size, input.offset);
        ASSERT_TRUE(placed) << input.path << ": " << placed.error();
        ASSERT_EQ(placed->bytes, expected[i]) << input.path;
        EXPECT_EQ(std::count(placed->covered.begin(), placed->covered.end(), true),
                  files[i].covered)
            << input.path;
      }
    }
  }
}

// srec_cat writes no end record for a binary, which has no start address:
// its files end on the count record, or on the last data record without one.
TEST_F(AddressedFiles, SRecordFilesWithoutAnEndRecordReadWhole) {
  Bytes binary(300);
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7);
  writeFile(filePath("rom.bin"), binary);
  for (const std::string options : {"", " -disable=data-count"}) {
    const Bytes srec = srecCatOutput("srec_cat " + filePath("rom.bin") +
                                     " -binary -offset 0xE000 -o - -motorola" + options);
    const std::string text(srec.begin(), srec.end());
    ASSERT_EQ(text.find("\nS9"), std::string::npos) << text;
    const Expected<PlacedImage> placed = place(text, 0x800, -0xE000);
    ASSERT_TRUE(placed) << placed.error();
    EXPECT_TRUE(std::equal(binary.begin(), binary.end(), placed->bytes.begin())) << options;
    EXPECT_EQ(std::count(placed->covered.begin(), placed->covered.end(), true), binary.size());
  }
}

TEST_F(AddressedFiles, SegmentAddressesWrapAtTheSegmentsEndAsSrecCatHasThem) {
  const std::string text = ihexRecord(2, 0, {0x10, 0x00}) + "\n" +
                           ihexRecord(0, 0xFFFE, {1, 2, 3, 4}) + "\n" +
                           ihexRecord(5, 0, {0, 0, 0, 0}) + "\n:00000001FF\n";
  writeFile(filePath("wrap.hex"), text);
  const Expected<PlacedImage> placed = place(text, 0x10000, -0x10000);
  ASSERT_TRUE(placed) << placed.error();
  EXPECT_EQ(placed->bytes, srecCatImage(filePath("wrap.hex"), "-Intel", -0x10000, 0x10000));
  EXPECT_EQ(placed->bytes[0xFFFF], 2);
  EXPECT_EQ(placed->bytes[0x0001], 4);
}

TEST(AddressedFileErrors, BrokenHexFilesNameTheLineAndWhatIsWrong) {
  const std::string one = ihexRecord(0, 0, {0x41}), full = ihexRecord(0, 0x20, Bytes(16, 7));
  const std::string end = ":00000001FF\n";
  const std::pair<std::string, std::string> cases[] = {
      {one + "\n:0100000041BF\n" + end,
       "line 2: bad checksum: the record says BFh, its bytes give BEh"},
      {one + "\r\n\r\n:01000000G1BE\r\n" + end, "line 3: 'G' in column 10 is not a hex digit"},
      {one + "\n:01000000" + std::string("\0", 1) + "1BE\n" + end,
       "line 2: the byte 0x00 in column 10 is not a hex digit"},
      {full.substr(0, 21) + "\n" + end,
       "line 1: the length field gives 16 data bytes, the record holds 5"},
      {full.substr(0, 20) + "\n" + end, "line 1: the record has an odd number of hex digits"},
      {full + "00\n" + end, "line 1: the length field gives 16 data bytes, the record holds 17"},
      {":0000\n" + end, "line 1: the record is cut short"},
      {ihexRecord(6, 0, {}) + "\n" + end, "line 1: unknown record type 06h"},
      {ihexRecord(4, 0, {1}) + "\n" + end, "line 1: an address record holds 2 bytes, this one 1"},
      {ihexRecord(1, 0, {1}) + "\n", "line 1: the end record holds data"},
      {one + "\nnotes\n" + end, "line 2: not an Intel HEX record (no ':' at its start)"},
      {end + "\n" + one + "\n", "line 3: data after the end record (line 1)"},
      {one + "\r\n" + one + "\r\n\r\n",
       "line 2: the file ends here without an end record (:00000001FF): it may be cut short"},
      {":-)\n", "line 1: '-' in column 2 is not a hex digit"},  // a text is HEX or nothing
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(errorOf(text), error) << text;
}

TEST(AddressedFileErrors, BrokenSRecordFilesNameTheLineAndWhatIsWrong) {
  const std::string header = sRecord('0', 0, 2, {'x'}) + "\n", one = sRecord('1', 0, 2, {0x41});
  const std::string end = "S9030000FC\n";
  const std::pair<std::string, std::string> cases[] = {
      {header + one.substr(0, 10) + "BC\n" + end,
       "line 2: bad checksum: the record says BCh, its bytes give BAh"},
      {header + "S4030000FC\n" + end, "line 2: unknown record type S4"},
      {header + "S105000041\n" + end,
       "line 2: the count field gives 5 bytes after it, the record holds 3"},
      {header + one + "\n" + one + "\n" + sRecord('5', 3, 2, {}) + "\n" + end,
       "line 4: the count record gives 3 data records, the file has 2 before it"},
      {header + sRecord('6', 0, 3, {1}) + "\n" + end, "line 2: the count record holds data"},
      {header + one + "\n" + sRecord('9', 0, 2, {1}) + "\n", "line 3: the end record holds data"},
      {end + one + "\n", "line 2: data after the end record (line 1)"},
      {header + "S1 boot\n" + end, "line 2: ' ' in column 3 is not a hex digit"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(errorOf(text), error) << text;
}

TEST(AddressedFileErrors, ConflictsAndDataOutsideTheChipNameTheAddress) {
  const std::string end = ":00000001FF\n";
  const std::pair<std::string, std::string> cases[] = {
      // The same value twice is fine; a different one is not.
      {ihexRecord(0, 0xE010, {1, 2, 3}) + "\n" + ihexRecord(0, 0xE011, {2}) + "\n" +
           ihexRecord(0, 0xE012, {9}) + "\n" + end,
       "line 3: address 0xE012 is given 09h here and 03h on line 1"},
      {ihexRecord(0, 0xD000, {1}) + "\n" + end,
       "line 1: address 0xD000 is outside the 2048-byte chip (0x0 to 0x7FF): with the offset "
       "-0xE000 it is location -0x1000; --offset -0xD000?"},
      {ihexRecord(0, 0xE7FE, {1, 2, 3}) + "\n" + end,
       "line 1: address 0xE800 is outside the 2048-byte chip (0x0 to 0x7FF): with the offset "
       "-0xE000 it is location 0x800; --offset -0xE7FE?"},
      {sRecord('3', 0xFFFFFFFF, 4, {1}) + "\n" + "S70500000000FA\n",
       "line 1: address 0xFFFFFFFF is outside the 2048-byte chip (0x0 to 0x7FF): with the offset "
       "-0xE000 it is location 0xFFFF1FFF; --offset -0xFFFFFFFF?"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(errorOf(text, 0x800, -0xE000), error) << text;
  EXPECT_EQ(errorOf(ihexRecord(0, 0x7FF, {1, 2}) + "\n" + end, 0x800),
            "line 1: address 0x800 is outside the 2048-byte chip (0x0 to 0x7FF): --offset -0x7FF?");
  // The offset that puts the lowest address at 0 is suggested only where the file then fits.
  EXPECT_EQ(
      errorOf(ihexRecord(0, 0xE000, {1}) + "\n" + ihexRecord(0, 0xE800, {2}) + "\n" + end, 0x800),
      "line 1: address 0xE000 is outside the 2048-byte chip (0x0 to 0x7FF)");
  // An offset no chip has does not overflow.
  EXPECT_NE(errorOf(sRecord('3', 0xFFFFFFFF, 4, {1}) + "\nS70500000000FA\n", 0x800, INT64_MAX),
            "no error");
}

TEST(Recognition, BinariesThatStartLikeRecordsStayBinaries) {
  const std::pair<std::string, ImageFileFormat> cases[] = {
      {std::string(":\x00\x80\xC3\x00\x01", 6), ImageFileFormat::Binary},  // LD A,(8000h) ...
      {std::string("S1\x00\x01\xFF\xFE", 6), ImageFileFormat::Binary},
      {"S10B3C notes\x80\n", ImageFileFormat::Binary},
      {"Hello\n", ImageFileFormat::Binary},
      {"\r\n\n", ImageFileFormat::Binary},
      {"", ImageFileFormat::Binary},
      {":0100000041BE" + std::string("\n\x00\x01", 3), ImageFileFormat::IntelHex},
      {":10", ImageFileFormat::IntelHex},  // a text cut short is a broken HEX file
      {"\n\nS1 boot loader\n", ImageFileFormat::SRecords},
      {"S00600004844521B\x80", ImageFileFormat::SRecords},
  };
  for (const auto& [text, format] : cases) {
    EXPECT_EQ(recognizeFormat(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
              format)
        << text;
  }
  EXPECT_EQ(formatForFileName("dump.IHX"), ImageFileFormat::IntelHex);
  EXPECT_EQ(formatForFileName("a/rom.s37"), ImageFileFormat::SRecords);
  EXPECT_EQ(formatForFileName("rom.mot.bin"), ImageFileFormat::Binary);
  EXPECT_EQ(formatForFileName("srec.d/rom"), ImageFileFormat::Binary);
}

TEST(Recognition, ATextThatIsNoRecordsIsRefusedUnlessItsNameSaysRawBinary) {
  const std::string zs(64, 'Z'), strings = "INSERT COIN\r\nGAME OVER\r\n";
  const std::tuple<std::string, std::string, std::optional<ImageFileFormat>> cases[] = {
      {"zz.bin", zs, ImageFileFormat::Binary},
      {"MESSAGES.ROM", strings, ImageFileFormat::Binary},
      {"dump.Bin",
       "Gr\xC3\xBC\xC3\x9F"
       "e\f",
       ImageFileFormat::Binary},
      {"zz.txt", zs, std::nullopt},
      {"zz", zs, std::nullopt},
      {"", zs, std::nullopt},  // standard input
      {"zz.bin.txt", zs, std::nullopt},
      {"roms.bin/zz", zs, std::nullopt},
      {"notes.txt",
       "Gr\xC3\xBC\xC3\x9F"
       "e\f",
       std::nullopt},
      // By content first: records under a raw binary's name, and a broken
      // HEX file, which its reader refuses.
      {"hex.bin", ":00000001FF\n", ImageFileFormat::IntelHex},
      {"s.rom", "S9030000FC\n", ImageFileFormat::SRecords},
      {"broken.bin", ":10 notes\n", ImageFileFormat::IntelHex},
      // Not text, or nothing at all.
      {"code.txt", std::string("A\x00\xFF", 3), ImageFileFormat::Binary},
      {"cut.txt", "Gr\xC3", ImageFileFormat::Binary},
      {"empty.txt", "", ImageFileFormat::Binary},
  };
  for (const auto& [name, text, format] : cases) {
    EXPECT_EQ(
        recognizeImageFile(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
        format)
        << name;
  }
}

TEST(Placement, ABinaryIsFilledOrCut) {
  const Bytes five = {1, 2, 3, 4, 5};
  AddressedData binary = *readAddressedData(five.data(), five.size(), ImageFileFormat::Binary);
  Expected<PlacedImage> placed = placeData(binary, 8, 0, 0x00);
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->bytes, (Bytes{1, 2, 3, 4, 5, 0, 0, 0}));
  EXPECT_EQ(placed->covered, (std::vector<bool>{1, 1, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(placeData(binary, 4, 0, 0xFF).error(),
            "address 0x4 is outside the 4-byte chip (0x0 to 0x3)");
  placed = placeData(binary, 4, 0, 0xFF, OutsideChip::LeaveOut);
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->bytes, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(placed->leftOut, 1u);
}

}  // namespace
