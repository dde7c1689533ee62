#include "SRecordReader.h"

#include <numeric>
#include <string>
#include <vector>

#include "RecordLines.h"

namespace {

// The address's length in bytes for record types S0 to S9; 0 for S4, which
// nobody defines.
constexpr std::size_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

class SRecordText {
 public:
  SRecordText(const std::uint8_t* text, std::size_t size) : lines_(text, size) {}

  Expected<AddressedData> read() {
    // srec_cat and some assemblers write no end record when they know no
    // start address: their files end after the last data or count record.
    if (Expected<> read = readRecordLines(lines_, nullptr, [this] { return readRecord(); });
        !read) {
      return Failure{read.error()};
    }
    return std::move(data_);
  }

 private:
  // The record on the current line; true when it is the end record.
  Expected<bool> readRecord() {
    const std::string_view text = lines_.text();
    if (text.front() != 'S') return Failure{"not an S-record (no 'S' at its start)"};
    if (text.size() < 2 || text[1] < '0' || text[1] > '9' || text[1] == '4') {
      return Failure{"unknown record type " + std::string(text.substr(0, 2))};
    }
    const int type = text[1] - '0';
    if (Expected<> decoded = decodeHexBytes(text.substr(2), lines_.firstColumn() + 2, bytes_);
        !decoded) {
      return Failure{decoded.error()};
    }
    const std::size_t addressBytes = kAddressBytes[type];
    if (bytes_.size() < 2 + addressBytes) return Failure{"the record is cut short"};
    if (bytes_[0] + 1u != bytes_.size()) {
      return Failure{"the count field gives " + std::to_string(bytes_[0]) +
                     " bytes after it, the record holds " + std::to_string(bytes_.size() - 1)};
    }
    const auto sum =
        static_cast<std::uint8_t>(std::accumulate(bytes_.begin(), bytes_.end() - 1, 0u));
    const auto expected = static_cast<std::uint8_t>(~sum);
    if (bytes_.back() != expected) {
      return Failure{"bad checksum: the record says " + hexByteText(bytes_.back()) +
                     ", its bytes give " + hexByteText(expected)};
    }
    std::uint32_t address = 0;
    for (std::size_t i = 1; i <= addressBytes; ++i) address = address << 8 | bytes_[i];
    const std::uint8_t* const data = &bytes_[1 + addressBytes];
    const std::size_t length = bytes_.size() - 2 - addressBytes;

    switch (type) {
      case 0:  // a header: any text, for people
        return false;
      case 1:
      case 2:
      case 3:
        data_.add(address, data, length, lines_.number());
        ++dataRecords_;
        return false;
      case 5:
      case 6:
        if (length != 0) return Failure{"the count record holds data"};
        if (address != dataRecords_) {
          return Failure{"the count record gives " + std::to_string(address) +
                         " data records, the file has " + std::to_string(dataRecords_) +
                         " before it"};
        }
        return false;
      default:  // 7, 8, 9
        // Its address, where a program starts, is no business of the chip's.
        if (length != 0) return Failure{"the end record holds data"};
        return true;
    }
  }

  RecordLines lines_;
  std::vector<std::uint8_t> bytes_;  // the current record's, reused
  std::uint64_t dataRecords_ = 0;
  AddressedData data_;
};

}  // namespace

Expected<AddressedData> readSRecords(const std::uint8_t* text, std::size_t size) {
  return SRecordText(text, size).read();
}
