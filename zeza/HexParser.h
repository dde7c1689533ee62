#pragma once

#include <cstddef>
#include <cstdint>

#include "ByteStreams.h"
#include "Messages.h"

enum class HexReadEnd {
  EndRecord,    // a type-01 record ended the reading
  EndOfInput,   // the input ended first (the "bad formed" warning was shown)
  WriteFailed,  // the sink refused bytes; nothing was shown
  ReadFailed    // the source could not be read, or no memory; nothing was shown
};

// The text is read in blocks of this size: large enough that the calls to
// read cost nothing next to the parsing, small enough to stay in the cache
// while it is parsed.
inline constexpr std::size_t kTextBlockBytes = 1024 * 1024;

// Reads the Intel HEX records that `source` delivers, in file order, and
// hands the data of the data records (type 00) to `sink`, in that order,
// without looking at any address. Records of other types are stepped over.
// Every checksum is verified; a bad one is reported and its record used all
// the same. A record cut off by the end of the input, like a missing end
// record, ends the reading with the "bad formed" warning; reading stops at
// the end record.
//
// The text is read `blockBytes` at a time; a record cut by the end of a block
// is carried over to the next, so memory stays the same whatever the input's
// length. `size`, the input's length as far as it is known, only sizes the
// buffers (a small input gets small ones); the reading goes on until the
// source says the input has ended.
//
// The sink is written in large blocks, but always before a message is shown,
// and before a failed read is returned, so messages and failures come in the
// order of the records.
[[nodiscard]] HexReadEnd readHexRecords(ByteSource& source, std::uint64_t size, ByteSink& sink,
                                        ConverterMessages& messages,
                                        std::size_t blockBytes = kTextBlockBytes);
