#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ByteStreams.h"
#include "FileDescriptor.h"

// Opens an existing regular file for reading. Folders, devices and pipes
// count as files that cannot be opened: zeza converts files only, and must
// not hang on a pipe that nobody writes.
[[nodiscard]] FileDescriptor openInput(const std::string& path);

// Creates the first free one of target, target1, target2, ... as a new file
// (O_EXCL: an existing file is never opened, let alone replaced). A name that
// appears between the check and the create is passed over for the next one.
// `chosen` receives the name created.
[[nodiscard]] FileDescriptor createNewOutput(const std::string& target,
                                             std::string* chosen = nullptr);

// Asks the file system for room for the `length` bytes from `offset` on at
// once, without changing the file's size: writing into room set aside costs
// the system less than finding it page by page. Where the system cannot, or
// the disk is too full, the writes find their room as usual.
void reserveRoom(int fd, std::uint64_t offset, std::uint64_t length);

// Gives back the room reserved beyond what was written, after a failure.
void releaseUnusedRoom(int fd);

// The input file read front to back, never further than the `size` it had
// when it was found (bytes added since are not converted). A file that turns
// out shorter, already at the start or while it is read, is a failed read,
// never an early end: a conversion that went on would pass off part of a
// file as the whole.
class FileSource : public ByteSource {
 public:
  FileSource(int fd, std::uint64_t size);
  // Exactly min(size, what is left) bytes, or a failure.
  [[nodiscard]] Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override;

 private:
  int fd_;
  std::uint64_t left_;
  bool shortAtStart_;
};
