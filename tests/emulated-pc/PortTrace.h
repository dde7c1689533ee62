#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "Expected.h"

// One line of QEMU's trace log that matters here: an access to a register of
// the emulated parallel port, or a marker the guest wrote to the serial
// port's scratch register to tell where each of its steps begins and ends.
struct TraceEvent {
  enum class Kind { Read, Write, Marker };
  Kind kind = Kind::Read;
  std::int64_t timeUs = 0;  // host clock, microseconds
  std::uint8_t reg = 0;     // offset from the port's base: 0 data, 1 status, 2 control
  std::uint8_t value = 0;   // written or read; the marker's byte
  std::size_t line = 0;     // 1-based line of the log
  std::string text;         // the line as logged, for quoting
};

// The parallel_ioport_read / parallel_ioport_write and serial_write events of
// a log written with "-msg timestamp=on" (PID@SECONDS.MICROS:event ...), in
// order. Only serial writes to the scratch register (offset 7) count, as
// markers; any other line is skipped.
std::vector<TraceEvent> parseTrace(std::istream& in);

// The parallel-port events between the marker `open` and the first marker
// `close` after it; a failure when either is missing.
Expected<std::span<const TraceEvent>> findSegment(const std::vector<TraceEvent>& events,
                                                  std::uint8_t open, std::uint8_t close);

// The control register as the last write before `segment` (a view into
// `events`, as findSegment gives it) left it; the
// emulated port's value after reset (CCh) when nothing was written before.
std::uint8_t controlBefore(const std::vector<TraceEvent>& events,
                           std::span<const TraceEvent> segment);

// "write control 0x0E" / "read data": one access in words, for messages.
std::string describeAccess(bool write, std::uint8_t reg, std::uint8_t value);
