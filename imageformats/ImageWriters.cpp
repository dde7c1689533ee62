#include "ImageWriters.h"

#include <algorithm>
#include <tuple>

#include "HexDigits.h"
#include "HexRecords.h"

namespace {

constexpr std::size_t kSRecordBytes = 16;
constexpr std::size_t kMaxHeaderBytes =
    252;  // the count byte holds 2 address bytes + data + checksum

// One S-record: its type, count, address in `addressBytes` bytes, data and
// checksum, the ones' complement of the sum of count, address and data.
void putSRecord(std::string& out, char type, std::uint32_t address, std::size_t addressBytes,
                const std::uint8_t* data, std::size_t count) {
  char digits[2];
  const auto put = [&](unsigned value) {
    putHexByte(digits, static_cast<std::uint8_t>(value));
    out.append(digits, 2);
  };
  out += 'S';
  out += type;
  unsigned sum = static_cast<unsigned>(addressBytes + count + 1);
  put(sum);
  for (std::size_t shift = addressBytes * 8; shift > 0; shift -= 8) {
    const unsigned byte = address >> (shift - 8) & 0xFF;
    sum += byte;
    put(byte);
  }
  for (std::size_t i = 0; i < count; ++i) {
    sum += data[i];
    put(data[i]);
  }
  put(~sum & 0xFF);
  out += "\r\n";
}

}  // namespace

std::string intelHexText(const std::uint8_t* bytes, std::size_t size) {
  std::string text(hexTextBound(size), '\0');
  text.resize(formatRecords(bytes, 0, size, text.data()));
  return text + kEndOfFileRecord;
}

std::string sRecordText(const std::uint8_t* bytes, std::size_t size, std::string_view header,
                        bool withCount) {
  // The data record's type and address length, and the end record's type.
  const auto [dataType, addressBytes, endType] = size <= 0x10000     ? std::tuple{'1', 2u, '9'}
                                                 : size <= 0x1000000 ? std::tuple{'2', 3u, '8'}
                                                                     : std::tuple{'3', 4u, '7'};
  std::string text;
  text.reserve((size / kSRecordBytes + 4) * (12 + 2 * addressBytes + 2 * kSRecordBytes));
  putSRecord(text, '0', 0, 2, reinterpret_cast<const std::uint8_t*>(header.data()),
             std::min(header.size(), kMaxHeaderBytes));
  std::size_t records = 0;
  for (std::size_t at = 0; at < size; at += kSRecordBytes, ++records) {
    putSRecord(text, dataType, static_cast<std::uint32_t>(at), addressBytes, bytes + at,
               std::min(kSRecordBytes, size - at));
  }
  if (withCount) {
    if (records <= 0xFFFF) {
      putSRecord(text, '5', static_cast<std::uint32_t>(records), 2, nullptr, 0);
    } else if (records <= 0xFFFFFF) {
      putSRecord(text, '6', static_cast<std::uint32_t>(records), 3, nullptr, 0);
    }
  }
  putSRecord(text, endType, 0, addressBytes, nullptr, 0);
  return text;
}
