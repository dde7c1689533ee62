#include "SourceIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <limits>

#include "FileDescriptor.h"
#include "ImageHashes.h"
#include "RawFiles.h"

namespace {

constexpr std::array<char, 8> kMagic = {'V', 'E', 'S', 'K', 'R', 'O', 'M', 'X'};
// Changes with any change of the records or of what a source's reading keeps.
constexpr std::uint32_t kVersion = 1;

// At the start of the file; the parts follow in this order: the source's
// path, the ROMs, the sets, the images, the texts, the sketches.
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

IndexRead damaged(const char* why) {
  IndexRead read;
  read.found = IndexFound::Damaged;
  read.damage = why;
  return read;
}

// Reads `count` elements straight into the container and adds them to the CRC.
template <class Container>
bool readPart(int fd, Container& part, std::uint64_t count, std::uint32_t& crc) {
  part.resize(static_cast<std::size_t>(count));
  const std::size_t bytes = part.size() * sizeof(typename Container::value_type);
  std::size_t got = 0;
  if (readUpTo(fd, part.data(), bytes, &got) || got != bytes) return false;
  crc = crcUpdate(crc, part.data(), bytes);
  return true;
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
  IndexHeader header;
  std::size_t got = 0;
  if (fileSize < sizeof header || readUpTo(fd.get(), &header, sizeof header, &got) ||
      got != sizeof header)
    return damaged("too short");
  if (header.magic != kMagic) return damaged("not an index of vesk");
  if (header.version != kVersion) {
    IndexRead read;
    read.found = IndexFound::Stale;
    return read;
  }
  std::uint64_t expected = sizeof header;
  if (!addProduct(expected, header.pathBytes, 1) ||
      !addProduct(expected, header.roms, sizeof(RomRecord)) ||
      !addProduct(expected, header.sets, sizeof(SetRecord)) ||
      !addProduct(expected, header.images, sizeof(ImageRecord)) ||
      !addProduct(expected, header.textBytes, 1) || !addProduct(expected, header.sketchBytes, 1) ||
      expected != fileSize || header.kind > static_cast<std::uint32_t>(SourceKind::ImageFolder))
    return damaged("its sizes do not add up");

  IndexRead read;
  IndexHeader zeroed = header;
  zeroed.checksum = 0;
  std::uint32_t crc = crcUpdate(0, &zeroed, sizeof zeroed);
  std::string path;
  RomCatalogue& catalogue = read.catalogue;
  if (!readPart(fd.get(), path, header.pathBytes, crc) ||
      !readPart(fd.get(), catalogue.romStore(), header.roms, crc) ||
      !readPart(fd.get(), catalogue.setStore(), header.sets, crc) ||
      !readPart(fd.get(), catalogue.imageStore(), header.images, crc) ||
      !readPart(fd.get(), catalogue.textStore(), header.textBytes, crc) ||
      !readPart(fd.get(), catalogue.sketchStore(), header.sketchBytes, crc))
    return damaged("too short");
  if (crc != header.checksum) return damaged("bad checksum");
  if (path != absolutePath) return damaged("it is another source's");
  if (!catalogue.consistent()) return damaged("a reference out of range");
  if (std::string_view(header.key.data(), header.key.size()) != key) {
    IndexRead stale;
    stale.found = IndexFound::Stale;
    return stale;
  }
  catalogue.setListed(header.listed);
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

  std::vector<std::uint8_t> bytes(sizeof header);
  bytes.reserve(sizeof header + absolutePath.size() + catalogue.roms().size() * sizeof(RomRecord) +
                catalogue.sets().size() * sizeof(SetRecord) +
                catalogue.images().size() * sizeof(ImageRecord) + catalogue.texts().size() +
                catalogue.sketches().size());
  const auto put = [&](const void* data, std::size_t size) {
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), begin, begin + size);
  };
  put(absolutePath.data(), absolutePath.size());
  put(catalogue.roms().data(), catalogue.roms().size() * sizeof(RomRecord));
  put(catalogue.sets().data(), catalogue.sets().size() * sizeof(SetRecord));
  put(catalogue.images().data(), catalogue.images().size() * sizeof(ImageRecord));
  put(catalogue.texts().data(), catalogue.texts().size());
  put(catalogue.sketches().data(), catalogue.sketches().size());
  std::memcpy(bytes.data(), &header, sizeof header);
  header.checksum = crcUpdate(0, bytes.data(), bytes.size());
  std::memcpy(bytes.data(), &header, sizeof header);
  return replaceFile(file, bytes.data(), bytes.size());
}
