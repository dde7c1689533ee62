#include "NotBlankChip.h"

#include <algorithm>
#include <bit>

#include "HexText.h"

namespace {

constexpr std::uint8_t kErased = 0xFF;

// Data lines that read 0 at every location of a chip that reads one byte
// everywhere are stuck or open; more than two at once look rather like a
// chip programmed with one value throughout.
constexpr int kMostLinesLow = 2;

std::optional<NotBlankPattern> patternOf(std::span<const std::uint8_t> chip,
                                         const NotBlankChip& facts) {
  const std::uint8_t first = chip.front();
  if (std::ranges::all_of(chip, [&](std::uint8_t byte) { return byte == first; })) {
    const int low = std::popcount(static_cast<unsigned>(~first & 0xFFU));
    return NotBlankPattern{
        low <= kMostLinesLow ? NotBlankPatternKind::LinesLow : NotBlankPatternKind::OneValue,
        first};
  }
  const bool singleBits =
      static_cast<std::size_t>(facts.locations) < chip.size() &&
      std::ranges::all_of(chip, [](std::uint8_t byte) {
        return byte == kErased || std::has_single_bit(static_cast<unsigned>(~byte & 0xFFU));
      });
  if (singleBits) return NotBlankPattern{NotBlankPatternKind::SingleBits};
  return std::nullopt;
}

// "D3", "D3 and D5": the lines that read 0 in `value`.
std::string linesLow(std::uint8_t value) {
  std::string text;
  for (int line = 0; line < 8; ++line) {
    if ((value >> line) & 1) continue;
    if (!text.empty()) text += " and ";
    text += 'D';
    text += static_cast<char>('0' + line);
  }
  return text;
}

}  // namespace

NotBlankChip describeNotBlank(std::span<const std::uint8_t> chip) {
  NotBlankChip facts;
  for (std::size_t at = 0; at < chip.size(); ++at) {
    if (chip[at] == kErased) continue;
    const auto location = static_cast<std::int32_t>(at);
    if (facts.locations++ == 0) facts.lowest = location;
    facts.highest = location;
  }
  if (facts.locations > 0) facts.pattern = patternOf(chip, facts);
  return facts;
}

const char* notBlankPatternName(NotBlankPatternKind kind) {
  switch (kind) {
    case NotBlankPatternKind::LinesLow:
      return "lines-low";
    case NotBlankPatternKind::SingleBits:
      return "single-bits";
    case NotBlankPatternKind::OneValue:
      break;
  }
  return "one-value";
}

std::string notBlankPatternText(const NotBlankPattern& pattern) {
  std::string everywhere = "every location reads " + Byte_To_Hex_String(pattern.value);
  switch (pattern.kind) {
    case NotBlankPatternKind::LinesLow: {
      const bool one = std::popcount(static_cast<unsigned>(~pattern.value & 0xFFU)) == 1;
      return everywhere + ": data line" + (one ? " " : "s ") + linesLow(pattern.value) +
             " stuck low, or not connected: erasing will not help";
    }
    case NotBlankPatternKind::SingleBits:
      return "each holds a single 0 bit: not erased long enough?";
    case NotBlankPatternKind::OneValue:
      break;
  }
  return everywhere;
}
