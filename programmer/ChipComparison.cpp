#include "ChipComparison.h"

#include <algorithm>
#include <bit>

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

// The board's lines that every difference so far can be blamed on: the one
// data bit they all are in, and the address lines whose every location has
// its twin in the chip, ruled out one by one as the differences come.
class LineSuspects {
 public:
  explicit LineSuspects(std::size_t size) {
    for (int line = 0; line < 31 && (std::size_t{1} << line) < size; ++line)
      addressLines_ |= std::uint32_t{1} << line;
  }

  // The chip holds `held` at `at`, where the file has another byte.
  void see(std::span<const std::uint8_t> file, std::size_t at, std::uint8_t held) {
    const unsigned bits = static_cast<unsigned>(held ^ file[at]);
    oneDataBit_ =
        oneDataBit_ && std::popcount(bits) == 1 && (differingBits_ == 0 || bits == differingBits_);
    differingBits_ = bits;
    for (std::uint32_t open = addressLines_; open != 0; open &= open - 1) {
      const std::uint32_t line = open & (~open + 1);
      if ((at & line) == 0 || held != file[at & ~std::size_t{line}]) addressLines_ &= ~line;
    }
  }

  // The data line, then the address lines from A0 up.
  void addPatterns(std::vector<DifferencePattern>& patterns) const {
    if (oneDataBit_)
      patterns.push_back({DifferencePatternKind::DataLine, std::countr_zero(differingBits_)});
    for (std::uint32_t lines = addressLines_; lines != 0; lines &= lines - 1)
      patterns.push_back({DifferencePatternKind::AddressLine, std::countr_zero(lines)});
  }

 private:
  std::uint32_t addressLines_ = 0;
  unsigned differingBits_ = 0;  // of every difference so far, while they are one and the same
  bool oneDataBit_ = true;
};

}  // namespace

ChipComparison compareChip(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file,
                           const std::vector<bool>& compared) {
  ChipComparison result;
  const std::size_t size = std::min(chip.size(), file.size());
  LineSuspects suspects(size);
  for (std::size_t at = 0; at < size; ++at) {
    const std::uint8_t held = chip[at];
    if (held == file[at] || (!compared.empty() && (at >= compared.size() || !compared[at])))
      continue;
    count(result, {static_cast<std::int32_t>(at), held, file[at]});
    suspects.see(file, at, held);
  }
  if (result.differences == 0) return result;
  if (std::ranges::all_of(chip, [](std::uint8_t byte) { return byte == 0xFF; }))
    result.patterns.push_back({DifferencePatternKind::Blank});
  else if (result.differences >= 2)
    suspects.addPatterns(result.patterns);
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
