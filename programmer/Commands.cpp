#include "Commands.h"

#include <utility>

#include "BoardRoutines.h"

namespace {

// The hourglass is set back on every way out of a command.
class BusyPointer {
 public:
  explicit BusyPointer(CommandWindow& window) : window_(window) { window_.setBusy(true); }
  ~BusyPointer() { window_.setBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  CommandWindow& window_;
};

// ProgressBar1 shown for a run; hidden and set to 0 by hide(), or on the way
// out when the run ends early.
class ProgressShown {
 public:
  ProgressShown(Progress& progress, std::int32_t maximum) : progress_(progress) {
    progress_.setVisible(true);
    progress_.setMaximum(maximum);
  }
  ~ProgressShown() { hide(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
  void hide() {
    if (!shown_) return;
    shown_ = false;
    progress_.setVisible(false);
    progress_.setValue(0);
  }

 private:
  Progress& progress_;
  bool shown_ = true;
};

// The port comes first: when it cannot be had, one box says why and the
// command ends before the image or the view is touched.
PortIo* acquirePort(CommandContext& context, std::int16_t base) {
  const Expected<PortIo*> port = context.ports.acquire(base);
  if (port) return *port;
  context.messages.show("No Port Access",
                        "The programmer board at base address " + baseAddressText(base) +
                            " cannot be reached.\r" + port.error(),
                        MessageIcon::Critical);
  return nullptr;
}

void reportPortFailure(CommandContext& context, std::int16_t base, const PortFailure& failure,
                       const char* what) {
  context.messages.show("Port Error",
                        std::string(what) + " stopped: the port at base address " +
                            baseAddressText(base) + " failed.\r" + failure.what(),
                        MessageIcon::Critical);
}

// Runs one pass over the chip; a port that fails is reported, a stop is not
// (the program is ending). The progress bar is hidden before any box.
template <class Pass>
CommandOutcome runOnBoard(CommandContext& context, ProgressShown& progress, std::int16_t base,
                          const char* what, Pass&& pass) {
  try {
    return pass();
  } catch (const PortFailure& failure) {
    progress.hide();
    reportPortFailure(context, base, failure, what);
    return CommandOutcome::PortFailed;
  } catch (const RunStopped&) {
    progress.hide();
    return CommandOutcome::Stopped;
  }
}

std::string byteCountText(std::int32_t epromSize) {
  return std::to_string(epromSize) + " Byte";
}

}  // namespace

CommandOutcome readCommand(CommandContext& context, const PortSettings& settings,
                           const std::string& epromType, std::int32_t epromSize,
                           MemoryImage& epromImage) {
  PortIo* port = acquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  context.messages.show(std::string(kWillReadTitle) + epromType, byteCountText(epromSize),
                        MessageIcon::Information);
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, epromSize);
  RoutineServices services{
      *port, context.timing, settings, context.progress, context.messages, context.stop};
  // Read into a fresh image and take it only when the read is complete, so a
  // port that fails half-way leaves the old image and the view as they were.
  MemoryImage read;
  const CommandOutcome outcome =
      runOnBoard(context, progress, settings.LptBase, "Reading the Eprom", [&] {
        Read_Eprom(services, settings.LptBase, epromSize, read);
        return CommandOutcome::Done;
      });
  if (outcome != CommandOutcome::Done) return outcome;
  epromImage = std::move(read);
  context.window.showReadImage();
  progress.hide();
  context.window.alignListsAndRepaint();
  return outcome;
}

CommandOutcome blankCommand(CommandContext& context, const PortSettings& settings,
                            std::int32_t epromSize) {
  PortIo* port = acquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, epromSize);
  RoutineServices services{
      *port, context.timing, settings, context.progress, context.messages, context.stop};
  const CommandOutcome outcome =
      runOnBoard(context, progress, settings.LptBase, "Checking the Eprom", [&] {
        return Blank_Check(services, settings.LptBase, epromSize) ? CommandOutcome::Done
                                                                  : CommandOutcome::NotBlank;
      });
  progress.hide();
  if (outcome == CommandOutcome::NotBlank)
    context.messages.show(kNotEmptyTitle, kNotEmptyText, MessageIcon::Information);
  return outcome;
}

CommandOutcome writeCommand(CommandContext& context, const PortSettings& settings,
                            std::int32_t epromSize, const MemoryImage& epromImage) {
  PortIo* port = acquirePort(context, settings.LptBase);
  if (port == nullptr) return CommandOutcome::NoPort;
  BusyPointer busy(context.window);
  ProgressShown progress(context.progress, epromSize);
  context.messages.show(kWillWriteTitle, byteCountText(epromSize), MessageIcon::Information);
  RoutineServices services{
      *port, context.timing, settings, context.progress, context.messages, context.stop};
  const CommandOutcome outcome =
      runOnBoard(context, progress, settings.LptBase, "Programming the Eprom", [&] {
        switch (Write_Eprom(services, settings.LptBase, epromSize, epromImage)) {
          case WriteOutcome::NotBlank:
            return CommandOutcome::NotBlank;
          case WriteOutcome::BadEprom:
            return CommandOutcome::BadEprom;
          case WriteOutcome::Programmed:
            break;
        }
        return CommandOutcome::Done;
      });
  progress.hide();
  // Whatever the run did to a simulated chip is in its file before anything else happens.
  if (context.chipFile != nullptr && outcome != CommandOutcome::NotBlank &&
      !context.chipFile->writeBack(context.messages) && outcome == CommandOutcome::Done)
    return CommandOutcome::ChipFileFailed;
  return outcome;
}
