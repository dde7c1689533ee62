#pragma once
// The built vesk run as a user runs it, in a private folder (work_) with its
// standard error and output kept: the fixture of vesk's program tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ProgramRun.h"

using Result = std::tuple<int, std::string, std::string>;  // status, standard error and output
constexpr std::size_t kChipFileSize = 1 << 20;             // the simulator's socket

// A chip file holding `start`, blank after it.
inline Bytes chipHolding(Bytes start) {
  start.resize(kChipFileSize, 0xFF);
  return start;
}

class VeskProgram : public ::testing::Test {
 protected:
  // As root, without the capabilities that would let it reach the port directly.
  ProgramRun vesk(const std::vector<std::string>& arguments, ProgramRun how = {}) const {
    how.argv = {VESK_PATH};
    if (::geteuid() == 0)
      how.argv = {"/usr/bin/setpriv", "--bounding-set=-all", "--inh-caps=-all", "--", VESK_PATH};
    how.argv.insert(how.argv.end(), arguments.begin(), arguments.end());
    how.folder = work_.path.string();
    how.errorFile = logs_.filePath("errors");
    how.outputFile = logs_.filePath("output");
    return how;
  }
  Result run(const std::vector<std::string>& arguments, ProgramRun how = {}) const {
    how = vesk(arguments, how);
    const int status = waitForExit(how.start());
    const std::string errors = how.terminal ? shown(how.terminalFd) : readFile(how.errorFile);
    if (how.terminal) ::close(how.terminalFd);
    return {status, errors, readFile(how.outputFile)};
  }
  std::string path(const std::string& name) const { return work_.filePath(name); }
  Bytes chip() const { return readFile<Bytes>(path("chip.bin")); }
  TempFolder work_, logs_;
};
