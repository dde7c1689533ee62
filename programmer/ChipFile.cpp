#include "ChipFile.h"

#include <fcntl.h>
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

// A missing file: created empty and locked under its name (O_EXCL: of two
// programs starting at once only one creates it), then given the blank chip,
// which also proves there is room for it. The descriptor is empty when
// another program created the file first.
Expected<FileDescriptor> createBlank(const std::string& path, std::size_t size) {
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file && errno == EEXIST) return FileDescriptor();
  if (!file) return systemFailure(errno);
  // Locked first by the other program, it is that one's file.
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) return FileDescriptor();
  const std::vector<std::uint8_t> blank(size, kBlank);
  std::error_code error = writeAll(file.get(), blank.data(), blank.size());
  if (!error && ::fsync(file.get()) != 0) error = lastSystemError();
  if (error) {
    ::unlink(path.c_str());
    return systemFailure(error);
  }
  return file;
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
  // A file replaced by another program between our open and our lock is
  // opened again: the lock must be on the file that bears the name.
  for (int attempt = 0; attempt < 10; ++attempt) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file && errno == ENOENT) {
      Expected<FileDescriptor> created = createBlank(path, chip.size());
      if (!created) return cannotKeep(path, created.error());
      if (!*created) continue;  // somebody else's now: look at it again
      std::fill(chip.begin(), chip.end(), kBlank);
      return std::unique_ptr<ChipFile>(new ChipFile(path, chip, std::move(*created)));
    }
    if (!file) return cannotKeep(path, std::strerror(errno));
    struct stat st {};
    std::string problem;
    if (::fstat(file.get(), &st) != 0)
      problem = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
      problem = "it is not a regular file";
    else if (static_cast<std::uint64_t>(st.st_size) > chip.size())
      // Cutting it would lose the rest of the file at the next write-back.
      problem =
          "the file is bigger than the simulated chip (" + std::to_string(chip.size()) + " bytes)";
    else if (::access(path.c_str(), W_OK) != 0)
      problem = std::string("the file cannot be written (") + std::strerror(errno) + ")";
    if (!problem.empty()) return cannotKeep(path, problem);
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      return Failure{"The simulated chip in " + path +
                     " is in use by another VeskEprom or vesk: only one program at a time may "
                     "use a chip file."};
    }
    if (!sameFile(file.get(), path)) continue;
    std::vector<std::uint8_t> loaded(chip.size(), kBlank);
    if (const std::error_code error =
            readUpTo(file.get(), loaded.data(), static_cast<std::size_t>(st.st_size))) {
      return Failure{"The simulated chip cannot be loaded from " + path + ": " + error.message() +
                     "."};
    }
    chip = std::move(loaded);
    return std::unique_ptr<ChipFile>(new ChipFile(path, chip, std::move(file)));
  }
  return cannotKeep(path, "another program keeps replacing it");
}

ChipFile::ChipFile(std::string path, const std::vector<std::uint8_t>& chip, FileDescriptor lock)
    : path_(std::move(path)), chip_(chip), lock_(std::move(lock)) {}

Expected<> ChipFile::save() {
  // The new file takes the name already locked; the old one goes with its lock.
  return replaceFile(path_, chip_.data(), chip_.size(), &lock_);
}
