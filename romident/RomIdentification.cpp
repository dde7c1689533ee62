#include "RomIdentification.h"

#include <zlib.h>

#include <algorithm>
#include <optional>

#include "ImageHashes.h"
#include "ImageSketch.h"
#include "ImageSources.h"

namespace {

// Parts smaller than this are not looked up: a mirror of a few bytes
// names nothing.
constexpr std::uint64_t kSmallestPart = 16;
// A sketch that differs at more than this share of its places is not worth
// reading the image for (1 % of the bytes differs at about 2.6 of 256
// places; more than 12 happens about once in 10^6).
constexpr double kSketchLimit = 0.05;
// How many of the closest sketches are compared byte by byte, at least.
constexpr std::size_t kCompared = 8;

// A part of the dump to look up: `bytes` stand for dump[offset, offset +
// length) as `copies` copies of them.
struct DumpPart {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::uint64_t copies = 1;
  std::span<const std::uint8_t> bytes;
};

bool allEqualTo(std::span<const std::uint8_t> bytes, std::uint8_t value) {
  return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == value; });
}

bool allOneValue(std::span<const std::uint8_t> bytes) {
  return bytes.empty() || allEqualTo(bytes, bytes[0]);
}

bool isCopies(std::span<const std::uint8_t> dump, std::size_t length) {
  for (std::size_t at = length; at < dump.size(); at += length)
    if (!std::equal(dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(length),
                    dump.begin() + static_cast<std::ptrdiff_t>(at)))
      return false;
  return true;
}

// The whole dump; the smaller ROMs it is copies of; the halves, quarters
// ... at its bottom or top whose rest is FFh. Parts of one value are left
// out: they name nothing.
std::vector<DumpPart> exactParts(std::span<const std::uint8_t> dump) {
  std::vector<DumpPart> parts{{0, dump.size(), 1, dump}};
  for (std::size_t length = dump.size() / 2;
       length >= kSmallestPart && dump.size() % length == 0 &&
       (dump.size() / length & (dump.size() / length - 1)) == 0;
       length /= 2) {
    const auto low = dump.first(length), high = dump.last(length);
    if (isCopies(dump, length) && !allOneValue(low))
      parts.push_back({0, dump.size(), dump.size() / length, low});
    if (allEqualTo(dump.subspan(length), 0xFF) && !allOneValue(low))
      parts.push_back({0, length, 1, low});
    if (allEqualTo(dump.first(dump.size() - length), 0xFF) && !allOneValue(high))
      parts.push_back({dump.size() - length, length, 1, high});
  }
  return parts;
}

std::optional<WordByte> wordByteOf(std::string_view loadflag, std::optional<std::uint64_t> offset) {
  if (!offset) return std::nullopt;
  if (loadflag == "load16_byte") return WordByte{2, static_cast<int>(*offset % 2)};
  if (loadflag == "load32_byte") return WordByte{4, static_cast<int>(*offset % 4)};
  return std::nullopt;
}

IdentifiedRom identified(const LoadedSource& source, const RomRecord& rom, const DumpPart& part,
                         const std::string& sha1, RomMatch match) {
  const RomCatalogue& catalogue = source.catalogue;
  const SetRecord& set = catalogue.sets()[rom.set];
  IdentifiedRom found;
  found.source = source.summary.path;
  found.set = catalogue.text(set.name);
  found.description = catalogue.text(set.description);
  found.rom = catalogue.text(rom.name);
  found.size = rom.size;
  found.crc32 = crc32Hex(rom.crc32);
  found.sha1 = sha1;
  found.status = (rom.flags & rom_flag::kBadDump) != 0 ? RomStatus::BadDump : RomStatus::Good;
  found.match = match;
  found.dumpOffset = part.offset;
  found.dumpLength = part.length;
  found.copies = part.copies;
  found.region = catalogue.text(rom.region);
  if (rom.offset != kNoOffset) found.offset = rom.offset;
  found.loadflag = catalogue.text(rom.loadflag);
  found.byte = wordByteOf(found.loadflag, found.offset);
  return found;
}

void findExact(const DumpPart& part, const LoadedSource& source,
               std::vector<IdentifiedRom>& found) {
  const auto crc = static_cast<std::uint32_t>(
      crc32_z(crc32(0, nullptr, 0), part.bytes.data(), part.bytes.size()));
  std::optional<std::string> sha1;  // taken once, when a ROM of this CRC32 needs it
  const auto partSha1 = [&]() -> const std::string& {
    if (!sha1) sha1 = hashBytes(part.bytes).sha1;
    return *sha1;
  };
  for (const RomRecord& rom : source.catalogue.romsWithCrc(crc)) {
    if (rom.size != part.bytes.size()) continue;
    if ((rom.flags & rom_flag::kSha1) != 0) {
      const std::string romSha1 = sha1Hex(rom.sha1);
      if (romSha1 == partSha1())
        found.push_back(identified(source, rom, part, romSha1, RomMatch::Crc32AndSha1));
    } else if (rom.image != kNoImage) {
      // An image of the source: its SHA-1 from its bytes.
      const Expected<std::vector<std::uint8_t>> image =
          readImageAgain(source.location, source.summary.kind == SourceKind::ImageFolder,
                         source.catalogue, source.catalogue.images()[rom.image]);
      if (image && hashBytes(*image).sha1 == partSha1())
        found.push_back(identified(source, rom, part, partSha1(), RomMatch::Crc32AndSha1));
    } else {
      found.push_back(identified(source, rom, part, "", RomMatch::Crc32Only));
    }
  }
}

// The parts compared with images of their size: the whole dump, and its
// first and last halves, quarters ... down to the smallest image of any
// source.
std::vector<DumpPart> nearParts(std::span<const std::uint8_t> dump, std::uint64_t smallest) {
  std::vector<DumpPart> parts{{0, dump.size(), 1, dump}};
  for (std::size_t length = dump.size() / 2;
       length >= std::max(smallest, kSmallestPart) && dump.size() % length == 0; length /= 2) {
    parts.push_back({0, length, 1, dump.first(length)});
    parts.push_back({dump.size() - length, length, 1, dump.last(length)});
  }
  return parts;
}

struct Candidate {
  std::size_t differing;  // places of the sketch
  const LoadedSource* source;
  const ImageRecord* image;
  DumpPart part;
};

// The places of the part's sketch, and which of them count.
struct PartSketch {
  std::vector<std::uint8_t> bytes;
  std::vector<bool> counted;
  std::size_t countedPlaces = 0;
};

PartSketch sketchPart(const DumpPart& part, const std::vector<bool>& stable) {
  PartSketch sketch;
  for (const std::uint64_t place : sketchPlaces(part.length)) {
    sketch.bytes.push_back(part.bytes[place]);
    const bool counts = stable.empty() || stable[part.offset + place];
    sketch.counted.push_back(counts);
    sketch.countedPlaces += counts ? 1 : 0;
  }
  return sketch;
}

std::optional<NearestRom> compareWith(const Candidate& candidate, const std::vector<bool>& stable) {
  const LoadedSource& source = *candidate.source;
  const RomCatalogue& catalogue = source.catalogue;
  const Expected<std::vector<std::uint8_t>> reference = readImageAgain(
      source.location, source.summary.kind == SourceKind::ImageFolder, catalogue, *candidate.image);
  if (!reference) return std::nullopt;
  const DumpPart& part = candidate.part;
  std::vector<bool> compared;
  std::uint64_t comparedCount = part.length;
  if (!stable.empty()) {
    const auto begin = stable.begin() + static_cast<std::ptrdiff_t>(part.offset);
    compared.assign(begin, begin + static_cast<std::ptrdiff_t>(part.length));
    comparedCount = static_cast<std::uint64_t>(std::count(compared.begin(), compared.end(), true));
  }
  // No difference at all is near too: the dump's unstable locations left
  // out, or a half whose other half is not FFh.
  const ChipComparison comparison = compareChip(part.bytes, *reference, compared);
  if (static_cast<double>(comparison.differences) > kNearLimit * static_cast<double>(comparedCount))
    return std::nullopt;
  NearestRom near;
  near.source = source.summary.path;
  near.set = catalogue.text(catalogue.sets()[candidate.image->set].name);
  near.description = catalogue.text(catalogue.sets()[candidate.image->set].description);
  near.rom = catalogue.text(candidate.image->name);
  near.size = candidate.image->size;
  near.dumpOffset = part.offset;
  near.dumpLength = part.length;
  near.locations = comparison.differences;
  near.lostCharge = comparison.bitsToProgram;
  near.programmedExtra = comparison.bitsToErase;
  near.bits = near.lostCharge + near.programmedExtra;
  for (const ChipDifference& difference : comparison.first)
    near.first.push_back({part.offset + static_cast<std::uint64_t>(difference.address),
                          difference.chip, difference.file});
  near.findings = comparison.patterns;
  near.verdict = near.programmedExtra == 0 ? NearVerdict::BitRot : NearVerdict::OtherVersion;
  return near;
}

// The smallest reference image of any source, or nothing when no source
// holds images.
std::optional<std::uint64_t> smallestImage(const std::vector<LoadedSource>& sources) {
  std::optional<std::uint64_t> smallest;
  for (const LoadedSource& source : sources)
    if (!source.catalogue.images().empty())
      smallest =
          std::min(smallest.value_or(~std::uint64_t{0}), source.catalogue.images().front().size);
  return smallest;
}

// The reference images whose sketch is near enough to a part of the dump's,
// nearest first: the few worth comparing byte by byte.
std::vector<Candidate> candidatesFor(std::span<const std::uint8_t> dump,
                                     const std::vector<LoadedSource>& sources,
                                     const std::vector<bool>& stable, std::uint64_t smallest) {
  std::vector<Candidate> candidates;
  for (const DumpPart& part : nearParts(dump, smallest)) {
    const PartSketch sketch = sketchPart(part, stable);
    const auto limit =
        static_cast<std::size_t>(kSketchLimit * static_cast<double>(sketch.countedPlaces));
    for (const LoadedSource& source : sources) {
      for (const ImageRecord& image : source.catalogue.imagesOfSize(part.length)) {
        const std::span<const std::uint8_t> places = source.catalogue.sketchOf(image);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < places.size() && differing <= limit; ++i)
          differing += places[i] != sketch.bytes[i] && sketch.counted[i] ? 1 : 0;
        if (differing <= limit) candidates.push_back({differing, &source, &image, part});
      }
    }
  }
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const Candidate& a, const Candidate& b) { return a.differing < b.differing; });
  return candidates;
}

void findNearest(std::span<const std::uint8_t> dump, const std::vector<LoadedSource>& sources,
                 const std::vector<bool>& stable, const IdentifyOptions& options,
                 DumpIdentification& result) {
  const std::optional<std::uint64_t> smallest = smallestImage(sources);
  if (!smallest) {
    result.search = NearestSearch::NoImages;
    return;
  }
  const std::vector<Candidate> candidates = candidatesFor(dump, sources, stable, *smallest);
  // One entry per reference image: the part nearest to it.
  std::vector<const ImageRecord*> images;
  const std::size_t compared = std::max(kCompared, 2 * options.nearest);
  for (std::size_t i = 0; i < candidates.size() && i < compared; ++i) {
    std::optional<NearestRom> near = compareWith(candidates[i], stable);
    if (!near) continue;
    const auto seen = std::find(images.begin(), images.end(), candidates[i].image);
    if (seen == images.end()) {
      images.push_back(candidates[i].image);
      result.nearest.push_back(std::move(*near));
    } else if (NearestRom& before = result.nearest[static_cast<std::size_t>(seen - images.begin())];
               near->locations < before.locations) {
      before = std::move(*near);
    }
  }
  std::stable_sort(
      result.nearest.begin(), result.nearest.end(), [](const NearestRom& a, const NearestRom& b) {
        return a.locations != b.locations ? a.locations < b.locations : a.bits < b.bits;
      });
  if (result.nearest.size() > options.nearest) result.nearest.resize(options.nearest);
  result.search = result.nearest.empty() ? NearestSearch::NoneClose : NearestSearch::Found;
}

}  // namespace

DumpIdentification identifyDump(std::span<const std::uint8_t> dump,
                                const std::vector<LoadedSource>& sources,
                                const std::vector<bool>& stable, const IdentifyOptions& options) {
  DumpIdentification result;
  const std::vector<bool> noMask;
  const std::vector<bool>& mask = stable.size() == dump.size() ? stable : noMask;
  for (std::size_t at = 0; at < mask.size(); ++at)
    if (!mask[at]) result.leftOut.push_back(at);
  if (dump.empty()) return result;
  for (const DumpPart& part : exactParts(dump))
    for (const LoadedSource& source : sources) findExact(part, source, result.identified);
  if (result.identified.empty()) findNearest(dump, sources, mask, options, result);
  return result;
}

const char* romMatchName(RomMatch match) {
  return match == RomMatch::Crc32AndSha1 ? "crc32+sha1" : "crc32";
}

const char* romStatusName(RomStatus status) {
  return status == RomStatus::BadDump ? "baddump" : "good";
}

const char* nearVerdictName(NearVerdict verdict) {
  return verdict == NearVerdict::BitRot ? "bit-rot" : "other-version";
}

std::string wordByteName(const WordByte& byte) {
  if (byte.width == 2) return byte.lane == 0 ? "even" : "odd";
  return "lane " + std::to_string(byte.lane);
}
