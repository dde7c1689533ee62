#include "VeskReport.h"

#include "HexDigits.h"
#include "RomListLines.h"

namespace {

// A finding as its kind's name, its text and the fields of its kind.
nlohmann::ordered_json findingObject(const Finding& finding) {
  nlohmann::ordered_json object{{"kind", findingKindName(finding.kind)}};
  switch (finding.kind) {
    case FindingKind::AllFf:
      break;
    case FindingKind::AllSame:
      object["value"] = finding.value;
      break;
    case FindingKind::Repeats:
      object["part_size"] = finding.partSize;
      object["copies"] = finding.copies;
      object["part_crc32"] = finding.part.crc32;
      object["part_sha1"] = finding.part.sha1;
      break;
    case FindingKind::AddressLine:
      object["line"] = finding.line;
      break;
    case FindingKind::DataBit:
      object["bit"] = finding.bit;
      object["value"] = finding.value;
      break;
  }
  object["text"] = findingText(finding);
  return object;
}

}  // namespace

void CommandReport::setIdentity(const std::string& file, const ImageIdentity& identity,
                                RomListLines lines) {
  fields_["size"] = identity.size;
  fields_["checksum"] = nullptr;
  if (identity.checkSum) fields_["checksum"] = hexWithoutLeadingZeros(*identity.checkSum);
  fields_["crc32"] = identity.hashes.crc32;
  fields_["sha1"] = identity.hashes.sha1;
  nlohmann::ordered_json findings = nlohmann::ordered_json::array();
  for (const Finding& finding : identity.findings) findings.push_back(findingObject(finding));
  fields_["findings"] = std::move(findings);
  if (lines.mame) fields_["mame"] = mameRomLoadLine(file, identity.size, identity.hashes);
  if (lines.dat) fields_["dat"] = datRomLine(file, identity.size, identity.hashes);
}

void CommandReport::setUnstable(std::span<const UnstableLocation> unstable) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const UnstableLocation& location : unstable)
    list.push_back(
        {{"address", location.address}, {"values", location.values}, {"mask", location.mask}});
  fields_["unstable"] = std::move(list);
}

void CommandReport::setComparison(const ChipComparison& comparison) {
  fields_["differences"] = comparison.differences;
  fields_["bits_to_program"] = comparison.bitsToProgram;
  fields_["bits_to_erase"] = comparison.bitsToErase;
  setDifferenceList("first", comparison.first);
  nlohmann::ordered_json findings = nlohmann::ordered_json::array();
  for (const DifferencePattern& pattern : comparison.patterns) {
    nlohmann::ordered_json object{{"kind", differencePatternName(pattern.kind)}};
    if (pattern.kind != DifferencePatternKind::Blank) object["line"] = pattern.line;
    object["text"] = differencePatternText(pattern);
    findings.push_back(std::move(object));
  }
  fields_["findings"] = std::move(findings);
}

void CommandReport::setDifferenceList(const char* key,
                                      std::span<const ChipDifference> differences) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const ChipDifference& difference : differences)
    list.push_back(
        {{"address", difference.address}, {"chip", difference.chip}, {"file", difference.file}});
  fields_[key] = std::move(list);
}

void CommandReport::setPulses(const PulseCounts& pulses, bool over) {
  nlohmann::ordered_json histogram = nlohmann::ordered_json::object();
  for (std::size_t count = 1; count < pulses.took.size(); ++count)
    if (pulses.took[count] != 0) histogram[std::to_string(count)] = pulses.took[count];
  fields_["pulses"] = std::move(histogram);
  if (over) fields_["stepped_over"] = pulses.steppedOver;
  if (pulses.mostAt >= 0)
    fields_["most_pulses"] = {{"address", pulses.mostAt}, {"count", pulses.most}};
}
