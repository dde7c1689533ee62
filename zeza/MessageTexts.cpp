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
    "zeza file.hex \t(convert in file.bin)\r\n"
    "zeza file.bin \t(convert in file.hex)\r\n"
    "zeza *.hex    \t(convert all hex in bin)\r\n"
    "zeza *.bin    \t(convert all bin in hex)\r\n"
    "\r\n";

const char* const kHelpText =
    "Usage: zeza FILE-OR-PATTERN\n"
    "Convert every file that FILE-OR-PATTERN names or matches: a .bin file into\n"
    "an Intel HEX file, a .hex file into a raw binary file (any case), beside it\n"
    "under its base name with the other extension, never over an existing file\n"
    "(1, 2, ... is appended to a name that is taken). Other files are skipped.\n"
    "A pattern may hold * and ?; matching ignores case. Messages appear in a box\n"
    "when a display is available, otherwise on standard error.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Exit status: 0.\n";

std::string versionText(const std::string& version) {
  return "zeza (VeskEprom) " + version +
         "\n"
         "Copyright (C) 2026 The VeskEprom Developers\n"
         "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}
