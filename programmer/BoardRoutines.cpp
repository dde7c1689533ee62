// The board protocols: reading, blank check and programming, access by access.
// The board steps its own address counter, so no address is ever sent: a
// control write with Auto Feed clear then set restarts it at location 0, and
// each rising edge of Strobe moves it on by one.
#include "BoardRoutines.h"

#include <algorithm>
#include <limits>

#include "BoardControl.h"

namespace {

// One pass over the chip, from location 0 on: the port's two registers, the
// waits between accesses, the progress bar and the check for a stop.
class Pass {
 public:
  Pass(RoutineServices& services, std::int16_t base)
      : services_(services),
        port_(services.port),
        data_(static_cast<std::uint16_t>(base + kDataRegister)),
        control_(static_cast<std::uint16_t>(base + kControlRegister)),
        delay_(services.settings.IoDelay) {}

  void control(std::uint8_t value) { port_.out(control_, value); }
  void data(std::uint8_t value) { port_.out(data_, value); }
  std::uint8_t readData() { return port_.in(data_); }
  // Delay_Loop of IoDelay, or of three times it; none at all for 0.
  void delay() { wait(delay_); }
  void tripleDelay() {
    const std::int64_t triple = 3 * static_cast<std::int64_t>(delay_);
    wait(static_cast<std::int32_t>(
        std::min<std::int64_t>(triple, std::numeric_limits<std::int32_t>::max())));
  }
  // One programming pulse of `length` with `value` on the data lines.
  void pulse(std::uint8_t value, std::chrono::microseconds length) {
    data(value);
    control(control_value::kProgPulse);
    services_.timing.pulseWait(length);
    control(control_value::kProgIdle);
  }

  // The start of each location: when the program is to end, the board is
  // left idle (control 00h) and the run stops here, between two locations.
  void beginLocation(std::int32_t location) {
    if (services_.stop != nullptr && services_.stop->requested()) {
      control(control_value::kOff);
      throw RunStopped();
    }
    services_.progress.setValue(location + 1);
    delay();
  }

  // control <- 00h, 22h: the counter restarts at location 0, in read state.
  void startReading() {
    control(control_value::kOff);
    delay();
    control(control_value::kRead);
    delay();
  }
  // The byte of the current location, as a read and a blank check take it.
  std::uint8_t readLocation(std::int32_t location) {
    beginLocation(location);
    return readData();
  }
  // After a location's byte has been read: on to the next, back in read state.
  void stepAfterReading() {
    delay();
    control(control_value::kReadStep);
    delay();
    control(control_value::kRead);
  }
  // After a location has been programmed (or stepped over): on to the next,
  // in programming state.
  void stepAfterBurning() {
    delay();
    control(control_value::kProgStep);
    delay();
    control(control_value::kProgIdle);
  }

 private:
  void wait(std::int32_t iterations) {
    if (iterations > 0) services_.timing.delay(iterations);
  }

  RoutineServices& services_;
  PortIo& port_;  // held apart: the read loop reaches it three times a location
  std::uint16_t data_;
  std::uint16_t control_;
  std::int32_t delay_;
};

// Pulses the current location until it reads back `wanted` or the plan's
// pulses are spent; every location pulsed gets at least one. The pulses it
// took, or 0 when it never read back right; `readBack` holds the last read.
int burnLocation(Pass& pass, const PulsePlan& plan, std::uint8_t wanted, std::uint8_t& readBack) {
  for (int pulses = 1;; ++pulses) {
    pass.pulse(wanted, plan.pulse);
    pass.delay();
    pass.control(control_value::kRead);  // read-back: the chip drives the lines
    pass.tripleDelay();
    readBack = pass.readData();
    pass.control(control_value::kProgIdle);
    if (readBack == wanted) return pulses;
    if (pulses >= plan.maxPulses) return 0;
  }
}

void countPulses(PulseCounts& counts, std::int32_t location, int pulses) {
  ++counts.took[static_cast<std::size_t>(pulses)];
  counts.lastAt = location;
  if (pulses > counts.most) {
    counts.most = pulses;
    counts.mostAt = location;
  }
}

// Whether the location already holds `wanted`, and so gets no pulse: what
// the chip holds is known from a read (`held`), or from a blank check that
// passed when the erased locations are stepped over (`blank`).
bool holdsAlready(std::int32_t location, std::uint8_t wanted, std::span<const std::uint8_t> held,
                  bool blank) {
  if (static_cast<std::size_t>(location) < held.size())
    return held[static_cast<std::size_t>(location)] == wanted;
  return blank && wanted == 0xFF;
}

// Write_Eprom's pass, into `result`, which keeps what it did when a stop ends it.
void writePass(WriteResult& result, RoutineServices& services, std::int16_t base, std::int32_t size,
               const MemoryImage& image, const ProgrammingMethod& method,
               std::span<const std::uint8_t> held, ErasedLocations erased) {
  const bool checking = services.settings.VerifyEmpty && held.empty();
  if (checking) {
    result.blankCheck = Blank_Check(services, base, size);
    if (!result.blankCheck.blank) {
      result.outcome = WriteOutcome::NotBlank;
      return;
    }
  }
  const bool blank = checking && erased == ErasedLocations::SteppedOver;
  const PulsePlan plan = pulsePlanOf(method, services.settings);
  Pass pass(services, base);
  pass.control(control_value::kProgStart);
  pass.delay();
  pass.control(control_value::kProgIdle);
  pass.delay();
  // Never past the image's end, whatever size the caller passes.
  const std::int32_t count = std::min(size, image.size());
  const std::uint8_t* const bytes = image.data();
  for (std::int32_t location = 0; location < count; ++location) {
    pass.beginLocation(location);
    const std::uint8_t wanted = bytes[location];
    if (holdsAlready(location, wanted, held, blank)) {
      ++result.pulses.steppedOver;
      pass.stepAfterBurning();
      continue;
    }
    std::uint8_t readBack = 0;
    const int pulses = burnLocation(pass, plan, wanted, readBack);
    if (pulses > 0 && plan.extraPulseFactor > 0)
      pass.pulse(wanted, plan.extraPulseFactor * pulses * plan.pulse);
    // A location that never took its byte is counted with every pulse it got.
    countPulses(result.pulses, location, pulses > 0 ? pulses : plan.maxPulses);
    // The step to the next location is made for a failing one too, before
    // the pass ends.
    pass.stepAfterBurning();
    if (pulses == 0) {
      result.outcome = WriteOutcome::BadEprom;
      result.bad = {location, wanted, readBack};
      return;
    }
  }
  endProgramming(services, base);
}

}  // namespace

void Read_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                MemoryImage& image) {
  image.recreate(size);
  std::uint8_t* const bytes = image.data();
  const std::int32_t count = image.size();
  Pass pass(services, base);
  pass.startReading();
  for (std::int32_t location = 0; location < count; ++location) {
    bytes[location] = pass.readLocation(location);
    pass.stepAfterReading();
  }
  // Control stays at 22h.
}

BlankCheckResult Blank_Check(RoutineServices& services, std::int16_t base, std::int32_t size) {
  Pass pass(services, base);
  pass.startReading();
  for (std::int32_t location = 0; location < size; ++location) {
    // The first location that is not FFh ends the check, with no further access.
    if (const std::uint8_t value = pass.readLocation(location); value != 0xFF)
      return {.blank = false, .location = location, .value = value};
    pass.stepAfterReading();
  }
  return {.blank = true};  // control stays at 22h either way
}

WriteResult Write_Eprom(RoutineServices& services, std::int16_t base, std::int32_t size,
                        const MemoryImage& image, const ProgrammingMethod& method,
                        std::span<const std::uint8_t> held, ErasedLocations erased) {
  WriteResult result;
  try {
    writePass(result, services, base, size, image, method, held, erased);
  } catch (const RunStopped&) {
    throw WriteStopped(result);
  }
  return result;
}

std::int32_t PulseCounts::pulsed() const {
  std::int32_t locations = 0;
  for (const std::int32_t atCount : took) locations += atCount;
  return locations;
}

void endProgramming(RoutineServices& services, std::int16_t base) {
  services.port.out(static_cast<std::uint16_t>(base + kControlRegister), control_value::kOff);
}
