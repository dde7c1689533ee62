// The built vesk, run as a user runs it: on a simulated chip kept in a file,
// with standard error a file or a terminal, ended by signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <set>
#include <thread>

#include "BoardSimulator.h"
#include "CheckSum.h"
#include "HexText.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous: CI machines are small and busy.
constexpr auto kTimeOut = std::chrono::seconds(60);
constexpr std::size_t kChipFileSize = BoardSimulator::kDefaultChipSize;

struct Launch {
  bool terminal = false;  // standard error (and input) a pseudo-terminal
  rlim_t fileSizeLimit = RLIM_INFINITY;
  bool unprivileged = false;  // even as root, no capability (no port I/O)
};

// One vesk process, started in `folder`. Standard output goes to a file;
// standard error to a file, or to a pseudo-terminal that this side reads.
class Vesk {
 public:
  Vesk(const std::vector<std::string>& arguments, const std::string& folder, const TempFolder& logs,
       const Launch& launch = {})
      : outPath_(logs.filePath("out")), errPath_(logs.filePath("err")) {
    std::vector<std::string> command;
    if (launch.unprivileged && ::geteuid() == 0)
      command = {"/usr/bin/setpriv", "--bounding-set=-all", "--inh-caps=-all", "--"};
    command.push_back(VESK_PATH);
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_ = launch.terminal ? ::forkpty(&terminal_, nullptr, nullptr, nullptr) : ::fork();
    if (pid_ == 0) child(argv, folder, launch);
    if (terminal_ >= 0) ::fcntl(terminal_, F_SETFL, O_NONBLOCK);
  }
  ~Vesk() {
    if (status_ == kRunning) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (terminal_ >= 0) ::close(terminal_);
  }
  Vesk(const Vesk&) = delete;
  Vesk& operator=(const Vesk&) = delete;

  // True once standard error shows what `seen` looks for; false when the
  // program ends without it or the time runs out.
  bool waitFor(const std::function<bool(const std::string&)>& seen) {
    for (const Clock::time_point end = Clock::now() + kTimeOut; Clock::now() < end;) {
      const bool over = ended();
      if (seen(errors())) return true;
      if (over) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  void signal(int number) const { ::kill(pid_, number); }

  // The exit status; 256 + N when signal N killed it (vesk itself exits
  // 128 + N on the signals it handles); -1 when it did not end in time.
  int wait() {
    waitFor([this](const std::string&) { return status_ != kRunning; });
    return status_ == kRunning ? -1 : status_;
  }

  std::string errors() {
    if (terminal_ < 0) return readFile(errPath_);
    char bytes[4096];
    ssize_t got = 0;
    while ((got = ::read(terminal_, bytes, sizeof bytes)) > 0) shown_.append(bytes, got);
    return shown_;
  }
  std::string output() const { return readFile(outPath_); }

 private:
  static constexpr int kRunning = -2;

  [[noreturn]] void child(const std::vector<char*>& argv, const std::string& folder,
                          const Launch& launch) {
    // What the test process ignores must not be ignored for vesk by inheritance.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
      std::signal(signal, SIG_DFL);
    ::dup2(::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    if (!launch.terminal) {
      ::dup2(::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = launch.fileSizeLimit;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (::chdir(folder.c_str()) == 0) ::execv(argv[0], argv.data());
    ::_exit(127);
  }

  bool ended() {
    int status = 0;
    if (status_ == kRunning && ::waitpid(pid_, &status, WNOHANG) == pid_)
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 256 + WTERMSIG(status);
    return status_ != kRunning;
  }

  std::string outPath_;
  std::string errPath_;
  pid_t pid_ = -1;
  int terminal_ = -1;
  std::string shown_;  // what the terminal showed
  int status_ = kRunning;
};

// Bytes that are never FFh, so that every one of them changes a blank chip.
Bytes pattern(std::size_t size, unsigned seed = 0) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + seed) % 255);
  return bytes;
}

// A 1 MiB chip file holding `start`, blank after it.
Bytes chipHolding(const Bytes& start) {
  Bytes chip(kChipFileSize, 0xFF);
  std::copy(start.begin(), start.end(), chip.begin());
  return chip;
}

class VeskProgram : public ::testing::Test {
 protected:
  struct Result {
    int status;
    std::string errors;
    std::string output;
  };

  Result run(const std::vector<std::string>& arguments, const Launch& launch = {}) {
    Vesk vesk(arguments, work_.path.string(), logs_, launch);
    const int status = vesk.wait();
    return {status, vesk.errors(), vesk.output()};
  }

  std::string path(const std::string& name) const { return work_.filePath(name); }
  Bytes chip() const { return readBytes(path("chip.bin")); }

  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(work_.path))
      names.insert(entry.path().filename().string());
    return names;
  }

  TempFolder work_;
  TempFolder logs_;
};

TEST_F(VeskProgram, ReadBlankWriteAndVerifyAChipKeptInAFile) {
  const std::vector<std::string> chip2732{"-t", "2732", "--pulse", "0", "--simulate=chip.bin"};
  auto with = [&](std::vector<std::string> command) {
    command.insert(command.begin() + 1, chip2732.begin(), chip2732.end());
    return command;
  };
  // A file smaller than the chip loads as in the window: the rest is 00.
  const Bytes half = pattern(2048);
  writeBytes(path("in.bin"), half);
  Bytes image = half;
  image.resize(4096, 0x00);
  const std::string smaller = "Warning!:  File is Smaller than Eprom Size\n";

  // A chip file that is not there yet is a blank chip, kept from now on.
  Result r = run(with({"blank"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.errors, "Blank Check: The Eprom is Empty\n");
  EXPECT_EQ(chip(), Bytes(kChipFileSize, 0xFF));

  r = run(with({"write", "in.bin"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.errors, smaller +
                          "Will Write Eprom: 4096 Byte\nWrite Eprom: 4096 Byte programmed from "
                          "in.bin\n");
  EXPECT_EQ(chip(), chipHolding(image));

  for (const auto& command : {with({"blank"}), with({"write", "in.bin"})}) {
    r = run(command);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errors, (command[0] == "write" ? smaller + "Will Write Eprom: 4096 Byte\n" : "") +
                            "Warning !: The Eprom is not Empty\n");
  }
  EXPECT_EQ(chip(), chipHolding(image));

  r = run(with({"read", "out.bin"}));
  EXPECT_EQ(r.status, 0);
  MemoryImage read(4096);
  std::copy(image.begin(), image.end(), read.data());
  EXPECT_EQ(r.errors, "Will Read Eprom 2732: 4096 Byte\nRead Eprom: 4096 Byte saved in out.bin, " +
                          checkSumText(Calc_CheckSum(read, 4096)) + "\n");
  EXPECT_EQ(readBytes(path("out.bin")), image);

  r = run(with({"verify", "in.bin"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(r.errors,
            smaller + "Will Read Eprom 2732: 4096 Byte\nVerify: The Eprom matches in.bin\n");

  Bytes other = image;
  for (std::size_t i = 0x100; i < 0x100 + 20; ++i) other[i] = 0xFF;
  writeBytes(path("other.bin"), other);
  r = run(with({"verify", "-q", "other.bin"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "");
  std::string listed = "20 bytes differ (address: chip file), the first 16\n";
  for (std::size_t i = 0x100; i < 0x110; ++i)
    listed += "00" + hexString(static_cast<std::uint32_t>(i)) + ": " +
              Byte_To_Hex_String(image[i]) + " FF\n";
  EXPECT_EQ(r.output, listed);
}

TEST_F(VeskProgram, BadEpromEndsTheRunWhereTheWindowsWriteEndsIt) {
  // One location holds 10h where 11h is wanted: an EPROM cell cannot get a 1 back.
  Bytes programmed = pattern(4096);
  programmed[1000] = 0x10;
  Bytes wanted = programmed;
  wanted[1000] = 0x11;
  std::reverse(wanted.begin() + 1001, wanted.end());  // never reached
  writeBytes(path("chip.bin"), programmed);
  writeBytes(path("in.bin"), wanted);

  // The window's write command on the same chip, image and settings: vesk
  // must leave the chip file as this leaves the chip.
  BoardSimulator simulator;
  std::copy(programmed.begin(), programmed.end(), simulator.chip().begin());
  SimulatorPortSource ports(simulator);
  Recorder window;
  CommandContext context{ports, window, window, window, window};
  PortSettings settings;
  settings.VerifyEmpty = false;
  settings.ProgPulse = 0;
  MemoryImage image(4096);
  std::copy(wanted.begin(), wanted.end(), image.data());
  ASSERT_EQ(writeCommand(context, settings, 4096, image), CommandOutcome::BadEprom);

  const Result r = run(
      {"write", "--no-blank-check", "--pulse", "0", "-t", "2732", "--simulate=chip.bin", "in.bin"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "Will Write Eprom: 4096 Byte\nWarning !: Bad Eprom\n");
  EXPECT_EQ(chip(), simulator.chip());
}

TEST_F(VeskProgram, UsageFileAndPortErrorsExitTwoAndChangeNothing) {
  writeBytes(path("chip.bin"), pattern(4096));
  ASSERT_EQ(::mkfifo(path("fifo.bin").c_str(), 0644), 0);
  const std::set<std::string> before = listing();
  const std::string tryHelp = "Try 'vesk --help'.\n";
  const struct {
    std::vector<std::string> arguments;
    std::string errors;  // how they begin
    Launch launch = {};
  } cases[] = {
      {{}, "vesk: no command given (read, blank, write or verify)\n" + tryHelp},
      {{"read", "-t", "27080", "out.bin"}, "vesk: type 27080 cannot be chosen"},
      {{"blank", "-t", "2732", "--pulse", "9"}, "vesk: --pulse 9: "},
      {{"write", "-t", "2732", "--simulate=chip.bin", "missing.bin"},
       "Open: Cannot read the file missing.bin\nNo such file or directory\n"},
      {{"verify", "-t", "2732", "--simulate=chip.bin", "fifo.bin"},
       "Open: Cannot read the file fifo.bin\nNot a regular file\n"},
      {{"read", "-q", "-t", "2732", "--simulate=chip.bin", "no-folder/out.bin"},
       "Save As: Cannot write the file no-folder/out.bin\nNo such file or directory\n"},
      // No board anywhere, and no rights for direct I/O: the core's explanation.
      {{"blank", "-t", "2732", "--port", "0x7FF0"},
       "No Port Access: The programmer board at base address 32752 (7FF0h) cannot be reached.\n",
       {.unprivileged = true}},
  };
  for (const auto& c : cases) {
    const Result r = run(c.arguments, c.launch);
    const std::string shown = testing::PrintToString(c.arguments);
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.errors.substr(0, c.errors.size()), c.errors) << shown;
    EXPECT_EQ(r.output, "") << shown;
    // Only a command line that was not understood points to the help.
    const bool pointsToHelp = r.errors.size() >= tryHelp.size() &&
                              r.errors.substr(r.errors.size() - tryHelp.size()) == tryHelp;
    EXPECT_EQ(pointsToHelp, c.errors.rfind("vesk: ", 0) == 0) << shown;
  }
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(chip(), pattern(4096));

  EXPECT_EQ(run({"--version"}).output, "vesk " VESK_VERSION "\n");
  const Result help = run({"read", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("Usage: vesk COMMAND -t TYPE", 0), 0u);
}

TEST_F(VeskProgram, AChipFileInUseOrSpecialIsRefusedAtOnceAndAFailedWriteBackIsAnError) {
  writeBytes(path("in.bin"), pattern(2048));
  writeBytes(path("chip.bin"), Bytes(kChipFileSize, 0xFF));

  // A slow programming run holds the chip file; a second vesk on it is refused.
  Vesk first({"write", "-t", "2716", "--pulse", "5", "--simulate=chip.bin", "in.bin"},
             work_.path.string(), logs_);
  ASSERT_TRUE(first.waitFor([](const std::string& shown) {
    return shown.find("Will Write Eprom") != std::string::npos;
  }));
  TempFolder otherLogs;
  Vesk second({"read", "-t", "2716", "--simulate=chip.bin", "out.bin"}, work_.path.string(),
              otherLogs);
  EXPECT_EQ(second.wait(), 2);
  EXPECT_EQ(second.errors(),
            "vesk: The simulated chip in chip.bin is in use by another VeskEprom or vesk: only "
            "one program at a time may use a chip file.\n");
  first.signal(SIGTERM);
  EXPECT_EQ(first.wait(), 128 + SIGTERM);

  ASSERT_EQ(::mkfifo(path("chip.fifo").c_str(), 0644), 0);
  const Clock::time_point start = Clock::now();
  const Result fifo = run({"blank", "-t", "2716", "--simulate=chip.fifo"});
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(fifo.status, 2);
  EXPECT_EQ(fifo.errors,
            "vesk: The simulated chip cannot be kept in chip.fifo: it is not a regular file.\n");

  // A file-size limit below the chip's 1 MiB: the programming is done, but
  // the chip file cannot take it. vesk must not be killed by SIGXFSZ.
  const Bytes chipBefore = chip();
  const Result limited = run(
      {"write", "-t", "2716", "--no-blank-check", "--pulse", "0", "--simulate=chip.bin", "in.bin"},
      {.fileSizeLimit = 64 * 1024});
  EXPECT_EQ(limited.status, 2);
  EXPECT_NE(limited.errors.find("Simulated Chip: The simulated chip cannot be saved to chip.bin\n"
                                "File too large\n"),
            std::string::npos)
      << limited.errors;
  EXPECT_EQ(chip(), chipBefore);
  EXPECT_EQ(listing(), (std::set<std::string>{"chip.bin", "chip.fifo", "in.bin"}));
}

TEST_F(VeskProgram, ProgressBarOnlyWhenStandardErrorIsATerminal) {
  const std::vector<std::string> read{"read", "-t", "27512", "--simulate", "out.bin"};
  const Result onTerminal = run(read, {.terminal = true});
  EXPECT_EQ(onTerminal.status, 0);
  EXPECT_NE(onTerminal.errors.find("Will Read Eprom27512: 65536 Byte"), std::string::npos);
  EXPECT_NE(onTerminal.errors.find("/65536 locations"), std::string::npos) << onTerminal.errors;
  EXPECT_NE(onTerminal.errors.find("% "), std::string::npos);
  EXPECT_NE(onTerminal.errors.find(" left"), std::string::npos);

  const Result toFile = run(read);
  EXPECT_EQ(toFile.status, 0);
  EXPECT_EQ(toFile.errors.find("locations"), std::string::npos) << toFile.errors;
  EXPECT_EQ(toFile.errors.find('\r'), std::string::npos);

  std::vector<std::string> quiet = read;
  quiet.push_back("-q");
  const Result quietOnTerminal = run(quiet, {.terminal = true});
  EXPECT_EQ(quietOnTerminal.status, 0);
  EXPECT_EQ(quietOnTerminal.errors, "");
  EXPECT_EQ(readBytes(path("out.bin")), Bytes(65536, 0xFF));
}

// The number of locations the progress bar showed last, 0 before it shows any.
long lastLocationShown(const std::string& shown) {
  const std::size_t slash = shown.rfind("/2048 locations");
  if (slash == std::string::npos) return 0;
  const std::size_t start = shown.find_last_of(' ', slash) + 1;
  return std::stol(shown.substr(start, slash - start));
}

TEST_F(VeskProgram, TerminationSignalsStopBetweenLocationsAndTheChipFileKeepsWhatWasDone) {
  const Bytes image = pattern(2048);
  writeBytes(path("in.bin"), image);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    fs::remove(path("chip.bin"));
    // About 10 s at 5 ms a location: the signal comes in the middle.
    Vesk vesk({"write", "-t", "2716", "--pulse", "5", "--no-blank-check", "--simulate=chip.bin",
               "in.bin"},
              work_.path.string(), logs_, {.terminal = true});
    ASSERT_TRUE(vesk.waitFor([](const std::string& shown) {
      return lastLocationShown(shown) >= 20;
    })) << vesk.errors();
    vesk.signal(signal);
    EXPECT_EQ(vesk.wait(), 128 + signal);
    EXPECT_EQ(vesk.errors().find("programmed"), std::string::npos);

    // A clean prefix: every location before the stop programmed, none after it.
    const Bytes held = chip();
    ASSERT_EQ(held.size(), kChipFileSize);
    const auto stop = std::mismatch(image.begin(), image.end(), held.begin()).first - image.begin();
    EXPECT_GE(stop, 20) << signal;
    EXPECT_LT(stop, 2048) << signal;
    EXPECT_TRUE(std::all_of(held.begin() + stop, held.end(), [](std::uint8_t b) {
      return b == 0xFF;
    })) << signal;
    EXPECT_EQ(listing(), (std::set<std::string>{"chip.bin", "in.bin"}));  // no temporary file
  }
}

}  // namespace
