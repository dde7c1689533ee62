#include "IntelHexReader.h"

#include <numeric>
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

std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

class IntelHexText {
 public:
  IntelHexText(const std::uint8_t* text, std::size_t size) : lines_(text, size) {}

  Expected<AddressedData> read() {
    if (Expected<> read = readRecordLines(lines_, ":00000001FF", [this] { return readRecord(); });
        !read) {
      return Failure{read.error()};
    }
    return std::move(data_);
  }

 private:
  // The record on the current line; true when it is the end record.
  Expected<bool> readRecord() {
    const std::string_view text = lines_.text();
    if (text.front() != ':') return Failure{"not an Intel HEX record (no ':' at its start)"};
    if (Expected<> decoded = decodeHexBytes(text.substr(1), lines_.firstColumn() + 1, bytes_);
        !decoded) {
      return Failure{decoded.error()};
    }
    if (bytes_.size() < kFrameBytes) return Failure{"the record is cut short"};
    const std::size_t length = bytes_[0];
    if (bytes_.size() != kFrameBytes + length) {
      return Failure{"the length field gives " + std::to_string(length) +
                     " data bytes, the record holds " +
                     std::to_string(bytes_.size() - kFrameBytes)};
    }
    const auto sum =
        static_cast<std::uint8_t>(std::accumulate(bytes_.begin(), bytes_.end() - 1, 0u));
    const auto expected = static_cast<std::uint8_t>(0x100 - sum);
    if (bytes_.back() != expected) {
      return Failure{"bad checksum: the record says " + hexByteText(bytes_.back()) +
                     ", its bytes give " + hexByteText(expected)};
    }
    const auto offset = static_cast<std::uint16_t>(bigEndian(&bytes_[1], 2));
    const std::uint8_t type = bytes_[3];
    const std::uint8_t* const data = &bytes_[4];
    switch (type) {
      case kData:
        addData(offset, data, length);
        return false;
      case kEnd:
        if (length != 0) return Failure{"the end record holds data"};
        return true;
      case kExtendedSegmentAddress:
      case kExtendedLinearAddress:
        if (length != 2)
          return Failure{"an address record holds 2 bytes, this one " + std::to_string(length)};
        segmented_ = type == kExtendedSegmentAddress;
        base_ = static_cast<std::uint64_t>(bigEndian(data, 2)) << (segmented_ ? 4 : 16);
        return false;
      case kStartSegmentAddress:
      case kStartLinearAddress:
        if (length != 4)
          return Failure{"a start-address record holds 4 bytes, this one " +
                         std::to_string(length)};
        return false;
      default:
        return Failure{"unknown record type " + hexByteText(type)};
    }
  }

  // Under a linear base the addresses run on past 64 KiB; under a segment
  // base they wrap round to the segment's start, as on the 8086.
  void addData(std::uint16_t offset, const std::uint8_t* data, std::size_t length) {
    const std::size_t beforeWrap =
        segmented_ ? std::min<std::size_t>(length, 0x10000u - offset) : length;
    data_.add(base_ + offset, data, beforeWrap, lines_.number());
    data_.add(base_, data + beforeWrap, length - beforeWrap, lines_.number());
  }

  RecordLines lines_;
  std::vector<std::uint8_t> bytes_;  // the current record's, reused
  std::uint64_t base_ = 0;
  bool segmented_ = false;
  AddressedData data_;
};

}  // namespace

Expected<AddressedData> readIntelHex(const std::uint8_t* text, std::size_t size) {
  return IntelHexText(text, size).read();
}
