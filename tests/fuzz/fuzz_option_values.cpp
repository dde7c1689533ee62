// Arbitrary text as the value of one of vesk's options, or as a whole number
// in some of its forms; the input's first byte says which, the rest is the
// text. Whatever the text, it is refused in a sentence that names the
// option and the text, or read to a value in the option's range that,
// printed back in each form the option takes, reads back to the same
// value; a value taken in one case is taken in any, and with anything after
// or before it, it is refused.
#include <string>
#include <vector>

#include "AsciiCase.h"
#include "FileOptionValues.h"
#include "FuzzCheck.h"
#include "OptionValues.h"
#include "PortSettings.h"
#include "WholeNumbers.h"

namespace {

std::string hexDigits(std::uint64_t value, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  do text.insert(text.begin(), digits[value & 0xF]);
  while ((value >>= 4) != 0);
  return text;
}

// `value` in each form that `forms` allows, decimal first.
std::vector<std::string> formsOf(std::int64_t value, NumberForms forms) {
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::string sign = value < 0 ? "-" : "";
  std::vector<std::string> texts = {sign + std::to_string(magnitude)};
  for (const bool upper : {false, true}) {
    if (forms.hexAfter0x)
      texts.push_back(sign + (upper ? "0X" : "0x") + hexDigits(magnitude, upper));
    if (forms.hexBeforeH) texts.push_back(sign + hexDigits(magnitude, upper) + (upper ? "H" : "h"));
  }
  if (forms.sign && value >= 0) texts.push_back("+" + texts.front());
  if (forms.blanksAround) texts.push_back("  " + texts.front() + " ");
  return texts;
}

// Each text reads to `value` by `read`.
template <class Read, class T>
void requireEach(Read read, const std::vector<std::string>& texts, T value, std::string_view rule) {
  for (const std::string& text : texts) {
    const auto again = read(text);
    require(again && *again == value, rule, text);
  }
}

// A value taken is taken in upper and lower case, and refused with junk
// around it; a refusal names the option and the text.
template <class Read>
void requireWhole(Read read, std::string_view text, std::string_view option) {
  const auto value = read(text);
  if (!value) {
    require(value.error().starts_with(std::string(option) + " " + std::string(text)),
            "a refusal names the option and the text", value.error());
    return;
  }
  for (const std::string& cased : {asciiUpper(text), asciiLower(text)}) {
    const auto again = read(cased);
    require(again && *again == *value, "a value in any case is the same", cased);
  }
  for (const std::string& junk : {std::string(text) + "g", "g" + std::string(text),
                                  std::string(text) + "\t", std::string(text) + "."}) {
    require(!read(junk), "a value with anything after or before it is refused", junk);
  }
}

constexpr NumberForms kAddressForms{.hexAfter0x = true, .hexBeforeH = true, .sign = true};

void checkOffset(std::string_view text) {
  requireWhole(offsetOption, text, "--offset");
  if (const Expected<std::int64_t> offset = offsetOption(text)) {
    require(*offset >= -0xFFFFFFFFLL && *offset <= 0xFFFFFFFFLL, "an offset is at most 4 GiB");
    requireEach(offsetOption, formsOf(*offset, kAddressForms), *offset,
                "an offset printed back reads the same");
  }
}

void checkFill(std::string_view text) {
  requireWhole(fillOption, text, "--fill");
  if (const Expected<std::uint8_t> fill = fillOption(text))
    requireEach(fillOption, formsOf(*fill, kAddressForms), *fill,
                "a fill printed back reads the same");
}

void checkPort(std::string_view text) {
  requireWhole(portOption, text, "--port");
  const Expected<std::int16_t> port = portOption(text);
  if (!port) {
    if (port.error().find("is ambiguous") == std::string::npos)
      require(!parsePort(text), "a port refused as such is no port at all", text);
    return;
  }
  require(*port >= kLowestLptBase && *port <= kHighestLptBase, "a port in the Options' range");
  require(parsePort(text) == *port, "--port reads a port as the settings do");
  const auto magnitude = static_cast<std::uint64_t>(*port);
  requireEach(
      portOption,
      {baseAddressHex(*port), "0x" + hexDigits(magnitude, false), hexDigits(magnitude, true) + "H"},
      *port, "a port printed back in hex reads the same");
  const std::string decimal = std::to_string(*port);
  const Expected<std::int16_t> again = portOption(decimal);
  const bool looksLikeLpt = *port == 378 || *port == 278;  // LPT1's and LPT2's hex digits
  require(looksLikeLpt ? !again && again.error().find("is ambiguous") != std::string::npos
                       : again && *again == *port,
          "a port printed back in decimal reads the same, unless it reads as LPT1's or LPT2's",
          decimal);
}

template <class T>
void checkWhole(Expected<T> (*read)(std::string_view), std::string_view text,
                std::string_view option, T lowest, T highest) {
  requireWhole(read, text, option);
  if (const Expected<T> value = read(text)) {
    require(*value >= lowest && *value <= highest, "a number in its option's range", text);
    requireEach(read, {std::to_string(*value)}, *value, "a number printed back reads the same");
  }
}

void checkPulse(std::string_view text) {
  const Expected<std::chrono::microseconds> pulse = pulseOption(text);
  if (!pulse) {
    require(pulse.error().starts_with("--pulse " + std::string(text)),
            "a refusal names the option and the text", pulse.error());
    return;
  }
  require(pulse->count() == 0 || (*pulse >= kShortestPulse && *pulse <= kLongestPulse),
          "a pulse is 0 or from 0.05 to 5 ms");
  const long micro = pulse->count();
  std::string decimals = std::to_string(1000 + micro % 1000).substr(1);
  std::vector<std::string> texts = {std::to_string(micro / 1000) + "." + decimals};
  while (decimals.ends_with('0')) decimals.pop_back();
  texts.push_back(std::to_string(micro / 1000) + (decimals.empty() ? "" : "." + decimals));
  requireEach(pulseOption, texts, *pulse, "a pulse printed back reads the same");
  for (const std::string& junk : {std::string(text) + "0001", " " + std::string(text)})
    require(!pulseOption(junk), "a pulse of more than three decimals, or with blanks, is refused",
            junk);
}

void checkAlgorithm(std::string_view text) {
  const Expected<ProgrammingAlgorithm> algorithm = algorithmOption(text);
  if (!algorithm) {
    require(algorithm.error().starts_with("--algorithm " + std::string(text)),
            "a refusal names the option and the text", algorithm.error());
    return;
  }
  requireEach(algorithmOption, {algorithmName(*algorithm)}, *algorithm,
              "an algorithm named back reads the same");
}

void checkChipType(std::string_view text) {
  const Expected<const ChipPart*> part = chipTypeOption(text);
  if (!part) {
    require(part.error().find("'" + std::string(text) + "'") != std::string::npos ||
                part.error().starts_with("type " + std::string(text)),
            "a refusal names the text", part.error());
    return;
  }
  for (const std::string& cased : {asciiUpper(text), asciiLower(text)}) {
    const Expected<const ChipPart*> again = chipTypeOption(cased);
    require(again && *again == *part, "a part's name in any case is the same part", cased);
  }
  for (const char* name : (*part)->names) {
    if (name == nullptr) continue;
    const Expected<const ChipPart*> again = chipTypeOption(name);
    require(again && *again == *part, "each name of the part chosen is that part", name);
    const Expected<const ChipPart*> suffixed = chipTypeOption(std::string(name) + "-10");
    require(suffixed && *suffixed == *part, "a name with a speed suffix is the part", name);
  }
}

void checkFormat(std::string_view text) {
  const Expected<ImageFileFormat> format = imageFileFormatOption(text);
  if (!format) {
    require(format.error().starts_with("--format " + std::string(text)),
            "a refusal names the option and the text", format.error());
    return;
  }
  const std::string name = asciiLower(text);
  require(name == "bin" || name == "ihex" || name == "srec", "a format is one of three names");
}

void checkWays(std::string_view text) {
  const Expected<std::size_t> ways = waysOption(text);
  require(ways ? (text == "2" || text == "4") && *ways == std::stoul(std::string(text))
               : ways.error().starts_with("--ways " + std::string(text)),
          "--ways is 2 or 4, or refused naming it");
}

// A whole number in the forms the input's first byte gives.
void checkWholeNumber(std::string_view text, unsigned formBits) {
  const NumberForms forms{.hexAfter0x = (formBits & 1) != 0,
                          .hexBeforeH = (formBits & 2) != 0,
                          .sign = (formBits & 4) != 0,
                          .blanksAround = (formBits & 8) != 0};
  const std::optional<std::int64_t> value = wholeNumber(text, forms);
  if (!value) return;
  require(forms.sign || (*value >= 0 && !text.starts_with('+') && !text.starts_with('-')),
          "a sign only where signs are taken", text);
  require(forms.blanksAround || text.find(' ') == std::string_view::npos,
          "blanks only where blanks are taken", text);
  const auto read = [&](std::string_view again) { return wholeNumber(again, forms); };
  for (const std::string& printed : formsOf(*value, forms))
    require(read(printed) == *value, "a number printed back reads the same", printed);
  for (const std::string& junk : {std::string(text) + "g", "g" + std::string(text)})
    require(!read(junk), "a number with anything after or before it is refused", junk);
  for (const std::string& cased : {asciiUpper(text), asciiLower(text)})
    require(read(cased) == *value, "a number in any case is the same", cased);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const unsigned which = input[0] & 0xF, formBits = input[0] >> 4;
  const std::string_view text(reinterpret_cast<const char*>(input) + 1, size - 1);
  switch (which) {
    case 0:
      return checkOffset(text), 0;
    case 1:
      return checkFill(text), 0;
    case 2:
      return checkPort(text), 0;
    case 3:
      return checkWhole(ioDelayOption, text, "--io-delay", 0, kHighestIoDelay), 0;
    case 4:
      return checkPulse(text), 0;
    case 5:
      return checkWhole(maxPulsesOption, text, "--max-pulses", 1, kMostPulses), 0;
    case 6:
      return checkWhole(passesOption, text, "--passes", 1, kMostPasses), 0;
    case 7:
      return checkAlgorithm(text), 0;
    case 8:
      return checkChipType(text), 0;
    case 9:
      return checkFormat(text), 0;
    case 10:
      return checkWays(text), 0;
    default:
      return checkWholeNumber(text, formBits), 0;
  }
}
