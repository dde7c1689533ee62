#pragma once

#include <cstdint>

#include "BoardTiming.h"
#include "MemoryImage.h"
#include "PortIo.h"
#include "PortSettings.h"
#include "RunStop.h"
#include "UserInterfaces.h"

// What the board routines work through: the port, the waits, the settings,
// the progress bar, the message boxes and the request to stop.
struct RoutineServices {
  PortIo& port;
  BoardTiming& timing;
  const PortSettings& settings;  // IoDelay, ProgPulse, VerifyEmpty, MaxAttempts
  Progress& progress;
  Messages& messages;
  // Asked between two locations; a run stopped for it throws RunStopped.
  const StopRequest* stop = nullptr;
};

// The box of a blank check that finds a location other than FFh.
inline constexpr const char* kNotEmptyTitle = "Warning !";
inline constexpr const char* kNotEmptyText = "The Eprom is not Empty";

// How a programming pass ended; the two refusals have shown their box.
enum class WriteOutcome { Programmed, NotBlank, BadEprom };

// Re-creates `image` with `size` bytes and fills it from the chip, location 0 first.
void Read_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                MemoryImage& image);

// True when every location of the chip reads FFh; stops at the first that does not.
bool Blank_Check(RoutineServices& services, std::int16_t base, std::int32_t size);

// Burns the first `size` bytes of `image` into the chip, each verified after
// every pulse; blank check first while VerifyEmpty is on.
WriteOutcome Write_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                         const MemoryImage& image);
