#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ChipComparison.h"
#include "ReferenceSources.h"

// Which known ROMs a dump is, or comes nearest to: facts for the front ends
// to present, no wording.

enum class RomMatch {
  Crc32AndSha1,  // both equal
  Crc32Only,     // the source has no SHA-1: CRC32 and size equal
};

enum class RomStatus { Good, BadDump };

// For a ROM loaded load16_byte or load32_byte: which byte of each word it
// is, from its offset (lane 0 = the even byte of a 16-bit word).
struct WordByte {
  int width = 2;  // bytes in the word: 2 or 4
  int lane = 0;
  bool operator==(const WordByte&) const = default;
};

// A known ROM that the dump, or a part of it, equals.
struct IdentifiedRom {
  std::string source = {};  // the source's path as given
  std::string set = {};
  std::string description = {};
  std::string rom = {};
  std::uint64_t size = 0;
  std::string crc32 = {};  // lower-case hex
  std::string sha1 = {};   // lower-case hex; "" when the source has none
  RomStatus status = RomStatus::Good;
  RomMatch match = RomMatch::Crc32AndSha1;
  // The part of the dump it covers: the whole, a first or last half,
  // quarter ... (the rest FFh), or the whole as `copies` copies of the ROM.
  std::uint64_t dumpOffset = 0;
  std::uint64_t dumpLength = 0;
  std::uint64_t copies = 1;
  std::string region = {};                   // "" where the source says none
  std::optional<std::uint64_t> offset = {};  // where the source loads it
  std::string loadflag = {};                 // ""
  std::optional<WordByte> byte = {};
};

// A reference image close to the dump, or to a part of it.
struct RomDifference {
  std::uint64_t address;  // in the dump
  std::uint8_t chip;
  std::uint8_t reference;
  bool operator==(const RomDifference&) const = default;
};

enum class NearVerdict {
  BitRot,        // every difference is lost charge: the reference is what the chip held
  OtherVersion,  // some bits read 0 where the reference has 1: another version, or a damaged chip
};

struct NearestRom {
  std::string source = {};
  std::string set = {};
  std::string description = {};
  std::string rom = {};
  std::uint64_t size = 0;
  std::uint64_t dumpOffset = 0;
  std::uint64_t dumpLength = 0;
  std::int64_t bits = 0;                  // differing bits
  std::int64_t locations = 0;             // differing locations
  std::int64_t lostCharge = 0;            // 1 on the chip where the reference has 0
  std::int64_t programmedExtra = 0;       // 0 on the chip where the reference has 1
  std::vector<RomDifference> first = {};  // the first kFirstDifferences
  std::vector<DifferencePattern> findings = {};
  NearVerdict verdict = NearVerdict::BitRot;
};

// Whether the nearest references were looked for, and what came of it.
enum class NearestSearch {
  NotNeeded,  // the dump was identified
  NoImages,   // no source holds images to compare with
  NoneClose,  // none is within kNearLimit of the dump
  Found,
};

// The most a nearest reference may differ: 1 % of the locations compared.
inline constexpr double kNearLimit = 0.01;

struct DumpIdentification {
  std::vector<IdentifiedRom> identified = {};
  std::vector<NearestRom> nearest = {};
  NearestSearch search = NearestSearch::NotNeeded;
  // Locations that read unstable, left out of every comparison.
  std::vector<std::uint64_t> leftOut = {};
};

struct IdentifyOptions {
  std::size_t nearest = 3;  // how many nearest references to give at most
};

// The dump against every source: the exact matches of it and of its parts;
// when there is none, the nearest reference images. `stable` holds one flag
// per location of the dump, set where every pass of the read agreed (empty:
// all of them); the others are left out of the nearest comparisons and
// named in `leftOut`.
DumpIdentification identifyDump(std::span<const std::uint8_t> dump,
                                const std::vector<LoadedSource>& sources,
                                const std::vector<bool>& stable = {},
                                const IdentifyOptions& options = {});

// The names the JSON gives: "crc32+sha1" / "crc32", "good" / "baddump",
// "bit-rot" / "other-version", "even" / "odd" / "lane N".
const char* romMatchName(RomMatch match);
const char* romStatusName(RomStatus status);
const char* nearVerdictName(NearVerdict verdict);
std::string wordByteName(const WordByte& byte);
