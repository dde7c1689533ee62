// zeza's parsing and formatting in memory, without the file system: the 16
// bytes of a full record decoded and encoded with SSE2 against the portable
// table, and the whole reader and writer over 16 MiB of data. The bytes per
// second are of the HEX text.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "HexBlocks.h"
#include "HexParser.h"
#include "HexRecords.h"

namespace {

constexpr std::size_t kImageBytes = 16 * 1024 * 1024;

std::vector<std::uint8_t> randomImage() {
  std::mt19937 generator(1);
  std::vector<std::uint8_t> image(kImageBytes);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(generator());
  return image;
}

std::string hexText(const std::vector<std::uint8_t>& image) {
  std::string text(hexTextBound(image.size()) + kEndOfFileRecordLength, '\0');
  std::size_t length = formatRecords(image.data(), 0, image.size(), text.data());
  text.replace(length, kEndOfFileRecordLength, kEndOfFileRecord);
  text.resize(length + kEndOfFileRecordLength);
  return text;
}

// The 32 data characters of each of 64 K full records, one after the other.
std::string dataCharacters() {
  const std::string text = hexText(randomImage());
  std::string chars;
  for (std::size_t at = 0; at + kFullRecordLength <= text.size() && chars.size() < (2u << 20);
       at += kFullRecordLength) {
    if (text.compare(at, 3, ":10") == 0) chars.append(text, at + 9, 32);
  }
  return chars;
}

template <unsigned (*Decode)(const std::uint8_t*, std::uint8_t*)>
void decodeBlocks(benchmark::State& state) {
  const std::string chars = dataCharacters();
  std::vector<std::uint8_t> bytes(chars.size() / 2);
  const auto* in = reinterpret_cast<const std::uint8_t*>(chars.data());
  for (auto _ : state) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 16) sum += Decode(in + 2 * i, &bytes[i]);
    benchmark::DoNotOptimize(sum);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chars.size()));
}

template <unsigned (*Encode)(const std::uint8_t*, char*)>
void encodeBlocks(benchmark::State& state) {
  std::vector<std::uint8_t> bytes = randomImage();
  bytes.resize(1 << 20);
  std::string chars(2 * bytes.size(), '\0');
  for (auto _ : state) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 16) sum += Encode(&bytes[i], &chars[2 * i]);
    benchmark::DoNotOptimize(sum);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chars.size()));
}

void BM_DecodeHexPairs16Portable(benchmark::State& state) {
  decodeBlocks<decodeHexPairs16Portable>(state);
}
void BM_EncodeHexPairs16Portable(benchmark::State& state) {
  encodeBlocks<encodeHexPairs16Portable>(state);
}
#if defined(__SSE2__)
void BM_DecodeHexPairs16Sse2(benchmark::State& state) {
  decodeBlocks<decodeHexPairs16Sse2>(state);
}
void BM_EncodeHexPairs16Sse2(benchmark::State& state) {
  encodeBlocks<encodeHexPairs16Sse2>(state);
}
BENCHMARK(BM_DecodeHexPairs16Sse2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeHexPairs16Sse2)->Unit(benchmark::kMicrosecond);
#endif
BENCHMARK(BM_DecodeHexPairs16Portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeHexPairs16Portable)->Unit(benchmark::kMicrosecond);

class TextSource : public ByteSource {
 public:
  explicit TextSource(const std::string& text) : text_(text) {}
  Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override {
    const std::size_t count = std::min(size, text_.size() - given_);
    std::copy_n(text_.data() + given_, count, into);
    given_ += count;
    return count;
  }

 private:
  const std::string& text_;
  std::size_t given_ = 0;
};

class NoSink : public ByteSink {
 public:
  bool write(const std::uint8_t* data, std::size_t size) override {
    benchmark::DoNotOptimize(data);
    bytes += size;
    return true;
  }
  std::size_t bytes = 0;
};

class NoMessages : public ConverterMessages {
 public:
  void ShowMessage(const std::string&) override {}
};

// The reader as zeza runs it, the copy into its block included.
void BM_ReadHexRecords(benchmark::State& state) {
  const std::string text = hexText(randomImage());
  for (auto _ : state) {
    TextSource source(text);
    NoSink sink;
    NoMessages messages;
    if (readHexRecords(source, text.size(), sink, messages) != HexReadEnd::EndRecord ||
        sink.bytes != kImageBytes) {
      state.SkipWithError("the reading went wrong");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadHexRecords)->Unit(benchmark::kMillisecond);

// The writer as zeza runs it: 128 KiB of data into text at a time.
void BM_FormatRecords(benchmark::State& state) {
  const std::vector<std::uint8_t> image = randomImage();
  constexpr std::size_t kChunk = 128 * 1024;
  std::string text(hexTextBound(kChunk), '\0');
  std::size_t length = 0;
  for (auto _ : state) {
    length = 0;
    for (std::size_t at = 0; at < image.size(); at += kChunk) {
      length += formatRecords(image.data() + at, at, kChunk, text.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length));
}
BENCHMARK(BM_FormatRecords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
