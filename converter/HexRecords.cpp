#include "HexRecords.h"

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

}  // namespace

std::size_t formatDataRecord(char* out, std::uint16_t address, const std::uint8_t* data,
                             std::size_t count) {
  return static_cast<std::size_t>(putRecord(out, 0x00, address, data, count) - out);
}

std::size_t formatExtendedLinearAddress(char* out, std::uint16_t upper) {
  const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                 static_cast<std::uint8_t>(upper & 0xFF)};
  return static_cast<std::size_t>(putRecord(out, 0x04, 0, value, 2) - out);
}

std::size_t formatRecords(const std::uint8_t* image, std::uint64_t begin, std::uint64_t end,
                          char* out) {
  char* const start = out;
  std::uint64_t offset = begin;
  while (offset < end) {
    if (offset % 65536 == 0 && offset != 0) {
      out += formatExtendedLinearAddress(out, static_cast<std::uint16_t>(offset >> 16));
    }
    const auto address = static_cast<std::uint16_t>(offset & 0xFFFF);
    if (end - offset >= kBytesPerRecord) {
      // The constant count lets the compiler unroll the common case.
      out = putRecord(out, 0x00, address, image + offset, kBytesPerRecord);
      offset += kBytesPerRecord;
    } else {
      out = putRecord(out, 0x00, address, image + offset, end - offset);
      offset = end;
    }
  }
  return static_cast<std::size_t>(out - start);
}
