#pragma once
// The values of vesk's options as users write them: each is read into what
// the run needs, or refused in one sentence that says what is wrong.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ChipParts.h"
#include "Expected.h"
#include "ProgrammingAlgorithms.h"
#include "ReadPasses.h"

// -t: the part a name written on a chip is, in any case, with a maker's
// prefix and a speed or package suffix or without (partNamed in ChipParts.h):
// "27C256", "M27C512-10F1", "2764A-25", and the board's types as the menu
// shows them ("27256", "271001"). A type that is listed but not available is
// refused, as in the window, and so is a name no part has.
[[nodiscard]] Expected<const ChipPart*> chipTypeOption(std::string_view text);

// "2716, 2732, ... 272001": the types that can be chosen.
std::string choosableTypes();

// A base address in any of its forms: "378h", "0x378", decimal "888", or
// "lpt1" to "lpt3"; the same range as the Options window (1 to 32765).
[[nodiscard]] std::optional<std::int16_t> parsePort(std::string_view text);

// --port: parsePort's forms, except that LPT1's and LPT2's digits without
// their "h" (378, 278) are refused as ambiguous: a user who writes them
// rarely means the decimal address, where no port is.
[[nodiscard]] Expected<std::int16_t> portOption(std::string_view text);

// "378h, 0x378, 888 (decimal)": the forms of a base address, LPT1's as the example.
std::string portForms();

// --io-delay: a whole number from 0 to its highest.
[[nodiscard]] Expected<std::int32_t> ioDelayOption(std::string_view text);

// --pulse: milliseconds from 0.05 to 5 with at most three decimals ("0.1",
// "2.5"), or 0.
[[nodiscard]] Expected<std::chrono::microseconds> pulseOption(std::string_view text);

// --algorithm: "default", "intelligent" or "quick".
[[nodiscard]] Expected<ProgrammingAlgorithm> algorithmOption(std::string_view text);

// --max-pulses: a whole number from 1 to kMostPulses.
[[nodiscard]] Expected<int> maxPulsesOption(std::string_view text);

// --simulate-latency: microseconds, a whole number from 0 up.
[[nodiscard]] Expected<std::chrono::microseconds> latencyOption(std::string_view text);

// --passes: how many times read and verify read the chip, 1 to kMostPasses.
inline constexpr int kMostPasses = 16;
[[nodiscard]] Expected<int> passesOption(std::string_view text);

// --vote: "majority" or "zero", in any case: how a read's passes make its image.
[[nodiscard]] Expected<PassVote> voteOption(std::string_view text);
