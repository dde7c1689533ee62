// Arbitrary bytes as a zip or 7z archive of one set's ROM images. Whatever
// the bytes:
// - an archive is read from memory as from its file: both refuse it, or both
//   make the same catalogue;
// - a catalogue read holds one set, named as asked, and for each member one
//   ROM and one image of the same name and size, from 1 byte to the
//   largest image, consistent, each ROM found by its CRC32, its index the
//   same;
// - each image read again from the file is the member the catalogue
//   describes: the same size, CRC32 and sketch.
#include <zlib.h>

#include <fstream>
#include <string>

#include "CatalogueChecks.h"
#include "ImageSources.h"

namespace {

constexpr std::string_view kSet = "set";

std::uint32_t crc32Of(const std::vector<std::uint8_t>& bytes) {
  return static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), bytes.data(), bytes.size()));
}

void checkSet(const RomCatalogue& catalogue) {
  checkCatalogue(catalogue);
  require(catalogue.sets().size() == 1 && catalogue.text(catalogue.sets()[0].name) == kSet,
          "an archive is one set, named as asked");
  require(catalogue.roms().size() == catalogue.images().size() &&
              catalogue.listed() == catalogue.roms().size(),
          "each member is one ROM and one image");
  for (const RomRecord& rom : catalogue.roms()) {
    require(rom.image < catalogue.images().size(), "each ROM is an image");
    const ImageRecord& image = catalogue.images()[rom.image];
    require(image.size == rom.size && image.size >= 1 && image.size <= kLargestImage &&
                catalogue.text(image.name) == catalogue.text(rom.name) &&
                catalogue.text(image.member) == catalogue.text(rom.name) && image.container == 0,
            "a ROM and its image: one member, its name and size");
  }
}

}  // namespace

// libarchive asks for what an archive's header claims, however much that is,
// and is refused: malloc then returns null, as it would outside the
// sanitizer, and libarchive refuses the archive.
extern "C" const char*
__asan_default_options() {  // NOLINT(readability-identifier-naming,bugprone-reserved-identifier)
  return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  const std::span<const std::uint8_t> bytes(input, size);
  const Expected<RomCatalogue> fromMemory = readArchiveBytes(bytes, kSet);
  if (!looksLikeArchive(bytes)) {
    require(!fromMemory, "only an archive is read as one");
    return 0;
  }
  const std::string path = scratch().file(std::string(kSet) + ".zip");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(input), static_cast<std::streamsize>(size));
  const Expected<RomCatalogue> fromFile = readArchiveFile(path);
  require(static_cast<bool>(fromMemory) == static_cast<bool>(fromFile),
          "an archive is read from memory as from its file",
          fromMemory ? fromFile.error() : fromMemory.error());
  if (!fromMemory) return 0;
  require(sameCatalogue(*fromMemory, *fromFile), "an archive reads the same from memory and file");
  checkSet(*fromMemory);
  checkIndexKeepsIt(*fromMemory, SourceKind::Archive);

  for (const RomRecord& rom : fromMemory->roms()) {
    const ImageRecord& image = fromMemory->images()[rom.image];
    const Expected<std::vector<std::uint8_t>> again =
        readImageAgain(path, false, *fromMemory, image);
    require(static_cast<bool>(again), "an image is read again", again ? "" : again.error());
    const std::span<const std::uint8_t> sketch = fromMemory->sketchOf(image);
    const std::vector<std::uint8_t> sketchAgain = sketchOf(*again);
    require(again->size() == image.size && crc32Of(*again) == rom.crc32 &&
                std::ranges::equal(sketch, sketchAgain),
            "an image read again is the member the catalogue describes",
            std::string(fromMemory->text(image.member)));
  }
  return 0;
}
