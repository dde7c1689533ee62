#include "PortSettings.h"

#include <charconv>

#include "HexDigits.h"

std::optional<std::int16_t> parseLptBase(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < kLowestLptBase || value > kHighestLptBase) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::string baseAddressHex(std::int16_t base) {
  // A negative base, which the settings never hold, shows its 16 bits.
  return hexWithoutLeadingZeros(static_cast<std::uint16_t>(base)) + "h";
}

std::string baseAddressText(std::int16_t base) {
  return std::to_string(base) + " (" + baseAddressHex(base) + ")";
}

std::string lptBaseRangeText() {
  return std::to_string(kLowestLptBase) + " to " + std::to_string(kHighestLptBase);
}
