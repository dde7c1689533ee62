#pragma once
// vesk's results as text, for standard output without --json: what a dump
// is, where a chip reads unstable or differs from a file, and how many pulses
// a write gave. Each line ends in a newline.
#include <span>
#include <string>

#include "BoardRoutines.h"
#include "ChipComparison.h"
#include "ImageIdentity.h"
#include "ReadPasses.h"
#include "VeskReport.h"

// "File: out.bin", "Size: 4096 bytes", "CheckSum = 7EB58", "CRC32: ...",
// "SHA-1: ...", a line per finding ("address-line: address line A3 makes no
// difference"), then MAME's and the DAT line when asked for.
std::string identityText(const std::string& file, const ImageIdentity& identity,
                         RomListLines lines);

// "2 locations read unstable in 3 passes (address: the bytes read; the bits
// that changed)", then every one: "00010: 3C 7D 3C; 41". Nothing when none.
std::string unstableText(std::span<const UnstableLocation> unstable, std::size_t passes);

// "3 bytes differ (address: chip file)" and the first of them, one a line
// ("00100: 07 FF"); the bits still to program and those that need the chip
// erased; a line per pattern ("data-line: only bit D3 differs: data line
// D3?"). Nothing when none.
std::string comparisonText(const ChipComparison& comparison);

// A difference as verify lists it, without the newline: "00100: 07 FF".
std::string differenceLine(const ChipDifference& difference);

// How many locations took 1, 2 ... pulses ("1 pulse: 4088 locations"), only
// the counts there are; with `over`, the locations stepped over; the
// location that took the most ("Most pulses: 3, at 00123").
std::string pulsesText(const PulseCounts& pulses, bool over);
