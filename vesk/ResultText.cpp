#include "ResultText.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Counted.h"
#include "HexRows.h"
#include "HexText.h"
#include "ImageFileIo.h"
#include "RomListLines.h"

namespace {

// Results text, where it goes.
void put(std::FILE* to, const std::string& text) {
  if (to == nullptr || text.empty()) return;
  std::fputs(text.c_str(), to);
  std::fflush(to);
}

// What went well (the messages leave it out when vesk is quiet).
void note(const TextOutput& out, const char* title, std::string text) {
  out.messages.show({MessageKind::Note, MessageIcon::Information, title, {std::move(text)}});
}

void warn(const TextOutput& out, const char* title, std::vector<std::string> lines) {
  out.messages.show({MessageKind::Warning, MessageIcon::Exclamation, title, std::move(lines)});
}

void error(const TextOutput& out, const char* title, std::string text) {
  out.messages.show({MessageKind::Error, MessageIcon::Critical, title, {std::move(text)}});
}

// Where a signal stopped the run, on a line of its own after the progress
// bar's: in which step (`step`: "in the blank check"), at which location,
// and what that left (`left`).
void showStop(const TextOutput& out, const char* title, const ChipRun& chip,
              const std::string& step, const std::string& left) {
  if (!chip.stop) return;
  warn(out, title,
       {"stopped " + step + " at location " + Address_To_Hex_String(chip.stop->location) + " of " +
        std::to_string(chip.size) + left});
}

// "in the read", and which pass of a read in several.
std::string readStep(const ChipRun& chip, int passes) {
  if (!chip.stop || passes <= 1) return "in the read";
  return "in the read, pass " + std::to_string(chip.stop->pass + 1) + " of " +
         std::to_string(passes) + ",";
}

// A file that could not be read or written: its name (or the standard stream), then why.
void showFileFailure(const TextOutput& out, const FileFailure& failure) {
  out.messages.show(failure.problem == FileProblem::Unwritable
                        ? storeFailedMessage(failure.file, failure.reason)
                        : loadFailedMessage(failure.file, failure.reason));
}

// A warning when some locations did not read the same in every pass.
void warnUnstable(const TextOutput& out, const char* title, std::size_t count, int passes) {
  if (count == 0) return;
  warn(out, title,
       {"The chip reads unstable: " + counted(count, "location did", "locations did") +
        " not read the same in all " + std::to_string(passes) + " passes"});
}

// The dump against the sources of --against (below).
std::string knownRomsText(const KnownRoms& known, std::size_t dumpSize);

// "File: out.bin", "Size: 4096 bytes", "CheckSum = 7EB58", "CRC32: ...",
// "SHA-1: ...", a line per finding ("address-line: address line A3 makes no
// difference"), then MAME's and the DAT line when asked for.
std::string identityText(const std::string& file, const DumpFacts& dump) {
  const ImageIdentity& identity = dump.identity;
  std::string text = "File: " + file + "\nSize: " + counted(identity.size, "byte", "bytes") + "\n";
  if (identity.checkSum) text += identity.checkSumText + "\n";
  text += "CRC32: " + identity.hashes.crc32 + "\nSHA-1: " + identity.hashes.sha1 + "\n";
  for (const Finding& finding : identity.findings)
    text += std::string(findingKindName(finding.kind)) + ": " + findingText(finding) + "\n";
  if (dump.lines.mame) text += mameRomLoadLine(file, identity.size, identity.hashes) + "\n";
  if (dump.lines.dat) text += datRomLine(file, identity.size, identity.hashes) + "\n";
  if (dump.known) text += knownRomsText(*dump.known, identity.size);
  return text;
}

// "2 locations read unstable in 3 passes (address: the bytes read; the bits
// that changed)", then every one: "00010: 3C 7D 3C; 41". Nothing when none.
std::string unstableText(std::span<const UnstableLocation> unstable, int passes) {
  if (unstable.empty()) return {};
  std::string text = counted(unstable.size(), "location reads", "locations read") +
                     " unstable in " + counted(passes, "pass", "passes") +
                     " (address: the bytes read; the bits that changed)\n";
  for (const UnstableLocation& location : unstable) {
    text += Address_To_Hex_String(location.address) + ":";
    for (const std::uint8_t value : location.values) (text += ' ') += Byte_To_Hex_String(value);
    text += "; " + Byte_To_Hex_String(location.mask) + "\n";
  }
  return text;
}

// A difference as verify lists it: "00100: 07 FF"; with the file placed at
// an --offset, its address in the file beside: "00100, 0E100: 07 FF" ("none"
// where the file has no such address).
std::string differenceLine(const ChipDifference& difference, std::int64_t offset = 0) {
  std::string address = Address_To_Hex_String(difference.address);
  if (offset != 0) {
    const std::int64_t inFile = difference.address - offset;
    address += ", " + (inFile < 0 ? std::string("none") : fileAddressText(inFile));
  }
  return address + ": " + Byte_To_Hex_String(difference.chip) + " " +
         Byte_To_Hex_String(difference.file);
}

// What a list of differences gives for each: "(address: chip file)", with
// the file's address beside the chip's when the file was placed at an --offset.
std::string differenceColumns(std::int64_t offset) {
  return offset != 0 ? "(address, file address: chip file)" : "(address: chip file)";
}

// A line per pattern: "data-line: only bit D3 differs: data line D3?".
std::string patternsText(std::span<const DifferencePattern> patterns, std::int64_t offset) {
  std::string text;
  for (const DifferencePattern& pattern : patterns)
    text += std::string(differencePatternName(pattern.kind)) + ": " +
            differencePatternText(pattern, offset) + "\n";
  return text;
}

// ", the first 16" when a list keeps fewer differences than there are.
std::string firstOf(std::int32_t count, std::size_t listed) {
  if (static_cast<std::size_t>(count) <= listed) return {};
  return ", the first " + std::to_string(listed);
}

// "3 bytes differ (address: chip file)" and the first of them, one a line;
// the bits still to program and those that need the chip erased; a line per
// pattern. Nothing when none.
std::string comparisonText(const ChipComparison& comparison, std::int64_t offset) {
  if (comparison.differences == 0) return {};
  std::string text = counted(comparison.differences, "byte differs", "bytes differ") + " " +
                     differenceColumns(offset) +
                     firstOf(comparison.differences, comparison.first.size()) + "\n";
  for (const ChipDifference& difference : comparison.first)
    text += differenceLine(difference, offset) + "\n";
  text += counted(comparison.bitsToProgram, "bit", "bits") +
          " still to program (1 on the chip, 0 in the file)\n";
  text += counted(comparison.bitsToErase, "bit needs", "bits need") +
          " the chip erased (0 on the chip, 1 in the file)\n";
  return text + patternsText(comparison.patterns, offset);
}

// How many locations took 1, 2 ... pulses ("1 pulse: 4088 locations"), only
// the counts there are, a bad location's pulses among them; with `over` or
// when some were, the locations stepped over; the location that took the
// most ("Most pulses: 3, at 00123").
std::string pulsesText(const PulseCounts& pulses, bool over) {
  std::string text;
  for (std::size_t count = 1; count < pulses.took.size(); ++count)
    if (pulses.took[count] != 0)
      text += counted(count, "pulse", "pulses") + ": " +
              counted(pulses.took[count], "location", "locations") + "\n";
  if (over || pulses.steppedOver > 0)
    text += "Stepped over: " + counted(pulses.steppedOver, "location", "locations") + "\n";
  if (pulses.mostAt >= 0)
    text += "Most pulses: " + std::to_string(pulses.most) + ", at " +
            Address_To_Hex_String(pulses.mostAt) + "\n";
  return text;
}

// The whole chip read back after a write, when it differs from the image:
// the differences as verify lists them, then a warning that says so.
void showWholeChipVerify(const TextOutput& out, const ChipComparison& comparison,
                         std::int64_t offset) {
  if (comparison.differences == 0) return;
  put(out.results, comparisonText(comparison, offset));
  warn(out, "Write Eprom",
       {"the whole chip read back after programming: " +
        counted(comparison.differences, "byte differs", "bytes differ") + " from the image"});
}

// Where a blank check found the chip not blank, after its refusal; then
// what a read after it found: how many locations are not FFh, where, and
// the pattern they show.
std::vector<std::string> notBlankLines(const BlankCheckResult& check,
                                       const std::optional<NotBlankChip>& read) {
  std::vector<std::string> lines{"location " + Address_To_Hex_String(check.location) + " holds " +
                                 Byte_To_Hex_String(check.value) + ", not FF"};
  if (!read) return lines;
  if (read->locations == 0) {
    lines.emplace_back("read again, every location reads FF: a bit that reads at random?");
    return lines;
  }
  std::string where = read->locations == 1 ? ", at " + Address_To_Hex_String(read->lowest)
                                           : ", from " + Address_To_Hex_String(read->lowest) +
                                                 " to " + Address_To_Hex_String(read->highest);
  lines.push_back("read again, " + counted(read->locations, "location is", "locations are") +
                  " not FF" + where);
  if (read->pattern) lines.push_back(notBlankPatternText(*read->pattern));
  return lines;
}

// The read after Bad Eprom: "Read again after Bad Eprom: 2 bytes differ from
// what the chip should hold by now (address: chip wanted)", the first of
// them, a line per pattern, and the location an open address line made the
// bad one's pulses go to.
std::string badReadText(const BadEpromRead& read, const BadLocation& bad) {
  const ChipComparison& comparison = read.comparison;
  std::string text = "Read again after Bad Eprom: ";
  if (comparison.differences == 0)
    return text + "no byte differs from what it should hold by now\n";
  text += counted(comparison.differences, "byte differs", "bytes differ") +
          " from what it should hold by now (address: chip wanted)" +
          firstOf(comparison.differences, comparison.first.size()) + "\n";
  for (const ChipDifference& difference : comparison.first)
    text += differenceLine(difference) + "\n";
  text += patternsText(comparison.patterns, 0);
  if (const std::optional<ChipDifference>& overwrote = read.overwrote)
    text += "the pulses for " + Address_To_Hex_String(bad.location) + " went to " +
            Address_To_Hex_String(overwrote->address) + ", which reads " +
            Byte_To_Hex_String(overwrote->chip) + " where " + Byte_To_Hex_String(overwrote->file) +
            " was programmed\n";
  return text;
}

// A write over the chip that would need a bit to go from 0 to 1, refused
// before any pulse: how many, and the first of them.
void showToErase(const TextOutput& out, const ChipComparison& comparison) {
  std::vector<std::string> lines{
      counted(comparison.bitsToErase, "bit", "bits") + " at " +
      counted(comparison.locationsToErase, "location", "locations") +
      " would have to go from 0 to 1: erase the chip first (address: chip file" +
      firstOf(comparison.locationsToErase, comparison.firstToErase.size()) + ")"};
  for (const ChipDifference& difference : comparison.firstToErase)
    lines.push_back(differenceLine(difference));
  warn(out, "Write Eprom", std::move(lines));
}

// Where a write met a location that would not program, after "Bad Eprom".
// The first location pulsed (the bad one, counted among the pulsed) still
// reading FFh is what a write with no chip in the socket, or no power on
// the board, looks like.
void showBad(const TextOutput& out, const BadLocation& bad, const PulseCounts& pulses) {
  std::vector<std::string> lines{"location " + Address_To_Hex_String(bad.location) + " wanted " +
                                 Byte_To_Hex_String(bad.wanted) + ", read " +
                                 Byte_To_Hex_String(bad.readBack) + " after the last pulse"};
  if (pulses.pulsed() == 1 && bad.readBack == 0xFF)
    lines.emplace_back("is a chip in the socket and the board powered?");
  warn(out, "Write Eprom", std::move(lines));
}

// "4096 Byte saved in out.hex as Intel HEX, CheckSum = 7EB58".
std::string savedText(const VeskReadResult& result) {
  std::string text = byteCountText(result.chip.size);
  text += result.file == "-" ? " written to standard output" : " saved in " + result.file;
  if (result.format != ImageFileFormat::Binary) (text += " as ") += formatName(result.format);
  return text + ", " + result.dump->identity.checkSumText;
}

// "The Eprom matches in.hex (Intel HEX) at the 5 locations it gives".
std::string matchedText(const VeskVerifyResult& result) {
  std::string text = "The Eprom matches " + fileShown(result.file, result.format);
  if (result.locationsGiven)
    text += " at the " + counted(*result.locationsGiven, "location", "locations") + " it gives";
  return text;
}

// "4096 Byte programmed from in.bin", or when locations were stepped over
// (over a chip, or FFh on a blank one) how many were programmed and how
// many stepped over; "the whole chip verified" once it read back right.
std::string programmedText(const VeskWriteResult& result) {
  const std::string from = fileShown(result.file, result.format);
  const PulseCounts& pulses = *result.pulses;
  std::string text = byteCountText(result.chip.size) + " programmed from " + from;
  if (result.over || pulses.steppedOver > 0)
    text = counted(pulses.pulsed(), "location", "locations") + " programmed from " + from + ", " +
           std::to_string(pulses.steppedOver) + " stepped over (they held their byte)";
  if (result.verify) text += "; the whole chip verified";
  return text;
}

// With --repeat: "2 copies of in.bin fill the chip's 16384 bytes".
template <class Result>
std::string repeatedText(const Result& result) {
  const std::string file = fileShown(result.file, result.format);
  return counted(*result.repeated, "copy of " + file + " fills", "copies of " + file + " fill") +
         " the chip's " + counted(result.chip.size, "byte", "bytes");
}

// What the chip holds of a write stopped once it had begun programming:
// "nothing was programmed", or how many locations were and the last, and
// where they are kept.
std::string programmedSoFar(const VeskWriteResult& result) {
  const std::int32_t pulsed = result.pulses ? result.pulses->pulsed() : 0;
  if (pulsed == 0) return "; nothing was programmed";
  std::string text = "; " + counted(pulsed, "location was", "locations were") +
                     " programmed, the last at " + Address_To_Hex_String(result.pulses->lastAt);
  switch (result.keeper) {
    case ProgrammedKeeper::ChipFile:
      return text + "; the chip file keeps them";
    case ProgrammedKeeper::Chip:
      return text + "; the chip keeps them";
    case ProgrammedKeeper::Nothing:
      break;
  }
  return text;
}

// The step a write was in when a signal stopped it.
std::string writeStep(const RunStop& stop) {
  switch (stop.step) {
    case RunStep::Reading:
      return "in the read before --over";
    case RunStep::BlankCheck:
      return "in the blank check";
    case RunStep::Programming:
      break;
    case RunStep::Verifying:
      return "in the whole-chip verify";
  }
  return "while programming";
}

// What a stopped write left: nothing programmed before the programming
// began; from then on, what was programmed and where it is kept, every
// location before the stop.
std::string leftByStop(const VeskWriteResult& result) {
  if (!result.chip.stop) return {};
  const RunStep step = result.chip.stop->step;
  if (step == RunStep::Reading || step == RunStep::BlankCheck) return "; nothing was programmed";
  std::string left = programmedSoFar(result);
  if (step == RunStep::Verifying) left += "; the chip is not verified";
  return left;
}

// "12.75 V": volts given in hundredths, without the zeros a datasheet leaves out.
std::string voltsText(int hundredths) {
  std::string text = std::to_string(hundredths / 100);
  if (const int decimals = hundredths % 100; decimals != 0) {
    text.push_back('.');
    text.push_back(static_cast<char>('0' + decimals / 10));
    if (decimals % 10 != 0) text.push_back(static_cast<char>('0' + decimals % 10));
  }
  return text + " V";
}

// "27C010 27C1001 271001": a part's names.
std::string namesText(const ChipPart& part) {
  std::string text;
  for (const char* name : part.names) {
    if (name == nullptr) continue;
    if (!text.empty()) text += ' ';
    text += name;
  }
  return text;
}

// `text` and blanks after it up to `width`, and one more.
std::string column(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text + ' ';
}

// A part as `types` lists it: names, size, the board's type, algorithm, VPP, VCC.
std::string partLine(const ChipPart& part, std::size_t namesWidth) {
  return column(namesText(part), namesWidth) +
         column(std::to_string(catalogueRowOf(part).size), 7) + column(part.type, 6) +
         column(algorithmName(part.algorithm), 11) + column(voltsText(part.vpp), 7) +
         voltsText(part.vcc) + "\n";
}

// Why split or merge did not go through, under its command's title.
void showFilesFailure(const TextOutput& out, const VeskFilesResult& result) {
  const FileFailure& failure = *result.failure;
  const char* title = result.command == VeskFilesResult::Command::Split ? "Split" : "Merge";
  switch (failure.problem) {
    case FileProblem::Unreadable:
    case FileProblem::Unwritable:
      return showFileFailure(out, failure);
    case FileProblem::Exists:
      return error(out, title, failure.file + " exists already: give --force to replace it");
    case FileProblem::Unnamed:
      return error(out, title, "split takes a named file: its parts are named after it");
    case FileProblem::Unsplittable:
      return error(out, title, failure.file + ": " + failure.reason);
    case FileProblem::Unmergeable:
      return error(out, title, failure.reason);
    case FileProblem::PartCount:
      break;
  }
  error(out, title,
        "--ways " + std::to_string(result.ways) + " joins " + std::to_string(result.ways) +
            " parts, not " + std::to_string(result.partsGiven));
}

// "336,504": a count as people read a big one.
std::string grouped(std::uint64_t count) {
  const std::string digits = std::to_string(count);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

// "the 336,504 ROMs of mame.xml, the 12 ROMs of synth.dat and the 1 ROM of
// roms": one item a source, as `count` counts them; with `allSources`, the
// sources it counts none of too.
template <class Count>
std::string sourcesText(const std::vector<SourceSummary>& sources, const char* one,
                        const char* many, Count count, bool allSources) {
  std::vector<std::string> items;
  for (const SourceSummary& source : sources)
    if (const std::uint64_t n = count(source); n != 0 || allSources)
      items.push_back("the " + grouped(n) + " " + (n == 1 ? one : many) + " of " + source.path);
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i)
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  return text;
}

// Where a ROM list loads a ROM: hex, at least four digits ("0000", "1F800").
std::string offsetHex(std::uint64_t offset) {
  char text[24];
  std::snprintf(text, sizeof text, "%04llX", static_cast<unsigned long long>(offset));
  return text;
}

// A location of a dump, as verify lists one: "00100".
std::string dumpAddress(std::uint64_t address) {
  return Address_To_Hex_String(static_cast<std::int32_t>(address));
}

// The part of the dump a known ROM covers, after its name: nothing for the
// whole dump, ", 2 copies of its 2048 bytes", ", the dump's 2048 bytes at
// 01800 (the rest FFh)".
std::string coverText(std::uint64_t offset, std::uint64_t length, std::uint64_t copies,
                      std::uint64_t size, std::size_t dumpSize, const char* rest) {
  if (copies > 1)
    return ", " + counted(copies, "copy", "copies") + " of its " + std::to_string(size) + " bytes";
  if (offset == 0 && length == dumpSize) return {};
  return ", the dump's " + counted(length, "byte", "bytes") + " at " + dumpAddress(offset) + rest;
}

// The byte of a word a ROM is on a 16- or 32-bit board.
std::string wordByteText(const WordByte& byte) {
  if (byte.width == 2) return byte.lane == 0 ? "even byte" : "odd byte";
  return "byte lane " + std::to_string(byte.lane) + " of a 32-bit word";
}

// "Identified: puckman (Puck Man (Japan set 1)): pm1_prg1.6e, maincpu at
// 0000, CRC32 and SHA-1 match (mame.xml)", with the part of the dump it is,
// the loadflag and byte of a word, and a bad dump said as such.
std::string identifiedLine(const IdentifiedRom& rom, std::size_t dumpSize) {
  std::string line = "Identified: " + rom.set;
  if (!rom.description.empty()) line += " (" + rom.description + ")";
  line +=
      ": " + rom.rom +
      coverText(rom.dumpOffset, rom.dumpLength, rom.copies, rom.size, dumpSize, " (the rest FFh)");
  if (!rom.region.empty()) line += ", " + rom.region;
  if (rom.offset) line += (rom.region.empty() ? ", at " : " at ") + offsetHex(*rom.offset);
  if (!rom.loadflag.empty()) line += " (" + rom.loadflag + ")";
  if (rom.byte) line += ", " + wordByteText(*rom.byte);
  if (rom.status == RomStatus::BadDump) line += ", baddump: a dump known to be bad";
  line += rom.match == RomMatch::Crc32AndSha1 ? ", CRC32 and SHA-1 match" : ", CRC32 only";
  return line + " (" + rom.source + ")\n";
}

// "3 bits differ at 3 locations, all 3 lost charge: bit rot: the reference
// is what the chip held", or with bits programmed where the reference has
// none "..., 3 lost charge, 5 programmed extra: another version of
// original.bin, or a damaged chip".
std::string nearVerdictText(const NearestRom& near) {
  if (near.bits == 0) return "no bit differs: the reference is what the chip held";
  std::string text = counted(near.bits, "bit differs", "bits differ") + " at " +
                     counted(near.locations, "location", "locations");
  if (near.verdict == NearVerdict::BitRot)
    return text +
           (near.bits == 1 ? ", lost charge"
                           : ", all " + std::to_string(near.bits) + " lost charge") +
           ": bit rot: the reference is what the chip held";
  return text + ", " + std::to_string(near.lostCharge) + " lost charge, " +
         std::to_string(near.programmedExtra) + " programmed extra: another version of " +
         near.rom + ", or a damaged chip";
}

// "Nearest: set7: original.bin (roms), ..." and the verdict; then, indented,
// the first differences as "address: chip reference" and a line per pattern.
std::string nearestText(const NearestRom& near, std::size_t dumpSize) {
  std::string text = "Nearest: " + near.set + ": " + near.rom + " (" + near.source + ")" +
                     coverText(near.dumpOffset, near.dumpLength, 1, near.size, dumpSize, "") +
                     ", " + nearVerdictText(near) + "\n";
  if (!near.first.empty())
    text += "  address: chip reference" +
            firstOf(static_cast<std::int32_t>(near.locations), near.first.size()) + "\n";
  for (const RomDifference& difference : near.first)
    text += "  " + dumpAddress(difference.address) + ": " + Byte_To_Hex_String(difference.chip) +
            " " + Byte_To_Hex_String(difference.reference) + "\n";
  for (const DifferencePattern& pattern : near.findings)
    text += "  " + std::string(differencePatternName(pattern.kind)) + ": " +
            differencePatternText(pattern) + "\n";
  return text;
}

// "Left out of the comparison: 2 unstable locations (00010, 01234)", the
// first 16 of them named.
std::string leftOutText(const std::vector<std::uint64_t>& leftOut) {
  std::string text = "Left out of the comparison: " +
                     counted(leftOut.size(), "unstable location", "unstable locations") + " (";
  const std::size_t named = std::min(leftOut.size(), kFirstDifferences);
  for (std::size_t i = 0; i < named; ++i) text += (i == 0 ? "" : ", ") + dumpAddress(leftOut[i]);
  return text + (named < leftOut.size() ? ", ...)\n" : ")\n");
}

// The dump against the sources of --against: a line per known ROM it is;
// else "Not among the 336,504 ROMs of mame.xml", then the nearest reference
// images, or that none is near, and the unstable locations left out.
std::string knownRomsText(const KnownRoms& known, std::size_t dumpSize) {
  const DumpIdentification& found = known.identification;
  std::string text;
  for (const IdentifiedRom& rom : found.identified) text += identifiedLine(rom, dumpSize);
  if (!found.identified.empty()) return text;
  text += "Not among " +
          sourcesText(
              known.sources, "ROM", "ROMs",
              [](const SourceSummary& source) { return source.listed; }, true) +
          "\n";
  for (const NearestRom& near : found.nearest) text += nearestText(near, dumpSize);
  if (found.search == NearestSearch::NoneClose)
    text += "Nearest: none within " + std::to_string(static_cast<int>(kNearLimit * 100)) +
            " % of the dump's bytes among " +
            sourcesText(
                known.sources, "image", "images",
                [](const SourceSummary& source) { return source.images; }, false) +
            "\n";
  const bool compared =
      found.search == NearestSearch::Found || found.search == NearestSearch::NoneClose;
  if (compared && !found.leftOut.empty()) text += leftOutText(found.leftOut);
  return text;
}

}  // namespace

void showText(const VeskReadResult& result, const TextOutput& out) {
  showStop(out, "Read Eprom", result.chip, readStep(result.chip, result.passes),
           "; nothing was saved");
  if (result.failure) showFileFailure(out, *result.failure);
  if (!result.dump) return;
  note(out, "Read Eprom", savedText(result));
  // Standard output carries the image itself when the file is "-".
  put(result.file == "-" ? out.besideImage : out.results,
      identityText(result.file, *result.dump) + unstableText(result.unstable, result.passes));
  warnUnstable(out, "Read Eprom", result.unstable.size(), result.passes);
}

void showText(const VeskBlankResult& result, const TextOutput& out) {
  if (result.check && !result.check->blank)
    warn(out, "Blank Check", notBlankLines(*result.check, result.notBlankRead));
  if (result.chip.outcome == CommandOutcome::Done)
    note(out, "Blank Check",
         result.socketCouldBeEmpty ? "The Eprom is Empty (an empty socket reads the same)"
                                   : "The Eprom is Empty");
  showStop(out, "Blank Check", result.chip, "in the blank check", "");
}

void showText(const VeskWriteResult& result, const TextOutput& out) {
  if (result.failure) showFileFailure(out, *result.failure);
  if (result.repeated) note(out, "Write Eprom", repeatedText(result));
  if (result.toErase) showToErase(out, *result.toErase);
  // A programmed chip may be wanted as it is: --over burns over it; not
  // where a line stuck low explains what it holds.
  if (result.notBlank) {
    std::vector<std::string> lines = notBlankLines(*result.notBlank, result.notBlankRead);
    const bool stuck = result.notBlankRead && result.notBlankRead->pattern &&
                       result.notBlankRead->pattern->kind == NotBlankPatternKind::LinesLow;
    if (!stuck) lines.emplace_back("give --over to program over what it holds");
    warn(out, "Write Eprom", lines);
  }
  if (result.bad && result.pulses) showBad(out, *result.bad, *result.pulses);
  if (result.pulses) put(out.results, pulsesText(*result.pulses, result.over));
  if (result.bad && result.badRead) put(out.results, badReadText(*result.badRead, *result.bad));
  if (result.verify) showWholeChipVerify(out, *result.verify, result.offset);
  if (result.pulses && statusOf(result) == VeskStatus::Done)
    note(out, "Write Eprom", programmedText(result));
  if (result.chip.stop)
    showStop(out, "Write Eprom", result.chip, writeStep(*result.chip.stop), leftByStop(result));
}

void showText(const VeskVerifyResult& result, const TextOutput& out) {
  if (result.failure) showFileFailure(out, *result.failure);
  if (result.repeated) note(out, "Verify", repeatedText(result));
  showStop(out, "Verify", result.chip, readStep(result.chip, result.passes),
           "; nothing was compared");
  if (!result.comparison) return;
  put(out.results, comparisonText(*result.comparison, result.offset) +
                       unstableText(result.unstable, result.passes));
  warnUnstable(out, "Verify", result.unstable.size(), result.passes);
  if (statusOf(result) == VeskStatus::Done) note(out, "Verify", matchedText(result));
}

void showText(const VeskInfoResult& result, const TextOutput& out, bool parted) {
  if (result.failure) showFileFailure(out, *result.failure);
  if (!result.dump) return;
  std::string text = parted ? "\n" : "";
  put(out.results, text += identityText(result.file, *result.dump));
}

void announceVoltages(const VeskWriteResult& result, Messages& messages) {
  if (result.part == nullptr) return;
  messages.show({MessageKind::Announcement,
                 MessageIcon::Information,
                 "Write Eprom",
                 {"set VPP to " + voltsText(result.part->vpp) + ", VCC " +
                  voltsText(result.part->vcc) + " for the " + result.part->names.front()}});
}

void VoltageAnnouncing::show(const Message& message) {
  messages_.show(message);
  if (announced_ || message.kind != MessageKind::Announcement) return;
  announced_ = true;
  announceVoltages(result_, messages_);
}

void showText(const VeskTypesResult& result, const TextOutput& out) {
  std::size_t namesWidth = 4;
  for (const ChipPart& part : result.parts)
    namesWidth = std::max(namesWidth, namesText(part).size());
  std::string text = column("Part", namesWidth) + "Size    Type   Algorithm   VPP     VCC\n";
  for (const ChipPart& part : result.parts) text += partLine(part, namesWidth);
  // Each note once, after the parts it is about: "2716, 2732: its datasheet ...".
  std::string notes;
  for (const ChipPart& noted : result.parts) {
    if (noted.note == nullptr) continue;
    std::string parts;
    for (const ChipPart& part : result.parts) {
      if (part.note != noted.note) continue;
      if (&part < &noted) break;  // listed with the first part it is about
      (parts += parts.empty() ? "" : ", ") += part.names.front();
    }
    if (!parts.empty()) notes += parts + ": " + noted.note + "\n";
  }
  std::string prefixes;
  for (const std::string_view prefix : result.prefixes)
    (prefixes += prefixes.empty() ? "" : ", ") += prefix;
  put(out.results, text + notes + "Makers' prefixes before the name: " + prefixes +
                       "; after it, any speed, package or revision suffix (-10F1, -150DC, R)\n");
}

void showText(const VeskFilesResult& result, const TextOutput& out) {
  if (result.failure) showFilesFailure(out, result);
  std::string text;
  for (const WrittenFile& file : result.written)
    text += file.name + ": " + counted(file.size, "byte", "bytes") + ", CRC32 " +
            file.hashes.crc32 + ", SHA-1 " + file.hashes.sha1 + "\n";
  put(out.results, text);
}

void showIndexes(const RomReferences& references, Messages& messages) {
  for (const LoadedSource& source : references.sources) {
    const IndexReport& index = source.summary.index;
    const std::string of = "the index of " + source.summary.path;
    const std::string rebuilt = index.written ? "rebuilt" : "the source read instead";
    if (index.found == IndexFound::Damaged)
      messages.show({MessageKind::Warning,
                     MessageIcon::Exclamation,
                     "vesk",
                     {of + " was damaged (" + index.damage + "): " + rebuilt}});
    if (index.found == IndexFound::Stale)
      messages.show({MessageKind::Note,
                     MessageIcon::Information,
                     "vesk",
                     {of + " was out of date: " + rebuilt}});
    if (!index.notWritten.empty())
      messages.show({MessageKind::Note,
                     MessageIcon::Information,
                     "vesk",
                     {of + " cannot be written (" + index.notWritten +
                      "): the source is read again at every use"}});
  }
}
