#include "ImagePlacement.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "RecordLines.h"

namespace {

std::string lineLead(std::size_t line) {
  return line == 0 ? "" : "line " + std::to_string(line) + ": ";
}

// The offset that puts the file's lowest address at location 0, when the
// whole file then fits the chip and it is not the offset given: a file
// linked at E000h for a chip of 8 KiB wants -0xE000.
std::optional<std::int64_t> fittingOffset(const AddressedData& data, std::size_t size,
                                          std::int64_t offset) {
  std::uint64_t lowest = UINT64_MAX;
  std::uint64_t highest = 0;
  for (const DataRun& run : data.runs) {
    if (run.count == 0) continue;
    lowest = std::min(lowest, run.address);
    highest = std::max(highest, run.address + run.count - 1);
  }
  if (lowest > highest || highest - lowest >= size) return std::nullopt;
  const std::int64_t fitting = -static_cast<std::int64_t>(lowest);
  if (fitting == offset) return std::nullopt;
  return fitting;
}

Failure outsideFailure(const AddressedData& data, const DataRun& run, std::uint64_t address,
                       std::int64_t location, std::size_t size, std::int64_t offset) {
  std::string text = lineLead(run.line) + "address " +
                     hexNumber(static_cast<std::int64_t>(address)) + " is outside the " +
                     std::to_string(size) + "-byte chip (0x0 to " +
                     hexNumber(static_cast<std::int64_t>(size) - 1) + ")";
  if (offset != 0) {
    text += ": with the offset " + hexNumber(offset) + " it is location " + hexNumber(location);
  }
  if (const std::optional<std::int64_t> fitting = fittingOffset(data, size, offset))
    text += (offset != 0 ? "; --offset " : ": --offset ") + hexNumber(*fitting) + "?";
  return {text};
}

// The earlier record that gave `address` its value: looked for only when a
// conflict has been found.
const DataRun& earlierRun(const AddressedData& data, std::uint64_t address) {
  for (const DataRun& run : data.runs) {
    if (address >= run.address && address - run.address < run.count) return run;
  }
  return data.runs.front();
}

Failure conflictFailure(const AddressedData& data, const DataRun& run, std::uint64_t address,
                        std::uint8_t before, std::uint8_t now) {
  const DataRun& earlier = earlierRun(data, address);
  return {lineLead(run.line) + "address " + hexNumber(static_cast<std::int64_t>(address)) +
          " is given " + hexByteText(now) + " here and " + hexByteText(before) +
          (earlier.line != 0 ? " on line " + std::to_string(earlier.line) : " before")};
}

}  // namespace

Expected<PlacedImage> placeData(const AddressedData& data, std::size_t size, std::int64_t offset,
                                std::uint8_t fill, OutsideChip outside) {
  PlacedImage image{std::vector<std::uint8_t>(size, fill), std::vector<bool>(size, false), 0};
  const auto chipEnd = static_cast<std::int64_t>(size);
  for (const DataRun& run : data.runs) {
    for (std::size_t i = 0; i < run.count; ++i) {
      const std::uint64_t address = run.address + i;
      std::int64_t location = 0;
      const bool overflows =
          __builtin_add_overflow(static_cast<std::int64_t>(address), offset, &location);
      const std::uint8_t value = data.bytes[run.first + i];
      if (overflows || location < 0 || location >= chipEnd) {
        if (outside == OutsideChip::Refuse) {
          return outsideFailure(data, run, address, location, size, offset);
        }
        ++image.leftOut;
        continue;
      }
      const auto at = static_cast<std::size_t>(location);
      if (image.covered[at] && image.bytes[at] != value) {
        return conflictFailure(data, run, address, image.bytes[at], value);
      }
      image.bytes[at] = value;
      image.covered[at] = true;
    }
  }
  return image;
}
