#pragma once
// The images of a 16-bit (or 32-bit) board's chips: `vesk split` writes a
// program's parts beside it, `vesk merge` joins parts back into one image.
// Neither needs a board.

#include <string>
#include <vector>

#include "UserInterfaces.h"
#include "VeskOptions.h"
#include "VeskResults.h"

// The names of FILE's parts: NAME.even.EXT and NAME.odd.EXT for two ways,
// NAME.0.EXT to NAME.3.EXT for four, in the folder of FILE.
std::vector<std::string> partNames(const std::string& file, std::size_t ways);

// Splits options.file into its parts (options.ways, options.swapWords), never
// over an existing file unless options.force; the result lists each part
// with its size and hashes. `messages` takes the reader's warnings.
VeskFilesResult splitImageFile(const VeskOptions& options, Messages& messages);

// Merges options.parts into options.file ("-": standard output); the result
// lists the file written (not the image on standard output).
VeskFilesResult mergeImageFiles(const VeskOptions& options, Messages& messages);
