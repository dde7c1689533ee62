#include "SourceIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <limits>
#include <span>

#include "FileDescriptor.h"
#include "ImageHashes.h"
#include "RawFiles.h"

namespace {

constexpr std::array<char, 8> kMagic = {'V', 'E', 'S', 'K', 'R', 'O', 'M', 'X'};
// Changes with any change of the records or of what a source's reading keeps.
constexpr std::uint32_t kVersion = 1;

// At the start of the file; the parts follow in this order: the ROMs, the
// sets, the images (each at a multiple of 8 bytes, so that the records are
// read where the file is mapped), the source's path, the texts, the
// sketches.
struct IndexHeader {
  std::array<char, 8> magic{};
  std::uint32_t version = 0;
  std::uint32_t kind = 0;
  std::array<char, 40> key{};
  std::uint32_t checksum = 0;  // CRC32 of the whole file, this field taken as 0
  std::uint32_t reserved = 0;
  std::uint64_t listed = 0;  // the ROMs the source lists
  std::uint64_t pathBytes = 0, roms = 0, sets = 0, images = 0, textBytes = 0, sketchBytes = 0;
};
static_assert(std::is_trivially_copyable_v<IndexHeader> && sizeof(IndexHeader) == 120);
static_assert(sizeof(IndexHeader) % alignof(RomRecord) == 0 &&
              sizeof(RomRecord) % alignof(SetRecord) == 0 &&
              sizeof(SetRecord) % alignof(ImageRecord) == 0);

// zlib takes a null pointer (an empty vector's) as asking for the initial value.
std::uint32_t crcUpdate(std::uint32_t crc, const void* data, std::size_t size) {
  if (size == 0) return crc;
  return static_cast<std::uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
}

// a * b + sum, or false when it overflows.
bool addProduct(std::uint64_t& sum, std::uint64_t count, std::uint64_t size) {
  if (count > std::numeric_limits<std::uint64_t>::max() / size) return false;
  const std::uint64_t bytes = count * size;
  if (sum > std::numeric_limits<std::uint64_t>::max() - bytes) return false;
  sum += bytes;
  return true;
}

IndexRead stale() {
  IndexRead read;
  read.found = IndexFound::Stale;
  return read;
}

IndexRead damaged(const char* why) {
  IndexRead read;
  read.found = IndexFound::Damaged;
  read.damage = why;
  return read;
}

// An index file mapped into memory, read where it lies.
class Mapping {
 public:
  Mapping(void* address, std::size_t size) : address_(address), size_(size) {}
  ~Mapping() { ::munmap(address_, size_); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  const std::uint8_t* bytes() const { return static_cast<const std::uint8_t*>(address_); }

 private:
  void* address_;
  std::size_t size_;
};

// `count` records of type T from `at` on, and `at` moved past them.
template <class T>
std::span<const T> partAt(const std::uint8_t* base, std::uint64_t& at, std::uint64_t count) {
  const auto* first = reinterpret_cast<const T*>(base + at);
  at += count * sizeof(T);
  return {first, static_cast<std::size_t>(count)};
}

// Whether the header's counts fill the file exactly and say what an index
// can hold.
bool sizesAddUp(const IndexHeader& header, std::uint64_t fileSize) {
  std::uint64_t expected = sizeof header;
  return addProduct(expected, header.roms, sizeof(RomRecord)) &&
         addProduct(expected, header.sets, sizeof(SetRecord)) &&
         addProduct(expected, header.images, sizeof(ImageRecord)) &&
         addProduct(expected, header.pathBytes, 1) && addProduct(expected, header.textBytes, 1) &&
         addProduct(expected, header.sketchBytes, 1) && expected == fileSize &&
         header.kind <= static_cast<std::uint32_t>(SourceKind::ImageFolder) &&
         header.listed >= header.roms;  // a source lists every ROM it can match
}

// The CRC32 of the whole mapped file, its checksum field taken as 0.
std::uint32_t checksumOf(const IndexHeader& header, const std::uint8_t* base,
                         std::uint64_t fileSize) {
  IndexHeader zeroed = header;
  zeroed.checksum = 0;
  return crcUpdate(crcUpdate(0, &zeroed, sizeof zeroed), base + sizeof header,
                   static_cast<std::size_t>(fileSize - sizeof header));
}

// The catalogue's parts where the file lies, and the source's path in `path`.
CatalogueParts partsOf(const IndexHeader& header, const std::uint8_t* base,
                       std::string_view& path) {
  std::uint64_t at = sizeof header;
  CatalogueParts parts;
  parts.roms = partAt<RomRecord>(base, at, header.roms);
  parts.sets = partAt<SetRecord>(base, at, header.sets);
  parts.images = partAt<ImageRecord>(base, at, header.images);
  const std::span<const char> pathPart = partAt<char>(base, at, header.pathBytes);
  path = {pathPart.data(), pathPart.size()};
  const std::span<const char> texts = partAt<char>(base, at, header.textBytes);
  parts.texts = {texts.data(), texts.size()};
  parts.sketches = partAt<std::uint8_t>(base, at, header.sketchBytes);
  parts.listed = header.listed;
  return parts;
}

}  // namespace

std::string defaultIndexFolder(const char* xdgCacheHome, const char* home) {
  if (xdgCacheHome != nullptr && *xdgCacheHome == '/')
    return (std::filesystem::path(xdgCacheHome) / "vesk").string();
  if (home != nullptr && *home == '/')
    return (std::filesystem::path(home) / ".cache" / "vesk").string();
  return {};
}

std::string indexFilePath(const std::string& folder, const std::string& absolutePath) {
  const std::string digest =
      hashBytes({reinterpret_cast<const std::uint8_t*>(absolutePath.data()), absolutePath.size()})
          .sha1;
  return (std::filesystem::path(folder) / ("romident-" + digest.substr(0, 20) + ".index")).string();
}

IndexRead readIndex(const std::string& file, const std::string& absolutePath,
                    const std::string& key) {
  const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return {};  // none yet, or none that can be read: one is built
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return damaged("not a regular file");
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  if (fileSize < sizeof(IndexHeader)) return damaged("too short");
  // Mapped whole, at once: the checksum reads every page.
  void* address = ::mmap(nullptr, static_cast<std::size_t>(fileSize), PROT_READ,
                         MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
  if (address == MAP_FAILED) return {};  // as one that cannot be read: a new one is built
  auto mapping = std::make_shared<const Mapping>(address, static_cast<std::size_t>(fileSize));
  const std::uint8_t* base = mapping->bytes();
  IndexHeader header;
  std::memcpy(&header, base, sizeof header);
  if (header.magic != kMagic) return damaged("not an index of vesk");
  if (header.version != kVersion) return stale();
  if (!sizesAddUp(header, fileSize)) return damaged("its sizes do not add up");
  if (checksumOf(header, base, fileSize) != header.checksum) return damaged("bad checksum");

  std::string_view path;
  const CatalogueParts parts = partsOf(header, base, path);
  if (path != absolutePath) return damaged("it is another source's");
  IndexRead read;
  read.catalogue.adopt(std::move(mapping), parts);
  if (!read.catalogue.consistent()) return damaged("a reference out of range");
  if (std::string_view(header.key.data(), header.key.size()) != key) return stale();
  read.found = IndexFound::Current;
  read.kind = static_cast<SourceKind>(header.kind);
  return read;
}

Expected<> writeIndex(const std::string& file, const std::string& absolutePath,
                      const std::string& key, SourceKind kind, const RomCatalogue& catalogue) {
  IndexHeader header;
  header.magic = kMagic;
  header.version = kVersion;
  header.kind = static_cast<std::uint32_t>(kind);
  std::memcpy(header.key.data(), key.data(), std::min(key.size(), header.key.size()));
  header.listed = catalogue.listed();
  header.pathBytes = absolutePath.size();
  header.roms = catalogue.roms().size();
  header.sets = catalogue.sets().size();
  header.images = catalogue.images().size();
  header.textBytes = catalogue.texts().size();
  header.sketchBytes = catalogue.sketches().size();

  // Written from where the parts lie, with no copy of the whole file; the
  // checksum is taken with its own field 0, then set in the header part.
  const auto bytesOf = [](const auto& part) {
    return std::span(reinterpret_cast<const std::uint8_t*>(part.data()), part.size_bytes());
  };
  const std::string_view path = absolutePath;
  const std::array<std::span<const std::uint8_t>, 7> parts = {
      bytesOf(std::span(&header, 1)), bytesOf(catalogue.roms()),
      bytesOf(catalogue.sets()),      bytesOf(catalogue.images()),
      bytesOf(std::span(path)),       bytesOf(std::span(catalogue.texts())),
      bytesOf(catalogue.sketches())};
  std::uint32_t checksum = 0;
  for (const std::span<const std::uint8_t> part : parts)
    checksum = crcUpdate(checksum, part.data(), part.size());
  header.checksum = checksum;
  return replaceFile(file, parts);
}
