#include "ImageFindings.h"

#include <array>
#include <cstring>

#include "HexText.h"

namespace {

// Fewer values than this are too few to tell a stuck data bit from data
// that never needs the bit.
constexpr std::size_t kFewestValuesForDataBits = 16;

// The smallest first part the image is 2, 4, 8, ... copies of; the whole
// size when it is none. Each halving checks only the part left, for the
// image is copies of it already: one pass in all.
std::size_t repeatedPartSize(std::span<const std::uint8_t> bytes) {
  std::size_t part = bytes.size();
  while (part % 2 == 0 && part > 0 &&
         std::memcmp(bytes.data(), bytes.data() + part / 2, part / 2) == 0)
    part /= 2;
  return part;
}

// Whether every location reads as the one with `step` (one address bit)
// flipped. The caller sees to it that the size is a multiple of 2 x step.
bool lineMakesNoDifference(std::span<const std::uint8_t> bytes, std::size_t step) {
  for (std::size_t block = 0; block < bytes.size(); block += 2 * step)
    if (std::memcmp(bytes.data() + block, bytes.data() + block + step, step) != 0) return false;
  return true;
}

}  // namespace

std::vector<Finding> checkImage(std::span<const std::uint8_t> bytes) {
  std::vector<Finding> findings;
  if (bytes.empty()) return findings;

  std::array<bool, 256> seen{};
  for (const std::uint8_t byte : bytes) seen[byte] = true;
  std::size_t values = 0;
  unsigned anyOnes = 0x00;  // bits set in some byte
  unsigned allOnes = 0xFF;  // bits set in every byte
  for (unsigned value = 0; value < 256; ++value) {
    if (!seen[value]) continue;
    ++values;
    anyOnes |= value;
    allOnes &= value;
  }
  if (values == 1) {
    const std::uint8_t value = bytes.front();
    if (value == 0xFF)
      findings.push_back({.kind = FindingKind::AllFf});
    else
      findings.push_back({.kind = FindingKind::AllSame, .value = value});
    return findings;
  }

  const std::size_t part = repeatedPartSize(bytes);
  if (part < bytes.size())
    findings.push_back({.kind = FindingKind::Repeats,
                        .partSize = part,
                        .copies = bytes.size() / part,
                        .part = hashBytes(bytes.first(part))});

  for (int line = 0; bytes.size() % (std::size_t{2} << line) == 0; ++line) {
    const std::size_t step = std::size_t{1} << line;
    if (step % part == 0) break;  // this line and those above step whole parts
    if (lineMakesNoDifference(bytes, step))
      findings.push_back({.kind = FindingKind::AddressLine, .line = line});
  }

  if (values >= kFewestValuesForDataBits) {
    for (int bit = 0; bit < 8; ++bit) {
      const unsigned mask = 1U << bit;
      if ((anyOnes & mask) == 0 || (allOnes & mask) != 0)
        findings.push_back({.kind = FindingKind::DataBit,
                            .bit = bit,
                            .value = static_cast<std::uint8_t>((allOnes & mask) != 0)});
    }
  }
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
