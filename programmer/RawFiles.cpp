#include "programmer/RawFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

int WriteFully(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

// The file a symbolic link points to, so that replacing it keeps the link.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // a dangling link is replaced by the file
  std::string target = real;
  std::free(real);
  return target;
}

// Creates a new temporary file beside `target`, mode 0666 less the umask. Its
// name does not grow with the target's, so that any name the folder takes can
// be saved: ".vesk-" and six letters or digits.
int CreateTemporary(const std::filesystem::path& target, std::string& tempPath) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::minstd_rand pick(static_cast<std::minstd_rand::result_type>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".vesk-";
    for (int i = 0; i < 6; ++i) name += kLetters[pick() % (sizeof kLetters - 1)];
    tempPath = (folder / name).string();
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void SyncFolder(const std::filesystem::path& target) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename has happened; only its durability is at stake
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

FileResult FileFailure(int error) {
  return {false, std::strerror(error)};
}

int ReadFully(int fd, std::uint8_t* dest, std::size_t count) {
  while (count > 0) {
    const ssize_t got = ::read(fd, dest, count);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;
    dest += got;
    count -= static_cast<std::size_t>(got);
  }
  return 0;
}

FileResult NotARegularFile() {
  return {false, kNotARegularFile};
}

FileResult ReplaceFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                       int* lockedFd) {
  const std::filesystem::path target = ResolveLink(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return FileFailure(EISDIR);
  // A device, a pipe or a socket is never replaced by a file, even by root.
  if (exists && !S_ISREG(old.st_mode)) return NotARegularFile();
  // The rename needs only the folder's permission: a write-protected file is
  // refused here as writing it in place would be.
  if (exists && ::access(target.c_str(), W_OK) != 0) return FileFailure(errno);

  std::string tempPath;
  const int fd = CreateTemporary(target, tempPath);
  if (fd < 0) return FileFailure(errno);
  if (exists) {
    // Best effort: an ordinary user cannot give a file away, and need not.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
    }
  }
  int error = WriteFully(fd, data, size);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  // Locked before it takes the name: nobody can lock it first.
  const bool keep = lockedFd != nullptr;
  if (error == 0 && keep && ::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno;
  bool open = true;
  if (!keep || error != 0) {
    open = false;
    if (::close(fd) != 0 && error == 0) error = errno;
  }
  if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    if (open) ::close(fd);
    ::unlink(tempPath.c_str());
    return FileFailure(error);
  }
  if (keep) *lockedFd = fd;
  SyncFolder(target);
  return {};
}
