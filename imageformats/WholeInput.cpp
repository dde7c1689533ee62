#include "WholeInput.h"

#include <string>

#include "FileDescriptor.h"

Expected<std::size_t> DescriptorSource::read(std::uint8_t* into, std::size_t size) {
  std::size_t got = 0;
  if (const std::error_code error = readUpTo(fd_, into, size, &got)) return systemFailure(error);
  return got;
}

Expected<std::vector<std::uint8_t>> readWholeInput(ByteSource& source, std::size_t limit) {
  constexpr std::size_t kBlock = 256 * 1024;
  std::vector<std::uint8_t> bytes;
  for (;;) {
    const std::size_t used = bytes.size();
    // One byte past the limit is read to tell a file of exactly `limit` bytes from a longer one.
    const std::size_t room = limit - used < kBlock ? limit - used + 1 : kBlock;
    bytes.resize(used + room);
    const Expected<std::size_t> got = source.read(bytes.data() + used, room);
    if (!got) return Failure{got.error()};
    bytes.resize(used + *got);
    if (*got == 0) return bytes;
    if (bytes.size() > limit) {
      return Failure{"the file is longer than " + std::to_string(limit) + " bytes"};
    }
  }
}
