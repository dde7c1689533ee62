#pragma once

#include <cstdint>
#include <string>

// Exactly two upper-case hex digits: 0 -> "00", 10 -> "0A", 255 -> "FF".
std::string Byte_To_Hex_String(std::uint8_t value);

// Upper-case hex without leading zeros: 0 -> "0", 4095 -> "FFF".
std::string hexString(std::uint32_t value);
