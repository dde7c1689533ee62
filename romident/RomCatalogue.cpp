#include "RomCatalogue.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "ImageSketch.h"

namespace {

char lowerHexDigit(unsigned value) {
  return "0123456789abcdef"[value & 0xF];
}

// Keys that hold a CRC32 above a position, put in order of the CRC32 and
// kept in their order among equal ones: four passes of a radix sort, a byte
// of the CRC32 each (a third of the time of a comparison sort on the
// 330,000 ROMs of mame -listxml).
void sortKeysByCrc(std::vector<std::uint64_t>& keys) {
  std::vector<std::uint64_t> sorted(keys.size());
  for (int shift = 32; shift < 64; shift += 8) {
    std::array<std::size_t, 257> starts{};
    for (const std::uint64_t key : keys) ++starts[(key >> shift & 0xFF) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    for (const std::uint64_t key : keys) sorted[starts[key >> shift & 0xFF]++] = key;
    keys.swap(sorted);
  }
}

// By CRC32, the order of the source among equals: keys of 8 bytes sorted,
// then each record of 64 moved once to its place, in place, following the
// cycles of the order (a copy would be another 20 MiB of fresh memory for
// mame -listxml). A position takes 31 bits: 2^31 ROMs would be 128 GiB.
void sortRomsByCrc(std::vector<RomRecord>& roms) {
  constexpr std::uint64_t kPosition = 0x7FFFFFFF, kPlaced = 0x80000000;
  std::vector<std::uint64_t> keys(roms.size());
  for (std::size_t i = 0; i < roms.size(); ++i) keys[i] = std::uint64_t{roms[i].crc32} << 32 | i;
  sortKeysByCrc(keys);
  for (std::size_t start = 0; start < keys.size(); ++start) {
    if ((keys[start] & kPlaced) != 0) continue;
    const RomRecord first = roms[start];
    for (std::size_t to = start;;) {
      const auto from = static_cast<std::size_t>(keys[to] & kPosition);
      keys[to] |= kPlaced;
      if (from == start) {
        roms[to] = first;
        break;
      }
      roms[to] = roms[from];
      to = from;
    }
  }
}

}  // namespace

RomCatalogue::RomCatalogue() : pool_(1, '\0') {}

std::uint32_t RomCatalogue::addSet(std::string_view name) {
  sets_.push_back({addText(name), 0});
  return static_cast<std::uint32_t>(sets_.size() - 1);
}

void RomCatalogue::describeSet(std::uint32_t set, std::string_view description) {
  sets_[set].description = addText(description);
}

TextRef RomCatalogue::addText(std::string_view text) {
  if (text.empty()) return 0;
  const auto ref = static_cast<TextRef>(pool_.size());
  pool_.append(text);
  pool_.push_back('\0');
  return ref;
}

TextRef RomCatalogue::addRepeatedText(std::string_view text) {
  if (text.empty()) return 0;
  const auto [at, isNew] = repeated_.try_emplace(std::string(text), 0);
  if (isNew) at->second = addText(text);
  return at->second;
}

std::size_t RomCatalogue::addRom(const RomRecord& rom) {
  roms_.push_back(rom);
  return roms_.size() - 1;
}

std::uint32_t RomCatalogue::addImage(const ImageRecord& image,
                                     std::span<const std::uint8_t> sketch) {
  ImageRecord record = image;
  record.sketch = sketches_.size();
  sketches_.insert(sketches_.end(), sketch.begin(), sketch.end());
  images_.push_back(record);
  return static_cast<std::uint32_t>(images_.size() - 1);
}

void RomCatalogue::finish() {
  sortRomsByCrc(roms_);
  // The ROMs point at images by position: sort a permutation and follow it.
  std::vector<std::uint32_t> order(images_.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return images_[a].size < images_[b].size;
  });
  std::vector<ImageRecord> sorted;
  sorted.reserve(images_.size());
  std::vector<std::uint32_t> newPlace(images_.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    sorted.push_back(images_[order[i]]);
    newPlace[order[i]] = i;
  }
  images_ = std::move(sorted);
  for (RomRecord& rom : roms_)
    if (rom.image != kNoImage) rom.image = newPlace[rom.image];
  repeated_.clear();
}

void RomCatalogue::adopt(std::shared_ptr<const void> owner, const CatalogueParts& parts) {
  owner_ = std::move(owner);
  parts_ = parts;
}

std::span<const std::uint8_t> RomCatalogue::sketchOf(const ImageRecord& image) const {
  return sketches().subspan(image.sketch, sketchLength(image.size));
}

std::span<const RomRecord> RomCatalogue::romsWithCrc(std::uint32_t crc32) const {
  const std::span<const RomRecord> all = roms();
  const auto [first, last] =
      std::equal_range(all.begin(), all.end(), crc32, [](const auto& a, const auto& b) {
        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, RomRecord>)
          return a.crc32 < b;
        else
          return a < b.crc32;
      });
  return {first, last};
}

std::span<const ImageRecord> RomCatalogue::imagesOfSize(std::uint64_t size) const {
  const std::span<const ImageRecord> all = images();
  const auto first = std::partition_point(all.begin(), all.end(),
                                          [&](const ImageRecord& i) { return i.size < size; });
  const auto last =
      std::partition_point(first, all.end(), [&](const ImageRecord& i) { return i.size == size; });
  return {first, last};
}

bool RomCatalogue::consistent() const {
  const std::string_view pool = texts();
  const std::span<const SetRecord> allSets = sets();
  const std::span<const ImageRecord> allImages = images();
  const std::span<const RomRecord> allRoms = roms();
  const std::size_t sketchBytes = sketches().size();
  if (pool.empty() || pool.back() != '\0') return false;
  const auto inPool = [&](TextRef ref) { return ref < pool.size(); };
  for (const SetRecord& set : allSets)
    if (!inPool(set.name) || !inPool(set.description)) return false;
  for (const ImageRecord& image : allImages) {
    if (!inPool(image.container) || !inPool(image.member) || !inPool(image.name) ||
        image.set >= allSets.size() || image.sketch > sketchBytes ||
        sketchLength(image.size) > sketchBytes - image.sketch)
      return false;
  }
  for (const RomRecord& rom : allRoms) {
    if (!inPool(rom.name) || !inPool(rom.region) || !inPool(rom.loadflag) ||
        rom.set >= allSets.size() || (rom.image != kNoImage && rom.image >= allImages.size()))
      return false;
  }
  return std::is_sorted(allRoms.begin(), allRoms.end(),
                        [](const RomRecord& a, const RomRecord& b) { return a.crc32 < b.crc32; }) &&
         std::is_sorted(allImages.begin(), allImages.end(),
                        [](const ImageRecord& a, const ImageRecord& b) { return a.size < b.size; });
}

std::string crc32Hex(std::uint32_t crc32) {
  std::string text(8, '0');
  for (int digit = 7; digit >= 0; --digit, crc32 >>= 4)
    text[static_cast<std::size_t>(digit)] = lowerHexDigit(crc32 & 0xF);
  return text;
}

std::string sha1Hex(const std::array<std::uint8_t, 20>& sha1) {
  std::string text;
  text.reserve(40);
  for (const std::uint8_t byte : sha1) {
    text += lowerHexDigit(byte >> 4);
    text += lowerHexDigit(byte & 0xF);
  }
  return text;
}
