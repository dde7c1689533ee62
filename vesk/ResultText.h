#pragma once
// vesk's results as text: the results on standard output (what a dump is,
// where a chip reads unstable or differs from a file, how many pulses a
// write gave, the files split and merge wrote), and the messages vesk words
// itself (notes, the details of a refusal, where a signal stopped a run) on
// `Messages`, in the order they are shown. With --json the messages are the
// same and the results text is left out: the object takes its place.

#include <cstdio>

#include "RomReferences.h"
#include "UserInterfaces.h"
#include "VeskResults.h"

struct TextOutput {
  Messages& messages;
  std::FILE* results = nullptr;  // the results text; none with --json
  // A read's results text when the image itself takes standard output; none with --json.
  std::FILE* besideImage = nullptr;
};

void showText(const VeskReadResult& result, const TextOutput& out);
void showText(const VeskBlankResult& result, const TextOutput& out);
void showText(const VeskWriteResult& result, const TextOutput& out);
void showText(const VeskVerifyResult& result, const TextOutput& out);
void showText(const VeskFilesResult& result, const TextOutput& out);
void showText(const VeskTypesResult& result, const TextOutput& out);

// Before a write's first pulse: "set VPP to 12.75 V, VCC 6.25 V for the
// 27C512", the voltages of the part's datasheet, which the board does not
// switch itself. Nothing without a part.
void announceVoltages(const VeskWriteResult& result, Messages& messages);

// A write's messages, the part's voltages announced right after the core
// announces the write: once the port is had, before the blank check and the
// first pulse. A write refused before (no port) announces none.
class VoltageAnnouncing final : public Messages {
 public:
  VoltageAnnouncing(Messages& messages, const VeskWriteResult& result)
      : messages_(messages), result_(result) {}
  void show(const Message& message) override;

 private:
  Messages& messages_;
  const VeskWriteResult& result_;
  bool announced_ = false;
};
// One file of `info`; an empty line parts its block from the one before it.
void showText(const VeskInfoResult& result, const TextOutput& out, bool parted);

// What became of the indexes of --against's sources, as messages: one that
// was damaged (a warning) or out of date (a note) and rebuilt, and one that
// cannot be written, which leaves the source to be read again next time.
void showIndexes(const RomReferences& references, Messages& messages);
