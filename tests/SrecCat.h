#pragma once
// srec_cat (Debian's srecord) as the yardstick of the chip-image readers and
// writers, and the records of test files written out by hand.
#include <cstdio>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"

// What the srec_cat `command` writes on standard output; empty when it fails.
inline Bytes srecCatOutput(const std::string& command) {
  FILE* const pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  Bytes bytes;
  for (int c; (c = std::fgetc(pipe)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
  return ::pclose(pipe) == 0 ? bytes : Bytes{};
}

// The image srec_cat makes of the file at `path`, read as `format`
// ("-Intel" or "-Motorola"), in a chip of `size` bytes: the file's data
// moved by `offset`, every other location FFh.
inline Bytes srecCatImage(const std::string& path, const char* format, std::int64_t offset,
                          std::size_t size) {
  std::ostringstream command;
  command << "srec_cat " << path << ' ' << format << " -offset " << (offset < 0 ? "-" : "") << "0x"
          << std::hex << (offset < 0 ? -offset : offset) << " -fill 0xFF 0 0x" << size
          << " -o - -binary";
  return srecCatOutput(command.str());
}

// A file for srec_cat to place: read as `format` ("-Intel" or "-Motorola"),
// its data moved by `offset` into a chip of `size` bytes.
struct SrecCatInput {
  std::string path;
  const char* format;
  std::int64_t offset;
  std::size_t size;
};

// The images srec_cat makes of `inputs` in one run (a process start for
// each would cost more than the rest): each file's data moved into a window
// of its own, one after another (anything outside it left out), every
// location its data leave FFh. The arguments go through `argumentsFile`,
// for there are many. Empty when srec_cat fails.
inline std::vector<Bytes> srecCatImages(const std::vector<SrecCatInput>& inputs,
                                        const std::string& argumentsFile) {
  const auto hex = [](std::int64_t value) {
    std::ostringstream text;
    text << (value < 0 ? "-" : "") << "0x" << std::hex << (value < 0 ? -value : value);
    return text.str();
  };
  std::ostringstream arguments;
  std::int64_t window = 0;
  for (const SrecCatInput& input : inputs) {
    const auto size = static_cast<std::int64_t>(input.size);
    const std::string range = hex(window) + ' ' + hex(window + size);
    arguments << input.path << ' ' << input.format << " -offset " << hex(input.offset + window)
              << " -crop " << range << " -fill 0xFF " << range << '\n';
    window += size;
  }
  arguments << "-o - -binary\n";
  std::ofstream(argumentsFile) << arguments.str();
  const Bytes all = srecCatOutput("srec_cat @" + argumentsFile);
  if (all.size() != static_cast<std::size_t>(window)) return {};
  std::vector<Bytes> images;
  auto from = all.begin();
  for (const SrecCatInput& input : inputs) {
    images.emplace_back(from, from + static_cast<std::ptrdiff_t>(input.size));
    from += static_cast<std::ptrdiff_t>(input.size);
  }
  return images;
}

// The file's data as srec_cat reads them, from address 0 on, nothing filled.
inline Bytes srecCatBytes(const std::string& path, const char* format) {
  return srecCatOutput("srec_cat " + path + " " + format + " -o - -binary");
}

inline std::string hexPairs(const Bytes& bytes) {
  std::string text;
  for (const std::uint8_t b : bytes)
    text += "0123456789ABCDEF"[b >> 4], text += "0123456789ABCDEF"[b & 15];
  return text;
}

// One Intel HEX record, without its line end.
inline std::string ihexRecord(std::uint8_t type, std::uint16_t address, const Bytes& data) {
  Bytes bytes = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                 static_cast<std::uint8_t>(address), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(
      static_cast<std::uint8_t>(0x100 - std::accumulate(bytes.begin(), bytes.end(), 0)));
  std::string record = ":";  // (":" + a temporary trips a false -Wrestrict in g++ 12)
  return record += hexPairs(bytes);
}

// One S-record of type `type` ('0' to '9') with an address of `addressBytes` bytes.
inline std::string sRecord(char type, std::uint32_t address, int addressBytes, const Bytes& data) {
  Bytes bytes = {static_cast<std::uint8_t>(addressBytes + data.size() + 1)};
  for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8)
    bytes.push_back(static_cast<std::uint8_t>(address >> shift));
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(static_cast<std::uint8_t>(~std::accumulate(bytes.begin(), bytes.end(), 0)));
  return std::string("S") + type + hexPairs(bytes);
}
