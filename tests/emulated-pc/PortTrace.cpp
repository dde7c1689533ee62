#include "PortTrace.h"

#include <cstdio>
#include <istream>

namespace {

constexpr std::uint8_t kScratchRegister = 7;
constexpr std::uint8_t kControlAfterReset = 0xCC;

// "PID@SECONDS.MICROS:name rest": the time and where the event's name starts.
bool splitStamp(const std::string& line, std::int64_t& timeUs, std::size_t& nameAt) {
  const std::size_t at = line.find('@');
  const std::size_t colon = line.find(':', at == std::string::npos ? 0 : at);
  if (at == std::string::npos || colon == std::string::npos) return false;
  long long seconds = 0;
  long long micros = 0;
  int used = 0;
  if (std::sscanf(line.c_str() + at + 1, "%lld.%lld%n", &seconds, &micros, &used) != 2 ||
      at + 1 + static_cast<std::size_t>(used) != colon)
    return false;
  timeUs = seconds * 1'000'000 + micros;
  nameAt = colon + 1;
  return true;
}

bool parseAddressValue(const char* text, const char* format, unsigned& addr, unsigned& value) {
  return std::sscanf(text, format, &addr, &value) == 2 && addr <= 0xFF && value <= 0xFF;
}

}  // namespace

std::vector<TraceEvent> parseTrace(std::istream& in) {
  std::vector<TraceEvent> events;
  std::string line;
  std::size_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    TraceEvent event;
    std::size_t nameAt = 0;
    if (!splitStamp(line, event.timeUs, nameAt)) continue;
    const char* rest = line.c_str() + nameAt;
    unsigned addr = 0;
    unsigned value = 0;
    if (parseAddressValue(rest, "parallel_ioport_write write [%*[^]]] addr 0x%x val 0x%x", addr,
                          value)) {
      event.kind = TraceEvent::Kind::Write;
    } else if (parseAddressValue(rest, "parallel_ioport_read read [%*[^]]] addr 0x%x val 0x%x",
                                 addr, value)) {
      event.kind = TraceEvent::Kind::Read;
    } else if (parseAddressValue(rest, "serial_write write addr 0x%x val 0x%x", addr, value) &&
               addr == kScratchRegister) {
      event.kind = TraceEvent::Kind::Marker;
    } else {
      continue;
    }
    event.reg = static_cast<std::uint8_t>(addr);
    event.value = static_cast<std::uint8_t>(value);
    event.line = number;
    event.text = line;
    events.push_back(std::move(event));
  }
  return events;
}

Expected<std::span<const TraceEvent>> findSegment(const std::vector<TraceEvent>& events,
                                                  std::uint8_t open, std::uint8_t close) {
  const auto isMarker = [](const TraceEvent& event, std::uint8_t value) {
    return event.kind == TraceEvent::Kind::Marker && event.value == value;
  };
  std::size_t begin = 0;
  while (begin < events.size() && !isMarker(events[begin], open)) ++begin;
  if (begin == events.size())
    return Failure{"the guest's start marker " + std::to_string(open) + " is not in the trace"};
  std::size_t end = ++begin;
  while (end < events.size() && !isMarker(events[end], close)) {
    if (events[end].kind == TraceEvent::Kind::Marker) {
      return Failure{"marker " + std::to_string(events[end].value) + " (line " +
                     std::to_string(events[end].line) + ") comes before the end marker " +
                     std::to_string(close)};
    }
    ++end;
  }
  if (end == events.size())
    return Failure{"the guest's end marker " + std::to_string(close) + " is not in the trace"};
  return std::span<const TraceEvent>(events).subspan(begin, end - begin);
}

std::uint8_t controlBefore(const std::vector<TraceEvent>& events,
                           std::span<const TraceEvent> segment) {
  // The segment is a view into `events`: everything before its first element.
  const auto before = static_cast<std::size_t>(segment.data() - events.data());
  std::uint8_t control = kControlAfterReset;
  for (std::size_t i = 0; i < before && i < events.size(); ++i)
    if (events[i].kind == TraceEvent::Kind::Write && events[i].reg == 2) control = events[i].value;
  return control;
}

std::string describeAccess(bool write, std::uint8_t reg, std::uint8_t value) {
  static const char* const kNames[] = {"data", "status", "control"};
  std::string name = reg < 3 ? kNames[reg] : "register " + std::to_string(reg);
  if (!write) return "read " + name;
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", value);
  return "write " + name + " " + hex;
}
