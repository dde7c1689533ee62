#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "MemoryImage.h"

// Reads of one chip made several times, each pass a whole image, compared
// location by location. A chip whose charge is fading reads differently from
// pass to pass; a sound one never does.

// A location whose passes did not all read the same.
struct UnstableLocation {
  std::int32_t address;
  std::vector<std::uint8_t> values;  // what each pass read there, in pass order
  std::uint8_t mask;                 // the bits that did not read the same in every pass
  bool operator==(const UnstableLocation&) const = default;
};

// How the passes' bits make the image's where they disagree.
enum class PassVote {
  // Each bit its value in most passes; a tie gives 0, since a cell losing
  // its charge reads 1 at times, so a 0 seen even once is the better guess.
  Majority,
  // Each bit 0 when any pass read it 0: a programmed cell that is losing its
  // charge reads 0 only while it still holds enough of it.
  Zero
};

struct MergedPasses {
  MemoryImage image;                       // the passes' bits as the vote takes them
  std::vector<UnstableLocation> unstable;  // in address order
};

// The passes merged, over the size of the smallest; none gives an empty image.
MergedPasses mergePasses(std::span<const MemoryImage> passes, PassVote vote = PassVote::Majority);

// A location where the chip differs from the file in every pass.
struct PassedDifference {
  std::int32_t address;
  std::uint8_t chip;  // the merged value (as mergePasses gives it)
  std::uint8_t file;
  bool operator==(const PassedDifference&) const = default;
};

struct PassedComparison {
  std::vector<PassedDifference> differences;  // differ in every pass, in address order
  // Differ from the file in some passes only: unstable, not differences.
  std::vector<UnstableLocation> unstable;
};

// The passes against the file's image, over the size of the smallest of them all.
PassedComparison comparePasses(std::span<const MemoryImage> passes, const MemoryImage& file);
