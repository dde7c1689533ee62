#include "TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What a signal handler may reach: this unit's whole state.
volatile std::sig_atomic_t gReceived = 0;
int gWriteFd = -1;

extern "C" void noteSignal(int signal) {
  const int savedErrno = errno;
  if (gReceived == 0) gReceived = signal;
  if (gWriteFd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(gWriteFd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  gReceived = 0;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    readFd_ = fds[0];
    gWriteFd = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) {
    // A signal ignored from the start stays ignored: nohup's SIGHUP, the
    // SIGINT of a job a shell started in the background.
    struct sigaction before {};
    ::sigaction(signal, nullptr, &before);
    if (before.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
    handled_.push_back(signal);
  }
}

TerminationSignals::~TerminationSignals() {
  for (const int signal : handled_) std::signal(signal, SIG_DFL);
  if (gWriteFd >= 0) ::close(gWriteFd);
  if (readFd_ >= 0) ::close(readFd_);
  gWriteFd = -1;
}

int TerminationSignals::received() const {
  return gReceived;
}

void TerminationSignals::drain() const {
  char bytes[64];
  while (::read(readFd_, bytes, sizeof bytes) > 0) {
  }
}
