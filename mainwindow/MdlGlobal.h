#pragma once

#include <cstdint>
#include <string>

#include "MemoryImage.h"
#include "PortSettings.h"

// The run's state: one instance, made in main() and passed by reference, so
// that every test gets a fresh one. Nothing of it is saved between runs.
struct MdlGlobal {
  std::string EpromType;
  std::int32_t EpromSize = 0;
  MemoryImage EpromImage;
  PortSettings port;
  std::string CurrentFileName = "default.bin";
  std::string CurrentFileTitle;
  std::int32_t ScreenWidthPx = 0;
};
