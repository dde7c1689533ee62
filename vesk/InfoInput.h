#pragma once
// The image in a file that `vesk info` identifies.
#include <string>

#include "Expected.h"
#include "MemoryImage.h"

// The image files info takes at most: far more than any chip's.
inline constexpr std::int32_t kLargestInfoFile = 64 * 1024 * 1024;

// The whole file at `path` as a raw binary image, whatever its size up to
// kLargestInfoFile; a regular file only (a pipe, a device or a folder is
// refused, and nothing waits on a pipe). Why not, in the system's words.
Expected<MemoryImage> loadInfoImage(const std::string& path);
