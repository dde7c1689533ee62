#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ByteStreams.h"
#include "Expected.h"

// A chip's image file, whatever its format, is read whole before it is
// looked at: recognising its format and placing its records need all of it.

// Far more than any chip's file: a 1 MiB chip as S3 records of one byte
// each is 18 MiB of text.
inline constexpr std::size_t kMaxImageFileBytes = 64 * 1024 * 1024;

// Reads a file descriptor to its end, whatever it is (a regular file or a
// pipe such as standard input): each read fills all it is asked for, unless
// the input ends first.
class DescriptorSource : public ByteSource {
 public:
  explicit DescriptorSource(int fd) : fd_(fd) {}
  [[nodiscard]] Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override;

 private:
  int fd_;
};

// Everything `source` delivers until it ends. An input longer than `limit`
// bytes fails (nobody's chip file is that long; a device that never ends
// is not read for ever), and so does a failed read.
Expected<std::vector<std::uint8_t>> readWholeInput(ByteSource& source,
                                                   std::size_t limit = kMaxImageFileBytes);
