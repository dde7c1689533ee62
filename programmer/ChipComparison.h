#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a read of the chip holds against a file's image, location by
// location: for a verify, how they differ and what that points to; for a
// write over a programmed chip, whether it can be done (no bit may have to go
// from 0 to 1: only erasing raises a bit).

// A location where the chip differs from the file.
struct ChipDifference {
  std::int32_t address;
  std::uint8_t chip;
  std::uint8_t file;
  bool operator==(const ChipDifference&) const = default;
};

// A pattern in the differences that points to the board or the socket:
//   DataLine     every difference is in the same one data bit (line = k of Dk);
//   AddressLine  every differing location has address bit k set and reads
//                what the file has at its twin with bit k clear (line = k of
//                Ak), as when that line is not connected;
//   Blank        the chip reads FFh at every location.
enum class DifferencePatternKind { DataLine, AddressLine, Blank };

struct DifferencePattern {
  DifferencePatternKind kind = DifferencePatternKind::Blank;
  int line = 0;  // DataLine, AddressLine: k
  bool operator==(const DifferencePattern&) const = default;
};

// How many differences each list keeps.
inline constexpr std::size_t kFirstDifferences = 16;

struct ChipComparison {
  std::int32_t differences = 0;  // locations
  // Bits that are 1 on the chip where the file has 0: more pulses can set them.
  std::int64_t bitsToProgram = 0;
  // Bits that are 0 on the chip where the file has 1: the chip needs erasing.
  std::int64_t bitsToErase = 0;
  std::int32_t locationsToErase = 0;         // with at least one such bit
  std::vector<ChipDifference> first;         // the first kFirstDifferences, in address order
  std::vector<ChipDifference> firstToErase;  // the first kFirstDifferences with a bit to erase
  // The patterns that hold, only when the two differ: Blank alone, which says
  // it all; else DataLine, then AddressLine from A0 up, each only for two
  // differing locations or more (one wrong location alone shows no line).
  std::vector<DifferencePattern> patterns;
};

// The chip against the file over the shorter of the two. `compared` says
// which locations count (the ones the file covers, less those that read
// unstable); empty: all of them, and a location beyond it does not count.
ChipComparison compareChip(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                           const std::vector<bool>& compared = {});

// The pattern's name in results and JSON: "data-line", "address-line", "blank".
const char* differencePatternName(DifferencePatternKind kind);

// The pattern in one plain line: "only bit D3 differs: data line D3?".
std::string differencePatternText(const DifferencePattern& pattern);
