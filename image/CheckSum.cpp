#include "CheckSum.h"

#include <algorithm>

#include "HexText.h"

std::uint32_t Calc_CheckSum(const MemoryImage& image, std::int32_t EpromSize) {
  // An image shorter than EpromSize is summed over what it has, never past its end.
  const std::int32_t count = std::min(EpromSize, image.Size());
  if (count <= 0) return 0;
  const std::uint8_t* bytes = image.Data();
  std::uint32_t sum = 0;
  for (std::int32_t location = 0; location < count; ++location) sum += bytes[location];
  return sum;
}

std::string CheckSum_Text(std::uint32_t sum) {
  return "CheckSum = " + Hex_String(sum);
}
