#pragma once

#include <exception>

// Asked between two locations of a run: true once the program has been told
// to end (Ctrl+C, SIGTERM, SIGHUP). The run then stops there.
class StopRequest {
 public:
  virtual ~StopRequest() = default;
  virtual bool requested() const = 0;
};

// Thrown by the board routines when they stop for a StopRequest, after the
// control register has been set to 00h: the board is idle, the chip holds
// every location completed before the stop.
class RunStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "The run was stopped"; }
};
