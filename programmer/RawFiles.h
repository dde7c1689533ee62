#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Expected.h"
#include "FileDescriptor.h"

// Image files, chip files and save targets are regular files or missing names:
// anything else (a pipe, a device, a socket) is refused with this reason.
inline constexpr const char* kNotARegularFile = "Not a regular file";
inline Failure notARegularFile() {
  return {kNotARegularFile};
}

// Makes the file at `path` hold exactly `size` bytes of `data`. They are
// written to a temporary file in the same folder, flushed to disk and renamed
// over the target, so a failure at any step leaves the old file as it was.
// A file the user may not write is refused, and so is a target that is not a
// regular file. The old file's permissions (and owner, where allowed) carry
// over; a symbolic link stays a link to the replaced file.
// With `locked`, the new file is locked (flock) before it takes the name and
// stays open in *locked.
Expected<> replaceFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                       FileDescriptor* locked = nullptr);
