#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What an Intel HEX or S-record file holds for a chip, before it is placed
// there: the data of its data records at their addresses, in file order. A
// raw binary file is one run at address 0. (Start addresses and headers are
// checked by the readers, but a chip has no use for them.)

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

  // Adds `count` bytes at `address` from the record on `line`.
  void add(std::uint64_t address, const std::uint8_t* data, std::size_t count, std::size_t line) {
    if (count == 0) return;
    runs.push_back({address, bytes.size(), count, line});
    bytes.insert(bytes.end(), data, data + count);
  }
};
