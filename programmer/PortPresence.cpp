#include "PortPresence.h"

#include "BoardControl.h"
#include "HexDigits.h"

namespace {

constexpr std::uint8_t kPatterns[] = {0x55, 0xAA};  // every line once low, once high
constexpr std::uint8_t kLatchLeft = 0xFF;

// "017Ah": four digits, as port addresses are written.
std::string fourDigitHex(std::int16_t base) {
  std::string digits = hexWithoutLeadingZeros(static_cast<std::uint16_t>(base));
  return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + "h";
}

std::string byteHex(std::uint8_t value) {
  return std::string(kHexDigitPairs[value].data(), 2) + "h";
}

}  // namespace

Expected<> checkPortAnswers(PortIo& port, std::int16_t base) {
  const auto data = static_cast<std::uint16_t>(base);
  const auto control = static_cast<std::uint16_t>(base + 2);
  const std::string where = "No parallel port answers at " + fourDigitHex(base);
  try {
    port.out(data, kLatchLeft);
    port.out(control, control_value::kOff);
    for (const std::uint8_t pattern : kPatterns) {
      port.out(data, pattern);
      if (const std::uint8_t back = port.in(data); back != pattern) {
        port.out(data, kLatchLeft);
        return Failure{where + ": " + byteHex(pattern) +
                       " written to its data register read back as " + byteHex(back) + "."};
      }
    }
    port.out(data, kLatchLeft);
  } catch (const PortFailure& failure) {
    return Failure{where + ": " + failure.what() + "."};
  }
  return {};
}
