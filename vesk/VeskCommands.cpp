#include "VeskCommands.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "CheckSum.h"
#include "ChipComparison.h"
#include "HexRows.h"
#include "HexText.h"
#include "ImageFileIo.h"
#include "ImageIdentity.h"
#include "InfoCommand.h"
#include "ReadPasses.h"
#include "ResultText.h"
#include "SplitMerge.h"
#include "VeskReport.h"
#include "VeskSubcommands.h"

namespace {

VeskStatus statusOf(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::Done:
      return VeskStatus::Done;
    case CommandOutcome::NotBlank:
    case CommandOutcome::BadEprom:
      return VeskStatus::ChipSaidNo;
    case CommandOutcome::Stopped:
      return VeskStatus::Stopped;
    case CommandOutcome::NoPort:
    case CommandOutcome::PortFailed:
    case CommandOutcome::ChipFileFailed:
      break;
  }
  return VeskStatus::Failed;
}

// The compared locations that read unstable against `file`: those that
// differ from it in some passes only, and those that differ in every pass
// though each bit's majority is the file's byte, which can only come of
// passes that disagree.
std::vector<UnstableLocation> unstableAgainst(std::span<const MemoryImage> passes,
                                              const MergedPasses& merged, const MemoryImage& file,
                                              const std::vector<bool>& compared) {
  PassedComparison comparison = comparePasses(passes, file);
  const auto uncompared = [&](const UnstableLocation& at) {
    return !compared[static_cast<std::size_t>(at.address)];
  };
  std::erase_if(comparison.unstable, uncompared);
  for (const PassedDifference& difference : comparison.differences)
    if (difference.chip == difference.file &&
        compared[static_cast<std::size_t>(difference.address)])
      comparison.unstable.push_back(*std::ranges::lower_bound(merged.unstable, difference.address,
                                                              {}, &UnstableLocation::address));
  std::ranges::sort(comparison.unstable, {}, &UnstableLocation::address);
  return comparison.unstable;
}

// A command on the board: read, blank, write, verify.
class Run {
 public:
  Run(const VeskOptions& options, CommandContext& context, std::FILE* results)
      : options_(options),
        context_(context),
        results_(results),
        size_(options.type->size),
        report_(commandName(options.command)) {
    report_.set("type", options.type->caption);
    if (options.command == VeskCommand::Blank)
      report_.set("file", nullptr);
    else
      report_.set("file", options.file);
  }

  VeskStatus read() {
    report_.set("passes", options_.passes);
    ReadPassesCommandResult read = readChip(options_.passes);
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Read Eprom", stopText(read.stopped) + "; nothing was saved");
    if (stopping()) return VeskStatus::Stopped;
    const MergedPasses merged = mergePasses(read.passes);
    const ImageFileFormat format = outputFormat(options_.file, options_.imageFile);
    if (const Expected<> saved = saveImageFile(options_.file, chipBytes(merged.image), format);
        !saved) {
      context_.messages.show(storeFailedMessage(options_.file, saved.error()));
      return VeskStatus::Failed;
    }
    const bool toOutput = options_.file == "-";
    note("Read Eprom",
         byteCountText(size_) +
             (toOutput ? " written to standard output" : " saved in " + options_.file) +
             (format == ImageFileFormat::Binary ? "" : std::string(" as ") + formatName(format)) +
             ", " + checkSumText(Calc_CheckSum(merged.image, size_)));
    const ImageIdentity identity = identifyImage(merged.image);
    const RomListLines lines{options_.mame, options_.dat};
    report_.setIdentity(options_.file, identity, lines);
    report_.setUnstable(merged.unstable);
    // Standard output carries the image itself when the file is "-".
    show(identityText(options_.file, identity, lines) +
             unstableText(merged.unstable, read.passes.size()),
         toOutput ? stderr : results_);
    return warnUnstable("Read Eprom", merged.unstable.size()) ? VeskStatus::Unstable
                                                              : VeskStatus::Done;
  }

  VeskStatus blank() {
    const BlankCommandResult blank = blankCommand(context_, options_.settings, size_);
    if (blank.outcome == CommandOutcome::Done || blank.outcome == CommandOutcome::NotBlank)
      report_.set("blank", blank.check.blank);
    if (blank.outcome == CommandOutcome::NotBlank) notBlank("Blank Check", blank.check);
    if (blank.outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return ended(blank.outcome, "Blank Check", stopText(blank.stopped));
  }

  VeskStatus write() {
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage image(size_);
    std::copy(file->bytes.begin(), file->bytes.end(), image.data());
    if (!options_.over) return program(image, {}, *file);
    // Over a programmed chip: what it holds first, with the same announcement,
    // port check and stop as a read.
    ReadPassesCommandResult read = readChip(1);
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Write Eprom",
                   stopText(read.stopped) + " of the read; nothing was programmed");
    if (stopping()) return VeskStatus::Stopped;
    const MemoryImage& held = read.passes.front();
    // Where the file gives nothing the chip keeps what it holds, unless --fill
    // gives those locations a byte.
    if (!options_.imageFile.fill)
      for (std::int32_t at = 0; at < size_; ++at)
        if (!file->covered[static_cast<std::size_t>(at)]) image.at(at) = held.at(at);
    const ChipComparison comparison = compareChip(chipBytes(held), chipBytes(image));
    if (comparison.bitsToErase > 0) return refuseOver(comparison);
    return program(image, chipBytes(held), *file);
  }

  VeskStatus verify() {
    report_.set("passes", options_.passes);
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    ReadPassesCommandResult read = readChip(options_.passes);
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Verify", stopText(read.stopped) + "; nothing was compared");
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage image(size_);
    std::copy(file->bytes.begin(), file->bytes.end(), image.data());
    // The locations the file leaves hold no value of the file's, unless --fill gave them one.
    std::vector<bool> compared = file->covered;
    if (options_.imageFile.fill) compared.assign(compared.size(), true);
    const MergedPasses merged = mergePasses(read.passes);
    const std::vector<UnstableLocation> unstable =
        unstableAgainst(read.passes, merged, image, compared);
    for (const UnstableLocation& location : unstable)
      compared[static_cast<std::size_t>(location.address)] = false;
    const ChipComparison comparison =
        compareChip(chipBytes(merged.image), chipBytes(image), compared);
    report_.setComparison(comparison);
    report_.setUnstable(unstable);
    show(comparisonText(comparison) + unstableText(unstable, read.passes.size()), results_);
    const bool unstableRead = warnUnstable("Verify", unstable.size());
    if (comparison.differences != 0) return VeskStatus::ChipSaidNo;
    if (unstableRead) return VeskStatus::Unstable;
    const auto count = std::count(file->covered.begin(), file->covered.end(), true);
    note("Verify", "The Eprom matches " + fileShown(options_.file, file->format) +
                       (options_.imageFile.fill || count == size_
                            ? ""
                            : " at the " + std::to_string(count) + " locations it gives"));
    return VeskStatus::Done;
  }

  // The JSON object, when asked for, with the exit status; none when the
  // program is ending on a signal, whose exit status it cannot know.
  void finish(VeskStatus status) {
    if (!options_.json || status == VeskStatus::Stopped || stopping()) return;
    report_.set("status", static_cast<int>(status));
    std::fputs(report_.line().c_str(), results_);
    std::fflush(results_);
  }

 private:
  // The chip read in --passes passes under one announcement; the bar goes
  // at once, there is no view to fill first.
  ReadPassesCommandResult readChip(int passes) {
    ReadPassesCommandResult read =
        readPassesCommand(context_, options_.settings, options_.type->key, size_, passes);
    read.indicators.end();
    return read;
  }

  // The image programmed, over what the chip holds when `held` is given; the
  // pulses it gave, and where a refusal stands, follow the chip's refusal.
  VeskStatus program(const MemoryImage& image, std::span<const std::uint8_t> held,
                     const LoadedImage& file) {
    const bool over = !held.empty();
    const WriteCommandResult written = writeCommand(context_, options_.settings, options_.type->key,
                                                    size_, image, options_.method, held);
    const WriteResult& write = written.write;
    if (written.outcome == CommandOutcome::NotBlank) notBlank("Write Eprom", write.blankCheck);
    if (written.outcome == CommandOutcome::BadEprom) badEprom(write);
    if (written.outcome == CommandOutcome::Done || written.outcome == CommandOutcome::BadEprom ||
        written.outcome == CommandOutcome::ChipFileFailed) {
      report_.setPulses(write.pulses, over);
      show(pulsesText(write.pulses, over), results_);
    }
    if (written.outcome == CommandOutcome::Done) {
      const std::string from = fileShown(options_.file, file.format);
      if (over) {
        const auto programmed = static_cast<std::size_t>(write.pulses.programmed());
        note("Write Eprom",
             std::to_string(programmed) + (programmed == 1 ? " location" : " locations") +
                 " programmed from " + from + ", " + std::to_string(write.pulses.steppedOver) +
                 " stepped over (they held their byte)");
      } else {
        note("Write Eprom", byteCountText(size_) + " programmed from " + from);
      }
    }
    return ended(written.outcome, "Write Eprom", writeStopText(written.stopped));
  }

  // A write over the chip that would need a bit to go from 0 to 1, which
  // only erasing does: refused before any pulse.
  VeskStatus refuseOver(const ChipComparison& comparison) {
    report_.set("bits_to_erase", comparison.bitsToErase);
    report_.set("locations_to_erase", comparison.locationsToErase);
    report_.setDifferenceList("first_to_erase", comparison.firstToErase);
    const auto locations = static_cast<std::size_t>(comparison.locationsToErase);
    std::string first = "(address: chip file";
    if (locations > comparison.firstToErase.size())
      first += ", the first " + std::to_string(comparison.firstToErase.size());
    std::vector<std::string> lines{
        std::to_string(comparison.bitsToErase) + (comparison.bitsToErase == 1 ? " bit" : " bits") +
        " at " + std::to_string(locations) + (locations == 1 ? " location" : " locations") +
        " would have to go from 0 to 1: erase the chip first " + first + ")"};
    for (const ChipDifference& difference : comparison.firstToErase)
      lines.push_back(differenceLine(difference));
    context_.messages.show(
        {MessageKind::Warning, MessageIcon::Exclamation, "Write Eprom", std::move(lines)});
    return VeskStatus::ChipSaidNo;
  }

  // Where a blank check found the chip not blank, after its refusal.
  void notBlank(const char* title, const BlankCheckResult& check) {
    report_.set("first_not_blank",
                nlohmann::ordered_json{{"address", check.location}, {"value", check.value}});
    context_.messages.show({MessageKind::Warning,
                            MessageIcon::Exclamation,
                            title,
                            {"location " + Address_To_Hex_String(check.location) + " holds " +
                             Byte_To_Hex_String(check.value) + ", not FF"}});
  }

  // Where a write met a location that would not program, after "Bad Eprom".
  // The first location pulsed still reading FFh is what a write with no chip
  // in the socket, or no power on the board, looks like.
  void badEprom(const WriteResult& write) {
    const BadLocation& bad = write.bad;
    report_.set("bad",
                nlohmann::ordered_json{
                    {"address", bad.location}, {"wanted", bad.wanted}, {"read", bad.readBack}});
    std::vector<std::string> lines{"location " + Address_To_Hex_String(bad.location) + " wanted " +
                                   Byte_To_Hex_String(bad.wanted) + ", read " +
                                   Byte_To_Hex_String(bad.readBack) + " after the last pulse"};
    if (write.pulses.programmed() == 0 && bad.readBack == 0xFF)
      lines.emplace_back("is a chip in the socket and the board powered?");
    context_.messages.show(
        {MessageKind::Warning, MessageIcon::Exclamation, "Write Eprom", std::move(lines)});
  }

  // The file placed in the chip's image. Unlike the window's Open, a missing
  // file is an error, and so is a broken one.
  std::optional<LoadedImage> load() {
    Expected<LoadedImage> loaded = loadImageFile(options_.file, static_cast<std::size_t>(size_),
                                                 options_.imageFile, context_.messages);
    if (loaded) return std::move(*loaded);
    context_.messages.show(loadFailedMessage(options_.file, loaded.error()));
    return std::nullopt;
  }

  std::span<const std::uint8_t> chipBytes(const MemoryImage& image) const {
    return {image.data(), static_cast<std::size_t>(size_)};
  }

  // A command's end as vesk's status; a run stopped by a signal says where,
  // in `stopped`, on a line of its own after the progress bar's.
  VeskStatus ended(CommandOutcome outcome, const char* title, const std::string& stopped) {
    if (outcome == CommandOutcome::Stopped)
      context_.messages.show({MessageKind::Warning, MessageIcon::Exclamation, title, {stopped}});
    return statusOf(outcome);
  }
  std::string stopText(const StopPoint& stopped) const {
    return "stopped at location " + std::to_string(stopped.location) + " of " +
           std::to_string(size_);
  }
  // What a stopped write left: every location before the stop is programmed,
  // on the chip and in a simulated chip's file (a simulated chip without one
  // goes with the program).
  std::string writeStopText(const StopPoint& stopped) const {
    if (options_.settings.VerifyEmpty && stopped.pass == 0)
      return stopText(stopped) + " of the blank check; nothing was programmed";
    if (context_.chipFile != nullptr)
      return stopText(stopped) + "; the chip file keeps what was programmed";
    if (!options_.simulate) return stopText(stopped) + "; the chip keeps what was programmed";
    return stopText(stopped);
  }

  bool stopping() const { return context_.stop != nullptr && context_.stop->requested(); }

  // Results as text, without --json.
  void show(const std::string& text, std::FILE* to) const {
    if (options_.json || text.empty()) return;
    std::fputs(text.c_str(), to);
    std::fflush(to);
  }

  // What went well (the messages leave it out when vesk is quiet).
  void note(const char* title, const std::string& text) {
    context_.messages.show({MessageKind::Note, MessageIcon::Information, title, {text}});
  }

  // A warning when some locations did not read the same in every pass; true then.
  bool warnUnstable(const char* title, std::size_t count) {
    if (count == 0) return false;
    context_.messages.show(
        {MessageKind::Warning,
         MessageIcon::Exclamation,
         title,
         {"The chip reads unstable: " + std::to_string(count) +
          (count == 1 ? " location did" : " locations did") + " not read the same in all " +
          std::to_string(options_.passes) + " passes"}});
    return true;
  }

  const VeskOptions& options_;
  CommandContext& context_;
  std::FILE* results_;
  std::int32_t size_;
  CommandReport report_;
};

VeskStatus runBoardCommand(Run& run, VeskCommand command) {
  switch (command) {
    case VeskCommand::Read:
      return run.read();
    case VeskCommand::Blank:
      return run.blank();
    case VeskCommand::Write:
      return run.write();
    case VeskCommand::Verify:
      return run.verify();
    case VeskCommand::Info:
    case VeskCommand::Split:
    case VeskCommand::Merge:
      break;
  }
  return VeskStatus::Failed;
}

}  // namespace

VeskStatus runVeskCommand(const VeskOptions& options, CommandContext& context, std::FILE* results) {
  const bool imageToOutput = options.file == "-" && (options.command == VeskCommand::Read ||
                                                     options.command == VeskCommand::Merge);
  if (imageToOutput && options.json) {
    context.messages.show({MessageKind::Error,
                           MessageIcon::Critical,
                           "vesk",
                           {"--json and the image cannot share standard output: name a file for "
                            "the image"}});
    return VeskStatus::Failed;
  }
  switch (options.command) {
    case VeskCommand::Info:
      return runInfoCommand(options, context.messages, results);
    case VeskCommand::Split:
      return splitImageFile(options, context.messages, results);
    case VeskCommand::Merge:
      return mergeImageFiles(options, context.messages, results);
    case VeskCommand::Read:
    case VeskCommand::Blank:
    case VeskCommand::Write:
    case VeskCommand::Verify:
      break;
  }
  Run run(options, context, results);
  const VeskStatus status = runBoardCommand(run, options.command);
  run.finish(status);
  return status;
}
