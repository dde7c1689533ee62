#include "HexRows.h"

#include "HexDigits.h"
#include "HexText.h"

std::string Address_To_Hex_String(std::int32_t address) {
  const char* zeros = "";
  if (address >= 0 && address <= 15) {
    zeros = "0000";
  } else if (address >= 16 && address <= 255) {
    zeros = "000";
  } else if (address >= 256 && address <= 4095) {
    zeros = "00";
  } else if (address >= 4096 && address <= 65535) {
    zeros = "0";
  }
  // Negative values never occur as row addresses; they print as their 32-bit
  // two's complement, as a hex conversion of a signed integer does.
  std::string text(zeros);
  text += hexWithoutLeadingZeros(static_cast<std::uint32_t>(address));
  return text;
}

std::string addressEntry(std::int32_t row) {
  std::string entry(1, ' ');
  entry += Address_To_Hex_String(row * kBytesPerRow);
  return entry;
}

std::string dataEntry(const std::uint8_t* rowBytes) {
  std::string entry;
  entry.reserve(kDataEntryLength);
  for (int j = 0; j < kBytesPerRow; ++j) {
    entry += ' ';
    entry += Byte_To_Hex_String(rowBytes[j]);
  }
  return entry;
}

std::string asciEntry(const std::uint8_t* rowBytes) {
  std::string entry(2, ' ');
  entry.append(reinterpret_cast<const char*>(rowBytes), kBytesPerRow);
  return entry;
}
