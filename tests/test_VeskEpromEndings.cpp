// The built VeskEprom ended as users end it: by a signal, with a chip file
// it cannot keep or that another program holds. The simulated chip's file
// must hold the chip through all of these. (Runs ended under a real display:
// veskeprom_on_x.sh.)
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "ProgramRun.h"

namespace {

using std::chrono::seconds;

class VeskEpromEndings : public ::testing::Test {
 protected:
  VeskEpromEndings() { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }
  ProgramRun veskEprom(const std::string& chipFile) const {
    return {.argv = {VESKEPROM_PATH, "--simulate=" + chipFile},
            .folder = folder_.path.string(),
            .errorFile = errors_};
  }
  // Names in the folder besides default.bin and the chip file.
  std::vector<std::string> otherFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path))
      if (entry.path().filename() != "default.bin" && entry.path() != chip_)
        names.push_back(entry.path().filename());
    return names;
  }
  // True while some program holds the chip file's lock.
  bool chipFileLocked() const {
    const int fd = ::open(chip_.c_str(), O_RDONLY | O_CLOEXEC);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0) ::close(fd);
    return locked;
  }
  TempFolder folder_, logs_;
  std::string chip_ = folder_.filePath("chip.bin"), errors_ = logs_.filePath("errors");
};

TEST_F(VeskEpromEndings, AChipFileItCannotKeepIsRefusedAtStartNamingIt) {
  const std::string fifo = folder_.filePath("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(describeStatus(waitForExit(veskEprom(fifo).start(), seconds(30))), exited(1));
  EXPECT_TRUE(readFile(errors_).ends_with("VeskEprom: The simulated chip cannot be kept in " +
                                          fifo + ": it is not a regular file.\n"))
      << readFile(errors_);
  // A size limit: the blank chip cannot be written at start. Reported, not a
  // SIGXFSZ, and nothing is left behind.
  ProgramRun limited = veskEprom(chip_);
  limited.fileSizeLimit = 4096;
  EXPECT_EQ(describeStatus(waitForExit(limited.start(), seconds(30))), exited(1));
  EXPECT_NE(readFile(errors_).find(chip_ + ": File too large"), std::string::npos)
      << readFile(errors_);
  EXPECT_EQ(otherFiles(), std::vector<std::string>{"fifo"});
}

TEST_F(VeskEpromEndings, EachSignalEndsItCleanlyWithTheChipInItsFileUnlessIgnoredAtStart) {
  std::vector<std::uint8_t> pattern(65536);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> expected = pattern;
  expected.resize(1 << 20, 0xFF);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    writeBytes(chip_, pattern);
    const pid_t program = veskEprom(chip_).start();
    ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
    ::kill(program, signal);
    EXPECT_EQ(describeStatus(waitForExit(program)), exited(128 + signal));
    EXPECT_EQ(readBytes(chip_), expected) << signal;
    EXPECT_FALSE(chipFileLocked());
    EXPECT_EQ(otherFiles(), std::vector<std::string>{});
  }
  // Started under nohup, the closed terminal's SIGHUP does not end it.
  ProgramRun nohup = veskEprom(chip_);
  nohup.ignoredSignals = {SIGHUP};
  const pid_t program = nohup.start();
  ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
  ::kill(program, SIGHUP);
  EXPECT_FALSE(
      waitFor([&] { return ::waitpid(program, nullptr, WNOHANG) == program; }, seconds(1)));
  ::kill(program, SIGTERM);
  EXPECT_EQ(describeStatus(waitForExit(program)), exited(128 + SIGTERM));
}

}  // namespace
