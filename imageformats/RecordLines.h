#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AddressedData.h"
#include "Expected.h"

// The lines of an Intel HEX or S-record file as assemblers and linkers write
// them: LF or CR LF line ends, blanks or a DOS end-of-file mark (Ctrl+Z)
// after a record, a UTF-8 byte-order mark before the first, blank lines
// anywhere. Each non-blank line comes with its number, counted from 1.
class RecordLines {
 public:
  RecordLines(const std::uint8_t* text, std::size_t size);

  // Steps to the next line that holds more than blanks; false at the end,
  // where the last such line stays the current one.
  bool next();
  // The line stepped to, without its line end and the blanks around it, and
  // its number (0 before the first).
  std::string_view text() const { return text_; }
  std::size_t number() const { return number_; }
  // The column (from 1) of text()'s first character in the line.
  std::size_t firstColumn() const { return firstColumn_; }

 private:
  const char* at_;
  const char* end_;
  std::string_view text_;
  std::size_t number_ = 0;
  std::size_t linesPassed_ = 0;
  std::size_t firstColumn_ = 1;
};

// "line 12: " followed by what is wrong there.
Failure lineFailure(std::size_t line, const std::string& what);

// Reads a file's records, one a line: `readRecord(lines, data)` takes the
// record on the current line into `data` and says whether it is the end
// record (an Expected<bool>). Only blank lines may follow the end record.
// Where `endRecord` names it (for messages), a file that ends without it
// fails, for it may be cut short; where `endRecord` is null, the end of the
// file ends the records as well.
template <class ReadRecord>
Expected<AddressedData> readRecordFile(const std::uint8_t* text, std::size_t size,
                                       const char* endRecord, ReadRecord readRecord) {
  RecordLines lines(text, size);
  AddressedData data;
  std::size_t endLine = 0;
  while (lines.next()) {
    if (endLine != 0) {
      return lineFailure(lines.number(),
                         "data after the end record (line " + std::to_string(endLine) + ")");
    }
    const Expected<bool> ended = readRecord(std::as_const(lines), data);
    if (!ended) return lineFailure(lines.number(), ended.error());
    if (*ended) endLine = lines.number();
  }
  if (lines.number() == 0) return Failure{"the file holds no records"};
  if (endLine != 0 || endRecord == nullptr) return data;
  return lineFailure(lines.number(), std::string("the file ends here without an end record (") +
                                         endRecord + "): it may be cut short");
}

// The bytes that the pairs of hex digits in `digits` (either case) stand for,
// in `bytes`; `column` is the line column of digits[0], so that a character
// that is no hex digit is named with its place.
Expected<> decodeHexBytes(std::string_view digits, std::size_t column,
                          std::vector<std::uint8_t>& bytes);

// A record's last byte is its checksum, which `checksumOf` makes of the sum
// of the bytes before it (modulo 256); a record whose checksum differs fails.
Expected<> checkChecksum(std::span<const std::uint8_t> record,
                         std::uint8_t (*checksumOf)(std::uint8_t sum));

// The `count` bytes from `bytes` on as one number, the first the highest.
std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t count);

// A byte's two upper-case digits and "h": "0Ah".
std::string hexByteText(std::uint8_t value);

// "0x" and upper-case digits, with a minus sign for negative values: the
// form the user gives addresses and offsets in.
std::string hexNumber(std::int64_t value);
