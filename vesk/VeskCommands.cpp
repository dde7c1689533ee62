#include "VeskCommands.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "CheckSum.h"
#include "HexRows.h"
#include "HexText.h"
#include "ImageFileIo.h"
#include "SplitMerge.h"

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
  Run(const VeskOptions& options, CommandContext& context, std::FILE* report)
      : options_(options),
        context_(context),
        report_(report),
        size_(options.type != nullptr ? options.type->size : 0) {}

  VeskStatus read() {
    ReadCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Read Eprom", stopText(read.stopped) + "; nothing was saved");
    if (stopping()) return VeskStatus::Stopped;
    const ImageFileFormat format = outputFormat(options_.file, options_.imageFile);
    if (const Expected<> saved = saveImageFile(options_.file, chipBytes(read.image), format);
        !saved) {
      context_.messages.show(storeFailedMessage(options_.file, saved.error()));
      return VeskStatus::Failed;
    }
    const std::string where =
        options_.file == "-" ? " written to standard output" : " saved in " + options_.file;
    note("Read Eprom",
         byteCountText(size_) + where +
             (format == ImageFileFormat::Binary ? "" : std::string(" as ") + formatName(format)) +
             ", " + checkSumText(Calc_CheckSum(read.image, size_)));
    return VeskStatus::Done;
  }

  VeskStatus blank() {
    const BlankCommandResult checked = blankCommand(context_, options_.settings, size_);
    if (checked.outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return ended(checked.outcome, "Blank Check", stopText(checked.stopped));
  }

  VeskStatus write() {
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage image(size_);
    std::copy(file->bytes.begin(), file->bytes.end(), image.data());
    const WriteCommandResult written =
        writeCommand(context_, options_.settings, options_.type->key, size_, image);
    if (written.outcome == CommandOutcome::Done)
      note("Write Eprom",
           byteCountText(size_) + " programmed from " + fileShown(options_.file, file->format));
    return ended(written.outcome, "Write Eprom", writeStopText(written.stopped));
  }

  VeskStatus verify() {
    const std::optional<LoadedImage> file = load();
    if (!file) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    ReadCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done)
      return ended(read.outcome, "Verify", stopText(read.stopped) + "; nothing was compared");
    if (stopping()) return VeskStatus::Stopped;
    // The locations the file leaves hold no value of the file's, unless --fill gave them one.
    std::vector<bool> compared = file->covered;
    if (options_.imageFile.fill) compared.assign(compared.size(), true);
    if (!listDifferences(read.image, file->bytes, compared)) {
      const auto count = std::count(compared.begin(), compared.end(), true);
      note("Verify",
           "The Eprom matches " + fileShown(options_.file, file->format) +
               (count == size_ ? "" : " at the " + std::to_string(count) + " locations it gives"));
      return VeskStatus::Done;
    }
    return VeskStatus::ChipSaidNo;
  }

 private:
  // The chip read as the window reads it; the bar goes at once, there is no
  // view to fill first.
  ReadCommandResult readChip() {
    ReadCommandResult read = readCommand(context_, options_.settings, options_.type->key, size_);
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

  // "3 bytes differ (address: chip file)" and the first differences, one a
  // line; nothing when the `compared` locations are the same. True when they differ.
  bool listDifferences(const MemoryImage& chip, const std::vector<std::uint8_t>& file,
                       const std::vector<bool>& compared) {
    std::int32_t count = 0;
    std::string listed;
    for (std::int32_t location = 0; location < size_; ++location) {
      const auto at = static_cast<std::size_t>(location);
      if (!compared[at] || chip.at(location) == file[at]) continue;
      if (++count <= kListedDifferences)
        listed += Address_To_Hex_String(location) + ": " + Byte_To_Hex_String(chip.at(location)) +
                  " " + Byte_To_Hex_String(file[at]) + "\n";
    }
    if (count == 0) return false;
    std::string header = std::to_string(count) + (count == 1 ? " byte differs" : " bytes differ") +
                         " (address: chip file)";
    if (count > kListedDifferences) header += ", the first " + std::to_string(kListedDifferences);
    std::fputs((header + "\n" + listed).c_str(), report_);
    std::fflush(report_);
    return true;
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

  // What went well (the messages leave it out when vesk is quiet).
  void note(const char* title, const std::string& text) {
    context_.messages.show({MessageKind::Note, MessageIcon::Information, title, {text}});
  }

  const VeskOptions& options_;
  CommandContext& context_;
  std::FILE* report_;
  std::int32_t size_;
};

}  // namespace

VeskStatus runVeskCommand(const VeskOptions& options, CommandContext& context, std::FILE* report) {
  Run run(options, context, report);
  switch (options.command) {
    case VeskCommand::Read:
      return run.read();
    case VeskCommand::Blank:
      return run.blank();
    case VeskCommand::Write:
      return run.write();
    case VeskCommand::Verify:
      return run.verify();
    case VeskCommand::Split:
      return splitImageFile(options, context.messages, report);
    case VeskCommand::Merge:
      return mergeImageFiles(options, context.messages, report);
  }
  return VeskStatus::Failed;
}
