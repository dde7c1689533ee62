#include "RecordLines.h"

#include <cstring>
#include <numeric>

#include "HexDigits.h"

namespace {

constexpr char kCtrlZ = '\x1A';

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == kCtrlZ;
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A character for a message: 'G', or its code when it does not print.
std::string describe(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code >= 0x20 && code < 0x7F) return std::string("'") + c + "'";
  return "the byte 0x" + hexByteText(code).substr(0, 2);
}

}  // namespace

RecordLines::RecordLines(const std::uint8_t* text, std::size_t size)
    : at_(reinterpret_cast<const char*>(text)), end_(at_ + size) {
  if (size >= 3 && std::memcmp(at_, "\xEF\xBB\xBF", 3) == 0) at_ += 3;
}

bool RecordLines::next() {
  while (at_ != end_) {
    const char* lineEnd =
        static_cast<const char*>(std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_)));
    if (lineEnd == nullptr) lineEnd = end_;
    const char* first = at_;
    const char* last = lineEnd;
    while (first != last && isBlank(*first)) ++first;
    while (last != first && isBlank(last[-1])) --last;
    ++linesPassed_;
    const std::size_t column = static_cast<std::size_t>(first - at_) + 1;
    at_ = lineEnd == end_ ? end_ : lineEnd + 1;
    if (first != last) {
      text_ = {first, static_cast<std::size_t>(last - first)};
      number_ = linesPassed_;
      firstColumn_ = column;
      return true;
    }
  }
  return false;
}

Failure lineFailure(std::size_t line, const std::string& what) {
  return {"line " + std::to_string(line) + ": " + what};
}

Expected<> decodeHexBytes(std::string_view digits, std::size_t column,
                          std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (hexDigitValue(digits[i]) < 0) {
      return Failure{describe(digits[i]) + " in column " + std::to_string(column + i) +
                     " is not a hex digit"};
    }
  }
  if (digits.size() % 2 != 0) return Failure{"the record has an odd number of hex digits"};
  bytes.resize(digits.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(hexDigitValue(digits[2 * i]) << 4 |
                                         hexDigitValue(digits[2 * i + 1]));
  }
  return {};
}

Expected<> checkChecksum(std::span<const std::uint8_t> record,
                         std::uint8_t (*checksumOf)(std::uint8_t sum)) {
  const auto sum = static_cast<std::uint8_t>(std::accumulate(record.begin(), record.end() - 1, 0u));
  const std::uint8_t expected = checksumOf(sum);
  if (record.back() == expected) return {};
  return Failure{"bad checksum: the record says " + hexByteText(record.back()) +
                 ", its bytes give " + hexByteText(expected)};
}

std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

std::string hexByteText(std::uint8_t value) {
  char digits[2];
  putHexByte(digits, value);
  return std::string(digits, 2) + "h";
}

std::string hexNumber(std::int64_t value) {
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits;
  for (std::uint64_t rest = magnitude; digits.empty() || rest != 0; rest >>= 4) {
    digits.insert(digits.begin(), "0123456789ABCDEF"[rest & 0xF]);
  }
  return (negative ? "-0x" : "0x") + digits;
}
