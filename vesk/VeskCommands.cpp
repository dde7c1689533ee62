#include "VeskCommands.h"

#include <string>

#include "CheckSum.h"
#include "ImageFiles.h"
#include "ImageIdentity.h"
#include "InfoCommand.h"
#include "ReadPasses.h"
#include "ResultText.h"
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
    if (read.outcome != CommandOutcome::Done) return statusOf(read.outcome);
    if (stopping()) return VeskStatus::Stopped;
    const MergedPasses merged = mergePasses(read.passes);
    if (const Expected<> saved = Save_Image_File(options_.file, merged.image); !saved) {
      context_.messages.show(saveFailedMessage(options_.file, saved.error()));
      return VeskStatus::Failed;
    }
    note("Read Eprom", byteCountText(size_) + " saved in " + options_.file + ", " +
                           checkSumText(Calc_CheckSum(merged.image, size_)));
    const ImageIdentity identity = identifyImage(merged.image);
    const RomListLines lines{options_.mame, options_.dat};
    report_.setIdentity(options_.file, identity, lines);
    report_.setUnstable(merged.unstable);
    show(identityText(options_.file, identity, lines) +
         unstableText(merged.unstable, read.passes.size()));
    return warnUnstable("Read Eprom", merged.unstable.size()) ? VeskStatus::Unstable
                                                              : VeskStatus::Done;
  }

  VeskStatus blank() {
    const BlankCommandResult blank = blankCommand(context_, options_.settings, size_);
    if (blank.outcome == CommandOutcome::Done || blank.outcome == CommandOutcome::NotBlank)
      report_.set("blank", blank.check.blank);
    if (blank.outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return statusOf(blank.outcome);
  }

  VeskStatus write() {
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    const CommandOutcome outcome = writeCommand(context_, options_.settings, size_, image).outcome;
    if (outcome == CommandOutcome::Done)
      note("Write Eprom", byteCountText(size_) + " programmed from " + options_.file);
    return statusOf(outcome);
  }

  VeskStatus verify() {
    report_.set("passes", options_.passes);
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    ReadPassesCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done) return statusOf(read.outcome);
    if (stopping()) return VeskStatus::Stopped;
    const PassedComparison comparison = comparePasses(read.passes, image);
    report_.setDifferences(comparison.differences);
    report_.setUnstable(comparison.unstable);
    show(differencesText(comparison.differences) +
         unstableText(comparison.unstable, read.passes.size()));
    const bool unstable = warnUnstable("Verify", comparison.unstable.size());
    if (!comparison.differences.empty()) return VeskStatus::ChipSaidNo;
    if (unstable) return VeskStatus::Unstable;
    note("Verify", "The Eprom matches " + options_.file);
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

  // The file as the window's Open loads it, except that a missing file is
  // an error here instead of a new empty image.
  bool load(MemoryImage& image) {
    const Expected<> loaded =
        Load_Image_File(options_.file, size_, image, context_.messages, MissingImageFile::Refuse);
    if (!loaded) context_.messages.show(openFailedMessage(options_.file, loaded.error()));
    return loaded.hasValue();
  }

  bool stopping() const { return context_.stop != nullptr && context_.stop->requested(); }

  // Results as text, without --json.
  void show(const std::string& text) {
    if (options_.json || text.empty()) return;
    std::fputs(text.c_str(), results_);
    std::fflush(results_);
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
      break;
  }
  return VeskStatus::Failed;
}

}  // namespace

VeskStatus runVeskCommand(const VeskOptions& options, CommandContext& context, std::FILE* results) {
  if (options.command == VeskCommand::Info)
    return runInfoCommand(options, context.messages, results);
  Run run(options, context, results);
  const VeskStatus status = runBoardCommand(run, options.command);
  run.finish(status);
  return status;
}
