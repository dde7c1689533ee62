#pragma once
// Checks what the emulated PC's parallel port saw during one run of the
// programmer against the board's protocol, as the board sees it. The protocol
// and the board stand here on their own, apart from the programmer's code.
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// An access to the emulated port (reg 0 data, 1 status, 2 control), or a
// marker the guest wrote to the serial port's scratch register.
struct Access {
  enum Kind { Read, Write, Marker } kind = Read;
  std::uint8_t reg = 0, value = 0;
  std::int64_t timeUs = 0;
  std::size_t line = 0;  // of the trace
};

// The accesses and markers of a QEMU log written with "-msg timestamp=on".
std::vector<Access> parseTrace(std::istream& in);

struct RunPlan {
  bool ppdev = false;  // else direct I/O
  // False: the programmer was pointed at a base where no port is, so this
  // port must see nothing of the run.
  bool portHere = true;
  enum Command { Read, Blank, Write } command = Read;
  std::int32_t locations = 0, pulseUs = 1000, maxPulses = 10;  // a write's pulses, per location
  bool blankCheck = true;                                      // before a write
  std::vector<std::uint8_t> image;                             // what a write programs
  int passes = 1;                                              // of a read, one after the other
  bool rereadAfterBadEprom = false;  // a write that met a bad location reads the chip once more
  // vesk's write: after a blank check the FFh locations get no pulse, and a
  // write that programmed every location reads the whole chip back once.
  bool stepsOverErased = false;
  bool readsBack = false;
};

struct RunReport {
  std::vector<std::string> faults;    // none: the run follows the protocol
  std::vector<std::int64_t> pulseUs;  // the programming pulses' lengths
  std::int64_t claimUs = -1;          // ppdev: from the claim's 0Ch to our 00h
};

// Checks the accesses of one run; `control` is the control register before
// them. Each run acquires the port first and checks that it answers: FFh into
// the data latch, control 00h, 55h and AAh written and read back, FFh left in
// the latch. The emulated chip reads FFh and never takes a byte: FFh is programmed
// with one pulse (or, with stepsOverErased after a blank check, stepped over),
// any other byte gets maxPulses and ends the write (then, with
// rereadAfterBadEprom, as vesk does, one read pass). Every pulse lasts at
// least pulseUs. Direct I/O must
// make exactly the protocol's accesses, no more. Through ppdev the kernel's
// claim (0Ch) comes first, at once followed by our 00h; then the kernel may
// read the status and control registers and write control values that leave
// the lines (bits 0-3) as they are, as long as the port and the chip never
// drive the data lines together and the port drives them through every pulse.
RunReport checkRun(const RunPlan& plan, std::span<const Access> run, std::uint8_t control);
