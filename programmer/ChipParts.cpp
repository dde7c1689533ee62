#include "ChipParts.h"

#include <algorithm>
#include <string>

#include "AsciiCase.h"

namespace {

using enum ProgrammingAlgorithm;

// What vesk does for the parts whose datasheets give one long pulse a
// location and no read-back between pulses: the board's longest pulse is
// kHighestProgPulse ms.
constexpr const char* kOne50MsPulse =
    "the datasheet gives one 50 ms pulse a location, longer than the board's longest (5 ms); "
    "vesk pulses as default does, reading each byte back, until it reads right";
constexpr const char* kOneLongPulse =
    "the datasheet gives one pulse of 20 or 50 ms (by maker) a location, longer than the board's "
    "longest (5 ms); vesk pulses as default does, reading each byte back, until it reads right";

// The figures and where they come from (maker, part, document):
//   2716     ST (SGS-Thomson) M2716 "NMOS 16K (2K x 8) UV EPROM" (July 1994): programming
//            voltage 25 V, one 50 ms TTL pulse a location, VCC 5 V in every mode.
//   2732     Intel 2732: 25 V on G/VPP and one 50 ms pulse, as users quote its datasheet
//            (no datasheet text was to hand); VCC 5 V as the 2716.
//   2732A    TI TMS2732A (August 1983, revised February 1988): "21-V power supply required
//            for programming"; ST M2732A (July 1994): VPP at most 22 V; VCC 5 V. The pulse
//            is 50 ms on some makers' parts, 20 ms on others'.
//   2764     NTE2764, the NMOS 2764 (21 V): "fast, simple one-pulse programming", 420 s for
//            the chip (50 ms a location), VPP at most 22 V, a single 5 V supply.
//   27128    The NMOS 27128 as the 2764: 21 V, 50 ms (a published table of the 28-pin
//            parts; no maker's datasheet text was to hand).
//   2764A, 27128A, 27256, 27512
//            ST M2764A, M27128A (March 1995), M27256 (SGS-Thomson memory products databook)
//            and M27512: "Fast Programming Algorithm", VPP 12.5 V, VCC 6 V; 1 ms pulses
//            until the byte verifies, at most 25, then one of 3 ms for each pulse it took:
//            vesk's intelligent algorithm.
//   27C64    AMD Am27C64 (as QP Semiconductor's QP27C64 datasheet restates it: 100 us
//            pulses) and Microchip 27C64 (DS11107L: "express" algorithm). ST's M27C64A
//            (March 1998) asks 12.5 V; the others 12.75 V and VCC 6.25 V: taken here.
//   27C128   National NM27C128 (December 1993) and Fairchild NM27C128 (July 1998), whose
//            family programs at VPP 12.75 V, VCC 6.25 V; ST M27C128A takes 12.75 V at
//            VCC 6 V, TI TMS27C128 12 to 13 V with its SNAP! pulses. The first taken.
//   27C256   ST M27C256B: VPP 12.75 V, VCC 6.25 V, 95 to 105 us pulses (PRESTO II); the
//            same for AMD and National. Atmel AT27C256R and Microchip 27C256 ask 13.0 V
//            and VCC 6.5 V with at most 10 pulses of 100 us: ST's taken.
//   27C512   ST M27C512 (PRESTO IIB): VPP 12.75 V, VCC 6.25 V, 100 us pulses until the
//            byte verifies, at most 25, no overprogram pulse. Microchip 27C512A
//            (DS11173E) and Atmel AT27C512R ask 13.0 V and 6.5 V: ST's taken.
//   27C010   ST M27C1001: VPP 12.75 V, VCC 6.25 V, 95 to 105 us pulses; National
//            NM27C010: 12.75 V and 6.25 V in the programming modes.
//   27C020   National's family (NM27C010, NM27C040) and Fairchild NM27C020: 12.75 V and
//            6.25 V. TI TMS27C020 asks 13 V with its SNAP! pulses: the others taken.
// Where makers differ, the figures of the most makers are taken; a chip whose
// own datasheet says otherwise is programmed with --algorithm, --pulse and
// --max-pulses, and the voltages its datasheet gives.
constexpr std::array<ChipPart, 15> kChipParts{{
    {{"2716"}, "2716", Default, 2500, 500, kOne50MsPulse},
    {{"2732"}, "2732", Default, 2500, 500, kOne50MsPulse},
    {{"2732A"}, "2732", Default, 2100, 500, kOneLongPulse},
    {{"2764"}, "2764", Default, 2100, 500, kOne50MsPulse},
    {{"2764A"}, "2764", Intelligent, 1250, 600, nullptr},
    {{"27C64"}, "2764", Quick, 1275, 625, nullptr},
    {{"27128"}, "27128", Default, 2100, 500, kOne50MsPulse},
    {{"27128A"}, "27128", Intelligent, 1250, 600, nullptr},
    {{"27C128"}, "27128", Quick, 1275, 625, nullptr},
    {{"27256"}, "27256", Intelligent, 1250, 600, nullptr},
    {{"27C256"}, "27256", Quick, 1275, 625, nullptr},
    {{"27512"}, "27512", Intelligent, 1250, 600, nullptr},
    {{"27C512"}, "27512", Quick, 1275, 625, nullptr},
    // The megabit parts' second names count their megabits; the third is the catalogue's.
    {{"27C010", "27C1001", "271001"}, "271001", Quick, 1275, 625, nullptr},
    {{"27C020", "27C2001", "272001"}, "272001", Quick, 1275, 625, nullptr},
}};

// The types the catalogue lists but the board cannot take, by their printed names.
struct UnavailableName {
  const char* name;
  const char* type;
};
constexpr std::array<UnavailableName, 6> kUnavailableNames{{{"27C040", "274001"},
                                                            {"27C4001", "274001"},
                                                            {"274001", "274001"},
                                                            {"27C080", "27080"},
                                                            {"27C801", "27080"},
                                                            {"27080", "27080"}}};

// Intel (D, P, N, TD, TP, ID, MD: its packages and grades), AMD, Atmel,
// Catalyst, Hitachi (HN, HN48), Mitsubishi, ST, Fujitsu, Macronix, OKI,
// National and Fairchild, TI (and its military SMJ), Toshiba, NEC, WSI.
// The empty prefix last: a name as the part's own.
constexpr std::array<std::string_view, 25> kMakerPrefixes{
    "AM", "AT", "CAT", "D", "HN",  "HN48", "ID",  "M",   "M5L", "MBM", "MD", "MSM", "MX",
    "N",  "NM", "NMC", "P", "SMJ", "TD",   "TMM", "TMS", "TP",  "UPD", "WS", ""};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// What may follow a part's name: nothing, or a suffix of letters, digits,
// '-' and '/' that does not start with a digit ("27C2564" is no 27C256).
bool isSuffix(std::string_view suffix) {
  if (suffix.empty()) return true;
  if (isDigit(suffix.front())) return false;
  return std::ranges::all_of(
      suffix, [](char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || c == '-' || c == '/'; });
}

// The longest of `names` that `text` (upper case) carries after a maker's
// prefix, with a suffix after it; `names(i)` is the i-th name, empty past the last.
template <class Names>
std::optional<std::size_t> longestNamed(const std::string& text, std::size_t count, Names names) {
  std::optional<std::size_t> best;
  std::size_t bestLength = 0;
  for (const std::string_view prefix : kMakerPrefixes) {
    if (!text.starts_with(prefix)) continue;
    const std::string_view rest = std::string_view(text).substr(prefix.size());
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view name = names(i);
      if (name.empty() || name.size() <= bestLength || !rest.starts_with(name) ||
          !isSuffix(rest.substr(name.size())))
        continue;
      best = i;
      bestLength = name.size();
    }
  }
  return best;
}

const EpromTypeRow* catalogueRowCaptioned(std::string_view caption) {
  for (const EpromTypeRow& row : kEpromCatalogue)
    if (caption == row.caption) return &row;
  return nullptr;
}

}  // namespace

std::span<const ChipPart> chipParts() {
  return kChipParts;
}

std::span<const std::string_view> makerPrefixes() {
  return std::span(kMakerPrefixes).first(kMakerPrefixes.size() - 1);  // without the empty one
}

const EpromTypeRow& catalogueRowOf(const ChipPart& part) {
  return *catalogueRowCaptioned(part.type);
}

std::optional<PartName> partNamed(std::string_view text) {
  constexpr std::size_t kNames = std::tuple_size_v<decltype(ChipPart::names)>;
  const std::optional<std::size_t> found =
      longestNamed(asciiUpper(text), kChipParts.size() * kNames, [](std::size_t i) {
        const char* name = kChipParts[i / kNames].names[i % kNames];
        return std::string_view(name == nullptr ? "" : name);
      });
  if (!found) return std::nullopt;
  const ChipPart& part = kChipParts[*found / kNames];
  return PartName{&part, part.names[*found % kNames]};
}

const EpromTypeRow* unavailableTypeNamed(std::string_view text) {
  const std::optional<std::size_t> found =
      longestNamed(asciiUpper(text), kUnavailableNames.size(),
                   [](std::size_t i) { return std::string_view(kUnavailableNames[i].name); });
  return found ? catalogueRowCaptioned(kUnavailableNames[*found].type) : nullptr;
}
