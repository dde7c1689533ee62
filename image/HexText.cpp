#include "image/HexText.h"

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}  // namespace

std::string Byte_To_Hex_String(std::uint8_t value) {
  return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

std::string Hex_String(std::uint32_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kHexDigits[value & 0xFu]);
    value >>= 4;
  } while (value != 0);
  return digits;
}
