#include "converter/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "converter/FileNames.h"

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  Close();
}

int FileDescriptor::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool FileDescriptor::Close() {
  if (fd_ < 0) return true;
  const int fd = Release();
  return ::close(fd) == 0;
}

FileDescriptor OpenInput(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return file;
}

FileDescriptor CreateNewOutput(const std::string& target, std::string* chosen) {
  for (std::uint64_t counter = 0;; ++counter) {
    std::string name = MakeUniqueName(target, counter);
    FileDescriptor file(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file) {
      if (chosen) *chosen = std::move(name);
      return file;
    }
    if (errno != EEXIST) return {};
  }
}

std::unique_ptr<std::uint8_t[]> ReadWhole(int fd, std::uint64_t size) {
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
  if (!buffer) return nullptr;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  // One read as far as the system allows; it hands out at most about 2 GiB at a time.
  std::uint64_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer.get() + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return nullptr;
    done += static_cast<std::uint64_t>(got);
  }
  return buffer;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}
