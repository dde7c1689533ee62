#include "Commands.h"

#include <utility>

#include "BoardRoutines.h"

namespace {

// The hourglass is set back on every way out of a command.
class BusyPointer {
 public:
  explicit BusyPointer(CommandWindow& window) : window_(window) { window_.SetBusy(true); }
  ~BusyPointer() { window_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  CommandWindow& window_;
};

// ProgressBar1 shown for a run; hidden and set to 0 by Hide(), or on the way
// out when the run ends early.
class ProgressShown {
 public:
  ProgressShown(Progress& progress, std::int32_t maximum) : progress_(progress) {
    progress_.SetVisible(true);
    progress_.SetMaximum(maximum);
  }
  ~ProgressShown() { Hide(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
  void Hide() {
    if (!shown_) return;
    shown_ = false;
    progress_.SetVisible(false);
    progress_.SetValue(0);
  }

 private:
  Progress& progress_;
  bool shown_ = true;
};

// The port comes first: when it cannot be had, one box says why and the
// command ends before the image or the view is touched.
PortIo* AcquirePort(CommandContext& context, std::int16_t base) {
  std::string whyNot;
  PortIo* port = context.ports.Acquire(base, whyNot);
  if (port == nullptr)
    context.messages.Show("No Port Access",
                          "The programmer board at base address " + Base_Address_Text(base) +
                              " cannot be reached.\r" + whyNot,
                          MessageIcon::Critical);
  return port;
}

void ReportPortFailure(CommandContext& context, std::int16_t base, const PortFailure& failure,
                       const char* what) {
  context.messages.Show("Port Error",
                        std::string(what) + " stopped: the port at base address " +
                            Base_Address_Text(base) + " failed.\r" + failure.what(),
                        MessageIcon::Critical);
}

// Runs one pass over the chip; a port that fails is reported, a stop is not
// (the program is ending). The progress bar is hidden before any box.
template <class Pass>
CommandOutcome RunOnBoard(CommandContext& context, ProgressShown& progress, std::int16_t base,
                          const char* what, Pass&& pass) {
  try {
    return pass();
  } catch (const PortFailure& failure) {
    progress.Hide();
    ReportPortFailure(context, base, failure, what);
    return CommandOutcome::PortFailed;
  } catch (const RunStopped&) {
    progress.Hide();
    return CommandOutcome::Stopped;
  }
}

std::string Byte_Count_Text(std::int32_t EpromSize) {
  return std::to_string(EpromSize) + " Byte";
}

}  // namespace

CommandOutcome Read_Command(CommandContext& context, const PortSettings& settings,
                            const std::string& EpromType, std::int32_t EpromSize,
                            MemoryImage& EpromImage) {
  PortIo* port = AcquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  context.messages.Show(std::string(kWillReadTitle) + EpromType, Byte_Count_Text(EpromSize),
                        MessageIcon::Information);
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, EpromSize);
  Board board{*port, context.timing, settings, context.progress, context.messages, context.stop};
  // Read into a fresh image and take it only when the read is complete, so a
  // port that fails half-way leaves the old image and the view as they were.
  MemoryImage read;
  const CommandOutcome outcome =
      RunOnBoard(context, progress, settings.LptBase, "Reading the Eprom", [&] {
        Read_Eprom(board, settings.LptBase, EpromSize, read);
        return CommandOutcome::Done;
      });
  if (outcome != CommandOutcome::Done) return outcome;
  EpromImage = std::move(read);
  context.window.Show_Read_Image();
  progress.Hide();
  context.window.Align_Lists_And_Repaint();
  return outcome;
}

CommandOutcome blankCommand(CommandContext& context, const PortSettings& settings,
                            std::int32_t EpromSize) {
  PortIo* port = AcquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, EpromSize);
  Board board{*port, context.timing, settings, context.progress, context.messages, context.stop};
  const CommandOutcome outcome =
      RunOnBoard(context, progress, settings.LptBase, "Checking the Eprom", [&] {
        return Blank_Check(board, settings.LptBase, EpromSize) ? CommandOutcome::Done
                                                               : CommandOutcome::NotBlank;
      });
  progress.Hide();
  if (outcome == CommandOutcome::NotBlank)
    context.messages.Show(kNotEmptyTitle, kNotEmptyText, MessageIcon::Information);
  return outcome;
}

CommandOutcome Write_Command(CommandContext& context, const PortSettings& settings,
                             std::int32_t EpromSize, const MemoryImage& EpromImage) {
  PortIo* port = AcquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, EpromSize);
  context.messages.Show(kWillWriteTitle, Byte_Count_Text(EpromSize), MessageIcon::Information);
  Board board{*port, context.timing, settings, context.progress, context.messages, context.stop};
  const CommandOutcome outcome =
      RunOnBoard(context, progress, settings.LptBase, "Programming the Eprom", [&] {
        switch (Write_Eprom(board, settings.LptBase, EpromSize, EpromImage)) {
          case WriteOutcome::NotBlank:
            return CommandOutcome::NotBlank;
          case WriteOutcome::BadEprom:
            return CommandOutcome::BadEprom;
          case WriteOutcome::Programmed:
            break;
        }
        return CommandOutcome::Done;
      });
  progress.Hide();
  // Whatever the run did to a simulated chip is in its file before anything else happens.
  if (context.chipFile != nullptr && outcome != CommandOutcome::NotBlank &&
      !context.chipFile->WriteBack(context.messages) && outcome == CommandOutcome::Done)
    return CommandOutcome::ChipFileFailed;
  return outcome;
}
