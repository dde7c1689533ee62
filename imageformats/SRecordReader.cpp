#include "SRecordReader.h"

#include <span>
#include <string>
#include <vector>

#include "RecordLines.h"

namespace {

// The address's length in bytes for record types S0 to S9; 0 for S4, which
// nobody defines.
constexpr std::size_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// One record, its frame checked.
struct SRecord {
  int type;  // 0 to 9
  std::uint32_t address;
  std::span<const std::uint8_t> data;
};

std::uint8_t onesComplement(std::uint8_t sum) {
  return static_cast<std::uint8_t>(~sum);
}

// The record on the line: 'S' and a known type, hex digits, a count field
// that gives the bytes after it, and the checksum. `bytes` receives what the
// digits stand for; the record's data lie there.
Expected<SRecord> decodeRecord(const RecordLines& line, std::vector<std::uint8_t>& bytes) {
  const std::string_view text = line.text();
  if (text.front() != 'S') return Failure{"not an S-record (no 'S' at its start)"};
  if (text.size() < 2 || text[1] < '0' || text[1] > '9' || text[1] == '4')
    return Failure{"unknown record type " + std::string(text.substr(0, 2))};
  const int type = text[1] - '0';
  if (Expected<> decoded = decodeHexBytes(text.substr(2), line.firstColumn() + 2, bytes); !decoded)
    return Failure{decoded.error()};
  const std::size_t addressBytes = kAddressBytes[type];
  if (bytes.size() < 2 + addressBytes) return Failure{"the record is cut short"};
  if (bytes[0] + 1u != bytes.size()) {
    return Failure{"the count field gives " + std::to_string(bytes[0]) +
                   " bytes after it, the record holds " + std::to_string(bytes.size() - 1)};
  }
  if (Expected<> summed = checkChecksum(bytes, onesComplement); !summed)
    return Failure{summed.error()};
  return SRecord{type, bigEndian(&bytes[1], addressBytes),
                 std::span(bytes).subspan(1 + addressBytes, bytes.size() - 2 - addressBytes)};
}

// What the records put where, and how many data records came.
class SRecordData {
 public:
  // Takes `record`, from `line`, into `data`; true when it is the end record.
  Expected<bool> take(const SRecord& record, std::size_t line, AddressedData& data) {
    switch (record.type) {
      case 0:  // a header: any text, for people
        return false;
      case 1:
      case 2:
      case 3:
        data.add(record.address, record.data.data(), record.data.size(), line);
        ++dataRecords_;
        return false;
      case 5:
      case 6:
        if (!record.data.empty()) return Failure{"the count record holds data"};
        if (record.address != dataRecords_) {
          return Failure{"the count record gives " + std::to_string(record.address) +
                         " data records, the file has " + std::to_string(dataRecords_) +
                         " before it"};
        }
        return false;
      default:  // 7, 8, 9
        // Its address, where a program starts, is no business of the chip's.
        if (!record.data.empty()) return Failure{"the end record holds data"};
        return true;
    }
  }

 private:
  std::uint64_t dataRecords_ = 0;
};

}  // namespace

Expected<AddressedData> readSRecords(const std::uint8_t* text, std::size_t size) {
  std::vector<std::uint8_t> bytes;  // the current record's, reused
  SRecordData records;
  // srec_cat and some assemblers write no end record when they know no
  // start address: their files end after the last data or count record.
  return readRecordFile(text, size, nullptr,
                        [&](const RecordLines& line, AddressedData& data) -> Expected<bool> {
                          const Expected<SRecord> record = decodeRecord(line, bytes);
                          if (!record) return Failure{record.error()};
                          return records.take(*record, line.number(), data);
                        });
}
