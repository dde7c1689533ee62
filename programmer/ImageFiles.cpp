#include "ImageFiles.h"

#include <algorithm>

#include "FileDescriptor.h"
#include "RawFiles.h"

namespace {

Message sizeWarning(const char* title, const char* text) {
  return {MessageKind::Warning, MessageIcon::Exclamation, title, {text}};
}

}  // namespace

Expected<> Load_Image_File(const std::string& path, std::int32_t size, MemoryImage& image,
                           Messages& messages, MissingImageFile missing) {
  RegularFile file;
  std::error_code error = openRegularFile(path, file);
  // A name that does not exist yet is created empty and loads as an empty file.
  if (error == std::errc::no_such_file_or_directory && missing == MissingImageFile::CreateEmpty)
    error = createNewFile(path, nullptr, 0);
  if (error) return systemFailure(error);

  image.recreate(size);
  if (file.size == 0) {
    messages.show(sizeWarning("Warning!", " You've Selected an Empty File"));
    return {};
  }
  if (const std::optional<Message> warning =
          fileSizeWarning(file.size, static_cast<std::uint64_t>(size)))
    messages.show(*warning);
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(file.size, image.size()));
  if (const std::error_code failed = readUpTo(file.descriptor.get(), image.data(), count))
    return systemFailure(failed);
  return {};
}

std::optional<Message> fileSizeWarning(std::uint64_t fileSize, std::uint64_t chipSize) {
  if (fileSize < chipSize) return sizeWarning("Warning!", " File is Smaller than Eprom Size");
  if (fileSize > chipSize)
    return sizeWarning("Warning! ", " File is Bigger than Eprom Size,will be Cutted! ");
  return std::nullopt;
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
