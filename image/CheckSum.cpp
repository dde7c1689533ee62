#include "CheckSum.h"

#include <algorithm>

#include "HexDigits.h"

std::uint32_t Calc_CheckSum(const MemoryImage& image, std::int32_t epromSize) {
  // An image shorter than EpromSize is summed over what it has, never past its end.
  const std::int32_t count = std::min(epromSize, image.size());
  if (count <= 0) return 0;
  const std::uint8_t* bytes = image.data();
  std::uint32_t sum = 0;
  for (std::int32_t location = 0; location < count; ++location) sum += bytes[location];
  return sum;
}

std::string checkSumText(std::uint32_t sum) {
  return "CheckSum = " + hexWithoutLeadingZeros(sum);
}
