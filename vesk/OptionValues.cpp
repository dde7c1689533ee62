#include "OptionValues.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "AsciiCase.h"
#include "ChipParts.h"
#include "PortSettings.h"
#include "WholeNumbers.h"

namespace {

struct NamedPort {
  const char* name;  // as the user writes it
  const char* shown;
  std::int16_t base;
};
constexpr std::array<NamedPort, 3> kNamedPorts{
    {{"lpt1", "LPT1", kLpt1Base}, {"lpt2", "LPT2", kLpt2Base}, {"lpt3", "LPT3", kLpt3Base}}};

// "1.25" as 1250: milliseconds of at most four digits, then at most three
// decimals, the microseconds; nothing else.
std::optional<long> microsecondsIn(std::string_view text) {
  constexpr std::string_view kDigits = "0123456789";
  const std::size_t point = std::min(text.find('.'), text.size());
  const std::string_view milli = text.substr(0, point);
  const std::string_view decimals = text.substr(std::min(point + 1, text.size()));
  const bool decimalsFit =
      point == text.size() || (!decimals.empty() && decimals.size() <= 3 &&
                               decimals.find_first_not_of(kDigits) == std::string_view::npos);
  if (milli.empty() || milli.size() > 4 ||
      milli.find_first_not_of(kDigits) != std::string_view::npos || !decimalsFit)
    return std::nullopt;
  long micro = static_cast<long>(*digitsValue(milli)) * 1000;
  long scale = 100;
  for (const char digit : decimals) {
    micro += (digit - '0') * scale;
    scale /= 10;
  }
  return micro;
}

// A whole decimal number of an option from `lowest` to `highest`, or refused
// naming the option and what to give.
template <class T>
Expected<T> wholeNumberOption(std::string_view option, std::string_view text, T lowest, T highest) {
  if (const std::optional<T> value = wholeNumberIn(text, lowest, highest)) return *value;
  return Failure{std::string(option) + " " + std::string(text) + ": give a whole number from " +
                 std::to_string(lowest) + " to " + std::to_string(highest)};
}

}  // namespace

Expected<const ChipPart*> chipTypeOption(std::string_view text) {
  if (const std::optional<PartName> named = partNamed(text)) return named->part;
  if (const EpromTypeRow* row = unavailableTypeNamed(text)) {
    const std::string named = asciiLower(text) == row->caption
                                  ? std::string(text)
                                  : std::string(text) + " (the " + row->caption + ")";
    return Failure{"type " + named +
                   " cannot be chosen: it is listed, but not available (greyed out in VeskEprom "
                   "too)"};
  }
  return Failure{"unknown type '" + std::string(text) + "'; the types are " + choosableTypes() +
                 ", also as printed on chips (27C256, 27C010, 2764A, M27C512-10F1): vesk types "
                 "lists them"};
}

std::string choosableTypes() {
  std::string list;
  for (const EpromTypeRow& row : kEpromCatalogue) {
    if (!row.selectable) continue;
    if (!list.empty()) list += ", ";
    list += row.caption;
  }
  return list;
}

std::optional<std::int16_t> parsePort(std::string_view text) {
  const std::string folded = asciiLower(text);
  for (const NamedPort& port : kNamedPorts)
    if (folded == port.name) return port.base;
  if (folded.ends_with('h') || folded.starts_with("0x"))
    return wholeNumberIn(folded, kLowestLptBase, kHighestLptBase,
                         {.hexAfter0x = true, .hexBeforeH = true});
  return parseLptBase(text);
}

Expected<std::int16_t> portOption(std::string_view text) {
  const std::string_view digits = withoutBlanks(text);
  const std::optional<std::uint64_t> decimal = digitsValue(digits);
  for (const NamedPort& port : kNamedPorts) {
    if (!decimal || digitsValue(digits, 16) != static_cast<std::uint64_t>(port.base)) continue;
    return Failure{"--port " + std::string(text) + " is ambiguous: write " +
                   baseAddressHex(port.base) + " (or " + port.name + ") for " + port.shown +
                   ", or " + baseAddressHex(static_cast<std::int16_t>(*decimal)) + " for decimal " +
                   std::string(digits)};
  }
  if (const std::optional<std::int16_t> base = parsePort(text)) return *base;
  return Failure{"--port " + std::string(text) + ": give the base address as " + portForms() +
                 " or lpt1 to lpt3, from " + lptBaseRangeText()};
}

std::string portForms() {
  const std::string hex = baseAddressHex(kLpt1Base);
  return hex + ", 0x" + hex.substr(0, hex.size() - 1) + ", " + std::to_string(kLpt1Base) +
         " (decimal)";
}

Expected<std::int32_t> ioDelayOption(std::string_view text) {
  return wholeNumberOption("--io-delay", text, 0, kHighestIoDelay);
}

Expected<std::chrono::microseconds> pulseOption(std::string_view text) {
  if (const std::optional<long> micro = microsecondsIn(text)) {
    const std::chrono::microseconds length(*micro);
    if (length.count() == 0 || (length >= kShortestPulse && length <= kLongestPulse)) return length;
  }
  return Failure{"--pulse " + std::string(text) +
                 ": give the milliseconds from 0.05 to 5, at most three decimals, or 0"};
}

Expected<ProgrammingAlgorithm> algorithmOption(std::string_view text) {
  if (const std::optional<ProgrammingAlgorithm> algorithm = algorithmNamed(text)) return *algorithm;
  return Failure{"--algorithm " + std::string(text) + ": give default, intelligent or quick"};
}

Expected<int> maxPulsesOption(std::string_view text) {
  return wholeNumberOption("--max-pulses", text, 1, kMostPulses);
}

Expected<std::chrono::microseconds> latencyOption(std::string_view text) {
  const Expected<std::int32_t> latency = wholeNumberOption(
      "--simulate-latency", text, std::int32_t{0}, std::numeric_limits<std::int32_t>::max());
  if (!latency) return Failure{latency.error()};
  return std::chrono::microseconds(*latency);
}

Expected<int> passesOption(std::string_view text) {
  return wholeNumberOption("--passes", text, 1, kMostPasses);
}

Expected<PassVote> voteOption(std::string_view text) {
  const std::string folded = asciiLower(text);
  if (folded == "majority") return PassVote::Majority;
  if (folded == "zero") return PassVote::Zero;
  return Failure{"--vote " + std::string(text) + ": give majority or zero"};
}
