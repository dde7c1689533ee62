#include "ImageFileFormats.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "AsciiCase.h"
#include "IntelHexReader.h"
#include "SRecordReader.h"

namespace {

bool isHexDigit(std::uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The `count` characters from `from` on are there and all hex digits.
bool hexDigitsAt(const std::uint8_t* from, const std::uint8_t* end, std::size_t count) {
  return static_cast<std::size_t>(end - from) >= count &&
         std::all_of(from, from + count, isHexDigit);
}

// The file name's extension folded to lower case; empty when it has none.
std::string extensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return asciiLower(name.substr(dot + 1));
}

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that
// starts none.
std::size_t utf8Length(std::uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool isText(std::span<const std::uint8_t> bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t c = bytes[i];
    if ((c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1A) {
      ++i;
      continue;
    }
    const std::size_t length = utf8Length(c);
    if (length == 0 || bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

ImageFileFormat recognizeFormat(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* const end = data + size;
  const std::uint8_t* p = data;
  if (size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
  const std::span<const std::uint8_t> text(p, end);
  while (p != end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  if (p == end) return ImageFileFormat::Binary;
  if (*p == ':' && (hexDigitsAt(p + 1, end, 10) || isText(text))) {
    return ImageFileFormat::IntelHex;
  }
  if (*p == 'S' && end - p >= 2 && p[1] >= '0' && p[1] <= '9' &&
      (hexDigitsAt(p + 2, end, 8) || isText(text))) {
    return ImageFileFormat::SRecords;
  }
  return ImageFileFormat::Binary;
}

Expected<AddressedData> readAddressedData(const std::uint8_t* data, std::size_t size,
                                          ImageFileFormat format) {
  switch (format) {
    case ImageFileFormat::IntelHex:
      return readIntelHex(data, size);
    case ImageFileFormat::SRecords:
      return readSRecords(data, size);
    case ImageFileFormat::Binary:
      break;
  }
  AddressedData binary;
  binary.add(0, data, size, 0);
  return binary;
}

bool nameSaysBinary(std::string_view name) {
  const std::string extension = extensionOf(name);
  return extension == "bin" || extension == "rom";
}

std::optional<ImageFileFormat> recognizeImageFile(std::string_view name, const std::uint8_t* data,
                                                  std::size_t size) {
  const ImageFileFormat format = recognizeFormat(data, size);
  if (format != ImageFileFormat::Binary || size == 0 || nameSaysBinary(name)) return format;
  if (isText({data, size})) return std::nullopt;
  return format;
}

ImageFileFormat formatForFileName(std::string_view name) {
  const std::string extension = extensionOf(name);
  for (const char* hex : {"hex", "ihx", "ihex"}) {
    if (extension == hex) return ImageFileFormat::IntelHex;
  }
  for (const char* srec : {"s19", "s28", "s37", "srec", "mot"}) {
    if (extension == srec) return ImageFileFormat::SRecords;
  }
  return ImageFileFormat::Binary;
}
