#include "ImageIdentity.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <random>

#include "RomListLines.h"
#include "TestFiles.h"

// Failures name the findings.
std::ostream& operator<<(std::ostream& out, const Finding& finding) {
  return out << findingKindName(finding.kind) << ": " << findingText(finding);
}

namespace {

using Findings = std::vector<Finding>;

Finding repeats(const Bytes& part, std::size_t copies) {
  return {.kind = FindingKind::Repeats,
          .partSize = part.size(),
          .copies = copies,
          .part = hashBytes(part)};
}
Finding addressLine(int line) {
  return {.kind = FindingKind::AddressLine, .line = line};
}
Finding dataBit(int bit, std::uint8_t value) {
  return {.kind = FindingKind::DataBit, .bit = bit, .value = value};
}

Bytes copiesOf(const Bytes& part, std::size_t copies) {
  Bytes image;
  for (std::size_t i = 0; i < copies; ++i) image.insert(image.end(), part.begin(), part.end());
  return image;
}

Bytes randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

MemoryImage imageOf(const Bytes& bytes) {
  MemoryImage image(static_cast<std::int32_t>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), image.data());
  return image;
}

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  if (pipe != nullptr) ::pclose(pipe);
  return output;
}

// The ROM images a Debian package ships in `folder`.
std::vector<std::string> firmwareImages(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.is_regular_file() &&
        (entry.path().extension() == ".bin" || entry.path().extension() == ".rom"))
      files.push_back(entry.path());
  return files;
}

// A real ROM of a chip's size (a power of two) to make faulty dumps of.
constexpr const char* kNoRealRom = "no seabios bios.bin, qemu sgabios.bin or qboot.rom";
Bytes realRom() {
  for (const char* path : {"/usr/share/seabios/bios.bin", "/usr/share/qemu/sgabios.bin",
                           "/usr/share/qemu/qboot.rom"}) {
    auto bytes = readFile<Bytes>(path);
    if (!bytes.empty() && std::has_single_bit(bytes.size())) return bytes;
  }
  return {};
}

}  // namespace

TEST(ImageHashes, MatchSha1sumAndGzipsCrcOnTheSameFiles) {
  TempFolder folder;
  std::vector<std::string> files = firmwareImages("/usr/share/seabios");
  for (const auto& [name, bytes] : {std::pair<std::string, Bytes>{"empty.bin", {}},
                                    {"one.bin", {0x00}},
                                    {"random.bin", randomBytes(1 << 20, 7)}})
    writeFile(files.emplace_back(folder.filePath(name)), bytes);

  for (const std::string& path : files) {
    const ImageHashes hashes = hashBytes(readFile<Bytes>(path));
    EXPECT_EQ(hashes.sha1, commandOutput("sha1sum '" + path + "'").substr(0, 40)) << path;
    // gzip's trailer: the CRC32, then the size, both little-endian.
    const std::string trailer = commandOutput("gzip -c '" + path + "' | tail -c 8");
    ASSERT_EQ(trailer.size(), 8U) << path;
    char crc[9];
    std::snprintf(crc, sizeof crc, "%02x%02x%02x%02x", static_cast<std::uint8_t>(trailer[3]),
                  static_cast<std::uint8_t>(trailer[2]), static_cast<std::uint8_t>(trailer[1]),
                  static_cast<std::uint8_t>(trailer[0]));
    EXPECT_EQ(hashes.crc32, crc) << path;
  }
}

TEST(ImageIdentity, GivesSizeTheWindowsCheckSumHashesAndFindings) {
  const ImageIdentity blank2716 = identifyImage(imageOf(Bytes(2048, 0xFF)));
  EXPECT_EQ(blank2716.size, 2048U);
  EXPECT_EQ(blank2716.checkSum, 0x7F800U);
  EXPECT_EQ(blank2716.checkSumText, "CheckSum = 7F800");
  EXPECT_EQ(blank2716.hashes, hashBytes(Bytes(2048, 0xFF)));
  EXPECT_EQ(blank2716.findings, Findings{{.kind = FindingKind::AllFf}});

  const ImageIdentity empty = identifyImage(MemoryImage());
  EXPECT_EQ(empty.checkSumText, "CheckSum = 0");
  EXPECT_EQ(empty.hashes, (ImageHashes{"00000000", "da39a3ee5e6b4b0d3255bfef95601890afd80709"}));
  EXPECT_EQ(empty.findings, Findings{});

  // Past the size whose sum 32 bits hold there is no sum rather than a wrong one.
  Bytes ones(kLargestSummedSize, 0xFF);
  EXPECT_EQ(identifyImage(imageOf(ones)).checkSum, 0xFFFFFFFFU);
  ones.push_back(0xFF);
  const ImageIdentity large = identifyImage(imageOf(ones));
  EXPECT_EQ(large.size, kLargestSummedSize + 1);
  EXPECT_FALSE(large.checkSum.has_value());
  EXPECT_EQ(large.checkSumText, "");
}

// A Debian package and the folder where it puts its ROM images.
class RealFirmware : public testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(RealFirmware, GivesNoFinding) {
  const auto& [package, folder] = GetParam();
  const auto files = firmwareImages(folder);
  if (files.empty()) GTEST_SKIP() << "no ROM images in " << folder << " (Debian " << package << ")";
  for (const auto& path : files) EXPECT_EQ(checkImage(readFile<Bytes>(path)), Findings{}) << path;
}

INSTANTIATE_TEST_SUITE_P(DebianPackages, RealFirmware,
                         testing::Values(std::tuple{"seabios", "/usr/share/seabios"},
                                         std::tuple{"qemu-system-data", "/usr/share/qemu"},
                                         std::tuple{"ipxe-qemu", "/usr/lib/ipxe/qemu"}),
                         [](const testing::TestParamInfo<RealFirmware::ParamType>& test) {
                           std::string name = std::get<0>(test.param);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(ImageFindings, NoneOnRandomDataOfEveryChipSizeAndOddSizes) {
  for (const std::size_t size : {2U, 3U, 100U, 2048U, 4096U, 8192U, 16384U, 32768U, 65536U, 131072U,
                                 262144U, 524288U, 1048576U, 3U << 12})
    EXPECT_EQ(checkImage(randomBytes(size, static_cast<unsigned>(size))), Findings{}) << size;
}

TEST(ImageFindings, BlankAndAllSameStandAlone) {
  EXPECT_EQ(checkImage(Bytes(32768, 0xFF)), Findings{{.kind = FindingKind::AllFf}});
  EXPECT_EQ(checkImage(Bytes(1, 0xFF)), Findings{{.kind = FindingKind::AllFf}});
  EXPECT_EQ(checkImage(Bytes(3000, 0x5A)),
            (Findings{{.kind = FindingKind::AllSame, .value = 0x5A}}));
  // One byte different is a dump like any other.
  Bytes nearlyBlank(32768, 0xFF);
  nearlyBlank[32767] = 0xFE;
  EXPECT_EQ(checkImage(nearlyBlank), Findings{});
}

TEST(ImageFindings, ARomRepeatedIsItsCopiesWithTheRomsHashes) {
  const Bytes rom = realRom();
  if (rom.empty()) GTEST_SKIP() << kNoRealRom;
  // The top lines, which only step whole copies, are not given again as address lines.
  for (const std::size_t copies : {2U, 4U, 8U})
    EXPECT_EQ(checkImage(copiesOf(rom, copies)), Findings{repeats(rom, copies)}) << copies;
  // Three copies are no chip's and no line's doing; six are two of three.
  const Bytes part = randomBytes(1000, 3);
  EXPECT_EQ(checkImage(copiesOf(part, 3)), Findings{});
  EXPECT_EQ(checkImage(copiesOf(part, 6)), Findings{repeats(copiesOf(part, 3), 2)});
}

TEST(ImageFindings, AnOpenAddressLineMakesNoDifference) {
  const Bytes rom = realRom();
  if (rom.empty()) GTEST_SKIP() << kNoRealRom;
  const auto opened = [&](std::size_t lines) {  // location a reads a with `lines` cleared
    Bytes image(rom.size());
    for (std::size_t a = 0; a < rom.size(); ++a) image[a] = rom[a & ~lines];
    return image;
  };
  const int top = std::countr_zero(rom.size()) - 1;
  for (const int line : {0, 1, 7, top - 1})
    EXPECT_EQ(checkImage(opened(std::size_t{1} << line)), Findings{addressLine(line)}) << line;
  EXPECT_EQ(checkImage(opened(0x21)), (Findings{addressLine(0), addressLine(5)}));
  // The top line open is a repeat of the lower half.
  const Bytes topAndA0 = opened(std::size_t{1} << top | 1);
  const Bytes half(topAndA0.begin(), topAndA0.begin() + std::ssize(topAndA0) / 2);
  EXPECT_EQ(checkImage(topAndA0), (Findings{repeats(half, 2), addressLine(0)}));
}

TEST(ImageFindings, AddressLinesOnSizesThatAreNoPowerOfTwo) {
  // 48 bytes of "xy": 8 copies of 6 bytes, for 24 copies are no power of two.
  // Lines A1 to A3 step 2, 4 and 8 bytes, no whole number of parts: the
  // repeat does not say them, so they are given.
  const Bytes xy = copiesOf({0x12, 0x34}, 24);
  EXPECT_EQ(checkImage(xy), (Findings{repeats(copiesOf({0x12, 0x34}, 3), 8), addressLine(1),
                                      addressLine(2), addressLine(3)}));
  // An odd size has no line whose every location has a partner.
  Bytes odd = randomBytes(4097, 11);
  for (std::size_t a = 0; a < odd.size(); ++a) odd[a] = odd[a & ~std::size_t{1}];
  EXPECT_EQ(checkImage(odd), Findings{});
}

TEST(ImageFindings, AStuckDataBitInAnImageOfSixteenValuesOrMore) {
  const Bytes rom = realRom();
  if (rom.empty()) GTEST_SKIP() << kNoRealRom;
  Bytes stuck = rom;
  for (std::uint8_t& byte : stuck) byte = static_cast<std::uint8_t>((byte | 0x80) & ~0x01);
  EXPECT_EQ(checkImage(stuck), (Findings{dataBit(0, 0), dataBit(7, 1)}));

  // 7-bit bytes; 16 values where only bit 7 never changes; 15 are too few to tell.
  Bytes text = randomBytes(4096, 13);
  for (std::uint8_t& byte : text) byte &= 0x7F;
  EXPECT_EQ(checkImage(text), Findings{dataBit(7, 0)});
  constexpr std::uint8_t kSixteen[] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40,
                                       0x03, 0x05, 0x06, 0x09, 0x0A, 0x11, 0x12, 0x7F};
  Bytes values = randomBytes(4096, 17);
  for (std::uint8_t& byte : values) byte = kSixteen[byte % 16];
  EXPECT_EQ(checkImage(values), Findings{dataBit(7, 0)});
  std::replace(values.begin(), values.end(), std::uint8_t{0x7F}, std::uint8_t{0x00});
  EXPECT_EQ(checkImage(values), Findings{});
}

TEST(ImageFindings, TakeNextToNothingOnTheLargestChip) {
  // Two halves of one value each: 19 of the 20 lines make no difference, so
  // each is checked over the whole image.
  Bytes image(1 << 20, 0x00);
  std::fill(image.begin() + (1 << 19), image.end(), 0xC3);
  const auto start = std::chrono::steady_clock::now();
  const ImageIdentity identity = identifyImage(imageOf(image));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  ASSERT_EQ(identity.findings.size(), 19U);
  EXPECT_EQ(identity.findings.back(), addressLine(18));
}

TEST(ImageFindings, KindNamesAndTheRepeatsLine) {
  std::vector<std::string> names;
  for (const auto kind : {FindingKind::AllFf, FindingKind::AllSame, FindingKind::Repeats,
                          FindingKind::AddressLine, FindingKind::DataBit})
    names.emplace_back(findingKindName(kind));
  EXPECT_EQ(names, (std::vector<std::string>{"all-ff", "all-same", "repeats", "address-line",
                                             "data-bit"}));
  EXPECT_EQ(findingText({.kind = FindingKind::Repeats,
                         .partSize = 8192,
                         .copies = 4,
                         .part = {"1a2b3c4d", "ab12"}}),
            "4 copies of the first 8192 bytes (CRC32 1a2b3c4d, SHA-1 ab12): the chip may be "
            "smaller than the type chosen, or an address line is not connected");
}

TEST(RomListLines, MameAndDatLinesNameTheFileInItsSet) {
  const ImageHashes hashes{"1a2b3c4d", "0123456789abcdef0123456789abcdef01234567"};
  EXPECT_EQ(mameRomLoadLine("dumps/pacman/pm1.bin", 32768, hashes),
            "ROM_LOAD( \"pm1.bin\", 0x000000, 0x008000, CRC(1a2b3c4d) "
            "SHA1(0123456789abcdef0123456789abcdef01234567) )");
  EXPECT_EQ(datRomLine("dumps/pacman/pm1.bin", 32768, hashes),
            "<rom name=\"pm1.bin\" size=\"32768\" crc=\"1a2b3c4d\" "
            "sha1=\"0123456789abcdef0123456789abcdef01234567\"/>");
  EXPECT_EQ(mameRomLoadLine("big.bin", 0x1000000, hashes).substr(0, 41),
            "ROM_LOAD( \"big.bin\", 0x000000, 0x1000000,");
}

TEST(RomListLines, NamesAreEscapedForCAndForXml) {
  const ImageHashes hashes{"00000000", "da39a3ee5e6b4b0d3255bfef95601890afd80709"};
  const auto mameName = [&](std::string_view path) {
    const std::string line = mameRomLoadLine(path, 1, hashes);
    return line.substr(10, line.find(", 0x") - 10);
  };
  EXPECT_EQ(mameName("a\"b\\c.bin"), R"("a\"b\\c.bin")");
  EXPECT_EQ(mameName("t\x01\n.bin"), R"("t\001\012.bin")");
  EXPECT_EQ(mameName("é.bin"), "\"é.bin\"");

  const auto datName = [&](std::string_view path) {
    const std::string line = datRomLine(path, 1, hashes);
    return line.substr(11, line.find("\" size=") - 11);
  };
  EXPECT_EQ(datName("a&b<c>d\"e'f.bin"), "a&amp;b&lt;c&gt;d&quot;e&apos;f.bin");
  EXPECT_EQ(datName("tab\tline\ncr\r\x01.bin"), "tab&#9;line&#10;cr&#13;\xEF\xBF\xBD.bin");
  // UTF-8 stays; bytes that are no UTF-8 (Latin-1, a cut sequence, an
  // overlong form, a surrogate, U+FFFF) become one U+FFFD each.
  EXPECT_EQ(datName("Mötley 日本 🎮.bin"), "Mötley 日本 🎮.bin");
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(datName("M\xF6tley \xE6\x97 \xC0\xAF \xED\xA0\x80 \xEF\xBF\xBF"),
            "M" + r + "tley " + r + r + " " + r + r + " " + r + r + r + " " + r + r + r);
}
