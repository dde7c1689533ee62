// Arbitrary bytes into the Intel HEX record reader, read whole and in small
// blocks of several sizes, some handed out in pieces smaller still. Whatever
// the input, every reading ends, reads only inside its buffers (the
// sanitizers watch), hands out at most one byte per two characters, reports
// a missing end record, and does exactly what the whole-file reader does:
// the same writes and the same messages in the same order.
#include <cstdlib>
#include <string>

#include "HexParser.h"
#include "MemorySource.h"
#include "ReadingLog.h"
#include "WholeFileHexReader.h"

namespace {

const std::string kWarning = "message: Warning: Hex file bad formed, end of record not found\n";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadingLog whole;
  const HexReadEnd expected = readWholeHexText(data, size, whole, whole);
  if (whole.bytes() > size / 2 || expected == HexReadEnd::WriteFailed ||
      (expected == HexReadEnd::EndOfInput && !endsWith(whole.log(), kWarning))) {
    std::abort();
  }

  struct Blocks {
    std::size_t block, piece;
  } const readings[] = {{kTextBlockBytes, kTextBlockBytes}, {1, 1}, {31, 7}, {64 + size % 64, 64}};
  for (const Blocks& blocks : readings) {
    ReadingLog streamed;
    MemorySource source(data, size, blocks.piece);
    const HexReadEnd end = readHexRecords(source, size, streamed, streamed, blocks.block);
    if (end != expected || streamed.log() != whole.log()) std::abort();
  }
  return 0;
}
