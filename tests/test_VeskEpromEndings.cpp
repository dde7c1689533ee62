// The built VeskEprom ended as users end it: by a signal, with a chip file
// it cannot keep or that another program holds. The simulated chip's file
// must hold the chip through all of these. (Runs ended under a real display:
// veskeprom_on_x.sh.)
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;
constexpr std::size_t kChipSize = 1 << 20;

class VeskEpromEndings : public ::testing::Test {
 protected:
  VeskEpromEndings() { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }
  ProgramRun veskEprom(const std::string& chipFile) const {
    return {.argv = {VESKEPROM_PATH, "--simulate=" + chipFile}, .folder = folder_.path.string()};
  }
  // Names in the folder besides default.bin and the chip file.
  std::vector<std::string> otherFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path))
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
  TempFolder folder_;
  std::string chip_ = folder_.filePath("chip.bin");
};

TEST_F(VeskEpromEndings, AChipFileItCannotKeepIsRefusedAtStartNamingIt) {
  ASSERT_EQ(::mkfifo(folder_.filePath("fifo").c_str(), 0600), 0);
  Program fifo(veskEprom(folder_.filePath("fifo")));
  EXPECT_EQ(fifo.wait(seconds(30)), 1);
  EXPECT_TRUE(fifo.errors().ends_with("VeskEprom: The simulated chip cannot be kept in " +
                                      folder_.filePath("fifo") + ": it is not a regular file.\n"))
      << fifo.errors();
  // A size limit: the blank chip cannot be written at start. Reported, not a
  // SIGXFSZ, and nothing is left behind.
  ProgramRun limited = veskEprom(chip_);
  limited.fileSizeLimit = 4096;
  Program big(limited);
  EXPECT_EQ(big.wait(seconds(30)), 1);
  EXPECT_NE(big.errors().find(chip_ + ": File too large"), std::string::npos) << big.errors();
  EXPECT_EQ(otherFiles(), std::vector<std::string>{"fifo"});
}

TEST_F(VeskEpromEndings, OneProgramAtATimePerChipFile) {
  Program first(veskEprom(chip_));
  ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
  Program second(veskEprom(chip_));
  EXPECT_EQ(second.wait(), 1);
  EXPECT_NE(second.errors().find(chip_ + " is in use"), std::string::npos) << second.errors();
  first.signal(SIGTERM);
  EXPECT_EQ(first.wait(), 128 + SIGTERM);
}

TEST_F(VeskEpromEndings, EachSignalEndsItCleanlyWithTheChipInItsFileUnlessIgnoredAtStart) {
  std::vector<std::uint8_t> pattern(65536);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    writeBytes(chip_, pattern);
    Program program(veskEprom(chip_));
    ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
    program.signal(signal);
    EXPECT_EQ(program.wait(), 128 + signal);
    std::vector<std::uint8_t> expected = pattern;
    expected.resize(kChipSize, 0xFF);
    EXPECT_EQ(readBytes(chip_), expected) << signal;
    EXPECT_FALSE(chipFileLocked());
    EXPECT_EQ(otherFiles(), std::vector<std::string>{});
  }
  // Started under nohup, the closed terminal's SIGHUP does not end it.
  ProgramRun nohup = veskEprom(chip_);
  nohup.ignoredSignals = {SIGHUP};
  Program program(nohup);
  ASSERT_TRUE(waitFor([&] { return chipFileLocked(); }));
  program.signal(SIGHUP);
  EXPECT_FALSE(waitFor([&] { return !program.running(); }, seconds(1)));
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(), 128 + SIGTERM);
}

}  // namespace
