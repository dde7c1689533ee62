#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "BoardTiming.h"
#include "PortIo.h"
#include "PortSettings.h"
#include "PortSource.h"

// The programmer board and a chip in software, at one base address:
// - the address counter restarts at 0 on a control write with bit 1 set that
//   follows one with bit 1 clear, steps on each 0->1 edge of bit 0 and wraps
//   at the chip size (a write that does both restarts first, then steps);
// - with control bit 5 set a data read gives the chip byte at the counter,
//   with it clear the last byte written (the port's latch);
// - a programming pulse lasts while bits 2 and 3 are both set, timed on the
//   clock the routines' waits are measured by (a test's, or the steady
//   clock); at its end the cell at the counter takes what the data lines
//   carried (the latch while the port drives them during the pulse, FFh while
//   bit 5 left them floating), bit by bit: an EPROM cell only ever loses 1s,
//   and a bit goes to 0 once it has had enough pulse time with its line at 0
//   (kPulseTimeNeeded for a sound cell). Each bit gathers the time of the
//   pulses that held its line at 0, whatever the other lines carried; a
//   pulse that holds its line at 1 neither adds nor takes away. So a pulse of
//   0 never programs, two of half the time do, and a byte whose bits are
//   programmed by different pulses takes each bit when that bit's time is full;
// - accesses to any other address do nothing and read FFh, as with no board.
//
// The faults of real chips and boards, none until they are made. Each acts at
// its own place on the way from the counter to the port, so they combine:
//   counter -> address lines (an open line reads 0: location a is cell a with
//   that bit cleared) -> the cell (dead: no pulse changes it; weak: its bits
//   need N times a sound cell's pulse time; unstable: the masked bits of what
//   it stored read at random at every read; an empty socket: no cell, the
//   lines float at FFh)
//   -> the data lines (a stuck line reads and carries its one value, whoever
//   drives it) -> the port.
// A stuck data line is a fault on the chip's side of the port (a bent pin,
// a broken track, an output stuck inside the chip): it shows in every chip
// read and in what a pulse programs (stuck at 0 programs a 0 there, stuck at
// 1 never does), but not in the port's latch read back in output mode, which
// the port gives from its own register. None of the faults touches that
// read-back, so the port still answers the check made when it is acquired,
// and what the faults do shows in the chip's contents.
class BoardSimulator final : public PortIo {
 public:
  static constexpr auto kDefaultBase = static_cast<std::uint16_t>(kLpt1Base);
  static constexpr std::int32_t kDefaultChipSize = 1 << 20;  // a blank 27080-sized socket
  static constexpr std::uint32_t kDefaultSeed = 1;
  // The pulse time a sound cell's bit needs to go to 0.
  static constexpr std::chrono::microseconds kPulseTimeNeeded{100};

  explicit BoardSimulator(std::uint16_t base = kDefaultBase,
                          std::int32_t chipSize = kDefaultChipSize);

  void out(std::uint16_t port, std::uint8_t value) override;
  std::uint8_t in(std::uint16_t port) override;

  // The chip in the socket, cell by cell; starts blank (all FFh).
  std::vector<std::uint8_t>& chip();
  const std::vector<std::uint8_t>& chip() const;

  // The clock the pulses are timed on, which must outlive the simulator;
  // the steady clock until one is given.
  void setClock(const BoardClock& clock) { clock_ = &clock; }

  // A weak cell's bits need `times` x kPulseTimeNeeded of pulse time (with
  // pulses of 100 us: `times` pulses), at every write; a dead cell never changes.
  void makeWeakCell(std::int32_t location, int times);
  void makeDeadCell(std::int32_t location);
  // The bits of `mask` read at random at every read of the cell.
  void makeUnstableCell(std::int32_t location, std::uint8_t mask);
  // Data line `bit` (0-7) always reads and programs as `high`.
  void stickDataLine(int bit, bool high);
  // Address line `line` is not connected: it reads as 0.
  void openAddressLine(int line);
  // No chip in the socket: every chip read gives FFh, pulses change nothing.
  void emptySocket();
  // The seed of the random reads of unstable cells (kDefaultSeed until set).
  void seedRandomReads(std::uint32_t seed);

  // Programming pulses ended, in or out of a chip.
  std::uint64_t pulses() const { return pulses_; }

  // Each access busy-waits this long, to model the real bus (about 1 us).
  void setLatency(std::chrono::nanoseconds perAccess) { latency_ = perAccess; }

  std::uint16_t base() const { return base_; }
  std::int32_t counter() const { return counter_; }
  std::uint8_t control() const { return control_; }

 private:
  void writeControl(std::uint8_t value);
  void endPulse(std::uint8_t during);
  void program(std::size_t cell, std::uint8_t lines, std::chrono::nanoseconds pulse);
  std::chrono::nanoseconds now() const { return clock_ ? clock_->now() : steadyNow(); }
  // The cell the counter reaches through the address lines; none outside the chip.
  std::optional<std::size_t> addressedCell() const;
  std::uint8_t chipOutput();
  std::uint8_t onDataLines(std::uint8_t driven) const;
  void wait() const;

  std::uint16_t base_;
  std::vector<std::uint8_t> chip_;
  std::int32_t counter_ = 0;
  std::uint8_t control_ = 0;
  std::uint8_t latch_ = 0xFF;
  std::uint64_t pulses_ = 0;
  std::chrono::nanoseconds latency_{0};
  const BoardClock* clock_ = nullptr;
  std::chrono::nanoseconds pulseStart_{0};
  // The pulse time gathered by each bit of the cells that have had some but
  // not enough: few at any time, so the chip's size costs nothing here.
  std::unordered_map<std::size_t, std::array<std::chrono::nanoseconds, 8>> gathered_;

  std::unordered_map<std::int32_t, int> weakTimes_;
  std::unordered_set<std::int32_t> dead_;
  std::unordered_map<std::int32_t, std::uint8_t> unstable_;
  std::uint8_t stuckLow_ = 0;     // data lines that read 0
  std::uint8_t stuckHigh_ = 0;    // data lines that read 1
  std::int32_t openAddress_ = 0;  // address lines that read 0
  bool socketEmpty_ = false;
  std::mt19937 random_{kDefaultSeed};  // the same sequence on every platform
};

// The simulator for its own base address only. The first acquire of a base
// checks that a port answers there (as the hardware source does): at the
// simulator's base it does; at another base nothing does, and acquire says so.
// `basePlace` is where the front end sets the base address (" in Options"),
// for that refusal.
class SimulatorPortSource final : public PortSource {
 public:
  explicit SimulatorPortSource(BoardSimulator& simulator, std::string basePlace = {})
      : simulator_(simulator), basePlace_(std::move(basePlace)) {}
  Expected<PortIo*> acquire(std::int16_t base) override;

 private:
  BoardSimulator& simulator_;
  std::string basePlace_;
  std::optional<std::int16_t> answered_;  // the base last checked, when a port answered
};
