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
  const auto warn = [&messages](const char* title, const char* text) {
    messages.show({MessageKind::Warning, MessageIcon::Exclamation, title, {text}});
  };
  if (length == 0) {
    warn("Warning!", " You've Selected an Empty File");
    return {};
  }
  if (length < size)
    warn("Warning!", " File is Smaller than Eprom Size");
  else if (length > size)
    warn("Warning! ", " File is Bigger than Eprom Size,will be Cutted! ");
  const auto count = static_cast<std::size_t>(std::min<off_t>(length, image.size()));
  if (const std::error_code error = readUpTo(file.get(), image.data(), count))
    return systemFailure(error);
  return {};
}

Message openFailedMessage(const std::string& path, const std::string& reason) {
  return {
      MessageKind::Error, MessageIcon::Critical, "Open", {"Cannot read the file " + path, reason}};
}

Message saveFailedMessage(const std::string& path, const std::string& reason) {
  return {MessageKind::Error,
          MessageIcon::Critical,
          "Save As",
          {"Cannot write the file " + path, reason}};
}

Expected<> Save_Image_File(const std::string& path, const MemoryImage& image) {
  return replaceFile(path, image.data(), static_cast<std::size_t>(image.size()));
}
