#include "ImageSources.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "FileDescriptor.h"
#include "ImageSketch.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kZipMagic[] = {'P', 'K', 3, 4};
constexpr std::uint8_t kEmptyZipMagic[] = {'P', 'K', 5, 6};
constexpr std::uint8_t kSevenZipMagic[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), bytes.data(), bytes.size()));
}

// Records one image, as a ROM of `set` and as an image to compare with.
void addImage(RomCatalogue& catalogue, std::uint32_t set, std::string_view container,
              std::string_view member, std::string_view name, std::span<const std::uint8_t> bytes) {
  ImageRecord image;
  image.container = catalogue.addText(container);
  image.member = catalogue.addText(member);
  image.set = set;
  image.name = catalogue.addText(name);
  image.size = bytes.size();
  RomRecord rom;
  rom.crc32 = crc32Of(bytes);
  rom.size = bytes.size();
  rom.set = set;
  rom.name = image.name;
  rom.image = catalogue.addImage(image, sketchOf(bytes));
  catalogue.addRom(rom);
  catalogue.countListed();
}

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

ArchivePtr newArchiveReader() {
  ArchivePtr reader(archive_read_new(), &archive_read_free);
  archive_read_support_format_zip(reader.get());
  archive_read_support_format_7zip(reader.get());
  return reader;
}

Failure archiveFailure(archive* reader, std::string_view what) {
  const char* why = archive_error_string(reader);
  return Failure{std::string(what) + (why != nullptr ? why : "cannot be read as an archive")};
}

using MemberFilter = std::function<bool(std::string_view)>;
using MemberUse = std::function<bool(std::string_view, std::vector<std::uint8_t>&)>;

// Reads an opened archive's regular members that `wanted` takes one by one
// into `bytes` and hands each to `each` with its name; `each` returns false
// to stop. The others are stepped over unread.
Expected<> forEachMember(archive* reader, const MemberFilter& wanted, const MemberUse& each,
                         std::string_view what) {
  std::vector<std::uint8_t> bytes;
  for (;;) {
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(reader, &entry);
    if (status == ARCHIVE_EOF) return {};
    if (status < ARCHIVE_WARN) return archiveFailure(reader, what);
    const char* name = archive_entry_pathname(entry);
    // A member without a name could be no ROM's, and read again would be
    // taken for the archive itself.
    if (archive_entry_filetype(entry) != AE_IFREG || name == nullptr || *name == '\0' ||
        !wanted(name))
      continue;
    if (archive_entry_size_is_set(entry) != 0 &&
        static_cast<std::uint64_t>(archive_entry_size(entry)) > kLargestImage)
      continue;
    bytes.clear();
    std::uint8_t block[1 << 16];
    bool tooBig = false;
    for (;;) {
      const la_ssize_t got = archive_read_data(reader, block, sizeof block);
      if (got < 0) return archiveFailure(reader, std::string(what) + name + ": ");
      if (got == 0) break;
      bytes.insert(bytes.end(), block, block + got);
      if (bytes.size() > kLargestImage) {
        tooBig = true;
        break;
      }
    }
    if (!tooBig && !bytes.empty() && !each(name, bytes)) return {};
  }
}

std::string stem(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? fileName
                                                               : fileName.substr(0, dot));
}

// One archive, read from the opened reader, into the catalogue.
Expected<> addArchive(RomCatalogue& catalogue, archive* reader, std::string_view setName,
                      std::string_view container, std::string_view what) {
  const std::uint32_t set = catalogue.addSet(setName);
  return forEachMember(
      reader, [](std::string_view) { return true; },
      [&](std::string_view name, std::vector<std::uint8_t>& bytes) {
        addImage(catalogue, set, container, name, name, bytes);
        return true;
      },
      what);
}

Expected<std::vector<std::uint8_t>> readWholeFile(int fd, std::uint64_t size) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (const std::error_code error = readUpTo(fd, bytes.data(), bytes.size(), &got))
    return systemFailure(error);
  bytes.resize(got);
  return bytes;
}

// Opens a regular file for reading, never blocking on anything else.
Expected<FileDescriptor> openRegular(const std::string& path, struct stat& st) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return systemFailure(errno);
  if (::fstat(fd.get(), &st) != 0) return systemFailure(errno);
  if (!S_ISREG(st.st_mode)) return Failure{"not a regular file"};
  return fd;
}

}  // namespace

bool looksLikeArchive(std::span<const std::uint8_t> head) {
  return startsWith(head, kZipMagic) || startsWith(head, kEmptyZipMagic) ||
         startsWith(head, kSevenZipMagic);
}

Expected<RomCatalogue> readArchiveBytes(std::span<const std::uint8_t> bytes, std::string_view set) {
  if (!looksLikeArchive(bytes)) return Failure{"not a zip or 7z archive"};
  ArchivePtr reader = newArchiveReader();
  if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK)
    return archiveFailure(reader.get(), "");
  RomCatalogue catalogue;
  if (Expected<> added = addArchive(catalogue, reader.get(), set, "", ""); !added)
    return Failure{added.error()};
  catalogue.finish();
  return catalogue;
}

Expected<RomCatalogue> readArchiveFile(const std::string& path) {
  ArchivePtr reader = newArchiveReader();
  if (archive_read_open_filename(reader.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
    return archiveFailure(reader.get(), "");
  RomCatalogue catalogue;
  const std::string set = stem(fs::path(path).filename().string());
  if (Expected<> added = addArchive(catalogue, reader.get(), set, "", ""); !added)
    return Failure{added.error()};
  catalogue.finish();
  return catalogue;
}

std::vector<FolderFile> listFolder(const std::string& root) {
  std::vector<FolderFile> files;
  std::error_code error;
  fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    struct stat st {};
    // stat, not lstat: a link to a file counts as that file.
    if (::stat(walk->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    files.push_back({walk->path().lexically_relative(root).generic_string(),
                     static_cast<std::uint64_t>(st.st_size),
                     std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec});
  }
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.path < b.path; });
  return files;
}

Expected<RomCatalogue> readImageFolder(const std::string& root,
                                       const std::vector<FolderFile>& files) {
  RomCatalogue catalogue;
  const std::string rootName = fs::path(root).lexically_normal().filename().string();
  std::map<std::string, std::uint32_t> folderSets;  // the set of each folder's loose images
  for (const FolderFile& file : files) {
    if (file.size == 0 || file.size > kLargestImage) continue;
    const std::string path = (fs::path(root) / file.path).string();
    struct stat st {};
    Expected<FileDescriptor> fd = openRegular(path, st);
    if (!fd) return Failure{file.path + ": " + fd.error()};
    std::uint8_t head[8] = {};
    std::size_t got = 0;
    if (const std::error_code error = readUpTo(fd->get(), head, sizeof head, &got))
      return Failure{file.path + ": " + error.message()};
    if (looksLikeArchive({head, got})) {
      ArchivePtr reader = newArchiveReader();
      if (::lseek(fd->get(), 0, SEEK_SET) != 0 ||
          archive_read_open_fd(reader.get(), fd->get(), 1 << 16) != ARCHIVE_OK)
        return archiveFailure(reader.get(), file.path + ": ");
      const std::string set = stem(fs::path(file.path).filename().string());
      if (Expected<> added = addArchive(catalogue, reader.get(), set, file.path, file.path + ": ");
          !added)
        return Failure{added.error()};
      continue;
    }
    // A loose image: its set is the folder that holds it.
    const fs::path relative(file.path);
    const std::string folder = relative.parent_path().generic_string();
    const auto [known, isNew] = folderSets.try_emplace(folder, 0);
    if (isNew) known->second = catalogue.addSet(folder.empty() ? rootName : folder);
    const std::uint32_t folderSet = known->second;
    if (::lseek(fd->get(), 0, SEEK_SET) != 0)
      return Failure{file.path + ": " + std::strerror(errno)};
    Expected<std::vector<std::uint8_t>> bytes = readWholeFile(fd->get(), file.size);
    if (!bytes) return Failure{file.path + ": " + bytes.error()};
    if (!bytes->empty())
      addImage(catalogue, folderSet, file.path, "", relative.filename().string(), *bytes);
  }
  catalogue.finish();
  return catalogue;
}

Expected<std::vector<std::uint8_t>> readImageAgain(const std::string& sourcePath, bool isFolder,
                                                   const RomCatalogue& catalogue,
                                                   const ImageRecord& image) {
  const std::string container(catalogue.text(image.container));
  const std::string member(catalogue.text(image.member));
  const std::string path = isFolder ? (fs::path(sourcePath) / container).string() : sourcePath;
  std::vector<std::uint8_t> found;
  bool wasFound = false;
  if (member.empty()) {
    struct stat st {};
    Expected<FileDescriptor> fd = openRegular(path, st);
    if (!fd) return Failure{fd.error()};
    Expected<std::vector<std::uint8_t>> bytes =
        readWholeFile(fd->get(), static_cast<std::uint64_t>(st.st_size));
    if (!bytes) return bytes;
    found = std::move(*bytes), wasFound = true;
  } else {
    // The member of the image's name whose bytes are the image's (its size
    // and sketch): an archive may hold two members of one name. Those before
    // it are stepped over unread, where the archive says where they end;
    // where that does not find it (a zip without its directory, read as a
    // stream, whose headers say wrong sizes), they are read through, as the
    // first reading read them.
    const std::span<const std::uint8_t> sketch = catalogue.sketchOf(image);
    for (const bool readEvery : {false, true}) {
      ArchivePtr reader = newArchiveReader();
      if (archive_read_open_filename(reader.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
        return archiveFailure(reader.get(), "");
      Expected<> read = forEachMember(
          reader.get(), [&](std::string_view name) { return readEvery || name == member; },
          [&](std::string_view name, std::vector<std::uint8_t>& bytes) {
            if (name != member || bytes.size() != image.size ||
                !std::ranges::equal(sketchOf(bytes), sketch))
              return true;
            found = std::move(bytes), wasFound = true;
            return false;
          },
          "");
      if (wasFound) break;
      if (readEvery && !read) return Failure{read.error()};
    }
  }
  if (!wasFound || found.size() != image.size) return Failure{"the image has changed"};
  return found;
}
