#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "PortTrace.h"

// Checks what the emulated PC's parallel port saw during one run of the
// programmer against the board's protocol, as the board sees it: its control
// lines (bits 0-3 of the control register) in order, the data lines' direction
// (bit 5: set, the port leaves them to the chip), the bytes written, the
// pulses per location and their length. The model of the board stands here on
// its own, apart from the programmer's code, so that a fault there shows.

enum class PortDriver { Direct, Ppdev };
enum class BoardCommand { Read, Blank, Write };

// One run of the programmer in the guest.
struct RunPlan {
  std::string name;
  PortDriver driver = PortDriver::Direct;
  BoardCommand command = BoardCommand::Read;
  std::int32_t locations = 0;
  std::int32_t pulseMs = 1;
  bool blankCheck = true;           // a write checks that the chip is blank first
  std::vector<std::uint8_t> image;  // the bytes a write programs
};

// One access the protocol makes, and where in the run it belongs.
struct ExpectedAccess {
  bool write = false;
  std::uint8_t reg = 0;    // 0 data, 2 control
  std::uint8_t value = 0;  // written; 0 for a read
  std::int32_t location;   // -1 before the first location and after the last
  std::int32_t pulse;      // 1-based pulse at that location, 0 outside the pulses
  const char* step;        // what the access does, e.g. "pulse begins"
};

// The accesses of `plan` on the emulated port, whose data reads in input mode
// all give FFh: a blank chip that never takes a byte. So a blank check passes,
// a location to hold FFh is done after one pulse, and any other byte gets the
// most pulses a location may have and ends the write.
std::vector<ExpectedAccess> expectedAccesses(const RunPlan& plan);

// A programming pulse (Initialize and Select In both set) as the board saw it.
struct ObservedPulse {
  std::int32_t location = -1;  // the board's address counter; -1 before it was restarted
  std::int64_t widthUs = 0;
  std::size_t line = 0;    // of the trace, where it began
  bool dataDriven = true;  // the port drove the data lines all through it
};

struct RunReport {
  std::vector<std::string> faults;
  std::vector<ObservedPulse> pulses;     // the programming pulses, the claim's not among them
  std::int64_t claimPulseUs = -1;        // ppdev: from the claim's 0Ch to our 00h
  std::vector<const TraceEvent*> claim;  // ppdev: the claim's accesses up to our 00h
  bool ok() const { return faults.empty(); }
};

// Checks `segment`, the accesses of one run; `control` is the control register
// before it. Direct I/O must make exactly the protocol's accesses. Through
// ppdev the run starts with the kernel's claim (control 0Ch) and our 00h at
// once; then the kernel may add writes that leave the control lines as they
// are (the interrupt enable bit 4, bits 6-7, a change of direction alone) and
// read the status and control registers, as long as the port and the chip
// never both drive the data lines.
RunReport checkRun(const RunPlan& plan, std::span<const TraceEvent> segment, std::uint8_t control);

// The programming pulses the board would see in `segment`, whoever made them,
// and the control register after it; for reporting what the drivers do.
std::vector<ObservedPulse> pulsesIn(std::span<const TraceEvent> segment, std::uint8_t& control);
