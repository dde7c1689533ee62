// The built VeskEprom ended as users end it: by a signal, with a chip file
// it cannot keep or that another program holds. The simulated chip's file
// must hold the chip through all of these. (Runs ended under a real display:
// veskeprom_on_x.sh.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <sstream>

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

TEST_F(VeskEpromEndings, ItsCommandLineNeedsNoDisplayAndWithoutOneItSaysSoAndEndsWithOne) {
  using Case = std::tuple<std::vector<std::string>, int, std::string, std::string>;
  const std::string tryHelp = "\nTry 'VeskEprom --help'.\n";
  const std::string noDisplay =
      "VeskEprom: no display: neither DISPLAY nor WAYLAND_DISPLAY is set, and the window needs "
      "one (vesk needs none)\n";
  // Status, standard output, standard error (its end).
  const Case cases[] = {
      {{"--version", "--bogus"}, 0, "VeskEprom " VESK_VERSION "\n", ""},
      {{"--bogus"}, 2, "", "VeskEprom: unknown argument: --bogus" + tryHelp},
      // Qt's options that would change the window's layout are not taken.
      {{"-reverse"}, 2, "", "VeskEprom: unknown argument: -reverse" + tryHelp},
      {{"-platform"}, 2, "", "VeskEprom: -platform needs a value" + tryHelp},
      {{"--simulate-faults=no-chip"},
       2,
       "",
       "VeskEprom: --simulate-faults needs --simulate: only a simulated chip has them" + tryHelp},
      {{"--simulate", "--simulate-faults=no-chip,weak:5:0"},
       2,
       "",
       "VeskEprom: --simulate-faults weak:5:0: N must be 1 to 65535" + tryHelp},
      // Understood, and then no display: nothing is made, not even the chip file.
      {{}, 1, "", noDisplay},
      {{"--simulate=" + chip_, "--simulate-faults=no-chip", "-display", ""}, 1, "", noDisplay}};
  for (const auto& [arguments, status, output, errors] : cases) {
    ProgramRun run = veskEprom(chip_);
    run.argv.resize(1);
    run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
    run.env = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    run.outputFile = logs_.filePath("output");
    const std::string named = ::testing::PrintToString(arguments);
    EXPECT_EQ(waitForExit(run.start()), status) << named;
    EXPECT_EQ(readFile(run.outputFile), output) << named;
    EXPECT_THAT(readFile(errors_), ::testing::EndsWith(errors)) << named;
  }
  EXPECT_EQ(listing(folder_.path), std::set<std::string>{});
  ProgramRun help = veskEprom(chip_);
  help.argv = {VESKEPROM_PATH, "--help"};
  help.outputFile = logs_.filePath("output");
  EXPECT_EQ(waitForExit(help.start()), 0);
  const std::string usage = readFile(help.outputFile), manPage = readFile(VESKEPROM_MAN_PAGE);
  // A help that does not reach standard output is not a success.
  ProgramRun full = help;
  full.outputFile = "/dev/full";
  EXPECT_EQ(waitForExit(full.start()), 2);
  EXPECT_EQ(readFile(errors_), "VeskEprom: standard output: No space left on device\n");
  for (const char* option : {"\n  --simulate-latency=US ", "\n  --simulate-faults=LIST "})
    EXPECT_THAT(usage, ::testing::HasSubstr(option));
  // Every option the help lists ("  -h,--help  ...", "  --simulate[=CHIP.bin]  ...") is in
  // the manual page too.
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) {
    line.erase(0, line.find_first_not_of(' '));
    if (!line.starts_with('-')) continue;
    std::istringstream names(line.substr(0, line.find("  ")));
    for (std::string name; std::getline(names >> std::ws, name, ',');) {
      std::string written;  // as roff writes it, each minus sign escaped
      for (const char c : name.substr(0, name.find_first_of("=[ ")))
        written += c == '-' ? "\\-" : std::string(1, c);
      EXPECT_THAT(manPage, ::testing::HasSubstr(written));
    }
  }
}

}  // namespace
