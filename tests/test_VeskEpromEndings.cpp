// The built VeskEprom ended as users end it: by a signal, with a chip file
// it cannot keep or that another program holds. The simulated chip's file
// must hold the chip through all of these. (Runs ended under a real display:
// veskeprom_on_x.sh.)
#include <gmock/gmock.h>
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
  std::set<std::string> otherFiles() const {
    std::set<std::string> names = listing(folder_.path);
    names.erase("default.bin");
    names.erase("chip.bin");
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

TEST_F(VeskEpromEndings, AChipFileItCannotWriteAtStartIsReportedNotADeath) {
  // A size limit: the blank chip cannot be written at start. Reported, not a
  // SIGXFSZ, and nothing is left behind.
  ProgramRun limited = veskEprom(chip_);
  limited.fileSizeLimit = 4096;
  EXPECT_EQ(waitForExit(limited.start(), seconds(30)), 1);
  EXPECT_THAT(readFile(errors_),
              ::testing::EndsWith("VeskEprom: The simulated chip cannot be kept in " + chip_ +
                                  ": File too large.\n"));
  EXPECT_EQ(otherFiles(), std::set<std::string>{});
}

TEST_F(VeskEpromEndings, EachSignalEndsItCleanlyWithTheChipInItsFileUnlessIgnoredAtStart) {
  Bytes expected = pattern(65536);
  expected.resize(1 << 20, 0xFF);
  // The last one started under nohup: the closed terminal's SIGHUP does not end it.
  for (const auto& [signal, ignored] :
       {std::pair{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGHUP, true}}) {
    writeFile(chip_, pattern(65536));
    ProgramRun run = veskEprom(chip_);
    if (ignored) run.ignoredSignals = {signal};
    const pid_t program = run.start();
    ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
    ::kill(program, signal);
    if (ignored) {
      EXPECT_FALSE(
          waitFor([&] { return ::waitpid(program, nullptr, WNOHANG) == program; }, seconds(1)));
      ::kill(program, SIGTERM);
    }
    EXPECT_EQ(waitForExit(program), 128 + (ignored ? SIGTERM : signal));
    EXPECT_EQ(readFile<Bytes>(chip_), expected) << signal;
    EXPECT_FALSE(chipFileLocked());
    EXPECT_EQ(otherFiles(), std::set<std::string>{});
  }
}

}  // namespace
