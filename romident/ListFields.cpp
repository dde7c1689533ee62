#include "ListFields.h"

#include <cstdint>

namespace {

// The value of each byte as a hex digit, 0xFF for a byte that is none: a
// list of 300,000 ROMs has 15 million digits to read.
constexpr std::array<std::uint8_t, 256> kHexValues = [] {
  std::array<std::uint8_t, 256> values{};
  values.fill(0xFF);
  for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<std::uint8_t>(digit);
  for (int digit = 0; digit < 6; ++digit) {
    values['a' + digit] = static_cast<std::uint8_t>(10 + digit);
    values['A' + digit] = static_cast<std::uint8_t>(10 + digit);
  }
  return values;
}();

int hexValue(char c) {
  const std::uint8_t value = kHexValues[static_cast<unsigned char>(c)];
  return value == 0xFF ? -1 : value;
}

bool parseDigits(std::string_view text, unsigned base, std::uint64_t& value) {
  if (text.empty()) return false;
  std::uint64_t result = 0;
  for (const char c : text) {
    const int digit = hexValue(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    if (result > (~std::uint64_t{0} - static_cast<unsigned>(digit)) / base) return false;
    result = result * base + static_cast<unsigned>(digit);
  }
  value = result;
  return true;
}

}  // namespace

bool parseHexNumber(std::string_view text, std::uint64_t& value) {
  return parseDigits(text, 16, value);
}

bool parseListNumber(std::string_view text, std::uint64_t& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return parseDigits(text.substr(2), 16, value);
  return parseDigits(text, 10, value);
}

bool parseCrc32(std::string_view text, std::uint32_t& crc32) {
  std::uint64_t value = 0;
  if (text.size() > 8 || !parseDigits(text, 16, value)) return false;
  crc32 = static_cast<std::uint32_t>(value);
  return true;
}

bool parseSha1(std::string_view text, std::array<std::uint8_t, 20>& sha1) {
  if (text.size() != 40) return false;
  // A byte that is no digit has its top bit set: one test at the end.
  std::uint8_t notDigits = 0;
  for (std::size_t i = 0; i < 20; ++i) {
    const std::uint8_t high = kHexValues[static_cast<unsigned char>(text[2 * i])];
    const std::uint8_t low = kHexValues[static_cast<unsigned char>(text[2 * i + 1])];
    notDigits |= static_cast<std::uint8_t>(high | low);
    sha1[i] = static_cast<std::uint8_t>(high << 4 | (low & 0xF));
  }
  return (notDigits & 0x80) == 0;
}
