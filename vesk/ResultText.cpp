#include "ResultText.h"

#include "HexRows.h"
#include "HexText.h"
#include "RomListLines.h"

namespace {

std::string counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string identityText(const std::string& file, const ImageIdentity& identity,
                         RomListLines lines) {
  std::string text = "File: " + file + "\nSize: " + counted(identity.size, "byte", "bytes") + "\n";
  if (identity.checkSum) text += identity.checkSumText + "\n";
  text += "CRC32: " + identity.hashes.crc32 + "\nSHA-1: " + identity.hashes.sha1 + "\n";
  for (const Finding& finding : identity.findings)
    text += std::string(findingKindName(finding.kind)) + ": " + findingText(finding) + "\n";
  if (lines.mame) text += mameRomLoadLine(file, identity.size, identity.hashes) + "\n";
  if (lines.dat) text += datRomLine(file, identity.size, identity.hashes) + "\n";
  return text;
}

std::string unstableText(std::span<const UnstableLocation> unstable, std::size_t passes) {
  if (unstable.empty()) return {};
  std::string text = counted(unstable.size(), "location reads", "locations read") +
                     " unstable in " + std::to_string(passes) +
                     " passes (address: the bytes read; the bits that changed)\n";
  for (const UnstableLocation& location : unstable) {
    text += Address_To_Hex_String(location.address) + ":";
    for (const std::uint8_t value : location.values) (text += ' ') += Byte_To_Hex_String(value);
    text += "; " + Byte_To_Hex_String(location.mask) + "\n";
  }
  return text;
}

std::string differencesText(std::span<const PassedDifference> differences) {
  if (differences.empty()) return {};
  std::string text =
      counted(differences.size(), "byte differs", "bytes differ") + " (address: chip file)";
  if (differences.size() > kListedDifferences)
    text += ", the first " + std::to_string(kListedDifferences);
  text += "\n";
  for (const PassedDifference& difference :
       differences.first(std::min(differences.size(), kListedDifferences)))
    text += Address_To_Hex_String(difference.address) + ": " + Byte_To_Hex_String(difference.chip) +
            " " + Byte_To_Hex_String(difference.file) + "\n";
  return text;
}
