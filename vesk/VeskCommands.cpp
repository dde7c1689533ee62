#include "VeskCommands.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "CheckSum.h"
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
    ReadPassesCommandResult read = readChip();
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
    if (blank.outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return ended(blank.outcome, "Blank Check", stopText(blank.stopped));
  }

  VeskStatus write() {
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage image(size_);
    std::copy(file->bytes.begin(), file->bytes.end(), image.data());
    const WriteCommandResult written = writeCommand(context_, options_.settings, options_.type->key,
                                                    size_, image, options_.method);
    if (written.outcome == CommandOutcome::Done)
      note("Write Eprom",
           byteCountText(size_) + " programmed from " + fileShown(options_.file, file->format));
    return ended(written.outcome, "Write Eprom", writeStopText(written.stopped));
  }

  VeskStatus verify() {
    report_.set("passes", options_.passes);
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    ReadPassesCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Verify", stopText(read.stopped) + "; nothing was compared");
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage image(size_);
    std::copy(file->bytes.begin(), file->bytes.end(), image.data());
    PassedComparison comparison = comparePasses(read.passes, image);
    // The locations the file leaves hold no value of the file's, unless --fill gave them one.
    std::vector<bool> compared = file->covered;
    if (options_.imageFile.fill) compared.assign(compared.size(), true);
    const auto uncompared = [&](const auto& at) {
      return !compared[static_cast<std::size_t>(at.address)];
    };
    std::erase_if(comparison.differences, uncompared);
    std::erase_if(comparison.unstable, uncompared);
    report_.setDifferences(comparison.differences);
    report_.setUnstable(comparison.unstable);
    show(differencesText(comparison.differences) +
             unstableText(comparison.unstable, read.passes.size()),
         results_);
    const bool unstable = warnUnstable("Verify", comparison.unstable.size());
    if (!comparison.differences.empty()) return VeskStatus::ChipSaidNo;
    if (unstable) return VeskStatus::Unstable;
    const auto count = std::count(compared.begin(), compared.end(), true);
    note("Verify",
         "The Eprom matches " + fileShown(options_.file, file->format) +
             (count == size_ ? "" : " at the " + std::to_string(count) + " locations it gives"));
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
  ReadPassesCommandResult readChip() {
    ReadPassesCommandResult read =
        readPassesCommand(context_, options_.settings, options_.type->key, size_, options_.passes);
    read.indicators.end();
    return read;
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
