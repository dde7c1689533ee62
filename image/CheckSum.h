#pragma once

#include <cstdint>
#include <string>

#include "MemoryImage.h"

// The label text shown once at start-up (two blanks before the 0).
inline constexpr const char* kStartUpCheckSumText = "CheckSum =  0";

// Plain sum of the first `EpromSize` bytes: no modulus, no complement.
// At most 255 x 1,048,576, so 32 bits hold it exactly.
std::uint32_t Calc_CheckSum(const MemoryImage& image, std::int32_t epromSize);

// "CheckSum = " followed by the sum in upper-case hex without leading zeros.
std::string checkSumText(std::uint32_t sum);
