#pragma once

#include <cstdint>
#include <string>

// Exactly two upper-case hex digits: 0 -> "00", 10 -> "0A", 255 -> "FF".
std::string Byte_To_Hex_String(std::uint8_t value);
