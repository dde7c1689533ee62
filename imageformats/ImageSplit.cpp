#include "ImageSplit.h"

#include <array>
#include <string>
#include <utility>

#include "Counted.h"

namespace {

Expected<> checkWays(std::size_t ways) {
  if (ways == 2 || ways == 4) return {};
  return Failure{"an image splits into 2 or 4 parts, not " + std::to_string(ways)};
}

void swapEachWord(std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
}

}  // namespace

Expected<std::vector<std::vector<std::uint8_t>>> splitImage(const std::vector<std::uint8_t>& image,
                                                            std::size_t ways, bool swapWords) {
  if (Expected<> checked = checkWays(ways); !checked) return Failure{checked.error()};
  if (image.size() % ways != 0) {
    return Failure{"an image of " + counted(image.size(), "byte", "bytes") +
                   " does not divide into " + std::to_string(ways) + " equal parts"};
  }
  std::vector<std::uint8_t> source = image;
  if (swapWords) swapEachWord(source);
  std::vector<std::vector<std::uint8_t>> parts(ways);
  for (std::size_t k = 0; k < ways; ++k) {
    parts[k].reserve(source.size() / ways);
    for (std::size_t at = k; at < source.size(); at += ways) parts[k].push_back(source[at]);
  }
  return parts;
}

Expected<std::vector<std::uint8_t>> mergeParts(const std::vector<std::vector<std::uint8_t>>& parts,
                                               bool swapWords) {
  if (Expected<> checked = checkWays(parts.size()); !checked) return Failure{checked.error()};
  const std::size_t partSize = parts.front().size();
  // The parts in the order they were given (two or four of them).
  constexpr std::array<const char*, 4> kOrdinals = {"first", "second", "third", "fourth"};
  for (std::size_t k = 1; k < parts.size(); ++k) {
    if (parts[k].size() != partSize) {
      return Failure{std::string("the parts differ in size: the ") + kOrdinals.at(k) + " holds " +
                     counted(parts[k].size(), "byte", "bytes") + ", the first " +
                     counted(partSize, "byte", "bytes")};
    }
  }
  std::vector<std::uint8_t> image(partSize * parts.size());
  for (std::size_t k = 0; k < parts.size(); ++k) {
    for (std::size_t n = 0; n < partSize; ++n) image[n * parts.size() + k] = parts[k][n];
  }
  if (swapWords) swapEachWord(image);
  return image;
}
