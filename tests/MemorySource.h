#pragma once
// Text from memory for the converter's readers, at most `piece` bytes per
// read, as a file might hand it out.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "ByteStreams.h"

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size,
               std::size_t piece = std::numeric_limits<std::size_t>::max())
      : data_(data), left_(size), piece_(piece) {}

  Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override {
    const std::size_t count = std::min({size, left_, piece_});
    if (count > 0) std::memcpy(into, data_, count);
    data_ += count;
    left_ -= count;
    return count;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_;
  std::size_t piece_;
};
