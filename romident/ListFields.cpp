#include "ListFields.h"

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
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
  for (std::size_t i = 0; i < 20; ++i) {
    const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    sha1[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}
