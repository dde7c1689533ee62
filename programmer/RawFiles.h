#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "programmer/ImageFiles.h"

// Small POSIX helpers shared by the image files and the simulator's chip file.

// A failed FileResult with the system's text for `error` (an errno value).
FileResult FileFailure(int error);

// Image files, chip files and save targets are regular files or missing names:
// anything else (a pipe, a device, a socket) is refused with this reason.
inline constexpr const char* kNotARegularFile = "Not a regular file";
FileResult NotARegularFile();

// Reads up to `count` bytes from `fd` into `dest`, retrying short reads.
// Returns 0, or the errno of a failed read. An early end of file is not an error.
int ReadFully(int fd, std::uint8_t* dest, std::size_t count);

// Makes the file at `path` hold exactly `size` bytes of `data`. They are
// written to a temporary file in the same folder, flushed to disk and renamed
// over the target, so a failure at any step leaves the old file as it was.
// A file the user may not write is refused, and so is a target that is not a
// regular file. The old file's permissions (and owner, where allowed) carry
// over; a symbolic link stays a link to the replaced file.
// With `lockedFd`, the new file is locked (flock) before it takes the name
// and stays open: *lockedFd is its descriptor, the caller's to close.
FileResult ReplaceFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                       int* lockedFd = nullptr);
