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

// A pattern in the differences that points to the board, the socket or the
// way the chip was written:
//   DataLine        every difference is in the same one data bit (line = k of
//                   Dk); one difference alone only where the chip reads that
//                   bit the same at every location compared;
//   AddressLine     every differing location reads the same as its twin across
//                   Ak (line = k), both compared, and holds either what the file
//                   has with Ak clear (a read through the open line) or the bytes
//                   of both twins (`writtenThrough`: both were programmed into
//                   one cell);
//   Blank           the chip reads FFh at every location;
//   BlankWhereData  every differing location reads FFh;
//   Shifted         the chip holds at chipAt what the file has at fileAt, and
//                   the rest of the file as far from its place: every difference
//                   is explained by that shift.
enum class DifferencePatternKind { DataLine, AddressLine, Blank, BlankWhereData, Shifted };

struct DifferencePattern {
  DifferencePatternKind kind = DifferencePatternKind::Blank;
  int line = 0;                 // DataLine, AddressLine: k
  bool writtenThrough = false;  // AddressLine: locations with Ak clear differ too
  std::int32_t chipAt = 0;      // Shifted: locations of the chip and of the file's image
  std::int32_t fileAt = 0;
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
  // The patterns that hold, only when the two differ, and never two that
  // contradict: Blank alone, which says it all; else BlankWhereData (for two
  // differing locations or more), Shifted, and a line only when neither
  // holds and that one line alone explains the differences, which show more
  // than FFh: DataLine, or AddressLine for two differing locations or more.
  std::vector<DifferencePattern> patterns;
};

// The chip against the file over the shorter of the two. `compared` says
// which locations count (the ones the file covers, less those that read
// unstable); empty: all of them, and a location beyond it does not count.
ChipComparison compareChip(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                           const std::vector<bool>& compared = {});

// The pattern's name in results and JSON: "data-line", "address-line",
// "blank", "blank-where-data", "shifted".
const char* differencePatternName(DifferencePatternKind kind);

// The pattern in one plain line: "only bit D3 differs: data line D3?". The
// file's addresses are its own: the image's less `offset`, the --offset it
// was placed with.
std::string differencePatternText(const DifferencePattern& pattern, std::int64_t offset = 0);

// An address in the file, as the image's are shown but of any size: five hex
// digits or more ("0E000", "8000E000"), "-" and the digits when negative.
std::string fileAddressText(std::int64_t address);
