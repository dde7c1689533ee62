#include "SimulatedFaults.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>

#include "WholeNumbers.h"

namespace {

constexpr std::uint32_t kHighestAddress = BoardSimulator::kDefaultChipSize - 1;
constexpr std::uint32_t kHighestAddressLine = 19;  // A19 of a 1 MiB chip

// A number field of an item, its name and range as the refusal says them.
struct Field {
  const char* name;
  std::uint32_t lowest;
  std::uint32_t highest;
  const char* range;
};

constexpr Field kAddress{"ADDR", 0, kHighestAddress, "0 to 0xFFFFF, in decimal or as 0x..."};

// An item's numbers, in the order of its fields.
using Values = std::array<std::uint32_t, 2>;

void addWeak(const Values& values, SimulatedFaults& faults) {
  const auto at = static_cast<std::int32_t>(values[0]);
  std::erase_if(faults.weak, [at](const auto& cell) { return cell.address == at; });
  faults.weak.push_back({at, static_cast<int>(values[1])});
}

void addDead(const Values& values, SimulatedFaults& faults) {
  const auto at = static_cast<std::int32_t>(values[0]);
  if (std::find(faults.dead.begin(), faults.dead.end(), at) == faults.dead.end())
    faults.dead.push_back(at);
}

void addUnstable(const Values& values, SimulatedFaults& faults) {
  const auto at = static_cast<std::int32_t>(values[0]);
  std::erase_if(faults.unstable, [at](const auto& cell) { return cell.address == at; });
  faults.unstable.push_back({at, static_cast<std::uint8_t>(values[1])});
}

void addStuckData(const Values& values, SimulatedFaults& faults) {
  const auto line = static_cast<std::uint8_t>(1u << values[0]);
  const bool high = values[1] != 0;
  faults.stuckLow =
      static_cast<std::uint8_t>(high ? faults.stuckLow & ~line : faults.stuckLow | line);
  faults.stuckHigh =
      static_cast<std::uint8_t>(high ? faults.stuckHigh | line : faults.stuckHigh & ~line);
}

void addOpenAddress(const Values& values, SimulatedFaults& faults) {
  faults.openAddressLines |= std::uint32_t{1} << values[0];
}

void addNoChip(const Values&, SimulatedFaults& faults) {
  faults.noChip = true;
}

void addSeed(const Values& values, SimulatedFaults& faults) {
  faults.seed = values[0];
}

struct Kind {
  std::string_view name;
  std::string_view form;  // how the item is written
  std::size_t fieldCount;
  std::array<Field, 2> fields;
  void (*add)(const Values&, SimulatedFaults&);
};

constexpr Kind kKinds[] = {
    {"weak", "weak:ADDR:N", 2, {kAddress, {"N", 1, kMostWeakTimes, "1 to 65535"}}, addWeak},
    {"dead", "dead:ADDR", 1, {kAddress}, addDead},
    {"unstable",
     "unstable:ADDR:MASK",
     2,
     {kAddress, {"MASK", 1, 0xFF, "1 to 0xFF, in decimal or as 0x..."}},
     addUnstable},
    {"stuck-data",
     "stuck-data:BIT:0|1",
     2,
     {{{"BIT", 0, 7, "0 to 7"}, {"the line's value", 0, 1, "0 or 1"}}},
     addStuckData},
    {"open-address",
     "open-address:LINE",
     1,
     {{{"LINE", 0, kHighestAddressLine, "0 to 19"}}},
     addOpenAddress},
    {"no-chip", "no-chip", 0, {}, addNoChip},
    {"seed",
     "seed:N",
     1,
     {{{"N", 0, std::numeric_limits<std::uint32_t>::max(), "0 to 4294967295"}}},
     addSeed}};

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

const Kind* kindNamed(std::string_view name) {
  for (const Kind& kind : kKinds)
    if (kind.name == name) return &kind;
  return nullptr;
}

// "weak:ADDR:N, dead:ADDR, ... seed:N"
std::string kindForms() {
  std::string forms;
  for (const Kind& kind : kKinds) forms += (forms.empty() ? "" : ", ") + std::string(kind.form);
  return forms;
}

// The numbers after the item's kind (`parts` from 1 on), each in its field's
// range; why not, naming the item.
Expected<Values> valuesOf(std::string_view item, const std::vector<std::string_view>& parts,
                          const Kind& kind) {
  Values values{};
  for (std::size_t i = 0; i < kind.fieldCount; ++i) {
    const Field& field = kind.fields[i];
    const std::optional<std::uint32_t> value =
        wholeNumberIn(parts[i + 1], field.lowest, field.highest, {.hexAfter0x = true});
    if (!value) return Failure{std::string(item) + ": " + field.name + " must be " + field.range};
    values[i] = *value;
  }
  return values;
}

// One item of the list, added to `faults`; why not, naming the item.
Expected<> addItem(std::string_view item, SimulatedFaults& faults) {
  const std::vector<std::string_view> parts = split(item, ':');
  const Kind* kind = kindNamed(parts[0]);
  if (kind == nullptr)
    return Failure{std::string(item) + ": not a fault; the faults are " + kindForms()};
  if (parts.size() != kind->fieldCount + 1)
    return Failure{std::string(item) + ": write it as " + std::string(kind->form)};
  const Expected<Values> values = valuesOf(item, parts, *kind);
  if (!values) return Failure{values.error()};
  kind->add(*values, faults);
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

Expected<SimulatedFaults> simulatedFaultsOption(std::string_view list) {
  Expected<SimulatedFaults> faults = parseSimulatedFaults(list);
  if (!faults) return Failure{"--simulate-faults " + faults.error()};
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
