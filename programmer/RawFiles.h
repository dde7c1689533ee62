#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <system_error>

#include "Expected.h"
#include "FileDescriptor.h"

// Image files, chip files and save targets are regular files or missing names:
// anything else (a pipe, a device, a socket) is refused with this reason.
inline constexpr const char* kNotARegularFile = "Not a regular file";
inline Failure notARegularFile() {
  return {kNotARegularFile};
}
// The same refusal as an error code, whose message() is kNotARegularFile.
std::error_code notARegularFileError();

// An existing regular file, open for reading, and its size when opened.
struct RegularFile {
  FileDescriptor descriptor;
  std::uint64_t size = 0;
};

// Opens the existing file at `path` read-only, so that a write-protected file
// opens like any other, and non-blocking, so that a pipe or a device named by
// mistake cannot hang the program before it is refused. The error is the
// system's (ENOENT for a name no file bears, EISDIR for a folder), or
// notARegularFileError() for anything else that is no regular file.
[[nodiscard]] std::error_code openRegularFile(const std::string& path, RegularFile& file);

// Creates `path` as a new file (O_EXCL: a file that is there already is
// refused with EEXIST and left alone) that holds `size` bytes of `data`,
// flushed to disk; a failure after the create removes it again. With
// `locked`, the file is locked (flock) as soon as it is created, before it is
// written, and stays open in *locked; a lock that another program took first
// fails with EWOULDBLOCK and leaves the file to that program.
[[nodiscard]] std::error_code createNewFile(const std::string& path, const std::uint8_t* data,
                                            std::size_t size, FileDescriptor* locked = nullptr);

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
// The same for bytes that lie in several parts, written one after another
// (no copy of them all in one place).
Expected<> replaceFile(const std::string& path,
                       std::span<const std::span<const std::uint8_t>> parts,
                       FileDescriptor* locked = nullptr);
