#pragma once

#include <cstddef>

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
  int release();
  // Closes now: 0, or the errno of a failed close, which for an output can
  // be a write that failed late (a full disk on a network file system).
  [[nodiscard]] int close();

 private:
  int fd_ = -1;
};

// Writes all `size` bytes, going on after short writes and interruptions:
// 0, or the errno of the write that failed.
[[nodiscard]] int writeAll(int fd, const void* data, std::size_t size);

// Reads until `count` bytes are in or the file ends: 0, or the errno of the
// read that failed. `got` (when given) receives the bytes read.
[[nodiscard]] int readUpTo(int fd, void* dest, std::size_t count, std::size_t* got = nullptr);
