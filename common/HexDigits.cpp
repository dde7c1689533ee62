#include "HexDigits.h"

std::string hexWithoutLeadingZeros(std::uint32_t value) {
  char digits[8];
  char* first = digits + sizeof digits;
  do {
    *--first = "0123456789ABCDEF"[value & 0xFu];
    value >>= 4;
  } while (value != 0);
  return {first, digits + sizeof digits};
}
