#include "ImageIdentity.h"

#include "CheckSum.h"

ImageIdentity identifyImage(const MemoryImage& image) {
  const std::span<const std::uint8_t> bytes(image.data(), static_cast<std::size_t>(image.size()));
  ImageIdentity identity{
      .size = bytes.size(), .hashes = hashBytes(bytes), .findings = checkImage(bytes)};
  if (bytes.size() <= kLargestSummedSize) {
    identity.checkSum = Calc_CheckSum(image, image.size());
    identity.checkSumText = checkSumText(*identity.checkSum);
  }
  return identity;
}
