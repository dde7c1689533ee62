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

void CommandReport::setDifferences(std::span<const PassedDifference> differences) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const PassedDifference& difference : differences)
    list.push_back(
        {{"address", difference.address}, {"chip", difference.chip}, {"file", difference.file}});
  fields_["differences"] = std::move(list);
}
