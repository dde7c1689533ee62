#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A chip's whole image as the text of a file, every location from 0 on,
// with CR LF line ends.

// Intel HEX as zeza writes it: 16-byte data records, an extended linear
// address record before every 64 KiB after the first, the end record.
std::string intelHexText(const std::uint8_t* bytes, std::size_t size);

// Motorola S-records: a header record (S0) holding `header` (its first 252
// bytes), 16 bytes a data record with the shortest address the image
// needs (S1 up to 64 KiB, S2 up to 16 MiB, S3 beyond), with `withCount` a
// count record (S5, or S6 past 65,535 records, when it fits), and the end record that
// matches the data records (S9, S8, S7), with start address 0.
std::string sRecordText(const std::uint8_t* bytes, std::size_t size, std::string_view header,
                        bool withCount);
