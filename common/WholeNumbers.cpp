#include "WholeNumbers.h"

#include <charconv>
#include <limits>

std::string_view withoutBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::uint64_t> digitsValue(std::string_view text, int base) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

std::optional<std::int64_t> wholeNumber(std::string_view text, NumberForms forms) {
  if (forms.blanksAround) text = withoutBlanks(text);
  const bool negative = forms.sign && text.starts_with('-');
  if (forms.sign && (text.starts_with('-') || text.starts_with('+'))) text.remove_prefix(1);
  int base = 10;
  if (forms.hexAfter0x && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  } else if (forms.hexBeforeH && text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
    text.remove_suffix(1);
    base = 16;
  }
  const std::optional<std::uint64_t> digits = digitsValue(text, base);
  if (!digits || *digits > std::numeric_limits<std::int64_t>::max()) return std::nullopt;
  const auto value = static_cast<std::int64_t>(*digits);
  return negative ? -value : value;
}
