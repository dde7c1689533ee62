#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "AddressedData.h"
#include "Expected.h"

// The kinds of file a chip's image comes in and goes out as.
enum class ImageFileFormat { Binary, IntelHex, SRecords };

// Text as editors write it: printable ASCII, blanks, line ends, a DOS end
// mark (Ctrl+Z) and UTF-8 letters. A chip's binary image nearly always holds
// bytes that are none of these (00h, FFh, control codes).
bool isText(std::span<const std::uint8_t> bytes);

// What a file holds, judged by its content, never by its name. After an
// optional byte-order mark and blank lines, a file whose first line is a
// record's start (":" and ten hex digits, or "S", a digit and eight hex
// digits) is Intel HEX or S-records, and so is a text file (isText) that
// begins with ":" or "S" and a digit; a broken file of either kind therefore
// reaches its reader and is refused there, never taken as bytes. Everything
// else is raw binary, also a binary file whose first byte happens to be ':'
// or 'S'.
ImageFileFormat recognizeFormat(const std::uint8_t* data, std::size_t size);

// Whether a file's name says it holds a raw binary: it ends in .bin or .rom
// (any case).
bool nameSaysBinary(std::string_view name);

// What the file `name` holds: recognizeFormat's answer, or none for a text
// that is neither Intel HEX nor S-records (notes, a listing, a mangled
// record file), which is more likely a mistake than a chip's image. Where
// the name says raw binary, such a text is taken as the bytes of a chip that
// happen to print (an all-'Z' image, a ROM of message strings). An empty name
// (standard input) says nothing.
std::optional<ImageFileFormat> recognizeImageFile(std::string_view name, const std::uint8_t* data,
                                                  std::size_t size);

// The file's data at their addresses, read as `format`: a raw binary is one
// run of all its bytes at address 0.
Expected<AddressedData> readAddressedData(const std::uint8_t* data, std::size_t size,
                                          ImageFileFormat format);

// The format a chip read into a file of this name is written in: Intel HEX
// for .hex, .ihx and .ihex, S-records for .s19, .s28, .s37, .srec and .mot
// (any case), raw binary for every other name.
ImageFileFormat formatForFileName(std::string_view name);
