#include "Commands.h"

#include <utility>

namespace {

// The titles of the messages that announce a run: "Will Read Eprom" is
// followed by the type key. Both name the type as their chipType.
constexpr const char* kWillReadTitle = "Will Read Eprom";
constexpr const char* kWillWriteTitle = "Will Write Eprom";

Message announcement(std::string title, const std::string& epromType, std::int32_t epromSize) {
  return {MessageKind::Announcement,
          MessageIcon::Information,
          std::move(title),
          {byteCountText(epromSize)},
          epromType};
}

// The port comes first: when it cannot be had, one message says why and the
// command ends NoPort before anything else happens. Otherwise `command` runs
// with it and gives the result.
template <class Result, class Command>
Result onPort(CommandContext& context, std::int16_t base, Command&& command) {
  const Expected<PortIo*> port = context.ports.acquire(base);
  if (port) return command(**port);
  context.messages.show(
      {MessageKind::Error,
       MessageIcon::Critical,
       "No Port Access",
       {"The programmer board at base address " + baseAddressText(base) + " cannot be reached.",
        port.error()}});
  Result ended;
  ended.outcome = CommandOutcome::NoPort;
  return ended;
}

// The chip's refusals, as both the blank check and the write command show them.
void showRefusal(Messages& messages, CommandOutcome outcome) {
  if (outcome == CommandOutcome::NotBlank)
    messages.show({MessageKind::Warning,
                   MessageIcon::Information,
                   kWarningTitle,
                   {"The Eprom is not Empty"}});
  if (outcome == CommandOutcome::BadEprom)
    messages.show({MessageKind::Error, MessageIcon::Critical, kWarningTitle, {"Bad Eprom"}});
}

CommandOutcome outcomeOf(WriteOutcome outcome) {
  switch (outcome) {
    case WriteOutcome::NotBlank:
      return CommandOutcome::NotBlank;
    case WriteOutcome::BadEprom:
      return CommandOutcome::BadEprom;
    case WriteOutcome::Programmed:
      break;
  }
  return CommandOutcome::Done;
}

// The bar as the routines move it, keeping where the run stands.
class TrackedProgress final : public Progress {
 public:
  explicit TrackedProgress(Progress& bar) : bar_(bar) {}
  void setVisible(bool visible) override { bar_.setVisible(visible); }
  void setMaximum(std::int32_t maximum) override { bar_.setMaximum(maximum); }
  void setValue(std::int32_t value) override {
    point_.follow(value);
    bar_.setValue(value);
  }
  const StopPoint& point() const { return point_; }

 private:
  Progress& bar_;
  StopPoint point_;
};

// What every command on the board does once it has the port: the hourglass,
// the bar for `epromSize` locations, and the routines' services.
class BoardRun {
 public:
  BoardRun(CommandContext& context, const PortSettings& settings, PortIo& port,
           std::int32_t epromSize)
      : context_(context),
        base_(settings.LptBase),
        indicators_(context.progress, context.busy, epromSize),
        progress_(context.progress),
        services_{port, context.timing, settings, progress_, context.stop} {}

  RoutineServices& services() { return services_; }
  RunIndicators& indicators() { return indicators_; }

  // Runs `pass` over the chip and puts its outcome, and where it stopped, in
  // `result`.
  template <class Result, class Pass>
  void run(Result& result, const char* what, Pass&& pass) {
    result.outcome = onBoard(what, std::forward<Pass>(pass));
    result.stopped = stopped_;
  }

 private:
  // Runs one pass over the chip; a port that fails is reported, a stop is
  // not (the program is ending). The bar is hidden before the message.
  template <class Pass>
  CommandOutcome onBoard(const char* what, Pass&& pass) {
    try {
      return pass();
    } catch (const PortFailure& failure) {
      indicators_.hideProgress();
      context_.messages.show({MessageKind::Error,
                              MessageIcon::Critical,
                              "Port Error",
                              {std::string(what) + " stopped: the port at base address " +
                                   baseAddressText(base_) + " failed.",
                               failure.what()}});
      return CommandOutcome::PortFailed;
    } catch (const RunStopped&) {
      stopped_ = progress_.point();
      indicators_.hideProgress();
      return CommandOutcome::Stopped;
    }
  }

  CommandContext& context_;
  std::int16_t base_;
  RunIndicators indicators_;
  TrackedProgress progress_;
  RoutineServices services_;
  StopPoint stopped_;
};

// A simulated chip is written back to its file after a run that may have
// programmed it; a failed write-back is reported, and a run that ended well
// then ends ChipFileFailed.
void keepChipFile(const CommandContext& context, CommandOutcome& outcome) {
  if (context.chipFile == nullptr) return;
  if (const Expected<> saved = context.chipFile->save(); !saved) {
    context.messages.show(chipNotSavedMessage(context.chipFile->path(), saved.error()));
    if (outcome == CommandOutcome::Done) outcome = CommandOutcome::ChipFileFailed;
  }
}

// `passCount` passes of Read_Eprom over the chip on the port had, the bar
// starting again at each pass.
ReadPassesCommandResult readPasses(CommandContext& context, const PortSettings& settings,
                                   PortIo& port, std::int32_t epromSize, int passCount) {
  ReadPassesCommandResult result;
  BoardRun board(context, settings, port, epromSize);
  board.run(result, "Reading the Eprom", [&] {
    result.passes.resize(static_cast<std::size_t>(passCount));
    for (MemoryImage& pass : result.passes)
      Read_Eprom(board.services(), settings.LptBase, epromSize, pass);
    return CommandOutcome::Done;
  });
  if (result.outcome == CommandOutcome::Done) {
    result.indicators = std::move(board.indicators());
  } else {
    // Only a complete read is handed on: a port that fails half-way leaves
    // the caller's image as it was.
    result.passes.clear();
  }
  return result;
}

}  // namespace

RunIndicators::RunIndicators(Progress& progress, BusyIndicator* busy, std::int32_t maximum)
    : progress_(&progress), busy_(busy) {
  if (busy_ != nullptr) busy_->setBusy(true);
  progress_->setVisible(true);
  progress_->setMaximum(maximum);
}

RunIndicators::RunIndicators(RunIndicators&& other) noexcept
    : progress_(std::exchange(other.progress_, nullptr)),
      busy_(std::exchange(other.busy_, nullptr)) {}

RunIndicators& RunIndicators::operator=(RunIndicators&& other) noexcept {
  if (this != &other) {
    end();
    progress_ = std::exchange(other.progress_, nullptr);
    busy_ = std::exchange(other.busy_, nullptr);
  }
  return *this;
}

void RunIndicators::hideProgress() {
  if (progress_ != nullptr) std::exchange(progress_, nullptr)->hide();
}

void RunIndicators::end() {
  hideProgress();
  if (busy_ != nullptr) std::exchange(busy_, nullptr)->setBusy(false);
}

std::string byteCountText(std::int32_t count) {
  return std::to_string(count) + " Byte";
}

ReadCommandResult readCommand(CommandContext& context, const PortSettings& settings,
                              const std::string& epromType, std::int32_t epromSize) {
  ReadPassesCommandResult read = readPassesCommand(context, settings, epromType, epromSize, 1);
  ReadCommandResult result{read.outcome, {}, std::move(read.indicators), read.stopped};
  if (!read.passes.empty()) result.image = std::move(read.passes.front());
  return result;
}

ReadPassesCommandResult readPassesCommand(CommandContext& context, const PortSettings& settings,
                                          const std::string& epromType, std::int32_t epromSize,
                                          int passCount) {
  return onPort<ReadPassesCommandResult>(context, settings.LptBase, [&](PortIo& port) {
    context.messages.show(
        announcement(std::string(kWillReadTitle) + epromType, epromType, epromSize));
    return readPasses(context, settings, port, epromSize, passCount);
  });
}

ReadCommandResult rereadCommand(CommandContext& context, const PortSettings& settings,
                                std::int32_t epromSize) {
  ReadPassesCommandResult read = onPort<ReadPassesCommandResult>(
      context, settings.LptBase,
      [&](PortIo& port) { return readPasses(context, settings, port, epromSize, 1); });
  read.indicators.end();
  ReadCommandResult result{read.outcome, {}, {}, read.stopped};
  if (!read.passes.empty()) result.image = std::move(read.passes.front());
  return result;
}

BlankCommandResult blankCommand(CommandContext& context, const PortSettings& settings,
                                std::int32_t epromSize) {
  return onPort<BlankCommandResult>(context, settings.LptBase, [&](PortIo& port) {
    BlankCommandResult result;
    BoardRun board(context, settings, port, epromSize);
    board.run(result, "Checking the Eprom", [&] {
      result.check = Blank_Check(board.services(), settings.LptBase, epromSize);
      return result.check.blank ? CommandOutcome::Done : CommandOutcome::NotBlank;
    });
    board.indicators().hideProgress();
    showRefusal(context.messages, result.outcome);
    return result;
  });
}

WriteCommandResult writeCommand(CommandContext& context, const PortSettings& settings,
                                const std::string& epromType, std::int32_t epromSize,
                                const MemoryImage& epromImage, const ProgrammingMethod& method,
                                std::span<const std::uint8_t> held, ErasedLocations erased) {
  return onPort<WriteCommandResult>(context, settings.LptBase, [&](PortIo& port) {
    WriteCommandResult result;
    BoardRun board(context, settings, port, epromSize);
    context.messages.show(announcement(kWillWriteTitle, epromType, epromSize));
    board.run(result, "Programming the Eprom", [&] {
      try {
        result.write = programChip(board.services(), context.messages, settings.LptBase, epromSize,
                                   epromImage, method, held, erased);
      } catch (const WriteStopped& stopped) {
        result.write = stopped.done();
        throw;
      }
      return outcomeOf(result.write.outcome);
    });
    board.indicators().hideProgress();
    // Whatever the run did to a simulated chip is in its file before anything else happens.
    if (result.outcome != CommandOutcome::NotBlank) keepChipFile(context, result.outcome);
    return result;
  });
}

WriteResult programChip(RoutineServices& services, Messages& messages, std::int16_t base,
                        std::int32_t epromSize, const MemoryImage& epromImage,
                        const ProgrammingMethod& method, std::span<const std::uint8_t> held,
                        ErasedLocations erased) {
  const WriteResult written =
      Write_Eprom(services, base, epromSize, epromImage, method, held, erased);
  showRefusal(messages, outcomeOf(written.outcome));
  if (written.outcome == WriteOutcome::BadEprom) endProgramming(services, base);
  return written;
}
