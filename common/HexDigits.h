#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

// Upper-case hexadecimal, the only kind any of the programs writes.

// The two digits of every byte value, looked up rather than computed: the
// Intel HEX writer puts 32 of them in every record.
inline constexpr std::array<std::array<char, 2>, 256> kHexDigitPairs = [] {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::array<char, 2>, 256> pairs{};
  for (unsigned v = 0; v < 256; ++v) pairs[v] = {kDigits[v >> 4], kDigits[v & 0xF]};
  return pairs;
}();

// Writes the byte's two digits at `out` and returns the position after them.
inline char* putHexByte(char* out, std::uint8_t value) {
  std::memcpy(out, kHexDigitPairs[value].data(), 2);
  return out + 2;
}

// Without leading zeros: 0 -> "0", 4095 -> "FFF".
std::string hexWithoutLeadingZeros(std::uint32_t value);
