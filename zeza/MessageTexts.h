#pragma once

#include <cstdint>
#include <string>

// The texts of zeza's messages, fixed to the byte (spelling, blanks and line
// ends included): scripts may read them on standard error.

// A failed read of the input or a failed write of the output; names the input.
std::string errorReadingFile(const std::string& inputPath);

// Both values in upper-case hex without leading zeros: "Hex = 0 - Calculated = BE".
std::string badChecksum(std::uint8_t found, std::uint8_t calculated);

inline constexpr const char* kBadFormed = "Warning: Hex file bad formed, end of record not found";

std::string cantFindFile(const std::string& argument);

std::string fileTooLarge(const std::string& name);

// Shown for a wrong argument count. CR LF line ends, a TAB before each
// parenthesis, and one more CR LF at the end.
extern const char* const kUsageText;

// zeza --help and zeza --version, on standard output.
extern const char* const kHelpText;
std::string versionText(const std::string& version);
