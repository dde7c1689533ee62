// The built vesk saying why a chip said no: verify's findings on an image
// written at another offset, a refused blank check that counts what the chip
// holds and names its pattern, a blank check that passes on what an empty
// socket reads too, and a Bad Eprom followed by one read of the chip.
#include <gmock/gmock.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Json = nlohmann::json;

constexpr std::size_t k2732 = 4096;

// The command on a simulated chip of `type` in chip.bin, with `options`.
std::vector<std::string> onChip(const char* type, std::vector<std::string> command,
                                std::vector<std::string> options = {}) {
  options.insert(options.end(), {"-t", type, "--simulate=chip.bin"});
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

// `bytes` as Intel HEX records at `address` on, 16 bytes a record.
std::string hexAt(std::uint16_t address, const Bytes& bytes) {
  std::string text;
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
    const auto where = static_cast<unsigned>(address + at);
    Bytes record{static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(where >> 8),
                 static_cast<std::uint8_t>(where), 0};
    record.insert(record.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
    unsigned sum = 0;
    text += ':';
    for (const std::uint8_t byte : record) {
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02X", byte);
      text += digits;
      sum += byte;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    text += std::string(check) + "\n";
  }
  return text + ":00000001FF\n";
}

// 8 KiB of code: many values, never FFh.
Bytes monitor() {
  Bytes code(0x2000);
  for (std::size_t i = 0; i < code.size(); ++i)
    code[i] = static_cast<std::uint8_t>((i * 29 + i / 253) % 255);
  return code;
}

// A blank chip holding `bytes` at `at`.
Bytes blankHolding(const Bytes& bytes, std::size_t at) {
  Bytes chip(kChipFileSize, 0xFF);
  std::ranges::copy(bytes, chip.begin() + static_cast<std::ptrdiff_t>(at));
  return chip;
}

using VeskDiagnosis = VeskProgram;

TEST_F(VeskDiagnosis, AnImageWrittenAtAnotherOffsetIsNamedAsSuchNotAsThreeAddressLines) {
  writeFile(path("mon.hex"), hexAt(0xE000, monitor()));
  const std::string blankWhereData =
      "blank-where-data: every differing location reads FFh: blank where the file has data\n";
  const struct {
    std::size_t burntAt;
    std::vector<std::string> options;
    std::string findings;   // the last lines of the text
    std::string firstLine;  // the first difference, as listed
  } cases[] = {
      // Burnt with --offset -0xE000, verified without.
      {0, {}, "shifted: the chip holds at 00000 what the file has at 0E000", "0E000: FF 00\n"},
      {0x6000, {}, "shifted: the chip holds at 06000 what the file has at 0E000", "0E000: FF 00\n"},
      // Burnt without, verified with: the file's addresses beside the chip's.
      {0xE000,
       {"--offset", "-0xE000"},
       "shifted: the chip holds at 0E000 what the file has at 0E000",
       "(address, file address: chip file), the first 16\n00000, 0E000: FF 00\n"},
  };
  for (const auto& c : cases) {
    writeFile(path("chip.bin"), blankHolding(monitor(), c.burntAt));
    const auto [status, errors, text] = run(onChip("27C512", {"verify", "mon.hex"}, c.options));
    EXPECT_EQ(status, 1) << errors;
    EXPECT_THAT(text, HasSubstr(c.firstLine));
    EXPECT_THAT(text,
                HasSubstr(blankWhereData + c.findings + ": written with a different --offset?\n"));
    EXPECT_THAT(text, Not(HasSubstr("address-line")));
  }
  std::vector<std::string> json = cases[2].options;
  json.push_back("--json");
  const Json object = Json::parse(std::get<2>(run(onChip("27C512", {"verify", "mon.hex"}, json))));
  EXPECT_EQ(object["first"][0],
            Json({{"address", 0}, {"file_address", 0xE000}, {"chip", 0xFF}, {"file", 0x00}}));
  const Json& findings = object["findings"];
  ASSERT_EQ(findings.size(), 2u) << object;
  EXPECT_EQ(std::tuple(findings[0]["kind"], findings[1]["kind"], findings[1]["chip_address"],
                       findings[1]["file_address"]),
            std::tuple("blank-where-data", "shifted", 0xE000, 0xE000));
}

TEST_F(VeskDiagnosis, ARefusedBlankCheckCountsWhatTheChipHoldsAndNamesWhatExplainsIt) {
  Bytes singleBits(k2732, 0xFF);
  singleBits[0x10] = 0xFE, singleBits[0x400] = 0xBF, singleBits[0xF00] = 0xF7;
  Bytes table(k2732, 0xFF);
  std::fill_n(table.begin() + 0x100, 16, 0x42);
  const struct {
    Bytes chip;
    const char* faults;
    std::string lines;  // after "Blank Check: location ... holds ..., not FF\n"
  } cases[] = {
      {Bytes(k2732, 0xFF), "--simulate-faults=stuck-data:3:0",
       "read again, 4096 locations are not FF, from 00000 to 00FFF\nevery location reads F7: data "
       "line D3 stuck low, or not connected: erasing will not help\n"},
      {singleBits, "--simulate-faults=seed:1",
       "read again, 3 locations are not FF, from 00010 to 00F00\neach holds a single 0 bit: not "
       "erased long enough?\n"},
      {table, "--simulate-faults=seed:1",
       "read again, 16 locations are not FF, from 00100 to 0010F\n"},
  };
  for (const auto& c : cases) {
    writeFile(path("chip.bin"), chipHolding(c.chip));
    const auto [status, errors, output] = run(onChip("2732", {"blank"}, {c.faults}));
    EXPECT_EQ(status, 1);
    EXPECT_THAT(errors, ::testing::EndsWith(" not FF\n" + c.lines));
  }
  // A write checks first, and says the same.
  writeFile(path("chip.bin"), chipHolding({}));
  writeFile(path("in.bin"), Bytes(k2732, 0x00));
  const auto [status, errors, output] =
      run(onChip("2732", {"write", "in.bin"}, {"--simulate-faults=stuck-data:3:0"}));
  EXPECT_EQ(status, 1);
  EXPECT_THAT(errors, ::testing::EndsWith("Write Eprom: location 00000 holds F7, not FF\n" +
                                          cases[0].lines));
  const Json object = Json::parse(
      std::get<2>(run(onChip("2732", {"blank"}, {"--json", "--simulate-faults=stuck-data:3:0"}))));
  EXPECT_EQ(object["not_blank"],
            Json({{"locations", 4096},
                  {"lowest", 0},
                  {"highest", 4095},
                  {"findings",
                   {{{"kind", "lines-low"},
                     {"value", 0xF7},
                     {"text",
                      "every location reads F7: data line D3 stuck low, or not connected: "
                      "erasing will not help"}}}}}));
}

TEST_F(VeskDiagnosis, ABlankCheckThatPassesSaysAnEmptySocketReadsTheSameWhereTheSocketMayBeEmpty) {
  const auto blank = [&](const char* faults, std::vector<std::string> options = {}) {
    options.push_back(std::string("--simulate-faults=") + faults);
    return run(onChip("2732", {"blank"}, options));
  };
  EXPECT_EQ(blank("no-chip"),
            Result(0, "Blank Check: The Eprom is Empty (an empty socket reads the same)\n", ""));
  // The simulator knows its socket holds a chip.
  EXPECT_EQ(blank("seed:1"), Result(0, "Blank Check: The Eprom is Empty\n", ""));
  EXPECT_EQ(Json::parse(std::get<2>(blank("no-chip", {"--json"})))["socket_could_be_empty"], true);
  EXPECT_EQ(Json::parse(std::get<2>(blank("seed:1", {"--json"})))["socket_could_be_empty"], false);
}

TEST_F(VeskDiagnosis, ABadEpromIsFollowedByOneReadThatNamesAStuckDataLineOrAnOpenAddressLine) {
  // D5 stuck high: the first location that wants D5 at 0 fails.
  Bytes image(k2732, 0xFF);
  image[0] = 0x3F, image[1] = 0xE0, image[2] = 0x55;
  writeFile(path("d5.bin"), image);
  const std::vector<std::string> quick{"--algorithm", "quick"};
  std::vector<std::string> options = quick;
  options.push_back("--simulate-faults=stuck-data:5:1");
  auto [status, errors, output] = run(onChip("2732", {"write", "d5.bin"}, options));
  EXPECT_EQ(status, 1);
  EXPECT_THAT(errors, HasSubstr("location 00002 wanted 55, read 75 after the last pulse\n"));
  EXPECT_THAT(output, ::testing::EndsWith("Read again after Bad Eprom: 1 byte differs from what it "
                                          "should hold by now (address: chip wanted)\n00002: 75 "
                                          "55\ndata-line: only bit D5 differs: data line D5?\n"));

  // A11 open: 00800h is programmed into 00000h, which then holds 1Fh AND 6Ch.
  std::filesystem::remove(path("chip.bin"));
  image.assign(k2732, 0xFF);
  for (std::size_t at = 0; at < 0x800; ++at) image[at] = static_cast<std::uint8_t>(at * 7 % 255);
  image[0] = 0x1F, image[0x800] = 0x6C;
  writeFile(path("a11.bin"), image);
  options = quick;
  options.insert(options.end(), {"--simulate-faults=open-address:11", "--json"});
  std::tie(status, errors, output) = run(onChip("2732", {"write", "a11.bin"}, options));
  EXPECT_EQ(status, 1);
  EXPECT_THAT(errors, HasSubstr("location 00800 wanted 6C, read 0C after the last pulse\n"));
  const Json read = Json::parse(output)["bad_read"];
  ASSERT_EQ(read["findings"].size(), 1u) << read;
  EXPECT_EQ(
      std::tuple(read["findings"][0]["kind"], read["findings"][0]["line"],
                 read["findings"][0]["written_through"], read["overwrote"]),
      std::tuple("address-line", 11, true, Json({{"address", 0}, {"chip", 0x0C}, {"file", 0x1F}})));
  options.pop_back();
  std::filesystem::remove(path("chip.bin"));
  EXPECT_THAT(std::get<2>(run(onChip("2732", {"write", "a11.bin"}, options))),
              ::testing::EndsWith("address-line: each differing location reads the same as its "
                                  "twin across A11, as one cell that took the bytes of both: "
                                  "address line A11?\nthe pulses for 00800 went to 00000, which "
                                  "reads 0C where 1F was programmed\n"));
}

}  // namespace
