#include "ChipComparison.h"

#include <algorithm>
#include <bit>

namespace {

void keep(std::vector<ChipDifference>& list, const ChipDifference& difference) {
  if (list.size() < kFirstDifferences) list.push_back(difference);
}

}  // namespace

ChipComparison compareChip(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                           const std::vector<bool>& compared) {
  ChipComparison result;
  const std::size_t size = std::min(chip.size(), file.size());
  // The address lines whose every location has its twin in the chip, ruled
  // out one by one as the differences come.
  std::uint32_t lines = 0;
  for (int line = 0; line < 31 && (std::size_t{1} << line) < size; ++line)
    lines |= std::uint32_t{1} << line;
  unsigned differingBits = 0;  // of every difference so far, while they are one and the same
  bool oneDataBit = true;
  for (std::size_t at = 0; at < size; ++at) {
    const std::uint8_t held = chip[at], wanted = file[at];
    if (held == wanted || (!compared.empty() && (at >= compared.size() || !compared[at]))) continue;
    const ChipDifference difference{static_cast<std::int32_t>(at), held, wanted};
    ++result.differences;
    keep(result.first, difference);
    result.bitsToProgram += std::popcount(static_cast<unsigned>(held & ~wanted & 0xFF));
    if (const int toErase = std::popcount(static_cast<unsigned>(~held & wanted & 0xFF))) {
      result.bitsToErase += toErase;
      ++result.locationsToErase;
      keep(result.firstToErase, difference);
    }
    const unsigned bits = static_cast<unsigned>(held ^ wanted);
    oneDataBit =
        oneDataBit && std::popcount(bits) == 1 && (differingBits == 0 || bits == differingBits);
    differingBits = bits;
    for (std::uint32_t open = lines; open != 0; open &= open - 1) {
      const std::uint32_t line = open & (~open + 1);
      if ((at & line) == 0 || held != file[at & ~std::size_t{line}]) lines &= ~line;
    }
  }
  if (result.differences == 0) return result;
  if (std::all_of(chip.begin(), chip.end(), [](std::uint8_t byte) { return byte == 0xFF; })) {
    result.patterns.push_back({DifferencePatternKind::Blank});
    return result;
  }
  if (result.differences < 2) return result;
  if (oneDataBit)
    result.patterns.push_back({DifferencePatternKind::DataLine, std::countr_zero(differingBits)});
  for (; lines != 0; lines &= lines - 1)
    result.patterns.push_back({DifferencePatternKind::AddressLine, std::countr_zero(lines)});
  return result;
}

const char* differencePatternName(DifferencePatternKind kind) {
  switch (kind) {
    case DifferencePatternKind::DataLine:
      return "data-line";
    case DifferencePatternKind::AddressLine:
      return "address-line";
    case DifferencePatternKind::Blank:
      break;
  }
  return "blank";
}

std::string differencePatternText(const DifferencePattern& pattern) {
  const std::string line = std::to_string(pattern.line);
  switch (pattern.kind) {
    case DifferencePatternKind::DataLine:
      return "only bit D" + line + " differs: data line D" + line + "?";
    case DifferencePatternKind::AddressLine:
      return "only locations with A" + line + " set differ, each reading what the file has with A" +
             line + " clear: address line A" + line + "?";
    case DifferencePatternKind::Blank:
      break;
  }
  return "the chip reads FFh everywhere: blank, or no chip";
}
