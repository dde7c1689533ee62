#pragma once

#include <cstdint>
#include <string>

#include "Messages.h"

// Turns the raw binary file `inputPath` of `size` bytes into an Intel HEX
// file, created as a new file under the first free one of `outputTarget`,
// outputTarget1, outputTarget2, ... Returns 1 when the whole HEX file was
// written, 0 otherwise. A file that cannot be opened or created gives no
// message; a failed read or write gives "Error Reading File <inputPath>", and
// what was written until then stays on disk. The input is read block by
// block, so a file already shorter than `size` fails before anything is
// written, and one that loses its end while it is read fails there.
int BinToHex(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
             ConverterMessages& messages);
