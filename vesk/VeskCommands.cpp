#include "VeskCommands.h"

#include <string>

#include "CheckSum.h"
#include "HexRows.h"
#include "HexText.h"
#include "ImageFiles.h"

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
      : options_(options), context_(context), report_(report), size_(options.type->size) {}

  VeskStatus read() {
    ReadCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done) return statusOf(read.outcome);
    if (stopping()) return VeskStatus::Stopped;
    if (const Expected<> saved = Save_Image_File(options_.file, read.image); !saved) {
      context_.messages.show(saveFailedMessage(options_.file, saved.error()));
      return VeskStatus::Failed;
    }
    note("Read Eprom", byteCountText(size_) + " saved in " + options_.file + ", " +
                           checkSumText(Calc_CheckSum(read.image, size_)));
    return VeskStatus::Done;
  }

  VeskStatus blank() {
    const CommandOutcome outcome = blankCommand(context_, options_.settings, size_).outcome;
    if (outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return statusOf(outcome);
  }

  VeskStatus write() {
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    const CommandOutcome outcome =
        writeCommand(context_, options_.settings, size_, image, options_.method).outcome;
    if (outcome == CommandOutcome::Done)
      note("Write Eprom", byteCountText(size_) + " programmed from " + options_.file);
    return statusOf(outcome);
  }

  VeskStatus verify() {
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    ReadCommandResult read = readChip();
    if (read.outcome != CommandOutcome::Done) return statusOf(read.outcome);
    if (stopping()) return VeskStatus::Stopped;
    if (!listDifferences(read.image, image)) {
      note("Verify", "The Eprom matches " + options_.file);
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

  // The file as the window's Open loads it, except that a missing file is
  // an error here instead of a new empty image.
  bool load(MemoryImage& image) {
    const Expected<> loaded =
        Load_Image_File(options_.file, size_, image, context_.messages, MissingImageFile::Refuse);
    if (!loaded) context_.messages.show(openFailedMessage(options_.file, loaded.error()));
    return loaded.hasValue();
  }

  // "3 bytes differ (address: chip file)" and the first differences, one a
  // line; nothing when the two are the same. True when they differ.
  bool listDifferences(const MemoryImage& chip, const MemoryImage& file) {
    std::int32_t count = 0;
    std::string listed;
    for (std::int32_t location = 0; location < size_; ++location) {
      if (chip.at(location) == file.at(location)) continue;
      if (++count <= kListedDifferences)
        listed += Address_To_Hex_String(location) + ": " + Byte_To_Hex_String(chip.at(location)) +
                  " " + Byte_To_Hex_String(file.at(location)) + "\n";
    }
    if (count == 0) return false;
    std::string header = std::to_string(count) + (count == 1 ? " byte differs" : " bytes differ") +
                         " (address: chip file)";
    if (count > kListedDifferences) header += ", the first " + std::to_string(kListedDifferences);
    std::fputs((header + "\n" + listed).c_str(), report_);
    std::fflush(report_);
    return true;
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
  }
  return VeskStatus::Failed;
}
