#pragma once

#include <cstdio>

#include "Commands.h"
#include "RomReferences.h"
#include "VeskOptions.h"
#include "VeskResults.h"

// Runs options.command to its result, then presents the result: the
// commands on the board with the window's commands of the core (the same
// port handling, messages, progress and chip file: `context`, which main()
// makes and tests may make otherwise), info, split and merge on files alone,
// with only the messages of `context`. The results go to `results` as text
// (a read's identity, verify's differences, the unstable locations), or with
// --json as one object (one a file for info), which a run stopped by a
// signal does not give; the messages to context.messages either way. A
// read's dump and info's files are named against `references`.
[[nodiscard]] VeskStatus runVeskCommand(const VeskOptions& options, const RomReferences& references,
                                        CommandContext& context, std::FILE* results = stdout);
