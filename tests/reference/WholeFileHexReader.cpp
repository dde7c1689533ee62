#include "WholeFileHexReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "MessageTexts.h"

namespace {

// Value of a hex digit in either case. Any other character counts as 0: the
// record's checksum then nearly always reports it.
unsigned digitValue(unsigned c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : 0;
}

// The byte written as two hex characters, high digit first.
std::uint8_t HexPairValue(const std::uint8_t* chars) {
  return static_cast<std::uint8_t>(digitValue(chars[0]) << 4 | digitValue(chars[1]));
}

}  // namespace

HexReadEnd readWholeHexText(const std::uint8_t* text, std::size_t size, ByteSink& sink,
                            ConverterMessages& messages) {
  // Data bytes go to the sink in blocks; a record adds at most one byte per
  // two characters of the input, so a small input needs no more than half its
  // size, and there is always room for one record's data (255 bytes).
  std::vector<std::uint8_t> staged(std::min<std::size_t>(256 * 1024, size / 2 + 256));
  std::size_t used = 0;
  // Hands the staged bytes to the sink; `pending` bytes placed after them but
  // not yet counted move along to the front.
  const auto flush = [&](std::size_t pending) {
    const bool ok = used == 0 || sink.write(staged.data(), used);
    std::memmove(staged.data(), staged.data() + used, pending);
    used = 0;
    return ok;
  };
  const std::uint8_t* const end = text + size;
  const auto recordStart = [end](const std::uint8_t* from) {
    return from < end ? static_cast<const std::uint8_t*>(std::memchr(from, ':', end - from))
                      : nullptr;
  };

  // A file that does not begin with ":" (a blank line, a byte-order mark) is
  // read from its first ":"; a record needs at least ":", length, address,
  // type (9 characters) and checksum (2).
  for (const std::uint8_t* p = recordStart(text); p != nullptr && end - p >= 11;) {
    const std::uint8_t length = HexPairValue(p + 1), type = HexPairValue(p + 7);
    const std::uint8_t* data = p + 9;
    if (end - data < 2 * length + 2) break;
    if (staged.size() - used < 256 && !flush(0)) return HexReadEnd::WriteFailed;
    unsigned sum = length + HexPairValue(p + 3) + HexPairValue(p + 5) + type;
    for (unsigned i = 0; i < length; ++i) sum += staged[used + i] = HexPairValue(data + 2 * i);
    const std::uint8_t calculated = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    const std::uint8_t found = HexPairValue(data + 2 * length);
    if (found != calculated) {
      if (!flush(type == 0x00 ? length : 0)) return HexReadEnd::WriteFailed;
      messages.ShowMessage(badChecksum(found, calculated));
    }
    if (type == 0x00) used += length;  // a data record
    // The end record is read like any other, its checksum after its data
    // (none in the usual ":00000001FF"); the rest of the input is ignored.
    if (type == 0x01) return flush(0) ? HexReadEnd::EndRecord : HexReadEnd::WriteFailed;
    // Whatever stands between this record and the next ":" is skipped.
    p = recordStart(data + 2 * length + 2);
  }
  if (!flush(0)) return HexReadEnd::WriteFailed;
  messages.ShowMessage(kBadFormed);
  return HexReadEnd::EndOfInput;
}
