// check_port_trace PLAN TRACE: checks the emulated PC's trace of the parallel
// port, run by run, against the board's protocol, and says what it saw.
//
// PLAN has one step of the guest a line (blank lines and # comments aside):
//   MARKER NAME DRIVER COMMAND TYPE PORT LOCATIONS PULSE_MS BLANK_CHECK IMAGE STATUS
// DRIVER is direct, ppdev or modules (the drivers' loading, not checked);
// COMMAND read, blank or write; BLANK_CHECK yes or no; IMAGE a file beside
// PLAN or -. The guest marks a step's start with MARKER + 60h and its end with
// MARKER + C0h in the serial port's scratch register.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "PortCheck.h"

int main(int argc, char** argv) {
  std::ifstream plans(argc == 3 ? argv[1] : ""), traceFile(argc == 3 ? argv[2] : "");
  if (!plans || !traceFile) {
    std::cerr << "usage: check_port_trace PLAN TRACE (both readable)\n";
    return 2;
  }
  const std::vector<Access> trace = parseTrace(traceFile);
  bool allOk = true;
  std::string line, name, driver, command, type, port, locations, pulse, blank, image;
  for (unsigned marker = 0; std::getline(plans, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (!(std::istringstream(line) >> marker >> name >> driver >> command >> type >> port >>
          locations >> pulse >> blank >> image)) {
      std::cerr << "check_port_trace: not a step: " << line << "\n";
      return 2;
    }
    const auto isMarker = [](unsigned value) {
      return [value](const Access& a) { return a.kind == Access::Marker && a.value == value; };
    };
    const auto open = std::find_if(trace.begin(), trace.end(), isMarker(0x60 + marker));
    const auto close = std::find_if(open, trace.end(), isMarker(0xC0 + marker));
    std::cout << name << ":";
    if (driver == "modules") {
      std::cout << " the drivers' loading, not checked\n";
      continue;
    }
    if (close == trace.end()) {
      std::cout << " FAILED\n    its markers are not in the trace\n";
      allOk = false;
      continue;
    }
    RunPlan plan{driver == "ppdev",
                 command == "read"    ? RunPlan::Read
                 : command == "blank" ? RunPlan::Blank
                                      : RunPlan::Write,
                 std::stoi(locations),
                 std::stoi(pulse),
                 blank == "yes",
                 {}};
    std::ifstream bytes(std::filesystem::path(argv[1]).parent_path() / image, std::ios::binary);
    if (image != "-" && !bytes) {
      std::cerr << "check_port_trace: cannot read the image " << image << "\n";
      return 2;
    }
    plan.image.assign(std::istreambuf_iterator<char>(bytes), {});
    std::uint8_t control = 0xCC;  // the emulated port's control register after a reset
    for (auto a = trace.begin(); a != open; ++a)
      if (a->kind == Access::Write && a->reg == 2) control = a->value;
    const RunReport report = checkRun(plan, std::span<const Access>(open + 1, close), control);
    std::cout << (report.faults.empty() ? " ok, " : " FAILED, ") << close - open - 1 << " accesses";
    if (report.claimUs >= 0) std::cout << ", the claim's 0Ch for " << report.claimUs << " us";
    const auto [shortest, longest] =
        std::minmax_element(report.pulseUs.begin(), report.pulseUs.end());
    if (!report.pulseUs.empty())
      std::cout << ", " << report.pulseUs.size() << " pulses of " << *shortest << " to " << *longest
                << " us";
    std::cout << "\n";
    for (const std::string& fault : report.faults) std::cout << "    " << fault << "\n";
    allOk = allOk && report.faults.empty();
  }
  std::cout << (allOk ? "every run follows the board's protocol\n"
                      : "the trace breaks the board's protocol\n");
  return allOk ? 0 : 1;
}
