#pragma once

#include <cstddef>
#include <system_error>

// An open file descriptor, closed when it goes out of scope.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  ~FileDescriptor();

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Hands the descriptor over; this object no longer closes it.
  [[nodiscard]] int release();
  // Closes now. A failed close, for an output, can be a write that failed
  // late (a full disk on a network file system).
  [[nodiscard]] std::error_code close();

 private:
  int fd_ = -1;
};

// Writes all `size` bytes, going on after short writes and interruptions;
// the error is the failed write's.
[[nodiscard]] std::error_code writeAll(int fd, const void* data, std::size_t size);

// Reads until `count` bytes are in or the file ends; the error is the failed
// read's. `got` (when given) receives the bytes read.
[[nodiscard]] std::error_code readUpTo(int fd, void* dest, std::size_t count,
                                       std::size_t* got = nullptr);
