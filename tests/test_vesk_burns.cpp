// The built vesk on burns: verify's diagnosis of a chip with the faults of
// real ones, the hint of an empty socket, and programming over a programmed
// chip.
#include <gmock/gmock.h>

#include <csignal>
#include <nlohmann/json.hpp>

#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

constexpr std::size_t k2732 = 4096;

// The command on a 2732 in the simulated chip file, with `options`.
std::vector<std::string> onChip(std::vector<std::string> command,
                                std::vector<std::string> options = {}) {
  options.insert(options.end(), {"-t", "2732", "--simulate=chip.bin"});
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

// An image whose location a and a with any one address bit flipped differ.
Bytes firmware() {
  Bytes image(k2732);
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return image;
}

using VeskBurns = VeskProgram;

TEST_F(VeskBurns, VerifyNamesTheLineOrTheEmptySocketTheDifferencesPointTo) {
  writeFile(path("chip.bin"), chipHolding(firmware()));
  writeFile(path("in.bin"), firmware());
  const struct {
    const char* faults;
    std::string line;  // the pattern's line of the text results
    Json finding;
  } cases[] = {
      {"stuck-data:3:1",
       "data-line: only bit D3 differs: data line D3?\n",
       {{"kind", "data-line"}, {"line", 3}}},
      {"open-address:11",
       "address-line: only locations with A11 set differ, each reading what the file has with "
       "A11 clear: address line A11?\n",
       {{"kind", "address-line"}, {"line", 11}}},
      {"no-chip", "blank: the chip reads FFh everywhere: blank, or no chip\n", {{"kind", "blank"}}},
  };
  for (const auto& [faults, line, finding] : cases) {
    const std::string simulated = std::string("--simulate-faults=") + faults;
    const auto [status, errors, text] = run(onChip({"verify", "in.bin"}, {simulated}));
    EXPECT_EQ(status, 1) << faults << errors;
    EXPECT_THAT(text, HasSubstr(line)) << faults;
    const Json object =
        Json::parse(std::get<2>(run(onChip({"verify", "in.bin"}, {simulated, "--json"}))));
    ASSERT_EQ(object["findings"].size(), 1u) << object;
    EXPECT_EQ(object["findings"][0]["kind"], finding["kind"]) << object;
    EXPECT_EQ(object["findings"][0].value("line", -1), finding.value("line", -1)) << object;
    EXPECT_EQ(object["first"].size(), 16u) << object;
  }
  // Stuck at 1, D3 leaves nothing to erase; an empty socket reads all 1s.
  const Json stuck = Json::parse(std::get<2>(
      run(onChip({"verify", "in.bin"}, {"--simulate-faults=stuck-data:3:1", "--json"}))));
  EXPECT_EQ(stuck["bits_to_program"], stuck["differences"]);
  EXPECT_EQ(stuck["bits_to_erase"], 0);

  // A write into an empty socket fails at its first location, which still reads FFh.
  std::filesystem::remove(path("chip.bin"));
  const auto [status, errors, output] =
      run(onChip({"write", "-q", "in.bin"}, {"--algorithm", "quick", "--simulate-faults=no-chip"}));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(errors,
            "Warning !: Bad Eprom\nWrite Eprom: location 00000 wanted 00, read FF after the last "
            "pulse\nis a chip in the socket and the board powered?\n");
}

TEST_F(VeskBurns, OverAProgrammedChipOnlyTheLocationsThatDifferArePulsedAndARisingBitIsRefused) {
  Bytes programmed = firmware();
  std::fill(programmed.begin() + 0x800, programmed.end(), 0xFF);
  writeFile(path("chip.bin"), chipHolding(programmed));
  // A table of 16 bytes for the free part, at 0800h.
  writeFile(path("table.hex"),
            std::string(":100800001112131415161718191A1B1C1D1E1F2060\n:00000001FF\n"));
  const auto [status, errors, output] =
      run(onChip({"write", "--over", "--json", "table.hex"}, {"--algorithm", "quick"}));
  EXPECT_EQ(status, 0) << errors;
  EXPECT_THAT(errors, HasSubstr("Write Eprom: 16 locations programmed from table.hex (Intel HEX), "
                                "4080 stepped over (they held their byte); the whole chip "
                                "verified\n"));
  const Json object = Json::parse(output);
  EXPECT_EQ(object["pulses"], Json({{"1", 16}}));
  EXPECT_EQ(object["stepped_over"], 4080);
  for (std::uint8_t i = 0; i < 16; ++i) programmed[0x800 + i] = static_cast<std::uint8_t>(0x11 + i);
  EXPECT_EQ(chip(), chipHolding(programmed));

  // 0800h holds 11h; 13h needs its bit 1 raised, which only erasing does.
  writeFile(path("raise.hex"), std::string(":0108000013E4\n:00000001FF\n"));
  EXPECT_EQ(run(onChip({"write", "--over", "raise.hex"})),
            Result(1,
                   "Will Read Eprom 2732: 4096 Byte\nWrite Eprom: 1 bit at 1 location would have "
                   "to go from 0 to 1: erase the chip first (address: chip file)\n00800: 11 13\n",
                   ""));
  EXPECT_EQ(chip(), chipHolding(programmed));
}

TEST_F(VeskBurns, AWriteOverAChipStoppedBySignalSaysTheChipKeepsWhatWasProgrammed) {
  // The first half programmed; the second is pulsed at 5 ms a location, about 10 s.
  Bytes programmed = firmware();
  std::fill(programmed.begin() + 0x800, programmed.end(), 0xFF);
  writeFile(path("chip.bin"), chipHolding(programmed));
  writeFile(path("in.bin"), firmware());
  const ProgramRun write =
      vesk(onChip({"write", "--over", "--pulse", "5", "in.bin"}), {.terminal = true});
  const pid_t program = write.start();
  std::string onTerminal;
  ASSERT_TRUE(waitFor([&] {
    onTerminal += shown(write.terminalFd);
    const std::size_t writing = onTerminal.find("Will Write Eprom");
    const std::size_t count = onTerminal.rfind("/4096 locations");
    if (writing == std::string::npos || count == std::string::npos || count < writing) return false;
    // The signal once the progress is past the held half: on a fast machine the
    // first progress is still inside it.
    const std::size_t number = onTerminal.find_last_not_of("0123456789", count - 1) + 1;
    return number < count && std::stoi(onTerminal.substr(number, count - number)) >= 0x800;
  }));
  ::kill(program, SIGTERM);
  EXPECT_EQ(waitForExit(program), 128 + SIGTERM);
  onTerminal += shown(write.terminalFd);
  ::close(write.terminalFd);
  // No blank check runs over a programmed chip: the stop came while pulsing, past the held
  // half, which was stepped over: only the locations pulsed count as programmed.
  const std::string stopped = "Write Eprom: stopped while programming at location ";
  const std::size_t at = onTerminal.rfind(stopped);
  ASSERT_NE(at, std::string::npos) << onTerminal;
  const int location = std::stoi(onTerminal.substr(at + stopped.size(), 5), nullptr, 16);
  EXPECT_GT(location, 0x800);
  char left[96];
  std::snprintf(left, sizeof left, " of 4096; %d location%s programmed, the last at %05X;",
                location - 0x800, location - 0x800 == 1 ? " was" : "s were", location - 1);
  EXPECT_EQ(onTerminal.substr(at + stopped.size() + 5),
            std::string(left) + " the chip file keeps them\r\n");
}

}  // namespace
