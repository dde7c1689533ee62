#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "MemoryImage.h"

// The texts of the hex view's rows: one row per 16 bytes, row n describing
// chip locations 16n to 16n + 15. All columns are meant for a fixed-pitch font.

// Label2's caption: 70 characters, the columns' names over the three lists.
inline constexpr std::string_view kHexHeaderText =
    " ADDRESS  00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F        ASCII";

// Rows shown after a view reset: sixteen bytes 00, but dots in the character column.
inline constexpr std::string_view kPlaceholderDataEntry =
    " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
inline constexpr std::string_view kPlaceholderAsciEntry = "  ................";

inline constexpr std::int32_t kBytesPerRow = 16;
inline constexpr int kAddressEntryLength = 6;
inline constexpr int kDataEntryLength = 48;
inline constexpr int kAsciEntryLength = 18;

// Upper-case hex with zeros in front by range, so that every row address of
// every type (0 to FFFF0h) has five digits; larger values get no zeros.
std::string Address_To_Hex_String(std::int32_t address);

// Number of rows for an image of `size` bytes.
constexpr std::int32_t hexRowCount(std::int32_t size) {
  return size / kBytesPerRow;
}

// " 00010" for row 1.
std::string addressEntry(std::int32_t row);

// " 41 42 ... 50": a blank and two digits per byte.
std::string dataEntry(const std::uint8_t* rowBytes);

// Two blanks and the sixteen bytes unchanged, each one character of the
// single-byte character set; no byte is replaced, control characters included.
std::string asciEntry(const std::uint8_t* rowBytes);
