// Arbitrary bytes into the Intel HEX record reader, read whole and in small
// blocks of several sizes, some handed out in pieces smaller still. Whatever
// the input, every reading ends, reads only inside its buffers (the
// sanitizers watch), hands out at most one byte per two characters, reports
// a missing end record, and does exactly what the whole-file reader does:
// the same writes and the same messages in the same order.
#include <cstdlib>
#include <string_view>
#include <utility>

#include "HexParser.h"
#include "MemoryStreams.h"
#include "WholeFileHexReader.h"

constexpr std::string_view kWarning =
    "message: Warning: Hex file bad formed, end of record not found\n";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadingLog whole;
  const HexReadEnd expected = readWholeHexText(data, size, whole, whole);
  if (whole.bytes() > size / 2 || expected == HexReadEnd::WriteFailed ||
      (expected == HexReadEnd::EndOfInput && !whole.log().ends_with(kWarning))) {
    std::abort();
  }

  const std::pair<std::size_t, std::size_t> readings[] = {
      {kTextBlockBytes, kTextBlockBytes}, {1, 1}, {31, 7}, {64 + size % 64, 64}};
  for (const auto& [block, piece] : readings) {
    ReadingLog streamed;
    MemorySource source(data, size, piece);
    const HexReadEnd end = readHexRecords(source, size, streamed, streamed, block);
    if (end != expected || streamed.log() != whole.log()) std::abort();
  }
  return 0;
}
