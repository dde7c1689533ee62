#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What an Intel HEX or S-record file holds, before it is placed in a chip:
// the data of its data records at their addresses, in file order. A raw
// binary file is one run at address 0.

// `count` bytes for the addresses from `address` on, kept in
// AddressedData::bytes from `first` on; `line` is the record's line in the
// file (0 for a raw binary).
struct DataRun {
  std::uint64_t address;
  std::size_t first;
  std::size_t count;
  std::size_t line;
};

struct AddressedData {
  std::vector<std::uint8_t> bytes;
  std::vector<DataRun> runs;
  // The start address of a start-address or end record, where the file gives one.
  std::optional<std::uint32_t> startAddress;
  // The text of an S-record file's header record (S0); empty otherwise.
  std::string header;

  // Adds `count` bytes at `address` from the record on `line`.
  void add(std::uint64_t address, const std::uint8_t* data, std::size_t count, std::size_t line) {
    if (count == 0) return;
    runs.push_back({address, bytes.size(), count, line});
    bytes.insert(bytes.end(), data, data + count);
  }
};
