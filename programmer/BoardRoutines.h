#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "BoardTiming.h"
#include "MemoryImage.h"
#include "PortIo.h"
#include "PortSettings.h"
#include "ProgrammingAlgorithms.h"
#include "RunStop.h"
#include "UserInterfaces.h"

// What the board routines work through: the port, the waits, the settings,
// the progress bar and the request to stop. They show no message: they
// report what they found in their results, which the commands present.
struct RoutineServices {
  PortIo& port;
  BoardTiming& timing;
  const PortSettings& settings;  // IoDelay, ProgPulse, VerifyEmpty, MaxAttempts
  Progress& progress;
  // Asked between two locations; a run stopped for it throws RunStopped.
  const StopRequest* stop = nullptr;
};

// What a blank check found.
struct BlankCheckResult {
  bool blank = true;           // every location read FFh
  std::int32_t location = -1;  // else the first location that did not, and
  std::uint8_t value = 0xFF;   // what it held
  bool operator==(const BlankCheckResult&) const = default;
};

// How a programming pass ended.
enum class WriteOutcome {
  Programmed,  // every location took its byte; the board is off (control 00h)
  NotBlank,    // the blank check refused the chip: nothing programmed, control stays 22h
  BadEprom     // a location did not take its byte; the board is still in programming
               // state, stepped past it, until endProgramming()
};

// How many pulses the locations of a pass took, counted as they go.
struct PulseCounts {
  // took[n]: the locations pulsed n times, n from 1 (took[0] stays 0): those
  // that read back right after their n-th pulse, and the one that never did
  // (Bad Eprom) with every pulse it got.
  std::array<std::int32_t, kMostPulses + 1> took{};
  std::int32_t steppedOver = 0;  // held their byte already: no pulse
  std::int32_t mostAt = -1;      // the first location that took the most pulses,
  int most = 0;                  // and how many; none when nothing was pulsed
  std::int32_t lastAt = -1;      // the last location pulsed; none when nothing was
  std::int32_t pulsed() const;   // the locations pulsed
  bool operator==(const PulseCounts&) const = default;
};

// The location a pass could not program.
struct BadLocation {
  std::int32_t location = -1;
  std::uint8_t wanted = 0;    // the image's byte
  std::uint8_t readBack = 0;  // what it read after the last pulse
  bool operator==(const BadLocation&) const = default;
};

// What a programming pass did.
struct WriteResult {
  WriteOutcome outcome = WriteOutcome::Programmed;
  BlankCheckResult blankCheck;  // the check before programming, while VerifyEmpty is on
  PulseCounts pulses;           // of the locations up to where the pass ended
  BadLocation bad;              // BadEprom: where
};

// Thrown by Write_Eprom when it stops for a StopRequest (the board idle, as
// every routine leaves it): what the pass did before the stop, the locations
// pulsed by then among it.
class WriteStopped final : public RunStopped {
 public:
  explicit WriteStopped(const WriteResult& done) : done_(done) {}
  const WriteResult& done() const { return done_; }

 private:
  WriteResult done_;
};

// What a pass does with a location whose byte is FFh on a chip that its
// blank check has just found blank: pulse it, as the window's Write Eprom
// does, or step over it, for it holds its byte already.
enum class ErasedLocations { Pulsed, SteppedOver };

// Re-creates `image` with `size` bytes and fills it from the chip, location 0 first.
void Read_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                MemoryImage& image);

// Whether every location of the chip reads FFh; stops at the first that does not.
BlankCheckResult Blank_Check(RoutineServices& services, std::int16_t base, std::int32_t size);

// Burns the first `size` bytes of `image` into the chip, each verified after
// every pulse, pulsed as `method` says (the window's: the default algorithm);
// blank check first while VerifyEmpty is on. A pass that meets a location
// that does not take its byte stops there and leaves the board in
// programming state, so that "Bad Eprom" is shown before the board goes off:
// endProgramming() then ends it, as a pass that programmed every location
// ends by itself.
//
// Per location, after the progress value and a delay: the pulses, each
//   data <- byte; control <- 0Eh; pulse wait; control <- 0Ah; delay;
//   control <- 22h; triple delay; read data; control <- 0Ah
// until the byte reads back or the pulses are spent; for an algorithm with an
// extra pulse, once the byte has read back after n pulses:
//   data <- byte; control <- 0Eh; pulse wait of factor x n pulses; control <- 0Ah
// (no read-back: the byte has verified); then the step:
//   delay; control <- 0Bh; delay; control <- 0Ah.
//
// Over a programmed chip, `held` is what the chip holds (a read of it made
// just before): no blank check is made, and a location that holds its byte
// already gets no pulse, only its progress value, delay and step. Locations
// beyond `held` are pulsed. After a blank check that passed, `erased` says
// whether the FFh locations are pulsed or stepped over that way.
//
// A stop between two locations throws WriteStopped.
WriteResult Write_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                        const MemoryImage& image, const ProgrammingMethod& method = {},
                        std::span<const std::uint8_t> held = {},
                        ErasedLocations erased = ErasedLocations::Pulsed);

// The last write of every programming pass: control 00h, the board off.
void endProgramming(RoutineServices& services, std::int16_t base);
