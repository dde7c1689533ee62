#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Expected.h"
#include "FileDescriptor.h"
#include "UserInterfaces.h"

// The file behind --simulate=CHIP.bin, which always holds the simulated chip:
// it is loaded at start, written back (through the safe replacement) after
// every programming run and when the program ends. It is locked (flock) for
// as long as this object lives, so a second program on the same file is
// refused instead of overwriting the first one's programming.
class ChipFile {
 public:
  // Checks that the file can be kept (its folder exists and may be written;
  // the file, if there, is a regular file we may write, no bigger than
  // `chip`), locks it and loads it into `chip`: its bytes at the start, FFh
  // after them. A missing file is a blank chip, written at once. When the
  // file cannot be used, one sentence that names it says why.
  static Expected<std::unique_ptr<ChipFile>> open(const std::string& path,
                                                  std::vector<std::uint8_t>& chip);
  ChipFile(const ChipFile&) = delete;
  ChipFile& operator=(const ChipFile&) = delete;

  // Writes the chip to the file; the old contents stay on failure.
  Expected<> save();

  const std::string& path() const { return path_; }

 private:
  ChipFile(std::string path, const std::vector<std::uint8_t>& chip, FileDescriptor lock);

  std::string path_;
  const std::vector<std::uint8_t>& chip_;
  FileDescriptor lock_;  // the file as it stands under its name, locked
};

// The message of a write-back that failed: the file's name, then the reason.
Message chipNotSavedMessage(const std::string& path, const std::string& reason);
