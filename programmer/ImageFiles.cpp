#include "ImageFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "FileDescriptor.h"
#include "RawFiles.h"

Expected<> Load_Image_File(const std::string& path, std::int32_t size, MemoryImage& image,
                           Messages& messages, MissingImageFile missing) {
  // Read-only: a write-protected image loads like any other. Non-blocking: a
  // pipe or a device must not hang the program before it is refused below.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file && errno == ENOENT && missing == MissingImageFile::CreateEmpty) {
    // A name that does not exist yet is created empty and loads as an empty file.
    file = FileDescriptor(::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  }
  if (!file) return systemFailure(errno);
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return systemFailure(errno);
  if (S_ISDIR(st.st_mode)) return systemFailure(EISDIR);
  if (!S_ISREG(st.st_mode)) return notARegularFile();

  image.recreate(size);
  const off_t length = st.st_size;
  if (length == 0) {
    messages.show("Warning!", " You've Selected an Empty File", MessageIcon::Exclamation);
    return {};
  }
  if (length < size)
    messages.show("Warning!", " File is Smaller than Eprom Size", MessageIcon::Exclamation);
  else if (length > size)
    messages.show("Warning! ", " File is Bigger than Eprom Size,will be Cutted! ",
                  MessageIcon::Exclamation);
  const auto count = static_cast<std::size_t>(std::min<off_t>(length, image.size()));
  if (const std::error_code error = readUpTo(file.get(), image.data(), count))
    return systemFailure(error);
  return {};
}

Expected<> Save_Image_File(const std::string& path, const MemoryImage& image) {
  return replaceFile(path, image.data(), static_cast<std::size_t>(image.size()));
}
