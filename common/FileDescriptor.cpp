#include "FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "Expected.h"

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    [[maybe_unused]] const std::error_code ignored = close();
    fd_ = other.release();
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  // Where a failed close matters, the owner has called close() itself.
  [[maybe_unused]] const std::error_code ignored = close();
}

int FileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

std::error_code FileDescriptor::close() {
  if (fd_ < 0) return {};
  return ::close(release()) == 0 ? std::error_code() : lastSystemError();
}

std::error_code writeAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return lastSystemError();
    if (put == 0) return std::make_error_code(std::errc::io_error);
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return {};
}

std::error_code readUpTo(int fd, void* dest, std::size_t count, std::size_t* got) {
  auto* bytes = static_cast<std::uint8_t*>(dest);
  std::size_t done = 0;
  std::error_code error;
  while (done < count) {
    const ssize_t read = ::read(fd, bytes + done, count - done);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) {
      error = lastSystemError();
      break;
    }
    if (read == 0) break;
    done += static_cast<std::size_t>(read);
  }
  if (got != nullptr) *got = done;
  return error;
}
