#include "HexRecords.h"

#include <algorithm>
#include <cstring>

#include "HexBlocks.h"
#include "HexDigits.h"

namespace {

inline char* putByte(char* out, unsigned value) {
  return putHexByte(out, static_cast<std::uint8_t>(value));
}

// Header, data and checksum of one record; the checksum makes the sum of all
// the record's bytes 0 modulo 256.
inline char* putRecord(char* out, unsigned type, std::uint16_t address, const std::uint8_t* data,
                       std::size_t count) {
  *out++ = ':';
  unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF) + type;
  out = putByte(out, static_cast<unsigned>(count));
  out = putByte(out, address >> 8);
  out = putByte(out, address & 0xFF);
  out = putByte(out, type);
  for (std::size_t i = 0; i < count; ++i) {
    sum += data[i];
    out = putByte(out, data[i]);
  }
  out = putByte(out, (0x100 - (sum & 0xFF)) & 0xFF);
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

// A record of 16 bytes, the common case: its data as a block, its header
// from fixed characters and the address's digits.
inline char* putFullRecord(char* out, std::uint16_t address, const std::uint8_t* data) {
  std::memcpy(out, ":10", 3);
  putByte(out + 3, address >> 8);
  putByte(out + 5, address & 0xFF);
  std::memcpy(out + 7, "00", 2);
  const unsigned sum = static_cast<unsigned>(kBytesPerRecord) + (address >> 8) + (address & 0xFF) +
                       encodeHexPairs16(data, out + 9);
  putByte(out + 9 + 2 * kBytesPerRecord, (0x100 - (sum & 0xFF)) & 0xFF);
  std::memcpy(out + 11 + 2 * kBytesPerRecord, "\r\n", 2);
  return out + kFullRecordLength;
}

}  // namespace

std::size_t formatExtendedLinearAddress(char* out, std::uint16_t upper) {
  const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                 static_cast<std::uint8_t>(upper & 0xFF)};
  return static_cast<std::size_t>(putRecord(out, 0x04, 0, value, 2) - out);
}

std::size_t formatRecords(const std::uint8_t* bytes, std::uint64_t offset, std::size_t count,
                          char* out) {
  char* const start = out;
  const std::uint8_t* const end = bytes + count;
  while (bytes != end) {
    if (offset % 65536 == 0 && offset != 0) {
      out += formatExtendedLinearAddress(out, static_cast<std::uint16_t>(offset >> 16));
    }
    const auto address = static_cast<std::uint16_t>(offset & 0xFFFF);
    // Up to the next 64 KiB boundary, or the end, in full records.
    const std::size_t fullRecords =
        std::min<std::size_t>(static_cast<std::size_t>(end - bytes), 65536 - address) /
        kBytesPerRecord;
    for (std::size_t i = 0; i < fullRecords; ++i) {
      out = putFullRecord(out, static_cast<std::uint16_t>(address + i * kBytesPerRecord), bytes);
      bytes += kBytesPerRecord;
    }
    offset += fullRecords * kBytesPerRecord;
    if (fullRecords == 0) {  // the input's last 1 to 15 bytes
      const auto tail = static_cast<std::size_t>(end - bytes);
      out = putRecord(out, 0x00, address, bytes, tail);
      bytes = end;
    }
  }
  return static_cast<std::size_t>(out - start);
}
