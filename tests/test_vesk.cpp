// The built vesk, run as a user runs it: on a simulated chip kept in a file,
// with standard error a file or a terminal, ended by signals.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kChipFileSize = 1 << 20;  // the simulator's socket

// Bytes that are never FFh, so that every one of them changes a blank chip.
Bytes pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 % 255);
  return bytes;
}

// A chip file holding `start`, blank after it.
Bytes chipHolding(Bytes start) {
  start.resize(kChipFileSize, 0xFF);
  return start;
}

class VeskProgram : public ::testing::Test {
 protected:
  struct Result {
    int status;
    std::string errors, output;
  };
  std::vector<std::string> vesk(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), VESK_PATH);
    return arguments;
  }
  Result run(const std::vector<std::string>& arguments, ProgramRun how = {}) {
    how.argv = vesk(arguments);
    how.folder = work_.path.string();
    Program program(how);
    const int status = program.wait();
    return {status, program.errors(), program.output()};
  }
  std::string path(const std::string& name) const { return work_.filePath(name); }
  Bytes chip() const { return readBytes(path("chip.bin")); }
  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(work_.path))
      names.insert(entry.path().filename());
    return names;
  }
  TempFolder work_;
};

const std::vector<std::string> k2732{"-t", "2732", "--pulse", "0", "--simulate=chip.bin"};

std::vector<std::string> with(std::vector<std::string> command,
                              const std::vector<std::string>& options = k2732) {
  command.insert(command.begin() + 1, options.begin(), options.end());
  return command;
}

TEST_F(VeskProgram, AChipIsProgrammedOnceAndThenRefusedAsNotBlank) {
  writeBytes(path("in.bin"), pattern(2048));  // smaller than the chip: the rest is 00
  const std::string smaller = "Warning!:  File is Smaller than Eprom Size\n";
  Result r = run(with({"blank"}));  // a chip file not there yet is a blank chip
  EXPECT_EQ(std::tie(r.status, r.errors), std::tuple(0, "Blank Check: The Eprom is Empty\n"));
  EXPECT_EQ(chip(), chipHolding({}));
  r = run(with({"write", "in.bin"}));
  EXPECT_EQ(
      std::tie(r.status, r.errors),
      std::tuple(
          0, smaller +
                 "Will Write Eprom: 4096 Byte\nWrite Eprom: 4096 Byte programmed from in.bin\n"));
  Bytes image = pattern(2048);
  image.resize(4096, 0x00);
  EXPECT_EQ(chip(), chipHolding(image));
  r = run(with({"blank"}));
  EXPECT_EQ(std::tie(r.status, r.errors), std::tuple(1, "Warning !: The Eprom is not Empty\n"));
  r = run(with({"write", "in.bin"}));
  EXPECT_EQ(
      std::tie(r.status, r.errors),
      std::tuple(1, smaller + "Will Write Eprom: 4096 Byte\nWarning !: The Eprom is not Empty\n"));
  EXPECT_EQ(chip(), chipHolding(image));
}

TEST_F(VeskProgram, AByteTheChipCannotTakeEndsTheRunWithBadEprom) {
  Bytes held = chipHolding({});
  held[1000] = 0x10;  // where 73h is wanted: an EPROM cell cannot get a 1 back
  writeBytes(path("chip.bin"), held);
  writeBytes(path("in.bin"), pattern(4096));
  const Result r = run(with({"write", "--no-blank-check", "in.bin"}));
  EXPECT_EQ(std::tie(r.status, r.errors),
            std::tuple(1, "Will Write Eprom: 4096 Byte\nWarning !: Bad Eprom\n"));
  std::copy_n(pattern(1000).begin(), 1000, held.begin());
  EXPECT_EQ(chip(), held);
}

TEST_F(VeskProgram, ReadSavesTheChipAndVerifyListsTheFirstDifferences) {
  writeBytes(path("chip.bin"), pattern(4096));
  Result r = run(with({"read", "out.bin"}));
  EXPECT_EQ(std::tie(r.status, r.errors),
            std::tuple(0,
                       "Will Read Eprom 2732: 4096 Byte\nRead Eprom: 4096 Byte saved in out.bin, "
                       "CheckSum = 7EB58\n"));
  EXPECT_EQ(readBytes(path("out.bin")), pattern(4096));
  r = run(with({"verify", "out.bin"}));
  EXPECT_EQ(
      std::tie(r.status, r.errors, r.output),
      std::tuple(0, "Will Read Eprom 2732: 4096 Byte\nVerify: The Eprom matches out.bin\n", ""));
  Bytes other = pattern(4096);
  std::fill_n(other.begin() + 0x100, 20, 0xFF);
  writeBytes(path("other.bin"), other);
  r = run(with({"verify", "-q", "other.bin"}));
  std::string listed = "20 bytes differ (address: chip file), the first 16\n";
  for (std::size_t i = 0x100; i < 0x110; ++i) {
    char line[24];
    std::snprintf(line, sizeof line, "%05zX: %02X FF\n", i, pattern(4096)[i]);
    listed += line;
  }
  EXPECT_EQ(std::tie(r.status, r.errors, r.output), std::tuple(1, "", listed));
}

TEST_F(VeskProgram, UsageFileAndPortErrorsExitTwoAndChangeNothing) {
  writeBytes(path("chip.bin"), pattern(4096));
  ASSERT_EQ(::mkfifo(path("fifo.bin").c_str(), 0644), 0);
  const std::set<std::string> before = listing();
  const std::string tryHelp = "\nTry 'vesk --help'.\n";
  // Each exits 2 with standard error beginning so; only a command line that
  // was not understood points to the help.
  const std::tuple<std::vector<std::string>, std::string, bool> cases[] = {
      {{}, "vesk: no command given (read, blank, write or verify)" + tryHelp, true},
      {{"read", "-t", "27080", "out.bin"}, "vesk: type 27080 cannot be chosen", true},
      {{"blank", "-t", "2732", "--pulse", "9"}, "vesk: --pulse 9: ", true},
      {with({"write", "missing.bin"}),
       "Open: Cannot read the file missing.bin\nNo such file or directory\n", false},
      {with({"verify", "fifo.bin"}), "Open: Cannot read the file fifo.bin\nNot a regular file\n",
       false},
      {with({"read", "-q", "no-folder/out.bin"}),
       "Save As: Cannot write the file no-folder/out.bin\nNo such file or directory\n", false},
      {with({"blank"}, {"-t", "2716", "--simulate=fifo.bin"}),
       "vesk: The simulated chip cannot be kept in fifo.bin: it is not a regular file.\n", false}};
  for (const auto& [arguments, errors, usage] : cases) {
    const Result r = run(arguments);
    EXPECT_EQ(std::tie(r.status, r.output), std::tuple(2, "")) << errors;
    EXPECT_EQ(r.errors.substr(0, errors.size()), errors);
    EXPECT_EQ(r.errors.ends_with(tryHelp), usage) << r.errors;
  }
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(chip(), pattern(4096));
  EXPECT_EQ(run({"--version"}).output, "vesk " VESK_VERSION "\n");
  EXPECT_TRUE(run({"read", "--help"}).output.starts_with("Usage: vesk COMMAND -t TYPE"));
}

TEST_F(VeskProgram, WithoutAPortOrTheRightsForItTheReasonIsGiven) {
  // No board anywhere, and no rights for direct I/O, even as root.
  std::vector<std::string> command{"blank", "-t", "2732", "--port", "0x7FF0"};
  if (::geteuid() == 0)
    command = {"/usr/bin/setpriv",
               "--bounding-set=-all",
               "--inh-caps=-all",
               "--",
               VESK_PATH,
               "blank",
               "-t",
               "2732",
               "--port",
               "0x7FF0"};
  Program program({.argv = ::geteuid() == 0 ? command : vesk(command)});
  EXPECT_EQ(program.wait(), 2);
  EXPECT_TRUE(program.errors().starts_with(
      "No Port Access: The programmer board at base address 32752 (7FF0h) cannot be reached.\n"))
      << program.errors();
}

TEST_F(VeskProgram, AChipFileThatCannotBeWrittenBackIsAnErrorNotACrash) {
  // A file-size limit below the chip's 1 MiB: the programming is done, but the
  // chip file cannot take it. vesk must not be killed by SIGXFSZ.
  writeBytes(path("chip.bin"), chipHolding({}));
  writeBytes(path("in.bin"), pattern(2048));
  const Result r =
      run(with({"write", "in.bin"}, {"-t", "2716", "--pulse", "0", "--simulate=chip.bin"}),
          {.fileSizeLimit = 64 * 1024});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.errors.find(
                "Simulated Chip: The simulated chip cannot be saved to chip.bin\nFile too large\n"),
            std::string::npos)
      << r.errors;
  EXPECT_EQ(chip(), chipHolding({}));
  EXPECT_EQ(listing(), (std::set<std::string>{"chip.bin", "in.bin"}));
}

TEST_F(VeskProgram, ProgressBarOnlyWhenStandardErrorIsATerminal) {
  const std::vector<std::string> read{"read", "-t", "27512", "--simulate", "out.bin"};
  const std::string onTerminal = run(read, {.terminal = true}).errors;
  for (const char* part : {"Will Read Eprom27512: 65536 Byte", "/65536 locations", "% ", " left"})
    EXPECT_NE(onTerminal.find(part), std::string::npos) << onTerminal;
  EXPECT_EQ(run(read).errors,
            "Will Read Eprom27512: 65536 Byte\nRead Eprom: 65536 Byte saved in out.bin, CheckSum = "
            "FF0000\n");
  const Result quiet = run(with(read, {"-q"}), {.terminal = true});
  EXPECT_EQ(std::tie(quiet.status, quiet.errors), std::tuple(0, ""));
}

TEST_F(VeskProgram, TerminationSignalsStopBetweenLocationsAndTheChipFileKeepsWhatWasDone) {
  writeBytes(path("in.bin"), pattern(2048));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    fs::remove(path("chip.bin"));
    // About 10 s at 5 ms a location: the signal comes in the middle.
    Program program({.argv = vesk({"write", "-t", "2716", "--pulse", "5", "--no-blank-check",
                                   "--simulate=chip.bin", "in.bin"}),
                     .folder = work_.path.string(),
                     .terminal = true});
    ASSERT_TRUE(waitFor([&] {
      return program.errors().find(" 129/2048 locations") != std::string::npos;
    })) << program.errors();
    program.signal(signal);
    EXPECT_EQ(program.wait(), 128 + signal);
    EXPECT_EQ(program.errors().find("programmed"), std::string::npos);
    // A clean prefix: every location before the stop programmed, none after it.
    const Bytes held = chip();
    const auto stop =
        std::mismatch(held.begin(), held.begin() + 2048, pattern(2048).begin()).first -
        held.begin();
    EXPECT_GE(stop, 128) << signal;
    EXPECT_LT(stop, 2048) << signal;
    EXPECT_EQ(Bytes(held.begin() + stop, held.end()), Bytes(kChipFileSize - stop, 0xFF)) << signal;
    EXPECT_EQ(listing(), (std::set<std::string>{"chip.bin", "in.bin"}));  // no temporary file
  }
}

}  // namespace
