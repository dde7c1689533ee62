// Arbitrary bytes into the Intel HEX record reader. Whatever the input, it
// ends, reads only inside it (the sanitizers watch), hands out at most one
// byte per two characters, and reports a missing end record.
#include <cstdlib>
#include <string>

#include "HexParser.h"

namespace {

struct CountingSink : ByteSink {
  std::size_t bytes = 0;
  unsigned sum = 0;
  bool write(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size; ++i) sum += data[i];  // every byte handed out is readable
    bytes += size;
    return true;
  }
};

struct LastMessage : ConverterMessages {
  std::string last;
  void ShowMessage(const std::string& text) override { last = text; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CountingSink sink;
  LastMessage messages;
  const HexReadEnd end = readHexRecords(data, size, sink, messages);
  const bool warned = messages.last == "Warning: Hex file bad formed, end of record not found";
  if (sink.bytes > size / 2 || end == HexReadEnd::WriteFailed ||
      (end == HexReadEnd::EndOfInput && !warned)) {
    std::abort();
  }
  return 0;
}
