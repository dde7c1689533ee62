#pragma once

#include <cstdint>
#include <string>

#include "Messages.h"

// Turns the raw binary file `input_path` of `size` bytes into an Intel HEX
// file, created as a new file under the first free one of `output_target`,
// output_target1, output_target2, ... Returns 1 when the whole HEX file was
// written, 0 otherwise. A file that cannot be opened or created gives no
// message; a failed read or write gives "Error Reading File <input_path>", and
// what was written until then stays on disk.
int BinToHex(const std::string& input_path, const std::string& output_target, std::uint32_t size,
             ConverterMessages& messages);
