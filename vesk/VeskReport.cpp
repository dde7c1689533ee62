#include "VeskReport.h"

#include <span>
#include <utility>

#include "HexDigits.h"
#include "RomListLines.h"

namespace {

using Json = nlohmann::ordered_json;

// A finding as its kind's name, its text and the fields of its kind.
Json findingObject(const Finding& finding) {
  Json object{{"kind", findingKindName(finding.kind)}};
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

// "command", "type" and "file" (null where there is none).
Json head(const char* command, Json type, Json file) {
  return {{"command", command}, {"type", std::move(type)}, {"file", std::move(file)}};
}

// The known ROMs of --against (below).
void addKnownRoms(Json& object, const KnownRoms& known);

void addDump(Json& object, const std::string& file, const DumpFacts& dump) {
  const ImageIdentity& identity = dump.identity;
  object["size"] = identity.size;
  object["checksum"] = nullptr;
  if (identity.checkSum) object["checksum"] = hexWithoutLeadingZeros(*identity.checkSum);
  object["crc32"] = identity.hashes.crc32;
  object["sha1"] = identity.hashes.sha1;
  Json findings = Json::array();
  for (const Finding& finding : identity.findings) findings.push_back(findingObject(finding));
  object["findings"] = std::move(findings);
  if (dump.lines.mame) object["mame"] = mameRomLoadLine(file, identity.size, identity.hashes);
  if (dump.lines.dat) object["dat"] = datRomLine(file, identity.size, identity.hashes);
  if (dump.known) addKnownRoms(object, *dump.known);
}

Json unstableList(std::span<const UnstableLocation> unstable) {
  Json list = Json::array();
  for (const UnstableLocation& location : unstable)
    list.push_back(
        {{"address", location.address}, {"values", location.values}, {"mask", location.mask}});
  return list;
}

// The differences, each with its address in the file beside the chip's
// when the file was placed with an --offset (null where the file has none).
Json differenceList(std::span<const ChipDifference> differences, std::int64_t offset = 0) {
  Json list = Json::array();
  for (const ChipDifference& difference : differences) {
    Json item{{"address", difference.address}};
    if (offset != 0) {
      const std::int64_t inFile = difference.address - offset;
      item["file_address"] = inFile < 0 ? Json(nullptr) : Json(inFile);
    }
    item["chip"] = difference.chip;
    item["file"] = difference.file;
    list.push_back(std::move(item));
  }
  return list;
}

// A pattern as its kind's name, the fields of its kind and its text.
Json patternObject(const DifferencePattern& pattern, std::int64_t offset) {
  Json finding{{"kind", differencePatternName(pattern.kind)}};
  switch (pattern.kind) {
    case DifferencePatternKind::DataLine:
      finding["line"] = pattern.line;
      break;
    case DifferencePatternKind::AddressLine:
      finding["line"] = pattern.line;
      finding["written_through"] = pattern.writtenThrough;
      break;
    case DifferencePatternKind::Shifted:
      finding["chip_address"] = pattern.chipAt;
      finding["file_address"] = pattern.fileAt - offset;
      break;
    case DifferencePatternKind::Blank:
    case DifferencePatternKind::BlankWhereData:
      break;
  }
  finding["text"] = differencePatternText(pattern, offset);
  return finding;
}

Json patternList(std::span<const DifferencePattern> patterns, std::int64_t offset) {
  Json list = Json::array();
  for (const DifferencePattern& pattern : patterns) list.push_back(patternObject(pattern, offset));
  return list;
}

void addComparison(Json& object, const ChipComparison& comparison, std::int64_t offset) {
  object["differences"] = comparison.differences;
  object["bits_to_program"] = comparison.bitsToProgram;
  object["bits_to_erase"] = comparison.bitsToErase;
  object["first"] = differenceList(comparison.first, offset);
  object["findings"] = patternList(comparison.patterns, offset);
}

void addPulses(Json& object, const PulseCounts& pulses, bool over) {
  Json histogram = Json::object();
  for (std::size_t count = 1; count < pulses.took.size(); ++count)
    if (pulses.took[count] != 0) histogram[std::to_string(count)] = pulses.took[count];
  object["pulses"] = std::move(histogram);
  if (over || pulses.steppedOver > 0) object["stepped_over"] = pulses.steppedOver;
  if (pulses.mostAt >= 0)
    object["most_pulses"] = {{"address", pulses.mostAt}, {"count", pulses.most}};
}

Json notBlankObject(const BlankCheckResult& check) {
  return {{"address", check.location}, {"value", check.value}};
}

// A text the source may not give: null when it gives none.
Json textOrNull(const std::string& text) {
  return text.empty() ? Json(nullptr) : Json(text);
}

Json identifiedObject(const IdentifiedRom& rom) {
  return {{"source", rom.source},
          {"set", rom.set},
          {"description", textOrNull(rom.description)},
          {"rom", rom.rom},
          {"size", rom.size},
          {"crc32", rom.crc32},
          {"sha1", textOrNull(rom.sha1)},
          {"status", romStatusName(rom.status)},
          {"match", romMatchName(rom.match)},
          {"dump_offset", rom.dumpOffset},
          {"dump_length", rom.dumpLength},
          {"copies", rom.copies},
          {"region", textOrNull(rom.region)},
          {"offset", rom.offset ? Json(*rom.offset) : Json(nullptr)},
          {"loadflag", textOrNull(rom.loadflag)},
          {"byte", rom.byte ? Json(wordByteName(*rom.byte)) : Json(nullptr)}};
}

Json nearestObject(const NearestRom& near) {
  Json first = Json::array();
  for (const RomDifference& difference : near.first)
    first.push_back({{"address", difference.address},
                     {"chip", difference.chip},
                     {"reference", difference.reference}});
  return {{"source", near.source},
          {"set", near.set},
          {"rom", near.rom},
          {"size", near.size},
          {"dump_offset", near.dumpOffset},
          {"dump_length", near.dumpLength},
          {"bits", near.bits},
          {"locations", near.locations},
          {"lost_charge", near.lostCharge},
          {"programmed_extra", near.programmedExtra},
          {"first", std::move(first)},
          {"findings", patternList(near.findings, 0)},
          {"verdict", nearVerdictName(near.verdict)}};
}

// The known ROMs the dump is, and the nearest: both lists, empty or not.
void addKnownRoms(Json& object, const KnownRoms& known) {
  Json identified = Json::array(), nearest = Json::array();
  for (const IdentifiedRom& rom : known.identification.identified)
    identified.push_back(identifiedObject(rom));
  for (const NearestRom& near : known.identification.nearest)
    nearest.push_back(nearestObject(near));
  object["identified"] = std::move(identified);
  object["nearest"] = std::move(nearest);
}

// Volts given in hundredths, as a number: 12.75.
double volts(int hundredths) {
  return hundredths / 100.0;
}

// The part's names, size, the board's type, algorithm, voltages, and where
// its datasheet's algorithm does not fit the board, the note that says so.
Json partObject(const ChipPart& part) {
  Json names = Json::array();
  for (const char* name : part.names)
    if (name != nullptr) names.push_back(name);
  Json object{{"names", std::move(names)}, {"size", catalogueRowOf(part).size},
              {"type", part.type},         {"algorithm", algorithmName(part.algorithm)},
              {"vpp", volts(part.vpp)},    {"vcc", volts(part.vcc)}};
  if (part.note != nullptr) object["note"] = part.note;
  return object;
}

// What the read after a refused blank check found.
Json notBlankReadObject(const NotBlankChip& read) {
  Json object{{"locations", read.locations}};
  if (read.locations > 0) {
    object["lowest"] = read.lowest;
    object["highest"] = read.highest;
  }
  Json findings = Json::array();
  if (const std::optional<NotBlankPattern>& pattern = read.pattern) {
    Json finding{{"kind", notBlankPatternName(pattern->kind)}};
    if (pattern->kind != NotBlankPatternKind::SingleBits) finding["value"] = pattern->value;
    finding["text"] = notBlankPatternText(*pattern);
    findings.push_back(std::move(finding));
  }
  object["findings"] = std::move(findings);
  return object;
}

// What the read after Bad Eprom found.
Json badReadObject(const BadEpromRead& read) {
  Json object{{"differences", read.comparison.differences},
              {"first", differenceList(read.comparison.first)},
              {"findings", patternList(read.comparison.patterns, 0)}};
  if (const std::optional<ChipDifference>& overwrote = read.overwrote)
    object["overwrote"] = {
        {"address", overwrote->address}, {"chip", overwrote->chip}, {"file", overwrote->file}};
  return object;
}

template <class Result>
Json withStatus(Json object, const Result& result) {
  object["status"] = static_cast<int>(statusOf(result));
  return object;
}

}  // namespace

Json reportOf(const VeskReadResult& result) {
  Json object = head("read", result.chip.type, result.file);
  object["passes"] = result.passes;
  if (result.dump) {
    addDump(object, result.file, *result.dump);
    object["unstable"] = unstableList(result.unstable);
  }
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskBlankResult& result) {
  Json object = head("blank", result.chip.type, nullptr);
  if (result.check) object["blank"] = result.check->blank;
  if (result.check && !result.check->blank)
    object["first_not_blank"] = notBlankObject(*result.check);
  if (result.notBlankRead) object["not_blank"] = notBlankReadObject(*result.notBlankRead);
  if (result.check && result.check->blank)
    object["socket_could_be_empty"] = result.socketCouldBeEmpty;
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskWriteResult& result) {
  Json object = head("write", result.chip.type, result.file);
  if (const ChipPart* part = result.part) {
    object["part"] = part->names.front();
    object["vpp"] = volts(part->vpp);
    object["vcc"] = volts(part->vcc);
  }
  if (result.repeated) object["repeated"] = *result.repeated;
  if (const std::optional<ChipComparison>& toErase = result.toErase) {
    object["bits_to_erase"] = toErase->bitsToErase;
    object["locations_to_erase"] = toErase->locationsToErase;
    object["first_to_erase"] = differenceList(toErase->firstToErase);
  }
  if (result.notBlank) object["first_not_blank"] = notBlankObject(*result.notBlank);
  if (result.notBlankRead) object["not_blank"] = notBlankReadObject(*result.notBlankRead);
  if (const std::optional<BadLocation>& bad = result.bad)
    object["bad"] = {{"address", bad->location}, {"wanted", bad->wanted}, {"read", bad->readBack}};
  if (result.badRead) object["bad_read"] = badReadObject(*result.badRead);
  if (result.pulses) addPulses(object, *result.pulses, result.over);
  if (result.verify) {
    Json verify = Json::object();
    addComparison(verify, *result.verify, result.offset);
    object["verify"] = std::move(verify);
  }
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskVerifyResult& result) {
  Json object = head("verify", result.chip.type, result.file);
  object["passes"] = result.passes;
  if (result.repeated) object["repeated"] = *result.repeated;
  if (result.comparison) {
    addComparison(object, *result.comparison, result.offset);
    object["unstable"] = unstableList(result.unstable);
  }
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskInfoResult& result) {
  Json object = head("info", nullptr, result.file);
  if (result.dump) addDump(object, result.file, *result.dump);
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskFilesResult& result) {
  Json object{{"command", result.command == VeskFilesResult::Command::Split ? "split" : "merge"},
              {"file", result.file},
              {"ways", result.ways}};
  Json written = Json::array();
  for (const WrittenFile& file : result.written)
    written.push_back({{"file", file.name},
                       {"size", file.size},
                       {"crc32", file.hashes.crc32},
                       {"sha1", file.hashes.sha1}});
  object["written"] = std::move(written);
  return withStatus(std::move(object), result);
}

Json reportOf(const VeskTypesResult& result) {
  Json parts = Json::array();
  for (const ChipPart& part : result.parts) parts.push_back(partObject(part));
  Json prefixes = Json::array();
  for (const std::string_view prefix : result.prefixes) prefixes.push_back(prefix);
  return withStatus(
      {{"command", "types"}, {"parts", std::move(parts)}, {"prefixes", std::move(prefixes)}},
      result);
}

std::string reportLine(const nlohmann::ordered_json& report) {
  return report.dump() + "\n";
}
