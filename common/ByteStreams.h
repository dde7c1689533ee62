#pragma once

#include <cstddef>
#include <cstdint>

#include "Expected.h"

// Where the converter's input comes from, block by block: the input file in
// zeza, memory in tests and in the fuzzer.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes of what follows, placed at `into`: at least one while
  // the input lasts, 0 once it has ended; a failure when it cannot be read.
  [[nodiscard]] virtual Expected<std::size_t> read(std::uint8_t* into, std::size_t size) = 0;
};

// Where the converter's output goes: the output file in zeza, memory in
// tests and in the fuzzer.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be stored; the conversion then stops.
  [[nodiscard]] virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};
