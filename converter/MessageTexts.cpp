#include "converter/MessageTexts.h"

namespace {

std::string HexWithoutLeadingZeros(unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

}  // namespace

std::string ErrorReadingFile(const std::string& input_path) {
  return "Error Reading File " + input_path;
}

std::string BadChecksum(std::uint8_t found, std::uint8_t calculated) {
  return "Bad checksum!! Hex = " + HexWithoutLeadingZeros(found) +
         " - Calculated = " + HexWithoutLeadingZeros(calculated);
}

std::string CantFindFile(const std::string& argument) {
  return "Can't find file " + argument;
}

std::string FileTooLarge(const std::string& name) {
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
