#pragma once

#include <optional>
#include <set>
#include <string>

#include "UserInterfaces.h"

// What File Conversion tells once zeza has ended on a chosen file. zeza makes
// a .hex file of a .bin file and a .bin file of a .hex file (the extension
// after the last dot, in any case), beside it under its base name, with 1, 2,
// ... appended when the name is taken; it makes nothing of any other file and
// reports its own failures. Made before zeza starts, the check notes the names
// zeza could write; after zeza's end a new one among them is the conversion.
class ConversionCheck {
 public:
  explicit ConversionCheck(std::string sourcePath);

  // "Conversion Done !" when a new file stands beside the source, otherwise
  // a box that names the source and says why nothing was converted.
  Message report() const;

 private:
  // The names in the source's folder that zeza's output for it could have.
  std::set<std::string> outputNames() const;

  std::string sourcePath_;
  std::optional<std::string> outputStem_;  // base + "." + the other extension
  std::set<std::string> before_;
};
