// Feeds arbitrary bytes to the Intel HEX record reader and checks what must
// hold for any input: it ends, reads only its input, hands out at most one
// byte per two characters, and a missing end record is always reported.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "converter/HexParser.h"

namespace {

struct CountingSink : ByteSink {
  std::size_t bytes = 0;
  std::uint8_t sum = 0;
  bool Write(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size; ++i) sum += data[i];  // every byte must be readable
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
  const HexReadEnd end = ReadHexRecords(data, size, sink, messages);
  if (sink.bytes > size / 2) std::abort();
  if (end == HexReadEnd::WriteFailed) std::abort();
  if (end == HexReadEnd::EndOfInput &&
      messages.last != "Warning: Hex file bad formed, end of record not found") {
    std::abort();
  }
  return 0;
}
