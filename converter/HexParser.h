#pragma once

#include <cstddef>
#include <cstdint>

#include "Messages.h"

// Where the data bytes of a HEX file go: the output file in zeza, memory in
// tests and in the fuzzer.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be stored; reading then stops.
  [[nodiscard]] virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

enum class HexReadEnd {
  EndRecord,   // a type-01 record ended the reading
  EndOfInput,  // the input ended first (the "bad formed" warning was shown)
  WriteFailed  // the sink refused bytes; nothing was shown
};

// Reads the Intel HEX records in `text` in file order and hands the data of
// the data records (type 00) to `sink`, in that order, without looking at
// any address. Records of other types are stepped over. Every checksum is
// verified; a bad one is reported and its record used all the same. Never
// reads outside `text`: a record cut off by its end, like a missing end
// record, ends the reading with the "bad formed" warning.
//
// The sink is written in large blocks, but always before a message is shown,
// so messages and a failed write come in the order of the records.
[[nodiscard]] HexReadEnd readHexRecords(const std::uint8_t* text, std::size_t size, ByteSink& sink,
                                        ConverterMessages& messages);
