#pragma once
// The reader zeza had while it held the whole input in memory, kept as the
// yardstick of the block-by-block reader: given the same text, both must hand
// the sink the same bytes in the same writes and show the same messages in
// the same places. Tests and the fuzzer only; zeza does not link it.
#include <cstddef>
#include <cstdint>

#include "ByteStreams.h"
#include "HexParser.h"
#include "Messages.h"

[[nodiscard]] HexReadEnd readWholeHexText(const std::uint8_t* text, std::size_t size,
                                          ByteSink& sink, ConverterMessages& messages);
