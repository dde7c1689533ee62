#include "InfoInput.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "FileDescriptor.h"
#include "RawFiles.h"

Expected<MemoryImage> loadInfoImage(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file) return systemFailure(errno);
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return systemFailure(errno);
  if (S_ISDIR(st.st_mode)) return systemFailure(EISDIR);
  if (!S_ISREG(st.st_mode)) return notARegularFile();
  if (st.st_size > kLargestInfoFile)
    return Failure{"The file is longer than " + std::to_string(kLargestInfoFile) + " bytes"};
  MemoryImage image(static_cast<std::int32_t>(st.st_size));
  std::size_t got = 0;
  if (const std::error_code error =
          readUpTo(file.get(), image.data(), static_cast<std::size_t>(image.size()), &got))
    return systemFailure(error);
  // Never part of a file passed off as the whole.
  if (got != static_cast<std::size_t>(image.size()))
    return Failure{"The file became shorter while it was read"};
  return image;
}
