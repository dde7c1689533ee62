#include "DifferencePatterns.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <optional>

namespace {

using Kind = DifferencePatternKind;

constexpr std::uint8_t kErased = 0xFF;

// A shift is named only on this much: bytes other than FFh found moved at
// the differing locations, of so many values at least, so that a run of
// one value or a few stray bytes never pass for a moved image.
constexpr std::size_t kShiftEvidence = 16;
constexpr std::size_t kShiftValues = 4;
// The differences a shift is tried on first, spread over all of them: most
// shifts fail there at once.
constexpr std::size_t kShiftSample = 64;

std::size_t at(std::int32_t address) {
  return static_cast<std::size_t>(address);
}

// Every difference in the same one data bit. One difference alone shows a
// line only where the chip reads that bit the same at every location
// compared: nowhere did the line carry the other value.
std::optional<int> dataLine(const ComparedSides& sides, std::span<const std::int32_t> differing) {
  const std::size_t first = at(differing.front());
  const unsigned bit = static_cast<unsigned>(sides.chip(first) ^ sides.file(first));
  if (!std::has_single_bit(bit)) return std::nullopt;
  for (const std::int32_t address : differing)
    if (static_cast<unsigned>(sides.chip(at(address)) ^ sides.file(at(address))) != bit)
      return std::nullopt;
  if (differing.size() == 1) {
    const unsigned value = sides.chip(first) & bit;
    for (std::size_t location = 0; location < sides.size(); ++location)
      if (sides.counts(location) && (sides.chip(location) & bit) != value) return std::nullopt;
  }
  return std::countr_zero(bit);
}

// A differing location as an open address line leaves it: it reads the same
// as its twin across the line (both compared), and holds what the file has
// with the line clear, as a read through the open line gives, or the bytes
// of both twins, as programming both into one cell leaves.
bool readsAsTwin(const ComparedSides& sides, std::size_t location, std::size_t bit) {
  const std::size_t twin = location ^ bit;
  if (!sides.counts(twin)) return false;
  const std::uint8_t held = sides.chip(location);
  return sides.chip(twin) == held &&
         (held == sides.file(location & ~bit) || held == (sides.file(location) & sides.file(twin)));
}

// The one address line every difference can be blamed on; none when no line
// or more than one can.
std::optional<DifferencePattern> addressLine(const ComparedSides& sides,
                                             std::span<const std::int32_t> differing) {
  if (differing.size() < 2) return std::nullopt;
  std::uint32_t lines = 0;
  for (int line = 0; line < 31 && (std::size_t{1} << line) < sides.size(); ++line)
    lines |= std::uint32_t{1} << line;
  for (const std::int32_t address : differing) {
    for (std::uint32_t open = lines; open != 0; open &= open - 1) {
      const std::uint32_t bit = open & (~open + 1);
      if (!readsAsTwin(sides, at(address), bit)) lines &= ~bit;
    }
    if (lines == 0) return std::nullopt;
  }
  if (!std::has_single_bit(lines)) return std::nullopt;
  const bool writtenThrough = std::ranges::any_of(
      differing, [&](std::int32_t address) { return (at(address) & lines) == 0; });
  return DifferencePattern{
      .kind = Kind::AddressLine, .line = std::countr_zero(lines), .writtenThrough = writtenThrough};
}

// The shifts looked for, chip location less file location: the round ones
// (multiples of 100h) and the powers of two below them, both ways.
std::vector<std::int64_t> shiftsToTry(std::size_t size) {
  std::vector<std::int64_t> shifts;
  const auto both = [&](std::int64_t shift) { shifts.insert(shifts.end(), {shift, -shift}); };
  const auto chipSize = static_cast<std::int64_t>(size);
  for (std::int64_t power = 1; power < 0x100 && power < chipSize; power <<= 1) both(power);
  for (std::int64_t round = 0x100; round < chipSize; round += 0x100) both(round);
  return shifts;
}

// What a shift has to explain, and how much it found.
class ShiftTrial {
 public:
  ShiftTrial(const ComparedSides& sides, std::int64_t shift) : sides_(sides), shift_(shift) {}

  // Whether the shift explains every difference (a spread sample first),
  // with enough evidence.
  bool explainsDifferences(std::span<const std::int32_t> differing) {
    const std::size_t step = std::max<std::size_t>(1, differing.size() / kShiftSample);
    for (std::size_t i = 0; i < differing.size(); i += step)
      if (!explains(at(differing[i]))) return false;
    found_ = 0;
    values_.reset();
    for (const std::int32_t address : differing)
      if (!explains(at(address))) return false;
    return found_ >= kShiftEvidence && values_.count() >= kShiftValues;
  }

  // Whether it explains every location compared, the same ones included.
  bool explainsAll() {
    for (std::size_t location = 0; location < sides_.size(); ++location)
      if (sides_.counts(location) && !explains(location)) return false;
    return true;
  }

  // The pattern, named by the first location compared where the file has
  // data that the shift puts in the chip; none when there is no such location.
  std::optional<DifferencePattern> pattern() const {
    for (std::size_t location = 0; location < sides_.size(); ++location) {
      if (!sides_.counts(location) || sides_.file(location) == kErased) continue;
      if (const std::optional<std::size_t> there = inChip(location, shift_))
        return DifferencePattern{.kind = Kind::Shifted,
                                 .chipAt = static_cast<std::int32_t>(*there),
                                 .fileAt = static_cast<std::int32_t>(location)};
    }
    return std::nullopt;
  }

 private:
  // `location` moved by `shift`, when that lies in the chip.
  std::optional<std::size_t> inChip(std::size_t location, std::int64_t shift) const {
    const std::int64_t moved = static_cast<std::int64_t>(location) + shift;
    if (moved < 0 || moved >= static_cast<std::int64_t>(sides_.size())) return std::nullopt;
    return static_cast<std::size_t>(moved);
  }

  // Where the file has data, the chip holds it `shift` further on (unless
  // that lies beyond the chip, which the image could not hold); where the
  // chip holds data, the file has it `shift` before.
  bool explains(std::size_t location) {
    const std::uint8_t wanted = sides_.file(location), held = sides_.chip(location);
    if (wanted != kErased) {
      if (const std::optional<std::size_t> there = inChip(location, shift_)) {
        if (sides_.chip(*there) != wanted) return false;
        see(wanted);
      }
    }
    if (held != kErased) {
      const std::optional<std::size_t> from = inChip(location, -shift_);
      if (!from || sides_.file(*from) != held) return false;
      see(held);
    }
    return true;
  }

  void see(std::uint8_t value) {
    ++found_;
    values_.set(value);
  }

  const ComparedSides& sides_;
  std::int64_t shift_;
  std::size_t found_ = 0;
  std::bitset<256> values_;
};

// The shift that explains the differences and every other location
// compared, told by the lowest chip location it puts the file's data at (of
// two at one location, the smaller shift); none when no shift does.
std::optional<DifferencePattern> shifted(const ComparedSides& sides,
                                         std::span<const std::int32_t> differing) {
  std::optional<DifferencePattern> best;
  for (const std::int64_t shift : shiftsToTry(sides.size())) {
    ShiftTrial trial(sides, shift);
    if (!trial.explainsDifferences(differing)) continue;
    const std::optional<DifferencePattern> found = trial.pattern();
    if (!found || (best && found->chipAt >= best->chipAt)) continue;
    if (trial.explainsAll()) best = found;
  }
  return best;
}

}  // namespace

bool ComparedSides::chipBlank() const {
  return std::ranges::all_of(chip_, [](std::uint8_t byte) { return byte == kErased; });
}

std::vector<DifferencePattern> differencePatterns(const ComparedSides& sides,
                                                  std::span<const std::int32_t> differing) {
  if (differing.empty()) return {};
  if (sides.chipBlank()) return {{.kind = Kind::Blank}};
  std::vector<DifferencePattern> patterns;
  const bool readsErased = std::ranges::all_of(
      differing, [&](std::int32_t address) { return sides.chip(at(address)) == kErased; });
  if (readsErased && differing.size() >= 2) patterns.push_back({.kind = Kind::BlankWhereData});
  const std::optional<DifferencePattern> shift = shifted(sides, differing);
  if (shift) patterns.push_back(*shift);
  // A line only where the differences show more than FFh, and nothing else
  // explains them.
  if (readsErased || shift) return patterns;
  const std::optional<int> data = dataLine(sides, differing);
  const std::optional<DifferencePattern> address = addressLine(sides, differing);
  if (data && !address) patterns.push_back({.kind = Kind::DataLine, .line = *data});
  if (address && !data) patterns.push_back(*address);
  return patterns;
}
