#pragma once
// The values of the options that say how vesk reads and writes image files:
// each read into what the run needs, or refused in one sentence.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Expected.h"
#include "ImageFileFormats.h"

// --format: "bin", "ihex" or "srec", in any case.
[[nodiscard]] Expected<ImageFileFormat> imageFileFormatOption(std::string_view text);

// --offset: a whole number, decimal ("-57344"), 0x hex ("-0xE000") or hex
// with an h ("E000h"), with a sign when it is negative; at most 4 GiB
// either way, the reach of a 32-bit address.
[[nodiscard]] Expected<std::int64_t> offsetOption(std::string_view text);

// --fill: one byte in the same forms, 0 to 255 (FFh).
[[nodiscard]] Expected<std::uint8_t> fillOption(std::string_view text);

// --ways: 2 or 4.
[[nodiscard]] Expected<std::size_t> waysOption(std::string_view text);
