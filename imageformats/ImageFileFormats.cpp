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

bool isText(const std::uint8_t* from, const std::uint8_t* end) {
  return std::all_of(from, end, [](std::uint8_t c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r' || c == 0x1A;
  });
}

}  // namespace

ImageFileFormat recognizeFormat(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* const end = data + size;
  const std::uint8_t* p = data;
  if (size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
  const std::uint8_t* const text = p;
  while (p != end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  if (p == end) return ImageFileFormat::Binary;
  if (*p == ':' && (hexDigitsAt(p + 1, end, 10) || isText(text, end))) {
    return ImageFileFormat::IntelHex;
  }
  if (*p == 'S' && end - p >= 2 && p[1] >= '0' && p[1] <= '9' &&
      (hexDigitsAt(p + 2, end, 8) || isText(text, end))) {
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

ImageFileFormat formatForFileName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return ImageFileFormat::Binary;
  }
  const std::string extension = asciiLower(name.substr(dot + 1));
  for (const char* hex : {"hex", "ihx", "ihex"}) {
    if (extension == hex) return ImageFileFormat::IntelHex;
  }
  for (const char* srec : {"s19", "s28", "s37", "srec", "mot"}) {
    if (extension == srec) return ImageFileFormat::SRecords;
  }
  return ImageFileFormat::Binary;
}
