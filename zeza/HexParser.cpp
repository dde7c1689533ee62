#include "HexParser.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "HexBlocks.h"
#include "MessageTexts.h"

namespace {

constexpr std::size_t kHeaderChars = 9;    // ":", length, address, type
constexpr std::size_t kChecksumChars = 2;  // after the data
// The longest record: 255 data bytes. A record cut by the end of a block is
// shorter than this, so this much room before a block takes any carry-over.
constexpr std::size_t kMaxRecordChars = kHeaderChars + 2 * 255 + kChecksumChars;
constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kEndRecord = 0x01;

// Collects data bytes and hands them to the sink in blocks.
class Staging {
 public:
  // A record adds at most one byte per two characters of the input, so a
  // small input needs no more than half its size.
  Staging(ByteSink& sink, std::uint64_t inputSize)
      : sink_(sink),
        capacity_(static_cast<std::size_t>(
            std::min<std::uint64_t>(kMaxCapacity, inputSize / 2 + kRecordRoom))),
        bytes_(new (std::nothrow) std::uint8_t[capacity_]) {}

  explicit operator bool() const { return bytes_ != nullptr; }
  // Room for one record's data (at most 255 bytes); null if a flush failed.
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

// The next record after one that ended at `after`: most files put CR LF or
// LF between records, which a look at the next three characters settles
// without a call.
const std::uint8_t* findNextRecord(const std::uint8_t* after, const std::uint8_t* end) {
  for (int i = 0; i < 3; ++i, ++after) {
    if (after == end) return nullptr;
    if (*after == ':') return after;
  }
  return findRecordStart(after, end);
}

// One reading of a whole input: the block being parsed, with any start of a
// record carried over from the block before in front of it.
class RecordReader {
 public:
  RecordReader(ByteSource& source, std::uint64_t size, ByteSink& sink, ConverterMessages& messages,
               std::size_t blockBytes)
      : source_(source),
        messages_(messages),
        staging_(sink, size),
        blockBytes_(static_cast<std::size_t>(
            std::clamp<std::uint64_t>(size, 1, std::max<std::size_t>(blockBytes, 1)))),
        text_(new (std::nothrow) std::uint8_t[kMaxRecordChars + blockBytes_]) {}

  HexReadEnd run() {
    if (!text_ || !staging_) return HexReadEnd::ReadFailed;
    std::size_t carried = 0;  // the start of a record cut by the block's end, now in front
    for (;;) {
      const Expected<std::size_t> got = source_.read(text_.get() + carried, blockBytes_);
      if (!got) return staging_.flush() ? HexReadEnd::ReadFailed : HexReadEnd::WriteFailed;
      if (*got == 0) break;
      const std::uint8_t* const end = text_.get() + carried + *got;
      // A file that does not begin with ":" (a blank line, a byte-order
      // mark) is read from its first ":"; a carried record begins with one.
      const std::uint8_t* record = findRecordStart(text_.get(), end);
      while (record != nullptr) {
        const std::uint8_t* const next = readRecord(record, end);
        if (next == nullptr) return stopped_;
        if (next == record) break;  // cut by the block's end
        record = next < end ? findNextRecord(next, end) : nullptr;
      }
      carried = record == nullptr ? 0 : static_cast<std::size_t>(end - record);
      if (carried > 0) std::memmove(text_.get(), record, carried);
    }
    if (!staging_.flush()) return HexReadEnd::WriteFailed;
    messages_.ShowMessage(kBadFormed);
    return HexReadEnd::EndOfInput;
  }

 private:
  // Reads the record at `p`. Returns the position after its checksum; `p`
  // itself when the record does not end before `end`; null when the reading
  // is over (the end record, or a failed write), with stopped_ set.
  const std::uint8_t* readRecord(const std::uint8_t* p, const std::uint8_t* end) {
    const auto left = static_cast<std::size_t>(end - p);
    if (left < kHeaderChars + kChecksumChars) return p;
    const std::uint8_t length = HexPairValue(p + 1);
    if (left < kHeaderChars + 2u * length + kChecksumChars) return p;
    const std::uint8_t addressHigh = HexPairValue(p + 3);
    const std::uint8_t addressLow = HexPairValue(p + 5);
    const std::uint8_t type = HexPairValue(p + 7);
    const std::uint8_t* const data = p + kHeaderChars;

    std::uint8_t* out = staging_.room();
    if (out == nullptr) return stop(HexReadEnd::WriteFailed);
    unsigned sum = length + addressHigh + addressLow + type;
    if (length == 16) {  // the common case, on its own for the compiler
      sum += decodeHexPairs16(data, out);
    } else {
      // Sixteen bytes at a time (records of 32 are common too), the rest one by one.
      unsigned i = 0;
      for (; i + 16 <= length; i += 16) sum += decodeHexPairs16(data + 2 * i, out + i);
      for (; i < length; ++i) {
        const std::uint8_t value = HexPairValue(data + 2 * i);
        out[i] = value;
        sum += value;
      }
    }
    const std::uint8_t calculated = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    const std::uint8_t found = HexPairValue(data + 2 * length);
    if (found != calculated) {
      if (!staging_.flush(type == kDataRecord ? length : 0)) return stop(HexReadEnd::WriteFailed);
      messages_.ShowMessage(badChecksum(found, calculated));
    }
    if (type == kDataRecord) staging_.commit(length);
    // The end record is read like any other, its checksum after its data
    // (none in the usual ":00000001FF"); the rest of the input is ignored.
    if (type == kEndRecord) {
      return stop(staging_.flush() ? HexReadEnd::EndRecord : HexReadEnd::WriteFailed);
    }
    return data + 2 * length + kChecksumChars;
  }

  const std::uint8_t* stop(HexReadEnd end) {
    stopped_ = end;
    return nullptr;
  }

  ByteSource& source_;
  ConverterMessages& messages_;
  Staging staging_;
  const std::size_t blockBytes_;
  std::unique_ptr<std::uint8_t[]> text_;
  HexReadEnd stopped_ = HexReadEnd::EndOfInput;
};

}  // namespace

HexReadEnd readHexRecords(ByteSource& source, std::uint64_t size, ByteSink& sink,
                          ConverterMessages& messages, std::size_t blockBytes) {
  return RecordReader(source, size, sink, messages, blockBytes).run();
}
