#pragma once

#include <cstdint>
#include <string>

#include "image/MemoryImage.h"
#include "programmer/BoardTiming.h"
#include "programmer/PortSettings.h"
#include "programmer/PortSource.h"
#include "programmer/UserInterfaces.h"

// What the read and write commands need of the main window besides its
// message boxes and progress bar.
class CommandWindow {
 public:
  virtual ~CommandWindow() = default;
  virtual void SetBusy(bool busy) = 0;  // hourglass pointer on / off
  // After a read: checksum label and data rows rebuilt from the image, lists
  // hidden while they are refilled.
  virtual void Show_Read_Image() = 0;
  // After a read: selections aligned to Lst_Address's row, window repainted.
  virtual void Align_Lists_And_Repaint() = 0;
};

struct CommandContext {
  PortSource& ports;
  BoardTiming& timing;
  Messages& messages;
  Progress& progress;
  CommandWindow& window;
};

// The "&Read Eprom" command: confirmation box, hourglass, progress, Read_Eprom,
// then the window shows the image. When the port cannot be had, one critical
// box says why and nothing else happens.
void Read_Command(CommandContext& context, const PortSettings& settings,
                  const std::string& EpromType, std::int32_t EpromSize, MemoryImage& EpromImage);

// The "&Write Eprom" command: hourglass, progress, confirmation box, Write_Eprom.
// The image and the view are never touched.
void Write_Command(CommandContext& context, const PortSettings& settings, std::int32_t EpromSize,
                   const MemoryImage& EpromImage);
