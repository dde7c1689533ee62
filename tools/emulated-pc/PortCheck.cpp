#include "PortCheck.h"

#include <algorithm>
#include <cstdio>
#include <istream>
#include <map>
#include <regex>

namespace {

// The board's control lines, under the parallel port's names: Strobe (01h)
// steps the address counter, Auto Feed (02h) restarts it, Initialize (04h) is
// the programming pulse in programming state, Select In (08h).
constexpr std::uint8_t kRestart = 0x02;
constexpr std::uint8_t kProgram = 0x08;
constexpr std::uint8_t kLines = 0x0F;
constexpr std::uint8_t kInput = 0x20;  // the port leaves the data lines to the chip
constexpr std::uint8_t kClaim = 0x0C;  // the kernel's control value on a claim

// "trace line 12 (write control 0Eh)"; the protocol's accesses have no line.
std::string describe(const Access& a) {
  char text[48];
  std::snprintf(text, sizeof text, a.kind == Access::Write ? "write %s %02Xh" : "read %s",
                a.reg == 0   ? "data"
                : a.reg == 1 ? "status"
                             : "control",
                a.value);
  return a.line == 0 ? text : "trace line " + std::to_string(a.line) + " (" + text + ")";
}

bool controlWrite(const Access& a) {
  return a.kind == Access::Write && a.reg == 2;
}

// One access of the protocol, and where in the run it belongs.
struct Step {
  Access access;
  std::int32_t location, pulse;  // -1 outside the locations; 0 outside the pulses
  const char* what;
};

std::string where(const Step& s) {
  return describe(s.access) + (s.location < 0 ? "" : ", location " + std::to_string(s.location)) +
         (s.pulse > 0 ? " pulse " + std::to_string(s.pulse) : "") + ": " + s.what;
}

std::vector<Step> protocol(const RunPlan& plan) {
  std::vector<Step> steps;
  std::int32_t location = -1, pulse = 0;
  const auto add = [&](Access::Kind kind, std::uint8_t reg, std::uint8_t value, const char* what) {
    steps.push_back({{kind, reg, value}, location, pulse, what});
  };
  const auto control = [&](std::uint8_t value, const char* what) {
    add(Access::Write, 2, value, what);
  };
  if (!plan.portHere) return steps;
  // Once, when the port is acquired: does a port answer at the base?
  add(Access::Write, 0, 0xFF, "latch at FFh before the board is switched off");
  control(0x00, "board off for the check that a port answers");
  for (const std::uint8_t pattern : {std::uint8_t{0x55}, std::uint8_t{0xAA}}) {
    add(Access::Write, 0, pattern, "a pattern for the data latch");
    add(Access::Read, 0, pattern, "the pattern read back");
  }
  add(Access::Write, 0, 0xFF, "latch at FFh after the check");
  const auto readPass = [&] {
    control(0x00, "board off before the counter restarts");
    control(0x22, "read state, counter at location 0");
    for (location = 0; location < plan.locations; ++location) {
      add(Access::Read, 0, 0xFF, "the chip's byte");
      control(0x23, "step to the next location");
      control(0x22, "read state");
    }
    location = -1;
  };
  const int reads = plan.command == RunPlan::Read                       ? plan.passes
                    : plan.command == RunPlan::Blank || plan.blankCheck ? 1
                                                                        : 0;
  for (int pass = 0; pass < reads; ++pass) readPass();
  bool endsReading = plan.command != RunPlan::Write;
  if (plan.command == RunPlan::Write) {
    control(0x08, "programming state");
    control(0x0A, "programming idle, counter at location 0");
    bool programmed = true;
    for (location = 0; location < plan.locations; ++location) {
      const auto index = static_cast<std::size_t>(location);
      const std::uint8_t wanted = index < plan.image.size() ? plan.image[index] : 0;
      const int pulses = wanted != 0xFF                            ? plan.maxPulses
                         : plan.stepsOverErased && plan.blankCheck ? 0
                                                                   : 1;
      for (pulse = 1; pulse <= pulses; ++pulse) {
        add(Access::Write, 0, wanted, "the byte to program");
        control(0x0E, "pulse begins");
        control(0x0A, "pulse ends");
        control(0x22, "read state for the read-back");
        add(Access::Read, 0, 0xFF, "read-back");
        control(0x0A, "programming idle");
      }
      pulse = 0;
      control(0x0B, "step to the next location");
      control(0x0A, "programming idle");
      programmed = pulses <= 1;
      if (!programmed) break;  // the chip never took the byte: the write ends
    }
    location = -1;
    control(0x00, "board off");
    // vesk reads the whole chip back after a write that programmed every
    // location, and reads it once more after Bad Eprom.
    if (programmed ? plan.readsBack : plan.rereadAfterBadEprom) {
      readPass();
      endsReading = true;
    }
  }
  if (plan.ppdev) {  // before the release, so that the next claim's pulse programs nothing
    if (endsReading) control(0x00, "board off before the release");
    add(Access::Write, 0, 0xFF, "latch at FFh before the release");
  }
  return steps;
}

// An access as the board takes it: a change of the control lines, or a data
// access with the direction of the data lines then. `at` is its index in the
// trace or the protocol.
struct Seen {
  Access::Kind kind;
  std::uint8_t reg, value;
  bool portDrives;
  std::size_t at;
  bool operator==(const Seen& o) const {
    return kind == o.kind && reg == o.reg && value == o.value &&
           (reg != 0 || portDrives == o.portDrives);
  }
};

// What the board sees of `accesses`, starting from `control`, and the faults
// the board would suffer from them. With `exact` (direct I/O) every access
// counts as it was made; else reads of the status and control registers,
// and control writes that leave the lines as they are, show nothing.
template <class Fault>
std::vector<Seen> boardSees(std::span<const Access> accesses, std::uint8_t control, bool exact,
                            const Fault& fault) {
  std::vector<Seen> seen;
  for (std::size_t i = 0; i < accesses.size(); ++i) {
    const Access& a = accesses[i];
    const bool changed = controlWrite(a) && ((a.value ^ control) & kLines) != 0;
    if (controlWrite(a)) control = a.value;
    // The chip drives the data lines in read state: Auto Feed set, Select In clear.
    if (controlWrite(a) && !(control & kInput) && (control & (kRestart | kProgram)) == kRestart)
      fault("direction", "the port and the chip both drive the data lines after " + describe(a));
    if (exact || changed || a.reg == 0)
      seen.push_back({a.kind, a.reg,
                      std::uint8_t(a.kind == Access::Read ? 0
                                   : exact || !changed    ? a.value
                                                          : control & kLines),
                      !(control & kInput), i});
  }
  return seen;
}

}  // namespace

std::vector<Access> parseTrace(std::istream& in) {
  // PID@SECONDS.MICROS:parallel_ioport_write write [SW] addr 0x02 val 0x0e
  static const std::regex kEvent(
      R"(\d+@(\d+)\.(\d{6}):(parallel_ioport_(read|write) \w+ \[[^\]]*\]|serial_write write) )"
      R"(addr 0x([0-9a-f]{1,2}) val 0x([0-9a-f]{1,2}))");
  std::vector<Access> accesses;
  std::string text;
  std::smatch m;
  for (std::size_t line = 1; std::getline(in, text); ++line) {
    if (!std::regex_match(text, m, kEvent)) continue;
    const auto number = [&](int group, int base) { return std::stoll(m[group], nullptr, base); };
    const Access::Kind kind = m[4] == "write"  ? Access::Write
                              : m[4] == "read" ? Access::Read
                                               : Access::Marker;
    if (kind == Access::Marker && number(5, 16) != 7) continue;  // only the scratch register's
    accesses.push_back({kind, static_cast<std::uint8_t>(number(5, 16)),
                        static_cast<std::uint8_t>(number(6, 16)),
                        number(1, 10) * 1'000'000 + number(2, 10), line});
  }
  return accesses;
}

RunReport checkRun(const RunPlan& plan, std::span<const Access> run, std::uint8_t control) {
  RunReport report;
  std::map<std::string, std::size_t> kinds;  // a few faults of each kind are listed
  const auto fault = [&](const std::string& kind, const std::string& text) {
    if (++kinds[kind] <= 5) report.faults.push_back(text);
  };
  if (plan.ppdev) {  // the claim: the kernel's 0Ch, then nothing the board sees before our 00h
    const auto quiet = [](const Access& a) { return a.kind == Access::Read && a.reg != 0; };
    const auto claim = std::find_if_not(run.begin(), run.end(), quiet);
    const auto ours =
        claim == run.end() ? claim : std::find_if(claim + 1, run.end(), [&](const Access& a) {
          return !quiet(a) && !(controlWrite(a) && (a.value & kLines) == kClaim);
        });
    if (claim == run.end() || !controlWrite(*claim) || (claim->value & (kLines | kInput)) != kClaim)
      fault("claim", "the run does not begin with the claim's control 0Ch" +
                         (claim != run.end() ? ", but with " + describe(*claim) : ""));
    else if (ours == run.end() || !controlWrite(*ours) || (ours->value & kLines) != 0)
      fault("claim", "the claim's control 0Ch is not followed at once by our 00h" +
                         (ours != run.end() ? ": " + describe(*ours) : ""));
    if (!report.faults.empty()) return report;
    report.claimUs = ours->timeUs - claim->timeUs;
    control = ours->value;
    run = run.subspan(static_cast<std::size_t>(ours - run.begin()) + 1);
  }
  const std::vector<Step> steps = protocol(plan);
  std::vector<Access> stepAccesses;
  stepAccesses.reserve(steps.size());
  for (const Step& step : steps) stepAccesses.push_back(step.access);
  const std::vector<Seen> want = boardSees(stepAccesses, control, !plan.ppdev, fault);
  const std::vector<Seen> got = boardSees(run, control, !plan.ppdev, fault);
  const auto [w, g] = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
  if (g == got.end() && w != want.end())
    fault("sequence", "the run stops early; next would be " + where(steps[w->at]));
  else if (w == want.end() && g != got.end())
    fault("sequence", "an access after the run's last one, at " + describe(run[g->at]));
  else if (w != want.end())
    fault("sequence", "at " + describe(run[g->at]) + " the protocol has " + where(steps[w->at]) +
                          (w->kind == g->kind && w->value == g->value
                               ? std::string(", with the data lines ") +
                                     (w->portDrives ? "driven by the port" : "left to the chip")
                               : ""));
  else  // each pulse of the protocol has its place in the run
    for (std::size_t i = 0; i + 1 < want.size(); ++i) {
      const Step& step = steps[want[i].at];
      if (!controlWrite(step.access) || step.access.value != 0x0E) continue;
      const Access& begins = run[got[i].at];
      const Access& ends = run[got[i + 1].at];
      report.pulseUs.push_back(ends.timeUs - begins.timeUs);
      const std::string which =
          "the pulse at location " + std::to_string(step.location) + " at " + describe(begins);
      // Each time stamp is cut to the microsecond: a width may come out 1 us short.
      if (report.pulseUs.back() < plan.pulseUs - 1)
        fault("pulse length", which + " lasts " + std::to_string(report.pulseUs.back()) +
                                  " us, less than " + std::to_string(plan.pulseUs) + " us");
      // The port must drive the data lines until the write that ends the pulse.
      if (std::any_of(&begins, &ends + 1,
                      [](const Access& a) { return controlWrite(a) && (a.value & kInput); }))
        fault("pulse direction", "the port lets go of the data lines during " + which);
    }
  for (const auto& [kind, count] : kinds)
    if (count > 5)
      report.faults.push_back("... and " + std::to_string(count - 5) + " more " + kind + " faults");
  return report;
}
