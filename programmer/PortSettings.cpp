#include "PortSettings.h"

#include <charconv>
#include <cstdio>

std::optional<std::int16_t> parseLptBase(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < kLowestLptBase || value > kHighestLptBase) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::string baseAddressText(std::int16_t base) {
  char text[32];
  std::snprintf(text, sizeof text, "%d (%Xh)", base, static_cast<unsigned>(base) & 0xFFFFu);
  return text;
}
