#pragma once
// Memory for the converter's readers to read and write. The source hands out
// its text at most `piece` bytes per read, as a file might, and fails every
// read after `failAt` bytes. The sink, a ReadingLog, writes down everything a
// reader does that anyone can see, in order: the bytes of each write and each
// message; two readers that leave the same log leave the same output file at
// every message and every failure.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "ByteStreams.h"
#include "Messages.h"

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size, std::size_t piece = SIZE_MAX,
               std::size_t failAt = SIZE_MAX)
      : data_(data), left_(size), piece_(piece), failAt_(failAt) {}

  Expected<std::size_t> read(std::uint8_t* into, std::size_t size) override {
    if (failAt_ == 0) return Failure{"Input/output error"};
    const std::size_t count = std::min({size, left_, piece_, failAt_});
    if (count > 0) std::memcpy(into, data_, count);
    data_ += count;
    left_ -= count;
    failAt_ -= count;
    return count;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_, piece_, failAt_;
};

class ReadingLog : public ByteSink, public ConverterMessages {
 public:
  // The sink takes `capacity` bytes in all, as a file under a size limit: a
  // write that does not fit keeps what fits and fails.
  explicit ReadingLog(std::size_t capacity = SIZE_MAX) : room_(capacity) {}

  bool write(const std::uint8_t* data, std::size_t size) override {
    const std::size_t kept = std::min(size, room_);
    log_ += "write " + std::to_string(size) + ": ";
    log_.append(reinterpret_cast<const char*>(data), kept);
    log_ += '\n';
    room_ -= kept;
    bytes_ += kept;
    return kept == size;
  }
  void ShowMessage(const std::string& text) override { log_ += "message: " + text + '\n'; }

  const std::string& log() const { return log_; }
  std::size_t bytes() const { return bytes_; }

 private:
  std::size_t room_, bytes_ = 0;
  std::string log_;
};
