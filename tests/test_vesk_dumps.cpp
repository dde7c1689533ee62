// The built vesk on dumps: simulated chips with the faults of real ones, reads
// in several passes, each dump identified and checked, info on image files,
// the JSON results, and a port that is not there.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>

#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

// The programming pulse of the tests that write, in ms.
constexpr const char* kPulse = "1";
constexpr std::size_t k2732 = 4096;
const std::string kTryHelp = "\nTry 'vesk --help'.\n";

// The command on a 2732 in the simulated chip file, with `options`.
std::vector<std::string> onChip(std::vector<std::string> command,
                                std::vector<std::string> options = {}) {
  options.insert(options.end(), {"-t", "2732", "--simulate=chip.bin"});
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

// The fields of `object` that `wanted` names, to be compared with it.
Json fieldsOf(const Json& object, const Json& wanted) {
  Json fields = Json::object();
  for (const auto& [key, value] : wanted.items())
    if (object.contains(key)) fields[key] = object[key];
  return fields;
}

// Two hex digits, as vesk's lists show a byte.
std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

using VeskDumps = VeskProgram;

TEST_F(VeskDumps, EveryFindingOnAnImageMadeToHaveItAndOnAChipWithTheFault) {
  const Bytes chipBytes = pattern(k2732);  // 255 values, no finding
  const struct {
    const char* faults;
    bool blankChip;                                 // instead of the pattern
    std::function<std::uint8_t(std::size_t)> made;  // the image made to have the finding
    std::string line;                               // how its line begins
    Json finding;                                   // what its object holds
  } cases[] = {
      {"no-chip",
       false,
       [](std::size_t) { return 0xFF; },
       "all-ff: blank, or no chip in the socket (an empty socket reads FFh too)",
       {{"kind", "all-ff"}}},
      {"stuck-data:0:0",
       true,
       [](std::size_t) { return 0xFE; },
       "all-same: every byte is FEh",
       {{"kind", "all-same"}, {"value", 0xFE}}},
      {"open-address:11",
       false,
       [&](std::size_t a) { return chipBytes[a % 2048]; },
       "repeats: 2 copies of the first 2048 bytes (CRC32 ",
       {{"kind", "repeats"}, {"part_size", 2048}, {"copies", 2}}},
      {"open-address:3",
       false,
       [&](std::size_t a) { return chipBytes[a & ~std::size_t{8}]; },
       "address-line: address line A3 makes no difference",
       {{"kind", "address-line"}, {"line", 3}}},
      {"stuck-data:7:0",
       false,
       [&](std::size_t a) { return chipBytes[a] & 0x7F; },
       "data-bit: bit D7 is always 0: a data line may be open or stuck",
       {{"kind", "data-bit"}, {"bit", 7}, {"value", 0}}},
  };
  for (const auto& c : cases) {
    Bytes made(k2732);
    for (std::size_t a = 0; a < k2732; ++a) made[a] = c.made(a);
    writeFile(path("made.bin"), made);
    const auto [status, errors, text] = run({"info", "made.bin"});
    // File, Size, CheckSum, CRC32 and SHA-1, then the one finding.
    const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
    EXPECT_EQ(
        std::tuple(status, std::ranges::count(text, '\n'), text.substr(lastLine, c.line.size())),
        std::tuple(0, 6, c.line))
        << c.faults << "\n"
        << text;

    std::filesystem::remove(path("chip.bin"));
    if (!c.blankChip) writeFile(path("chip.bin"), chipHolding(chipBytes));
    const auto [readStatus, readErrors, output] =
        run(onChip({"read", "out.bin"}, {"--json", std::string("--simulate-faults=") + c.faults}));
    EXPECT_EQ(readStatus, 0) << readErrors;
    EXPECT_EQ(readFile<Bytes>(path("out.bin")), made) << c.faults;
    const Json findings = Json::parse(output)["findings"];
    ASSERT_EQ(findings.size(), 1u) << c.faults << " " << output;
    EXPECT_EQ(fieldsOf(findings[0], c.finding), c.finding) << output;
  }
}

TEST_F(VeskDumps, InfoGivesEachFilesIdentityAsTextOrOneObjectAFileAndGoesOnPastAFileItCannotRead) {
  writeFile(path("empty.bin"), Bytes{});
  writeFile(path("a.bin"), pattern(k2732));
  // As sha1sum and gzip give them.
  const std::string emptySha1 = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
  const std::string sha1 = "00800dbc496d892249616c4f9f1f7a939ba62e1d", crc32 = "8a2f5e52";
  const std::vector<std::string> files{"empty.bin", "missing.bin", "a.bin"};
  std::vector<std::string> info{"info", "--mame", "--dat"};
  info.insert(info.end(), files.begin(), files.end());
  const std::string unreadable =
      "Open: Cannot read the file missing.bin\nNo such file or directory\n";
  EXPECT_EQ(
      run(info),
      Result(2, unreadable,
             "File: empty.bin\nSize: 0 bytes\nCheckSum = 0\nCRC32: 00000000\nSHA-1: " + emptySha1 +
                 "\nROM_LOAD( \"empty.bin\", 0x000000, 0x000000, CRC(00000000) SHA1(" + emptySha1 +
                 ") )\n<rom name=\"empty.bin\" size=\"0\" crc=\"00000000\" sha1=\"" + emptySha1 +
                 "\"/>\n\nFile: a.bin\nSize: 4096 bytes\nCheckSum = 7EB58\nCRC32: " + crc32 +
                 "\nSHA-1: " + sha1 + "\nROM_LOAD( \"a.bin\", 0x000000, 0x001000, CRC(" + crc32 +
                 ") SHA1(" + sha1 + ") )\n<rom name=\"a.bin\" size=\"4096\" crc=\"" + crc32 +
                 "\" sha1=\"" + sha1 + "\"/>\n"));

  // One object a line, its fields in their order; none of the text.
  info = {"info", "--json", "-q"};
  info.insert(info.end(), files.begin(), files.end());
  const std::string head = R"({"command":"info","type":null,"file":)";
  EXPECT_EQ(run(info),
            Result(2, unreadable,
                   head + R"("empty.bin","size":0,"checksum":"0","crc32":"00000000","sha1":")" +
                       emptySha1 + R"(","findings":[],"status":0})" + "\n" + head +
                       R"("missing.bin","status":2})" + "\n" + head +
                       R"("a.bin","size":4096,"checksum":"7EB58","crc32":")" + crc32 +
                       R"(","sha1":")" + sha1 + R"(","findings":[],"status":0})" + "\n"));
}

// Bits set in most of three bytes.
std::uint8_t majority(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  return static_cast<std::uint8_t>((a & b) | (a & c) | (b & c));
}

TEST_F(VeskDumps, ACellThatReadsAtRandomMakesReadExitThreeListingItWithEachBitsMajoritySaved) {
  writeFile(path("chip.bin"), chipHolding(pattern(k2732)));
  const auto read = [&](const char* seed, std::vector<std::string> options = {}) {
    options.insert(options.end(),
                   {"--passes", "3", std::string("--simulate-faults=unstable:0x10:0xFF,") + seed});
    return run(onChip({"read", "out.bin"}, options));
  };
  const auto [status, errors, output] = read("seed:5", {"--json"});
  const Json object = Json::parse(output);
  ASSERT_EQ(object["unstable"].size(), 1u) << output;
  const Json& unstable = object["unstable"][0];
  const std::vector<std::uint8_t> values = unstable["values"];
  ASSERT_EQ(values.size(), 3u);
  const auto all = static_cast<std::uint8_t>(values[0] & values[1] & values[2]);
  const auto any = static_cast<std::uint8_t>(values[0] | values[1] | values[2]);
  EXPECT_EQ(
      std::tuple(status, object["status"], object["passes"], unstable["address"], unstable["mask"]),
      std::tuple(3, 3, 3, 0x10, all ^ any));
  EXPECT_THAT(errors, HasSubstr("Read Eprom: The chip reads unstable: 1 location did not read "
                                "the same in all 3 passes\n"));
  Bytes merged = pattern(k2732);
  merged[0x10] = majority(values[0], values[1], values[2]);
  EXPECT_EQ(readFile<Bytes>(path("out.bin")), merged);

  // The same seed reads the same again; another one does not.
  const auto [textStatus, textErrors, text] = read("seed:5");
  EXPECT_EQ(textStatus, 3);
  EXPECT_THAT(text, ::testing::EndsWith("\n1 location reads unstable in 3 passes (address: the "
                                        "bytes read; the bits that changed)\n00010: " +
                                        hex(values[0]) + " " + hex(values[1]) + " " +
                                        hex(values[2]) + "; " + hex(all ^ any) + "\n"));
  EXPECT_NE(Json::parse(std::get<2>(read("seed:6", {"--json"})))["unstable"][0]["values"],
            unstable["values"]);
  // One pass cannot disagree with itself.
  EXPECT_EQ(std::get<0>(run(onChip({"read", "out.bin"},
                                   {"--passes", "1", "--simulate-faults=unstable:0x10:0xFF"}))),
            0);
}

TEST_F(VeskDumps, VerifyListsALocationThatDiffersInSomePassesOnlyAsUnstableNotAsADifference) {
  writeFile(path("chip.bin"), chipHolding(pattern(k2732)));
  Bytes other = pattern(k2732);
  other[0x20] = 0xFF;
  writeFile(path("same.bin"), pattern(k2732));
  writeFile(path("other.bin"), other);
  // One random bit in 16 passes: some read it right, some do not.
  const std::vector<std::string> faults{"--passes", "16", "--simulate-faults=unstable:0x10:0x01"};
  const std::string unstableHeader =
      "1 location reads unstable in 16 passes (address: the bytes read; the bits that changed)\n"
      "00010: ";
  for (const auto& [file, status, differences] :
       {std::tuple("same.bin", 3, ""),
        {"other.bin", 1,
         "1 byte differs (address: chip file)\n00020: E0 FF\n"
         "0 bits still to program (1 on the chip, 0 in the file)\n"
         "5 bits need the chip erased (0 on the chip, 1 in the file)\n"}}) {
    const auto [shownStatus, errors, text] = run(onChip({"verify", file}, faults));
    EXPECT_EQ(shownStatus, status) << file;
    EXPECT_TRUE(text.starts_with(differences + unstableHeader)) << text;
    EXPECT_THAT(errors, HasSubstr("Verify: The chip reads unstable: 1 location did not read the "
                                  "same in all 16 passes\n"));
    std::vector<std::string> json = faults;
    json.push_back("--json");
    const Json object = Json::parse(std::get<2>(run(onChip({"verify", file}, json))));
    EXPECT_EQ(std::tuple(object["status"], object["differences"], object["unstable"].size(),
                         object["unstable"][0]["address"], object["unstable"][0]["mask"]),
              std::tuple(status, status == 1 ? 1u : 0u, 1u, 0x10, 1))
        << object;
  }
}

TEST_F(VeskDumps, AWeakCellTakesItsByteOnlyAfterItsPulsesAndADeadOneNever) {
  writeFile(path("in.bin"), pattern(k2732));  // 00 07 0E ...: never FFh
  // The bad location is counted with the pulses it took, the most.
  const struct {
    const char* faults;
    Bytes programmed;
    Json pulses, bad, most;
  } cases[] = {{"weak:1:3,dead:2",
                {0x00, 0x07},
                {{"1", 2}, {"10", 1}},
                {{"address", 2}, {"wanted", 0x0E}, {"read", 0xFF}},
                {{"address", 2}, {"count", 10}}},
               {"weak:1:65535",
                {0x00},
                {{"1", 1}, {"10", 1}},
                {{"address", 1}, {"wanted", 0x07}, {"read", 0xFF}},
                {{"address", 1}, {"count", 10}}}};
  for (const auto& [faults, programmed, pulses, bad, most] : cases) {
    std::filesystem::remove(path("chip.bin"));
    const auto [status, errors, output] =
        run(onChip({"write", "in.bin"},
                   {"--pulse", kPulse, "--json", std::string("--simulate-faults=") + faults}));
    const Json object = Json::parse(output);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(object["status"], 1);
    EXPECT_EQ(object["bad"], bad) << faults;
    EXPECT_EQ(object["pulses"], pulses) << faults;
    EXPECT_EQ(object["most_pulses"], most) << faults;
    EXPECT_THAT(errors, HasSubstr("Bad Eprom"));
    EXPECT_EQ(chip(), chipHolding(programmed)) << faults;
  }
}

TEST_F(VeskDumps, APortElsewhereAndBadFaultsOrPassesAreRefusedBeforeTheChipIsTouched) {
  writeFile(path("chip.bin"), chipHolding(pattern(k2732)));
  writeFile(path("in.bin"), Bytes(k2732, 0x00));
  const std::set<std::string> before = listing(work_.path);
  const std::string noPort = "No Port Access: The programmer board at base address ";
  const struct {
    std::vector<std::string> arguments;
    std::string errors;  // how standard error begins
    std::string output;
  } cases[] = {
      {onChip({"read", "out.bin"}, {"--port", "278h", "--json"}),
       noPort + "632 (278h) cannot be reached.\nNo parallel port answers at 0278h: ",
       R"({"command":"read","type":"2732","file":"out.bin","passes":2,"status":2})"
       "\n"},
      {onChip({"blank"}, {"--port", "lpt3", "--json"}),
       noPort + "956 (3BCh) cannot be reached.\nNo parallel port answers at 03BCh: ",
       R"({"command":"blank","type":"2732","file":null,"status":2})"
       "\n"},
      {onChip({"write", "in.bin"}, {"--port", "632", "--pulse", kPulse, "--no-blank-check"}),
       noPort + "632 (278h) cannot be reached.\nNo parallel port answers at 0278h: ", ""},
      {onChip({"verify", "in.bin"}, {"--port", "0x17A", "--json"}),
       noPort + "378 (17Ah) cannot be reached.\nNo parallel port answers at 017Ah: ",
       R"({"command":"verify","type":"2732","file":"in.bin","passes":2,"status":2})"
       "\n"},
      {{"read", "-t", "2732", "--json", "--simulate-faults=no-chip", "out.bin"},
       "vesk: --simulate-faults needs --simulate: only a simulated chip has them" + kTryHelp,
       ""},
      {onChip({"blank"}, {"--simulate-faults=dead:0x10,weak:0x10"}),
       "vesk: --simulate-faults weak:0x10: write it as weak:ADDR:N" + kTryHelp, ""},
      {onChip({"verify", "in.bin"}, {"--passes", "17"}),
       "vesk: --passes 17: give a whole number from 1 to 16" + kTryHelp, ""},
  };
  for (const auto& c : cases) {
    const auto [status, errors, output] = run(c.arguments);
    EXPECT_EQ(std::tuple(status, errors.substr(0, c.errors.size()), output),
              std::tuple(2, c.errors, c.output));
  }
  EXPECT_EQ(std::tuple(listing(work_.path), chip()),
            std::tuple(before, chipHolding(pattern(k2732))));
}

}  // namespace
