#pragma once

#include <cstddef>
#include <cstdint>

#include "AddressedData.h"
#include "Expected.h"

// Reads a Motorola S-record text: data records with 16-, 24- and 32-bit
// addresses (S1, S2, S3) at their addresses, in any order and with gaps; the
// header (S0), record counts (S5, S6) and the end record with its start
// address (S9, S8, S7) are checked and give no data. The end record may be
// missing: the file's end is then the records' end.
//
// Anything that makes the file's data uncertain fails, naming the line and
// what is wrong there: a bad checksum, a character that is no hex digit, a
// record cut short or longer than its count field says, an unknown record
// type, a count record that does not give the number of data records before
// it, data in a count or end record, a line that is no record, and anything
// but blanks after the end record.
Expected<AddressedData> readSRecords(const std::uint8_t* text, std::size_t size);
