#pragma once

#include <cstddef>
#include <cstdint>

#include "AddressedData.h"
#include "Expected.h"

// Reads an Intel HEX text with its addresses: data records (00) at the
// address their record gives, under the base of the last extended segment
// (02) or extended linear (04) address record; start addresses (03, 05),
// which a chip has no use for, are checked; the end record (01). Records may come in any order,
// with gaps.
//
// Anything that makes the file's data uncertain fails, naming the line and
// what is wrong there: a bad checksum, a character that is no hex digit, a
// record cut short or longer than its length field says, an unknown record
// type, an address or end record of the wrong length, a line that is no
// record, anything but blanks after the end record, and a file that ends
// without an end record (it may have been cut short).
Expected<AddressedData> readIntelHex(const std::uint8_t* text, std::size_t size);
