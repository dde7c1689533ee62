#pragma once
// A rule of both programs' command lines that their parser does not keep.

#include <optional>
#include <string>
#include <vector>

// The first word before "--" that gives a long option an empty value
// ("--port="), refused in one sentence. A parser reads it as the option
// without "=", which then takes the next word as its value, or none at all.
[[nodiscard]] std::optional<std::string> emptyOptionValue(const std::vector<std::string>& words);
