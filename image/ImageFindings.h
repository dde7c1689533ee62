#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ImageHashes.h"

// What a dump's bytes tell about the chip, the socket or the board it was
// read on. Each kind holds only when its rule holds for every byte:
//   AllFf        every byte is FFh (blank, or nothing in the socket);
//   AllSame      every byte is one other value;
//   Repeats      the image is 2, 4, 8, ... copies of its first part;
//   AddressLine  every location reads as the one with address bit k flipped;
//   DataBit      data bit k never changes, in an image of 16 or more values.
enum class FindingKind { AllFf, AllSame, Repeats, AddressLine, DataBit };

// One finding; only the fields of its kind are set, the others stay 0/empty.
struct Finding {
  FindingKind kind = FindingKind::AllFf;
  int line = 0;              // AddressLine: k of Ak
  int bit = 0;               // DataBit: k of Dk
  std::uint8_t value = 0;    // AllSame: the byte; DataBit: the bit's value, 0 or 1
  std::size_t partSize = 0;  // Repeats: the size of the part repeated
  std::size_t copies = 0;    // Repeats: how many copies make the image
  ImageHashes part = {};     // Repeats: the part's CRC32 and SHA-1
  bool operator==(const Finding&) const = default;
};

// The findings that hold for `bytes`, in the order of FindingKind, lines and
// bits from 0 up. None for an empty image. AllFf and AllSame stand alone: the
// other kinds follow from them and are not given with them. Repeats gives the
// smallest part; the address lines that merely step a whole number of parts
// are left out, for the repeat already says so and names the part to look
// up (a chip of 2 copies also has its top line making no difference).
// An address line k is checked only where the size is a multiple of
// 2^(k+1), so that every location has its partner.
std::vector<Finding> checkImage(std::span<const std::uint8_t> bytes);

// The kind's name in results and JSON: "all-ff", "all-same", "repeats",
// "address-line", "data-bit".
const char* findingKindName(FindingKind kind);

// The finding in one line, without its kind's name: "address line A14 makes
// no difference".
std::string findingText(const Finding& finding);
