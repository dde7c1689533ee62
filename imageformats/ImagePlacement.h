#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "AddressedData.h"
#include "Expected.h"

// What placing data outside the chip does: refuse the file (HEX and
// S-records, whose addresses say where the data belong), or leave those
// bytes out (a raw binary longer than the chip, cut as the window cuts it).
enum class OutsideChip { Refuse, LeaveOut };

// A chip's image made from a file, and which of its locations the file gives.
struct PlacedImage {
  std::vector<std::uint8_t> bytes;
  std::vector<bool> covered;
  std::size_t leftOut = 0;  // bytes that fell outside the chip and were left out
};

// Places the data in an image of `size` bytes: each byte at its address plus
// `offset` (negative for a ROM linked above 0: -0xE000 puts E000h at 0),
// every location no data reach holding `fill`. Fails, naming the address and
// the record's line, for data outside the chip (unless left out), and for two
// records that give one location different values; a value given twice is
// fine.
Expected<PlacedImage> placeData(const AddressedData& data, std::size_t size, std::int64_t offset,
                                std::uint8_t fill, OutsideChip outside = OutsideChip::Refuse);
