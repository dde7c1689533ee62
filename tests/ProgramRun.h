#pragma once
// The built programs, run as a user runs them: in a folder, with an
// environment and limits of the test's choosing, standard output and error
// kept and standard input given (or all on a pseudo-terminal), waited for with a
// time limit. Signals the test process ignores are reset in the child, so
// that the program meets them as it would from a shell.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "TestFiles.h"

struct ProgramRun {
  std::vector<std::string> argv = {};                         // the program first
  std::vector<std::pair<std::string, std::string>> env = {};  // added or replaced
  std::string folder = ".";
  std::string errorFile = "/dev/null";   // standard error goes here, or
  bool terminal = false;                 // to a pseudo-terminal, whose side is left in terminalFd
  std::string outputFile = "/dev/null";  // standard output
  std::string inputFile = "/dev/null";   // standard input, unless it is the terminal
  std::optional<rlim_t> fileSizeLimit = {};
  std::vector<int> ignoredSignals = {};  // ignored from the start, as nohup does
  mutable int terminalFd = -1;

  pid_t start() const {
    const pid_t pid = terminal ? ::forkpty(&terminalFd, nullptr, nullptr, nullptr) : ::fork();
    if (pid != 0) {
      if (terminalFd >= 0) ::fcntl(terminalFd, F_SETFL, O_NONBLOCK);
      return pid;
    }
    for (const int number : {SIGXFSZ, SIGPIPE, SIGINT, SIGTERM, SIGHUP})
      std::signal(number, SIG_DFL);
    for (const int number : ignoredSignals) std::signal(number, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (fileSizeLimit) {
      const rlimit limit{*fileSizeLimit, *fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    ::dup2(::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    if (!terminal) {
      ::dup2(::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::dup2(::open(inputFile.c_str(), O_RDONLY), 0);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (::chdir(folder.c_str()) == 0) ::execv(args[0], args.data());
    ::_exit(127);
  }
};

// Polls until `done` or the time is up; true when done.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::seconds limit = std::chrono::seconds(60)) {
  for (const auto until = std::chrono::steady_clock::now() + limit; !done();) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// How `pid` ended: its exit status, 256 + N when signal N ended it, -1 (and
// the process killed) when it did not end in time.
inline int waitForExit(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(60)) {
  int status = -1;
  if (waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, limit))
    return WIFEXITED(status) ? WEXITSTATUS(status) : 256 + WTERMSIG(status);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

// What the pseudo-terminal at `fd` showed since the last call.
inline std::string shown(int fd) {
  std::string text;
  char bytes[4096];
  for (ssize_t got; (got = ::read(fd, bytes, sizeof bytes)) > 0;) text.append(bytes, got);
  return text;
}
