#pragma once

#include <string>
#include <vector>

#include "Messages.h"

// One run of zeza: `arguments` are its command-line arguments without the
// program's name. Exactly one is expected, a file name or a pattern with "*"
// and "?"; every match ending in .bin becomes a .hex file and every match
// ending in .hex a .bin file, beside it and never over an existing file.
// Everything the user is told goes through `messages`.
void runZeza(const std::vector<std::string>& arguments, ConverterMessages& messages);
