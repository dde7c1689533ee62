// Arbitrary bytes as a source's index file, read as vesk reads the index of
// /roms/mame.xml. The input's first byte says whether its checksum is
// mended first (so that the fuzzer reaches past it), the next two which
// byte is then flipped; the rest is the file. Whatever the file:
// - an index that is not current gives no catalogue at all, and one found
//   damaged says why;
// - a current index is a consistent catalogue, each ROM found by its CRC32
//   and each image by its size, which written again as an index is the same
//   file, byte for byte;
// - with any one byte flipped it is never current.
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "CatalogueChecks.h"

namespace {

constexpr std::size_t kInputHeader = 3;
// Where the index's header keeps its CRC32 (after the magic, the version,
// the kind and the key), and how long the header is.
constexpr std::size_t kChecksumAt = 56;
constexpr std::size_t kIndexHeader = 120;
// Four bytes of the header that nothing reads, which a new index holds as 0;
// they follow the checksum.
constexpr std::size_t kReservedAt = 60;

void mendChecksum(std::string& file) {
  if (file.size() < kIndexHeader) return;
  std::memset(file.data() + kChecksumAt, 0, 4);
  const auto crc = static_cast<std::uint32_t>(
      crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(file.data()), file.size()));
  std::memcpy(file.data() + kChecksumAt, &crc, 4);
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool empty(const RomCatalogue& catalogue) {
  return catalogue.roms().empty() && catalogue.sets().empty() && catalogue.images().empty() &&
         catalogue.listed() == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < kInputHeader) return 0;
  std::string index(reinterpret_cast<const char*>(input) + kInputHeader, size - kInputHeader);
  if ((input[0] & 1) != 0) mendChecksum(index);
  const std::string file = scratch().file("read.index");
  writeBytes(file, index);

  const IndexRead read = readIndex(file, kIndexedPath, kIndexKey);
  if (read.found != IndexFound::Current) {
    require(empty(read.catalogue), "an index that is not current gives no catalogue");
    require((read.found == IndexFound::Damaged) == !read.damage.empty(),
            "a damaged index says why, and only a damaged one");
    return 0;
  }
  require(read.damage.empty(), "a current index is not damaged");
  checkCatalogue(read.catalogue);

  const std::string again = scratch().file("again.index");
  const Expected<> written = writeIndex(again, kIndexedPath, kIndexKey, read.kind, read.catalogue);
  require(static_cast<bool>(written), "an index read is written again",
          written ? "" : written.error());
  // The same file, but for the reserved bytes and the checksum, which covers them.
  std::string rewritten = readBytes(again), original = index;
  for (std::string* bytes : {&rewritten, &original})
    std::memset(bytes->data() + kChecksumAt, 0, kReservedAt + 4 - kChecksumAt);
  require(rewritten == original, "an index read and written again is the same file");
  require(readIndex(again, kIndexedPath, kIndexKey).found == IndexFound::Current,
          "an index written again is current");

  const std::size_t flip = (std::size_t{input[1]} << 8 | input[2]) % index.size();
  index[flip] = static_cast<char>(index[flip] ^ (input[0] >> 1 | 1));
  writeBytes(file, index);
  require(readIndex(file, kIndexedPath, kIndexKey).found != IndexFound::Current,
          "an index with a byte flipped is never current");
  return 0;
}
