#include "SimulatedFaults.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr std::uint32_t kHighestAddress = BoardSimulator::kDefaultChipSize - 1;
constexpr int kHighestAddressLine = 19;  // A19 of a 1 MiB chip

struct Kind {
  std::string_view name;
  std::string_view form;  // how the item is written
  std::size_t fields;     // after the name
};

constexpr Kind kKinds[] = {{"weak", "weak:ADDR:N", 2},
                           {"dead", "dead:ADDR", 1},
                           {"unstable", "unstable:ADDR:MASK", 2},
                           {"stuck-data", "stuck-data:BIT:0|1", 2},
                           {"open-address", "open-address:LINE", 1},
                           {"no-chip", "no-chip", 0},
                           {"seed", "seed:N", 1}};

// A whole number in decimal or, after 0x, in hex; nothing else around it.
std::optional<std::uint64_t> numberIn(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// One item of the list, added to `faults`; why not, naming the item.
Expected<> addItem(std::string_view item, SimulatedFaults& faults) {
  const std::string named = std::string(item) + ": ";
  const std::vector<std::string_view> fields = split(item, ':');
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](const Kind& k) { return k.name == fields[0]; });
  if (kind == std::end(kKinds)) {
    std::string forms;
    for (const Kind& k : kKinds) forms += (forms.empty() ? "" : ", ") + std::string(k.form);
    return Failure{named + "not a fault; the faults are " + forms};
  }
  if (fields.size() != kind->fields + 1)
    return Failure{named + "write it as " + std::string(kind->form)};

  // Field `index` (1 on) as a number from `lowest` to `highest`, or none and why not.
  std::string whyNot;
  const auto field = [&](std::size_t index, const char* name, std::uint64_t lowest,
                         std::uint64_t highest, const char* range) -> std::optional<std::uint64_t> {
    const std::optional<std::uint64_t> value = numberIn(fields[index]);
    if (value && *value >= lowest && *value <= highest) return value;
    whyNot = named + name + " must be " + range;
    return std::nullopt;
  };
  const auto address = [&] {
    return field(1, "ADDR", 0, kHighestAddress, "0 to 0xFFFFF, in decimal or as 0x...");
  };

  if (kind->name == "weak") {
    const auto at = address();
    const auto times = at ? field(2, "N", 1, kMostWeakTimes, "1 to 65535") : std::nullopt;
    if (!times) return Failure{whyNot};
    const auto location = static_cast<std::int32_t>(*at);
    std::erase_if(faults.weak, [&](const auto& cell) { return cell.address == location; });
    faults.weak.push_back({location, static_cast<int>(*times)});
  } else if (kind->name == "dead") {
    const auto at = address();
    if (!at) return Failure{whyNot};
    const auto location = static_cast<std::int32_t>(*at);
    if (std::find(faults.dead.begin(), faults.dead.end(), location) == faults.dead.end())
      faults.dead.push_back(location);
  } else if (kind->name == "unstable") {
    const auto at = address();
    const auto mask =
        at ? field(2, "MASK", 1, 0xFF, "1 to 0xFF, in decimal or as 0x...") : std::nullopt;
    if (!mask) return Failure{whyNot};
    const auto location = static_cast<std::int32_t>(*at);
    std::erase_if(faults.unstable, [&](const auto& cell) { return cell.address == location; });
    faults.unstable.push_back({location, static_cast<std::uint8_t>(*mask)});
  } else if (kind->name == "stuck-data") {
    const auto bit = field(1, "BIT", 0, 7, "0 to 7");
    const auto high = bit ? field(2, "the line's value", 0, 1, "0 or 1") : std::nullopt;
    if (!high) return Failure{whyNot};
    const auto line = static_cast<std::uint8_t>(1u << *bit);
    faults.stuckLow =
        static_cast<std::uint8_t>(*high ? faults.stuckLow & ~line : faults.stuckLow | line);
    faults.stuckHigh =
        static_cast<std::uint8_t>(*high ? faults.stuckHigh | line : faults.stuckHigh & ~line);
  } else if (kind->name == "open-address") {
    const auto line = field(1, "LINE", 0, kHighestAddressLine, "0 to 19");
    if (!line) return Failure{whyNot};
    faults.openAddressLines |= std::uint32_t{1} << *line;
  } else if (kind->name == "no-chip") {
    faults.noChip = true;
  } else {
    const auto seed =
        field(1, "N", 0, std::numeric_limits<std::uint32_t>::max(), "0 to 4294967295");
    if (!seed) return Failure{whyNot};
    faults.seed = static_cast<std::uint32_t>(*seed);
  }
  return {};
}

}  // namespace

Expected<SimulatedFaults> parseSimulatedFaults(std::string_view list) {
  SimulatedFaults faults;
  for (const std::string_view item : split(list, ',')) {
    if (item.empty())
      return Failure{"the fault list has an empty item: \"" + std::string(list) + "\""};
    if (Expected<> added = addItem(item, faults); !added) return Failure{added.error()};
  }
  return faults;
}

void applySimulatedFaults(const SimulatedFaults& faults, BoardSimulator& simulator) {
  for (const auto& cell : faults.weak) simulator.makeWeakCell(cell.address, cell.times);
  for (const std::int32_t location : faults.dead) simulator.makeDeadCell(location);
  for (const auto& cell : faults.unstable) simulator.makeUnstableCell(cell.address, cell.mask);
  for (int bit = 0; bit < 8; ++bit) {
    if ((faults.stuckLow >> bit) & 1) simulator.stickDataLine(bit, false);
    if ((faults.stuckHigh >> bit) & 1) simulator.stickDataLine(bit, true);
  }
  for (int line = 0; line < 32; ++line)
    if ((faults.openAddressLines >> line) & 1u) simulator.openAddressLine(line);
  if (faults.noChip) simulator.emptySocket();
  simulator.seedRandomReads(faults.seed);
}
