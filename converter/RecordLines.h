#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Expected.h"

// The lines of an Intel HEX or S-record file as assemblers and linkers write
// them: LF or CR LF line ends, blanks or a DOS end-of-file mark (Ctrl+Z)
// after a record, a UTF-8 byte-order mark before the first, blank lines
// anywhere. Each non-blank line comes with its number, counted from 1.
class RecordLines {
 public:
  RecordLines(const std::uint8_t* text, std::size_t size);

  // Steps to the next line that holds more than blanks; false at the end.
  bool next();
  // The line stepped to, without its line end and the blanks around it.
  std::string_view text() const { return text_; }
  std::size_t number() const { return number_; }
  // The column (from 1) of text()'s first character in the line.
  std::size_t firstColumn() const { return firstColumn_; }

 private:
  const char* at_;
  const char* end_;
  std::string_view text_;
  std::size_t number_ = 0;
  std::size_t firstColumn_ = 1;
};

// "line 12: " followed by what is wrong there.
Failure lineFailure(std::size_t line, const std::string& what);

// The bytes that the pairs of hex digits in `digits` (either case) stand for,
// in `bytes`; `column` is the line column of digits[0], so that a character
// that is no hex digit is named with its place.
Expected<> decodeHexBytes(std::string_view digits, std::size_t column,
                          std::vector<std::uint8_t>& bytes);

// "0x" and upper-case digits, with a minus sign for negative values: the
// form the user gives addresses and offsets in.
std::string hexNumber(std::int64_t value);
