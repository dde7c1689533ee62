#pragma once
// vesk's commands on the board, each run to its result: the core's commands
// (programmer/Commands.h) work the board and show their own messages
// (announcements, "No Port Access", "The Eprom is not Empty", "Bad Eprom"),
// and these gather what they hand back. Nothing here words a message.

#include "Commands.h"
#include "RomReferences.h"
#include "VeskOptions.h"
#include "VeskResults.h"

// options.file saved from the chip, read in options.passes passes merged by
// options.vote, and named against the references.
VeskReadResult runRead(const VeskOptions& options, const RomReferences& references,
                       CommandContext& context);

VeskBlankResult runBlank(const VeskOptions& options, CommandContext& context);

// options.file programmed, over what the chip holds with options.over.
VeskWriteResult runWrite(const VeskOptions& options, CommandContext& context);

// The chip, read in options.passes passes, against options.file.
VeskVerifyResult runVerify(const VeskOptions& options, CommandContext& context);
