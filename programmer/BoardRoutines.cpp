#include "BoardRoutines.h"

#include <algorithm>
#include <typeinfo>

#include "BoardProtocols.h"

namespace {

// RealTiming with IoDelay 0: its delays do nothing at all, so none is made.
struct RealTimingNoDelay {
  RealTiming& real;
  void Delay(std::int32_t) {}
  void PulseWait(std::int32_t milliseconds) { real.PulseWait(milliseconds); }
};

// Hands the protocol RealTiming itself when that is the timing in use, so its
// delays are inline (and gone with IoDelay 0); any other timing (the tests'
// recorder) is called for every delay, zero ones included.
template <class Protocol>
auto WithTiming(BoardTiming& timing, std::int32_t ioDelay, Protocol&& protocol) {
  if (typeid(timing) != typeid(RealTiming)) return protocol(timing);
  auto& real = static_cast<RealTiming&>(timing);
  if (ioDelay != 0) return protocol(real);
  RealTimingNoDelay none{real};
  return protocol(none);
}

}  // namespace

void Read_Eprom(Board& board, std::int16_t base, std::int32_t size, MemoryImage& image) {
  image.Recreate(size);
  WithTiming(board.timing, board.settings.IoDelay, [&](auto& timing) {
    board_protocol::ReadLocations(board.port, timing, board.progress, board.settings, board.stop,
                                  base, image.Size(), image.Data());
  });
}

bool Blank_Check(Board& board, std::int16_t base, std::int32_t size) {
  return WithTiming(board.timing, board.settings.IoDelay, [&](auto& timing) {
    return board_protocol::AllLocationsBlank(board.port, timing, board.progress, board.settings,
                                             board.stop, base, size);
  });
}

WriteOutcome Write_Eprom(Board& board, std::int16_t base, std::int32_t size,
                         const MemoryImage& image) {
  if (board.settings.VerifyEmpty && !Blank_Check(board, base, size)) {
    board.messages.Show(kNotEmptyTitle, kNotEmptyText, MessageIcon::Information);
    return WriteOutcome::NotBlank;
  }
  // Never past the image's end, whatever size the caller passes.
  const std::int32_t count = std::min(size, image.Size());
  const bool programmed = WithTiming(board.timing, board.settings.IoDelay, [&](auto& timing) {
    return board_protocol::BurnLocations(board.port, timing, board.progress, board.messages,
                                         board.settings, board.stop, base, count, image.Data());
  });
  return programmed ? WriteOutcome::Programmed : WriteOutcome::BadEprom;
}
