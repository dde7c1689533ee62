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

std::string cannotKeep(const std::string& path, const std::string& why) {
  return "The simulated chip cannot be kept in " + path + ": " + why + ".";
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
// which also proves there is room for it. An empty descriptor with `why`, or
// with `taken` set when another program created it first.
FileDescriptor createBlank(const std::string& path, std::size_t size, std::string& why,
                           bool& taken) {
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  taken = !file && errno == EEXIST;
  if (!file) {
    why = std::strerror(errno);
    return {};
  }
  // Locked first by the other program, it is that one's file.
  taken = ::flock(file.get(), LOCK_EX | LOCK_NB) != 0;
  if (taken) return {};
  const std::vector<std::uint8_t> blank(size, kBlank);
  int error = writeAll(file.get(), blank.data(), blank.size());
  if (error == 0 && ::fsync(file.get()) != 0) error = errno;
  if (error != 0) {
    ::unlink(path.c_str());
    why = std::strerror(error);
    return {};
  }
  return file;
}

}  // namespace

std::string chipNotSavedText(const std::string& path, const std::string& reason) {
  return "The simulated chip cannot be saved to " + path + "\r" + reason;
}

std::unique_ptr<ChipFile> ChipFile::open(const std::string& path, std::vector<std::uint8_t>& chip,
                                         std::string& whyNot) {
  if (const std::string problem = folderProblem(path); !problem.empty()) {
    whyNot = cannotKeep(path, problem);
    return nullptr;
  }
  // A file replaced by another program between our open and our lock is
  // opened again: the lock must be on the file that bears the name.
  for (int attempt = 0; attempt < 10; ++attempt) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file && errno == ENOENT) {
      std::string why;
      bool taken = false;
      FileDescriptor created = createBlank(path, chip.size(), why, taken);
      if (taken) continue;  // somebody else's now: look at it again
      if (!created) {
        whyNot = cannotKeep(path, why);
        return nullptr;
      }
      std::fill(chip.begin(), chip.end(), kBlank);
      return std::unique_ptr<ChipFile>(new ChipFile(path, chip, std::move(created)));
    }
    if (!file) {
      whyNot = cannotKeep(path, std::strerror(errno));
      return nullptr;
    }
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
    if (!problem.empty()) {
      whyNot = cannotKeep(path, problem);
      return nullptr;
    }
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      whyNot = "The simulated chip in " + path +
               " is in use by another VeskEprom or vesk: only one program at a time may "
               "use a chip file.";
      return nullptr;
    }
    if (!sameFile(file.get(), path)) continue;
    std::vector<std::uint8_t> loaded(chip.size(), kBlank);
    if (const int error = readUpTo(file.get(), loaded.data(), static_cast<std::size_t>(st.st_size));
        error != 0) {
      whyNot =
          "The simulated chip cannot be loaded from " + path + ": " + std::strerror(error) + ".";
      return nullptr;
    }
    chip = std::move(loaded);
    return std::unique_ptr<ChipFile>(new ChipFile(path, chip, std::move(file)));
  }
  whyNot = cannotKeep(path, "another program keeps replacing it");
  return nullptr;
}

ChipFile::ChipFile(std::string path, const std::vector<std::uint8_t>& chip, FileDescriptor lock)
    : path_(std::move(path)), chip_(chip), lock_(std::move(lock)) {}

FileResult ChipFile::save() {
  // The new file takes the name already locked; the old one goes with its lock.
  return replaceFile(path_, chip_.data(), chip_.size(), &lock_);
}

bool ChipFile::writeBack(Messages& messages) {
  const FileResult result = save();
  if (!result)
    messages.show(kChipFileTitle, chipNotSavedText(path_, result.reason), MessageIcon::Critical);
  return result.ok;
}
