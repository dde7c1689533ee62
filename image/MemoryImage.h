#pragma once

#include <cstdint>
#include <vector>

// The in-memory copy of one chip. The buffer is indexed by chip location,
// 0 to size - 1. Every re-creation leaves all bytes 00.
class MemoryImage {
 public:
  MemoryImage() = default;
  explicit MemoryImage(std::int32_t size) { recreate(size); }

  // Drops the contents and makes `size` bytes of 00.
  void recreate(std::int32_t size) {
    bytes_.assign(static_cast<std::size_t>(size > 0 ? size : 0), 0);
  }
  // Sets every byte to 00, keeping the size.
  void Fill_All_00();

  std::int32_t size() const { return static_cast<std::int32_t>(bytes_.size()); }

  std::uint8_t& at(std::int32_t location) { return bytes_[static_cast<std::size_t>(location)]; }
  std::uint8_t at(std::int32_t location) const {
    return bytes_[static_cast<std::size_t>(location)];
  }

  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
};
