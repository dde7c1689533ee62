#include "RepeatedImage.h"

#include <bit>
#include <string>

#include "Counted.h"

Expected<RepeatedImage> repeatToFill(const LoadedImage& file, std::size_t chipSize) {
  const std::size_t size = file.bytes.size();
  if (size == 0 || size > chipSize || chipSize % size != 0 || !std::has_single_bit(chipSize / size))
    return Failure{counted(size, "byte does", "bytes do") + " not repeat to fill the chip's " +
                   std::to_string(chipSize) + " bytes: --repeat takes 1/2, 1/4 ... of the chip"};
  RepeatedImage repeated{{{}, {}, file.format}, chipSize / size};
  for (std::size_t copy = 0; copy < repeated.copies; ++copy) {
    repeated.image.bytes.insert(repeated.image.bytes.end(), file.bytes.begin(), file.bytes.end());
    repeated.image.covered.insert(repeated.image.covered.end(), file.covered.begin(),
                                  file.covered.end());
  }
  return repeated;
}
