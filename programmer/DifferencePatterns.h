#pragma once
// The patterns a chip's differences from a file show (DifferencePattern in
// ChipComparison.h), found so that no two contradict: a pattern is named
// only where it alone explains every difference.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ChipComparison.h"

// The chip read and the file's image over the shorter of the two, and which
// of their locations were compared (empty: all).
class ComparedSides {
 public:
  ComparedSides(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                const std::vector<bool>& compared)
      : chip_(chip), file_(file), compared_(compared), size_(std::min(chip.size(), file.size())) {}

  std::size_t size() const { return size_; }
  std::uint8_t chip(std::size_t at) const { return chip_[at]; }
  std::uint8_t file(std::size_t at) const { return file_[at]; }
  bool counts(std::size_t at) const {
    return at < size_ && (compared_.empty() || (at < compared_.size() && compared_[at]));
  }
  // Whether the chip reads FFh at every location, compared or not.
  bool chipBlank() const;

 private:
  std::span<const std::uint8_t> chip_, file_;
  const std::vector<bool>& compared_;
  std::size_t size_;
};

// The patterns of the `differing` locations (in address order), as
// ChipComparison::patterns lists them.
std::vector<DifferencePattern> differencePatterns(const ComparedSides& sides,
                                                  std::span<const std::int32_t> differing);
