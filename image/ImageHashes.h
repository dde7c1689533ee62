#pragma once

#include <cstdint>
#include <span>
#include <string>

// CRC32 and SHA-1 of some bytes, in lower-case hex as MAME's ROM lists and
// ROM databases print them: "1a2b3c4d", and 40 digits.
struct ImageHashes {
  std::string crc32 = {};
  std::string sha1 = {};
  bool operator==(const ImageHashes&) const = default;
};

ImageHashes hashBytes(std::span<const std::uint8_t> bytes);
