#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The numbers and hashes of ROM lists, checked whole: a value with anything
// else in it is not read as its first digits.

// Hex digits only ("4000", as -listxml writes offsets).
bool parseHexNumber(std::string_view text, std::uint64_t& value);
// "0x4000" in hex, "16384" in decimal.
bool parseListNumber(std::string_view text, std::uint64_t& value);
// One to eight hex digits.
bool parseCrc32(std::string_view text, std::uint32_t& crc32);
// Forty hex digits.
bool parseSha1(std::string_view text, std::array<std::uint8_t, 20>& sha1);
