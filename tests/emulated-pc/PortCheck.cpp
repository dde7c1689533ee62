#include "PortCheck.h"

#include <cstdio>
#include <istream>
#include <map>
#include <regex>
#include <utility>

namespace {

// The board's control lines, under the parallel port's names.
constexpr std::uint8_t kStep = 0x01;     // Strobe: 0->1 steps the address counter
constexpr std::uint8_t kRestart = 0x02;  // Auto Feed: clear, then set, restarts it at 0
constexpr std::uint8_t kPulse = 0x04;    // Initialize, in programming state: the pulse
constexpr std::uint8_t kProgram = 0x08;  // Select In: programming state
constexpr std::uint8_t kLines = 0x0F;
constexpr std::uint8_t kInput = 0x20;               // the port leaves the data lines to the chip
constexpr std::uint8_t kClaim = kProgram | kPulse;  // the kernel's control value on a claim

std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02Xh", value);
  return text;
}

std::string describe(const Access& a) {
  static const char* const kNames[] = {"data", "status", "control", "?"};
  const std::string text =
      std::string(a.kind == Access::Write ? "write " : "read ") + kNames[std::min<int>(a.reg, 3)];
  return a.kind == Access::Write ? text + " " + hex(a.value) : text;
}

std::string at(const Access& a) {
  return "trace line " + std::to_string(a.line) + " (" + describe(a) + ")";
}

bool controlWrite(const Access& a) {
  return a.kind == Access::Write && a.reg == 2;
}
// Reads of the status and control registers: nothing the board sees.
bool unseen(const Access& a) {
  return a.kind == Access::Read && a.reg != 0;
}

// One access of the protocol and where in the run it belongs.
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
  if (plan.command != RunPlan::Write || plan.blankCheck) {
    control(0x00, "board off before the counter restarts");
    control(0x22, "read state, counter at location 0");
    for (location = 0; location < plan.locations; ++location) {
      add(Access::Read, 0, 0, "the chip's byte");
      control(0x23, "step to the next location");
      control(0x22, "read state");
    }
    location = -1;
  }
  if (plan.command == RunPlan::Write) {
    control(0x08, "programming state");
    control(0x0A, "programming idle, counter at location 0");
    for (location = 0; location < plan.locations; ++location) {
      const auto index = static_cast<std::size_t>(location);
      const std::uint8_t wanted = index < plan.image.size() ? plan.image[index] : 0;
      const int pulses = wanted == 0xFF ? 1 : 10;
      for (pulse = 1; pulse <= pulses; ++pulse) {
        add(Access::Write, 0, wanted, "the byte to program");
        control(0x0E, "pulse begins");
        control(0x0A, "pulse ends");
        control(0x22, "read state for the read-back");
        add(Access::Read, 0, 0, "read-back");
        control(0x0A, "programming idle");
      }
      pulse = 0;
      control(0x0B, "step to the next location");
      control(0x0A, "programming idle");
      if (pulses > 1) break;  // the chip never took the byte: the write ends
    }
    location = -1;
    control(0x00, "board off");
  }
  if (plan.ppdev) {  // before the release, so that the next claim's pulse programs nothing
    if (plan.command != RunPlan::Write) control(0x00, "board off before the release");
    add(Access::Write, 0, 0xFF, "latch at FFh before the release");
  }
  return steps;
}

// The port as the board sees it: the control lines, who drives the data
// lines, the address counter and the programming pulses.
struct Board {
  struct Pulse {
    std::int32_t location;  // -1: before the counter was first restarted
    std::int64_t us;
    std::size_t line;
    bool driven;  // by the port, all through the pulse
  };

  explicit Board(std::uint8_t control)
      : lines(control & kLines), portDrives(!(control & kInput)), ownPulse(!pulsing()) {}
  bool pulsing() const { return (lines & kClaim) == kClaim; }
  // The chip drives the data lines in read state: Auto Feed set, Select In clear.
  bool conflict() const { return portDrives && (lines & (kRestart | kProgram)) == kRestart; }

  // True when the control lines changed.
  bool write(const Access& a) {
    const std::uint8_t before = lines;
    const bool wasPulsing = pulsing();
    lines = a.value & kLines;
    portDrives = !(a.value & kInput);
    if (!wasPulsing && pulsing()) pulse = {counter, a.timeUs, a.line, true};
    pulse.driven = pulse.driven && portDrives;
    // A pulse already on when the board is first seen is nobody's.
    if (wasPulsing && !pulsing() && std::exchange(ownPulse, true))
      pulses.push_back({pulse.location, a.timeUs - pulse.us, pulse.line, pulse.driven});
    if (!(before & kRestart) && (lines & kRestart)) counter = 0;
    if (!(before & kStep) && (lines & kStep) && counter >= 0) ++counter;
    return lines != before;
  }

  std::uint8_t lines;
  bool portDrives, ownPulse;
  std::int32_t counter = -1;
  Pulse pulse{};
  std::vector<Pulse> pulses;
};

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
  Board board(control);
  std::size_t i = 0;
  if (plan.ppdev) {  // the claim: the kernel's 0Ch, then nothing the board sees before our 00h
    while (i < run.size() && unseen(run[i])) ++i;
    if (i == run.size() || !controlWrite(run[i]) || (run[i].value & (kLines | kInput)) != kClaim) {
      fault("claim", "the run does not begin with the claim's control 0Ch" +
                         (i < run.size() ? ", but with " + at(run[i]) : ""));
      return report;
    }
    std::size_t ours = i + 1;
    while (ours < run.size() &&
           (unseen(run[ours]) || (controlWrite(run[ours]) && (run[ours].value & kLines) == kClaim)))
      ++ours;
    if (ours == run.size() || !controlWrite(run[ours]) || (run[ours].value & kLines) != 0) {
      fault("claim", "the claim's control 0Ch is not followed at once by our 00h" +
                         (ours < run.size() ? ": " + at(run[ours]) : ""));
      return report;
    }
    report.claimUs = run[ours].timeUs - run[i].timeUs;
    board = Board(run[ours].value);
    i = ours + 1;
  }
  // Through ppdev only what the board sees is compared: the control lines,
  // the data accesses, and the direction of the data lines at each of them.
  const std::vector<Step> steps = protocol(plan);
  Board expected = board;
  std::size_t next = 0;
  const auto skipUnseen = [&] {
    while (plan.ppdev && next < steps.size() && controlWrite(steps[next].access) &&
           (steps[next].access.value & kLines) == expected.lines)
      expected.write(steps[next++].access);
  };
  bool lost = false;  // after the first sequence fault, the rest is out of step
  for (; i < run.size(); ++i) {
    const Access& a = run[i];
    const bool changed = controlWrite(a) && board.write(a);
    if (controlWrite(a) && board.conflict())
      fault("direction", "the port and the chip both drive the data lines after " + at(a));
    if (changed && board.lines == kClaim)
      fault("claim", "control 0Ch again, a second claim, at " + at(a));
    if (a.kind == Access::Read && a.reg == 0 && a.value != 0xFF)
      fault("chip", "the emulated chip answers " + hex(a.value) + ", not FFh, at " + at(a));
    if (lost || (plan.ppdev && (unseen(a) || (controlWrite(a) && !changed)))) continue;
    skipUnseen();
    lost = next == steps.size();
    if (lost) {
      fault("sequence", "an access after the run's last one, at " + at(a));
      continue;
    }
    const Step& want = steps[next++];
    const bool lines = plan.ppdev && controlWrite(a);
    lost = a.kind != want.access.kind || a.reg != want.access.reg ||
           (a.kind == Access::Write &&
            (lines ? (want.access.value & kLines) != board.lines : a.value != want.access.value));
    if (lost) fault("sequence", "at " + at(a) + " the protocol has " + where(want));
    if (controlWrite(want.access)) expected.write(want.access);
    if (!lost && want.access.reg == 0 && board.portDrives != expected.portDrives) {
      fault("sequence", "at " + at(a) + ", " + where(want) + ", the data lines are " +
                            (board.portDrives ? "driven by the port" : "left to the chip"));
      lost = true;
    }
  }
  skipUnseen();
  if (!lost && next < steps.size())
    fault("sequence", "the run stops early; next would be " + where(steps[next]));

  std::map<std::int32_t, std::pair<int, int>> pulses;  // by location: the protocol's, the run's
  for (const Step& step : steps)
    if (controlWrite(step.access) && step.access.value == 0x0E) ++pulses[step.location].first;
  for (const Board::Pulse& pulse : board.pulses) ++pulses[pulse.location].second;
  for (const auto& [location, count] : pulses)
    if (count.first != count.second)
      fault("pulse count", "location " + std::to_string(location) + " got " +
                               std::to_string(count.second) + " pulses; the protocol gives it " +
                               std::to_string(count.first));
  for (const Board::Pulse& pulse : board.pulses) {
    report.pulseUs.push_back(pulse.us);
    const std::string which = "the pulse at location " + std::to_string(pulse.location) +
                              " (trace line " + std::to_string(pulse.line) + ")";
    // Each time stamp is cut to the microsecond: a width may come out 1 us short.
    if (pulse.us < plan.pulseMs * 1000 - 1)
      fault("pulse length", which + " lasts " + std::to_string(pulse.us) + " us, less than " +
                                std::to_string(plan.pulseMs) + " ms");
    if (!pulse.driven)
      fault("pulse direction", "the port lets go of the data lines during " + which);
  }
  for (const auto& [kind, count] : kinds)
    if (count > 5)
      report.faults.push_back("... and " + std::to_string(count - 5) + " more " + kind + " faults");
  return report;
}

std::vector<std::int64_t> pulsesIn(std::span<const Access> run, std::uint8_t& control) {
  Board board(control);
  for (const Access& a : run)
    if (controlWrite(a)) board.write(a), control = a.value;
  std::vector<std::int64_t> widths;
  for (const Board::Pulse& pulse : board.pulses) widths.push_back(pulse.us);
  return widths;
}
