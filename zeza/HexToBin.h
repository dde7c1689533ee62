#pragma once

#include <cstdint>
#include <string>

#include "Messages.h"

// Turns the Intel HEX file `inputPath` of `size` bytes into a raw binary
// file, created as a new file under the first free one of `outputTarget`,
// outputTarget1, outputTarget2, ... The data of the data records go out in
// file order. Returns 1 when the reading ended at the end record or at the
// end of the input, 0 when a file could not be opened, read or written. Only
// read and write failures give a message ("Error Reading File <inputPath>");
// the checksum and "bad formed" messages come from the record reader. The
// input is read block by block: a file that loses its end while it is read
// fails there, and the output keeps the data of the records before.
int HexToBin(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
             ConverterMessages& messages);
