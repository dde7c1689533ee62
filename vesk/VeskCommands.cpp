#include "VeskCommands.h"

#include <string>

#include "CheckSum.h"
#include "Commands.h"
#include "HexRows.h"
#include "HexText.h"
#include "ImageFiles.h"

namespace {

// The core's commands update a window; vesk has none.
class NoWindow final : public CommandWindow {
 public:
  void setBusy(bool) override {}
  void showReadImage() override {}
  void alignListsAndRepaint() override {}
};

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

std::string byteText(std::int32_t count) {
  return std::to_string(count) + " Byte";
}

class Run {
 public:
  Run(const VeskOptions& options, VeskServices& services)
      : options_(options),
        services_(services),
        context_{services.ports, services.timing, services.messages, services.progress,
                 window_,        services.stop,   services.chipFile},
        size_(options.type->size) {}

  VeskStatus read() {
    MemoryImage image;
    const CommandOutcome outcome =
        readCommand(context_, options_.settings, options_.type->key, size_, image);
    if (outcome != CommandOutcome::Done) return statusOf(outcome);
    if (stopping()) return VeskStatus::Stopped;
    if (const Expected<> saved = Save_Image_File(options_.file, image); !saved) {
      reportFailure(kSaveFailedTitle, kSaveFailedLead, saved);
      return VeskStatus::Failed;
    }
    note("Read Eprom", byteText(size_) + " saved in " + options_.file + ", " +
                           checkSumText(Calc_CheckSum(image, size_)));
    return VeskStatus::Done;
  }

  VeskStatus blank() {
    const CommandOutcome outcome = blankCommand(context_, options_.settings, size_);
    if (outcome == CommandOutcome::Done) note("Blank Check", "The Eprom is Empty");
    return statusOf(outcome);
  }

  VeskStatus write() {
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    const CommandOutcome outcome = writeCommand(context_, options_.settings, size_, image);
    if (outcome == CommandOutcome::Done)
      note("Write Eprom", byteText(size_) + " programmed from " + options_.file);
    return statusOf(outcome);
  }

  VeskStatus verify() {
    MemoryImage image;
    if (!load(image)) return VeskStatus::Failed;
    if (stopping()) return VeskStatus::Stopped;
    MemoryImage chip;
    const CommandOutcome outcome =
        readCommand(context_, options_.settings, options_.type->key, size_, chip);
    if (outcome != CommandOutcome::Done) return statusOf(outcome);
    if (stopping()) return VeskStatus::Stopped;
    if (!listDifferences(chip, image)) {
      note("Verify", "The Eprom matches " + options_.file);
      return VeskStatus::Done;
    }
    return VeskStatus::ChipSaidNo;
  }

 private:
  // The file as the window's Open loads it, except that a missing file is
  // an error here instead of a new empty image.
  bool load(MemoryImage& image) {
    const Expected<> loaded =
        Load_Image_File(options_.file, size_, image, services_.messages, MissingImageFile::Refuse);
    if (!loaded) reportFailure(kOpenFailedTitle, kOpenFailedLead, loaded);
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
    std::fputs((header + "\n" + listed).c_str(), services_.report);
    std::fflush(services_.report);
    return true;
  }

  bool stopping() const { return services_.stop != nullptr && services_.stop->requested(); }

  void reportFailure(const char* title, const char* lead, const Expected<>& result) {
    services_.messages.show(title, std::string(lead) + options_.file + "\r" + result.error(),
                            MessageIcon::Critical);
  }

  // What went well, unless vesk is to be quiet.
  void note(const char* title, const std::string& text) {
    if (!options_.quiet) services_.messages.show(title, text, MessageIcon::Information);
  }

  const VeskOptions& options_;
  VeskServices& services_;
  NoWindow window_;
  CommandContext context_;
  std::int32_t size_;
};

}  // namespace

VeskStatus runVeskCommand(const VeskOptions& options, VeskServices& services) {
  Run run(options, services);
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
