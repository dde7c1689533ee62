#include "ImageSketch.h"

namespace {

// SplitMix64's finaliser: a fixed spot in each stretch, the same on every run.
std::uint64_t mix(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EB;
  return value ^ (value >> 31);
}

}  // namespace

std::vector<std::uint64_t> sketchPlaces(std::uint64_t size) {
  const std::size_t count = sketchLength(size);
  std::vector<std::uint64_t> places(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t begin = size * i / count;
    const std::uint64_t end = size * (i + 1) / count;
    places[i] = begin + mix(i) % (end - begin);
  }
  return places;
}

std::vector<std::uint8_t> sketchOf(std::span<const std::uint8_t> image) {
  SketchBuilder builder(image.size());
  builder.add(image);
  return builder.sketch();
}

SketchBuilder::SketchBuilder(std::uint64_t size) : places_(sketchPlaces(size)) {
  sketch_.reserve(places_.size());
}

void SketchBuilder::add(std::span<const std::uint8_t> block) {
  const std::uint64_t end = at_ + block.size();
  while (sketch_.size() < places_.size() && places_[sketch_.size()] < end)
    sketch_.push_back(block[places_[sketch_.size()] - at_]);
  at_ = end;
}
