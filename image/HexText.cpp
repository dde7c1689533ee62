#include "HexText.h"

#include "HexDigits.h"

std::string Byte_To_Hex_String(std::uint8_t value) {
  return {kHexDigitPairs[value][0], kHexDigitPairs[value][1]};
}
