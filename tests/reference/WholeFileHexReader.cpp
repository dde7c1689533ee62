#include "WholeFileHexReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "MessageTexts.h"

namespace {

// Value of a hex digit in either case. Any other character counts as 0: the
// record's checksum then nearly always reports it.
constexpr std::array<std::uint8_t, 256> makeDigitValues() {
  std::array<std::uint8_t, 256> values{};
  for (unsigned c = '0'; c <= '9'; ++c) values[c] = static_cast<std::uint8_t>(c - '0');
  for (unsigned c = 'A'; c <= 'F'; ++c) values[c] = static_cast<std::uint8_t>(c - 'A' + 10);
  for (unsigned c = 'a'; c <= 'f'; ++c) values[c] = static_cast<std::uint8_t>(c - 'a' + 10);
  return values;
}
constexpr auto kDigitValue = makeDigitValues();

// The byte written as two hex characters, high digit first.
inline std::uint8_t HexPairValue(const std::uint8_t* chars) {
  return static_cast<std::uint8_t>(kDigitValue[chars[0]] << 4 | kDigitValue[chars[1]]);
}

constexpr std::size_t kHeaderChars = 9;    // ":", length, address, type
constexpr std::size_t kChecksumChars = 2;  // after the data
constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kEndRecord = 0x01;

// Collects data bytes and hands them to the sink in blocks.
class Staging {
 public:
  // A record adds at most one byte per two characters of the input, so a
  // small input needs no more than half its size.
  Staging(ByteSink& sink, std::size_t inputSize)
      : sink_(sink),
        capacity_(std::min(kMaxCapacity, inputSize / 2 + kRecordRoom)),
        bytes_(new std::uint8_t[capacity_]) {}

  // Room for one record's data (at most 255 bytes); false if a flush failed.
  std::uint8_t* room() {
    if (capacity_ - used_ < kRecordRoom && !flush()) return nullptr;
    return bytes_.get() + used_;
  }
  void commit(std::size_t count) { used_ += count; }
  // Hands the committed bytes to the sink; `pending` bytes placed in room()
  // but not yet committed move along to the front.
  bool flush(std::size_t pending = 0) {
    const bool ok = used_ == 0 || sink_.write(bytes_.get(), used_);
    if (pending > 0) std::memmove(bytes_.get(), bytes_.get() + used_, pending);
    used_ = 0;
    return ok;
  }

 private:
  static constexpr std::size_t kMaxCapacity = 256 * 1024;
  static constexpr std::size_t kRecordRoom = 256;
  ByteSink& sink_;
  std::size_t capacity_;
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t used_ = 0;
};

const std::uint8_t* findRecordStart(const std::uint8_t* from, const std::uint8_t* end) {
  return static_cast<const std::uint8_t*>(
      std::memchr(from, ':', static_cast<std::size_t>(end - from)));
}

}  // namespace

HexReadEnd readWholeHexText(const std::uint8_t* text, std::size_t size, ByteSink& sink,
                            ConverterMessages& messages) {
  Staging staging(sink, size);
  const std::uint8_t* const end = text + size;
  // A file that does not begin with ":" (a blank line, a byte-order mark) is
  // read from its first ":".
  const std::uint8_t* p = size == 0 ? nullptr : findRecordStart(text, end);

  while (p != nullptr) {
    if (static_cast<std::size_t>(end - p) < kHeaderChars + kChecksumChars) break;
    const std::uint8_t length = HexPairValue(p + 1);
    const std::uint8_t addressHigh = HexPairValue(p + 3);
    const std::uint8_t addressLow = HexPairValue(p + 5);
    const std::uint8_t type = HexPairValue(p + 7);
    const std::uint8_t* data = p + kHeaderChars;
    if (static_cast<std::size_t>(end - data) < 2u * length + kChecksumChars) break;

    std::uint8_t* out = staging.room();
    if (out == nullptr) return HexReadEnd::WriteFailed;
    unsigned sum = length + addressHigh + addressLow + type;
    for (unsigned i = 0; i < length; ++i) {
      const std::uint8_t value = HexPairValue(data + 2 * i);
      out[i] = value;
      sum += value;
    }
    const std::uint8_t calculated = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    const std::uint8_t found = HexPairValue(data + 2 * length);
    if (found != calculated) {
      if (!staging.flush(type == kDataRecord ? length : 0)) return HexReadEnd::WriteFailed;
      messages.ShowMessage(badChecksum(found, calculated));
    }
    if (type == kDataRecord) staging.commit(length);
    // The end record is read like any other, its checksum after its data
    // (none in the usual ":00000001FF"); the rest of the input is ignored.
    if (type == kEndRecord) {
      return staging.flush() ? HexReadEnd::EndRecord : HexReadEnd::WriteFailed;
    }
    // Whatever stands between this record and the next ":" is skipped.
    const std::uint8_t* after = data + 2 * length + kChecksumChars;
    p = after < end ? findRecordStart(after, end) : nullptr;
  }

  if (!staging.flush()) return HexReadEnd::WriteFailed;
  messages.ShowMessage(kBadFormed);
  return HexReadEnd::EndOfInput;
}
