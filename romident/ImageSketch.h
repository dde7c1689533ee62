#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A reference image's sketch: its bytes at kSketchSamples places spread over
// it, the same places for every image of one size. The share of places
// where a dump and an image differ estimates the share of their bytes that
// differ, so the nearest images are found among thousands without reading
// any of them; only the few that come closest are compared byte by byte. A
// few rotten bits change a few places at most, wherever they lie.
inline constexpr std::size_t kSketchSamples = 256;

// How many places an image of `size` bytes has: all of its bytes when it
// has fewer.
inline std::size_t sketchLength(std::uint64_t size) {
  return size < kSketchSamples ? static_cast<std::size_t>(size) : kSketchSamples;
}

// The places, in increasing order: one in each of kSketchSamples equal
// stretches, at a spot that looks random but is fixed.
std::vector<std::uint64_t> sketchPlaces(std::uint64_t size);

// The bytes of `image` at its places.
std::vector<std::uint8_t> sketchOf(std::span<const std::uint8_t> image);

// Builds the sketch of an image read block by block: its size is known
// before its first byte.
class SketchBuilder {
 public:
  explicit SketchBuilder(std::uint64_t size);
  void add(std::span<const std::uint8_t> block);
  const std::vector<std::uint8_t>& sketch() const { return sketch_; }

 private:
  std::vector<std::uint64_t> places_;
  std::vector<std::uint8_t> sketch_;
  std::uint64_t at_ = 0;
};
