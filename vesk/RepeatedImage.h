#pragma once
// --repeat: an image of 1/2, 1/4 ... of the chip repeated to fill it, as a
// 2764's image fills a 27128 whose top address line the board leaves free
// (the chip then reads the same whatever that line holds).

#include <cstddef>

#include "Expected.h"
#include "ImageFileIo.h"

struct RepeatedImage {
  LoadedImage image;       // the chip's size
  std::size_t copies = 1;  // of the file's image
};

// `file`, read without a chip, repeated to `chipSize` bytes, the locations
// it gives with it. Refused, naming both sizes, unless its size is the
// chip's divided by a power of two.
[[nodiscard]] Expected<RepeatedImage> repeatToFill(const LoadedImage& file, std::size_t chipSize);
