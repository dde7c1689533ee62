#include "RawFiles.h"

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

using ByteSpan = std::span<const std::uint8_t>;

// The file a symbolic link points to, so that replacing it keeps the link.
std::string resolveLink(const std::string& path) {
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
int createTemporary(const std::filesystem::path& target, std::string& tempPath) {
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

// Refuses a file that is there but is no regular file, whatever errno held.
class FileKindCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "file kind"; }
  std::string message(int) const override { return kNotARegularFile; }
};

std::error_code lockFile(int fd) {
  return ::flock(fd, LOCK_EX | LOCK_NB) != 0 ? lastSystemError() : std::error_code();
}

// Writes a file just created whole and flushes it to disk; closes it (a
// failed close can be a write that failed late) unless the caller keeps it.
std::error_code fill(FileDescriptor& file, std::span<const ByteSpan> parts, bool keep) {
  for (const ByteSpan part : parts)
    if (const std::error_code error = writeAll(file.get(), part.data(), part.size())) return error;
  if (::fsync(file.get()) != 0) return lastSystemError();
  return keep ? std::error_code() : file.close();
}

// Best effort: an ordinary user cannot give a file away, and need not.
void takeOwnerAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
  }
  if (::fchmod(fd, old.st_mode & 07777) != 0) {
  }
}

void syncFolder(const std::filesystem::path& target) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Without it the rename has happened all the same; only its durability is at stake.
  if (directory) ::fsync(directory.get());
}

}  // namespace

std::error_code notARegularFileError() {
  static const FileKindCategory kCategory;
  return {1, kCategory};
}

std::error_code openRegularFile(const std::string& path, RegularFile& file) {
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!opened) return lastSystemError();
  struct stat st {};
  if (::fstat(opened.get(), &st) != 0) return lastSystemError();
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return notARegularFileError();
  file = {std::move(opened), static_cast<std::uint64_t>(st.st_size)};
  return {};
}

std::error_code createNewFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                              FileDescriptor* locked) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file) return lastSystemError();
  // Locked before anything is written: a program that finds the name first
  // and locks it has it, and the file is its to fill.
  if (locked != nullptr) {
    if (const std::error_code error = lockFile(file.get())) return error;
  }
  const ByteSpan whole(data, size);
  if (const std::error_code error = fill(file, {&whole, 1}, locked != nullptr)) {
    ::unlink(path.c_str());
    return error;
  }
  if (locked != nullptr) *locked = std::move(file);
  return {};
}

Expected<> replaceFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                       FileDescriptor* locked) {
  const ByteSpan whole(data, size);
  return replaceFile(path, {&whole, 1}, locked);
}

Expected<> replaceFile(const std::string& path, std::span<const ByteSpan> parts,
                       FileDescriptor* locked) {
  const std::filesystem::path target = resolveLink(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return systemFailure(EISDIR);
  // A device, a pipe or a socket is never replaced by a file, even by root.
  if (exists && !S_ISREG(old.st_mode)) return notARegularFile();
  // The rename needs only the folder's permission: a write-protected file is
  // refused here as writing it in place would be.
  if (exists && ::access(target.c_str(), W_OK) != 0) return systemFailure(errno);

  std::string tempPath;
  FileDescriptor file(createTemporary(target, tempPath));
  if (!file) return systemFailure(errno);
  if (exists) takeOwnerAndMode(file.get(), old);
  std::error_code error = fill(file, parts, locked != nullptr);
  // Locked before it takes the name: nobody can lock it first.
  if (!error && locked != nullptr) error = lockFile(file.get());
  if (!error && ::rename(tempPath.c_str(), target.c_str()) != 0) error = lastSystemError();
  if (error) {
    ::unlink(tempPath.c_str());
    return systemFailure(error);
  }
  if (locked != nullptr) *locked = std::move(file);
  syncFolder(target);
  return {};
}
