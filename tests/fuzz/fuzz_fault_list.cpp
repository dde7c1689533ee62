// Arbitrary text as --simulate-faults' list. Whatever the text:
// - it is refused exactly when one of its items is empty or refused alone,
//   and the refusal is the first such item's, naming it, behind the option;
// - a list taken holds each kind of fault in its range: cells inside the
//   simulated chip, a weak cell's times and an unstable cell's mask as the
//   list allows, a data line stuck at 0 or 1 but not both, address lines of
//   the chip; each cell, data line and the seed as the last item that names
//   it says, each cell once;
// - the list printed back (in decimal and in 0x...) is read to the same
//   faults, and a simulated chip takes them.
#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "SimulatedFaults.h"

namespace {

std::vector<std::string_view> itemsOf(std::string_view list) {
  std::vector<std::string_view> items;
  for (std::size_t start = 0;;) {
    const std::size_t end = list.find(',', start);
    items.push_back(list.substr(start, end - start));
    if (end == std::string_view::npos) return items;
    start = end + 1;
  }
}

std::string hex(std::uint32_t value) {
  std::string digits;
  do digits.insert(digits.begin(), "0123456789abcdef"[value & 0xF]);
  while ((value >>= 4) != 0);
  return "0x" + digits;
}

// The faults as a list, numbers in decimal or in hex as `inHex` says.
std::string printed(const SimulatedFaults& faults, bool inHex) {
  const auto number = [inHex](std::uint32_t value) {
    return inHex ? hex(value) : std::to_string(value);
  };
  std::string list;
  const auto add = [&list](const std::string& item) { list += (list.empty() ? "" : ",") + item; };
  for (const auto& cell : faults.weak)
    add("weak:" + number(static_cast<std::uint32_t>(cell.address)) + ":" +
        number(static_cast<std::uint32_t>(cell.times)));
  for (const std::int32_t cell : faults.dead)
    add("dead:" + number(static_cast<std::uint32_t>(cell)));
  for (const auto& cell : faults.unstable)
    add("unstable:" + number(static_cast<std::uint32_t>(cell.address)) + ":" + number(cell.mask));
  for (unsigned bit = 0; bit < 8; ++bit) {
    if ((faults.stuckLow >> bit & 1) != 0) add("stuck-data:" + number(bit) + ":0");
    if ((faults.stuckHigh >> bit & 1) != 0) add("stuck-data:" + number(bit) + ":1");
  }
  for (unsigned line = 0; line < 32; ++line)
    if ((faults.openAddressLines >> line & 1) != 0) add("open-address:" + number(line));
  if (faults.noChip) add("no-chip");
  add("seed:" + number(faults.seed));
  return list;
}

// What the list's items say, each read alone, the later over the earlier.
struct ItemsSay {
  std::map<std::int32_t, int> weak;
  std::map<std::int32_t, bool> dead;
  std::map<std::int32_t, std::uint8_t> unstable;
  std::map<unsigned, bool> stuck;  // data line: high
  std::uint32_t openAddressLines = 0;
  bool noChip = false;
  std::uint32_t seed = BoardSimulator::kDefaultSeed;  // the last seed item's

  void add(const SimulatedFaults& item) {
    for (const auto& cell : item.weak) weak[cell.address] = cell.times;
    for (const std::int32_t cell : item.dead) dead[cell] = true;
    for (const auto& cell : item.unstable) unstable[cell.address] = cell.mask;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((item.stuckLow >> bit & 1) != 0) stuck[bit] = false;
      if ((item.stuckHigh >> bit & 1) != 0) stuck[bit] = true;
    }
    openAddressLines |= item.openAddressLines;
    noChip = noChip || item.noChip;
  }
};

void checkTaken(const SimulatedFaults& faults, const ItemsSay& items) {
  const auto inChip = [](std::int32_t cell) {
    return cell >= 0 && cell < BoardSimulator::kDefaultChipSize;
  };
  std::map<std::int32_t, int> weak;
  for (const auto& cell : faults.weak) {
    require(inChip(cell.address) && cell.times >= 1 && cell.times <= kMostWeakTimes,
            "a weak cell is in the chip and needs 1 to 65535 times");
    require(weak.emplace(cell.address, cell.times).second, "a weak cell is listed once");
  }
  require(weak == items.weak, "each weak cell as the last item that names it says");
  std::map<std::int32_t, bool> dead;
  for (const std::int32_t cell : faults.dead) {
    require(inChip(cell), "a dead cell is in the chip");
    require(dead.emplace(cell, true).second, "a dead cell is listed once");
  }
  require(dead == items.dead, "every dead cell the items name");
  std::map<std::int32_t, std::uint8_t> unstable;
  for (const auto& cell : faults.unstable) {
    require(inChip(cell.address) && cell.mask != 0, "an unstable cell is in the chip, with bits");
    require(unstable.emplace(cell.address, cell.mask).second, "an unstable cell is listed once");
  }
  require(unstable == items.unstable, "each unstable cell as the last item that names it says");
  require((faults.stuckLow & faults.stuckHigh) == 0, "no data line is stuck at 0 and at 1");
  for (unsigned bit = 0; bit < 8; ++bit) {
    const auto said = items.stuck.find(bit);
    const bool low = (faults.stuckLow >> bit & 1) != 0, high = (faults.stuckHigh >> bit & 1) != 0;
    require(said == items.stuck.end() ? !low && !high : high == said->second && low != high,
            "each data line as the last item that names it says");
  }
  require(faults.openAddressLines >> 20 == 0, "open address lines are the chip's A0 to A19");
  require(faults.openAddressLines == items.openAddressLines && faults.noChip == items.noChip,
          "every open address line the items name, and an empty socket if any says so");
  require(faults.seed == items.seed, "the seed the last seed item gives, or the default");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  const std::string list(reinterpret_cast<const char*>(input), size);
  const Expected<SimulatedFaults> faults = parseSimulatedFaults(list);
  const Expected<SimulatedFaults> option = simulatedFaultsOption(list);
  require(
      static_cast<bool>(faults) == static_cast<bool>(option) &&
          (faults ? *faults == *option : option.error() == "--simulate-faults " + faults.error()),
      "the option reads the list as the list is read, and its refusal names the option");

  ItemsSay items;
  for (const std::string_view item : itemsOf(list)) {
    if (item.empty()) {
      require(!faults && faults.error() == "the fault list has an empty item: \"" + list + "\"",
              "an empty item is refused, the list shown");
      return 0;
    }
    const Expected<SimulatedFaults> alone = parseSimulatedFaults(item);
    if (!alone) {
      require(!faults && faults.error() == alone.error(),
              "a list is refused as its first refused item is", list);
      require(alone.error().starts_with(std::string(item) + ": "), "a refusal names the item",
              alone.error());
      return 0;
    }
    if (item.starts_with("seed:")) items.seed = alone->seed;
    items.add(*alone);
  }
  require(static_cast<bool>(faults), "a list of items each taken is taken", list);
  checkTaken(*faults, items);

  for (const bool inHex : {false, true}) {
    const std::string again = printed(*faults, inHex);
    const Expected<SimulatedFaults> reread = parseSimulatedFaults(again);
    require(reread && *reread == *faults, "the faults printed read back the same", again);
  }
  BoardSimulator simulator(BoardSimulator::kDefaultBase, 0x800);
  applySimulatedFaults(*faults, simulator);
  return 0;
}
