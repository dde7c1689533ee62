#pragma once
// Memory for the readers to read: the source hands out its text at most
// `piece` bytes per read, as a file might, and fails every read after
// `failAt` bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ByteStreams.h"

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size, std::size_t piece = SIZE_MAX,
               std::size_t failAt = SIZE_MAX)
      : data_(data), left_(size), piece_(piece), failAt_(failAt) {}

  Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override {
    if (failAt_ == 0) return Failure{"Input/output error"};
    const std::size_t count = std::min({size, left_, piece_, failAt_});
    if (count > 0) std::memcpy(into, data_, count);
    data_ += count;
    left_ -= count;
    failAt_ -= count;
    return count;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_, piece_, failAt_;
};
