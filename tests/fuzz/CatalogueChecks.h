#pragma once
// What the fuzz targets of the ROM reference readers check of a catalogue:
// that every lookup finds what it holds, that it is the same as another
// (texts compared as texts), and that its index, written and read again,
// is the catalogue itself.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "FuzzCheck.h"
#include "ImageSketch.h"
#include "RomCatalogue.h"
#include "SourceIndex.h"

// Every reference inside its table, the ROMs found by their CRC32 and the
// images by their size, each image's sketch as long as its size asks.
inline void checkCatalogue(const RomCatalogue& catalogue) {
  require(catalogue.consistent(), "a catalogue read is consistent");
  require(catalogue.listed() >= catalogue.roms().size(), "it lists at least the ROMs it keeps");
  for (const RomRecord& rom : catalogue.roms()) {
    const std::span<const RomRecord> same = catalogue.romsWithCrc(rom.crc32);
    require(&rom >= same.data() && &rom < same.data() + same.size(), "a ROM is found by its CRC32");
  }
  for (const ImageRecord& image : catalogue.images()) {
    const std::span<const ImageRecord> same = catalogue.imagesOfSize(image.size);
    require(&image >= same.data() && &image < same.data() + same.size(),
            "an image is found by its size");
    require(catalogue.sketchOf(image).size() == sketchLength(image.size),
            "an image's sketch is as long as its size asks");
  }
}

// The same ROMs, sets and images in the same order, with the same texts.
inline bool sameCatalogue(const RomCatalogue& a, const RomCatalogue& b) {
  const auto sameRom = [&](const RomRecord& x, const RomRecord& y) {
    return x.crc32 == y.crc32 && x.flags == y.flags && x.size == y.size && x.offset == y.offset &&
           x.sha1 == y.sha1 && x.set == y.set && x.image == y.image &&
           a.text(x.name) == b.text(y.name) && a.text(x.region) == b.text(y.region) &&
           a.text(x.loadflag) == b.text(y.loadflag);
  };
  const auto sameSet = [&](const SetRecord& x, const SetRecord& y) {
    return a.text(x.name) == b.text(y.name) && a.text(x.description) == b.text(y.description);
  };
  const auto sameImage = [&](const ImageRecord& x, const ImageRecord& y) {
    const std::span<const std::uint8_t> sketchX = a.sketchOf(x), sketchY = b.sketchOf(y);
    return a.text(x.container) == b.text(y.container) && a.text(x.member) == b.text(y.member) &&
           x.set == y.set && a.text(x.name) == b.text(y.name) && x.size == y.size &&
           std::equal(sketchX.begin(), sketchX.end(), sketchY.begin(), sketchY.end());
  };
  return std::ranges::equal(a.roms(), b.roms(), sameRom) &&
         std::ranges::equal(a.sets(), b.sets(), sameSet) &&
         std::ranges::equal(a.images(), b.images(), sameImage);
}

// A folder of the fuzz target's own for the files it writes, on /dev/shm
// where there is one; removed when the target ends (scratchPath).
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
                          std::string("/vesk-fuzz-XXXXXX");
    require(::mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    scratchPath() = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchPath(), ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return scratchPath() + "/" + name; }
};

inline const ScratchFolder& scratch() {
  static const ScratchFolder kFolder;
  return kFolder;
}

// What the fuzz targets' indexes say of their source.
inline const std::string kIndexedPath = "/roms/mame.xml";
inline const std::string kIndexKey = "5f3a0c2d9e8b7a6f5e4d3c2b1a09f8e7d6c5b4a3";

// The catalogue's index, written and read again, is current and holds the
// same catalogue and kind.
inline void checkIndexKeepsIt(const RomCatalogue& catalogue, SourceKind kind) {
  const std::string file = scratch().file("index");
  const Expected<> written = writeIndex(file, kIndexedPath, kIndexKey, kind, catalogue);
  require(static_cast<bool>(written), "an index is written", written ? "" : written.error());
  const IndexRead read = readIndex(file, kIndexedPath, kIndexKey);
  require(read.found == IndexFound::Current && read.kind == kind,
          "an index just written is current", read.damage);
  require(sameCatalogue(catalogue, read.catalogue) && read.catalogue.listed() == catalogue.listed(),
          "an index holds the catalogue it was written of");
}
