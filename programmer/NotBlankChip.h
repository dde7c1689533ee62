#pragma once
// What a chip that failed its blank check holds, from one read of it made
// after the check: how many locations are not FFh, where they lie, and a
// pattern that explains them when the data show one.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The patterns a chip that is not blank can show:
//   LinesLow    every location reads one byte, with one or two bits 0: those
//               data lines are stuck low or not connected, which erasing
//               will not help;
//   OneValue    every location reads one byte, with more bits 0;
//   SingleBits  the locations that are not FFh are not all of them, and each
//               holds a single 0 bit: what an erase too short leaves.
enum class NotBlankPatternKind { LinesLow, OneValue, SingleBits };

struct NotBlankPattern {
  NotBlankPatternKind kind = NotBlankPatternKind::OneValue;
  std::uint8_t value = 0;  // LinesLow, OneValue: the byte every location reads
  bool operator==(const NotBlankPattern&) const = default;
};

struct NotBlankChip {
  std::int32_t locations = 0;                   // that do not read FFh
  std::int32_t lowest = -1, highest = -1;       // the first and the last of them
  std::optional<NotBlankPattern> pattern = {};  // when the data show one
  bool operator==(const NotBlankChip&) const = default;
};

NotBlankChip describeNotBlank(std::span<const std::uint8_t> chip);

// The pattern's name in results and JSON: "lines-low", "one-value", "single-bits".
const char* notBlankPatternName(NotBlankPatternKind kind);

// The pattern in one plain line: "every location reads F7: data line D3
// stuck low, or not connected: erasing will not help".
std::string notBlankPatternText(const NotBlankPattern& pattern);
