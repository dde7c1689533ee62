#include "ProtocolCheck.h"

#include <cstdio>
#include <map>
#include <utility>

namespace {

// The board's control lines, with the parallel port's names in brackets.
constexpr std::uint8_t kStep = 0x01;            // (Strobe) 0->1 steps the address counter
constexpr std::uint8_t kRestartCounter = 0x02;  // (Auto Feed) clear then set restarts at location 0
constexpr std::uint8_t kPulse = 0x04;           // (Initialize) programming pulse
constexpr std::uint8_t kProgram = 0x08;         // (Select In) programming state
constexpr std::uint8_t kLines = 0x0F;
constexpr std::uint8_t kDataInput = 0x20;  // the port leaves the data lines to the chip

constexpr std::uint8_t kOff = 0x00;
constexpr std::uint8_t kRead = kDataInput | kRestartCounter;
constexpr std::uint8_t kReadStep = kRead | kStep;
constexpr std::uint8_t kProgramStart = kProgram;
constexpr std::uint8_t kProgramIdle = kProgram | kRestartCounter;
constexpr std::uint8_t kProgramPulse = kProgramIdle | kPulse;
constexpr std::uint8_t kProgramStep = kProgramIdle | kStep;
constexpr std::uint8_t kClaimLines = kProgram | kPulse;  // what the kernel writes on a claim

constexpr int kMostPulses = 10;  // pulses a location gets before the write gives up
constexpr std::uint8_t kChipReads = 0xFF;
constexpr std::size_t kMostFaultsListed = 5;

constexpr std::uint8_t kDataRegister = 0;
constexpr std::uint8_t kStatusRegister = 1;
constexpr std::uint8_t kControlRegister = 2;

std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02Xh", value);
  return text;
}

bool pulsing(std::uint8_t lines) {
  return (lines & (kPulse | kProgram)) == (kPulse | kProgram);
}

// The chip drives the data lines in the read state: Auto Feed set, Select In clear.
bool chipDrives(std::uint8_t lines) {
  return (lines & (kRestartCounter | kProgram)) == kRestartCounter;
}

std::string at(const TraceEvent& event) {
  return "trace line " + std::to_string(event.line) + " (" +
         describeAccess(event.kind == TraceEvent::Kind::Write, event.reg, event.value) + ")";
}

std::string where(const ExpectedAccess& access) {
  std::string text = describeAccess(access.write, access.reg, access.value) + ", ";
  if (access.location < 0) return text + access.step;
  text += "location " + std::to_string(access.location);
  if (access.pulse > 0) text += " pulse " + std::to_string(access.pulse);
  return text + ": " + access.step;
}

// The faults of a run, at most a few of each kind listed, then how many more.
class Faults {
 public:
  explicit Faults(std::vector<std::string>& list) : list_(list) {}
  void add(const char* kind, std::string fault) {
    if (++counts_[kind] <= kMostFaultsListed) list_.push_back(std::move(fault));
  }
  // Says how many of each kind were left out.
  void summarize() {
    for (const auto& [kind, count] : counts_)
      if (count > kMostFaultsListed)
        list_.push_back("... and " + std::to_string(count - kMostFaultsListed) + " more " + kind);
  }

 private:
  std::vector<std::string>& list_;
  std::map<std::string, std::size_t> counts_;
};

// The port as the board sees it: the control lines, who drives the data
// lines, the address counter, and each programming pulse.
class BoardView {
 public:
  // A pulse already on at the start (the port's state after a reset or a
  // claim) is nobody's programming pulse: its end is not counted.
  explicit BoardView(std::uint8_t control)
      : lines_(control & kLines),
        portDrives_(!(control & kDataInput)),
        pulseBeforeStart_(pulsing(lines_)) {}

  // True when the control lines changed.
  bool writeControl(const TraceEvent& event) {
    const std::uint8_t lines = event.value & kLines;
    const bool portDrives = !(event.value & kDataInput);
    const std::uint8_t before = lines_;
    if (pulsing(before) && !portDrives) pulseDriven_ = false;
    if (pulsing(before) && !pulsing(lines) && !std::exchange(pulseBeforeStart_, false))
      pulses_.push_back({counter_, event.timeUs - pulseStart_.timeUs, pulseStart_.line,
                         pulseDriven_ && portDrives_});
    if (!pulsing(before) && pulsing(lines)) {
      pulseStart_ = event;
      pulseDriven_ = portDrives;
    }
    const auto rose = [&](std::uint8_t bit) { return !(before & bit) && (lines & bit); };
    if (rose(kRestartCounter)) counter_ = 0;
    if (rose(kStep) && counter_ >= 0) ++counter_;
    lines_ = lines;
    portDrives_ = portDrives;
    return lines != before;
  }

  std::uint8_t lines() const { return lines_; }
  bool portDrives() const { return portDrives_; }
  bool conflict() const { return portDrives_ && chipDrives(lines_); }
  std::vector<ObservedPulse>& pulses() { return pulses_; }

 private:
  std::uint8_t lines_;
  bool portDrives_;
  std::int32_t counter_ = -1;
  bool pulseBeforeStart_;
  TraceEvent pulseStart_;
  bool pulseDriven_ = true;
  std::vector<ObservedPulse> pulses_;
};

bool isWrite(const TraceEvent& event, std::uint8_t reg) {
  return event.kind == TraceEvent::Kind::Write && event.reg == reg;
}
bool isRead(const TraceEvent& event, std::uint8_t reg) {
  return event.kind == TraceEvent::Kind::Read && event.reg == reg;
}
// Reads of the status and control registers: nothing the board sees.
bool unseenRead(const TraceEvent& event) {
  return isRead(event, kStatusRegister) || isRead(event, kControlRegister);
}

// The protocol's accesses, each marked with the location and pulse it is at.
struct ExpectedBuilder {
  void control(std::uint8_t value, const char* step) { add(true, kControlRegister, value, step); }
  void data(std::uint8_t value, const char* step) { add(true, kDataRegister, value, step); }
  void read(const char* step) { add(false, kDataRegister, 0, step); }
  void add(bool write, std::uint8_t reg, std::uint8_t value, const char* step) {
    accesses.push_back({write, reg, value, location, pulse, step});
  }

  std::int32_t location = -1;
  std::int32_t pulse = 0;
  std::vector<ExpectedAccess> accesses;
};

void readPass(ExpectedBuilder& run, std::int32_t locations) {
  run.control(kOff, "board off before the counter restarts");
  run.control(kRead, "read state, counter at location 0");
  for (run.location = 0; run.location < locations; ++run.location) {
    run.read("the chip's byte");
    run.control(kReadStep, "step to the next location");
    run.control(kRead, "read state");
  }
  run.location = -1;
}

void programPass(ExpectedBuilder& run, const std::vector<std::uint8_t>& image,
                 std::int32_t locations) {
  run.control(kProgramStart, "programming state");
  run.control(kProgramIdle, "programming idle, counter at location 0");
  for (run.location = 0; run.location < locations; ++run.location) {
    const std::uint8_t wanted =
        static_cast<std::size_t>(run.location) < image.size() ? image[run.location] : 0;
    const int pulses = wanted == kChipReads ? 1 : kMostPulses;
    for (run.pulse = 1; run.pulse <= pulses; ++run.pulse) {
      run.data(wanted, "the byte to program");
      run.control(kProgramPulse, "pulse begins");
      run.control(kProgramIdle, "pulse ends");
      run.control(kRead, "read state for the read-back");
      run.read("read-back");
      run.control(kProgramIdle, "programming idle");
    }
    run.pulse = 0;
    run.control(kProgramStep, "step to the next location");
    run.control(kProgramIdle, "programming idle");
    if (pulses == kMostPulses) {
      ++run.location;
      break;  // the chip never took the byte: the write ends here
    }
  }
  run.location = -1;
  run.control(kOff, "board off");
}

// Direct I/O: every access exactly as the protocol makes it.
void compareExactly(const std::vector<ExpectedAccess>& expected,
                    std::span<const TraceEvent> observed, Faults& faults) {
  std::size_t next = 0;
  for (const TraceEvent& event : observed) {
    if (next == expected.size()) {
      faults.add("sequence faults", "an access after the run's last one, at " + at(event));
      return;
    }
    const ExpectedAccess& want = expected[next];
    const bool write = event.kind == TraceEvent::Kind::Write;
    if (write != want.write || event.reg != want.reg || (write && event.value != want.value)) {
      faults.add("sequence faults", "at " + at(event) + " the protocol has " + where(want));
      return;
    }
    ++next;
  }
  if (next < expected.size())
    faults.add("sequence faults", "the run stops after " + std::to_string(next) +
                                      " accesses; next would be " + where(expected[next]));
}

// Through ppdev: what the board sees must follow the protocol.
class BoardLevelComparison {
 public:
  BoardLevelComparison(const std::vector<ExpectedAccess>& expected, std::uint8_t lines,
                       bool portDrives, Faults& faults)
      : expected_(expected), lines_(lines), portDrives_(portDrives), faults_(faults) {}

  // `event` has been applied to `board` already; `changed` says whether it
  // moved the control lines.
  void take(const TraceEvent& event, const BoardView& board, bool changed) {
    if (failed_) return;
    const bool write = event.kind == TraceEvent::Kind::Write;
    if (unseenRead(event) || (isWrite(event, kControlRegister) && !changed))
      return;  // nothing the board sees, or a change of direction alone, or kernel bits
    if (!isWrite(event, kControlRegister) && event.reg != kDataRegister)
      return fail("an access the protocol does not make, at " + at(event));
    skipUnseen();
    if (next_ == expected_.size())
      return fail("an access after the run's last one, at " + at(event));
    const ExpectedAccess& want = expected_[next_];
    const bool same =
        want.write == write && want.reg == event.reg &&
        (!write || (event.reg == kControlRegister ? (want.value & kLines) == board.lines()
                                                  : want.value == event.value));
    if (!same) return fail("at " + at(event) + " the protocol has " + where(want));
    if (event.reg == kDataRegister && board.portDrives() != portDrives_)
      return fail("at " + at(event) + ", " + where(want) + ", the data lines are " +
                  (board.portDrives() ? "driven by the port" : "left to the chip"));
    follow(want);
    ++next_;
  }

  void finish(const BoardView& board) {
    if (failed_) return;
    skipUnseen();
    if (next_ < expected_.size())
      faults_.add("sequence faults",
                  "the run stops early; next would be " + where(expected_[next_]));
    else if (board.portDrives() != portDrives_)
      faults_.add("sequence faults",
                  std::string("the run ends with the data lines ") +
                      (board.portDrives() ? "driven by the port" : "left to the chip") +
                      ", not as its last control write set them");
  }

 private:
  // Protocol writes that leave the control lines as they are: only their
  // direction counts.
  void skipUnseen() {
    while (next_ < expected_.size() && expected_[next_].write &&
           expected_[next_].reg == kControlRegister && (expected_[next_].value & kLines) == lines_)
      follow(expected_[next_++]);
  }
  void follow(const ExpectedAccess& access) {
    if (access.reg != kControlRegister) return;
    lines_ = access.value & kLines;
    portDrives_ = !(access.value & kDataInput);
  }
  void fail(std::string fault) {
    faults_.add("sequence faults", std::move(fault));
    failed_ = true;
  }

  const std::vector<ExpectedAccess>& expected_;
  std::size_t next_ = 0;
  std::uint8_t lines_;  // as the protocol has left them so far
  bool portDrives_;
  Faults& faults_;
  bool failed_ = false;
};

// The claim: the kernel's control 0Ch first, then nothing the board sees
// before our 00h. Returns where the protocol's part begins.
std::size_t checkClaim(std::span<const TraceEvent> segment, BoardView& board, RunReport& report,
                       Faults& faults) {
  std::size_t i = 0;
  while (i < segment.size() && unseenRead(segment[i])) ++i;
  if (i == segment.size() || !isWrite(segment[i], kControlRegister) ||
      (segment[i].value & (kLines | kDataInput)) != kClaimLines) {
    faults.add("claim faults",
               "the run does not begin with the claim's control " + hex(kClaimLines) +
                   (i < segment.size() ? ", but with " + at(segment[i]) : std::string()));
    return segment.size();
  }
  const TraceEvent& claim = segment[i];
  for (; i < segment.size(); ++i) {
    const TraceEvent& event = segment[i];
    report.claim.push_back(&event);
    if (unseenRead(event)) continue;
    if (!isWrite(event, kControlRegister)) break;
    board.writeControl(event);
    if (board.lines() == kOff) {
      report.claimPulseUs = event.timeUs - claim.timeUs;
      board.pulses().clear();
      return i + 1;
    }
    if (board.lines() != kClaimLines) break;
  }
  faults.add("claim faults", "the claim's control " + hex(kClaimLines) +
                                 " is not followed at once by our " + hex(kOff) +
                                 (i < segment.size() ? ": " + at(segment[i]) : std::string()));
  return segment.size();
}

void checkPulses(const RunPlan& plan, const std::vector<ExpectedAccess>& expected,
                 std::uint8_t control, const std::vector<ObservedPulse>& observed, Faults& faults) {
  BoardView model(control);
  for (const ExpectedAccess& access : expected)
    if (access.write && access.reg == kControlRegister)
      model.writeControl({TraceEvent::Kind::Write, 0, kControlRegister, access.value, 0, {}});
  std::map<std::int32_t, int> want;
  std::map<std::int32_t, int> got;
  for (const ObservedPulse& pulse : model.pulses()) ++want[pulse.location];
  for (const ObservedPulse& pulse : observed) ++got[pulse.location];
  for (const auto& [location, count] : got)
    if (want[location] != count)
      faults.add("pulse count faults",
                 "location " + std::to_string(location) + " got " + std::to_string(count) +
                     " pulses; the protocol gives it " + std::to_string(want[location]));
  for (const auto& [location, count] : want)
    if (count > 0 && !got.contains(location))
      faults.add("pulse count faults", "location " + std::to_string(location) +
                                           " got no pulse; the protocol gives it " +
                                           std::to_string(count));

  // Each time stamp is cut to the microsecond, so a difference may come out
  // 1 us short of the time that passed.
  const std::int64_t shortest = std::int64_t{plan.pulseMs} * 1000 - 1;
  for (const ObservedPulse& pulse : observed) {
    if (pulse.widthUs < shortest)
      faults.add("pulse length faults",
                 "the pulse at location " + std::to_string(pulse.location) + " (trace line " +
                     std::to_string(pulse.line) + ") lasts " + std::to_string(pulse.widthUs) +
                     " us, less than " + std::to_string(plan.pulseMs) + " ms");
    if (!pulse.dataDriven)
      faults.add("pulse direction faults", "during the pulse at location " +
                                               std::to_string(pulse.location) + " (trace line " +
                                               std::to_string(pulse.line) +
                                               ") the port does not drive the data lines");
  }
}

void checkSegment(const RunPlan& plan, std::span<const TraceEvent> segment, std::uint8_t control,
                  RunReport& report, Faults& faults) {
  const std::vector<ExpectedAccess> expected = expectedAccesses(plan);
  BoardView board(control);
  std::size_t start = 0;
  if (plan.driver == PortDriver::Ppdev) {
    start = checkClaim(segment, board, report, faults);
    if (!report.ok()) return;
    control = kOff;
  }
  const std::span<const TraceEvent> run = segment.subspan(start);
  if (plan.driver == PortDriver::Direct) compareExactly(expected, run, faults);
  BoardLevelComparison comparison(expected, board.lines(), board.portDrives(), faults);
  for (const TraceEvent& event : run) {
    const bool changed = isWrite(event, kControlRegister) && board.writeControl(event);
    if (isWrite(event, kControlRegister) && board.conflict())
      faults.add("direction faults",
                 "the port and the chip both drive the data lines after " + at(event));
    if (changed && board.lines() == kClaimLines)
      faults.add("claim faults",
                 "control " + hex(kClaimLines) + " again, a second claim, at " + at(event));
    if (isRead(event, kDataRegister) && event.value != kChipReads)
      faults.add("chip faults", "the emulated chip answers " + hex(event.value) + ", not " +
                                    hex(kChipReads) + ", at " + at(event));
    if (plan.driver == PortDriver::Ppdev) comparison.take(event, board, changed);
  }
  if (plan.driver == PortDriver::Ppdev) comparison.finish(board);
  report.pulses = board.pulses();
  checkPulses(plan, expected, control, report.pulses, faults);
}

}  // namespace

std::vector<ExpectedAccess> expectedAccesses(const RunPlan& plan) {
  ExpectedBuilder run;
  if (plan.command != BoardCommand::Write || plan.blankCheck) readPass(run, plan.locations);
  if (plan.command == BoardCommand::Write) programPass(run, plan.image, plan.locations);
  if (plan.driver == PortDriver::Ppdev) {
    // Before the release: the board off, and FFh in the latch for the next
    // claim's pulse, which then programs nothing.
    if (plan.command != BoardCommand::Write) run.control(kOff, "board off before the release");
    run.data(kChipReads, "latch at FFh before the release");
  }
  return run.accesses;
}

RunReport checkRun(const RunPlan& plan, std::span<const TraceEvent> segment, std::uint8_t control) {
  RunReport report;
  Faults faults(report.faults);
  checkSegment(plan, segment, control, report, faults);
  faults.summarize();
  return report;
}

std::vector<ObservedPulse> pulsesIn(std::span<const TraceEvent> segment, std::uint8_t& control) {
  BoardView board(control);
  for (const TraceEvent& event : segment) {
    if (!isWrite(event, kControlRegister)) continue;
    board.writeControl(event);
    control = event.value;
  }
  return board.pulses();
}
