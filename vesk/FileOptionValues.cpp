#include "FileOptionValues.h"

#include <charconv>
#include <optional>
#include <string>

#include "AsciiCase.h"

namespace {

constexpr std::int64_t kLargestOffset = 0xFFFFFFFF;

// A number as users write addresses: decimal, "0x" and hex, or hex and "h";
// a sign before it. Nothing else before or after.
std::optional<std::int64_t> addressNumber(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
    text.remove_suffix(1);
    base = 16;
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
    return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

Expected<ImageFileFormat> imageFileFormatOption(std::string_view text) {
  const std::string name = asciiLower(text);
  if (name == "bin") return ImageFileFormat::Binary;
  if (name == "ihex") return ImageFileFormat::IntelHex;
  if (name == "srec") return ImageFileFormat::SRecords;
  return Failure{"--format " + std::string(text) +
                 ": give bin (raw binary), ihex (Intel HEX) or srec (S-records)"};
}

Expected<std::int64_t> offsetOption(std::string_view text) {
  const std::optional<std::int64_t> value = addressNumber(text);
  if (value && *value >= -kLargestOffset && *value <= kLargestOffset) return *value;
  return Failure{"--offset " + std::string(text) +
                 ": give a whole number, decimal or hex (0xE000, E000h), negative for a ROM "
                 "linked above 0 (-0xE000), of at most 4 GiB"};
}

Expected<std::uint8_t> fillOption(std::string_view text) {
  const std::optional<std::int64_t> value = addressNumber(text);
  if (value && *value >= 0 && *value <= 0xFF) return static_cast<std::uint8_t>(*value);
  return Failure{"--fill " + std::string(text) +
                 ": give one byte, 0 to 255, decimal or hex (0xFF, FFh)"};
}

Expected<std::size_t> waysOption(std::string_view text) {
  if (text == "2") return std::size_t{2};
  if (text == "4") return std::size_t{4};
  return Failure{"--ways " + std::string(text) +
                 ": give 2 (a 16-bit board's two chips) or 4 (a 32-bit board's four)"};
}
