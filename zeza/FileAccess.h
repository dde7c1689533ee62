#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "ByteStreams.h"
#include "FileDescriptor.h"
#include "Messages.h"

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

// What a conversion does between its files: reads the input from `source`
// and writes the output to the descriptor `output`; false when a read or a
// write failed.
using Conversion = std::function<bool(FileSource& source, int output)>;

// Converts the file `inputPath` of `size` bytes into a new file, created
// under the first free one of `outputTarget`, outputTarget1, ... Returns 1
// when `convert` did its work and the output closed, 0 otherwise: a file that
// cannot be opened or created gives no message, a failed conversion or close
// "Error Reading File <inputPath>"; what was written until then stays on disk.
int runConversion(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
                  ConverterMessages& messages, const Conversion& convert);
