#pragma once
// The images of a 16-bit (or 32-bit) board's chips: `vesk split` writes a
// program's parts beside it, `vesk merge` joins parts back into one image.
// Neither needs a board.

#include <cstdio>
#include <string>
#include <vector>

#include "UserInterfaces.h"
#include "VeskCommands.h"
#include "VeskOptions.h"

// The names of FILE's parts: NAME.even.EXT and NAME.odd.EXT for two ways,
// NAME.0.EXT to NAME.3.EXT for four, in the folder of FILE.
std::vector<std::string> partNames(const std::string& file, std::size_t ways);

// Splits options.file into its parts (options.ways, options.swapWords), never
// over an existing file unless options.force, and lists each part's name,
// size, CRC32 and SHA-1 on `report`.
[[nodiscard]] VeskStatus splitImageFile(const VeskOptions& options, Messages& messages,
                                        std::FILE* report);

// Merges options.parts into options.file ("-": standard output) and lists
// its name, size, CRC32 and SHA-1 on `report` (not when the image itself
// went to standard output).
[[nodiscard]] VeskStatus mergeImageFiles(const VeskOptions& options, Messages& messages,
                                         std::FILE* report);
