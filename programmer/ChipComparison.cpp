#include "ChipComparison.h"

#include <bit>
#include <cstdio>

#include "DifferencePatterns.h"
#include "HexRows.h"

namespace {

// Counts a difference's bits each way and keeps it in the lists of the first.
void count(ChipComparison& result, const ChipDifference& difference) {
  const auto keep = [](std::vector<ChipDifference>& list, const ChipDifference& kept) {
    if (list.size() < kFirstDifferences) list.push_back(kept);
  };
  const unsigned held = difference.chip, wanted = difference.file;
  ++result.differences;
  keep(result.first, difference);
  result.bitsToProgram += std::popcount(held & ~wanted & 0xFFU);
  if (const int toErase = std::popcount(~held & wanted & 0xFFU)) {
    result.bitsToErase += toErase;
    ++result.locationsToErase;
    keep(result.firstToErase, difference);
  }
}

}  // namespace

ChipComparison compareChip(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                           const std::vector<bool>& compared) {
  ChipComparison result;
  const ComparedSides sides(chip, file, compared);
  std::vector<std::int32_t> differing;
  for (std::size_t at = 0; at < sides.size(); ++at) {
    const std::uint8_t held = chip[at];
    if (held == file[at] || !sides.counts(at)) continue;
    count(result, {static_cast<std::int32_t>(at), held, file[at]});
    differing.push_back(static_cast<std::int32_t>(at));
  }
  result.patterns = differencePatterns(sides, differing);
  return result;
}

const char* differencePatternName(DifferencePatternKind kind) {
  switch (kind) {
    case DifferencePatternKind::DataLine:
      return "data-line";
    case DifferencePatternKind::AddressLine:
      return "address-line";
    case DifferencePatternKind::BlankWhereData:
      return "blank-where-data";
    case DifferencePatternKind::Shifted:
      return "shifted";
    case DifferencePatternKind::Blank:
      break;
  }
  return "blank";
}

std::string differencePatternText(const DifferencePattern& pattern, std::int64_t offset) {
  const std::string line = std::to_string(pattern.line);
  switch (pattern.kind) {
    case DifferencePatternKind::DataLine:
      return "only bit D" + line + " differs: data line D" + line + "?";
    case DifferencePatternKind::AddressLine:
      if (pattern.writtenThrough)
        return "each differing location reads the same as its twin across A" + line +
               ", as one cell that took the bytes of both: address line A" + line + "?";
      return "only locations with A" + line + " set differ, each reading what the file has with A" +
             line + " clear: address line A" + line + "?";
    case DifferencePatternKind::BlankWhereData:
      return "every differing location reads FFh: blank where the file has data";
    case DifferencePatternKind::Shifted:
      return "the chip holds at " + Address_To_Hex_String(pattern.chipAt) +
             " what the file has at " + fileAddressText(pattern.fileAt - offset) +
             ": written with a different --offset?";
    case DifferencePatternKind::Blank:
      break;
  }
  return "the chip reads FFh everywhere: blank, or no chip";
}

std::string fileAddressText(std::int64_t address) {
  char digits[24];
  const unsigned long long magnitude = address < 0 ? 0ULL - static_cast<unsigned long long>(address)
                                                   : static_cast<unsigned long long>(address);
  std::snprintf(digits, sizeof digits, "%s%05llX", address < 0 ? "-" : "", magnitude);
  return digits;
}
