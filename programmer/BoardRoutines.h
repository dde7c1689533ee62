#pragma once

#include <cstdint>

#include "BoardTiming.h"
#include "MemoryImage.h"
#include "PortIo.h"
#include "PortSettings.h"
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

// What a blank check found. A struct, so that what it saw can be added
// without changing its callers.
struct BlankCheckResult {
  bool blank = true;  // every location read FFh
};

// How a programming pass ended.
enum class WriteOutcome {
  Programmed,  // every location took its byte; the board is off (control 00h)
  NotBlank,    // the blank check refused the chip: nothing programmed, control stays 22h
  BadEprom     // a location did not take its byte; the board is still in programming
               // state, stepped past it, until endProgramming()
};

// What a programming pass did.
struct WriteResult {
  WriteOutcome outcome = WriteOutcome::Programmed;
  BlankCheckResult blankCheck;  // the check before programming, while VerifyEmpty is on
};

// Re-creates `image` with `size` bytes and fills it from the chip, location 0 first.
void Read_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                MemoryImage& image);

// Whether every location of the chip reads FFh; stops at the first that does not.
BlankCheckResult Blank_Check(RoutineServices& services, std::int16_t base, std::int32_t size);

// Burns the first `size` bytes of `image` into the chip, each verified after
// every pulse; blank check first while VerifyEmpty is on. A pass that meets a
// location that does not take its byte stops there and leaves the board in
// programming state, so that "Bad Eprom" is shown before the board goes off:
// endProgramming() then ends it, as a pass that programmed every location
// ends by itself.
WriteResult Write_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                        const MemoryImage& image);

// The last write of every programming pass: control 00h, the board off.
void endProgramming(RoutineServices& services, std::int16_t base);
