#include "RomListLines.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// The markup characters as entities; tab and line ends as character
// references, for a reader would turn them into blanks.
constexpr std::pair<char, std::string_view> kXmlEscapes[] = {
    {'&', "&amp;"},   {'<', "&lt;"},  {'>', "&gt;"},   {'"', "&quot;"},
    {'\'', "&apos;"}, {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"}};

std::string_view romName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Lower-case hex of at least `digits` digits, as MAME writes offsets and sizes.
std::string lowerCaseHex(std::size_t value, std::size_t digits) {
  char buffer[20];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
  std::string text(buffer, end);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

std::string cStringLiteral(std::string_view text) {
  std::string literal = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      // Three octal digits: unlike \x, they never take in a digit after them.
      literal += {'\\', static_cast<char>('0' + (byte >> 6)),
                  static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
    } else {
      literal += c;
    }
  }
  return literal + '"';
}

// The length of the well-formed UTF-8 sequence of a character XML allows at
// the start of `text`, which starts with a byte of 80h or more; 0 if none.
std::size_t xmlCharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  unsigned low = 0x80;   // the second byte's range; overlong forms and
  unsigned high = 0xBF;  // surrogates are outside it
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) return 0;
  }
  // U+FFFE and U+FFFF are no characters to XML.
  if (text.substr(0, 3) == "\xEF\xBF\xBE" || text.substr(0, 3) == "\xEF\xBF\xBF") return 0;
  return length;
}

// An attribute's value: kXmlEscapes, and what XML cannot hold at all (other
// control characters, bytes that are no UTF-8) as U+FFFD.
std::string xmlAttributeValue(std::string_view text) {
  std::string value;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      const std::size_t length = xmlCharacterLength(text.substr(i));
      value += length == 0 ? kReplacementCharacter : text.substr(i, length);
      i += length == 0 ? 1 : length;
      continue;
    }
    ++i;
    const auto escape = std::find_if(std::begin(kXmlEscapes), std::end(kXmlEscapes),
                                     [c](const auto& entry) { return entry.first == c; });
    if (escape != std::end(kXmlEscapes))
      value += escape->second;
    else if (byte < 0x20)
      value += kReplacementCharacter;
    else
      value += c;
  }
  return value;
}

}  // namespace

std::string mameRomLoadLine(std::string_view path, std::size_t size, const ImageHashes& hashes) {
  return "ROM_LOAD( " + cStringLiteral(romName(path)) + ", 0x000000, 0x" + lowerCaseHex(size, 6) +
         ", CRC(" + hashes.crc32 + ") SHA1(" + hashes.sha1 + ") )";
}

std::string datRomLine(std::string_view path, std::size_t size, const ImageHashes& hashes) {
  return "<rom name=\"" + xmlAttributeValue(romName(path)) + "\" size=\"" + std::to_string(size) +
         "\" crc=\"" + hashes.crc32 + "\" sha1=\"" + hashes.sha1 + "\"/>";
}
