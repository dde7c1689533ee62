#pragma once

#include <vector>

#include "RunStop.h"

// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) ask the program
// to end, cleanly: a run stops between two locations, the simulated chip is
// written back, and the program exits with 128 + the signal's number.
// The handler only notes the signal and writes one byte into a pipe (the
// self-pipe): a run asks requested(), an event loop watches readFd().
// A signal that was ignored when the program started (nohup) stays ignored.
// One object per program, made early in main().
class TerminationSignals final : public StopRequest {
 public:
  TerminationSignals();
  ~TerminationSignals() override;  // the default handling comes back
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  bool requested() const override { return received() != 0; }
  // The first of the three signals that arrived; 0 while none has.
  int received() const;
  // Readable once a signal has arrived.
  int readFd() const { return readFd_; }
  // Empties the pipe, after readFd() was seen readable.
  void drain() const;
  // The exit status for the signal received: 128 + its number.
  int exitStatus() const { return 128 + received(); }

 private:
  int readFd_ = -1;
  std::vector<int> handled_;  // the signals whose handler this object installed
};
