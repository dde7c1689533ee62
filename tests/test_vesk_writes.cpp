// The built vesk's writes: stops that say where they came and what the chip
// holds, every location pulsed counted, the whole chip read back at the end,
// images that do not fit refused, and a pulse only where one is needed.
#include <gmock/gmock.h>

#include <csignal>
#include <functional>
#include <nlohmann/json.hpp>

#include "SrecCat.h"
#include "VeskProgram.h"

namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Json = nlohmann::json;

constexpr std::int32_t k2716 = 2048;

// "00100": an address as vesk shows it.
std::string hex5(std::size_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%05zX", address);
  return text;
}

// `image` in Intel HEX at `address`, 16 bytes a record.
std::string hexFile(std::uint16_t address, const Bytes& image) {
  std::string text;
  for (std::size_t at = 0; at < image.size(); at += 16) {
    const Bytes record(
        image.begin() + static_cast<std::ptrdiff_t>(at),
        image.begin() + static_cast<std::ptrdiff_t>(std::min(at + 16, image.size())));
    text += ihexRecord(0, static_cast<std::uint16_t>(address + at), record) + "\n";
  }
  return text + ":00000001FF\n";
}

// `start`, then FFh to the end of a 2716.
Bytes then2716Blank(Bytes start) {
  start.resize(k2716, 0xFF);
  return start;
}

class VeskWrites : public VeskProgram {
 protected:
  // `command` on the 2716 kept in chip.bin, with `options`.
  static std::vector<std::string> on2716(std::vector<std::string> command,
                                         std::vector<std::string> options = {}) {
    options.insert(options.end(), {"-t", "2716", "--pulse", "0.1", "--simulate=chip.bin"});
    command.insert(command.begin() + 1, options.begin(), options.end());
    return command;
  }

  // `arguments` run on a terminal, each access to the simulated board taking
  // 100 us, and stopped by SIGINT in the `pass`-th pass over the chip (from
  // 1) once its bar has moved on from its first location: the exit status
  // and the line that says where the run stopped.
  std::pair<int, std::string> stoppedInPass(std::vector<std::string> arguments, int pass) const {
    arguments.emplace_back("--simulate-latency=100");
    const ProgramRun run = vesk(arguments, {.terminal = true});
    const pid_t program = run.start();
    const std::string firstLocation = "%  1/2048 locations";
    std::string onTerminal;
    const bool reached = waitFor([&] {
      onTerminal += shown(run.terminalFd);
      std::size_t at = std::string::npos;
      for (int seen = 0; seen < pass; ++seen) {
        at = onTerminal.find(firstLocation, at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) return false;
      }
      return onTerminal.find("/2048 locations", at + firstLocation.size()) != std::string::npos;
    });
    ::kill(program, SIGINT);
    const int status = waitForExit(program);
    onTerminal += shown(run.terminalFd);
    ::close(run.terminalFd);
    if (!reached) return {status, "pass " + std::to_string(pass) + " never came: " + onTerminal};
    const std::size_t line = onTerminal.rfind("\r\n", onTerminal.size() - 3);
    return {status, onTerminal.substr(line == std::string::npos ? 0 : line + 2)};
  }
};

TEST_F(VeskWrites, ASignalNamesTheStepItStoppedInAndWhatTheChipHolds) {
  const Bytes code = pattern(256);  // never FFh: every one of its locations is pulsed
  writeFile(path("code.bin"), code);
  Bytes tail(k2716, 0xFF);  // FFh but for its last 8 locations
  std::fill(tail.end() - 8, tail.end(), 0x11);
  writeFile(path("tail.bin"), tail);
  const Bytes over = pattern(512);  // the code and 256 bytes more, over the code
  writeFile(path("over.bin"), over);
  // How many of the file's locations before `stop` were pulsed, and the last.
  const auto programmed = [](const Bytes& file, const Bytes& held, std::size_t stop) {
    std::size_t count = 0, last = 0;
    for (std::size_t at = 0; at < std::min(stop, file.size()); ++at)
      if (file[at] != held[at]) ++count, last = at;
    if (count == 0) return std::string("; nothing was programmed");
    return "; " + std::to_string(count) + (count == 1 ? " location was" : " locations were") +
           " programmed, the last at " + hex5(last) + "; the chip file keeps them";
  };
  const Bytes blank(k2716, 0xFF);
  // The chip after the stop: `meant` programmed up to `upTo`, the rest as it was.
  const auto written = [](Bytes before, const Bytes& meant, std::size_t upTo) {
    before.resize(k2716, 0xFF);
    std::copy_n(meant.begin(), std::min(upTo, meant.size()), before.begin());
    return before;
  };
  const auto unchanged = [](const Bytes& before) {
    return [before](std::size_t) { return then2716Blank(before); };
  };
  const struct {
    std::vector<std::string> arguments;
    Bytes chipBefore;
    int pass;
    std::string step;  // the line, up to the location
    std::function<std::string(std::size_t)> left;
    std::function<Bytes(std::size_t)> chipAfter;
  } cases[] = {
      {on2716({"read", "out.bin"}), code, 2, "Read Eprom: stopped in the read, pass 2 of 2,",
       [](std::size_t) { return std::string("; nothing was saved"); }, unchanged(code)},
      {on2716({"blank"}), blank, 1, "Blank Check: stopped in the blank check",
       [](std::size_t) { return std::string(); }, unchanged(blank)},
      {on2716({"verify", "code.bin"}), code, 1, "Verify: stopped in the read, pass 1 of 2,",
       [](std::size_t) { return std::string("; nothing was compared"); }, unchanged(code)},
      {on2716({"write", "code.bin"}), blank, 1, "Write Eprom: stopped in the blank check",
       [](std::size_t) { return std::string("; nothing was programmed"); }, unchanged(blank)},
      // Stepped over, the FFh locations get no pulse: nothing was programmed before 007F8.
      {on2716({"write", "tail.bin"}), blank, 2, "Write Eprom: stopped while programming",
       [&](std::size_t stop) { return programmed(tail, blank, stop); },
       [&](std::size_t stop) { return written(blank, tail, stop); }},
      {on2716({"write", "code.bin"}), blank, 2, "Write Eprom: stopped while programming",
       [&](std::size_t stop) { return programmed(code, blank, stop); },
       [&](std::size_t stop) { return written(blank, code, stop); }},
      {on2716({"write", "code.bin"}), blank, 3, "Write Eprom: stopped in the whole-chip verify",
       [&](std::size_t) { return programmed(code, blank, k2716) + "; the chip is not verified"; },
       unchanged(code)},
      {on2716({"write", "--over", "over.bin"}), code, 1,
       "Write Eprom: stopped in the read before --over",
       [](std::size_t) { return std::string("; nothing was programmed"); }, unchanged(code)},
      {on2716({"write", "--over", "over.bin"}), code, 2, "Write Eprom: stopped while programming",
       [&](std::size_t stop) { return programmed(over, then2716Blank(code), stop); },
       [&](std::size_t stop) { return written(code, over, stop); }},
      {on2716({"write", "--over", "over.bin"}), code, 3,
       "Write Eprom: stopped in the whole-chip verify",
       [&](std::size_t) {
         return programmed(over, then2716Blank(code), k2716) + "; the chip is not verified";
       },
       unchanged(over)},
  };
  for (const auto& [arguments, chipBefore, pass, step, left, chipAfter] : cases) {
    const std::string what = testing::PrintToString(arguments) + " pass " + std::to_string(pass);
    writeFile(path("chip.bin"), chipHolding(chipBefore));
    const auto [status, line] = stoppedInPass(arguments, pass);
    EXPECT_EQ(status, 128 + SIGINT) << what;
    ASSERT_TRUE(line.starts_with(step + " at location ")) << what << "\n" << line;
    // "at location 00123 of 2048": in hex, the locations done before the stop.
    const std::size_t stop = std::stoul(line.substr(step.size() + 13, 5), nullptr, 16);
    EXPECT_EQ(line, step + " at location " + hex5(stop) + " of 2048" + left(stop) + "\r\n") << what;
    EXPECT_EQ(chip(), chipHolding(chipAfter(stop))) << what;
    EXPECT_FALSE(std::filesystem::exists(path("out.bin"))) << what;
  }
}

TEST_F(VeskWrites, ALocationThatNeverTookItsByteIsCountedWithThePulsesItTook) {
  writeFile(path("in.bin"), pattern(k2716));
  const auto [status, errors, output] =
      run(on2716({"write", "in.bin"}, {"--simulate-faults=dead:0x100"}));
  EXPECT_EQ(status, 1);
  EXPECT_THAT(errors, HasSubstr("Write Eprom: location 00100 wanted 07, read FF after the last "
                                "pulse\n"));
  EXPECT_THAT(output, StartsWith("1 pulse: 256 locations\n10 pulses: 1 location\nMost pulses: "
                                 "10, at 00100\n"));
}

TEST_F(VeskWrites, EveryWriteEndsWithAWholeChipVerifyThatFindsWhatTheReadBacksCannot) {
  // Code linked at E000h, burnt through an open A15: each location's pulses go
  // to 6000h ..., which reads back right through the same open line.
  const Bytes code = pattern(256);
  writeFile(path("mon.hex"), hexFile(0xE000, code));
  const std::vector<std::string> write{"write",
                                       "-t",
                                       "27C512",
                                       "--simulate",
                                       "--algorithm",
                                       "quick",
                                       "--simulate-faults=open-address:15"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> arguments = write;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  };
  const auto [status, errors, output] = run(with({"mon.hex"}));
  EXPECT_EQ(status, 1);
  EXPECT_THAT(output, HasSubstr("256 bytes differ (address: chip file), the first 16\n06000: 00 "
                                "FF\n06001: 07 FF\n"));
  EXPECT_THAT(errors, HasSubstr("Write Eprom: the whole chip read back after programming: 256 "
                                "bytes differ from the image\n"));
  EXPECT_THAT(errors, Not(HasSubstr("programmed from")));
  const Json object = Json::parse(std::get<2>(run(with({"--json", "mon.hex"}))));
  EXPECT_EQ(
      std::tuple(object["status"], object["verify"]["differences"], object["verify"]["first"][0]),
      std::tuple(1, 256, Json({{"address", 0x6000}, {"chip", 0}, {"file", 0xFF}})));
  // Without the verify the fault goes unseen, as it did before every write ended with one.
  EXPECT_EQ(std::get<0>(run(with({"--no-verify", "mon.hex"}))), 0);

  // A sound chip: the verify finds nothing, over a programmed chip too.
  writeFile(path("in.bin"), pattern(k2716));
  for (const char* over : {"", "--over"}) {
    std::vector<std::string> arguments = on2716({"write", "--json", "in.bin"});
    if (*over != '\0') arguments.insert(arguments.begin() + 1, over);
    const auto [soundStatus, soundErrors, soundOutput] = run(arguments);
    const Json sound = Json::parse(soundOutput);
    EXPECT_EQ(std::tuple(soundStatus, sound["verify"]["differences"], sound["verify"]["first"]),
              std::tuple(0, 0, Json::array()))
        << over << soundErrors;
  }
}

TEST_F(VeskWrites, AnImageThatDoesNotFitIsRefusedBeforeTheBoardIsTouchedUnlessCut) {
  writeFile(path("manual.pdf"), pattern(9000));
  writeFile(path("rom.bin"), pattern(8192));
  writeFile(path("mon.hex"), hexFile(0xE000, pattern(32)));
  const std::vector<std::string> on2764{"-t", "2764", "--pulse", "0.1", "--simulate=chip.bin"};
  const auto command = [&](std::vector<std::string> words) {
    words.insert(words.begin() + 1, on2764.begin(), on2764.end());
    return words;
  };
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {command({"write", "manual.pdf"}),
       "it is 9000 bytes, bigger than the 8192-byte chip: --cut takes its first 8192"},
      {command({"verify", "manual.pdf"}),
       "it is 9000 bytes, bigger than the 8192-byte chip: --cut takes its first 8192"},
      {command({"write", "--offset", "0x10", "rom.bin"}),
       "with the offset 0x10, its bytes 0x1FF0 to 0x1FFF fall outside the 8192-byte chip (0x0 "
       "to 0x1FFF): --cut leaves them out"},
      {command({"write", "--offset", "-0x10", "rom.bin"}),
       "with the offset -0x10, its bytes 0x0 to 0xF fall outside the 8192-byte chip (0x0 to "
       "0x1FFF): --cut leaves them out"},
      // The offset that brings the file's lowest address to 0 is suggested.
      {command({"write", "mon.hex"}),
       "line 1: address 0xE000 is outside the 8192-byte chip (0x0 to 0x1FFF): --offset -0xE000?"},
  };
  for (const auto& [arguments, reason] : refused) {
    const auto [status, errors, output] = run(arguments);
    EXPECT_EQ(std::tuple(status, output), std::tuple(2, "")) << reason;
    EXPECT_THAT(errors, HasSubstr(reason));
    EXPECT_THAT(errors, Not(HasSubstr("Will "))) << reason;  // the board was not touched
    EXPECT_EQ(chip(), chipHolding({})) << reason;
  }
  // --cut takes what fits.
  EXPECT_EQ(run(command({"write", "-q", "--cut", "manual.pdf"})),
            Result(0,
                   "Warning!: 808 bytes of the file fall outside the 8192-byte chip and are left "
                   "out\n",
                   "1 pulse: 8192 locations\nMost pulses: 1, at 00000\n"));
  const Bytes manual = pattern(9000);
  EXPECT_EQ(chip(), chipHolding(Bytes(manual.begin(), manual.begin() + 8192)));
  std::filesystem::remove(path("chip.bin"));
  const auto [status, errors, output] =
      run(command({"write", "--cut", "--offset", "0x10", "rom.bin"}));
  EXPECT_EQ(status, 0) << errors;
  EXPECT_THAT(errors, HasSubstr("Warning!: 16 bytes of the file fall outside the 8192-byte chip "
                                "with the offset 0x10 and are left out\n"));
  Bytes shifted(16, 0xFF);
  const Bytes rom = pattern(8192);
  shifted.insert(shifted.end(), rom.begin(), rom.end() - 16);
  EXPECT_EQ(chip(), chipHolding(shifted));
  // A smaller raw image is filled, and the note gives both sizes.
  writeFile(path("small.bin"), pattern(100));
  EXPECT_THAT(std::get<1>(run(command({"verify", "small.bin"}))),
              HasSubstr("Open: small.bin is 100 bytes, smaller than the 8192-byte chip\n"));
}

TEST_F(VeskWrites, OnlyTheLocationsThatNeedAPulseArePulsed) {
  // A 50-byte program in a 2764: its FFh locations hold their byte on a blank chip.
  writeFile(path("prog.bin"), pattern(50));
  const std::vector<std::string> write{"write",  "-t",      "2764", "--simulate=chip.bin",
                                       "--json", "--pulse", "0.1"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> arguments = write;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  };
  const Json stepped = Json::parse(std::get<2>(run(with({"prog.bin"}))));
  EXPECT_EQ(std::tuple(stepped["pulses"], stepped["stepped_over"], stepped["status"]),
            std::tuple(Json({{"1", 50}}), 8142, 0));
  EXPECT_EQ(chip(), chipHolding(pattern(50)));
  // Unchecked, nothing is known of the chip: every location is pulsed.
  std::filesystem::remove(path("chip.bin"));
  const Json unchecked = Json::parse(std::get<2>(run(with({"--no-blank-check", "prog.bin"}))));
  EXPECT_EQ(std::tuple(unchecked["pulses"], unchecked.contains("stepped_over")),
            std::tuple(Json({{"1", 8192}}), false));
  const auto [status, errors, output] =
      run({"write", "-t", "2764", "--simulate=chip.bin", "--pulse", "0.1", "prog.bin"});
  EXPECT_EQ(status, 1);  // programmed now; the refusal names --over
  EXPECT_THAT(errors, HasSubstr("Write Eprom: location 00000 holds 00, not FF\nread again, 50 "
                                "locations are not FF, from 00000 to 00031\ngive --over to "
                                "program over what it holds\n"));
}

TEST_F(VeskWrites, AWeakCellNeedsNTimesASoundCellsPulseTimeAsTheManualsSay) {
  // With the default algorithm's 1 ms pulses: weak:0x10:5 takes one, weak:0x10:30 three.
  // The simulated cell times its pulses on the steady clock: on a loaded machine
  // two pulses may outlast 3 ms, as they would on a real chip.
  writeFile(path("image.bin"), pattern(32));  // the rest FFh, stepped over
  for (const auto& [weak, most] : {std::pair("5", "Most pulses: 1, at 00000\n"),
                                   std::pair("30", "Most pulses: [23], at 00010\n")}) {
    std::filesystem::remove(path("chip.bin"));
    const auto [status, errors, output] =
        run({"write", "-t", "2732", "--simulate=chip.bin",
             std::string("--simulate-faults=weak:0x10:") + weak, "image.bin"});
    EXPECT_EQ(status, 0) << errors;
    EXPECT_THAT(output, ContainsRegex(most)) << weak;
  }
  // Both manual pages and the README say so, and show it with that example.
  for (const char* document : {"/man/vesk.1", "/man/VeskEprom.1", "/README.md"}) {
    const std::string text = readFile(std::string(DOCUMENTS) + document);
    const bool roff = text.starts_with(".TH");
    EXPECT_THAT(text, HasSubstr("weak:0x10:30")) << document;
    EXPECT_THAT(text, HasSubstr(roff ? ".IR N \" \\(mu 100 \\(*ms.\"" : "N × 100 us")) << document;
    EXPECT_THAT(text, Not(HasSubstr("-th\npulse"))) << document;  // "at its N-th pulse"
    EXPECT_THAT(text, Not(HasSubstr("N-th pulse"))) << document;
  }
}

}  // namespace
