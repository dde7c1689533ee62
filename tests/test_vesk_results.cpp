// vesk's two renderers on one result each: every field of the JSON object
// shows in the text (the results and the messages vesk prints), with the
// same value, so that a fact added to one renderer and not the other fails.
#include <gmock/gmock.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <type_traits>

#include "HexDigits.h"
#include "ImageIdentity.h"
#include "ResultText.h"
#include "RomListLines.h"
#include "TerminalMessages.h"
#include "VeskReport.h"

namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;
using Stream = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

// Everything `stream` took.
std::string taken(std::FILE* stream) {
  std::rewind(stream);
  std::string text;
  for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
  return text;
}

// A field of the object, its value there and what the text shows of it.
struct Field {
  std::string key;
  Json value;
  std::string text;
};

// The results text of `result` (given `text` besides), then its messages as vesk prints them.
template <class Result, class... Text>
std::string textOf(const Result& result, Text... text) {
  const Stream errors(std::tmpfile(), &std::fclose), output(std::tmpfile(), &std::fclose);
  {
    StatusLine line(errors.get());
    TerminalMessages messages(line, false);
    // A write's part is announced before its first pulse.
    if constexpr (std::is_same_v<Result, VeskWriteResult>) announceVoltages(result, messages);
    showText(result, TextOutput{messages, output.get(), errors.get()}, text...);
  }
  return taken(output.get()) + taken(errors.get());
}

// `result` rendered both ways: each of `fields` in the object with its value
// and in the text, and no field of the object but those, `unshown` (fields
// the text has no words for) and the command, type and status, which the
// core's announcement and the exit status tell.
template <class Result, class... Text>
void expectAgreement(const Result& result, const std::vector<Field>& fields,
                     std::set<std::string> unshown, Text... text) {
  const std::string shown = textOf(result, text...);
  const Json object = Json::parse(reportLine(reportOf(result)));
  unshown.insert({"command", "type", "status"});
  for (const Field& field : fields) {
    EXPECT_EQ(object.value(field.key, Json()), field.value) << field.key;
    EXPECT_THAT(shown, HasSubstr(field.text)) << field.key;
    unshown.insert(field.key);
  }
  for (const auto& [key, value] : object.items())
    EXPECT_TRUE(unshown.contains(key)) << key << " is in the object only:\n" << shown;
}

// A 2732's run that ended as `outcome`.
ChipRun on2732(CommandOutcome outcome = CommandOutcome::Done) {
  return {.type = "2732", .size = 4096, .outcome = outcome};
}

TEST(VeskResults, AReadsDumpItsFindingsItsRomListLinesAndItsUnstableLocations) {
  MemoryImage image(4096);
  std::fill_n(image.data(), 4096, 0xFF);
  const ImageIdentity identity = identifyImage(image);
  const ImageHashes& hashes = identity.hashes;
  const std::string finding = findingText(identity.findings.at(0));
  const std::string mame = mameRomLoadLine("out.hex", 4096, hashes);
  const std::string dat = datRomLine("out.hex", 4096, hashes);
  const VeskReadResult read{.chip = on2732(),
                            .file = "out.hex",
                            .passes = 3,
                            .format = ImageFileFormat::IntelHex,
                            .dump = DumpFacts{identity, {.mame = true, .dat = true}},
                            .unstable = {{0x10, {0x3C, 0x7D, 0x3C}, 0x41}}};
  expectAgreement(
      read,
      {{"file", "out.hex", "File: out.hex\n"},
       {"passes", 3, "unstable in 3 passes"},
       {"size", 4096, "Size: 4096 bytes\n"},
       {"checksum", "FF000", "CheckSum = FF000\n"},
       {"crc32", hashes.crc32, "CRC32: " + hashes.crc32},
       {"sha1", hashes.sha1, "SHA-1: " + hashes.sha1},
       {"findings", Json::array({{{"kind", "all-ff"}, {"text", finding}}}), "all-ff: " + finding},
       {"mame", mame, mame},
       {"dat", dat, dat},
       {"unstable", Json::array({{{"address", 16}, {"values", {60, 125, 60}}, {"mask", 65}}}),
        "00010: 3C 7D 3C; 41\n"}},
      {});
}

TEST(VeskResults, ABlankCheckThatFoundAByte) {
  const VeskBlankResult blank{.chip = on2732(CommandOutcome::NotBlank),
                              .check = BlankCheckResult{false, 0x123, 0x00}};
  expectAgreement(
      blank,
      {{"blank", false, ", not FF"},
       {"first_not_blank", {{"address", 0x123}, {"value", 0}}, "location 00123 holds 00"}},
      {"file"});  // null: blank takes no file
}

TEST(VeskResults, ABlankCheckThatFoundTheChipNotBlankOrBlankAsAnEmptySocketReads) {
  const NotBlankPattern low{NotBlankPatternKind::LinesLow, 0xF7};
  expectAgreement(
      VeskBlankResult{.chip = on2732(CommandOutcome::NotBlank),
                      .check = BlankCheckResult{false, 0, 0xF7},
                      .notBlankRead = NotBlankChip{4096, 0, 4095, low}},
      {{"blank", false, ", not FF"},
       {"first_not_blank", {{"address", 0}, {"value", 0xF7}}, "location 00000 holds F7"},
       {"not_blank",
        {{"locations", 4096},
         {"lowest", 0},
         {"highest", 4095},
         {"findings",
          Json::array(
              {{{"kind", "lines-low"}, {"value", 0xF7}, {"text", notBlankPatternText(low)}}})}},
        "4096 locations are not FF, from 00000 to 00FFF\n" + notBlankPatternText(low)}},
      {"file"});
  expectAgreement(
      VeskBlankResult{.chip = on2732(), .check = BlankCheckResult{}, .socketCouldBeEmpty = true},
      {{"blank", true, "The Eprom is Empty"},
       {"socket_could_be_empty", true, "(an empty socket reads the same)"}},
      {"file"});
}

TEST(VeskResults, AWriteOverAChipItsRefusalAndABadLocation) {
  PulseCounts pulses{.steppedOver = 4080, .mostAt = 0x805, .most = 3};
  pulses.took[1] = 15;
  pulses.took[3] = 1;
  expectAgreement(
      VeskWriteResult{.chip = on2732(),
                      .file = "table.hex",
                      .format = ImageFileFormat::IntelHex,
                      .over = true,
                      .pulses = pulses,
                      .part = partNamed("2732A")->part},
      {{"file", "table.hex", "programmed from table.hex (Intel HEX)"},
       {"part", "2732A", " for the 2732A\n"},
       {"vpp", 21.0, "set VPP to 21 V,"},
       {"vcc", 5.0, ", VCC 5 V for"},
       {"pulses", {{"1", 15}, {"3", 1}}, "1 pulse: 15 locations\n3 pulses: 1 location\n"},
       {"stepped_over", 4080, "Stepped over: 4080 locations\n"},
       {"most_pulses", {{"address", 0x805}, {"count", 3}}, "Most pulses: 3, at 00805\n"}},
      {});

  ChipComparison toErase;
  toErase.bitsToErase = 3;
  toErase.locationsToErase = 2;
  toErase.firstToErase = {{0x800, 0x11, 0x13}, {0x801, 0x10, 0x13}};
  expectAgreement(
      VeskWriteResult{.chip = on2732(), .file = "raise.hex", .over = true, .toErase = toErase},
      {{"bits_to_erase", 3, "3 bits at "},
       {"locations_to_erase", 2, " at 2 locations would have to go from 0 to 1"},
       {"first_to_erase",
        Json::array({{{"address", 0x800}, {"chip", 0x11}, {"file", 0x13}},
                     {{"address", 0x801}, {"chip", 0x10}, {"file", 0x13}}}),
        "\n00800: 11 13\n00801: 10 13\n"}},
      {"file"});  // the refusal is about the chip

  PulseCounts two{.mostAt = 0, .most = 1};
  two.took[1] = 2;
  expectAgreement(VeskWriteResult{.chip = on2732(CommandOutcome::BadEprom),
                                  .file = "in.bin",
                                  .bad = BadLocation{2, 0x0E, 0xFF},
                                  .pulses = two},
                  {{"bad",
                    {{"address", 2}, {"wanted", 0x0E}, {"read", 0xFF}},
                    "location 00002 wanted 0E, read FF after the last pulse"},
                   {"pulses", {{"1", 2}}, "1 pulse: 2 locations\n"},
                   {"most_pulses", {{"address", 0}, {"count", 1}}, "Most pulses: 1, at 00000\n"}},
                  {"file"});  // Bad Eprom is about the chip
}

TEST(VeskResults, AWriteRefusedAndDiagnosedByAReadAfterIt) {
  expectAgreement(
      VeskWriteResult{.chip = on2732(CommandOutcome::NotBlank),
                      .file = "in.bin",
                      .notBlank = BlankCheckResult{false, 0x10, 0xFE},
                      .notBlankRead = NotBlankChip{1, 0x10, 0x10, {}}},
      {{"first_not_blank", {{"address", 0x10}, {"value", 0xFE}}, "location 00010 holds FE"},
       {"not_blank",
        {{"locations", 1}, {"lowest", 16}, {"highest", 16}, {"findings", Json::array()}},
        "read again, 1 location is not FF, at 00010\n"}},
      {"file"});

  const DifferencePattern line{
      .kind = DifferencePatternKind::AddressLine, .line = 11, .writtenThrough = true};
  ChipComparison comparison;
  comparison.differences = 2;
  comparison.first = {{0, 0x0C, 0x1F}, {0x800, 0x0C, 0x6C}};
  comparison.patterns = {line};
  expectAgreement(
      VeskWriteResult{.chip = on2732(CommandOutcome::BadEprom),
                      .file = "in.bin",
                      .bad = BadLocation{0x800, 0x6C, 0x0C},
                      .badRead = BadEpromRead{comparison, ChipDifference{0, 0x0C, 0x1F}},
                      .pulses = PulseCounts{}},
      {{"bad",
        {{"address", 0x800}, {"wanted", 0x6C}, {"read", 0x0C}},
        "location 00800 wanted 6C, read 0C"},
       {"bad_read",
        {{"differences", 2},
         {"first", Json::array({{{"address", 0}, {"chip", 0x0C}, {"file", 0x1F}},
                                {{"address", 0x800}, {"chip", 0x0C}, {"file", 0x6C}}})},
         {"findings", Json::array({{{"kind", "address-line"},
                                    {"line", 11},
                                    {"written_through", true},
                                    {"text", differencePatternText(line)}}})},
         {"overwrote", {{"address", 0}, {"chip", 0x0C}, {"file", 0x1F}}}},
        "Read again after Bad Eprom: 2 bytes differ from what it should hold by now (address: "
        "chip wanted)\n00000: 0C 1F\n00800: 0C 6C\naddress-line: " +
            differencePatternText(line) +
            "\nthe pulses for 00800 went to 00000, which reads 0C where 1F was programmed\n"},
       {"pulses", Json::object(), ""}},
      {"file"});
}

TEST(VeskResults, AWriteThatSteppedOverTheErasedLocationsAndTheWholeChipReadBack) {
  PulseCounts pulses{.steppedOver = 4088, .mostAt = 0, .most = 1, .lastAt = 7};
  pulses.took[1] = 8;
  ChipComparison verify;
  verify.differences = 1;
  verify.bitsToErase = 2;
  verify.first = {{0x6000, 0x00, 0xFF}};
  const Json verified = {
      {"differences", 1},
      {"bits_to_program", 0},
      {"bits_to_erase", 2},
      {"first", Json::array({{{"address", 0x6000}, {"chip", 0}, {"file", 255}}})},
      {"findings", Json::array()}};
  expectAgreement(
      VeskWriteResult{.chip = on2732(), .file = "in.bin", .pulses = pulses, .verify = verify},
      {{"pulses", {{"1", 8}}, "1 pulse: 8 locations\n"},
       {"stepped_over", 4088, "Stepped over: 4088 locations\n"},
       {"most_pulses", {{"address", 0}, {"count", 1}}, "Most pulses: 1, at 00000\n"},
       {"verify", verified,
        "1 byte differs (address: chip file)\n06000: 00 FF\n0 bits still to program (1 on "
        "the chip, 0 in the file)\n2 bits need the chip erased"}},
      {"file"});  // the differences are the chip's
  // Read back right, the whole chip is said to be verified.
  EXPECT_THAT(
      textOf(VeskWriteResult{
          .chip = on2732(), .file = "in.bin", .pulses = pulses, .verify = ChipComparison{}}),
      HasSubstr("Write Eprom: 8 locations programmed from in.bin, 4088 stepped over (they "
                "held their byte); the whole chip verified\n"));
}

TEST(VeskResults, AVerifyThatFoundDifferencesALineAndAnUnstableLocation) {
  const DifferencePattern line{DifferencePatternKind::DataLine, 3};
  ChipComparison comparison;
  comparison.differences = 3;
  comparison.bitsToErase = 3;
  comparison.first = {{0x100, 0x07, 0x0F}, {0x200, 0x10, 0x18}};
  comparison.patterns = {line};
  const VeskVerifyResult verify{.chip = on2732(),
                                .file = "in.bin",
                                .passes = 2,
                                .comparison = comparison,
                                .unstable = {{0x10, {0x01, 0x03}, 0x02}}};
  expectAgreement(
      verify,
      {{"passes", 2, "unstable in 2 passes"},
       {"differences", 3, "3 bytes differ (address: chip file), the first 2\n"},
       {"bits_to_program", 0, "\n0 bits still to program"},
       {"bits_to_erase", 3, "\n3 bits need the chip erased"},
       {"first",
        Json::array({{{"address", 0x100}, {"chip", 0x07}, {"file", 0x0F}},
                     {{"address", 0x200}, {"chip", 0x10}, {"file", 0x18}}}),
        "\n00100: 07 0F\n00200: 10 18\n"},
       {"findings",
        Json::array({{{"kind", "data-line"}, {"line", 3}, {"text", differencePatternText(line)}}}),
        "data-line: " + differencePatternText(line)},
       {"unstable", Json::array({{{"address", 16}, {"values", {1, 3}}, {"mask", 2}}}),
        "00010: 01 03; 02\n"}},
      {"file"});  // the differences are the chip's
}

TEST(VeskResults, AVerifyWithAnOffsetGivesTheFilesAddressesAndTheShiftItFound) {
  const DifferencePattern shift{.kind = DifferencePatternKind::Shifted, .chipAt = 0, .fileAt = 0};
  ChipComparison comparison;
  comparison.differences = 1;
  comparison.bitsToProgram = 2;
  comparison.first = {{0, 0xFF, 0x3C}};
  comparison.patterns = {{.kind = DifferencePatternKind::BlankWhereData}, shift};
  const VeskVerifyResult verify{.chip = on2732(),
                                .file = "mon.hex",
                                .passes = 1,
                                .offset = -0xE000,
                                .comparison = comparison};
  expectAgreement(
      verify,
      {{"differences", 1, "1 byte differs (address, file address: chip file)\n"},
       {"bits_to_program", 2, "\n2 bits still to program"},
       {"bits_to_erase", 0, "\n0 bits need the chip erased"},
       {"first",
        Json::array({{{"address", 0}, {"file_address", 0xE000}, {"chip", 0xFF}, {"file", 0x3C}}}),
        "\n00000, 0E000: FF 3C\n"},
       {"findings",
        Json::array(
            {{{"kind", "blank-where-data"},
              {"text", "every differing location reads FFh: blank where the file has data"}},
             {{"kind", "shifted"},
              {"chip_address", 0},
              {"file_address", 0xE000},
              {"text",
               "the chip holds at 00000 what the file has at 0E000: written with a "
               "different --offset?"}}}),
        "shifted: the chip holds at 00000 what the file has at 0E000"},
       {"unstable", Json::array(), ""}},
      {"file", "passes"});
}

TEST(VeskResults, OneIsCountedInTheSingular) {
  PulseCounts pulses{.steppedOver = 1, .mostAt = 0, .most = 1};
  pulses.took[1] = 1;
  EXPECT_EQ(
      textOf(VeskWriteResult{.chip = on2732(), .file = "one.hex", .over = true, .pulses = pulses}),
      "1 pulse: 1 location\nStepped over: 1 location\nMost pulses: 1, at 00000\n"
      "Write Eprom: 1 location programmed from one.hex, 1 stepped over (they held their "
      "byte)\n");
  EXPECT_EQ(
      textOf(VeskVerifyResult{
          .chip = on2732(), .file = "a.bin", .comparison = ChipComparison{}, .locationsGiven = 1}),
      "Verify: The Eprom matches a.bin at the 1 location it gives\n");
}

TEST(VeskResults, InfoOnAFileItCannotReadAndTheFilesASplitWrote) {
  expectAgreement(
      VeskInfoResult{.file = "missing.bin",
                     .failure = FileFailure{FileProblem::Unreadable, "missing.bin", "gone"}},
      {{"file", "missing.bin", "Cannot read the file missing.bin\ngone\n"}}, {}, false);

  const ImageHashes even = hashBytes(std::vector<std::uint8_t>(2048, 0x00));
  const ImageHashes odd = hashBytes(std::vector<std::uint8_t>(2048, 0x01));
  expectAgreement(
      VeskFilesResult{.command = VeskFilesResult::Command::Split,
                      .file = "rom.bin",
                      .ways = 2,
                      .written = {{"rom.even.bin", 2048, even}, {"rom.odd.bin", 2048, odd}}},
      {{"written",
        Json::array(
            {{{"file", "rom.even.bin"}, {"size", 2048}, {"crc32", even.crc32}, {"sha1", even.sha1}},
             {{"file", "rom.odd.bin"}, {"size", 2048}, {"crc32", odd.crc32}, {"sha1", odd.sha1}}}),
        "rom.even.bin: 2048 bytes, CRC32 " + even.crc32 + ", SHA-1 " + even.sha1 +
            "\nrom.odd.bin: 2048 bytes, CRC32 " + odd.crc32 + ", SHA-1 " + odd.sha1 + "\n"}},
      {"file", "ways"});  // the parts are named after the file, one a way
}

TEST(VeskResults, ADumpNamedByItsSourcesAWordsByteAMirrorAndABadDump) {
  MemoryImage image(8192);
  for (std::int32_t at = 0; at < 8192; ++at)
    image.at(at) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(at) * 2654435761u >> 13);
  const ImageIdentity identity = identifyImage(image);
  const std::string sha1(40, 'a');
  IdentifiedRom even{.source = "sys16.xml",
                     .set = "game",
                     .description = "The Game",
                     .rom = "e.u1",
                     .size = 8192,
                     .crc32 = "12345678",
                     .sha1 = sha1,
                     .dumpLength = 8192,
                     .region = "maincpu",
                     .offset = 0,
                     .loadflag = "load16_byte",
                     .byte = WordByte{2, 0}};
  IdentifiedRom mirror{.source = "synth.dat",
                       .set = "synth",
                       .rom = "os.bin",
                       .size = 2048,
                       .crc32 = "9abcdef0",
                       .status = RomStatus::BadDump,
                       .match = RomMatch::Crc32Only,
                       .dumpLength = 8192,
                       .copies = 4};
  const VeskInfoResult info{
      .file = "dump.bin",
      .dump = DumpFacts{identity, {}, KnownRoms{.identification = {.identified = {even, mirror}}}}};
  expectAgreement(
      info,
      {{"file", "dump.bin", "File: dump.bin\n"},
       {"size", 8192, "Size: 8192 bytes\n"},
       {"checksum", hexWithoutLeadingZeros(*identity.checkSum), identity.checkSumText},
       {"crc32", identity.hashes.crc32, "CRC32: " + identity.hashes.crc32},
       {"sha1", identity.hashes.sha1, "SHA-1: " + identity.hashes.sha1},
       {"findings", Json::array(), ""},
       {"identified",
        Json::array({{{"source", "sys16.xml"},
                      {"set", "game"},
                      {"description", "The Game"},
                      {"rom", "e.u1"},
                      {"size", 8192},
                      {"crc32", "12345678"},
                      {"sha1", sha1},
                      {"status", "good"},
                      {"match", "crc32+sha1"},
                      {"dump_offset", 0},
                      {"dump_length", 8192},
                      {"copies", 1},
                      {"region", "maincpu"},
                      {"offset", 0},
                      {"loadflag", "load16_byte"},
                      {"byte", "even"}},
                     {{"source", "synth.dat"},
                      {"set", "synth"},
                      {"description", nullptr},
                      {"rom", "os.bin"},
                      {"size", 2048},
                      {"crc32", "9abcdef0"},
                      {"sha1", nullptr},
                      {"status", "baddump"},
                      {"match", "crc32"},
                      {"dump_offset", 0},
                      {"dump_length", 8192},
                      {"copies", 4},
                      {"region", nullptr},
                      {"offset", nullptr},
                      {"loadflag", nullptr},
                      {"byte", nullptr}}}),
        "Identified: game (The Game): e.u1, maincpu at 0000 (load16_byte), even byte, CRC32 and "
        "SHA-1 match (sys16.xml)\n"
        "Identified: synth: os.bin, 4 copies of its 2048 bytes, baddump: a dump known to be bad, "
        "CRC32 only (synth.dat)\n"},
       {"nearest", Json::array(), ""}},
      {}, false);
}

TEST(VeskResults, AReadNearestToAnotherVersionWithItsUnstableLocationLeftOut) {
  MemoryImage image(4096);
  const ImageIdentity identity = identifyImage(image);
  const DifferencePattern line{DifferencePatternKind::DataLine, 5};
  const NearestRom near{.source = "roms",
                        .set = "set7",
                        .rom = "original.bin",
                        .size = 2048,
                        .dumpOffset = 2048,
                        .dumpLength = 2048,
                        .bits = 3,
                        .locations = 2,
                        .lostCharge = 1,
                        .programmedExtra = 2,
                        .first = {{0x900, 0x20, 0x00}, {0xA00, 0x00, 0x60}},
                        .findings = {line},
                        .verdict = NearVerdict::OtherVersion};
  const KnownRoms known{
      .identification = {.nearest = {near}, .search = NearestSearch::Found, .leftOut = {0x10}},
      .sources = {{.path = "mame.xml", .listed = 336504}, {.path = "roms", .listed = 60}}};
  const VeskReadResult read{.chip = on2732(),
                            .file = "out.bin",
                            .passes = 3,
                            .dump = DumpFacts{identity, {}, known},
                            .unstable = {{0x10, {0x00, 0x01, 0x00}, 0x01}}};
  expectAgreement(
      read,
      {{"file", "out.bin", "File: out.bin\n"},
       {"passes", 3, "unstable in 3 passes"},
       {"size", 4096, "Size: 4096 bytes\n"},
       {"checksum", "0", "CheckSum = 0\n"},
       {"crc32", identity.hashes.crc32, "CRC32: " + identity.hashes.crc32},
       {"sha1", identity.hashes.sha1, "SHA-1: " + identity.hashes.sha1},
       {"findings", Json::parse(reportLine(reportOf(read)))["findings"], "all-same: "},
       {"identified", Json::array(),
        "Not among the 336,504 ROMs of mame.xml and the 60 ROMs of roms\n"},
       {"nearest",
        Json::array(
            {{{"source", "roms"},
              {"set", "set7"},
              {"rom", "original.bin"},
              {"size", 2048},
              {"dump_offset", 2048},
              {"dump_length", 2048},
              {"bits", 3},
              {"locations", 2},
              {"lost_charge", 1},
              {"programmed_extra", 2},
              {"first",
               {{{"address", 0x900}, {"chip", 0x20}, {"reference", 0}},
                {{"address", 0xA00}, {"chip", 0}, {"reference", 0x60}}}},
              {"findings",
               {{{"kind", "data-line"}, {"line", 5}, {"text", differencePatternText(line)}}}},
              {"verdict", "other-version"}}}),
        "Nearest: set7: original.bin (roms), the dump's 2048 bytes at 00800, 3 bits differ at 2 "
        "locations, 1 lost charge, 2 programmed extra: another version of original.bin, or a "
        "damaged chip\n  address: chip reference\n  00900: 20 00\n  00A00: 00 60\n  data-line: " +
            differencePatternText(line) +
            "\nLeft out of the comparison: 1 unstable location (00010)\n"},
       {"unstable", Json::array({{{"address", 16}, {"values", {0, 1, 0}}, {"mask", 1}}}),
        "00010: 00 01 00; 01\n"}},
      {});
}

TEST(VeskResults, AWriteAndAVerifyOfAnImageRepeatedToFillTheChip) {
  PulseCounts pulses{.mostAt = 0, .most = 1};
  pulses.took[1] = 4096;
  expectAgreement(
      VeskWriteResult{.chip = on2732(), .file = "small.bin", .repeated = 2, .pulses = pulses},
      {{"file", "small.bin", "programmed from small.bin"},
       {"repeated", 2, "Write Eprom: 2 copies of small.bin fill the chip's 4096 bytes"},
       {"pulses", {{"1", 4096}}, "1 pulse: 4096 locations\n"},
       {"most_pulses", {{"address", 0}, {"count", 1}}, "Most pulses: 1, at 00000\n"}},
      {});
  expectAgreement(VeskVerifyResult{.chip = on2732(),
                                   .file = "whole.bin",
                                   .passes = 2,
                                   .repeated = 1,
                                   .comparison = ChipComparison{}},
                  {{"file", "whole.bin", "The Eprom matches whole.bin"},
                   {"passes", 2, ""},
                   {"repeated", 1, "Verify: 1 copy of whole.bin fills the chip's 4096 bytes"},
                   {"differences", 0, ""},
                   {"bits_to_program", 0, ""},
                   {"bits_to_erase", 0, ""},
                   {"first", Json::array(), ""},
                   {"findings", Json::array(), ""},
                   {"unstable", Json::array(), ""}},
                  {});
}

// `types`: a part's row, the note of those whose datasheet's pulse does not
// fit the board, once for the parts it is about, and the makers' prefixes.
TEST(VeskResults, TheTypesTheirFiguresNotesAndPrefixes) {
  const std::string_view prefixes[] = {"AM", "M"};
  const VeskTypesResult types{chipParts().subspan(3, 4), prefixes};
  const std::string note = chipParts()[3].note;
  expectAgreement(types,
                  {{"parts",
                    Json::parse(R"([
          {"names": ["2764"], "size": 8192, "type": "2764", "algorithm": "default",
           "vpp": 21.0, "vcc": 5.0, "note": ")" +
                                note + R"("},
          {"names": ["2764A"], "size": 8192, "type": "2764", "algorithm": "intelligent",
           "vpp": 12.5, "vcc": 6.0},
          {"names": ["27C64"], "size": 8192, "type": "2764", "algorithm": "quick",
           "vpp": 12.75, "vcc": 6.25},
          {"names": ["27128"], "size": 16384, "type": "27128", "algorithm": "default",
           "vpp": 21.0, "vcc": 5.0, "note": ")" +
                                note + R"("}])"),
                    "Part  Size    Type   Algorithm   VPP     VCC\n"
                    "2764  8192    2764   default     21 V    5 V\n"
                    "2764A 8192    2764   intelligent 12.5 V  6 V\n"
                    "27C64 8192    2764   quick       12.75 V 6.25 V\n"
                    "27128 16384   27128  default     21 V    5 V\n"
                    "2764, 27128: " +
                        note + "\n"},
                   {"prefixes", {"AM", "M"}, "Makers' prefixes before the name: AM, M; after it"}},
                  {});
}

}  // namespace
