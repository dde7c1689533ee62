#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "AddressedData.h"
#include "Expected.h"

// The kinds of file a chip's image comes in and goes out as.
enum class ImageFileFormat { Binary, IntelHex, SRecords };

// What a file holds, judged by its content, never by its name. After an
// optional byte-order mark and blank lines, a file whose first line is a
// record's start (":" and ten hex digits, or "S", a digit and eight hex
// digits) is Intel HEX or S-records, and so is a text file (nothing but
// printable ASCII, tabs, line ends and Ctrl+Z) that begins with ":" or "S"
// and a digit; a broken file of either kind therefore reaches its reader and
// is refused there, never taken as bytes. Everything else is raw binary,
// also a binary file whose first byte happens to be ':' or 'S'.
ImageFileFormat recognizeFormat(const std::uint8_t* data, std::size_t size);

// The file's data at their addresses, read as `format`: a raw binary is one
// run of all its bytes at address 0.
Expected<AddressedData> readAddressedData(const std::uint8_t* data, std::size_t size,
                                          ImageFileFormat format);

// The format a chip read into a file of this name is written in: Intel HEX
// for .hex, .ihx and .ihex, S-records for .s19, .s28, .s37, .srec and .mot
// (any case), raw binary for every other name.
ImageFileFormat formatForFileName(std::string_view name);
