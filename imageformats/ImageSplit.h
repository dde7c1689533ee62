#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Expected.h"

// A 16-bit board keeps its program in two 8-bit chips side by side, one on
// each byte lane of the data bus: the chip of the even addresses on D0-D7 of
// a little-endian board (on D8-D15 of a big-endian one such as the 68000),
// the other on the other lane. A 32-bit board has four. Splitting a program
// into its chips' images and merging them back are these two functions.

// The `ways` parts (2 or 4) of `image`: part k holds the bytes at the
// addresses ways * n + k, in order. With `swapWords`, each 16-bit word's two
// bytes trade places first. Fails for an image that does not divide into
// equal parts.
Expected<std::vector<std::vector<std::uint8_t>>> splitImage(const std::vector<std::uint8_t>& image,
                                                            std::size_t ways, bool swapWords);

// The image that splitImage would split into `parts` (2 or 4 of them, all
// of one size), with the same `swapWords`.
Expected<std::vector<std::uint8_t>> mergeParts(const std::vector<std::vector<std::uint8_t>>& parts,
                                               bool swapWords);
