// check_port_trace TRACE MARKER DRIVER COMMAND LOCATIONS PULSE BLANK_CHECK IMAGE [PASSES]
// checks one run of the programmer in the emulated PC's trace of the parallel
// port against the board's protocol, and says what it saw. The guest marks
// the run's start with MARKER + 60h and its end with MARKER + C0h in the
// serial port's scratch register. DRIVER is direct or ppdev, or none when the
// programmer was pointed at a base where no port is; COMMAND read,
// blank or write; PULSE a write's pulse in whole milliseconds, at most 10 a
// location, or "quick" for pulses of 100 us, at most 25;
// BLANK_CHECK yes or no; IMAGE the file a write programs, or -;
// PASSES the reads of a read, one after the other (1 when not given).
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>

#include "PortCheck.h"

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  const bool used = a.size() == 8 || a.size() == 9;
  std::ifstream trace(used ? a[0] : ""), image(used ? a[7] : "", std::ios::binary);
  if (!trace || (a[7] != "-" && !image)) {
    std::cerr << "usage: check_port_trace TRACE MARKER DRIVER COMMAND LOCATIONS PULSE "
                 "BLANK_CHECK IMAGE [PASSES]\n";
    return 2;
  }
  const std::vector<Access> accesses = parseTrace(trace);
  const auto marker = [&](int value) {
    return std::find_if(accesses.begin(), accesses.end(), [&](const Access& m) {
      return m.kind == Access::Marker && m.value == value + std::stoi(a[1]);
    });
  };
  const auto open = marker(0x60), close = marker(0xC0);
  if (close == accesses.end() || close < open) {
    std::cout << "FAILED: the run's markers are not in the trace\n";
    return 1;
  }
  std::uint8_t control = 0xCC;  // the emulated port's control register after a reset
  for (auto access = accesses.begin(); access != open; ++access)
    if (access->kind == Access::Write && access->reg == 2) control = access->value;
  const RunPlan plan{a[2] == "ppdev",
                     a[2] != "none",
                     a[3] == "read"    ? RunPlan::Read
                     : a[3] == "blank" ? RunPlan::Blank
                                       : RunPlan::Write,
                     std::stoi(a[4]),
                     a[5] == "quick" ? 100 : std::stoi(a[5]) * 1000,
                     a[5] == "quick" ? 25 : 10,
                     a[6] == "yes",
                     std::vector<std::uint8_t>(std::istreambuf_iterator<char>(image), {}),
                     a.size() == 9 ? std::stoi(a[8]) : 1,
                     true,   // vesk reads the chip once more after Bad Eprom,
                     true,   // steps over the FFh locations of a chip found blank,
                     true};  // and reads the whole chip back after a write
  const RunReport report = checkRun(plan, std::span<const Access>(open + 1, close), control);
  std::cout << (report.faults.empty() ? "ok, " : "FAILED, ") << close - open - 1 << " accesses";
  if (report.claimUs >= 0) std::cout << ", the claim's 0Ch for " << report.claimUs << " us";
  const auto [shortest, longest] =
      std::minmax_element(report.pulseUs.begin(), report.pulseUs.end());
  if (!report.pulseUs.empty())
    std::cout << ", " << report.pulseUs.size() << " pulses of " << *shortest << " to " << *longest
              << " us";
  std::cout << "\n";
  for (const std::string& fault : report.faults) std::cout << "    " << fault << "\n";
  return report.faults.empty() ? 0 : 1;
}
