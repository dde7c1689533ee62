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

std::string differenceLine(const ChipDifference& difference) {
  return Address_To_Hex_String(difference.address) + ": " + Byte_To_Hex_String(difference.chip) +
         " " + Byte_To_Hex_String(difference.file);
}

std::string comparisonText(const ChipComparison& comparison) {
  if (comparison.differences == 0) return {};
  const auto count = static_cast<std::size_t>(comparison.differences);
  std::string text = counted(count, "byte differs", "bytes differ") + " (address: chip file)";
  if (count > comparison.first.size())
    text += ", the first " + std::to_string(comparison.first.size());
  text += "\n";
  for (const ChipDifference& difference : comparison.first)
    text += differenceLine(difference) + "\n";
  text += counted(static_cast<std::size_t>(comparison.bitsToProgram), "bit", "bits") +
          " still to program (1 on the chip, 0 in the file)\n";
  text += counted(static_cast<std::size_t>(comparison.bitsToErase), "bit needs", "bits need") +
          " the chip erased (0 on the chip, 1 in the file)\n";
  for (const DifferencePattern& pattern : comparison.patterns)
    text += std::string(differencePatternName(pattern.kind)) + ": " +
            differencePatternText(pattern) + "\n";
  return text;
}

std::string pulsesText(const PulseCounts& pulses, bool over) {
  std::string text;
  for (std::size_t count = 1; count < pulses.took.size(); ++count)
    if (const auto locations = static_cast<std::size_t>(pulses.took[count]); locations != 0)
      text += counted(count, "pulse", "pulses") + ": " +
              counted(locations, "location", "locations") + "\n";
  if (over)
    text += "Stepped over: " +
            counted(static_cast<std::size_t>(pulses.steppedOver), "location", "locations") + "\n";
  if (pulses.mostAt >= 0)
    text += "Most pulses: " + std::to_string(pulses.most) + ", at " +
            Address_To_Hex_String(pulses.mostAt) + "\n";
  return text;
}
