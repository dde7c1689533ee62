#pragma once

#include <cstdint>
#include <string>

#include "image/MemoryImage.h"
#include "programmer/UserInterfaces.h"

// The outcome of a file operation: ok, or the system's reason (strerror text).
struct FileResult {
  bool ok = true;
  std::string reason;
  explicit operator bool() const { return ok; }
};

// Re-creates `image` with `size` bytes and fills it from the raw binary file
// at `path`, with the empty / smaller / bigger warnings. An existing file is
// opened read-only; a missing name is created empty.
FileResult Load_Image_File(const std::string& path, std::int32_t size, MemoryImage& image,
                           Messages& messages);

// Writes every byte of `image` to `path`, through a temporary file in the same
// folder renamed over the target: on failure the old file stays as it was.
FileResult Save_Image_File(const std::string& path, const MemoryImage& image);
