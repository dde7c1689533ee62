// The built vesk with the files users have: Intel HEX and S-records at their
// addresses, offset and fill, formats by content and by name, pipes, and
// the parts of a 16-bit board.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FileOptionValues.h"
#include "HexRows.h"
#include "ImageHashes.h"
#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// The pulse of every programming run here: the simulated chip must take it.
constexpr const char* kPulse = "1";

// Five bytes 01h..05h at 100h, and at E010h (a ROM linked at E000h).
const std::string kHex = ":050100000102030405EB\r\n:00000001FF\r\n";
const std::string kSRecords = "S108E0100102030405F8\nS903E0001C\n";
const Bytes kFive = {1, 2, 3, 4, 5};

// The command on a 2716 kept in chip.bin, with `options`.
std::vector<std::string> on2716(std::vector<std::string> command,
                                std::vector<std::string> options = {}) {
  for (const char* option : {"-t", "2716", "--pulse", kPulse, "--simulate=chip.bin"})
    options.push_back(option);
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

// A 2716's image of `fill` with `data` at `location`.
Bytes imageWith(std::uint8_t fill, std::size_t location, const Bytes& data) {
  Bytes image(2048, fill);
  std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(location));
  return image;
}

Bytes bytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}

TEST_F(VeskProgram, WriteAndVerifyPlaceEachFormatAtItsAddressesAndFillTheRestWithFf) {
  struct Case {
    std::string file, content;
    std::vector<std::string> options;
    Bytes image;
  };
  const Case cases[] = {
      {"a.hex", kHex, {}, imageWith(0xFF, 0x100, kFive)},
      {"e.s19", kSRecords, {"--offset", "-0xE000"}, imageWith(0xFF, 0x10, kFive)},
      {"a.hex", kHex, {"--offset", "0x10", "--fill", "0"}, imageWith(0x00, 0x110, kFive)},
      {"-", kSRecords, {"--offset=-57344"}, imageWith(0xFF, 0x10, kFive)},  // standard input
      {"five.bin", std::string(kFive.begin(), kFive.end()), {}, imageWith(0xFF, 0, kFive)}};
  for (const auto& [file, content, options, image] : cases) {
    const std::string input = file == "-" ? path("piped") : path(file);
    writeFile(input, content);
    std::filesystem::remove(path("chip.bin"));
    for (const char* command : {"write", "verify"}) {
      const auto [status, errors, output] =
          run(on2716({command, file}, options), {.inputFile = input});
      // The locations that hold FFh already are stepped over.
      const auto pulsed = 2048 - std::ranges::count(image, 0xFF);
      const auto first = std::ranges::find_if(image, [](std::uint8_t b) { return b != 0xFF; });
      const std::string stepped =
          pulsed < 2048 ? "Stepped over: " + std::to_string(2048 - pulsed) + " locations\n" : "";
      const std::string pulses =
          command == std::string("write")
              ? "1 pulse: " + std::to_string(pulsed) + " locations\n" + stepped +
                    "Most pulses: 1, at " +
                    Address_To_Hex_String(static_cast<std::int32_t>(first - image.begin())) + "\n"
              : "";
      EXPECT_EQ(status, 0) << command << " " << file << errors;
      EXPECT_EQ(output, pulses) << command << " " << file;
    }
    EXPECT_EQ(chip(), chipHolding(image)) << file;
  }
  // A raw binary that does not fill the chip is still said to be smaller, with both sizes.
  EXPECT_THAT(std::get<1>(run(on2716({"verify", "five.bin"}))),
              StartsWith("Open: five.bin is 5 bytes, smaller than the 2048-byte chip\n"));
}

TEST_F(VeskProgram, VerifyComparesOnlyTheLocationsTheFileGivesUnlessFillIsGiven) {
  Bytes held = pattern(2048);  // never FFh
  std::copy(kFive.begin(), kFive.end(), held.begin() + 0x100);
  writeFile(path("chip.bin"), chipHolding(held));
  writeFile(path("a.hex"), kHex);
  writeFile(path("head.bin"), Bytes(held.begin(), held.begin() + 16));
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {on2716({"verify", "a.hex"}), 0, ""},
      {on2716({"verify", "head.bin"}), 0, ""},
      {on2716({"verify", "a.hex"}, {"--fill", "FFh"}), 1, "2043 bytes differ"},
      {on2716({"verify", "head.bin"}, {"--fill", "255"}), 1, "2032 bytes differ"},
      // The HEX text itself, its 36 bytes taken as they are.
      {on2716({"verify", "a.hex"}, {"--format", "bin"}), 1, "36 bytes differ"}};
  for (const auto& [arguments, status, output] : cases) {
    const Result result = run(arguments);
    EXPECT_EQ(std::get<0>(result), status) << testing::PrintToString(arguments);
    EXPECT_THAT(std::get<2>(result), StartsWith(output));
  }
  EXPECT_THAT(std::get<1>(run(on2716({"verify", "a.hex"}))),
              HasSubstr("Verify: The Eprom matches a.hex (Intel HEX) at the 5 locations it gives"));
}

TEST_F(VeskProgram, ReadWritesTheFormatTheNameOrFormatSaysToAFileOrStandardOutput) {
  const Bytes held = pattern(2048);
  writeFile(path("chip.bin"), chipHolding(held));
  writeFile(path("out.bin"), "an older file, replaced");
  enum class Kind { Binary, Hex, SRecords };
  const std::tuple<std::string, std::vector<std::string>, Kind> cases[] = {
      {"out.bin", {}, Kind::Binary},   {"out.hex", {}, Kind::Hex},
      {"OUT.IHX", {}, Kind::Hex},      {"out.s19", {}, Kind::SRecords},
      {"out.mot", {}, Kind::SRecords}, {"as.bin", {"--format", "srec"}, Kind::SRecords},
      {"-", {}, Kind::Binary},         {"-", {"--format", "ihex"}, Kind::Hex}};
  for (const auto& [target, options, kind] : cases) {
    const auto [status, errors, output] = run(on2716({"read", target}, options));
    ASSERT_EQ(status, 0) << target << errors;
    const std::string saved = target == "-" ? output : readFile(path(target));
    // With the image on standard output, its identity goes to standard error.
    EXPECT_THAT(target == "-" ? errors : output, HasSubstr("\nCRC32: 3e9afd89\n")) << target;
    const bool right =
        kind == Kind::Binary ? bytesOf(saved) == held
        : kind == Kind::Hex
            ? saved.starts_with(":1000000000070E151C") && saved.ends_with(":00000001FF\r\n")
            // S1 records for a chip of 64 KiB or less, and their end record.
            : saved.starts_with("S0") && saved.find("\r\nS113000000070E151C") != saved.npos &&
                  saved.ends_with("\r\nS9030000FC\r\n");
    EXPECT_TRUE(right) << target << ": " << saved.substr(0, 80);
    // Whatever was written reads back by its content as the chip.
    writeFile(path("saved"), saved);
    // With --fill, every location is compared: none may be lost.
    EXPECT_EQ(
        std::get<0>(run(on2716({"verify", "-"}, {"--fill", "0"}), {.inputFile = path("saved")})), 0)
        << target;
  }
  EXPECT_EQ(listing(work_.path), (std::set<std::string>{"chip.bin", "out.bin", "out.hex", "OUT.IHX",
                                                        "out.s19", "out.mot", "as.bin", "saved"}));
}

TEST_F(VeskProgram, FilesThatCannotBePlacedAreErrorsThatNameWhereAndChangeNothing) {
  writeFile(path("chip.bin"), chipHolding(pattern(2048)));
  const std::pair<const char*, std::string> files[] = {
      {"a.hex", kHex},
      {"e.s19", kSRecords},
      {"conflict.hex", ":0101000001FD\n:0101000002FC\n:00000001FF\n"},
      {"broken.hex", ":050100000102030405EC\n:00000001FF\n"},
      {"notes.txt", "Burn this into the 2716, please.\n"},
      {"empty.bin", ""}};
  for (const auto& [name, content] : files) writeFile(path(name), content);
  const std::set<std::string> before = listing(work_.path);
  const std::tuple<std::vector<std::string>, std::string, bool> cases[] = {
      {on2716({"write", "e.s19"}),
       "line 1: address 0xE010 is outside the 2048-byte chip (0x0 to 0x7FF)", false},
      {on2716({"write", "a.hex"}, {"--offset", "0x800"}),
       "line 1: address 0x100 is outside the 2048-byte chip (0x0 to 0x7FF): with the offset 0x800 "
       "it is location 0x900",
       false},
      {on2716({"write", "conflict.hex"}),
       "line 2: address 0x100 is given 02h here and 01h on line 1", false},
      {on2716({"write", "broken.hex"}), "line 1: bad checksum", false},
      {on2716({"write", "notes.txt"}), "it is text, but neither Intel HEX nor S-records", false},
      {on2716({"write", "empty.bin"}), "Cannot read the file empty.bin\nit is empty", false},
      {on2716({"write", "-"}), "Cannot read standard input", true},  // a terminal
      {on2716({"write", "a.hex"}, {"--fill", "0x100"}), "vesk: --fill 0x100: give one byte", false},
      {on2716({"write", "a.hex"}, {"--format", "elf"}), "vesk: --format elf: give bin", false}};
  for (const auto& [arguments, error, terminal] : cases) {
    const auto [status, errors, output] = run(arguments, {.terminal = terminal});
    EXPECT_EQ(std::tuple(status, output), std::tuple(2, "")) << testing::PrintToString(arguments);
    EXPECT_THAT(errors, HasSubstr(error));
  }
  EXPECT_EQ(std::tuple(listing(work_.path), chip()),
            std::tuple(before, chipHolding(pattern(2048))));
}

TEST_F(VeskProgram, ARawImageThatPrintsIsBurntAsItIsWhereItsNameSaysRawBinary) {
  const Bytes zs(2048, 'Z');
  const std::string strings = "INSERT COIN\r\nGAME OVER\r\nHIGH SCORE\r\n";
  for (const char* name : {"zz.bin", "zz.txt", "zz"}) writeFile(path(name), zs);
  writeFile(path("MESSAGES.ROM"), strings);
  writeFile(path("hex.bin"), kHex);  // records under a raw binary's name are still records
  const std::pair<std::string, Bytes> burnt[] = {
      {"zz.bin", zs},
      {"MESSAGES.ROM", imageWith(0xFF, 0, bytesOf(strings))},
      {"hex.bin", imageWith(0xFF, 0x100, kFive)}};
  for (const auto& [file, image] : burnt) {
    std::filesystem::remove(path("chip.bin"));
    for (const char* command : {"write", "verify"}) {
      const auto [status, errors, output] = run(on2716({command, file}));
      EXPECT_EQ(status, 0) << command << " " << file << errors;
    }
    EXPECT_EQ(chip(), chipHolding(image)) << file;
  }
  // Other names, and standard input, which has none, say nothing: the text is refused.
  std::filesystem::remove(path("chip.bin"));
  for (const std::string file : {"zz.txt", "zz", "-"}) {
    const auto [status, errors, output] =
        run(on2716({"write", file}), {.inputFile = path("zz.bin")});
    EXPECT_EQ(status, 2) << file;
    EXPECT_THAT(errors, HasSubstr("it is text, but neither Intel HEX nor S-records")) << file;
  }
  EXPECT_EQ(chip(), chipHolding({}));
}

// "NAME: 2048 bytes, CRC32 ..., SHA-1 ...", as split and merge list their files.
std::string listed(const std::string& name, const Bytes& bytes) {
  const ImageHashes hashes = hashBytes(bytes);
  return name + ": " + std::to_string(bytes.size()) + " bytes, CRC32 " + hashes.crc32 + ", SHA-1 " +
         hashes.sha1 + "\n";
}

// Every `ways`-th byte of `bytes` from `first` on.
Bytes lane(const Bytes& bytes, std::size_t first, std::size_t ways) {
  Bytes part;
  for (std::size_t at = first; at < bytes.size(); at += ways) part.push_back(bytes[at]);
  return part;
}

TEST_F(VeskProgram, SplitAndMergeRoundTripAndReplaceNoFileUnlessForced) {
  const Bytes rom = pattern(4096);
  writeFile(path("rom.bin"), rom);
  const Bytes even = lane(rom, 0, 2), odd = lane(rom, 1, 2);
  EXPECT_EQ(run({"split", "--ways", "2", "rom.bin"}),
            Result(0, "", listed("rom.even.bin", even) + listed("rom.odd.bin", odd)));
  EXPECT_EQ(std::get<0>(run({"merge", "--ways", "2", "back.bin", "rom.even.bin", "rom.odd.bin"})),
            0);
  EXPECT_EQ(readFile<Bytes>(path("back.bin")), rom);

  // Without --force, files that are there stay as they are.
  const std::set<std::string> before = listing(work_.path);
  EXPECT_EQ(run({"split", "--ways", "2", "--swap", "rom.bin"}),
            Result(2, "Split: rom.even.bin exists already: give --force to replace it\n", ""));
  EXPECT_EQ(std::get<0>(run({"merge", "--ways", "2", "back.bin", "rom.odd.bin", "rom.even.bin"})),
            2);
  EXPECT_EQ(std::tuple(listing(work_.path), readFile<Bytes>(path("rom.even.bin")),
                       readFile<Bytes>(path("back.bin"))),
            std::tuple(before, even, rom));

  // --swap trades the bytes of each word: the even part holds the odd bytes.
  EXPECT_EQ(std::get<0>(run({"split", "--ways", "2", "--swap", "--force", "rom.bin"})), 0);
  EXPECT_EQ(readFile<Bytes>(path("rom.even.bin")), odd);
  EXPECT_EQ(std::get<0>(run({"merge", "--ways", "2", "--swap", "--force", "back.bin",
                             "rom.even.bin", "rom.odd.bin"})),
            0);
  EXPECT_EQ(readFile<Bytes>(path("back.bin")), rom);

  // Four ways, merged to standard output.
  EXPECT_EQ(std::get<0>(run({"split", "--ways", "4", "rom.bin"})), 0);
  EXPECT_EQ(readFile<Bytes>(path("rom.3.bin")), lane(rom, 3, 4));
  EXPECT_EQ(run({"merge", "--ways", "4", "-", "rom.0.bin", "rom.1.bin", "rom.2.bin", "rom.3.bin"}),
            Result(0, "", std::string(rom.begin(), rom.end())));

  // Records end where the program does: HEX parts, the last word filled with FFh.
  writeFile(path("a.hex"), kHex);
  EXPECT_EQ(std::get<0>(run({"split", "--ways", "2", "a.hex"})), 0);
  EXPECT_THAT(readFile(path("a.odd.hex")), StartsWith(":10000000FFFF"));
  EXPECT_EQ(std::get<0>(run({"merge", "--ways", "2", "a.bin", "a.even.hex", "a.odd.hex"})), 0);
  Bytes merged(0x106, 0xFF);
  std::copy(kFive.begin(), kFive.end(), merged.begin() + 0x100);
  EXPECT_EQ(readFile<Bytes>(path("a.bin")), merged);
}

}  // namespace

namespace {

TEST(VeskFileOptions, OffsetsAndFillBytesInTheFormsUsersWriteThemIn) {
  const std::pair<const char*, std::optional<std::int64_t>> offsets[] = {{"-0xE000", -0xE000},
                                                                         {"0XE000", 0xE000},
                                                                         {"E000h", 0xE000},
                                                                         {"-57344", -57344},
                                                                         {"+16", 16},
                                                                         {"0", 0},
                                                                         {"0xFFFFFFFF", 0xFFFFFFFF},
                                                                         {"0x100000000", {}},
                                                                         {"0x", {}},
                                                                         {"-", {}},
                                                                         {"1e3", {}},
                                                                         {"0x-5", {}},
                                                                         {"--16", {}},
                                                                         {" 16", {}}};
  for (const auto& [text, offset] : offsets) {
    const Expected<std::int64_t> read = offsetOption(text);
    EXPECT_EQ(read ? std::optional(*read) : std::nullopt, offset) << text;
  }
  const std::pair<const char*, std::optional<int>> fills[] = {
      {"FFh", 0xFF}, {"0x00", 0}, {"255", 255}, {"256", {}}, {"-1", {}}, {"0x1FF", {}}};
  for (const auto& [text, fill] : fills) {
    const Expected<std::uint8_t> read = fillOption(text);
    EXPECT_EQ(read ? std::optional<int>(*read) : std::nullopt, fill) << text;
  }
}

}  // namespace
