#include "PortSettings.h"

#include "HexDigits.h"
#include "WholeNumbers.h"

std::optional<std::int16_t> parseLptBase(std::string_view text) {
  return wholeNumberIn(text, kLowestLptBase, kHighestLptBase, {.blanksAround = true});
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
