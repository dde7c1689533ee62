#pragma once

#include <cstdint>
#include <string>

#include "Messages.h"

// Turns the Intel HEX file `input_path` of `size` bytes into a raw binary
// file, created as a new file under the first free one of `output_target`,
// output_target1, output_target2, ... The data of the data records go out in
// file order. Returns 1 when the reading ended at the end record or at the
// end of the input, 0 when a file could not be opened, read or written. Only
// read and write failures give a message ("Error Reading File <input_path>");
// the checksum and "bad formed" messages come from the record reader.
int HexToBin(const std::string& input_path, const std::string& output_target, std::uint32_t size,
             ConverterMessages& messages);
