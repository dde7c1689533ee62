#include "FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "FileNames.h"
#include "MessageTexts.h"

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

void reserveRoom(int fd, std::uint64_t offset, std::uint64_t length) {
  if (length > 0) {
    [[maybe_unused]] const int ignored = ::fallocate(
        fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset), static_cast<off_t>(length));
  }
}

void releaseUnusedRoom(int fd) {
  // Cutting a file to its own size frees the blocks past its end.
  struct stat info;
  if (::fstat(fd, &info) == 0) {
    [[maybe_unused]] const int ignored = ::ftruncate(fd, info.st_size);
  }
}

FileSource::FileSource(int fd, std::uint64_t size) : fd_(fd), left_(size) {
  // Checked before anything is converted, so that a file that lost its end
  // since it was found leaves an empty output, as a failed read does.
  struct stat info;
  shortAtStart_ = ::fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) < size;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

Expected<std::size_t> FileSource::read(std::uint8_t* into, std::size_t size) {
  if (shortAtStart_) return Failure{"the file is shorter than when it was found"};
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
  std::size_t got = 0;
  if (const std::error_code error = readUpTo(fd_, into, wanted, &got)) return systemFailure(error);
  if (got != wanted) return Failure{"the file is shorter than when it was found"};
  left_ -= got;
  return got;
}

int runConversion(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
                  ConverterMessages& messages, const Conversion& convert) {
  FileDescriptor input = openInput(inputPath);
  if (!input) return 0;
  FileDescriptor output = createNewOutput(outputTarget);
  if (!output) return 0;
  FileSource source(input.get(), size);
  // A write that fails late (a full disk on a network file system) shows up at the close.
  if (!convert(source, output.get()) || output.close()) {
    messages.ShowMessage(errorReadingFile(inputPath));
    return 0;
  }
  return 1;
}
