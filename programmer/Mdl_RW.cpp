// The board protocols. The board steps its own address counter, so no address
// is ever sent: a control write with Auto Feed clear then set restarts it at
// location 0, and each rising edge of Strobe moves it on by one.
#include "programmer/Mdl_RW.h"

#include <algorithm>
#include <limits>
#include <typeinfo>

#include "programmer/BoardControl.h"
#include "programmer/DelayLoop.h"

namespace {

using namespace control_value;

struct Registers {
  std::uint16_t data;
  std::uint16_t control;
};

Registers RegistersAt(std::int16_t base) {
  return {static_cast<std::uint16_t>(base + kDataRegister),
          static_cast<std::uint16_t>(base + kControlRegister)};
}

std::int32_t TripleDelay(std::int32_t ioDelay) {
  const std::int64_t triple = 3 * static_cast<std::int64_t>(ioDelay);
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(triple, std::numeric_limits<std::int32_t>::max()));
}

// RealTiming's waits without the virtual call. A read of a big chip with
// IoDelay 0 makes three delays per location, and a call for each would cost
// more than the simulated port accesses themselves. Any other timing (the
// tests' recorder) is called for every delay, zero ones included.
struct DirectTiming {
  RealTiming& real;
  void Delay(std::int32_t iterations) {
    if (iterations > 0) Delay_Loop(iterations);
  }
  void PulseWait(std::int32_t milliseconds) { real.PulseWait(milliseconds); }
};

template <class Protocol>
auto WithTiming(BoardTiming& timing, Protocol&& protocol) {
  if (typeid(timing) == typeid(RealTiming)) {
    DirectTiming direct{static_cast<RealTiming&>(timing)};
    return protocol(direct);
  }
  return protocol(timing);
}

// control <- 00h, 22h: the counter restarts at location 0 in read state.
template <class Timing>
void StartReading(PortIo& port, Timing& timing, Registers reg, std::int32_t delay) {
  port.out(reg.control, kOff);
  timing.Delay(delay);
  port.out(reg.control, kRead);
  timing.Delay(delay);
}

template <class Timing>
void ReadLocations(Board& board, Timing& timing, Registers reg, std::int32_t size,
                   std::uint8_t* image) {
  PortIo& port = board.port;
  Progress& progress = board.progress;
  const std::int32_t delay = board.settings.IoDelay;
  StartReading(port, timing, reg, delay);
  for (std::int32_t location = 0; location < size; ++location) {
    progress.SetValue(location + 1);
    timing.Delay(delay);
    image[location] = port.in(reg.data);
    timing.Delay(delay);
    port.out(reg.control, kReadStep);
    timing.Delay(delay);
    port.out(reg.control, kRead);
  }
}

template <class Timing>
bool AllLocationsBlank(Board& board, Timing& timing, Registers reg, std::int32_t size) {
  PortIo& port = board.port;
  const std::int32_t delay = board.settings.IoDelay;
  StartReading(port, timing, reg, delay);
  for (std::int32_t location = 0; location < size; ++location) {
    board.progress.SetValue(location + 1);
    timing.Delay(delay);
    if (port.in(reg.data) != 0xFF) return false;  // no further access: the board stays at 22h
    timing.Delay(delay);
    port.out(reg.control, kReadStep);
    timing.Delay(delay);
    port.out(reg.control, kRead);
  }
  return true;
}

// Pulses one location until it reads back `wanted` or MaxAttempts pulses are
// spent. Returns false when the location is bad.
template <class Timing>
bool BurnLocation(Board& board, Timing& timing, Registers reg, std::uint8_t wanted) {
  PortIo& port = board.port;
  const PortSettings& settings = board.settings;
  bool ok = false;
  bool bad = false;
  std::int16_t attempts = 0;
  while (!ok && !bad) {
    port.out(reg.data, wanted);
    port.out(reg.control, kProgPulse);
    timing.PulseWait(settings.ProgPulse);
    port.out(reg.control, kProgIdle);
    timing.Delay(settings.IoDelay);
    ++attempts;
    port.out(reg.control, kRead);  // read-back: the chip drives the data lines
    timing.Delay(TripleDelay(settings.IoDelay));
    const std::uint8_t readBack = port.in(reg.data);
    port.out(reg.control, kProgIdle);
    if (readBack == wanted)
      ok = true;
    else if (attempts == settings.MaxAttempts)
      bad = true;
  }
  return !bad;
}

template <class Timing>
void BurnLocations(Board& board, Timing& timing, Registers reg, std::int32_t size,
                   const std::uint8_t* image) {
  PortIo& port = board.port;
  const std::int32_t delay = board.settings.IoDelay;
  port.out(reg.control, kProgStart);
  timing.Delay(delay);
  port.out(reg.control, kProgIdle);
  timing.Delay(delay);
  for (std::int32_t location = 0; location < size; ++location) {
    board.progress.SetValue(location + 1);
    timing.Delay(delay);
    const bool good = BurnLocation(board, timing, reg, image[location]);
    timing.Delay(delay);
    port.out(reg.control, kProgStep);  // the failing location is stepped past too
    timing.Delay(delay);
    port.out(reg.control, kProgIdle);
    if (!good) {
      board.messages.Show("Warning !", "Bad Eprom", MessageIcon::Critical);
      break;
    }
  }
  port.out(reg.control, kOff);
}

}  // namespace

void Read_Eprom(Board& board, std::int16_t base, std::int32_t size, MemoryImage& image) {
  image.Recreate(size);
  std::uint8_t* bytes = image.Data();
  WithTiming(board.timing,
             [&](auto& timing) { ReadLocations(board, timing, RegistersAt(base), size, bytes); });
}

bool Blank_Check(Board& board, std::int16_t base, std::int32_t size) {
  return WithTiming(board.timing, [&](auto& timing) {
    return AllLocationsBlank(board, timing, RegistersAt(base), size);
  });
}

void Write_Eprom(Board& board, std::int16_t base, std::int32_t size, const MemoryImage& image) {
  if (board.settings.VerifyEmpty && !Blank_Check(board, base, size)) {
    board.messages.Show("Warning !", "The Eprom is not Empty", MessageIcon::Information);
    return;
  }
  // Never past the image's end, whatever size the caller passes.
  const std::int32_t count = std::min(size, image.Size());
  WithTiming(board.timing, [&](auto& timing) {
    BurnLocations(board, timing, RegistersAt(base), count, image.Data());
  });
}
