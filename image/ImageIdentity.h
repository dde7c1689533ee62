#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ImageFindings.h"
#include "ImageHashes.h"
#include "MemoryImage.h"

// The largest image whose byte sum 32 bits always hold (16,843,009 bytes;
// the largest chip has 1 MiB).
inline constexpr std::size_t kLargestSummedSize = std::numeric_limits<std::uint32_t>::max() / 255;

// What a dump is and whether it can be trusted: what vesk prints after a
// read and for an image file.
struct ImageIdentity {
  std::size_t size = 0;
  // The window's sum and its label text, "CheckSum = 7F800"; none for an
  // image over kLargestSummedSize bytes.
  std::optional<std::uint32_t> checkSum = {};
  std::string checkSumText = {};
  ImageHashes hashes = {};
  std::vector<Finding> findings = {};
};

// The whole image, whatever its size: a chip's or a file's.
ImageIdentity identifyImage(const MemoryImage& image);
