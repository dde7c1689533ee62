#pragma once
// Memory for zeza's readers to read (MemorySource) and write. The sink, a ReadingLog, writes down
// everything a reader does that anyone can see, in order: the bytes of each write and each message;
// two readers that leave the same log leave the same output file at every message and every
// failure.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "MemorySource.h"
#include "Messages.h"

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
