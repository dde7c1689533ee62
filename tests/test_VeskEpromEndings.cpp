// The built VeskEprom ended as users end it: by a signal, by a display that
// goes away, with a chip file it cannot keep or that another program holds.
// The simulated chip's file must hold the chip through all of these.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>

#include "ProgramRun.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

constexpr std::size_t kChipSize = 1 << 20;
constexpr std::size_t k2732 = 4096;  // the start-up type: a write programs 4096 bytes of 00

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// An X server of the test's own, on the first free display.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string fd = std::to_string(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes the display's number and a line feed once it takes clients.
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
      name_ = ":" + number;
  }
  ~VirtualDisplay() { stop(); }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  const std::string& name() const { return name_; }
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  // xdotool on this display; false when it fails or takes more than 30 s.
  bool xdo(const std::string& arguments) const {
    return std::system(
               ("DISPLAY=" + name_ + " timeout 30 xdotool " + arguments + " >/dev/null 2>&1")
                   .c_str()) == 0;
  }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

class VeskEpromEndings : public ::testing::Test {
 protected:
  ProgramRun Run(const std::string& chipFile) const {
    ProgramRun run;
    run.argv = {VESKEPROM_PATH, "--simulate=" + chipFile};
    run.folder = folder_.path.string();
    run.errorFile = errors_;
    run.env = {{"QT_QPA_PLATFORM", "offscreen"}};
    return run;
  }
  ProgramRun runOn(const VirtualDisplay& display) const {
    ProgramRun run = Run(chip_);
    run.env = {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", display.name()}};
    return run;
  }
  std::string errors() const { return readFile(errors_); }
  // Names in the folder besides default.bin and standard error's file.
  std::vector<std::string> otherFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path)) {
      const std::string name = entry.path().filename().string();
      if (name != "default.bin" && name != ".errors" && name != "chip.bin") names.push_back(name);
    }
    return names;
  }
  // True while some program holds the chip file's lock.
  bool chipFileLocked() const {
    const int fd = ::open(chip_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
  }
  // How many locations from the first hold 00h, and whether all after them
  // are still blank: a programming run that stopped leaves a clean prefix.
  std::pair<std::size_t, bool> programmedPrefix() const {
    const std::vector<std::uint8_t> chip = readBytes(chip_);
    const auto end = std::find_if(chip.begin(), chip.end(), [](auto b) { return b != 0x00; });
    const bool restBlank =
        chip.size() == kChipSize && std::all_of(end, chip.end(), [](auto b) { return b == 0xFF; });
    return {static_cast<std::size_t>(end - chip.begin()), restBlank};
  }
  // Action menu, Write Eprom, then OK on the confirmation: a 2732 run of
  // 4096 locations with 1 ms pulses, more than four seconds. Every step is
  // polled for: keys that arrive before the window is ready are sent again.
  void startProgramming(const VirtualDisplay& display) const {
    const auto visible = [&](const std::string& title) {
      return display.xdo("search --onlyvisible --name '^" + title + "'");
    };
    const auto focus = [&](const std::string& title) {
      return display.xdo("search --onlyvisible --name '^" + title + "' windowfocus --sync %1");
    };
    ASSERT_TRUE(waitFor([&] { return focus("Vesk Eprom Programmer"); }, seconds(90)))
        << "the main window did not appear on " << display.name() << "\n"
        << errors();
    bool confirmation = false;
    for (int attempt = 0; attempt < 10 && !confirmation; ++attempt) {
      display.xdo("key --clearmodifiers Escape alt+a w");
      confirmation = waitFor([&] { return visible("Will Write Eprom"); }, seconds(5));
    }
    ASSERT_TRUE(confirmation) << "the Write command's confirmation did not appear";
    ASSERT_TRUE(waitFor(
        [&] {
          focus("Will Write Eprom");
          display.xdo("key --clearmodifiers Return");
          return waitFor([&] { return !visible("Will Write Eprom"); }, seconds(2));
        },
        seconds(90)))
        << "the confirmation did not close";
  }

  TempFolder folder_;
  std::string chip_ = folder_.filePath("chip.bin");
  std::string errors_ = folder_.filePath(".errors");
};

TEST_F(VeskEpromEndings, AChipFileThatCannotBeKeptIsRefusedAtStartNamingIt) {
  ASSERT_EQ(::mkfifo(folder_.filePath("fifo").c_str(), 0600), 0);
  const struct {
    std::string chipFile, words;
  } cases[] = {{folder_.filePath("no-folder/chip.bin"), "does not exist"},
               {folder_.filePath("fifo"), "it is not a regular file"}};
  for (const auto& c : cases) {
    EXPECT_EQ(describeStatus(waitForExit(Run(c.chipFile).start(), seconds(30))), exited(1));
    EXPECT_TRUE(has(errors(), c.chipFile) && has(errors(), c.words)) << errors();
  }

  // A size limit: the blank chip cannot be written at start. Reported, not a
  // SIGXFSZ, and nothing is left behind.
  ProgramRun limited = Run(chip_);
  limited.fileSizeLimit = 4096;
  EXPECT_EQ(describeStatus(waitForExit(limited.start(), seconds(30))), exited(1));
  EXPECT_TRUE(has(errors(), chip_ + ": File too large")) << errors();
  EXPECT_FALSE(fs::exists(chip_));
  EXPECT_EQ(otherFiles(), std::vector<std::string>{"fifo"});

  // One program per chip file.
  ProgramRun firstRun = Run(chip_);
  firstRun.errorFile = "/dev/null";  // standard error's file is the second one's
  const pid_t first = firstRun.start();
  ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }, seconds(30)));
  EXPECT_EQ(describeStatus(waitForExit(Run(chip_).start(), seconds(30))), exited(1));
  EXPECT_TRUE(has(errors(), chip_ + " is in use")) << errors();
  ::kill(first, SIGTERM);
  EXPECT_EQ(describeStatus(waitForExit(first)), exited(128 + SIGTERM));
}

TEST_F(VeskEpromEndings, EachSignalEndsItCleanlyWithTheChipInItsFile) {
  std::vector<std::uint8_t> pattern(65536);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> expected = pattern;
  expected.resize(kChipSize, 0xFF);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    writeBytes(chip_, pattern);
    const pid_t program = Run(chip_).start();
    ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }, seconds(30)));
    ::kill(program, signal);
    EXPECT_EQ(describeStatus(waitForExit(program)), exited(128 + signal)) << signal;
    EXPECT_EQ(readBytes(chip_), expected) << signal;
    EXPECT_FALSE(chipFileLocked());
    EXPECT_EQ(otherFiles(), std::vector<std::string>{});
  }

  // Started under nohup, the closed terminal's SIGHUP does not end it.
  ProgramRun nohup = Run(chip_);
  nohup.ignoredSignals = {SIGHUP};
  const pid_t program = nohup.start();
  ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }, seconds(30)));
  ::kill(program, SIGHUP);
  EXPECT_FALSE(
      waitFor([&] { return ::waitpid(program, nullptr, WNOHANG) == program; }, seconds(1)));
  ::kill(program, SIGTERM);
  EXPECT_EQ(describeStatus(waitForExit(program)), exited(128 + SIGTERM));
}

TEST_F(VeskEpromEndings, AProgrammingRunIsInTheChipFileBeforeTheProgramEnds) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  const pid_t program = runOn(display).start();
  ASSERT_NO_FATAL_FAILURE(startProgramming(display));
  EXPECT_TRUE(waitFor([&] { return programmedPrefix().first >= k2732; }, seconds(180)));
  EXPECT_EQ(::waitpid(program, nullptr, WNOHANG), 0) << "still running";
  ::kill(program, SIGTERM);
  EXPECT_EQ(describeStatus(waitForExit(program)), exited(128 + SIGTERM)) << errors();
  EXPECT_EQ(programmedPrefix(), std::make_pair(k2732, true));
}

TEST_F(VeskEpromEndings, ARunEndedByCtrlCOrByALostDisplayKeepsWhatItProgrammed) {
  for (const bool lostDisplay : {false, true}) {
    fs::remove(chip_);
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const pid_t program = runOn(display).start();
    ASSERT_NO_FATAL_FAILURE(startProgramming(display));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    if (lostDisplay)
      display.stop();
    else
      ::kill(program, SIGINT);
    // The run stops between two locations: every location before the stop
    // holds its byte, every one after it is still blank.
    EXPECT_EQ(describeStatus(waitForExit(program)), exited(lostDisplay ? 1 : 130)) << errors();
    const auto [programmed, restBlank] = programmedPrefix();
    EXPECT_TRUE(restBlank) << lostDisplay;
    EXPECT_LT(programmed, k2732) << lostDisplay;
    EXPECT_EQ(otherFiles(), std::vector<std::string>{});
  }
}

}  // namespace
