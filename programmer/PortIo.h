#pragma once

#include <cstdint>
#include <stdexcept>

// Byte access to the I/O ports of the parallel port: the board simulator,
// Linux ppdev and direct x86 I/O all stand behind it. Each write has reached
// the port when out() returns, in program order.
class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void out(std::uint16_t port, std::uint8_t value) = 0;
  virtual std::uint8_t in(std::uint16_t port) = 0;
};

// Thrown by a back-end whose port stops answering in the middle of a run (a
// ppdev call that fails after the claim); the read and write commands report it.
class PortFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
