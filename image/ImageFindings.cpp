#include "ImageFindings.h"

#include <array>
#include <bit>
#include <cstring>

#include "HexText.h"

namespace {

// Fewer values than this are too few to tell a stuck data bit from data
// that never needs the bit.
constexpr std::size_t kFewestValuesForDataBits = 16;

// The smallest first part the image is 2, 4, 8, ... copies of, and how many
// copies; the whole image, once, when it is none. Each halving checks only
// the part left, for the image is copies of it already: one pass in all.
struct Repetition {
  std::size_t part;
  std::size_t copies = 1;
};

Repetition repetitionOf(std::span<const std::uint8_t> bytes) {
  Repetition found{bytes.size()};
  while (found.part % 2 == 0 && found.part > 0 &&
         std::memcmp(bytes.data(), bytes.data() + found.part / 2, found.part / 2) == 0) {
    found.part /= 2;
    found.copies *= 2;
  }
  return found;
}

// Whether every location reads as the one with `step` (one address bit)
// flipped. The caller sees to it that the size is a multiple of 2 x step.
bool lineMakesNoDifference(std::span<const std::uint8_t> bytes, std::size_t step) {
  for (std::size_t block = 0; block < bytes.size(); block += 2 * step)
    if (std::memcmp(bytes.data() + block, bytes.data() + block + step, step) != 0) return false;
  return true;
}

// Which byte values an image holds: how many, and the bits set in some of
// them and in every one.
struct ValueSpread {
  std::size_t values = 0;
  unsigned anyOnes = 0x00;
  unsigned allOnes = 0xFF;
};

ValueSpread spreadOf(std::span<const std::uint8_t> bytes) {
  std::array<bool, 256> seen{};
  for (const std::uint8_t byte : bytes) seen[byte] = true;
  ValueSpread spread;
  for (unsigned value = 0; value < 256; ++value) {
    if (!seen[value]) continue;
    ++spread.values;
    spread.anyOnes |= value;
    spread.allOnes &= value;
  }
  return spread;
}

// The address lines below the repeated part (`part`) that make no difference.
void addAddressLines(std::span<const std::uint8_t> bytes, std::size_t part,
                     std::vector<Finding>& findings) {
  for (int line = 0; bytes.size() % (std::size_t{2} << line) == 0; ++line) {
    const std::size_t step = std::size_t{1} << line;
    // This line and those above step whole parts (both are powers of 2).
    if (std::has_single_bit(part) && step >= part) break;
    if (lineMakesNoDifference(bytes, step))
      findings.push_back({.kind = FindingKind::AddressLine, .line = line});
  }
}

// The data bits that never change.
void addDataBits(const ValueSpread& spread, std::vector<Finding>& findings) {
  for (int bit = 0; bit < 8; ++bit) {
    const unsigned mask = 1U << bit;
    if ((spread.anyOnes & mask) == 0 || (spread.allOnes & mask) != 0)
      findings.push_back({.kind = FindingKind::DataBit,
                          .bit = bit,
                          .value = static_cast<std::uint8_t>((spread.allOnes & mask) != 0)});
  }
}

}  // namespace

std::vector<Finding> checkImage(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  const ValueSpread spread = spreadOf(bytes);
  if (spread.values == 1) {
    const std::uint8_t value = bytes.front();
    if (value == 0xFF) return {{.kind = FindingKind::AllFf}};
    return {{.kind = FindingKind::AllSame, .value = value}};
  }
  std::vector<Finding> findings;
  const Repetition repeated = repetitionOf(bytes);
  if (repeated.copies > 1)
    findings.push_back({.kind = FindingKind::Repeats,
                        .partSize = repeated.part,
                        .copies = repeated.copies,
                        .part = hashBytes(bytes.first(repeated.part))});
  addAddressLines(bytes, repeated.part, findings);
  if (spread.values >= kFewestValuesForDataBits) addDataBits(spread, findings);
  return findings;
}

const char* findingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::AllFf:
      return "all-ff";
    case FindingKind::AllSame:
      return "all-same";
    case FindingKind::Repeats:
      return "repeats";
    case FindingKind::AddressLine:
      return "address-line";
    case FindingKind::DataBit:
      return "data-bit";
  }
  return "";
}

std::string findingText(const Finding& finding) {
  switch (finding.kind) {
    case FindingKind::AllFf:
      return "blank, or no chip in the socket (an empty socket reads FFh too)";
    case FindingKind::AllSame:
      return "every byte is " + Byte_To_Hex_String(finding.value) + "h";
    case FindingKind::Repeats:
      return std::to_string(finding.copies) + " copies of the first " +
             std::to_string(finding.partSize) + " bytes (CRC32 " + finding.part.crc32 + ", SHA-1 " +
             finding.part.sha1 +
             "): the chip may be smaller than the type chosen, or an address line is not "
             "connected";
    case FindingKind::AddressLine:
      return "address line A" + std::to_string(finding.line) + " makes no difference";
    case FindingKind::DataBit:
      return "bit D" + std::to_string(finding.bit) + " is always " + std::to_string(finding.value) +
             ": a data line may be open or stuck; normal for 7-bit text";
  }
  return "";
}
