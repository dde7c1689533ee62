#pragma once
// `vesk info FILE...`: what image files are, with no board.
#include <cstdio>

#include "UserInterfaces.h"
#include "VeskCommands.h"
#include "VeskOptions.h"

// Each of options.infoFiles identified and checked, on `results`: as text,
// one block a file with an empty line between them, or with --json one object
// a file. A file that cannot be read gets Open's message (and with --json its
// object, without the image's fields) and the other files are still done;
// the status is then Failed.
[[nodiscard]] VeskStatus runInfoCommand(const VeskOptions& options, Messages& messages,
                                        std::FILE* results);
