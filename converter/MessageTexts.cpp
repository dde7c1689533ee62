#include "MessageTexts.h"

#include "HexDigits.h"

std::string errorReadingFile(const std::string& inputPath) {
  return "Error Reading File " + inputPath;
}

std::string badChecksum(std::uint8_t found, std::uint8_t calculated) {
  return "Bad checksum!! Hex = " + hexWithoutLeadingZeros(found) +
         " - Calculated = " + hexWithoutLeadingZeros(calculated);
}

std::string cantFindFile(const std::string& argument) {
  return "Can't find file " + argument;
}

std::string fileTooLarge(const std::string& name) {
  return "File is too large!!! (" + name + ")";
}

const char* const kUsageText =
    "Usage:\r\n"
    "Drag and drop the hex or bin file to this exe\r\n"
    "and the new file will be created in the same folder\r\n"
    "\r\n"
    "Otherwise from the command line:\r\n"
    "Morvel file.hex \t(convert in file.bin)\r\n"
    "Morvel file.bin \t(convert in file.hex)\r\n"
    "Morvel *.hex    \t(convert all hex in bin)\r\n"
    "Morvel *.bin    \t(convert all bin in hex)\r\n"
    "\r\n";
