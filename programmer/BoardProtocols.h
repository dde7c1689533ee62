#pragma once

// The board protocols: reading, blank check and programming, access by access.
// The board steps its own address counter, so no address is ever sent: a
// control write with Auto Feed clear then set restarts it at location 0, and
// each rising edge of Strobe moves it on by one.
//
// The loops are generic over their collaborators: handed concrete (final)
// types they make no virtual call per location beyond the port's own, which
// matters when a simulated access costs a few nanoseconds. Mdl_RW.h gives the
// same protocols over the interfaces.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "BoardControl.h"
#include "PortSettings.h"
#include "RunStop.h"
#include "UserInterfaces.h"

namespace board_protocol {

struct Registers {
  std::uint16_t data;
  std::uint16_t control;
};

inline Registers RegistersAt(std::int16_t base) {
  return {static_cast<std::uint16_t>(base + kDataRegister),
          static_cast<std::uint16_t>(base + kControlRegister)};
}

inline std::int32_t TripleDelay(std::int32_t ioDelay) {
  const std::int64_t triple = 3 * static_cast<std::int64_t>(ioDelay);
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(triple, std::numeric_limits<std::int32_t>::max()));
}

// Between two locations: when the program is to end, the board is left idle
// (control 00h) and the run stops.
template <class Port>
void StopIfRequested(Port& port, Registers reg, const StopRequest* stop) {
  if (stop == nullptr || !stop->Requested()) return;
  port.out(reg.control, control_value::kOff);
  throw RunStopped();
}

// control <- 00h, 22h: the counter restarts at location 0, in read state.
template <class Port, class Timing>
void StartReading(Port& port, Timing& timing, Registers reg, std::int32_t delay) {
  port.out(reg.control, control_value::kOff);
  timing.Delay(delay);
  port.out(reg.control, control_value::kRead);
  timing.Delay(delay);
}

// Reads `size` locations into `image`, location 0 first. Leaves control at 22h.
template <class Port, class Timing, class ProgressBar>
void ReadLocations(Port& port, Timing& timing, ProgressBar& progress, const PortSettings& settings,
                   const StopRequest* stop, std::int16_t base, std::int32_t size,
                   std::uint8_t* image) {
  const Registers reg = RegistersAt(base);
  const std::int32_t delay = settings.IoDelay;
  StartReading(port, timing, reg, delay);
  for (std::int32_t location = 0; location < size; ++location) {
    StopIfRequested(port, reg, stop);
    progress.SetValue(location + 1);
    timing.Delay(delay);
    image[location] = port.in(reg.data);
    timing.Delay(delay);
    port.out(reg.control, control_value::kReadStep);
    timing.Delay(delay);
    port.out(reg.control, control_value::kRead);
  }
}

// True when all `size` locations read FFh. Stops at the first that does not,
// with no further access: control stays at 22h either way.
template <class Port, class Timing, class ProgressBar>
bool AllLocationsBlank(Port& port, Timing& timing, ProgressBar& progress,
                       const PortSettings& settings, const StopRequest* stop, std::int16_t base,
                       std::int32_t size) {
  const Registers reg = RegistersAt(base);
  const std::int32_t delay = settings.IoDelay;
  StartReading(port, timing, reg, delay);
  for (std::int32_t location = 0; location < size; ++location) {
    StopIfRequested(port, reg, stop);
    progress.SetValue(location + 1);
    timing.Delay(delay);
    if (port.in(reg.data) != 0xFF) return false;
    timing.Delay(delay);
    port.out(reg.control, control_value::kReadStep);
    timing.Delay(delay);
    port.out(reg.control, control_value::kRead);
  }
  return true;
}

// Pulses the current location until it reads back `wanted` or MaxAttempts
// pulses are spent; every location gets at least one pulse. False when bad.
template <class Port, class Timing>
bool BurnLocation(Port& port, Timing& timing, const PortSettings& settings, Registers reg,
                  std::uint8_t wanted) {
  bool ok = false;
  bool bad = false;
  std::int16_t attempts = 0;
  while (!ok && !bad) {
    port.out(reg.data, wanted);
    port.out(reg.control, control_value::kProgPulse);
    timing.PulseWait(settings.ProgPulse);
    port.out(reg.control, control_value::kProgIdle);
    timing.Delay(settings.IoDelay);
    ++attempts;
    port.out(reg.control, control_value::kRead);  // read-back: the chip drives the lines
    timing.Delay(TripleDelay(settings.IoDelay));
    const std::uint8_t readBack = port.in(reg.data);
    port.out(reg.control, control_value::kProgIdle);
    if (readBack == wanted)
      ok = true;
    else if (attempts == settings.MaxAttempts)
      bad = true;
  }
  return !bad;
}

// Programs `size` locations from `image`, each verified after every pulse.
// A location that never verifies is stepped past, reported as "Bad Eprom",
// and ends the pass (false). Leaves control at 00h.
template <class Port, class Timing, class ProgressBar, class MessageBoxes>
bool BurnLocations(Port& port, Timing& timing, ProgressBar& progress, MessageBoxes& messages,
                   const PortSettings& settings, const StopRequest* stop, std::int16_t base,
                   std::int32_t size, const std::uint8_t* image) {
  const Registers reg = RegistersAt(base);
  const std::int32_t delay = settings.IoDelay;
  port.out(reg.control, control_value::kProgStart);
  timing.Delay(delay);
  port.out(reg.control, control_value::kProgIdle);
  timing.Delay(delay);
  bool allGood = true;
  for (std::int32_t location = 0; location < size; ++location) {
    StopIfRequested(port, reg, stop);
    progress.SetValue(location + 1);
    timing.Delay(delay);
    const bool good = BurnLocation(port, timing, settings, reg, image[location]);
    timing.Delay(delay);
    port.out(reg.control, control_value::kProgStep);
    timing.Delay(delay);
    port.out(reg.control, control_value::kProgIdle);
    if (!good) {
      messages.Show("Warning !", "Bad Eprom", MessageIcon::Critical);
      allGood = false;
      break;
    }
  }
  port.out(reg.control, control_value::kOff);
  return allGood;
}

}  // namespace board_protocol
