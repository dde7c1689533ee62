#include "BinToHex.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "FileAccess.h"
#include "HexRecords.h"
#include "MessageTexts.h"

namespace {

// Input bytes turned into text per write: big enough to keep system calls
// rare, small enough for the text to stay in the cache until it is written.
constexpr std::size_t kChunkBytes = 128 * 1024;

}  // namespace

int BinToHex(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
             ConverterMessages& messages) {
  FileDescriptor input = openInput(inputPath);
  if (!input) return 0;
  FileDescriptor output = createNewOutput(outputTarget);
  if (!output) return 0;

  const InputBuffer image = readWhole(input.get(), size);
  const std::unique_ptr<char[]> text(
      image ? new (std::nothrow) char[hexTextBound(kChunkBytes) + kEndOfFileRecordLength]
            : nullptr);
  if (!text) {
    messages.ShowMessage(errorReadingFile(inputPath));
    return 0;
  }

  std::uint64_t begin = 0;
  do {
    const std::uint64_t end = std::min<std::uint64_t>(begin + kChunkBytes, size);
    std::size_t length = formatRecords(image.data(), begin, end, text.get());
    if (end == size) {
      std::memcpy(text.get() + length, kEndOfFileRecord, kEndOfFileRecordLength);
      length += kEndOfFileRecordLength;
    }
    if (writeAll(output.get(), text.get(), length)) {
      messages.ShowMessage(errorReadingFile(inputPath));
      return 0;
    }
    begin = end;
  } while (begin < size);

  // A write that fails late (a full disk on a network file system) shows up here.
  if (output.close()) {
    messages.ShowMessage(errorReadingFile(inputPath));
    return 0;
  }
  return 1;
}
