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
#include <numeric>
#include <sstream>

#include "PortCheck.h"

namespace {

void reportPulses(const std::vector<std::int64_t>& us) {
  if (us.empty()) return;
  const auto [shortest, longest] = std::minmax_element(us.begin(), us.end());
  const std::int64_t total = std::accumulate(us.begin(), us.end(), std::int64_t{0});
  std::cout << "    " << us.size() << " pulses: " << *shortest << " us shortest, "
            << total / static_cast<std::int64_t>(us.size()) << " us on average, " << *longest
            << " us longest\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: check_port_trace PLAN TRACE\n";
    return 2;
  }
  std::ifstream planFile(argv[1]), traceFile(argv[2]);
  if (!planFile || !traceFile) {
    std::cerr << "check_port_trace: cannot read " << (planFile ? argv[2] : argv[1]) << "\n";
    return 2;
  }
  const std::vector<Access> trace = parseTrace(traceFile);
  bool allOk = true;
  std::string line;
  for (int number = 1; std::getline(planFile, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    unsigned marker = 0;
    std::string name, driver, command, type, port, locations, pulse, blank, image;
    if (!(fields >> marker >> name >> driver >> command >> type >> port >> locations >> pulse >>
          blank >> image)) {
      std::cerr << "check_port_trace: " << argv[1] << ":" << number << ": not a step\n";
      return 2;
    }
    // The step's accesses lie between its two markers.
    const auto isMarker = [](std::uint8_t value) {
      return [value](const Access& a) { return a.kind == Access::Marker && a.value == value; };
    };
    const auto open = std::find_if(trace.begin(), trace.end(), isMarker(0x60 + marker));
    const auto close = std::find_if(open, trace.end(), isMarker(0xC0 + marker));
    std::cout << name << ":";
    if (close == trace.end() ||
        std::any_of(open + 1, close, [](const Access& a) { return a.kind == Access::Marker; })) {
      std::cout << " FAILED\n    the guest's markers of this step are not in the trace\n";
      allOk = false;
      continue;
    }
    std::uint8_t control = 0xCC;  // the emulated port's control register after a reset
    for (auto a = trace.begin(); a != open; ++a)
      if (a->kind == Access::Write && a->reg == 2) control = a->value;
    const std::span<const Access> run(open + 1, close);
    if (driver == "modules") {
      const std::vector<std::int64_t> pulses = pulsesIn(run, control);
      char left[8];
      std::snprintf(left, sizeof left, "%02Xh", control);
      std::cout << " " << run.size() << " accesses while the drivers probed the port, control "
                << left << " after them; programming pulses a board would see: " << pulses.size()
                << "\n";
      reportPulses(pulses);
      continue;
    }
    RunPlan plan;
    plan.ppdev = driver == "ppdev";
    plan.command = command == "read"    ? RunPlan::Read
                   : command == "blank" ? RunPlan::Blank
                                        : RunPlan::Write;
    plan.locations = std::stoi(locations);
    plan.pulseMs = std::stoi(pulse);
    plan.blankCheck = blank == "yes";
    if (image != "-") {
      std::ifstream bytes(std::filesystem::path(argv[1]).parent_path() / image, std::ios::binary);
      if (!bytes) {
        std::cerr << "check_port_trace: cannot read the image " << image << "\n";
        return 2;
      }
      plan.image.assign(std::istreambuf_iterator<char>(bytes), {});
    }
    const RunReport report = checkRun(plan, run, control);
    std::cout << (report.faults.empty() ? " ok, " : " FAILED, ") << run.size() << " accesses\n";
    for (const std::string& fault : report.faults) std::cout << "    " << fault << "\n";
    if (report.claimUs >= 0)
      std::cout << "    the claim's control 0Ch lasted " << report.claimUs << " us\n";
    reportPulses(report.pulseUs);
    allOk = allOk && report.faults.empty();
  }
  std::cout << (allOk ? "every run follows the board's protocol\n"
                      : "the trace breaks the board's protocol\n");
  return allOk ? 0 : 1;
}
