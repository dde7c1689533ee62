#include "ReadPasses.h"

#include <algorithm>

namespace {

std::int32_t commonSize(std::span<const MemoryImage> passes) {
  if (passes.empty()) return 0;
  return std::ranges::min(passes, {}, &MemoryImage::size).size();
}

std::vector<std::uint8_t> valuesAt(std::span<const MemoryImage> passes, std::int32_t address) {
  std::vector<std::uint8_t> values;
  values.reserve(passes.size());
  for (const MemoryImage& pass : passes) values.push_back(pass.at(address));
  return values;
}

// The bits set in every one of `values`: a 0 in any pass is a 0.
std::uint8_t allOnes(const std::vector<std::uint8_t>& values) {
  std::uint8_t all = 0xFF;
  for (const std::uint8_t v : values) all &= v;
  return all;
}

// The bits that differ between any two of `values`.
std::uint8_t varyingBits(const std::vector<std::uint8_t>& values) {
  std::uint8_t any = 0;
  for (const std::uint8_t v : values) any |= v;
  return static_cast<std::uint8_t>(allOnes(values) ^ any);
}

// Each bit set in more than half of `values`.
std::uint8_t majority(const std::vector<std::uint8_t>& values) {
  std::uint8_t merged = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const auto ones = std::ranges::count_if(values, [&](std::uint8_t v) { return (v >> bit) & 1; });
    if (2 * static_cast<std::size_t>(ones) > values.size())
      merged = static_cast<std::uint8_t>(merged | (1u << bit));
  }
  return merged;
}

bool allAgree(std::span<const MemoryImage> passes, std::int32_t address) {
  const std::uint8_t first = passes.front().at(address);
  return std::ranges::all_of(passes.subspan(1),
                             [&](const MemoryImage& pass) { return pass.at(address) == first; });
}

}  // namespace

MergedPasses mergePasses(std::span<const MemoryImage> passes, PassVote vote) {
  const std::int32_t size = commonSize(passes);
  MergedPasses merged{MemoryImage(size), {}};
  for (std::int32_t address = 0; address < size; ++address) {
    if (allAgree(passes, address)) {
      merged.image.at(address) = passes.front().at(address);
      continue;
    }
    std::vector<std::uint8_t> values = valuesAt(passes, address);
    merged.image.at(address) = vote == PassVote::Zero ? allOnes(values) : majority(values);
    const std::uint8_t mask = varyingBits(values);
    merged.unstable.push_back({address, std::move(values), mask});
  }
  return merged;
}

PassedComparison comparePasses(std::span<const MemoryImage> passes, const MemoryImage& file) {
  const std::int32_t size = std::min(commonSize(passes), file.size());
  PassedComparison comparison;
  for (std::int32_t address = 0; address < size; ++address) {
    const std::uint8_t wanted = file.at(address);
    const auto differing = std::ranges::count_if(
        passes, [&](const MemoryImage& pass) { return pass.at(address) != wanted; });
    if (differing == 0) continue;
    std::vector<std::uint8_t> values = valuesAt(passes, address);
    if (static_cast<std::size_t>(differing) == passes.size()) {
      comparison.differences.push_back({address, majority(values), wanted});
    } else {
      const std::uint8_t mask = varyingBits(values);
      comparison.unstable.push_back({address, std::move(values), mask});
    }
  }
  return comparison;
}
