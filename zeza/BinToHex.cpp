#include "BinToHex.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "FileAccess.h"
#include "HexRecords.h"

namespace {

// Input read per call: large enough that the calls cost nothing next to the
// formatting; a multiple of 16, so every block but the last holds whole records.
constexpr std::size_t kBlockBytes = 1024 * 1024;
// Input bytes turned into text per write: big enough to keep system calls
// rare, small enough for the text to stay in the cache until it is written.
constexpr std::size_t kChunkBytes = 128 * 1024;

// Reads exactly `size` bytes, going on after a source's short reads.
bool readExactly(ByteSource& source, std::uint8_t* into, std::size_t size) {
  while (size > 0) {
    const Expected<std::size_t> got = source.read(into, size);
    if (!got || *got == 0) return false;
    into += *got;
    size -= *got;
  }
  return true;
}

// The HEX text written in order, with room reserved a step ahead of it: a
// run that is killed leaves no more than a step reserved past its end.
class HexOutput {
 public:
  HexOutput(int fd, std::uint64_t length) : fd_(fd), length_(length) {}

  bool write(const char* text, std::size_t size) {
    if (written_ + size > reservedTo_) {
      const std::uint64_t to = std::min(length_, written_ + size + kReserveStep);
      reserveRoom(fd_, reservedTo_, to - reservedTo_);
      reservedTo_ = to;
    }
    if (writeAll(fd_, text, size)) return false;
    written_ += size;
    return true;
  }

 private:
  static constexpr std::uint64_t kReserveStep = 64 * 1024 * 1024;
  int fd_;
  std::uint64_t length_;  // of the whole text
  std::uint64_t written_ = 0;
  std::uint64_t reservedTo_ = 0;
};

// The records of the whole input, block by block; false on a failed read or write.
bool writeRecords(ByteSource& source, std::uint32_t size, HexOutput& output) {
  const std::size_t blockBytes = std::min<std::size_t>(kBlockBytes, size);
  const std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[blockBytes]);
  const std::unique_ptr<char[]> text(new (
      std::nothrow) char[hexTextBound(std::min(kChunkBytes, blockBytes)) + kEndOfFileRecordLength]);
  if (!block || !text) return false;

  std::uint64_t offset = 0;  // of the block in the input
  do {
    const auto blockLength =
        static_cast<std::size_t>(std::min<std::uint64_t>(blockBytes, size - offset));
    if (!readExactly(source, block.get(), blockLength)) return false;
    std::size_t begin = 0;  // of the chunk in the block
    do {
      const std::size_t chunk = std::min(kChunkBytes, blockLength - begin);
      std::size_t length = formatRecords(block.get() + begin, offset + begin, chunk, text.get());
      begin += chunk;
      if (offset + begin == size) {
        std::memcpy(text.get() + length, kEndOfFileRecord, kEndOfFileRecordLength);
        length += kEndOfFileRecordLength;
      }
      if (!output.write(text.get(), length)) return false;
    } while (begin < blockLength);
    offset += blockLength;
  } while (offset < size);
  return true;
}

}  // namespace

int BinToHex(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
             ConverterMessages& messages) {
  return runConversion(inputPath, outputTarget, size, messages,
                       [size](FileSource& source, int output) {
                         HexOutput hex(output, hexFileLength(size));
                         if (writeRecords(source, size, hex)) return true;
                         releaseUnusedRoom(output);
                         return false;
                       });
}
