#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

// What one reference source knows, in a compact form that is also the body
// of its index file: fixed-size records that point into one pool of texts,
// so that 336,504 ROMs take a few tens of MiB and load with one read each.
// Only ROMs that can be matched are kept: a ROM marked "nodump" or without a
// CRC32 never is.

// A reference in a pool: the offset of a NUL-terminated text; 0 is "".
using TextRef = std::uint32_t;

inline constexpr std::uint32_t kNoImage = 0xFFFFFFFF;
inline constexpr std::uint64_t kNoOffset = ~std::uint64_t{0};

namespace rom_flag {
inline constexpr std::uint32_t kSha1 = 1;     // sha1 holds the source's SHA-1
inline constexpr std::uint32_t kBadDump = 2;  // status="baddump": a dump known to be bad
}  // namespace rom_flag

// One known ROM.
struct RomRecord {
  std::uint32_t crc32 = 0;
  std::uint32_t flags = 0;              // rom_flag
  std::uint64_t size = 0;               // bytes of the ROM's file
  std::uint64_t offset = kNoOffset;     // where the source loads it, when it says
  std::array<std::uint8_t, 20> sha1{};  // with rom_flag::kSha1
  std::uint32_t set = 0;                // index into the sets
  TextRef name = 0;                     // the ROM's file name
  TextRef region = 0;                   // MAME's region, a software list's data area
  TextRef loadflag = 0;                 // a software list's loadflag
  std::uint32_t image = kNoImage;       // index into the images, for a source of images
};

// A machine, a game or a piece of software; for images, the archive or folder.
struct SetRecord {
  TextRef name = 0;
  TextRef description = 0;
};

// A ROM image that the source holds itself, where it can be read again: the
// file (relative to a folder source; "" for an archive source) and, inside
// an archive, the member. Its sketch (ImageSketch.h) lies in the pool of
// sketches from `sketch` on.
struct ImageRecord {
  TextRef container = 0;
  TextRef member = 0;
  std::uint32_t set = 0;
  TextRef name = 0;
  std::uint64_t size = 0;
  std::uint64_t sketch = 0;
};

static_assert(std::is_trivially_copyable_v<RomRecord> && sizeof(RomRecord) == 64);
static_assert(std::is_trivially_copyable_v<SetRecord> && sizeof(SetRecord) == 8);
static_assert(std::is_trivially_copyable_v<ImageRecord> && sizeof(ImageRecord) == 32);

// A catalogue's parts where they lie in memory: an index file's, mapped.
struct CatalogueParts {
  std::span<const RomRecord> roms;
  std::span<const SetRecord> sets;
  std::span<const ImageRecord> images;
  std::string_view texts;
  std::span<const std::uint8_t> sketches;
  std::uint64_t listed = 0;
};

class RomCatalogue {
 public:
  RomCatalogue();

  // Building. Texts are copied into the pool; regions and loadflags, which
  // repeat, are stored once.
  std::uint32_t addSet(std::string_view name);
  void describeSet(std::uint32_t set, std::string_view description);
  TextRef addText(std::string_view text);
  TextRef addRepeatedText(std::string_view text);
  std::size_t addRom(const RomRecord& rom);
  // Counts a ROM the source lists, whether it can be matched or not.
  void countListed() { ++listed_; }
  RomRecord& romAt(std::size_t index) { return roms_[index]; }
  std::uint32_t addImage(const ImageRecord& image, std::span<const std::uint8_t> sketch);
  // Once built: the ROMs in order of CRC32 (the order of the source among
  // equal ones), the images in order of size.
  void finish();

  // Or, instead of building: reading parts that lie elsewhere (an index
  // file mapped into memory), which `owner` keeps there.
  void adopt(std::shared_ptr<const void> owner, const CatalogueParts& parts);

  // Reading.
  std::span<const RomRecord> roms() const { return owner_ ? parts_.roms : roms_; }
  // The ROMs the source lists, those never matched (nodump, no CRC32) too.
  std::uint64_t listed() const { return owner_ ? parts_.listed : listed_; }
  std::span<const SetRecord> sets() const { return owner_ ? parts_.sets : sets_; }
  std::span<const ImageRecord> images() const { return owner_ ? parts_.images : images_; }
  std::string_view text(TextRef ref) const { return texts().data() + ref; }
  std::string_view texts() const { return owner_ ? parts_.texts : pool_; }
  std::span<const std::uint8_t> sketches() const { return owner_ ? parts_.sketches : sketches_; }
  std::span<const std::uint8_t> sketchOf(const ImageRecord& image) const;
  // The ROMs with this CRC32 (after finish()).
  std::span<const RomRecord> romsWithCrc(std::uint32_t crc32) const;
  // The images of this size (after finish()).
  std::span<const ImageRecord> imagesOfSize(std::uint64_t size) const;

  // Whether every reference of every record lands inside its pool or table:
  // an index file that passed its checksum and is still wrong never sends a
  // read astray.
  bool consistent() const;

 private:
  std::vector<RomRecord> roms_;
  std::vector<SetRecord> sets_;
  std::vector<ImageRecord> images_;
  std::string pool_;
  std::vector<std::uint8_t> sketches_;
  std::uint64_t listed_ = 0;
  std::unordered_map<std::string, TextRef> repeated_;
  std::shared_ptr<const void> owner_;
  CatalogueParts parts_;
};

// Lower-case hex of a CRC32 and of a SHA-1, as ROM lists print them.
std::string crc32Hex(std::uint32_t crc32);
std::string sha1Hex(const std::array<std::uint8_t, 20>& sha1);
