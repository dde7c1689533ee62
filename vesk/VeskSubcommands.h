#pragma once
// vesk's commands on CLI11: the one place that declares each command with its
// files and options. The reading of the words around it (options before the
// command, vesk's error texts) is VeskOptions.cpp's.

#include <CLI/CLI.hpp>

#include "VeskOptions.h"

// Declares vesk itself (its description, --version, the exit statuses) and
// every command on `vesk`, their files and options bound to `options`.
void declareVesk(CLI::App& vesk, VeskOptions& options);

// An option that takes no word of its own but a value after "=", as
// --simulate=CHIP.bin: declared to expect no value, with a name for the value.
bool takesValueAfterEquals(const CLI::Option& option);

// The command's word on the command line: "read", "blank", ... "info".
const char* commandName(VeskCommand command);
