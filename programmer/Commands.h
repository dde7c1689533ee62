#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "BoardRoutines.h"
#include "BoardTiming.h"
#include "ChipFile.h"
#include "MemoryImage.h"
#include "PortSettings.h"
#include "PortSource.h"
#include "RunStop.h"
#include "StopPoint.h"
#include "UserInterfaces.h"

// The hourglass pointer, which a front end may show while a command works the board.
class BusyIndicator {
 public:
  virtual ~BusyIndicator() = default;
  virtual void setBusy(bool busy) = 0;
};

// What the commands work with: the port source and the waits of the board,
// and the front end's messages, progress bar and hourglass.
struct CommandContext {
  PortSource& ports;
  BoardTiming& timing;
  Messages& messages;
  Progress& progress;
  BusyIndicator* busy = nullptr;  // none: no hourglass (vesk)
  // Asked between two locations: a run stops there when the program is to end.
  const StopRequest* stop = nullptr;
  // The simulated chip's file, written back after every programming run.
  ChipFile* chipFile = nullptr;
};

// How a command ended. Every end but Done has been reported in a message,
// except Stopped: the program is ending.
enum class CommandOutcome {
  Done,
  NoPort,         // the port could not be had; nothing happened
  PortFailed,     // the port stopped answering during the run
  Stopped,        // the run stopped between two locations (control 00h)
  NotBlank,       // the blank check refused the chip
  BadEprom,       // a location did not take its byte
  ChipFileFailed  // the chip was programmed, but its file could not be written back
};

// What a command shows while it works the board: the hourglass and
// ProgressBar1, shown when it is made and gone when it goes (the bar first).
class RunIndicators {
 public:
  RunIndicators() = default;  // shows nothing
  RunIndicators(Progress& progress, BusyIndicator* busy, std::int32_t maximum);
  RunIndicators(RunIndicators&& other) noexcept;
  RunIndicators& operator=(RunIndicators&& other) noexcept;  // ends what this one showed
  ~RunIndicators() { end(); }

  // ProgressBar1 hidden and back at 0; the hourglass stays.
  void hideProgress();
  // Both gone.
  void end();

 private:
  Progress* progress_ = nullptr;   // null once hidden
  BusyIndicator* busy_ = nullptr;  // null once gone
};

// What the read command hands back. On Done, the chip's image, and the
// hourglass and the bar still up: the front end shows the image, then ends
// them (the window: checksum, data rows, bar hidden, lists aligned, repaint,
// hourglass gone). Otherwise no image, and nothing left up.
struct ReadCommandResult {
  CommandOutcome outcome = CommandOutcome::Done;
  MemoryImage image;
  RunIndicators indicators;
  StopPoint stopped;  // on Stopped
};

// What a read of several passes hands back: on Done, every pass's image in
// the order read, with the hourglass and the bar still up as after
// readCommand; otherwise no pass, and nothing left up.
struct ReadPassesCommandResult {
  CommandOutcome outcome = CommandOutcome::Done;
  std::vector<MemoryImage> passes;
  RunIndicators indicators;
  StopPoint stopped;  // on Stopped
};

// What the blank check on its own hands back.
struct BlankCommandResult {
  CommandOutcome outcome = CommandOutcome::Done;
  BlankCheckResult check;
  StopPoint stopped;  // on Stopped
};

// What the write command hands back.
struct WriteCommandResult {
  CommandOutcome outcome = CommandOutcome::Done;
  WriteResult write;  // what the programming pass did, when it ran
  StopPoint stopped;  // on Stopped
};

// "4096 Byte": how the messages count a chip's bytes.
std::string byteCountText(std::int32_t count);

// The "&Read Eprom" command: the port (when it cannot be had, one critical
// message says why and nothing else happens), the "Will Read Eprom" message
// followed by the type key (" 2732", "27128"), which it also names as its
// chipType, hourglass, progress, Read_Eprom into a fresh image.
ReadCommandResult readCommand(CommandContext& context, const PortSettings& settings,
                              const std::string& epromType, std::int32_t epromSize);

// readCommand's run with `passCount` (1 or more) passes of Read_Eprom over the
// chip under its one announcement, the bar starting again at each pass. A
// stop or a port that fails in any pass ends the read as in readCommand.
ReadPassesCommandResult readPassesCommand(CommandContext& context, const PortSettings& settings,
                                          const std::string& epromType, std::int32_t epromSize,
                                          int passCount);

// One pass of Read_Eprom that a front end makes after a run of its own, to
// see what the run left (vesk, after a refused blank check or a Bad Eprom;
// the window makes none): readCommand's port, hourglass, bar and stop, but
// no announcement, for it belongs to a run announced already, and nothing
// left up when it ends.
ReadCommandResult rereadCommand(CommandContext& context, const PortSettings& settings,
                                std::int32_t epromSize);

// The blank check on its own: the port, hourglass, progress, Blank_Check
// over EpromSize locations. A chip that is not blank gets the same message as
// a refused write, once the bar is hidden; a blank one none (Done). No
// announcement: nothing is changed.
BlankCommandResult blankCommand(CommandContext& context, const PortSettings& settings,
                                std::int32_t epromSize);

// The "&Write Eprom" command: the port, hourglass, progress, the "Will Write
// Eprom" message (its chipType the type key), programChip() while the bar is
// up. Then a simulated chip is written back to its file (a failed write-back
// is reported, and a run that ended well then ends ChipFileFailed). The image
// is never touched. `method`, `held` and `erased` as Write_Eprom takes them
// (the window gives none). A run that stops keeps in `write` what the pass
// did before the stop.
WriteCommandResult writeCommand(CommandContext& context, const PortSettings& settings,
                                const std::string& epromType, std::int32_t epromSize,
                                const MemoryImage& epromImage, const ProgrammingMethod& method = {},
                                std::span<const std::uint8_t> held = {},
                                ErasedLocations erased = ErasedLocations::Pulsed);

// Write_Eprom as the write command runs it: the chip's refusal is shown
// while the board is still where the pass ended, and a pass that met a bad
// location is then ended (control 00h).
WriteResult programChip(RoutineServices& services, Messages& messages, std::int16_t base,
                        std::int32_t epromSize, const MemoryImage& epromImage,
                        const ProgrammingMethod& method = {},
                        std::span<const std::uint8_t> held = {},
                        ErasedLocations erased = ErasedLocations::Pulsed);

// The title of the boxes that warn: the chip's refusals here, and the
// window's own warnings.
inline constexpr const char* kWarningTitle = "Warning !";
