#include "IntelHexReader.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "RecordLines.h"

namespace {

// Length, two address bytes, type and checksum.
constexpr std::size_t kFrameBytes = 5;

// The record types.
constexpr std::uint8_t kData = 0x00;
constexpr std::uint8_t kEnd = 0x01;
constexpr std::uint8_t kExtendedSegmentAddress = 0x02;
constexpr std::uint8_t kStartSegmentAddress = 0x03;
constexpr std::uint8_t kExtendedLinearAddress = 0x04;
constexpr std::uint8_t kStartLinearAddress = 0x05;

// One record, its frame checked.
struct IntelHexRecord {
  std::uint8_t type;
  std::uint16_t offset;  // the address field
  std::span<const std::uint8_t> data;
};

std::uint8_t twosComplement(std::uint8_t sum) {
  return static_cast<std::uint8_t>(0x100 - sum);
}

// The record on the line: the ':' mark, hex digits, a length field that
// gives the data's length, and the checksum. `bytes` receives what the
// digits stand for; the record's data lie there.
Expected<IntelHexRecord> decodeRecord(const RecordLines& line, std::vector<std::uint8_t>& bytes) {
  const std::string_view text = line.text();
  if (text.front() != ':') return Failure{"not an Intel HEX record (no ':' at its start)"};
  if (Expected<> decoded = decodeHexBytes(text.substr(1), line.firstColumn() + 1, bytes); !decoded)
    return Failure{decoded.error()};
  if (bytes.size() < kFrameBytes) return Failure{"the record is cut short"};
  const std::size_t length = bytes[0];
  if (bytes.size() != kFrameBytes + length) {
    return Failure{"the length field gives " + std::to_string(length) +
                   " data bytes, the record holds " + std::to_string(bytes.size() - kFrameBytes)};
  }
  if (Expected<> summed = checkChecksum(bytes, twosComplement); !summed)
    return Failure{summed.error()};
  return IntelHexRecord{bytes[3], static_cast<std::uint16_t>(bigEndian(&bytes[1], 2)),
                        std::span(bytes).subspan(4, length)};
}

// What the records put where: the data records under the base that the last
// address record gave.
class IntelHexData {
 public:
  // Takes `record`, from `line`, into `data`; true when it is the end record.
  Expected<bool> take(const IntelHexRecord& record, std::size_t line, AddressedData& data) {
    const std::size_t length = record.data.size();
    switch (record.type) {
      case kData:
        addData(record, line, data);
        return false;
      case kEnd:
        if (length != 0) return Failure{"the end record holds data"};
        return true;
      case kExtendedSegmentAddress:
      case kExtendedLinearAddress:
        if (length != 2)
          return Failure{"an address record holds 2 bytes, this one " + std::to_string(length)};
        segmented_ = record.type == kExtendedSegmentAddress;
        base_ = static_cast<std::uint64_t>(bigEndian(record.data.data(), 2))
                << (segmented_ ? 4 : 16);
        return false;
      case kStartSegmentAddress:
      case kStartLinearAddress:
        if (length != 4)
          return Failure{"a start-address record holds 4 bytes, this one " +
                         std::to_string(length)};
        return false;
      default:
        return Failure{"unknown record type " + hexByteText(record.type)};
    }
  }

 private:
  // Under a linear base the addresses run on past 64 KiB; under a segment
  // base they wrap round to the segment's start, as on the 8086.
  void addData(const IntelHexRecord& record, std::size_t line, AddressedData& data) const {
    const std::size_t length = record.data.size();
    const std::size_t beforeWrap =
        segmented_ ? std::min<std::size_t>(length, 0x10000u - record.offset) : length;
    data.add(base_ + record.offset, record.data.data(), beforeWrap, line);
    data.add(base_, record.data.data() + beforeWrap, length - beforeWrap, line);
  }

  std::uint64_t base_ = 0;
  bool segmented_ = false;
};

}  // namespace

Expected<AddressedData> readIntelHex(const std::uint8_t* text, std::size_t size) {
  std::vector<std::uint8_t> bytes;  // the current record's, reused
  IntelHexData records;
  return readRecordFile(text, size, ":00000001FF",
                        [&](const RecordLines& line, AddressedData& data) -> Expected<bool> {
                          const Expected<IntelHexRecord> record = decodeRecord(line, bytes);
                          if (!record) return Failure{record.error()};
                          return records.take(*record, line.number(), data);
                        });
}
