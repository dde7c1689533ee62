#include "MemoryImage.h"

#include <algorithm>

void MemoryImage::Fill_All_00() {
  std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0});
}
