#pragma once
// `vesk info FILE...`: what image files are, with no board.

#include <string>

#include "RomReferences.h"
#include "UserInterfaces.h"
#include "VeskOptions.h"
#include "VeskResults.h"

// `file` read as its content says (a binary as it is, records from location
// 0, options.imageFile's offset and fill) and identified, against the
// references too; a file that cannot be read is a failure. `messages` takes
// the reader's warnings.
VeskInfoResult identifyFile(const std::string& file, const VeskOptions& options,
                            const RomReferences& references, Messages& messages);
