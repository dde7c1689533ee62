#include "FileOptionValues.h"

#include <optional>
#include <string>

#include "AsciiCase.h"
#include "WholeNumbers.h"

namespace {

constexpr std::int64_t kLargestOffset = 0xFFFFFFFF;

// As users write addresses: decimal, "0x" and hex, or hex and "h"; a sign before it.
constexpr NumberForms kAddressForms{.hexAfter0x = true, .hexBeforeH = true, .sign = true};

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
  if (const std::optional<std::int64_t> value =
          wholeNumberIn(text, -kLargestOffset, kLargestOffset, kAddressForms))
    return *value;
  return Failure{"--offset " + std::string(text) +
                 ": give a whole number, decimal or hex (0xE000, E000h), negative for a ROM "
                 "linked above 0 (-0xE000), of at most 4 GiB"};
}

Expected<std::uint8_t> fillOption(std::string_view text) {
  if (const std::optional<std::uint8_t> value =
          wholeNumberIn<std::uint8_t>(text, 0, 0xFF, kAddressForms))
    return *value;
  return Failure{"--fill " + std::string(text) +
                 ": give one byte, 0 to 255, decimal or hex (0xFF, FFh)"};
}

Expected<std::size_t> waysOption(std::string_view text) {
  if (text == "2") return std::size_t{2};
  if (text == "4") return std::size_t{4};
  return Failure{"--ways " + std::string(text) +
                 ": give 2 (a 16-bit board's two chips) or 4 (a 32-bit board's four)"};
}
