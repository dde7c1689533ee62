// check_port_trace PLAN TRACE: checks the emulated PC's trace of the parallel
// port, run by run, against the board's protocol, and says what it saw.
//
// PLAN has one step of the guest a line (blank lines and # comments aside):
//   MARKER NAME DRIVER COMMAND TYPE PORT LOCATIONS PULSE_MS BLANK_CHECK IMAGE STATUS
// DRIVER is direct, ppdev or modules (the drivers' loading, only reported);
// COMMAND read, blank or write; BLANK_CHECK yes or no; IMAGE a file beside
// PLAN or -. The guest marks a step's start with MARKER + 60h and its end with
// MARKER + C0h in the serial port's scratch register.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "PortTrace.h"
#include "ProtocolCheck.h"

namespace {

constexpr unsigned kStartMarker = 0x60;
constexpr unsigned kEndMarker = 0xC0;
constexpr unsigned kMostMarkers = 0x1F;
constexpr std::size_t kQuotedBefore = 3;
constexpr std::size_t kQuotedAfter = 16;

struct Step {
  unsigned marker = 0;
  bool modules = false;  // the drivers' loading: reported, not checked
  RunPlan plan;
};

bool readSteps(const std::filesystem::path& path, std::vector<Step>& steps, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the plan " + path.string();
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Step step;
    std::string driver, command, type, port, pulse, blank, image, status, locations;
    if (!(fields >> step.marker >> step.plan.name >> driver >> command >> type >> port >>
          locations >> pulse >> blank >> image >> status) ||
        step.marker == 0 || step.marker > kMostMarkers) {
      error = path.string() + ":" + std::to_string(number) + ": not a step: " + line;
      return false;
    }
    step.modules = driver == "modules";
    if (!step.modules) {
      step.plan.driver = driver == "ppdev" ? PortDriver::Ppdev : PortDriver::Direct;
      step.plan.command = command == "read"    ? BoardCommand::Read
                          : command == "blank" ? BoardCommand::Blank
                                               : BoardCommand::Write;
      step.plan.locations = std::stoi(locations);
      step.plan.pulseMs = std::stoi(pulse);
      step.plan.blankCheck = blank == "yes";
      if (image != "-") {
        std::ifstream bytes(path.parent_path() / image, std::ios::binary);
        if (!bytes) {
          error = "cannot read the image " + image;
          return false;
        }
        step.plan.image.assign(std::istreambuf_iterator<char>(bytes), {});
      }
    }
    steps.push_back(std::move(step));
  }
  return true;
}

void quote(std::span<const TraceEvent> events) {
  for (const TraceEvent& event : events) std::cout << "      " << event.text << "\n";
}

// The accesses around the first byte written to the data lines: a pulse, its
// read-back and the direction changes around them.
void quoteFirstPulse(std::span<const TraceEvent> segment) {
  const auto first = std::find_if(segment.begin(), segment.end(), [](const TraceEvent& e) {
    return e.kind == TraceEvent::Kind::Write && e.reg == 0;
  });
  if (first == segment.end()) return;
  const std::size_t at = static_cast<std::size_t>(first - segment.begin());
  const std::size_t from = at > kQuotedBefore ? at - kQuotedBefore : 0;
  std::cout << "    the first pulse and its read-back:\n";
  quote(segment.subspan(from, std::min(segment.size() - from, kQuotedBefore + kQuotedAfter)));
}

void reportPulses(const std::vector<ObservedPulse>& pulses) {
  if (pulses.empty()) return;
  std::int64_t shortest = pulses.front().widthUs;
  std::int64_t longest = shortest;
  std::int64_t total = 0;
  for (const ObservedPulse& pulse : pulses) {
    shortest = std::min(shortest, pulse.widthUs);
    longest = std::max(longest, pulse.widthUs);
    total += pulse.widthUs;
  }
  std::cout << "    " << pulses.size() << " pulses: " << shortest << " us shortest, "
            << total / static_cast<std::int64_t>(pulses.size()) << " us on average, " << longest
            << " us longest\n";
}

// The drivers' probe: what the board would make of it.
void reportLoading(const std::vector<TraceEvent>& events, std::span<const TraceEvent> segment) {
  std::size_t writes = 0;
  for (const TraceEvent& event : segment) writes += event.kind == TraceEvent::Kind::Write;
  std::uint8_t control = controlBefore(events, segment);
  const std::vector<ObservedPulse> pulses = pulsesIn(segment, control);
  char left[8];
  std::snprintf(left, sizeof left, "%02Xh", control);
  std::cout << "  " << segment.size() << " accesses (" << writes
            << " writes) while the drivers probed the port; the control register left at " << left
            << "\n  programming pulses the board would see in them:"
            << (pulses.empty() ? " none" : "") << "\n";
  reportPulses(pulses);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: check_port_trace PLAN TRACE\n";
    return 2;
  }
  std::vector<Step> steps;
  std::string error;
  if (!readSteps(argv[1], steps, error)) {
    std::cerr << "check_port_trace: " << error << "\n";
    return 2;
  }
  std::ifstream traceFile(argv[2]);
  if (!traceFile) {
    std::cerr << "check_port_trace: cannot read the trace " << argv[2] << "\n";
    return 2;
  }
  const std::vector<TraceEvent> events = parseTrace(traceFile);

  bool allOk = true;
  bool quotedClaim = false;
  for (const Step& step : steps) {
    const Expected<std::span<const TraceEvent>> found =
        findSegment(events, static_cast<std::uint8_t>(kStartMarker + step.marker),
                    static_cast<std::uint8_t>(kEndMarker + step.marker));
    std::cout << step.plan.name << ":";
    if (!found) {
      std::cout << " FAILED\n    " << found.error() << "\n";
      allOk = false;
      continue;
    }
    const std::span<const TraceEvent> segment = *found;
    if (step.modules) {
      std::cout << "\n";
      reportLoading(events, segment);
      continue;
    }
    const RunReport report = checkRun(step.plan, segment, controlBefore(events, segment));
    std::cout << (report.ok() ? " ok, " : " FAILED, ") << segment.size() << " accesses\n";
    for (const std::string& fault : report.faults) std::cout << "    " << fault << "\n";
    allOk = allOk && report.ok();
    if (report.claimPulseUs >= 0) {
      std::cout << "    the claim's control 0Ch lasted " << report.claimPulseUs << " us\n";
      if (!quotedClaim) {
        std::vector<TraceEvent> claim;
        for (const TraceEvent* event : report.claim) claim.push_back(*event);
        std::cout << "    the claim, up to our 00h:\n";
        quote(claim);
        quotedClaim = true;
      }
    }
    reportPulses(report.pulses);
    if (step.plan.command == BoardCommand::Write) quoteFirstPulse(segment);
  }
  std::cout << (allOk ? "every run follows the board's protocol\n"
                      : "the trace breaks the board's protocol\n");
  return allOk ? 0 : 1;
}
