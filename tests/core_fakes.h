#pragma once
// A port source, port, timing, progress bar, messages and hourglass that
// write down everything done to them, in order: "acquire888", "C22" control
// write, "D5A" data write, "R" data read, "d100" delay, "p1" pulse wait of
// 1 ms ("p0.1" of 100 us), "v3"
// progress value, "max4096", "show", "hide", "busy", "idle",
// "box:Title|Text|I" (the lines joined by "\r" as a box shows them; icon I,
// E or C).
#include <cstdio>
#include <deque>

#include "Commands.h"
#include "TestFiles.h"

using Events = std::vector<std::string>;

// Built by appending: gcc 12 warns wrongly (-Wrestrict) on "literal" + std::string.
inline std::string tagged(const char* tag, long value, bool hex = false) {
  char digits[24];
  std::snprintf(digits, sizeof digits, hex ? "%02lX" : "%ld", value);
  std::string text = tag;
  return text += digits;
}

// "3", "0.1", "2.55": a pulse length in milliseconds, without trailing zeros.
inline std::string millisecondsText(std::chrono::microseconds length) {
  std::string text = std::to_string(length.count() / 1000);
  if (const long fraction = static_cast<long>(length.count() % 1000); fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03ld", fraction);
    text += digits;
    text.erase(text.find_last_not_of('0') + 1);
  }
  return text;
}

class Recorder final : public PortSource,
                       public PortIo,
                       public BoardTiming,
                       public Progress,
                       public Messages,
                       public BusyIndicator {
 public:
  explicit Recorder(std::uint16_t base = kLpt1Base) : base_(base) {}

  Events events;
  std::vector<MessageKind> kinds;    // of the messages, in order
  std::deque<std::uint8_t> reads;    // what the data reads give, in order; FFh when used up
  bool available = true;             // acquire() hands out the recorder, else "Join group lp."
  std::chrono::nanoseconds time{0};  // the clock
  std::size_t failingRead = 0;       // the data read (counted from 1) that throws PortFailure

  Expected<PortIo*> acquire(std::int16_t base) override {
    events.push_back(tagged("acquire", base));
    if (!available) return Failure{"Join group lp."};
    return static_cast<PortIo*>(this);
  }
  void out(std::uint16_t port, std::uint8_t value) override {
    events.push_back(tagged(port == base_ ? "D" : port == base_ + 2 ? "C" : "?", value, true));
  }
  std::uint8_t in(std::uint16_t port) override {
    events.push_back(port == base_ ? "R" : "?R");
    if (++readCount_ == failingRead) throw PortFailure("Reading the data register failed");
    const std::uint8_t value = reads.empty() ? 0xFF : reads.front();
    if (!reads.empty()) reads.pop_front();
    return value;
  }
  void delay(std::int32_t n) override { events.push_back(tagged("d", n)); }
  // The clock moves by the pulses it is asked to wait, and by nothing else.
  void pulseWait(std::chrono::microseconds length) override {
    time += length;
    std::string event = "p";
    events.push_back(event += millisecondsText(length));
  }
  std::chrono::nanoseconds now() const override { return time; }
  void setVisible(bool visible) override { events.push_back(visible ? "show" : "hide"); }
  void setMaximum(std::int32_t max) override { events.push_back(tagged("max", max)); }
  void setValue(std::int32_t value) override { events.push_back(tagged("v", value)); }
  void show(const Message& message) override {
    const char* mark = message.icon == MessageIcon::Critical      ? "C"
                       : message.icon == MessageIcon::Exclamation ? "E"
                                                                  : "I";
    events.push_back("box:" + message.title + "|" + joinLines(message.lines, "\r") + "|" + mark);
    kinds.push_back(message.kind);
  }
  void setBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }

 private:
  std::uint16_t base_;
  std::size_t readCount_ = 0;
};

inline Events join(std::initializer_list<Events> parts) {
  Events all;
  for (const Events& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline Bytes contents(const MemoryImage& image) {
  return {image.data(), image.data() + image.size()};
}
