#pragma once
// Whole numbers as users type them: the whole text is the number, nothing
// before or after it. Each caller says which forms it takes and refuses the
// others in its own words.

#include <concepts>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

// The forms a number may take besides decimal digits.
struct NumberForms {
  bool hexAfter0x = false;    // "0xE000", "0XE000"
  bool hexBeforeH = false;    // "E000h", "E000H"
  bool sign = false;          // "-" or "+" before it: "-0xE000", "+16"
  bool blanksAround = false;  // " 888 ", as a text box may hold it
};

// `text` without the blanks before and after it.
[[nodiscard]] std::string_view withoutBlanks(std::string_view text);

// `text` as digits of `base` and nothing else: "0378" in base 16 is 378h.
[[nodiscard]] std::optional<std::uint64_t> digitsValue(std::string_view text, int base = 10);

// `text` as decimal digits, or in one of `forms`.
[[nodiscard]] std::optional<std::int64_t> wholeNumber(std::string_view text,
                                                      NumberForms forms = {});

// The same, from `lowest` to `highest`.
template <std::integral T>
[[nodiscard]] std::optional<T> wholeNumberIn(std::string_view text, T lowest, T highest,
                                             NumberForms forms = {}) {
  const std::optional<std::int64_t> value = wholeNumber(text, forms);
  if (!value || std::cmp_less(*value, lowest) || std::cmp_greater(*value, highest))
    return std::nullopt;
  return static_cast<T>(*value);
}
