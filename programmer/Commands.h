#pragma once

#include <cstdint>
#include <string>

#include "BoardTiming.h"
#include "ChipFile.h"
#include "MemoryImage.h"
#include "PortSettings.h"
#include "PortSource.h"
#include "RunStop.h"
#include "UserInterfaces.h"

// What the read and write commands need of the main window besides its
// message boxes and progress bar.
class CommandWindow {
 public:
  virtual ~CommandWindow() = default;
  virtual void setBusy(bool busy) = 0;  // hourglass pointer on / off
  // After a read: checksum label and data rows rebuilt from the image, lists
  // hidden while they are refilled.
  virtual void showReadImage() = 0;
  // After a read: selections aligned to Lst_Address's row, window repainted.
  virtual void alignListsAndRepaint() = 0;
};

struct CommandContext {
  PortSource& ports;
  BoardTiming& timing;
  Messages& messages;
  Progress& progress;
  CommandWindow& window;
  // Asked between two locations: a run stops there when the program is to end.
  const StopRequest* stop = nullptr;
  // The simulated chip's file, written back after every programming run.
  ChipFile* chipFile = nullptr;
};

// How a command ended. Every end but Done has been reported in a box, except
// Stopped: the program is ending.
enum class CommandOutcome {
  Done,
  NoPort,         // the port could not be had; nothing happened
  PortFailed,     // the port stopped answering during the run
  Stopped,        // the run stopped between two locations (control 00h)
  NotBlank,       // the blank check refused the chip
  BadEprom,       // a location did not take its byte
  ChipFileFailed  // the chip was programmed, but its file could not be written back
};

// The titles of the boxes that announce a run: "Will Read Eprom" is followed by
// the type key (" 2732", "27128").
inline constexpr const char* kWillReadTitle = "Will Read Eprom";
inline constexpr const char* kWillWriteTitle = "Will Write Eprom";

// The "&Read Eprom" command: confirmation box, hourglass, progress, Read_Eprom,
// then the window shows the image. When the port cannot be had, one critical
// box says why and nothing else happens. A run that does not end well leaves
// the image and the view as they were.
CommandOutcome readCommand(CommandContext& context, const PortSettings& settings,
                           const std::string& epromType, std::int32_t epromSize,
                           MemoryImage& epromImage);

// The blank check on its own: hourglass, progress, Blank_Check over EpromSize
// locations. A chip that is not blank gets the same box as a refused write;
// a blank one none (Done). No confirmation box: nothing is changed.
CommandOutcome blankCommand(CommandContext& context, const PortSettings& settings,
                            std::int32_t epromSize);

// The "&Write Eprom" command: hourglass, progress, confirmation box, Write_Eprom,
// then a simulated chip is written back to its file (a failed write-back is
// reported, and a run that ended well then ends ChipFileFailed). The image and
// the view are never touched.
CommandOutcome writeCommand(CommandContext& context, const PortSettings& settings,
                            std::int32_t epromSize, const MemoryImage& epromImage);
