#include "FileAccess.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "FileNames.h"

FileDescriptor openInput(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return file;
}

FileDescriptor createNewOutput(const std::string& target, std::string* chosen) {
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

InputBuffer::InputBuffer(InputBuffer&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      mapped_(std::exchange(other.mapped_, 0)),
      data_(std::exchange(other.data_, nullptr)) {}

InputBuffer& InputBuffer::operator=(InputBuffer&& other) noexcept {
  std::swap(mapping_, other.mapping_);
  std::swap(mapped_, other.mapped_);
  std::swap(data_, other.data_);
  return *this;
}

InputBuffer::~InputBuffer() {
  if (mapping_ != nullptr) ::munmap(mapping_, mapped_);
}

InputBuffer readWhole(int fd, std::uint64_t size) {
  // Memory of our own rather than the file mapped: a file cut short by
  // someone else then gives a short read, not a crash. Large pages spare
  // the system a fault per 4 KiB, most of the cost of a plain read here;
  // the tail that does not fill one stays in small pages, so that no more
  // than the file's size is ever touched.
  constexpr std::size_t kLargePage = 2 * 1024 * 1024;
  InputBuffer buffer;
  const std::size_t length = static_cast<std::size_t>(size) + kLargePage;
  void* memory =
      ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return buffer;
  buffer.mapping_ = memory;
  buffer.mapped_ = length;
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  buffer.data_ = reinterpret_cast<std::uint8_t*>((address + kLargePage - 1) & ~(kLargePage - 1));
  const std::size_t wholePages = static_cast<std::size_t>(size) / kLargePage * kLargePage;
  if (wholePages > 0) ::madvise(buffer.data_, wholePages, MADV_HUGEPAGE);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

  std::size_t got = 0;
  if (readUpTo(fd, buffer.data_, static_cast<std::size_t>(size), &got) || got != size) return {};
  return buffer;
}
