#pragma once

#include <cstdint>

// Byte access to the I/O ports of the parallel port: the board simulator,
// Linux ppdev and direct x86 I/O all stand behind it. Each write has reached
// the port when out() returns, in program order.
class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void out(std::uint16_t port, std::uint8_t value) = 0;
  virtual std::uint8_t in(std::uint16_t port) = 0;
};
