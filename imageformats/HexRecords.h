#pragma once

#include <cstddef>
#include <cstdint>

// Intel HEX records as zeza writes them: upper-case digits, CR LF line ends,
// 16 data bytes per record, and an extended linear address record (type 04)
// before every 64 KiB segment after the first, so that files of up to
// 65,536 bytes carry nothing but data records and the end record.

inline constexpr std::size_t kBytesPerRecord = 16;
inline constexpr std::size_t kFullRecordLength = 45;  // ":10AAAA00" + 32 digits + checksum + CR LF
inline constexpr std::size_t kAddressRecordLength = 17;
inline constexpr char kEndOfFileRecord[] = ":00000001FF\r\n";
inline constexpr std::size_t kEndOfFileRecordLength = sizeof(kEndOfFileRecord) - 1;

// The type-04 record that makes `upper` the high 16 bits of the addresses after it.
std::size_t formatExtendedLinearAddress(char* out, std::uint16_t upper);

// The records for the `count` bytes at `bytes`, the first of which stands at
// `offset` in the input. `offset` must be a multiple of 16, and only the
// input's last block may hold a count that is not. Returns the characters
// written; `out` needs hexTextBound(count) of room.
std::size_t formatRecords(const std::uint8_t* bytes, std::uint64_t offset, std::size_t count,
                          char* out);

// The exact length of the HEX file that an input of `size` bytes gives: its
// full records, a shorter one for a tail of 1 to 15 bytes, a type-04 record
// at each 64 KiB boundary that data follow, and the end record.
constexpr std::uint64_t hexFileLength(std::uint64_t size) {
  const std::uint64_t tail = size % kBytesPerRecord;
  return size / kBytesPerRecord * kFullRecordLength + (tail > 0 ? 13 + 2 * tail : 0) +
         (size > 0 ? (size - 1) / 65536 * kAddressRecordLength : 0) + kEndOfFileRecordLength;
}

// Room enough for the records of `bytes` input bytes starting on a record boundary.
constexpr std::size_t hexTextBound(std::size_t bytes) {
  return (bytes / kBytesPerRecord + 1) * kFullRecordLength +
         (bytes / 65536 + 1) * kAddressRecordLength;
}
