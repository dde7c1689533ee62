#include "vesk/VeskCommands.h"

#include <string>

#include "image/CheckSum.h"
#include "image/HexRows.h"
#include "image/HexText.h"
#include "programmer/Commands.h"
#include "programmer/ImageFiles.h"

namespace {

// The core's commands update a window; vesk has none.
class NoWindow final : public CommandWindow {
 public:
  void SetBusy(bool) override {}
  void Show_Read_Image() override {}
  void Align_Lists_And_Repaint() override {}
};

VeskStatus Status_Of(CommandOutcome outcome) {
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

std::string Byte_Text(std::int32_t count) {
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

  VeskStatus Read() {
    MemoryImage image;
    const CommandOutcome outcome =
        Read_Command(context_, options_.settings, options_.type->key, size_, image);
    if (outcome != CommandOutcome::Done) return Status_Of(outcome);
    if (Stopping()) return VeskStatus::Stopped;
    if (const FileResult saved = Save_Image_File(options_.file, image); !saved) {
      Failure(kSaveFailedTitle, kSaveFailedLead, saved);
      return VeskStatus::Failed;
    }
    Note("Read Eprom", Byte_Text(size_) + " saved in " + options_.file + ", " +
                           CheckSum_Text(Calc_CheckSum(image, size_)));
    return VeskStatus::Done;
  }

  VeskStatus Blank() {
    const CommandOutcome outcome = Blank_Command(context_, options_.settings, size_);
    if (outcome == CommandOutcome::Done) Note("Blank Check", "The Eprom is Empty");
    return Status_Of(outcome);
  }

  VeskStatus Write() {
    MemoryImage image;
    if (!Load(image)) return VeskStatus::Failed;
    if (Stopping()) return VeskStatus::Stopped;
    const CommandOutcome outcome = Write_Command(context_, options_.settings, size_, image);
    if (outcome == CommandOutcome::Done)
      Note("Write Eprom", Byte_Text(size_) + " programmed from " + options_.file);
    return Status_Of(outcome);
  }

  VeskStatus Verify() {
    MemoryImage image;
    if (!Load(image)) return VeskStatus::Failed;
    if (Stopping()) return VeskStatus::Stopped;
    MemoryImage chip;
    const CommandOutcome outcome =
        Read_Command(context_, options_.settings, options_.type->key, size_, chip);
    if (outcome != CommandOutcome::Done) return Status_Of(outcome);
    if (Stopping()) return VeskStatus::Stopped;
    if (!ListDifferences(chip, image)) {
      Note("Verify", "The Eprom matches " + options_.file);
      return VeskStatus::Done;
    }
    return VeskStatus::ChipSaidNo;
  }

 private:
  // The file as the window's Open loads it, except that a missing file is
  // an error here instead of a new empty image.
  bool Load(MemoryImage& image) {
    const FileResult loaded =
        Load_Image_File(options_.file, size_, image, services_.messages, MissingImageFile::Refuse);
    if (!loaded) Failure(kOpenFailedTitle, kOpenFailedLead, loaded);
    return loaded.ok;
  }

  // "3 bytes differ (address: chip file)" and the first differences, one a
  // line; nothing when the two are the same. True when they differ.
  bool ListDifferences(const MemoryImage& chip, const MemoryImage& file) {
    std::int32_t count = 0;
    std::string listed;
    for (std::int32_t location = 0; location < size_; ++location) {
      if (chip.At(location) == file.At(location)) continue;
      if (++count <= kListedDifferences)
        listed += Address_To_Hex_String(location) + ": " + Byte_To_Hex_String(chip.At(location)) +
                  " " + Byte_To_Hex_String(file.At(location)) + "\n";
    }
    if (count == 0) return false;
    std::string header = std::to_string(count) + (count == 1 ? " byte differs" : " bytes differ") +
                         " (address: chip file)";
    if (count > kListedDifferences) header += ", the first " + std::to_string(kListedDifferences);
    std::fputs((header + "\n" + listed).c_str(), services_.report);
    std::fflush(services_.report);
    return true;
  }

  bool Stopping() const { return services_.stop != nullptr && services_.stop->Requested(); }

  void Failure(const char* title, const char* lead, const FileResult& result) {
    services_.messages.Show(title, std::string(lead) + options_.file + "\r" + result.reason,
                            MessageIcon::Critical);
  }

  // What went well, unless vesk is to be quiet.
  void Note(const char* title, const std::string& text) {
    if (!options_.quiet) services_.messages.Show(title, text, MessageIcon::Information);
  }

  const VeskOptions& options_;
  VeskServices& services_;
  NoWindow window_;
  CommandContext context_;
  std::int32_t size_;
};

}  // namespace

VeskStatus Run_Vesk_Command(const VeskOptions& options, VeskServices& services) {
  Run run(options, services);
  switch (options.command) {
    case VeskCommand::Read:
      return run.Read();
    case VeskCommand::Blank:
      return run.Blank();
    case VeskCommand::Write:
      return run.Write();
    case VeskCommand::Verify:
      return run.Verify();
  }
  return VeskStatus::Failed;
}
