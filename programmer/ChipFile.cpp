#include "ChipFile.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "RawFiles.h"

namespace {

constexpr std::uint8_t kBlank = 0xFF;

Failure cannotKeep(const std::string& path, const std::string& why) {
  return {"The simulated chip cannot be kept in " + path + ": " + why + "."};
}

// The folder the file lives in (a link's target's), where the safe
// replacement creates its temporary file and renames it.
std::string folderProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path target = fs::path(path);
  if (fs::is_symlink(target, error)) target = fs::weakly_canonical(target, error);
  const fs::path folder = target.parent_path().empty() ? "." : target.parent_path();
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0)
    return errno == ENOENT ? "the folder " + folder.string() + " does not exist"
                           : "the folder " + folder.string() + " cannot be reached (" +
                                 std::strerror(errno) + ")";
  if (!S_ISDIR(st.st_mode)) return folder.string() + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + folder.string() + " cannot be written (" + std::strerror(errno) + ")";
  return {};
}

bool sameFile(int fd, const std::string& path) {
  struct stat byFd {
  }, byName{};
  return ::fstat(fd, &byFd) == 0 && ::stat(path.c_str(), &byName) == 0 &&
         byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

// What keeps an existing file from holding the chip; empty when nothing does.
std::string fileProblem(const std::string& path, std::uint64_t fileSize, std::size_t chipSize) {
  // Cutting it would lose the rest of the file at the next write-back.
  if (fileSize > chipSize)
    return "the file is bigger than the simulated chip (" + std::to_string(chipSize) + " bytes)";
  if (::access(path.c_str(), W_OK) != 0)
    return std::string("the file cannot be written (") + std::strerror(errno) + ")";
  return {};
}

// A missing file: created as the blank chip and locked under its name, which
// also proves there is room for it. The descriptor is empty when another
// program created the file first, or locked it first: it is that one's file.
Expected<FileDescriptor> createBlank(const std::string& path, std::vector<std::uint8_t>& chip) {
  const std::vector<std::uint8_t> blank(chip.size(), kBlank);
  FileDescriptor locked;
  const std::error_code error = createNewFile(path, blank.data(), blank.size(), &locked);
  if (error == std::errc::file_exists || error == std::errc::operation_would_block)
    return FileDescriptor();
  if (error) return cannotKeep(path, error.message());
  std::ranges::fill(chip, kBlank);
  return locked;
}

// The existing file, checked, locked and loaded into `chip`: its bytes at the
// start, FFh after them. The descriptor is empty when another program
// replaced the file between our open and our lock.
Expected<FileDescriptor> lockAndLoad(const std::string& path, RegularFile file,
                                     std::vector<std::uint8_t>& chip) {
  if (const std::string problem = fileProblem(path, file.size, chip.size()); !problem.empty())
    return cannotKeep(path, problem);
  if (::flock(file.descriptor.get(), LOCK_EX | LOCK_NB) != 0) {
    return Failure{"The simulated chip in " + path +
                   " is in use by another VeskEprom or vesk: only one program at a time may "
                   "use a chip file."};
  }
  if (!sameFile(file.descriptor.get(), path)) return FileDescriptor();
  std::vector<std::uint8_t> loaded(chip.size(), kBlank);
  if (const std::error_code error =
          readUpTo(file.descriptor.get(), loaded.data(), static_cast<std::size_t>(file.size))) {
    return Failure{"The simulated chip cannot be loaded from " + path + ": " + error.message() +
                   "."};
  }
  chip = std::move(loaded);
  return std::move(file.descriptor);
}

// The file that bears the name, locked and loaded, or created blank; an
// empty descriptor when another program came between.
Expected<FileDescriptor> takeFile(const std::string& path, std::vector<std::uint8_t>& chip) {
  RegularFile file;
  const std::error_code error = openRegularFile(path, file);
  if (error == std::errc::no_such_file_or_directory) return createBlank(path, chip);
  if (error == std::errc::is_a_directory || error == notARegularFileError())
    return cannotKeep(path, "it is not a regular file");
  if (error) return cannotKeep(path, error.message());
  return lockAndLoad(path, std::move(file), chip);
}

}  // namespace

Message chipNotSavedMessage(const std::string& path, const std::string& reason) {
  return {MessageKind::Error,
          MessageIcon::Critical,
          "Simulated Chip",
          {"The simulated chip cannot be saved to " + path, reason}};
}

Expected<std::unique_ptr<ChipFile>> ChipFile::open(const std::string& path,
                                                   std::vector<std::uint8_t>& chip) {
  if (const std::string problem = folderProblem(path); !problem.empty())
    return cannotKeep(path, problem);
  // A file created or replaced by another program while we look at it is
  // looked at again: the lock must be on the file that bears the name.
  for (int attempt = 0; attempt < 10; ++attempt) {
    Expected<FileDescriptor> taken = takeFile(path, chip);
    if (!taken) return Failure{taken.error()};
    if (*taken) return std::unique_ptr<ChipFile>(new ChipFile(path, chip, std::move(*taken)));
  }
  return cannotKeep(path, "another program keeps replacing it");
}

ChipFile::ChipFile(std::string path, const std::vector<std::uint8_t>& chip, FileDescriptor lock)
    : path_(std::move(path)), chip_(chip), lock_(std::move(lock)) {}

Expected<> ChipFile::save() {
  // The new file takes the name already locked; the old one goes with its lock.
  return replaceFile(path_, chip_.data(), chip_.size(), &lock_);
}
