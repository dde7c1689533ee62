#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// A whole input file in memory, released when it goes out of scope.
class InputBuffer {
 public:
  InputBuffer() = default;
  InputBuffer(InputBuffer&& other) noexcept;
  InputBuffer& operator=(InputBuffer&& other) noexcept;
  ~InputBuffer();

  const std::uint8_t* data() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  friend InputBuffer readWhole(int fd, std::uint64_t size);
  void* mapping_ = nullptr;
  std::size_t mapped_ = 0;
  std::uint8_t* data_ = nullptr;  // the first large-page boundary in the mapping
};

// Exactly `size` bytes read from the start of `fd` into a buffer of that
// size; empty when the read fails, falls short, or the memory is not there.
[[nodiscard]] InputBuffer readWhole(int fd, std::uint64_t size);
