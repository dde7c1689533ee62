#pragma once
// vesk's results as text, for standard output without --json: what a dump
// is, and where a chip reads unstable or differs from a file. Each line ends
// in a newline.
#include <span>
#include <string>

#include "ImageIdentity.h"
#include "ReadPasses.h"
#include "VeskReport.h"

// The first differences that verify lists.
inline constexpr std::size_t kListedDifferences = 16;

// "File: out.bin", "Size: 4096 bytes", "CheckSum = 7EB58", "CRC32: ...",
// "SHA-1: ...", a line per finding ("address-line: address line A3 makes no
// difference"), then MAME's and the DAT line when asked for.
std::string identityText(const std::string& file, const ImageIdentity& identity,
                         RomListLines lines);

// "2 locations read unstable in 3 passes (address: the bytes read; the bits
// that changed)", then every one: "00010: 3C 7D 3C; 41". Nothing when none.
std::string unstableText(std::span<const UnstableLocation> unstable, std::size_t passes);

// "3 bytes differ (address: chip file)" and the first kListedDifferences of
// them, one a line: "00100: 07 FF". Nothing when none.
std::string differencesText(std::span<const PassedDifference> differences);
