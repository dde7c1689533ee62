#include "FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    [[maybe_unused]] const int ignored = close();
    fd_ = other.release();
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  [[maybe_unused]] const int ignored = close();
}

int FileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

int FileDescriptor::close() {
  if (fd_ < 0) return 0;
  return ::close(release()) == 0 ? 0 : errno;
}

int writeAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    if (put == 0) return EIO;
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}

int readUpTo(int fd, void* dest, std::size_t count, std::size_t* got) {
  auto* bytes = static_cast<std::uint8_t*>(dest);
  std::size_t done = 0;
  int error = 0;
  while (done < count) {
    const ssize_t read = ::read(fd, bytes + done, count - done);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) {
      error = errno;
      break;
    }
    if (read == 0) break;
    done += static_cast<std::size_t>(read);
  }
  if (got != nullptr) *got = done;
  return error;
}
